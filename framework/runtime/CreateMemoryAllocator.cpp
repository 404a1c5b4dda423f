#include "framework/CreateMemoryAllocator.h"

#include "framework/runtime/MemAllocator.h"

HRESULT CreateMemoryAllocator(IMemAllocator** ppAllocator)
{
    if (!ppAllocator)
        return E_POINTER;
    CMemAllocator* allocator = nullptr;
    const HRESULT hr = CMemAllocator::Create(&allocator);
    *ppAllocator = allocator;
    return hr;
}
