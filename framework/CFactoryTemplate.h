// CFactoryTemplate: one entry of a module's table of creatable classes, as
// the SDK has it. A module lists its classes once:
//   CFactoryTemplate g_Templates[] = {
//       {L"Name", &CLSID_Thing, CThing::CreateInstance, nullptr, &sudThing},
//   };
// and its DllGetClassObject hands out a CClassFactory for the entry whose
// class identifier is asked for (see CClassFactory.h).
#pragma once

#include <windows.h>

#include <unknwn.h>

#include "framework/AMovieSetup.h"

class CUnknown;

// Creates an object of the class: pUnkOuter is the controlling IUnknown (or
// null); the object, with no reference yet, or null. A failure may be
// stored in *phr (which arrives holding S_OK). __stdcall on 32-bit Windows
// (the SDK's CALLBACK, the same as WINAPI), as creation functions are
// declared.
typedef CUnknown*(WINAPI* LPFNNewCOMObject)(LPUNKNOWN pUnkOuter, HRESULT* phr);
// Called when the module loads (bLoading TRUE) and unloads, per class.
typedef void(WINAPI* LPFNInitRoutine)(BOOL bLoading, const CLSID* rclsid);

class CFactoryTemplate
{
public:
    const WCHAR* m_Name;
    const CLSID* m_ClsID;
    LPFNNewCOMObject m_lpfnNew;
    LPFNInitRoutine m_lpfnInit; // may be null
    const AMOVIESETUP_FILTER* m_pAMovieSetup_Filter; // may be null

    BOOL IsClassID(REFCLSID rclsid) const { return *m_ClsID == rclsid; }
    CUnknown* CreateInstance(LPUNKNOWN pUnk, HRESULT* phr) const
    {
        if (!phr)
            return nullptr;
        return m_lpfnNew(pUnk, phr);
    }
};
