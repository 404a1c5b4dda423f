#include "tools/sink/SinkInputPin.h"

#include "framework/CreateMemoryAllocator.h"
#include "tools/sink/SinkFilter.h"

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
    return pmt ? S_OK : E_POINTER;
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
    return CreateMemoryAllocator(ppAllocator);
}

STDMETHODIMP CSinkInputPin::NotifyAllocator(IMemAllocator* pAllocator, BOOL bReadOnly)
{
    if (!pAllocator)
        return E_POINTER;
    CAutoLock lock(m_pLock);
    m_notified = ComPtr<IMemAllocator>(pAllocator);
    m_notifiedReadOnly = bReadOnly;
    return S_OK;
}

STDMETHODIMP CSinkInputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES* pProps)
{
    return pProps ? E_NOTIMPL : E_POINTER; // any allocator will do
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
    const HRESULT state = ReceiveState();
    if (state != S_OK)
        return state;
    const HRESULT accepted = AcceptSample(pSample, index);
    if (accepted != S_OK)
        return accepted;
    m_records.Record(pSample);
    return S_OK;
}

HRESULT CSinkInputPin::AcceptSample(IMediaSample*, LONG)
{
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
    return S_FALSE; // recording never waits
}
