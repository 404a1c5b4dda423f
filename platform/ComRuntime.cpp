// The COM runtime of an in-process client: apartments (a count per thread),
// object creation from the registry, and the modules it loaded.
#include <objbase.h>

#include <dshow.h>

#include <mutex>
#include <string>
#include <vector>

#include "platform/InprocServer.h"
#include "platform/ProcAddress.h"
#include "platform/SystemClasses.h"

namespace {

thread_local int t_initialised = 0;

// A server module loaded for CoCreateInstance; one load, kept until
// CoFreeUnusedLibraries finds it unused.
struct LoadedServer
{
    std::wstring path;
    HMODULE module;
    LPFNGETCLASSOBJECT getClassObject;
    LPFNCANUNLOADNOW canUnloadNow; // may be null: then never unloaded
};

std::mutex g_serversLock;
std::vector<LoadedServer> g_servers; // guarded by g_serversLock

// The module path registered for clsid.
HRESULT RegisteredServer(REFCLSID clsid, std::wstring& path)
{
    const LONG status = FindInprocServer(clsid, path, nullptr);
    return status == ERROR_FILE_NOT_FOUND ? REGDB_E_CLASSNOTREG : HRESULT_FROM_WIN32(status);
}

// The loaded server of path, loaded now if need be. Requires g_serversLock.
HRESULT FindOrLoad(const std::wstring& path, LoadedServer*& server)
{
    for (LoadedServer& loaded : g_servers)
        if (loaded.path == path)
        {
            server = &loaded;
            return S_OK;
        }
    HMODULE module = LoadLibraryW(path.c_str());
    if (!module)
        return HRESULT_FROM_WIN32(GetLastError());
    const auto getClassObject = ProcAddressAs<LPFNGETCLASSOBJECT>(module, "DllGetClassObject");
    if (!getClassObject)
    {
        (void)FreeLibrary(module);
        return CO_E_ERRORINDLL;
    }
    const auto canUnloadNow = ProcAddressAs<LPFNCANUNLOADNOW>(module, "DllCanUnloadNow");
    g_servers.push_back({path, module, getClassObject, canUnloadNow});
    server = &g_servers.back();
    return S_OK;
}

HRESULT ServerFactory(REFCLSID clsid, IClassFactory** factory)
{
    std::wstring path;
    HRESULT hr = RegisteredServer(clsid, path);
    if (FAILED(hr))
        return hr;
    // Held while the module is asked, so it cannot be unloaded meanwhile;
    // the factory then keeps it from unloading.
    std::lock_guard<std::mutex> lock(g_serversLock);
    LoadedServer* server = nullptr;
    hr = FindOrLoad(path, server);
    if (SUCCEEDED(hr))
        hr = server->getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory));
    return hr;
}

} // namespace

HRESULT CoInitialize(LPVOID reserved)
{
    return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED);
}

HRESULT CoInitializeEx(LPVOID, DWORD)
{
    return t_initialised++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize()
{
    if (t_initialised > 0)
        --t_initialised;
}

HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID riid, LPVOID* ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (t_initialised == 0)
        return CO_E_NOTINITIALIZED;
    if (!(context & CLSCTX_INPROC_SERVER))
        return REGDB_E_CLASSNOTREG;
    HRESULT hr = CreateSystemObject(clsid, outer, riid, ppv);
    if (hr != REGDB_E_CLASSNOTREG)
        return hr;
    IClassFactory* factory = nullptr;
    hr = ServerFactory(clsid, &factory);
    if (FAILED(hr))
        return hr;
    hr = factory->CreateInstance(outer, riid, ppv);
    factory->Release();
    return hr;
}

void CoFreeUnusedLibraries()
{
    std::lock_guard<std::mutex> lock(g_serversLock);
    for (auto server = g_servers.begin(); server != g_servers.end();)
    {
        if (server->canUnloadNow && server->canUnloadNow() == S_OK)
        {
            (void)FreeLibrary(server->module);
            server = g_servers.erase(server);
        }
        else
            ++server;
    }
}
