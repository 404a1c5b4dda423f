// The module's exported entry points, as the platform declares them (its
// objbase.h and olectl.h): how COM and regsvr32 use an in-process server.
#pragma once

#include <windows.h>

#include <unknwn.h>

// IID_IUnknown or IID_IClassFactory only (E_NOINTERFACE); the filter's class
// only (CLASS_E_CLASSNOTAVAILABLE); otherwise a new class factory with one
// reference.
STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv);
// S_OK when no factory lock is held and no object of the module is alive.
STDAPI DllCanUnloadNow(void);
// Registers the server keys and the filter with the filter mapper.
STDAPI DllRegisterServer(void);
// Removes both; S_OK also when nothing was registered.
STDAPI DllUnregisterServer(void);
