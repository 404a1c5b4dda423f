// The server's entry points and class factory, and its registration data
// against the filter's registration table.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "filter/RZQTFileParser.h"
#include "framework/ComPtr.h"
#include "framework/DllEntry.h"
#include "server/FilterSetup.h"
#include "server/ServerEntryPoints.h"

namespace {

std::wstring Text(const GUID& guid)
{
    wchar_t text[40];
    return StringFromGUID2(guid, text, 40) ? text : L"?";
}

ComPtr<IClassFactory> Factory()
{
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(S_OK, DllGetClassObject(CLSID_RZQTFileParser, IID_IClassFactory,
                                      reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf())));
    return factory;
}

TEST(ServerTest, ClassObjectOnlyOfTheFilterAndOnlyAsAFactory)
{
    struct Case
    {
        const GUID* clsid;
        const GUID* iid;
        HRESULT expected;
    };
    const Case cases[] = {
        {&CLSID_RZQTFileParser, &IID_IClassFactory, S_OK},
        {&CLSID_RZQTFileParser, &IID_IUnknown, S_OK},
        {&CLSID_AsyncReader, &IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
        {&GUID_NULL, &IID_IUnknown, CLASS_E_CLASSNOTAVAILABLE},
        {&CLSID_RZQTFileParser, &IID_IBaseFilter, E_NOINTERFACE},
        {&CLSID_AsyncReader, &IID_IBaseFilter, E_NOINTERFACE},
    };
    int sentinel = 0;
    for (const Case& c : cases)
    {
        IUnknown* object = reinterpret_cast<IUnknown*>(&sentinel); // must be overwritten
        EXPECT_EQ(c.expected, DllGetClassObject(*c.clsid, *c.iid, reinterpret_cast<void**>(&object)))
            << Text(*c.clsid) << ' ' << Text(*c.iid);
        EXPECT_EQ(SUCCEEDED(c.expected), object != nullptr);
        if (object)
            object->Release();
    }

    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(S_OK, Factory()->CreateInstance(nullptr, IID_IBaseFilter,
                                              reinterpret_cast<void**>(filter.ReleaseAndGetAddressOf())));
    CLSID clsid = GUID_NULL;
    EXPECT_EQ(S_OK, filter->GetClassID(&clsid));
    EXPECT_EQ(CLSID_RZQTFileParser, clsid);
}

// An object that aggregates the filter and counts its own references.
struct COuter : public IUnknown
{
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid != IID_IUnknown)
            return inner->QueryInterface(riid, ppv);
        *ppv = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }

    ULONG refs = 1;
    IUnknown* inner = nullptr; // the filter's own IUnknown; one reference held
};

TEST(ServerTest, TheFilterAnswersForItsInterfacesAndCanBeAggregated)
{
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(S_OK, Factory()->CreateInstance(nullptr, IID_IBaseFilter,
                                              reinterpret_cast<void**>(filter.ReleaseAndGetAddressOf())));
    ComPtr<IUnknown> identity;
    ASSERT_EQ(S_OK, filter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(identity.ReleaseAndGetAddressOf())));
    const struct
    {
        const IID* iid;
        HRESULT expected;
    } answers[] = {{&IID_IPersist, S_OK},          {&IID_IMediaFilter, S_OK}, {&IID_IBaseFilter, S_OK},
                   {&IID_IAMovieSetup, S_OK},      {&IID_IPin, E_NOINTERFACE}, {&IID_IMemInputPin, E_NOINTERFACE},
                   {&IID_IClassFactory, E_NOINTERFACE}};
    for (const auto& a : answers)
    {
        ComPtr<IUnknown> face;
        EXPECT_EQ(a.expected, filter->QueryInterface(*a.iid, reinterpret_cast<void**>(face.ReleaseAndGetAddressOf())))
            << Text(*a.iid);
        ComPtr<IUnknown> back;
        if (face)
        {
            EXPECT_EQ(S_OK, face->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(back.ReleaseAndGetAddressOf())));
        }
        EXPECT_EQ(back.Get(), SUCCEEDED(a.expected) ? identity.Get() : nullptr) << "the same object";
    }
    // Registration goes through the module's own table: the filter has no setup data.
    ComPtr<IAMovieSetup> setup;
    ASSERT_EQ(S_OK, filter->QueryInterface(IID_IAMovieSetup, reinterpret_cast<void**>(setup.ReleaseAndGetAddressOf())));
    EXPECT_EQ(S_FALSE, setup->Register());
    EXPECT_EQ(S_FALSE, setup->Unregister());
    setup.Reset();
    identity.Reset();
    filter.Reset();
    EXPECT_EQ(S_OK, DllCanUnloadNow());

    // Aggregated: only IUnknown may be asked for at creation, and every
    // interface of the filter then counts on and answers for the outer object.
    COuter outer;
    void* refused = &outer;
    EXPECT_EQ(E_NOINTERFACE, Factory()->CreateInstance(&outer, IID_IBaseFilter, &refused));
    EXPECT_EQ(nullptr, refused);
    EXPECT_EQ(S_OK, DllCanUnloadNow()) << "the refused filter is gone";
    ASSERT_EQ(S_OK, Factory()->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)));
    IBaseFilter* aggregated = nullptr;
    ASSERT_EQ(S_OK, outer.QueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&aggregated)));
    EXPECT_EQ(2u, outer.refs);
    IUnknown* owner = nullptr;
    ASSERT_EQ(S_OK, aggregated->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&owner)));
    EXPECT_EQ(static_cast<IUnknown*>(&outer), owner);
    owner->Release();
    aggregated->Release();
    EXPECT_EQ(1u, outer.refs);
    EXPECT_EQ(0u, outer.inner->Release());
    EXPECT_EQ(S_OK, DllCanUnloadNow());
}

TEST(ServerTest, ModuleCanUnloadOnlyWithoutFiltersFactoriesAndLocks)
{
    EXPECT_EQ(S_OK, DllCanUnloadNow());
    ComPtr<IClassFactory> factory = Factory();
    EXPECT_EQ(S_FALSE, DllCanUnloadNow()) << "a factory";
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IBaseFilter,
                                            reinterpret_cast<void**>(filter.ReleaseAndGetAddressOf())));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    factory.Reset();
    EXPECT_EQ(S_FALSE, DllCanUnloadNow()) << "a filter and a lock";
    filter.Reset();
    EXPECT_EQ(S_FALSE, DllCanUnloadNow()) << "a lock";
    factory = Factory();
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    factory.Reset();
    EXPECT_EQ(S_OK, DllCanUnloadNow());
}

struct PinRow
{
    const wchar_t* name;
    BOOL rendered, output, zero, many;
    std::vector<std::pair<const wchar_t*, const wchar_t*>> types; // major type, subtype
};

// Typed out from the registration table, not derived from the code.
const wchar_t kStream[] = L"{E436EB83-524F-11CE-9F53-0020AF0BA770}";
const wchar_t kNull[] = L"{00000000-0000-0000-0000-000000000000}";
const wchar_t kVideo[] = L"{73646976-0000-0010-8000-00AA00389B71}";
const wchar_t kAudio[] = L"{73647561-0000-0010-8000-00AA00389B71}";
const PinRow kPins[] = {
    {L"Input", FALSE, FALSE, FALSE, FALSE, {{kStream, kNull}}},
    {L"Output",
     FALSE,
     TRUE,
     TRUE,
     TRUE,
     {{kVideo, L"{E06D8026-DB46-11CF-B4D1-00805F6CBBEA}"},
      {kVideo, L"{64737664-0000-0010-8000-00AA00389B71}"},
      {kVideo, L"{64687664-0000-0010-8000-00AA00389B71}"},
      {kAudio, L"{00000050-0000-0010-8000-00AA00389B71}"},
      {kAudio, L"{E06D802C-DB46-11CF-B4D1-00805F6CBBEA}"},
      {kAudio, L"{44535342-0000-0010-8000-00AA00389B71}"},
      {kAudio, L"{00000001-0000-0010-8000-00AA00389B71}"},
      {L"{434E4152-0000-0010-8000-00AA00389B71}", L"{412D554C-0000-0010-8000-00AA00389B71}"},
      {kStream, kNull}}},
};

TEST(ServerTest, RegistrationDataIsTheTableByteForByte)
{
    ASSERT_EQ(1, g_cTemplates);
    const CFactoryTemplate& entry = g_Templates[0];
    EXPECT_STREQ(L"Ostrivel QuickTime Parser", entry.m_Name);
    EXPECT_EQ(L"{5E2B7C41-9A3D-4F6E-B817-2C4D9E0A6F13}", Text(*entry.m_ClsID));
    EXPECT_EQ(&CRZQTFileParser::CreateInstance, entry.m_lpfnNew);
    EXPECT_EQ(nullptr, entry.m_lpfnInit);
    ASSERT_EQ(&sudRZQTFileParser, entry.m_pAMovieSetup_Filter);

    const AMOVIESETUP_FILTER& filter = sudRZQTFileParser;
    EXPECT_EQ(entry.m_ClsID, filter.clsID);
    EXPECT_STREQ(L"Ostrivel QuickTime File Parser", filter.strName);
    EXPECT_EQ(0x200000u, filter.dwMerit);
    ASSERT_EQ(2u, filter.nPins);
    for (size_t p = 0; p < 2; ++p)
    {
        const AMOVIESETUP_PIN& pin = filter.lpPin[p];
        const PinRow& row = kPins[p];
        EXPECT_STREQ(row.name, pin.strName);
        EXPECT_EQ(row.rendered, pin.bRendered);
        EXPECT_EQ(row.output, pin.bOutput);
        EXPECT_EQ(row.zero, pin.bZero);
        EXPECT_EQ(row.many, pin.bMany);
        EXPECT_EQ(kNull, Text(*pin.clsConnectsToFilter));
        EXPECT_EQ(nullptr, pin.strConnectsToPin);
        ASSERT_EQ(row.types.size(), pin.nMediaTypes);
        for (size_t t = 0; t < row.types.size(); ++t)
        {
            EXPECT_EQ(row.types[t].first, Text(*pin.lpMediaType[t].clsMajorType)) << p << ' ' << t;
            EXPECT_EQ(row.types[t].second, Text(*pin.lpMediaType[t].clsMinorType)) << p << ' ' << t;
        }
    }
    // The characters in memory order, first in the lowest byte.
    EXPECT_EQ(0, std::memcmp(&MEDIASUBTYPE_BSSD, "BSSD", 4));
    EXPECT_EQ(0, std::memcmp(&MEDIATYPE_RANC, "RANC", 4));
    EXPECT_EQ(0, std::memcmp(&MEDIASUBTYPE_LU_A, "LU-A", 4));
}

} // namespace
