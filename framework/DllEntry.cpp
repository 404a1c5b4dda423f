#include "framework/DllEntry.h"

HINSTANCE g_hInst = nullptr;

namespace {

void RunInitRoutines(BOOL bLoading)
{
    for (int i = 0; i < g_cTemplates; i++)
        if (g_Templates[i].m_lpfnInit)
            g_Templates[i].m_lpfnInit(bLoading, g_Templates[i].m_ClsID);
}

} // namespace

extern "C" BOOL WINAPI DllEntryPoint(HINSTANCE hInstance, ULONG ulReason, LPVOID pv)
{
    (void)pv;
    switch (ulReason)
    {
    case DLL_PROCESS_ATTACH:
        g_hInst = hInstance;
        RunInitRoutines(TRUE);
        break;
    case DLL_PROCESS_DETACH:
        RunInitRoutines(FALSE);
        break;
    default:
        break;
    }
    return TRUE;
}
