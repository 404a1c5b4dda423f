// CSinkFilter as a renderer: its flags and the seeking calls it passes upstream.
#include "tools/sink/SinkFilter.h"

STDMETHODIMP CSinkFilter::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IAMFilterMiscFlags)
        return GetInterface(static_cast<IAMFilterMiscFlags*>(this), ppv);
    if (riid == IID_IMediaSeeking)
        return GetInterface(static_cast<IMediaSeeking*>(this), ppv);
    return CBaseFilter::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP_(ULONG) CSinkFilter::GetMiscFlags()
{
    return AM_FILTER_MISC_FLAGS_IS_RENDERER;
}

ComPtr<IMediaSeeking> CSinkFilter::UpstreamSeeking()
{
    ComPtr<IPin> peer;
    {
        // The peer changes under the filter lock; the call upstream is made
        // outside it.
        CAutoLock lock(&m_lock);
        peer = ComPtr<IPin>(m_pin->GetConnected());
    }
    ComPtr<IMediaSeeking> seeking;
    if (peer)
        (void)peer->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(seeking.ReleaseAndGetAddressOf()));
    return seeking;
}

STDMETHODIMP CSinkFilter::GetCapabilities(DWORD* p)
{
    return Upstream([&](IMediaSeeking* s) { return s->GetCapabilities(p); });
}

STDMETHODIMP CSinkFilter::CheckCapabilities(DWORD* p)
{
    return Upstream([&](IMediaSeeking* s) { return s->CheckCapabilities(p); });
}

STDMETHODIMP CSinkFilter::IsFormatSupported(const GUID* p)
{
    return Upstream([&](IMediaSeeking* s) { return s->IsFormatSupported(p); });
}

STDMETHODIMP CSinkFilter::QueryPreferredFormat(GUID* p)
{
    return Upstream([&](IMediaSeeking* s) { return s->QueryPreferredFormat(p); });
}

STDMETHODIMP CSinkFilter::GetTimeFormat(GUID* p)
{
    return Upstream([&](IMediaSeeking* s) { return s->GetTimeFormat(p); });
}

STDMETHODIMP CSinkFilter::IsUsingTimeFormat(const GUID* p)
{
    return Upstream([&](IMediaSeeking* s) { return s->IsUsingTimeFormat(p); });
}

STDMETHODIMP CSinkFilter::SetTimeFormat(const GUID* p)
{
    return Upstream([&](IMediaSeeking* s) { return s->SetTimeFormat(p); });
}

STDMETHODIMP CSinkFilter::GetDuration(LONGLONG* p)
{
    return Upstream([&](IMediaSeeking* s) { return s->GetDuration(p); });
}

STDMETHODIMP CSinkFilter::GetStopPosition(LONGLONG* p)
{
    return Upstream([&](IMediaSeeking* s) { return s->GetStopPosition(p); });
}

STDMETHODIMP CSinkFilter::GetCurrentPosition(LONGLONG* p)
{
    return Upstream([&](IMediaSeeking* s) { return s->GetCurrentPosition(p); });
}

STDMETHODIMP CSinkFilter::ConvertTimeFormat(LONGLONG* pTarget, const GUID* pTargetFormat, LONGLONG Source,
                                            const GUID* pSourceFormat)
{
    return Upstream([&](IMediaSeeking* s) { return s->ConvertTimeFormat(pTarget, pTargetFormat, Source, pSourceFormat); });
}

STDMETHODIMP CSinkFilter::SetPositions(LONGLONG* pCurrent, DWORD dwCurrentFlags, LONGLONG* pStop, DWORD dwStopFlags)
{
    return Upstream([&](IMediaSeeking* s) { return s->SetPositions(pCurrent, dwCurrentFlags, pStop, dwStopFlags); });
}

STDMETHODIMP CSinkFilter::GetPositions(LONGLONG* pCurrent, LONGLONG* pStop)
{
    return Upstream([&](IMediaSeeking* s) { return s->GetPositions(pCurrent, pStop); });
}

STDMETHODIMP CSinkFilter::GetAvailable(LONGLONG* pEarliest, LONGLONG* pLatest)
{
    return Upstream([&](IMediaSeeking* s) { return s->GetAvailable(pEarliest, pLatest); });
}

STDMETHODIMP CSinkFilter::SetRate(double dRate)
{
    return Upstream([&](IMediaSeeking* s) { return s->SetRate(dRate); });
}

STDMETHODIMP CSinkFilter::GetRate(double* pdRate)
{
    return Upstream([&](IMediaSeeking* s) { return s->GetRate(pdRate); });
}

STDMETHODIMP CSinkFilter::GetPreroll(LONGLONG* pllPreroll)
{
    return Upstream([&](IMediaSeeking* s) { return s->GetPreroll(pllPreroll); });
}
