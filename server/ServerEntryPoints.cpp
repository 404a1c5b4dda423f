// The in-process server: its one-entry template list, the four entry
// points and the module's start and end.
#include "server/ServerEntryPoints.h"

#include "filter/RZQTFileParser.h"
#include "framework/DllEntry.h"
#include "framework/DllSetup.h"
#include "server/FilterSetup.h"

const CFactoryTemplate g_Templates[] = {
    {L"Ostrivel QuickTime Parser", &CLSID_RZQTFileParser, CRZQTFileParser::CreateInstance, nullptr,
     &sudRZQTFileParser},
};
const int g_cTemplates = sizeof(g_Templates) / sizeof(g_Templates[0]);

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv)
{
    return CClassFactory::GetClassObject(g_Templates, g_cTemplates, rclsid, riid, ppv);
}

STDAPI DllCanUnloadNow(void)
{
    return CClassFactory::CanUnloadNow();
}

STDAPI DllRegisterServer(void)
{
    return AMovieDllRegisterServer2(TRUE);
}

STDAPI DllUnregisterServer(void)
{
    return AMovieDllRegisterServer2(FALSE);
}

// The module's start and end go to the framework; there is no application
// object of the platform's to do it first.
extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved)
{
    (void)lpReserved;
    if (dwReason == DLL_PROCESS_ATTACH || dwReason == DLL_PROCESS_DETACH)
        return DllEntryPoint(hInstance, dwReason, nullptr);
    return TRUE;
}
