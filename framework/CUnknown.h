// CBaseObject and CUnknown: the root of every COM object of the framework, as
// the SDK's combase.h has them.
//
// How to derive a COM object:
//   class CMyThing : public CUnknown, public IMyInterface
//   {
//   public:
//       DECLARE_IUNKNOWN   // IUnknown of IMyInterface delegates to GetOwner()
//       STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override
//       {
//           if (riid == IID_IMyInterface)
//               return GetInterface(static_cast<IMyInterface*>(this), ppv);
//           return CUnknown::NonDelegatingQueryInterface(riid, ppv);
//       }
//   };
// Objects start with no reference; whoever creates one takes the first
// (NonDelegatingAddRef) and the last NonDelegatingRelease deletes it.
//
// Aggregation: given a controlling IUnknown (pUnk), the object's interfaces
// delegate to it; the outer object holds the inner one through the IUnknown
// that NonDelegatingQueryInterface(IID_IUnknown) returns.
#pragma once

#include <windows.h>

#include <unknwn.h>

#include <atomic>

// Counts every live framework object of the module, for DllCanUnloadNow.
class CBaseObject
{
public:
    // pName is for debugging and may be null; it is not kept.
    explicit CBaseObject(LPCWSTR pName);
    ~CBaseObject();
    CBaseObject(const CBaseObject&) = delete;
    CBaseObject& operator=(const CBaseObject&) = delete;

    // Number of CBaseObject instances alive in the module.
    static LONG ObjectsActive() { return m_cObjects.load(); }

private:
    static std::atomic<LONG> m_cObjects;
};

// The IUnknown methods under other names, so that an object can answer for
// itself even while its interfaces delegate to an outer object.
struct INonDelegatingUnknown
{
    virtual HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) = 0;
    virtual ULONG STDMETHODCALLTYPE NonDelegatingAddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE NonDelegatingRelease() = 0;

protected:
    ~INonDelegatingUnknown() = default;
};
typedef INonDelegatingUnknown* PNDUNKNOWN;

class CUnknown : public INonDelegatingUnknown, public CBaseObject
{
public:
    // pUnk: the controlling IUnknown when aggregated, else null (not owned).
    CUnknown(LPCWSTR pName, LPUNKNOWN pUnk);
    // The same; phr is left alone (construction cannot fail here).
    CUnknown(LPCWSTR pName, LPUNKNOWN pUnk, HRESULT* phr);
    virtual ~CUnknown() = default;

    // The controlling IUnknown: the outer object's, or the object's own
    // non-delegating one.
    LPUNKNOWN GetOwner() const { return m_pUnknown; }

    // IID_IUnknown only (the non-delegating IUnknown, one reference added).
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) NonDelegatingAddRef() override;
    // Deletes the object when the count reaches 0.
    STDMETHODIMP_(ULONG) NonDelegatingRelease() override;

protected:
    std::atomic<LONG> m_cRef{0}; // non-delegating reference count

private:
    // The non-delegating methods seen as an IUnknown: what GetOwner() is for
    // an object that is not aggregated, and what an outer object holds.
    class CNonDelegatingFace final : public IUnknown
    {
    public:
        explicit CNonDelegatingFace(CUnknown* owner) : m_owner(owner) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
        {
            return m_owner->NonDelegatingQueryInterface(riid, ppv);
        }
        STDMETHODIMP_(ULONG) AddRef() override { return m_owner->NonDelegatingAddRef(); }
        STDMETHODIMP_(ULONG) Release() override { return m_owner->NonDelegatingRelease(); }

    private:
        CUnknown* const m_owner; // the object this is part of
    };

    CNonDelegatingFace m_face;
    const LPUNKNOWN m_pUnknown; // not owned: the outer object, or &m_face
};

// Stores pUnk in *ppv with one reference added (through pUnk->AddRef, so an
// interface of an aggregated object counts on its owner). E_POINTER for null ppv.
HRESULT GetInterface(LPUNKNOWN pUnk, void** ppv);

// The IUnknown of every interface of a CUnknown-derived class, delegating to
// the controlling IUnknown.
#define DECLARE_IUNKNOWN                                                                 \
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override                        \
    {                                                                                    \
        return GetOwner()->QueryInterface(riid, ppv);                                    \
    }                                                                                    \
    STDMETHODIMP_(ULONG) AddRef() override { return GetOwner()->AddRef(); }              \
    STDMETHODIMP_(ULONG) Release() override { return GetOwner()->Release(); }
