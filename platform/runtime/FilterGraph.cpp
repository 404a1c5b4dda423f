#include "platform/runtime/FilterGraph.h"

#include <algorithm>
#include <new>

#include "framework/CMediaType.h"
#include "platform/runtime/FileSourceFilter.h"
#include "platform/runtime/FilterGraphPins.h"

namespace {

ComPtr<IBaseFilter> FilterOf(IPin* pin)
{
    PIN_INFO info{};
    if (FAILED(pin->QueryPinInfo(&info)))
        return ComPtr<IBaseFilter>();
    return ComPtr<IBaseFilter>::Attach(info.pFilter);
}

// Both sides, as the platform's graph does when a filter leaves it.
void DisconnectBothSides(IPin* pin)
{
    const ComPtr<IPin> peer = GraphPinPeer(pin);
    if (peer)
        (void)peer->Disconnect(); // a peer that cannot let go keeps its reference; nothing more to do
    (void)pin->Disconnect();
}

} // namespace

HRESULT CFilterGraph::Create(CFilterGraph** ppGraph)
{
    if (!ppGraph)
        return E_POINTER;
    *ppGraph = nullptr;
    HRESULT hr = S_OK;
    CFilterGraph* graph = new (std::nothrow) CFilterGraph(&hr);
    if (!graph)
        return E_OUTOFMEMORY;
    graph->NonDelegatingAddRef();
    if (FAILED(hr))
    {
        graph->NonDelegatingRelease();
        return hr;
    }
    *ppGraph = graph;
    return S_OK;
}

HRESULT CFilterGraph::CreateInstance(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    CFilterGraph* raw = nullptr;
    const HRESULT hr = Create(&raw);
    if (FAILED(hr))
        return hr;
    const ComPtr<CFilterGraph> graph = ComPtr<CFilterGraph>::Attach(raw);
    return graph->NonDelegatingQueryInterface(riid, ppv);
}

CFilterGraph::CFilterGraph(HRESULT* phr)
    : CUnknown(L"Filter graph", nullptr),
      m_queued(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_ended(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    if (!m_queued || !m_ended)
        *phr = E_OUTOFMEMORY;
}

CFilterGraph::~CFilterGraph()
{
    Clear();
}

STDMETHODIMP CFilterGraph::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IFilterGraph || riid == IID_IGraphBuilder)
        return GetInterface(static_cast<IGraphBuilder*>(this), ppv);
    if (riid == IID_IMediaEventSink)
        return GetInterface(static_cast<IMediaEventSink*>(this), ppv);
    if (riid == IID_IMediaControl || riid == IID_IDispatch)
        return GetInterface(static_cast<IMediaControl*>(this), ppv);
    if (riid == IID_IMediaEvent || riid == IID_IMediaEventEx)
        return GetInterface(static_cast<IMediaEventEx*>(this), ppv);
    if (riid == IID_IMediaFilter || riid == IID_IPersist)
        return GetInterface(static_cast<IMediaFilter*>(this), ppv);
    if (riid == IID_IMediaSeeking)
        return GetInterface(static_cast<IMediaSeeking*>(this), ppv);
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
    for (const ComPtr<IPin>& pin : GraphPinsOf(pFilter))
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
    if (GraphPinDirection(ppinOut) != PINDIR_OUTPUT || GraphPinDirection(ppinIn) != PINDIR_INPUT)
        return VFW_E_INVALID_DIRECTION;
    return ppinOut->Connect(ppinIn, pmt);
}

STDMETHODIMP CFilterGraph::Reconnect(IPin* ppin)
{
    if (!ppin)
        return E_POINTER;
    const ComPtr<IPin> peer = GraphPinPeer(ppin);
    if (!peer)
        return VFW_E_NOT_CONNECTED;
    CMediaType type;
    HRESULT hr = ppin->ConnectionMediaType(&type);
    if (FAILED(hr))
        return hr;
    IPin* out = GraphPinDirection(ppin) == PINDIR_OUTPUT ? ppin : peer.Get();
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

STDMETHODIMP CFilterGraph::Connect(IPin* ppinOut, IPin* ppinIn)
{
    return ConnectDirect(ppinOut, ppinIn, nullptr);
}

STDMETHODIMP CFilterGraph::Render(IPin* ppinOut)
{
    return ppinOut ? VFW_E_CANNOT_RENDER : E_POINTER;
}

STDMETHODIMP CFilterGraph::RenderFile(LPCWSTR, LPCWSTR)
{
    return E_NOTIMPL;
}

STDMETHODIMP CFilterGraph::AddSourceFilter(LPCWSTR lpcwstrFileName, LPCWSTR lpcwstrFilterName, IBaseFilter** ppFilter)
{
    if (!lpcwstrFileName || !ppFilter)
        return E_POINTER;
    *ppFilter = nullptr;
    CFileSourceFilter* raw = nullptr;
    HRESULT hr = CFileSourceFilter::Create(&raw);
    if (FAILED(hr))
        return hr;
    const ComPtr<CFileSourceFilter> source = ComPtr<CFileSourceFilter>::Attach(raw);
    hr = source->Load(lpcwstrFileName, nullptr);
    if (SUCCEEDED(hr))
        hr = AddFilter(source.Get(), lpcwstrFilterName ? lpcwstrFilterName : lpcwstrFileName);
    if (FAILED(hr))
        return hr;
    *ppFilter = source.CopyOut();
    return S_OK;
}

STDMETHODIMP CFilterGraph::SetLogFile(DWORD_PTR)
{
    return S_OK;
}

STDMETHODIMP CFilterGraph::Abort()
{
    return S_OK;
}

STDMETHODIMP CFilterGraph::ShouldOperationContinue()
{
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
        for (const ComPtr<IPin>& pin : GraphPinsOf(filter))
        {
            if (GraphPinDirection(pin.Get()) != PINDIR_OUTPUT)
                continue;
            const ComPtr<IPin> peer = GraphPinPeer(pin.Get());
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
        for (const ComPtr<IPin>& pin : GraphPinsOf(entry.filter.Get()))
        {
            if (GraphPinDirection(pin.Get()) == PINDIR_OUTPUT)
                hasOutput = true;
            else if (GraphPinPeer(pin.Get()))
                connectedInput = true;
        }
        // A filter that says what it is is taken at its word, as the
        // platform's graph does; any other counts when it only takes input.
        ComPtr<IAMFilterMiscFlags> flags;
        const bool renderer =
            SUCCEEDED(entry.filter->QueryInterface(IID_IAMFilterMiscFlags,
                                                   reinterpret_cast<void**>(flags.ReleaseAndGetAddressOf())))
                ? (flags->GetMiscFlags() & AM_FILTER_MISC_FLAGS_IS_RENDERER) != 0
                : !hasOutput;
        if (connectedInput && renderer)
            sinks.push_back(reinterpret_cast<LONG_PTR>(entry.filter.Get()));
    }
    return sinks;
}

void CFilterGraph::Clear()
{
    CAutoLock lock(&m_lock);
    (void)StopAll(); // teardown goes on whatever a filter answers
    for (const Entry& entry : m_filters)
    {
        for (const ComPtr<IPin>& pin : GraphPinsOf(entry.filter.Get()))
            DisconnectBothSides(pin.Get());
    }
    for (const Entry& entry : m_filters)
        (void)entry.filter->JoinFilterGraph(nullptr, nullptr);
    m_filters.clear();
}
