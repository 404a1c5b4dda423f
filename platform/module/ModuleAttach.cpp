// Linked into a native filter module only (not into the framework library):
// the platform's loader calls a module's DllMain when it loads and unloads
// the module; the dynamic linker runs these two functions instead.
#include <windows.h>

#include <dlfcn.h>

#include "framework/DllEntry.h"

namespace {

HMODULE g_module = nullptr; // this module; not a load of its own

// The handle dlopen gives for this module. Asked with RTLD_NOLOAD, it adds a
// load that is dropped at once: the module stays loaded by its loader.
HMODULE ThisModule()
{
    Dl_info info{};
    if (!::dladdr(reinterpret_cast<void*>(&ThisModule), &info) || !info.dli_fname)
        return nullptr;
    void* module = ::dlopen(info.dli_fname, RTLD_NOLOAD | RTLD_LAZY);
    if (module)
        (void)::dlclose(module);
    return module;
}

__attribute__((constructor)) void AttachModule()
{
    g_module = ThisModule();
    (void)DllMain(g_module, DLL_PROCESS_ATTACH, nullptr); // a constructor cannot refuse the load
}

__attribute__((destructor)) void DetachModule()
{
    (void)DllMain(g_module, DLL_PROCESS_DETACH, nullptr);
}

} // namespace
