#include "tests/support/MemorySource.h"

#include "tests/support/FaultInjectingReader.h"
#include "tests/support/MemoryAsyncReader.h"

HRESULT CreateMemorySource(std::vector<BYTE> data, CAsyncSourceFilter** ppFilter)
{
    if (!ppFilter)
        return E_POINTER;
    *ppFilter = nullptr;
    CMemoryAsyncReader* reader = nullptr;
    HRESULT hr = CMemoryAsyncReader::Create(std::move(data), &reader);
    if (FAILED(hr))
        return hr;
    hr = CAsyncSourceFilter::Create(reader, nullptr, ppFilter);
    reader->Release(); // the filter holds its own reference
    return hr;
}

HRESULT CreateFaultySource(std::vector<BYTE> data, CAsyncSourceFilter** ppFilter,
                          CFaultInjectingReader** ppFaults)
{
    if (!ppFilter || !ppFaults)
        return E_POINTER;
    *ppFilter = nullptr;
    *ppFaults = nullptr;
    CMemoryAsyncReader* memory = nullptr;
    HRESULT hr = CMemoryAsyncReader::Create(std::move(data), &memory);
    if (FAILED(hr))
        return hr;
    CFaultInjectingReader* faults = nullptr;
    hr = CFaultInjectingReader::Create(memory, &faults);
    memory->Release(); // the fault injector holds its own reference
    if (FAILED(hr))
        return hr;
    hr = CAsyncSourceFilter::Create(faults, nullptr, ppFilter);
    if (FAILED(hr))
    {
        faults->Release();
        return hr;
    }
    *ppFaults = faults;
    return S_OK;
}
