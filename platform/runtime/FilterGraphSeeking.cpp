// CFilterGraph's IMediaSeeking: the duration, from the connected output pins,
// in media time (100-ns units). The graph does not position its filters.
#include "platform/runtime/FilterGraph.h"

#include <algorithm>

#include "platform/runtime/FilterGraphPins.h"

STDMETHODIMP CFilterGraph::GetDuration(LONGLONG* pDuration)
{
    if (!pDuration)
        return E_POINTER;
    CAutoLock lock(&m_lock);
    bool answered = false;
    LONGLONG longest = 0;
    for (const Entry& entry : m_filters)
    {
        for (const ComPtr<IPin>& pin : GraphPinsOf(entry.filter.Get()))
        {
            if (GraphPinDirection(pin.Get()) != PINDIR_OUTPUT || !GraphPinPeer(pin.Get()))
                continue;
            ComPtr<IMediaSeeking> seeking;
            if (FAILED(pin->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(seeking.ReleaseAndGetAddressOf()))) ||
                seeking->IsFormatSupported(&TIME_FORMAT_MEDIA_TIME) != S_OK)
                continue;
            LONGLONG duration = 0;
            if (FAILED(seeking->GetDuration(&duration)))
                continue;
            longest = answered ? std::max(longest, duration) : duration;
            answered = true;
        }
    }
    if (!answered)
        return E_NOTIMPL;
    *pDuration = longest;
    return S_OK;
}

STDMETHODIMP CFilterGraph::IsFormatSupported(const GUID* pFormat)
{
    if (!pFormat)
        return E_POINTER;
    return *pFormat == TIME_FORMAT_MEDIA_TIME ? S_OK : S_FALSE;
}

STDMETHODIMP CFilterGraph::QueryPreferredFormat(GUID* pFormat)
{
    if (!pFormat)
        return E_POINTER;
    *pFormat = TIME_FORMAT_MEDIA_TIME;
    return S_OK;
}

STDMETHODIMP CFilterGraph::GetTimeFormat(GUID* pFormat)
{
    return QueryPreferredFormat(pFormat);
}

STDMETHODIMP CFilterGraph::IsUsingTimeFormat(const GUID* pFormat)
{
    return IsFormatSupported(pFormat);
}

STDMETHODIMP CFilterGraph::SetTimeFormat(const GUID* pFormat)
{
    const HRESULT hr = IsFormatSupported(pFormat);
    return hr == S_FALSE ? E_INVALIDARG : hr;
}

STDMETHODIMP CFilterGraph::GetCapabilities(DWORD*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CFilterGraph::CheckCapabilities(DWORD*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CFilterGraph::GetStopPosition(LONGLONG*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CFilterGraph::GetCurrentPosition(LONGLONG*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CFilterGraph::ConvertTimeFormat(LONGLONG*, const GUID*, LONGLONG, const GUID*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CFilterGraph::SetPositions(LONGLONG*, DWORD, LONGLONG*, DWORD)
{
    return E_NOTIMPL;
}

STDMETHODIMP CFilterGraph::GetPositions(LONGLONG*, LONGLONG*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CFilterGraph::GetAvailable(LONGLONG*, LONGLONG*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CFilterGraph::SetRate(double)
{
    return E_NOTIMPL;
}

STDMETHODIMP CFilterGraph::GetRate(double*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CFilterGraph::GetPreroll(LONGLONG*)
{
    return E_NOTIMPL;
}
