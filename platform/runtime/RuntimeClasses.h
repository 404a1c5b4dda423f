// The classes the native runtime provides itself, as the platform's own
// DLLs do: CoCreateInstance makes them without the registry.
#pragma once

#include <objbase.h>

// An object of clsid with its riid interface in *ppv, when clsid is one of
// CLSID_FilterGraph, CLSID_AsyncReader (the file source),
// CLSID_MemoryAllocator and CLSID_FilterMapper2; none is aggregatable
// (CLASS_E_NOAGGREGATION with an outer). REGDB_E_CLASSNOTREG for any other
// clsid, so the caller looks in the registry next.
[[nodiscard]] HRESULT CreateRuntimeObject(REFCLSID clsid, LPUNKNOWN outer, REFIID riid, LPVOID* ppv);
