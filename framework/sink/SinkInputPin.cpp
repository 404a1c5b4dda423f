#include "framework/sink/SinkInputPin.h"

#include "framework/sink/SinkAllocator.h"
#include "framework/sink/SinkFilter.h"

CSinkInputPin::CSinkInputPin(CSinkFilter* pFilter, CCritSec* pLock, HRESULT* phr)
    : CBasePin(L"Sink input pin", pFilter, pLock, phr, L"In", PINDIR_INPUT), m_sink(pFilter)
{
}

STDMETHODIMP CSinkInputPin::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IMemInputPin)
        return GetInterface(static_cast<IMemInputPin*>(this), ppv);
    return CBasePin::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT CSinkInputPin::SetAcceptedType(const AM_MEDIA_TYPE* pmt)
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

void CSinkInputPin::DemandAllocatorProperties(const ALLOCATOR_PROPERTIES* props)
{
    CAutoLock lock(m_pLock);
    m_hasDemand = props != nullptr;
    m_demand = props ? *props : ALLOCATOR_PROPERTIES{};
}

void CSinkInputPin::SetOfferAllocator(bool offer)
{
    m_offerAllocator = offer;
}

void CSinkInputPin::SetNotifyAllocatorResult(HRESULT hr)
{
    m_notifyResult = hr;
}

void CSinkInputPin::SetReceiveDelay(DWORD ms)
{
    m_delayMs = ms;
}

void CSinkInputPin::SetReceiveResultAfter(LONG samples, HRESULT hr)
{
    m_resultAfterCode = hr;
    m_resultAfter = samples;
}

bool CSinkInputPin::GetNotifiedAllocator(ALLOCATOR_PROPERTIES* pProps, BOOL* pReadOnly)
{
    CAutoLock lock(m_pLock);
    if (!m_notified)
        return false;
    if (pProps && FAILED(m_notified->GetProperties(pProps)))
        return false;
    if (pReadOnly)
        *pReadOnly = m_notifiedReadOnly;
    return true;
}

bool CSinkInputPin::EndOfStreamReceived()
{
    CAutoLock lock(m_pLock);
    return m_endOfStream;
}

HRESULT CSinkInputPin::CheckMediaType(const CMediaType* pmt)
{
    if (!pmt)
        return E_POINTER;
    CAutoLock lock(m_pLock);
    if (m_hasAcceptedType && !pmt->MatchesPartial(&m_acceptedType))
        return VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

HRESULT CSinkInputPin::BreakConnect()
{
    CAutoLock lock(m_pLock);
    m_notified.Reset();
    m_notifiedReadOnly = FALSE;
    return CBasePin::BreakConnect();
}

void CSinkInputPin::StartStream(bool accepting)
{
    CAutoLock lock(m_pLock);
    m_accepting = accepting;
    m_flushing = false;
    m_endOfStream = false;
}

HRESULT CSinkInputPin::Active()
{
    StartStream(true);
    return CBasePin::Active();
}

HRESULT CSinkInputPin::Inactive()
{
    StartStream(false);
    return CBasePin::Inactive();
}

STDMETHODIMP CSinkInputPin::EndOfStream()
{
    m_records.NoteEndOfStream();
    {
        CAutoLock lock(m_pLock);
        if (!m_accepting || m_flushing)
            return S_OK; // nothing to end: the notice is dropped, as renderers do
        m_endOfStream = true;
    }
    m_sink->EndOfStreamArrived();
    return S_OK;
}

STDMETHODIMP CSinkInputPin::BeginFlush()
{
    m_records.NoteBeginFlush();
    CAutoLock lock(m_pLock);
    m_flushing = true;
    return S_OK;
}

STDMETHODIMP CSinkInputPin::EndFlush()
{
    m_records.NoteEndFlush();
    {
        CAutoLock lock(m_pLock);
        m_flushing = false;
        m_endOfStream = false;
    }
    m_sink->StreamRestarted();
    return S_OK;
}

STDMETHODIMP CSinkInputPin::NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate)
{
    m_records.NoteNewSegment();
    return CBasePin::NewSegment(tStart, tStop, dRate);
}

STDMETHODIMP CSinkInputPin::GetAllocator(IMemAllocator** ppAllocator)
{
    if (!ppAllocator)
        return E_POINTER;
    *ppAllocator = nullptr;
    if (!m_offerAllocator)
        return VFW_E_NO_ALLOCATOR;
    CAutoLock lock(m_pLock);
    CSinkAllocator* allocator = nullptr;
    const HRESULT hr = CSinkAllocator::Create(m_hasDemand ? &m_demand : nullptr, &allocator);
    *ppAllocator = allocator;
    return hr;
}

STDMETHODIMP CSinkInputPin::NotifyAllocator(IMemAllocator* pAllocator, BOOL bReadOnly)
{
    if (!pAllocator)
        return E_POINTER;
    const HRESULT refusal = m_notifyResult;
    if (FAILED(refusal))
        return refusal;
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
    m_notified = ComPtr<IMemAllocator>(pAllocator);
    m_notifiedReadOnly = bReadOnly;
    return S_OK;
}

STDMETHODIMP CSinkInputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES* pProps)
{
    if (!pProps)
        return E_POINTER;
    CAutoLock lock(m_pLock);
    if (!m_hasDemand)
        return E_NOTIMPL;
    *pProps = m_demand;
    return S_OK;
}

HRESULT CSinkInputPin::ReceiveState()
{
    CAutoLock lock(m_pLock);
    if (!m_accepting)
        return VFW_E_WRONG_STATE;
    if (m_flushing)
        return S_FALSE;
    if (m_endOfStream)
        return VFW_E_SAMPLE_REJECTED_EOS;
    return S_OK;
}

STDMETHODIMP CSinkInputPin::Receive(IMediaSample* pSample)
{
    if (!pSample)
        return E_POINTER;
    const LONG index = m_receiveCalls++; // 0-based
    const DWORD delay = m_delayMs;
    if (delay != 0)
        Sleep(delay); // outside every lock: a slow sink must not stall its filter
    const HRESULT state = ReceiveState();
    if (state != S_OK)
        return state;
    const LONG after = m_resultAfter;
    if (after >= 0 && index >= after)
        return m_resultAfterCode;
    m_records.Record(pSample);
    return S_OK;
}

STDMETHODIMP CSinkInputPin::ReceiveMultiple(IMediaSample** pSamples, LONG nSamples, LONG* nSamplesProcessed)
{
    if (!pSamples || !nSamplesProcessed)
        return E_POINTER;
    *nSamplesProcessed = 0;
    HRESULT hr = S_OK;
    while (*nSamplesProcessed < nSamples)
    {
        hr = Receive(pSamples[*nSamplesProcessed]);
        if (hr != S_OK)
            break;
        (*nSamplesProcessed)++;
    }
    return hr;
}

STDMETHODIMP CSinkInputPin::ReceiveCanBlock()
{
    return m_delayMs != 0 ? S_OK : S_FALSE;
}
