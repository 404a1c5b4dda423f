#include "tools/sink/SinkFilter.h"

#include <new>

HRESULT CSinkFilter::Create(CSinkFilter** ppSink)
{
    return Finish<CSinkFilter, CSinkInputPin>(new (std::nothrow) CSinkFilter(), ppSink);
}

CSinkFilter::CSinkFilter() : CBaseFilter(L"Sink", nullptr, &m_lock, CLSID_NULL)
{
}

CSinkFilter::~CSinkFilter() = default;

CBasePin* CSinkFilter::GetPin(int n)
{
    return n == 0 ? m_pin.get() : nullptr;
}

STDMETHODIMP CSinkFilter::Stop()
{
    CAutoLock lock(&m_lock);
    m_endPending = false;
    m_completeSent = false;
    return CBaseFilter::Stop();
}

STDMETHODIMP CSinkFilter::Run(REFERENCE_TIME tStart)
{
    bool notify = false;
    HRESULT hr;
    {
        CAutoLock lock(&m_lock);
        hr = CBaseFilter::Run(tStart);
        if (SUCCEEDED(hr) && m_endPending && !m_completeSent)
        {
            m_completeSent = true;
            notify = true;
        }
    }
    if (notify)
        (void)NotifyEvent(EC_COMPLETE, S_OK, 0); // the graph records it; nothing to undo here
    return hr;
}

void CSinkFilter::EndOfStreamArrived()
{
    bool notify = false;
    {
        CAutoLock lock(&m_lock);
        if (m_State == State_Stopped)
            return;
        m_endPending = true;
        if (m_State == State_Running && !m_completeSent)
        {
            m_completeSent = true;
            notify = true;
        }
    }
    if (notify)
        (void)NotifyEvent(EC_COMPLETE, S_OK, 0);
}

void CSinkFilter::StreamRestarted()
{
    CAutoLock lock(&m_lock);
    m_endPending = false;
    m_completeSent = false;
}
