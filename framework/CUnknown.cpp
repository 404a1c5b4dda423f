#include "framework/CUnknown.h"

std::atomic<LONG> CBaseObject::m_cObjects{0};

CBaseObject::CBaseObject(LPCWSTR pName)
{
    (void)pName;
    ++m_cObjects;
}

CBaseObject::~CBaseObject()
{
    --m_cObjects;
}

CUnknown::CUnknown(LPCWSTR pName, LPUNKNOWN pUnk)
    : CBaseObject(pName), m_face(this), m_pUnknown(pUnk ? pUnk : static_cast<LPUNKNOWN>(&m_face))
{
}

CUnknown::CUnknown(LPCWSTR pName, LPUNKNOWN pUnk, HRESULT* phr) : CUnknown(pName, pUnk)
{
    (void)phr;
}

STDMETHODIMP CUnknown::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown)
        return GetInterface(&m_face, ppv);
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CUnknown::NonDelegatingAddRef()
{
    const LONG ref = ++m_cRef;
    return ref > 1 ? static_cast<ULONG>(ref) : 1u;
}

STDMETHODIMP_(ULONG) CUnknown::NonDelegatingRelease()
{
    const LONG ref = --m_cRef;
    if (ref == 0)
    {
        // Held up while the destructor runs, so that an interface released
        // and re-acquired during destruction cannot delete the object twice.
        ++m_cRef;
        delete this;
        return 0;
    }
    // A caller must not take a non-zero count for more than "still alive".
    return ref > 1 ? static_cast<ULONG>(ref) : 1u;
}

HRESULT GetInterface(LPUNKNOWN pUnk, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = pUnk;
    pUnk->AddRef();
    return S_OK;
}
