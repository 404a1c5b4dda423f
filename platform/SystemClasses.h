// The classes the platform's runtime provides itself (platform/runtime: the
// filter graph, the file source, the memory allocator, the filter mapper), as
// Windows' own DLLs do: made without the registry. The runtime installs its
// maker when it is linked into a program, so the kernel and COM part of the
// platform does not depend on the runtime built over it.
#pragma once

#include <objbase.h>

using SystemClassMaker = HRESULT (*)(REFCLSID clsid, LPUNKNOWN outer, REFIID riid, LPVOID* ppv);

// Installs the runtime's maker; once per program, before main.
void InstallSystemClasses(SystemClassMaker maker);

// An object of one of the runtime's classes with its riid interface in *ppv,
// as the runtime's maker answers; REGDB_E_CLASSNOTREG for any other clsid or
// when no runtime is linked in, so the caller looks in the registry next.
[[nodiscard]] HRESULT CreateSystemObject(REFCLSID clsid, LPUNKNOWN outer, REFIID riid, LPVOID* ppv);
