#include "platform/SystemClasses.h"

#include <atomic>

namespace {

// Constant-initialised, so a maker installed by another file's static
// initialiser is never overwritten.
std::atomic<SystemClassMaker> g_maker{nullptr};

} // namespace

void InstallSystemClasses(SystemClassMaker maker)
{
    g_maker.store(maker, std::memory_order_release);
}

HRESULT CreateSystemObject(REFCLSID clsid, LPUNKNOWN outer, REFIID riid, LPVOID* ppv)
{
    const SystemClassMaker maker = g_maker.load(std::memory_order_acquire);
    return maker ? maker(clsid, outer, riid, ppv) : REGDB_E_CLASSNOTREG;
}
