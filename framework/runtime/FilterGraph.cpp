#include "framework/runtime/FilterGraph.h"

#include <algorithm>
#include <chrono>
#include <new>

#include "framework/CMediaType.h"

namespace {

std::vector<ComPtr<IPin>> PinsOf(IBaseFilter* filter)
{
    std::vector<ComPtr<IPin>> pins;
    IEnumPins* rawEnum = nullptr;
    if (FAILED(filter->EnumPins(&rawEnum)) || !rawEnum)
        return pins;
    const ComPtr<IEnumPins> pinEnum = ComPtr<IEnumPins>::Attach(rawEnum);
    IPin* pin = nullptr;
    while (pinEnum->Next(1, &pin, nullptr) == S_OK)
        pins.push_back(ComPtr<IPin>::Attach(pin));
    return pins;
}

PIN_DIRECTION DirectionOf(IPin* pin)
{
    PIN_DIRECTION dir = PINDIR_INPUT;
    (void)pin->QueryDirection(&dir); // a pin answers this for any valid pointer
    return dir;
}

ComPtr<IBaseFilter> FilterOf(IPin* pin)
{
    PIN_INFO info{};
    if (FAILED(pin->QueryPinInfo(&info)))
        return ComPtr<IBaseFilter>();
    return ComPtr<IBaseFilter>::Attach(info.pFilter);
}

ComPtr<IPin> PeerOf(IPin* pin)
{
    IPin* peer = nullptr;
    if (pin->ConnectedTo(&peer) != S_OK)
        return ComPtr<IPin>();
    return ComPtr<IPin>::Attach(peer);
}

// Both sides, as the platform's graph does when a filter leaves it.
void DisconnectBothSides(IPin* pin)
{
    const ComPtr<IPin> peer = PeerOf(pin);
    if (peer)
        (void)peer->Disconnect(); // a peer that cannot let go keeps its reference; nothing more to do
    (void)pin->Disconnect();
}

bool EndsRun(LONG code)
{
    return code == EC_ERRORABORT || code == EC_ERRORABORTEX || code == EC_USERABORT ||
           code == EC_STREAM_ERROR_STOPPED;
}

} // namespace

HRESULT CFilterGraph::Create(CFilterGraph** ppGraph)
{
    if (!ppGraph)
        return E_POINTER;
    *ppGraph = new (std::nothrow) CFilterGraph();
    if (!*ppGraph)
        return E_OUTOFMEMORY;
    (*ppGraph)->NonDelegatingAddRef();
    return S_OK;
}

CFilterGraph::CFilterGraph() : CUnknown(L"Filter graph", nullptr)
{
}

CFilterGraph::~CFilterGraph()
{
    Clear();
}

STDMETHODIMP CFilterGraph::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IFilterGraph)
        return GetInterface(static_cast<IFilterGraph*>(this), ppv);
    if (riid == IID_IMediaEventSink)
        return GetInterface(static_cast<IMediaEventSink*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

bool CFilterGraph::Contains(IBaseFilter* filter) const
{
    return std::any_of(m_filters.begin(), m_filters.end(),
                       [&](const Entry& entry) { return entry.filter.Get() == filter; });
}

bool CFilterGraph::IsNameUsed(const std::wstring& name) const
{
    return std::any_of(m_filters.begin(), m_filters.end(), [&](const Entry& entry) { return entry.name == name; });
}

STDMETHODIMP CFilterGraph::AddFilter(IBaseFilter* pFilter, LPCWSTR pName)
{
    if (!pFilter)
        return E_POINTER;
    CAutoLock lock(&m_lock);
    if (Contains(pFilter))
        return E_INVALIDARG;
    HRESULT result = S_OK;
    try
    {
        std::wstring name = pName ? pName : L"Filter";
        if (!pName || IsNameUsed(name))
        {
            const std::wstring base = name;
            do
                name = base + L" " + std::to_wstring(++m_namesMade);
            while (IsNameUsed(name));
            if (pName)
                result = VFW_S_DUPLICATE_NAME;
        }
        m_filters.push_back(Entry{ComPtr<IBaseFilter>(pFilter), name});
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = pFilter->JoinFilterGraph(this, m_filters.back().name.c_str());
    if (FAILED(hr))
    {
        m_filters.pop_back();
        return hr;
    }
    return result;
}

STDMETHODIMP CFilterGraph::RemoveFilter(IBaseFilter* pFilter)
{
    if (!pFilter)
        return E_POINTER;
    CAutoLock lock(&m_lock);
    const auto it = std::find_if(m_filters.begin(), m_filters.end(),
                                 [&](const Entry& entry) { return entry.filter.Get() == pFilter; });
    if (it == m_filters.end())
        return VFW_E_NOT_FOUND;
    for (const ComPtr<IPin>& pin : PinsOf(pFilter))
        DisconnectBothSides(pin.Get());
    (void)pFilter->JoinFilterGraph(nullptr, nullptr); // leaving cannot fail in a way we could undo
    m_filters.erase(it);
    return S_OK;
}

STDMETHODIMP CFilterGraph::EnumFilters(IEnumFilters** ppEnum)
{
    if (ppEnum)
        *ppEnum = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CFilterGraph::FindFilterByName(LPCWSTR pName, IBaseFilter** ppFilter)
{
    if (!pName || !ppFilter)
        return E_POINTER;
    CAutoLock lock(&m_lock);
    for (const Entry& entry : m_filters)
    {
        if (entry.name == pName)
        {
            *ppFilter = entry.filter.CopyOut();
            return S_OK;
        }
    }
    *ppFilter = nullptr;
    return VFW_E_NOT_FOUND;
}

STDMETHODIMP CFilterGraph::ConnectDirect(IPin* ppinOut, IPin* ppinIn, const AM_MEDIA_TYPE* pmt)
{
    if (!ppinOut || !ppinIn)
        return E_POINTER;
    CAutoLock lock(&m_lock);
    const ComPtr<IBaseFilter> source = FilterOf(ppinOut);
    const ComPtr<IBaseFilter> target = FilterOf(ppinIn);
    if (!source || !target || !Contains(source.Get()) || !Contains(target.Get()))
        return VFW_E_NOT_IN_GRAPH;
    if (DirectionOf(ppinOut) != PINDIR_OUTPUT || DirectionOf(ppinIn) != PINDIR_INPUT)
        return VFW_E_INVALID_DIRECTION;
    return ppinOut->Connect(ppinIn, pmt);
}

STDMETHODIMP CFilterGraph::Reconnect(IPin* ppin)
{
    if (!ppin)
        return E_POINTER;
    const ComPtr<IPin> peer = PeerOf(ppin);
    if (!peer)
        return VFW_E_NOT_CONNECTED;
    CMediaType type;
    HRESULT hr = ppin->ConnectionMediaType(&type);
    if (FAILED(hr))
        return hr;
    IPin* out = DirectionOf(ppin) == PINDIR_OUTPUT ? ppin : peer.Get();
    IPin* in = out == ppin ? peer.Get() : ppin;
    hr = in->Disconnect();
    if (SUCCEEDED(hr))
        hr = out->Disconnect();
    if (FAILED(hr))
        return hr;
    return ConnectDirect(out, in, &type);
}

STDMETHODIMP CFilterGraph::Disconnect(IPin* ppin)
{
    if (!ppin)
        return E_POINTER;
    return ppin->Disconnect();
}

STDMETHODIMP CFilterGraph::SetDefaultSyncSource()
{
    CAutoLock lock(&m_lock);
    for (const Entry& entry : m_filters)
    {
        const HRESULT hr = entry.filter->SetSyncSource(nullptr);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

STDMETHODIMP CFilterGraph::Notify(LONG EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2)
{
    std::lock_guard<std::mutex> lock(m_eventLock);
    try
    {
        m_events.push_back(GraphEvent{EventCode, EventParam1, EventParam2});
        // EC_COMPLETE names its sender; only the run's sinks count, once each.
        if (EventCode == EC_COMPLETE &&
            std::find(m_sinks.begin(), m_sinks.end(), EventParam2) != m_sinks.end() &&
            std::find(m_completedSinks.begin(), m_completedSinks.end(), EventParam2) == m_completedSinks.end())
            m_completedSinks.push_back(EventParam2);
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
    if (m_endCode == 0)
    {
        if (EndsRun(EventCode))
            m_endCode = EventCode;
        else if (EventCode == EC_COMPLETE && !m_sinks.empty() && m_completedSinks.size() == m_sinks.size())
            m_endCode = EC_COMPLETE;
    }
    m_eventChanged.notify_all();
    return S_OK;
}

std::vector<IBaseFilter*> CFilterGraph::DownstreamFirst() const
{
    // Depth-first over the connections, each filter placed after every
    // filter it feeds.
    std::vector<IBaseFilter*> order;
    std::vector<IBaseFilter*> visiting;
    auto visit = [&](auto&& self, IBaseFilter* filter) -> void {
        if (std::find(order.begin(), order.end(), filter) != order.end() ||
            std::find(visiting.begin(), visiting.end(), filter) != visiting.end())
            return;
        visiting.push_back(filter);
        for (const ComPtr<IPin>& pin : PinsOf(filter))
        {
            if (DirectionOf(pin.Get()) != PINDIR_OUTPUT)
                continue;
            const ComPtr<IPin> peer = PeerOf(pin.Get());
            const ComPtr<IBaseFilter> downstream = peer ? FilterOf(peer.Get()) : ComPtr<IBaseFilter>();
            if (downstream && Contains(downstream.Get()))
                self(self, downstream.Get());
        }
        visiting.pop_back();
        order.push_back(filter);
    };
    for (const Entry& entry : m_filters)
        visit(visit, entry.filter.Get());
    return order;
}

std::vector<LONG_PTR> CFilterGraph::Sinks() const
{
    std::vector<LONG_PTR> sinks;
    for (const Entry& entry : m_filters)
    {
        bool hasOutput = false;
        bool connectedInput = false;
        for (const ComPtr<IPin>& pin : PinsOf(entry.filter.Get()))
        {
            if (DirectionOf(pin.Get()) == PINDIR_OUTPUT)
                hasOutput = true;
            else if (PeerOf(pin.Get()))
                connectedInput = true;
        }
        if (connectedInput && !hasOutput)
            sinks.push_back(reinterpret_cast<LONG_PTR>(entry.filter.Get()));
    }
    return sinks;
}

void CFilterGraph::StartRun()
{
    std::vector<LONG_PTR> sinks = Sinks();
    std::lock_guard<std::mutex> lock(m_eventLock);
    m_completedSinks.clear();
    m_sinks.swap(sinks);
    m_endCode = 0;
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

HRESULT CFilterGraph::Pause()
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

HRESULT CFilterGraph::Run()
{
    CAutoLock lock(&m_lock);
    if (m_state == State_Stopped)
    {
        const HRESULT hr = Pause();
        if (FAILED(hr))
            return hr;
    }
    // No clock: stream time starts at 0.
    const HRESULT hr = ChangeEveryFilter([](IBaseFilter* filter) { return filter->Run(0); });
    if (FAILED(hr))
        return hr;
    m_state = State_Running;
    return S_OK;
}

HRESULT CFilterGraph::Stop()
{
    CAutoLock lock(&m_lock);
    return StopAll();
}

FILTER_STATE CFilterGraph::State()
{
    CAutoLock lock(&m_lock);
    return m_state;
}

HRESULT CFilterGraph::WaitForCompletion(DWORD msTimeout, LONG* pEvCode)
{
    if (!pEvCode)
        return E_POINTER;
    std::unique_lock<std::mutex> lock(m_eventLock);
    const auto ended = [&] { return m_endCode != 0; };
    if (msTimeout == INFINITE)
        m_eventChanged.wait(lock, ended);
    else
        (void)m_eventChanged.wait_for(lock, std::chrono::milliseconds(msTimeout), ended);
    *pEvCode = m_endCode;
    return m_endCode != 0 ? S_OK : E_ABORT;
}

std::vector<GraphEvent> CFilterGraph::Events() const
{
    std::lock_guard<std::mutex> lock(m_eventLock);
    return m_events;
}

size_t CFilterGraph::CountEvents(LONG code) const
{
    std::lock_guard<std::mutex> lock(m_eventLock);
    return static_cast<size_t>(std::count_if(m_events.begin(), m_events.end(),
                                             [&](const GraphEvent& event) { return event.code == code; }));
}

void CFilterGraph::ClearEvents()
{
    std::lock_guard<std::mutex> lock(m_eventLock);
    m_events.clear();
}

void CFilterGraph::Clear()
{
    CAutoLock lock(&m_lock);
    (void)StopAll(); // teardown goes on whatever a filter answers
    for (const Entry& entry : m_filters)
    {
        for (const ComPtr<IPin>& pin : PinsOf(entry.filter.Get()))
            DisconnectBothSides(pin.Get());
    }
    for (const Entry& entry : m_filters)
        (void)entry.filter->JoinFilterGraph(nullptr, nullptr);
    m_filters.clear();
}
