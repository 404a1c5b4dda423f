// CFilterGraph's state: IMediaControl and IMediaFilter, every filter changed
// together, downstream first.
#include "platform/runtime/FilterGraph.h"

#include "platform/runtime/FilterGraphPins.h"

void CFilterGraph::StartRun()
{
    std::vector<LONG_PTR> sinks = Sinks();
    CAutoLock lock(&m_eventLock);
    m_completedSinks.clear();
    m_sinks.swap(sinks);
    m_endCode = 0;
    (void)ResetEvent(m_ended.get()); // a valid handle resets
}

HRESULT CFilterGraph::StopAll()
{
    HRESULT result = S_OK;
    for (IBaseFilter* filter : DownstreamFirst())
    {
        const HRESULT hr = filter->Stop();
        if (FAILED(hr) && SUCCEEDED(result))
            result = hr;
    }
    m_state = State_Stopped;
    return result;
}

template <class Change>
HRESULT CFilterGraph::ChangeEveryFilter(Change change)
{
    for (IBaseFilter* filter : DownstreamFirst())
    {
        const HRESULT hr = change(filter);
        if (FAILED(hr))
        {
            (void)StopAll(); // the failure of the change is the one to report
            return hr;
        }
    }
    return S_OK;
}

STDMETHODIMP CFilterGraph::Pause()
{
    CAutoLock lock(&m_lock);
    if (m_state == State_Stopped)
        StartRun();
    const HRESULT hr = ChangeEveryFilter([](IBaseFilter* filter) { return filter->Pause(); });
    if (FAILED(hr))
        return hr;
    m_state = State_Paused;
    return S_OK;
}

STDMETHODIMP CFilterGraph::Run()
{
    CAutoLock lock(&m_lock);
    if (m_state == State_Stopped)
    {
        const HRESULT hr = Pause();
        if (FAILED(hr))
            return hr;
    }
    // Unclocked: stream time starts at 0.
    const HRESULT hr = ChangeEveryFilter([](IBaseFilter* filter) { return filter->Run(0); });
    if (FAILED(hr))
        return hr;
    m_state = State_Running;
    return S_OK;
}

STDMETHODIMP CFilterGraph::Run(REFERENCE_TIME)
{
    return Run();
}

STDMETHODIMP CFilterGraph::Stop()
{
    CAutoLock lock(&m_lock);
    return StopAll();
}

STDMETHODIMP CFilterGraph::StopWhenReady()
{
    CAutoLock lock(&m_lock);
    const HRESULT hr = Pause();
    return FAILED(hr) ? hr : StopAll();
}

FILTER_STATE CFilterGraph::State()
{
    CAutoLock lock(&m_lock);
    return m_state;
}

STDMETHODIMP CFilterGraph::GetState(LONG, OAFilterState* pfs)
{
    if (!pfs)
        return E_POINTER;
    *pfs = State();
    return S_OK;
}

STDMETHODIMP CFilterGraph::GetState(DWORD, FILTER_STATE* pState)
{
    if (!pState)
        return E_POINTER;
    *pState = State();
    return S_OK;
}

STDMETHODIMP CFilterGraph::RenderFile(BSTR)
{
    return E_NOTIMPL;
}

STDMETHODIMP CFilterGraph::AddSourceFilter(BSTR, IDispatch** ppUnk)
{
    if (ppUnk)
        *ppUnk = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CFilterGraph::get_FilterCollection(IDispatch** ppUnk)
{
    if (ppUnk)
        *ppUnk = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CFilterGraph::get_RegFilterCollection(IDispatch** ppUnk)
{
    if (ppUnk)
        *ppUnk = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CFilterGraph::GetTypeInfoCount(UINT*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CFilterGraph::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo)
{
    if (ppTInfo)
        *ppTInfo = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CFilterGraph::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CFilterGraph::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CFilterGraph::GetClassID(CLSID* pClassID)
{
    if (!pClassID)
        return E_POINTER;
    *pClassID = CLSID_FilterGraph;
    return S_OK;
}

STDMETHODIMP CFilterGraph::SetSyncSource(IReferenceClock* pClock)
{
    {
        CAutoLock lock(&m_lock);
        for (const Entry& entry : m_filters)
        {
            const HRESULT hr = entry.filter->SetSyncSource(pClock);
            if (FAILED(hr))
                return hr;
        }
        m_clock = ComPtr<IReferenceClock>(pClock);
    }
    return Notify(EC_CLOCK_CHANGED, 0, 0);
}

STDMETHODIMP CFilterGraph::GetSyncSource(IReferenceClock** pClock)
{
    if (!pClock)
        return E_POINTER;
    CAutoLock lock(&m_lock);
    *pClock = m_clock.CopyOut();
    return S_OK;
}
