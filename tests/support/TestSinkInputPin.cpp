#include "tests/support/TestSinkInputPin.h"

#include "tests/support/DemandingAllocator.h"

CTestSinkInputPin::CTestSinkInputPin(CSinkFilter* pFilter, CCritSec* pLock, HRESULT* phr)
    : CSinkInputPin(pFilter, pLock, phr)
{
}

HRESULT CTestSinkInputPin::SetAcceptedType(const AM_MEDIA_TYPE* pmt)
{
    CAutoLock lock(m_pLock);
    m_hasAcceptedType = pmt != nullptr;
    if (!pmt)
    {
        m_acceptedType.InitMediaType();
        return S_OK;
    }
    return m_acceptedType.Set(*pmt);
}

void CTestSinkInputPin::DemandAllocatorProperties(const ALLOCATOR_PROPERTIES* props)
{
    CAutoLock lock(m_pLock);
    m_hasDemand = props != nullptr;
    m_demand = props ? *props : ALLOCATOR_PROPERTIES{};
}

void CTestSinkInputPin::SetOfferAllocator(bool offer)
{
    m_offerAllocator = offer;
}

void CTestSinkInputPin::SetNotifyAllocatorResult(HRESULT hr)
{
    m_notifyResult = hr;
}

void CTestSinkInputPin::SetReceiveDelay(DWORD ms)
{
    m_delayMs = ms;
}

void CTestSinkInputPin::HoldReceive(LONG index)
{
    std::lock_guard<std::mutex> lock(m_gateLock);
    m_holdAt = index;
    m_receives = 0;
}

void CTestSinkInputPin::OpenGate()
{
    std::lock_guard<std::mutex> lock(m_gateLock);
    m_holdAt = -1;
    m_gateOpened.notify_all();
}

void CTestSinkInputPin::SetReceiveResultAfter(LONG samples, HRESULT hr)
{
    m_resultAfterCode = hr;
    m_resultAfter = samples;
}

HRESULT CTestSinkInputPin::CheckMediaType(const CMediaType* pmt)
{
    const HRESULT hr = CSinkInputPin::CheckMediaType(pmt);
    if (FAILED(hr))
        return hr;
    CAutoLock lock(m_pLock);
    if (m_hasAcceptedType && !pmt->MatchesPartial(&m_acceptedType))
        return VFW_E_TYPE_NOT_ACCEPTED;
    return hr;
}

STDMETHODIMP CTestSinkInputPin::GetAllocator(IMemAllocator** ppAllocator)
{
    if (!ppAllocator)
        return E_POINTER;
    *ppAllocator = nullptr;
    if (!m_offerAllocator)
        return VFW_E_NO_ALLOCATOR;
    CAutoLock lock(m_pLock);
    if (!m_hasDemand)
        return CSinkInputPin::GetAllocator(ppAllocator);
    CDemandingAllocator* allocator = nullptr;
    const HRESULT hr = CDemandingAllocator::Create(&m_demand, &allocator);
    *ppAllocator = allocator;
    return hr;
}

STDMETHODIMP CTestSinkInputPin::NotifyAllocator(IMemAllocator* pAllocator, BOOL bReadOnly)
{
    if (!pAllocator)
        return E_POINTER;
    const HRESULT refusal = m_notifyResult;
    if (FAILED(refusal))
        return refusal;
    {
        CAutoLock lock(m_pLock);
        if (m_hasDemand)
        {
            ALLOCATOR_PROPERTIES props{};
            const HRESULT hr = pAllocator->GetProperties(&props);
            if (FAILED(hr))
                return hr;
            if (props.cBuffers < m_demand.cBuffers || props.cbBuffer < m_demand.cbBuffer ||
                props.cbAlign < m_demand.cbAlign || props.cbPrefix < m_demand.cbPrefix)
                return E_FAIL;
        }
    }
    return CSinkInputPin::NotifyAllocator(pAllocator, bReadOnly);
}

STDMETHODIMP CTestSinkInputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES* pProps)
{
    if (!pProps)
        return E_POINTER;
    {
        CAutoLock lock(m_pLock);
        if (m_hasDemand)
        {
            *pProps = m_demand;
            return S_OK;
        }
    }
    return CSinkInputPin::GetAllocatorRequirements(pProps);
}

STDMETHODIMP CTestSinkInputPin::Receive(IMediaSample* pSample)
{
    const DWORD delay = m_delayMs;
    if (delay != 0)
        Sleep(delay); // outside every lock: a slow sink must not stall its filter
    {
        std::unique_lock<std::mutex> lock(m_gateLock);
        const LONG index = m_receives++;
        m_gateOpened.wait(lock, [&] { return m_holdAt != index; });
    }
    return CSinkInputPin::Receive(pSample);
}

HRESULT CTestSinkInputPin::AcceptSample(IMediaSample* pSample, LONG index)
{
    const LONG after = m_resultAfter;
    if (after >= 0 && index >= after)
        return m_resultAfterCode;
    return CSinkInputPin::AcceptSample(pSample, index);
}

STDMETHODIMP CTestSinkInputPin::ReceiveCanBlock()
{
    return m_delayMs != 0 ? S_OK : CSinkInputPin::ReceiveCanBlock();
}
