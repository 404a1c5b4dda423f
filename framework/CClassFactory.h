// CClassFactory: the class factory a module hands out for one entry of its
// CFactoryTemplate table, with the module-wide server lock count; and the
// two module entry-point bodies that go with it.
//
// A module's entry points become:
//   STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
//   { return CClassFactory::GetClassObject(g_Templates, g_cTemplates, rclsid, riid, ppv); }
//   STDAPI DllCanUnloadNow() { return CClassFactory::CanUnloadNow(); }
#pragma once

#include <windows.h>

#include <unknwn.h>

#include <atomic>

#include "framework/CFactoryTemplate.h"
#include "framework/CUnknown.h"
#include "framework/RefCountedObject.h"

// IUnknown answers IID_IUnknown and IID_IClassFactory. A factory is a
// CBaseObject, so while one is alive the module cannot unload.
class CClassFactory : public CRefCountedObject<IClassFactory, IID_IClassFactory>, public CBaseObject
{
public:
    // The template is not owned and outlives the factory. Starts with no
    // reference.
    explicit CClassFactory(const CFactoryTemplate* pTemplate);
    ~CClassFactory() override = default;

    // E_POINTER for null ppv; with pUnkOuter only IID_IUnknown
    // (E_NOINTERFACE). A creation failure is returned (E_OUTOFMEMORY when the
    // object is null without one) and an object built with a failure is
    // deleted. The interface comes from the object's non-delegating
    // QueryInterface, between a non-delegating AddRef and Release, so an
    // object that lacks it destroys itself.
    STDMETHODIMP CreateInstance(LPUNKNOWN pUnkOuter, REFIID riid, void** ppv) override;
    // Counts locks (an unlock without a lock is ignored).
    STDMETHODIMP LockServer(BOOL fLock) override;

    // True while LockServer(TRUE) calls outnumber LockServer(FALSE) ones.
    static BOOL IsLocked() { return m_cLocked.load() > 0; }

    // DllGetClassObject: E_POINTER for null ppv; E_NOINTERFACE unless riid
    // is IID_IUnknown or IID_IClassFactory; CLASS_E_CLASSNOTAVAILABLE for a
    // class not in the table; otherwise a new factory with one reference
    // (E_OUTOFMEMORY, *ppv null, when it cannot be made).
    static HRESULT GetClassObject(const CFactoryTemplate* pTemplates, int cTemplates, REFCLSID rclsid,
                                  REFIID riid, void** ppv);
    // DllCanUnloadNow: S_OK when no server lock is held and no framework
    // object (CBaseObject) is alive, else S_FALSE.
    static HRESULT CanUnloadNow();

private:
    const CFactoryTemplate* const m_pTemplate; // not owned
    static std::atomic<LONG> m_cLocked;
};
