// The output pin's seeking answers: the filter does not seek, so a pin reports
// the movie's duration (in whole seconds, as 100-ns units) or the source's
// length in bytes, and refuses positioning and rates.
#include "pins/OutPinTrace.h"
#include "filter/RZQTFileParser.h"
#include "pins/outpin.h"
#include "quicktime/QTTimes.h"

STDMETHODIMP COutputPin::GetCapabilities(DWORD* pCapabilities)
{
    if (!pCapabilities)
        return E_POINTER;
    *pCapabilities = AM_SEEKING_CanGetDuration;
    return S_OK;
}

STDMETHODIMP COutputPin::CheckCapabilities(DWORD* pCapabilities)
{
    if (!pCapabilities)
        return E_POINTER;
    return (*pCapabilities & ~static_cast<DWORD>(AM_SEEKING_CanGetDuration)) != 0 ? S_FALSE : S_OK;
}

STDMETHODIMP COutputPin::IsFormatSupported(const GUID* pFormat)
{
    if (!pFormat)
        return E_POINTER;
    return (*pFormat == TIME_FORMAT_BYTE || *pFormat == TIME_FORMAT_MEDIA_TIME) ? S_OK : S_FALSE;
}

STDMETHODIMP COutputPin::QueryPreferredFormat(GUID* pFormat)
{
    if (!pFormat)
        return E_POINTER;
    *pFormat = TIME_FORMAT_MEDIA_TIME;
    return S_OK;
}

STDMETHODIMP COutputPin::GetTimeFormat(GUID* pFormat)
{
    if (!pFormat)
        return E_POINTER;
    *pFormat = m_TimeFormat;
    return S_OK;
}

STDMETHODIMP COutputPin::IsUsingTimeFormat(const GUID* pFormat)
{
    if (!pFormat)
        return E_POINTER;
    return *pFormat == m_TimeFormat ? S_OK : S_FALSE;
}

STDMETHODIMP COutputPin::SetTimeFormat(const GUID* pFormat)
{
    if (IsFormatSupported(pFormat) != S_OK)
        return E_INVALIDARG;
    m_TimeFormat = *pFormat;
    return S_OK;
}

STDMETHODIMP COutputPin::GetDuration(LONGLONG* pDuration)
{
    CTraceEntry tracer(L"COutputPin::GetDuration");
    if (!pDuration)
        return E_POINTER;
    if (m_TimeFormat == TIME_FORMAT_BYTE)
        *pDuration = m_pParser->GetSourceLength();
    else
        *pDuration = m_pParser->GetDurationSeconds() * kUnitsPerSecond; // whole seconds: fractions are lost
    return tracer.Result();
}

STDMETHODIMP COutputPin::GetStopPosition(LONGLONG* pStop)
{
    if (!pStop)
        return E_POINTER;
    *pStop = 0;
    return S_OK;
}

STDMETHODIMP COutputPin::GetCurrentPosition(LONGLONG* pCurrent)
{
    if (!pCurrent)
        return E_POINTER;
    *pCurrent = 0;
    return S_OK;
}

STDMETHODIMP COutputPin::ConvertTimeFormat(LONGLONG* pTarget, const GUID* pTargetFormat, LONGLONG Source,
                                           const GUID* pSourceFormat)
{
    if ((pTargetFormat && *pTargetFormat != TIME_FORMAT_BYTE) || (pSourceFormat && *pSourceFormat != TIME_FORMAT_BYTE))
        return E_INVALIDARG;
    if (!pTarget)
        return E_POINTER;
    *pTarget = Source;
    return S_OK;
}

STDMETHODIMP COutputPin::SetPositions(LONGLONG*, DWORD, LONGLONG*, DWORD)
{
    return E_NOTIMPL;
}

STDMETHODIMP COutputPin::GetPositions(LONGLONG* pCurrent, LONGLONG* pStop)
{
    if (!pCurrent || !pStop)
        return E_POINTER;
    *pCurrent = 0;
    *pStop = 0;
    return S_OK;
}

STDMETHODIMP COutputPin::GetAvailable(LONGLONG* pEarliest, LONGLONG* pLatest)
{
    if (pEarliest)
        *pEarliest = 0;
    if (pLatest)
        *pLatest = m_pParser->GetSourceLength();
    return S_OK;
}

STDMETHODIMP COutputPin::SetRate(double)
{
    return E_NOTIMPL;
}

STDMETHODIMP COutputPin::GetRate(double*)
{
    return E_NOTIMPL;
}

STDMETHODIMP COutputPin::GetPreroll(LONGLONG*)
{
    return E_NOTIMPL;
}
