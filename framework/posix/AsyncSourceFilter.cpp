#include "framework/posix/AsyncSourceFilter.h"

#include <new>

#include "framework/posix/FaultInjectingReader.h"
#include "framework/posix/MemoryAsyncReader.h"

HRESULT CAsyncSourceFilter::Create(IAsyncReader* pReader, const AM_MEDIA_TYPE* pmt, CAsyncSourceFilter** ppFilter)
{
    if (!pReader || !ppFilter)
        return E_POINTER;
    *ppFilter = nullptr;
    HRESULT hr = S_OK;
    CAsyncSourceFilter* filter = new (std::nothrow) CAsyncSourceFilter(L"Async source", CLSID_NULL, &hr);
    if (!filter)
        return E_OUTOFMEMORY;
    filter->NonDelegatingAddRef();
    if (SUCCEEDED(hr))
        hr = filter->SetReader(pReader, pmt);
    if (FAILED(hr))
    {
        filter->NonDelegatingRelease();
        return hr;
    }
    *ppFilter = filter;
    return S_OK;
}

HRESULT CAsyncSourceFilter::CreateFromMemory(std::vector<BYTE> data, CAsyncSourceFilter** ppFilter)
{
    if (!ppFilter)
        return E_POINTER;
    *ppFilter = nullptr;
    CMemoryAsyncReader* reader = nullptr;
    HRESULT hr = CMemoryAsyncReader::Create(std::move(data), &reader);
    if (FAILED(hr))
        return hr;
    hr = Create(reader, nullptr, ppFilter);
    reader->Release(); // the filter holds its own reference
    return hr;
}

HRESULT CAsyncSourceFilter::CreateWithFaults(std::vector<BYTE> data, CAsyncSourceFilter** ppFilter,
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
    hr = Create(faults, nullptr, ppFilter);
    if (FAILED(hr))
    {
        faults->Release();
        return hr;
    }
    *ppFaults = faults;
    return S_OK;
}

CAsyncSourceFilter::CAsyncSourceFilter(LPCWSTR pName, REFCLSID clsid, HRESULT* phr)
    : CBaseFilter(pName, nullptr, &m_lock, clsid)
{
    m_pin.reset(new (std::nothrow) CAsyncSourcePin(this, &m_lock, phr));
    if (!m_pin && phr)
        *phr = E_OUTOFMEMORY;
}

CAsyncSourceFilter::~CAsyncSourceFilter() = default;

HRESULT CAsyncSourceFilter::SetReader(IAsyncReader* pReader, const AM_MEDIA_TYPE* pmt)
{
    CAutoLock lock(&m_lock);
    if (!m_pin)
        return E_OUTOFMEMORY;
    const HRESULT hr = m_pin->SetReader(pReader, pmt);
    if (FAILED(hr))
        return hr;
    if (!m_hasReader)
    {
        m_hasReader = true;
        IncrementPinVersion();
    }
    return S_OK;
}

CAsyncSourcePin* CAsyncSourceFilter::Output()
{
    CAutoLock lock(&m_lock);
    return m_hasReader ? m_pin.get() : nullptr;
}

int CAsyncSourceFilter::GetPinCount()
{
    CAutoLock lock(&m_lock);
    return m_hasReader ? 1 : 0;
}

CBasePin* CAsyncSourceFilter::GetPin(int n)
{
    CAutoLock lock(&m_lock);
    return (n == 0 && m_hasReader) ? m_pin.get() : nullptr;
}
