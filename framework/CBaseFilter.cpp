#include "framework/CBaseFilter.h"

#include <cwchar>
#include <new>

#include "framework/CBasePin.h"
#include "framework/CEnumPins.h"

namespace {

// Calls step on every connected pin (unconnected pins never take part in
// streaming). With untilFailure the walk stops at the first failure;
// otherwise every pin is visited. Returns the first failure, else S_OK.
template <class Step>
HRESULT ForEachConnectedPin(CBaseFilter& filter, bool untilFailure, Step step)
{
    HRESULT result = S_OK;
    const int count = filter.GetPinCount();
    for (int i = 0; i < count; i++)
    {
        CBasePin* pin = filter.GetPin(i);
        if (!pin)
            break;
        if (!pin->IsConnected())
            continue;
        const HRESULT hr = step(pin);
        if (FAILED(hr) && SUCCEEDED(result))
            result = hr;
        if (FAILED(hr) && untilFailure)
            break;
    }
    return result;
}

} // namespace

CBaseFilter::CBaseFilter(LPCWSTR pName, LPUNKNOWN pUnk, CCritSec* pLock, REFCLSID clsid)
    : CUnknown(pName, pUnk), m_clsid(clsid), m_pLock(pLock)
{
}

CBaseFilter::CBaseFilter(LPCWSTR pName, LPUNKNOWN pUnk, CCritSec* pLock, REFCLSID clsid, HRESULT* phr)
    : CBaseFilter(pName, pUnk, pLock, clsid)
{
    (void)phr;
}

CBaseFilter::~CBaseFilter()
{
    if (m_pClock)
        m_pClock->Release();
}

STDMETHODIMP CBaseFilter::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IBaseFilter)
        return GetInterface(static_cast<IBaseFilter*>(this), ppv);
    if (riid == IID_IMediaFilter)
        return GetInterface(static_cast<IMediaFilter*>(this), ppv);
    if (riid == IID_IPersist)
        return GetInterface(static_cast<IPersist*>(this), ppv);
    if (riid == IID_IAMovieSetup)
        return GetInterface(static_cast<IAMovieSetup*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP CBaseFilter::GetClassID(CLSID* pClsID)
{
    if (!pClsID)
        return E_POINTER;
    *pClsID = m_clsid;
    return S_OK;
}

STDMETHODIMP CBaseFilter::GetState(DWORD dwMSecs, FILTER_STATE* State)
{
    (void)dwMSecs; // state changes complete synchronously here
    if (!State)
        return E_POINTER;
    CAutoLock lock(m_pLock);
    *State = m_State;
    return S_OK;
}

STDMETHODIMP CBaseFilter::SetSyncSource(IReferenceClock* pClock)
{
    CAutoLock lock(m_pLock);
    if (pClock)
        pClock->AddRef();
    if (m_pClock)
        m_pClock->Release();
    m_pClock = pClock;
    return S_OK;
}

STDMETHODIMP CBaseFilter::GetSyncSource(IReferenceClock** pClock)
{
    if (!pClock)
        return E_POINTER;
    CAutoLock lock(m_pLock);
    *pClock = m_pClock;
    if (m_pClock)
        m_pClock->AddRef();
    return S_OK;
}

STDMETHODIMP CBaseFilter::Stop()
{
    CAutoLock lock(m_pLock);
    HRESULT hr = S_OK;
    if (m_State != State_Stopped)
        hr = ForEachConnectedPin(*this, false, [](CBasePin* pin) { return pin->Inactive(); });
    m_State = State_Stopped;
    return hr;
}

STDMETHODIMP CBaseFilter::Pause()
{
    CAutoLock lock(m_pLock);
    if (m_State == State_Stopped)
    {
        const HRESULT hr = ForEachConnectedPin(*this, true, [](CBasePin* pin) { return pin->Active(); });
        if (FAILED(hr))
            return hr;
    }
    m_State = State_Paused;
    return S_OK;
}

STDMETHODIMP CBaseFilter::Run(REFERENCE_TIME tStart)
{
    CAutoLock lock(m_pLock);
    m_tStart = tStart;
    if (m_State == State_Stopped)
    {
        const HRESULT hr = Pause();
        if (FAILED(hr))
            return hr;
    }
    if (m_State != State_Running)
    {
        const HRESULT hr = ForEachConnectedPin(*this, true, [&](CBasePin* pin) { return pin->Run(tStart); });
        if (FAILED(hr))
            return hr;
    }
    m_State = State_Running;
    return S_OK;
}

HRESULT CBaseFilter::StreamTime(CRefTime& rtStream)
{
    CAutoLock lock(m_pLock);
    if (!m_pClock)
        return VFW_E_NO_CLOCK;
    REFERENCE_TIME now = 0;
    const HRESULT hr = m_pClock->GetTime(&now);
    if (FAILED(hr))
        return hr;
    rtStream = now;
    rtStream -= m_tStart;
    return S_OK;
}

HRESULT CBaseFilter::IsActive()
{
    CAutoLock lock(m_pLock);
    return m_State == State_Stopped ? S_FALSE : S_OK;
}

BOOL CBaseFilter::IsStopped()
{
    CAutoLock lock(m_pLock);
    return m_State == State_Stopped;
}

STDMETHODIMP CBaseFilter::EnumPins(IEnumPins** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    CEnumPins* pEnum = new (std::nothrow) CEnumPins(this, nullptr);
    *ppEnum = pEnum;
    return pEnum ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CBaseFilter::FindPin(LPCWSTR Id, IPin** ppPin)
{
    if (!Id || !ppPin)
        return E_POINTER;
    CAutoLock lock(m_pLock);
    const int count = GetPinCount();
    for (int i = 0; i < count; i++)
    {
        CBasePin* pin = GetPin(i);
        if (!pin)
            break;
        if (std::wcscmp(pin->Name(), Id) == 0)
        {
            *ppPin = pin;
            pin->AddRef();
            return S_OK;
        }
    }
    *ppPin = nullptr;
    return VFW_E_NOT_FOUND;
}

STDMETHODIMP CBaseFilter::QueryFilterInfo(FILTER_INFO* pInfo)
{
    if (!pInfo)
        return E_POINTER;
    CAutoLock lock(m_pLock);
    const size_t n = m_name.size() < MAX_FILTER_NAME - 1 ? m_name.size() : MAX_FILTER_NAME - 1;
    std::wmemcpy(pInfo->achName, m_name.c_str(), n);
    pInfo->achName[n] = L'\0';
    pInfo->pGraph = m_pGraph;
    if (m_pGraph)
        m_pGraph->AddRef();
    return S_OK;
}

STDMETHODIMP CBaseFilter::JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pName)
{
    CAutoLock lock(m_pLock);
    std::wstring name;
    try
    {
        name = pName ? pName : L"";
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
    m_pGraph = pGraph;
    m_pSink = nullptr;
    if (m_pGraph)
    {
        IMediaEventSink* sink = nullptr;
        if (SUCCEEDED(m_pGraph->QueryInterface(IID_IMediaEventSink, reinterpret_cast<void**>(&sink))))
        {
            // Kept without a reference: it belongs to the graph, which
            // owns this filter, so holding one would make a cycle.
            m_pSink = sink;
            sink->Release();
        }
    }
    m_name.swap(name);
    return S_OK;
}

STDMETHODIMP CBaseFilter::QueryVendorInfo(LPWSTR* pVendorInfo)
{
    (void)pVendorInfo;
    return E_NOTIMPL;
}

HRESULT CBaseFilter::NotifyEvent(long EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2)
{
    IMediaEventSink* sink = m_pSink;
    if (!sink)
        return E_NOTIMPL;
    if (EventCode == EC_COMPLETE)
        EventParam2 = reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this));
    return sink->Notify(static_cast<LONG>(EventCode), EventParam1, EventParam2);
}

HRESULT CBaseFilter::ReconnectPin(IPin* pPin, const AM_MEDIA_TYPE* pmt)
{
    (void)pmt; // IFilterGraph::Reconnect keeps the connection's own type
    if (!m_pGraph)
        return E_NOINTERFACE;
    return m_pGraph->Reconnect(pPin);
}

LONG CBaseFilter::GetPinVersion()
{
    return m_PinVersion.load();
}

void CBaseFilter::IncrementPinVersion()
{
    ++m_PinVersion;
}

STDMETHODIMP CBaseFilter::Register()
{
    return GetSetupData() ? E_NOTIMPL : S_FALSE;
}

STDMETHODIMP CBaseFilter::Unregister()
{
    return GetSetupData() ? E_NOTIMPL : S_FALSE;
}
