#include "framework/CClassFactory.h"

#include <new>

std::atomic<LONG> CClassFactory::m_cLocked{0};

CClassFactory::CClassFactory(const CFactoryTemplate* pTemplate)
    : CRefCountedObject(0), CBaseObject(L"Class Factory"), m_pTemplate(pTemplate)
{
}

STDMETHODIMP CClassFactory::CreateInstance(LPUNKNOWN pUnkOuter, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    // An aggregating outer object must hold the inner one by its IUnknown.
    if (pUnkOuter && riid != IID_IUnknown)
        return E_NOINTERFACE;

    HRESULT hr = S_OK;
    CUnknown* object = m_pTemplate->CreateInstance(pUnkOuter, &hr);
    if (!object)
        return FAILED(hr) ? hr : E_OUTOFMEMORY;
    if (FAILED(hr))
    {
        delete object;
        return hr;
    }
    // The outer object may be handed an interface whose creation
    // AddRefs and Releases it; the bracket keeps it alive meanwhile, and a
    // failed query drops the count back to 0, which deletes the object.
    object->NonDelegatingAddRef();
    hr = object->NonDelegatingQueryInterface(riid, ppv);
    object->NonDelegatingRelease();
    return hr;
}

STDMETHODIMP CClassFactory::LockServer(BOOL fLock)
{
    if (fLock)
    {
        ++m_cLocked;
        return S_OK;
    }
    LONG locks = m_cLocked.load();
    while (locks > 0 && !m_cLocked.compare_exchange_weak(locks, locks - 1))
    {
    }
    return S_OK;
}

HRESULT CClassFactory::GetClassObject(const CFactoryTemplate* pTemplates, int cTemplates, REFCLSID rclsid,
                                      REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory)
        return E_NOINTERFACE;
    for (int i = 0; i < cTemplates; i++)
    {
        if (!pTemplates[i].IsClassID(rclsid))
            continue;
        CClassFactory* factory = new (std::nothrow) CClassFactory(&pTemplates[i]);
        if (!factory)
            return E_OUTOFMEMORY;
        factory->AddRef();
        *ppv = static_cast<IClassFactory*>(factory);
        return S_OK;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CClassFactory::CanUnloadNow()
{
    return (IsLocked() || CBaseObject::ObjectsActive() > 0) ? S_FALSE : S_OK;
}
