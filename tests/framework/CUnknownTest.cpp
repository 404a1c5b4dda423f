// CUnknown and the class factory: reference counting, aggregation, the
// module's live-object count and server locks, and the factory's rules.
#include <gtest/gtest.h>

#include "framework/CClassFactory.h"
#include "framework/CUnknown.h"

namespace {

QTP_DEFINE_GUID(IID_ITestThing, 0x1D2E3F40, 0x1111, 0x2222, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA);
QTP_DEFINE_GUID(CLSID_TestThing, 0x1D2E3F41, 0x1111, 0x2222, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA);

struct ITestThing : public IUnknown
{
    virtual int STDMETHODCALLTYPE Value() = 0;
};

class CThing : public CUnknown, public ITestThing
{
public:
    CThing(LPUNKNOWN outer, HRESULT* phr) : CUnknown(L"Thing", outer, phr) {}
    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_ITestThing)
            return GetInterface(static_cast<ITestThing*>(this), ppv);
        return CUnknown::NonDelegatingQueryInterface(riid, ppv);
    }
    int STDMETHODCALLTYPE Value() override { return 42; }
    LONG Count() const { return m_cRef.load(); }
};

// An outer object that aggregates a CThing and counts its own references.
class COuter : public IUnknown
{
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_ITestThing)
            return inner->QueryInterface(riid, ppv);
        if (riid == IID_IUnknown)
        {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }

    IUnknown* inner = nullptr; // the inner object's non-delegating IUnknown
    ULONG refs = 1;
};

HRESULT g_nextFailure = S_OK;
bool g_returnNull = false;
CUnknown* CreateThing(LPUNKNOWN outer, HRESULT* phr)
{
    if (FAILED(g_nextFailure))
        *phr = g_nextFailure;
    return g_returnNull ? nullptr : new CThing(outer, phr);
}

const CFactoryTemplate g_templates[] = {{L"Thing", &CLSID_TestThing, CreateThing, nullptr, nullptr}};

class CoreObjectsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_objects = CBaseObject::ObjectsActive();
        g_nextFailure = S_OK;
        g_returnNull = false;
    }
    void TearDown() override { EXPECT_EQ(CBaseObject::ObjectsActive(), m_objects) << "an object was leaked"; }

    IClassFactory* Factory()
    {
        void* factory = nullptr;
        EXPECT_EQ(CClassFactory::GetClassObject(g_templates, 1, CLSID_TestThing, IID_IClassFactory, &factory), S_OK);
        return static_cast<IClassFactory*>(factory);
    }

    LONG m_objects = 0;
};

TEST_F(CoreObjectsTest, CountsReferencesAndLiveObjects)
{
    CThing* thing = new CThing(nullptr, nullptr);
    EXPECT_EQ(CBaseObject::ObjectsActive(), m_objects + 1);
    thing->NonDelegatingAddRef();
    ITestThing* face = nullptr;
    ASSERT_EQ(thing->QueryInterface(IID_ITestThing, reinterpret_cast<void**>(&face)), S_OK);
    EXPECT_EQ(thing->Count(), 2);

    // One identity: IUnknown from either path is the same pointer.
    IUnknown* a = nullptr;
    IUnknown* b = nullptr;
    ASSERT_EQ(face->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a)), S_OK);
    ASSERT_EQ(thing->NonDelegatingQueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b)), S_OK);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a, thing->GetOwner());
    a->Release();
    b->Release();

    void* none = thing;
    EXPECT_EQ(thing->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    face->Release();
    EXPECT_EQ(CBaseObject::ObjectsActive(), m_objects + 1);
    thing->Release(); // the last reference deletes it
}

TEST_F(CoreObjectsTest, AggregatedObjectDelegatesToItsOwner)
{
    COuter outer;
    CThing* thing = new CThing(&outer, nullptr);
    ASSERT_EQ(thing->NonDelegatingQueryInterface(IID_IUnknown, reinterpret_cast<void**>(&outer.inner)), S_OK);
    EXPECT_EQ(thing->GetOwner(), &outer);

    // The inner interface counts on the outer object and asks it for others.
    ITestThing* face = nullptr;
    ASSERT_EQ(outer.QueryInterface(IID_ITestThing, reinterpret_cast<void**>(&face)), S_OK);
    EXPECT_EQ(outer.refs, 2u);
    EXPECT_EQ(thing->Count(), 1);
    IUnknown* viaInner = nullptr;
    ASSERT_EQ(face->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&viaInner)), S_OK);
    EXPECT_EQ(viaInner, &outer);
    viaInner->Release();
    face->Release();
    EXPECT_EQ(outer.refs, 1u);

    outer.inner->Release(); // the outer object lets go of the inner one
}

TEST_F(CoreObjectsTest, FactoryCreatesObjectsByTheRules)
{
    IClassFactory* factory = Factory();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(CClassFactory::CanUnloadNow(), S_FALSE) << "a live factory keeps the module loaded";

    ITestThing* face = nullptr;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_ITestThing, nullptr), E_POINTER);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_ITestThing, reinterpret_cast<void**>(&face)), S_OK);
    EXPECT_EQ(face->Release(), 0u);

    // With an outer object only IUnknown may be asked for.
    COuter outer;
    void* out = &outer;
    EXPECT_EQ(factory->CreateInstance(&outer, IID_ITestThing, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, &out), S_OK);
    static_cast<IUnknown*>(out)->Release();

    // A failed query destroys the new object.
    const LONG before = CBaseObject::ObjectsActive();
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &out), E_NOINTERFACE);
    EXPECT_EQ(CBaseObject::ObjectsActive(), before);

    // Creation failures: the object built with a failure is deleted.
    g_nextFailure = VFW_E_RUNTIME_ERROR;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_ITestThing, &out), VFW_E_RUNTIME_ERROR);
    EXPECT_EQ(CBaseObject::ObjectsActive(), before);
    g_returnNull = true;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_ITestThing, &out), VFW_E_RUNTIME_ERROR);
    g_nextFailure = S_OK;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_ITestThing, &out), E_OUTOFMEMORY);
    EXPECT_EQ(out, nullptr);

    factory->Release();
}

TEST_F(CoreObjectsTest, ClassObjectsAndUnloading)
{
    void* out = nullptr;
    EXPECT_EQ(CClassFactory::GetClassObject(g_templates, 1, CLSID_TestThing, IID_ITestThing, &out), E_NOINTERFACE);
    EXPECT_EQ(CClassFactory::GetClassObject(g_templates, 1, IID_ITestThing, IID_IClassFactory, &out),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(CClassFactory::GetClassObject(g_templates, 1, CLSID_TestThing, IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(CClassFactory::CanUnloadNow(), S_OK);

    IClassFactory* factory = Factory();
    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    factory->Release();
    EXPECT_EQ(CClassFactory::CanUnloadNow(), S_FALSE) << "locked";
    factory = Factory();
    ASSERT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_TRUE(CClassFactory::IsLocked());
    ASSERT_EQ(factory->LockServer(FALSE), S_OK);
    ASSERT_EQ(factory->LockServer(FALSE), S_OK); // one too many is ignored
    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_TRUE(CClassFactory::IsLocked()) << "an extra unlock must not cancel a later lock";
    ASSERT_EQ(factory->LockServer(FALSE), S_OK);
    factory->Release();
    EXPECT_EQ(CClassFactory::CanUnloadNow(), S_OK);

    CThing* thing = new CThing(nullptr, nullptr);
    EXPECT_EQ(CClassFactory::CanUnloadNow(), S_FALSE) << "a live object keeps the module loaded";
    delete thing;
}

} // namespace
