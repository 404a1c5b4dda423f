// Source filters over bytes in memory, for tests: plain, or behind a
// fault-injecting reader that the test tells when to fail or where to cut
// the data short.
#pragma once

#include <vector>

#include "platform/runtime/AsyncSourceFilter.h"

class CFaultInjectingReader;

// S_OK with *ppFilter holding one reference; E_POINTER, E_OUTOFMEMORY.
[[nodiscard]] HRESULT CreateMemorySource(std::vector<BYTE> data, CAsyncSourceFilter** ppFilter);
// Reads go through *ppFaults (one reference for the caller).
[[nodiscard]] HRESULT CreateFaultySource(std::vector<BYTE> data, CAsyncSourceFilter** ppFilter,
                                         CFaultInjectingReader** ppFaults);
