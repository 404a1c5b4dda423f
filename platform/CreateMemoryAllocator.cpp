#include "framework/CreateMemoryAllocator.h"

#include <uuids.h>

#include "platform/SystemClasses.h"

HRESULT CreateMemoryAllocator(IMemAllocator** ppAllocator)
{
    if (!ppAllocator)
        return E_POINTER;
    *ppAllocator = nullptr;
    // The runtime's own allocator, made as the platform makes it for
    // CoCreateInstance but without asking for COM on this thread: a pin
    // inside a module decides its allocator on the application's thread.
    return CreateSystemObject(CLSID_MemoryAllocator, nullptr, IID_IMemAllocator, reinterpret_cast<void**>(ppAllocator));
}
