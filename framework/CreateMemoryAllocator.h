// The memory allocator a pin uses when its peer offers none: on the native
// build the framework's own, on Windows the platform's (CLSID_MemoryAllocator).
#pragma once

#include <strmif.h>

// S_OK with *ppAllocator holding one reference to a new, empty allocator
// (SetProperties not called yet, decommitted); E_POINTER for a null
// ppAllocator; E_OUTOFMEMORY.
[[nodiscard]] HRESULT CreateMemoryAllocator(IMemAllocator** ppAllocator);
