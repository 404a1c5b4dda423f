#include "platform/runtime/AsyncSourceFilter.h"

#include <new>

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
