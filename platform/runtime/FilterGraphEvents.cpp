// CFilterGraph's events: what the filters notify (IMediaEventSink), the
// application's queue (IMediaEvent, IMediaEventEx) and the end of a run.
#include "platform/runtime/FilterGraph.h"

#include <algorithm>
#include <new>

namespace {

bool EndsRun(LONG code)
{
    return code == EC_ERRORABORT || code == EC_ERRORABORTEX || code == EC_USERABORT ||
           code == EC_STREAM_ERROR_STOPPED;
}

// A timeout of the platform's LONG form as a wait's: any negative one waits
// without end.
DWORD WaitMilliseconds(LONG msTimeout)
{
    return msTimeout < 0 ? INFINITE : static_cast<DWORD>(msTimeout);
}

} // namespace

void CFilterGraph::Queue(LONG code, LONG_PTR param1, LONG_PTR param2)
{
    if (m_notifyFlags & AM_MEDIAEVENT_NONOTIFY)
        return; // the application asked for none
    m_queue.push_back(GraphEvent{code, param1, param2});
    (void)SetEvent(m_queued.get()); // a valid handle sets
}

STDMETHODIMP CFilterGraph::Notify(LONG EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2)
{
    CAutoLock lock(&m_eventLock);
    const bool wasEnded = m_endCode != 0;
    try
    {
        m_events.push_back(GraphEvent{EventCode, EventParam1, EventParam2});
        // EC_COMPLETE names its sender; only the run's sinks count, once each.
        if (EventCode == EC_COMPLETE &&
            std::find(m_sinks.begin(), m_sinks.end(), EventParam2) != m_sinks.end() &&
            std::find(m_completedSinks.begin(), m_completedSinks.end(), EventParam2) == m_completedSinks.end())
            m_completedSinks.push_back(EventParam2);
        if (!wasEnded)
        {
            if (EndsRun(EventCode))
                m_endCode = EventCode;
            else if (EventCode == EC_COMPLETE && !m_sinks.empty() && m_completedSinks.size() == m_sinks.size())
                m_endCode = EC_COMPLETE;
        }
        if (EventCode != EC_COMPLETE || !m_completeByDefault)
            Queue(EventCode, EventParam1, EventParam2);
        else if (!wasEnded && m_endCode == EC_COMPLETE)
            Queue(EC_COMPLETE, S_OK, 0); // the graph's own: every sink has completed
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
    if (m_endCode != 0)
        (void)SetEvent(m_ended.get()); // a valid handle sets
    return S_OK;
}

STDMETHODIMP CFilterGraph::GetEventHandle(OAEVENT* hEvent)
{
    if (!hEvent)
        return E_POINTER;
    *hEvent = reinterpret_cast<OAEVENT>(m_queued.get());
    return S_OK;
}

STDMETHODIMP CFilterGraph::GetEvent(LONG* lEventCode, LONG_PTR* lParam1, LONG_PTR* lParam2, LONG msTimeout)
{
    if (!lEventCode || !lParam1 || !lParam2)
        return E_POINTER;
    const DWORD wait = WaitMilliseconds(msTimeout);
    const DWORD start = GetTickCount();
    for (;;)
    {
        {
            CAutoLock lock(&m_eventLock);
            if (!m_queue.empty())
            {
                const GraphEvent event = m_queue.front();
                m_queue.pop_front();
                if (m_queue.empty())
                    (void)ResetEvent(m_queued.get()); // a valid handle resets
                *lEventCode = event.code;
                *lParam1 = event.param1;
                *lParam2 = event.param2;
                return S_OK;
            }
        }
        // Another caller may take the event that wakes this one: wait again
        // for what is left of the time.
        const DWORD waited = GetTickCount() - start;
        const DWORD left = wait == INFINITE ? INFINITE : (waited < wait ? wait - waited : 0);
        if (WaitForSingleObject(m_queued.get(), left) != WAIT_OBJECT_0)
        {
            *lEventCode = 0;
            *lParam1 = 0;
            *lParam2 = 0;
            return E_ABORT;
        }
    }
}

STDMETHODIMP CFilterGraph::WaitForCompletion(LONG msTimeout, LONG* pEvCode)
{
    if (!pEvCode)
        return E_POINTER;
    (void)WaitForSingleObject(m_ended.get(), WaitMilliseconds(msTimeout)); // the end code says how it went
    CAutoLock lock(&m_eventLock);
    *pEvCode = m_endCode;
    return m_endCode != 0 ? S_OK : E_ABORT;
}

STDMETHODIMP CFilterGraph::CancelDefaultHandling(LONG lEvCode)
{
    if (lEvCode != EC_COMPLETE)
        return E_INVALIDARG; // the only event the graph handles itself
    CAutoLock lock(&m_eventLock);
    m_completeByDefault = false;
    return S_OK;
}

STDMETHODIMP CFilterGraph::RestoreDefaultHandling(LONG lEvCode)
{
    if (lEvCode != EC_COMPLETE)
        return E_INVALIDARG;
    CAutoLock lock(&m_eventLock);
    m_completeByDefault = true;
    return S_OK;
}

STDMETHODIMP CFilterGraph::FreeEventParams(LONG, LONG_PTR, LONG_PTR)
{
    return S_OK; // no event carries memory of its own here
}

STDMETHODIMP CFilterGraph::SetNotifyWindow(OAHWND, LONG, LONG_PTR)
{
    return S_OK;
}

STDMETHODIMP CFilterGraph::SetNotifyFlags(LONG lNoNotifyFlags)
{
    if (lNoNotifyFlags != 0 && lNoNotifyFlags != AM_MEDIAEVENT_NONOTIFY)
        return E_INVALIDARG;
    CAutoLock lock(&m_eventLock);
    m_notifyFlags = lNoNotifyFlags;
    return S_OK;
}

STDMETHODIMP CFilterGraph::GetNotifyFlags(LONG* lplNoNotifyFlags)
{
    if (!lplNoNotifyFlags)
        return E_POINTER;
    CAutoLock lock(&m_eventLock);
    *lplNoNotifyFlags = m_notifyFlags;
    return S_OK;
}

std::vector<GraphEvent> CFilterGraph::Events() const
{
    CAutoLock lock(&m_eventLock);
    return m_events;
}

size_t CFilterGraph::CountEvents(LONG code) const
{
    CAutoLock lock(&m_eventLock);
    return static_cast<size_t>(std::count_if(m_events.begin(), m_events.end(),
                                             [&](const GraphEvent& event) { return event.code == code; }));
}

void CFilterGraph::ClearEvents()
{
    CAutoLock lock(&m_eventLock);
    m_events.clear();
}
