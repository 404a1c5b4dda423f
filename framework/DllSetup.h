// Registration of a filter module, as the SDK's dllsetup.h has it: the COM
// server keys in the registry and the filter mapper's entries, both from the
// module's template list (DllEntry.h). A module's entry points become:
//   STDAPI DllRegisterServer() { return AMovieDllRegisterServer2(TRUE); }
//   STDAPI DllUnregisterServer() { return AMovieDllRegisterServer2(FALSE); }
#pragma once

#include <windows.h>

#include <dshow.h>

#include "framework/AMovieSetup.h"

// Registering: writes every template's server keys (AMovieSetupRegisterServer,
// with this module's path and ThreadingModel "Both") and stops at the first
// failure; then, with COM initialised here, registers every template's
// filter with the filter mapper (IFilterMapper2, else IFilterMapper), each
// one's earlier entry removed first; stops at the first failure.
// Unregistering: removes the filters from the mapper and then, if that
// succeeded, every template's server keys. Returns the first failure, or
// the HRESULT of the Win32 error when the module's path cannot be had.
STDAPI AMovieDllRegisterServer2(BOOL bRegister);

// Writes HKEY_CLASSES_ROOT\CLSID\{clsServer} with default value szDescription,
// and below it the key szServerType with default value szFileName and
// "ThreadingModel" = szThreadingModel, each value written whether or not the
// keys were there. The registry's failure as an HRESULT.
STDAPI AMovieSetupRegisterServer(CLSID clsServer, LPCWSTR szDescription, LPCWSTR szFileName,
                                 LPCWSTR szThreadingModel = L"Both", LPCWSTR szServerType = L"InprocServer32");
// Deletes HKEY_CLASSES_ROOT\CLSID\{clsServer} with everything below it; S_OK
// when it is not there.
STDAPI AMovieSetupUnregisterServer(CLSID clsServer);

// Removes the filter's entry from the mapper (CLSID_LegacyAmFilterCategory)
// and, with bRegister, registers it with its name, merit, pins and media
// types. 0x80070002 (no entry to remove) counts as success. S_FALSE for no
// setup data.
STDAPI AMovieSetupRegisterFilter2(const AMOVIESETUP_FILTER* psetupdata, IFilterMapper2* pIFM2, BOOL bRegister);
// The same through the first filter mapper: a call per filter, pin and type.
STDAPI AMovieSetupRegisterFilter(const AMOVIESETUP_FILTER* psetupdata, IFilterMapper* pdm, BOOL bRegister);
