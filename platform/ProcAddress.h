// An exported function of a loaded module, as its own type.
#pragma once

#include <windows.h>

// Null when the module has no such export. F is the function's pointer type;
// the detour through void (*)() is the one cast compilers accept between
// function types.
template <class F>
F ProcAddressAs(HMODULE module, LPCSTR name)
{
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
