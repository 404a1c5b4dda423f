// Registration of the module's template list: server keys, then the filter
// mapper (see DllSetup.h).
#include "framework/DllSetup.h"

#include "framework/ComPtr.h"
#include "framework/DllEntry.h"
#include "framework/Win32Result.h"

namespace {

// The filters of every template with setup data, registered or removed
// through whichever mapper the platform offers.
HRESULT SetUpFilters(BOOL bRegister)
{
    ComPtr<IFilterMapper2> mapper2;
    ComPtr<IFilterMapper> mapper;
    HRESULT hr = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                  reinterpret_cast<void**>(mapper2.ReleaseAndGetAddressOf()));
    if (FAILED(hr))
        hr = CoCreateInstance(CLSID_FilterMapper, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper,
                              reinterpret_cast<void**>(mapper.ReleaseAndGetAddressOf()));
    for (int i = 0; SUCCEEDED(hr) && i < g_cTemplates; i++)
    {
        const AMOVIESETUP_FILTER* setup = g_Templates[i].m_pAMovieSetup_Filter;
        if (setup)
            hr = mapper2 ? AMovieSetupRegisterFilter2(setup, mapper2.Get(), bRegister)
                         : AMovieSetupRegisterFilter(setup, mapper.Get(), bRegister);
    }
    return hr;
}

} // namespace

STDAPI AMovieDllRegisterServer2(BOOL bRegister)
{
    WCHAR path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(g_hInst, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return CreationFailureFromLastError();

    HRESULT hr = S_OK;
    // A server key that cannot be written stops here, before the mapper.
    for (int i = 0; bRegister && SUCCEEDED(hr) && i < g_cTemplates; i++)
        hr = AMovieSetupRegisterServer(*g_Templates[i].m_ClsID, g_Templates[i].m_Name, path);
    if (FAILED(hr))
        return hr;

    const HRESULT init = CoInitialize(nullptr);
    hr = SetUpFilters(bRegister); // the mappers are released inside
    CoFreeUnusedLibraries();
    if (SUCCEEDED(init))
        CoUninitialize();

    for (int i = 0; !bRegister && SUCCEEDED(hr) && i < g_cTemplates; i++)
        hr = AMovieSetupUnregisterServer(*g_Templates[i].m_ClsID);
    return hr;
}
