// CSinkFilter: a renderer-like sink with one input pin, "In"
// (CSinkInputPin), that records what arrives. When its stream has ended
// while it runs (or when it starts running after the end arrived) it reports
// EC_COMPLETE to the graph, once per run, as renderers do. Like renderers it
// says it is one (IAMFilterMiscFlags: a graph counts the EC_COMPLETEs of its
// renderers) and passes seeking questions upstream (IMediaSeeking, to the
// connected output pin), so a graph that asks its renderers for the
// duration gets the source's.
//
// To derive (a sink with a pin of its own, for tests): give the class a
// private constructor and a Create that returns
// CSinkFilter::Finish<CMySink, CMyPin>(new (std::nothrow) CMySink(), ppSink),
// where CMyPin derives from CSinkInputPin with the same constructor.
#pragma once

#include <dshow.h>

#include <memory>
#include <new>

#include "framework/CBaseFilter.h"
#include "framework/CCritSec.h"
#include "framework/ComPtr.h"
#include "tools/sink/SinkInputPin.h"

class CSinkFilter : public CBaseFilter, public IAMFilterMiscFlags, public IMediaSeeking
{
public:
    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // S_OK with *ppSink holding one reference; E_POINTER, E_OUTOFMEMORY.
    [[nodiscard]] static HRESULT Create(CSinkFilter** ppSink);

    // The input pin (no reference added; it lives as long as the filter).
    CSinkInputPin* Input() { return m_pin.get(); }
    CSampleRecorder& Records() { return m_pin->Records(); }

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override;

    STDMETHODIMP Stop() override;
    STDMETHODIMP Run(REFERENCE_TIME tStart) override;

    // IAMFilterMiscFlags: AM_FILTER_MISC_FLAGS_IS_RENDERER.
    STDMETHODIMP_(ULONG) GetMiscFlags() override;

    // IMediaSeeking: each call is the connected output pin's answer;
    // E_NOTIMPL while unconnected or when that pin does not seek.
    STDMETHODIMP GetCapabilities(DWORD* pCapabilities) override;
    STDMETHODIMP CheckCapabilities(DWORD* pCapabilities) override;
    STDMETHODIMP IsFormatSupported(const GUID* pFormat) override;
    STDMETHODIMP QueryPreferredFormat(GUID* pFormat) override;
    STDMETHODIMP GetTimeFormat(GUID* pFormat) override;
    STDMETHODIMP IsUsingTimeFormat(const GUID* pFormat) override;
    STDMETHODIMP SetTimeFormat(const GUID* pFormat) override;
    STDMETHODIMP GetDuration(LONGLONG* pDuration) override;
    STDMETHODIMP GetStopPosition(LONGLONG* pStop) override;
    STDMETHODIMP GetCurrentPosition(LONGLONG* pCurrent) override;
    STDMETHODIMP ConvertTimeFormat(LONGLONG* pTarget, const GUID* pTargetFormat, LONGLONG Source,
                                   const GUID* pSourceFormat) override;
    STDMETHODIMP SetPositions(LONGLONG* pCurrent, DWORD dwCurrentFlags, LONGLONG* pStop, DWORD dwStopFlags) override;
    STDMETHODIMP GetPositions(LONGLONG* pCurrent, LONGLONG* pStop) override;
    STDMETHODIMP GetAvailable(LONGLONG* pEarliest, LONGLONG* pLatest) override;
    STDMETHODIMP SetRate(double dRate) override;
    STDMETHODIMP GetRate(double* pdRate) override;
    STDMETHODIMP GetPreroll(LONGLONG* pllPreroll) override;

    // Called by the pin when end of stream arrives while it is active.
    void EndOfStreamArrived();
    // Called by the pin when a flush ends: a new end of stream is awaited.
    void StreamRestarted();

protected:
    CSinkFilter();
    ~CSinkFilter() override;

    // Gives sink (new, no reference yet; null when allocation failed) its
    // pin, a Pin(sink, filter lock, &hr). S_OK with *ppSink holding one
    // reference; else the failure, E_OUTOFMEMORY included, with sink deleted.
    template <class Sink, class Pin>
    [[nodiscard]] static HRESULT Finish(Sink* sink, Sink** ppSink)
    {
        if (!ppSink)
        {
            delete static_cast<CSinkFilter*>(sink);
            return E_POINTER;
        }
        *ppSink = nullptr;
        if (!sink)
            return E_OUTOFMEMORY;
        CSinkFilter* const base = sink;
        HRESULT hr = S_OK;
        base->m_pin.reset(new (std::nothrow) Pin(sink, &base->m_lock, &hr));
        if (!base->m_pin || FAILED(hr))
        {
            const HRESULT failure = base->m_pin ? hr : E_OUTOFMEMORY;
            delete base;
            return failure;
        }
        base->NonDelegatingAddRef();
        *ppSink = sink;
        return S_OK;
    }

private:
    // The connected output pin's IMediaSeeking, or null.
    ComPtr<IMediaSeeking> UpstreamSeeking();
    template <class Call>
    HRESULT Upstream(Call call)
    {
        const ComPtr<IMediaSeeking> upstream = UpstreamSeeking();
        return upstream ? call(upstream.Get()) : E_NOTIMPL;
    }

    CCritSec m_lock; // the filter's state lock, also the pin's lock
    std::unique_ptr<CSinkInputPin> m_pin;
    bool m_endPending = false; // end of stream seen this run (m_lock)
    bool m_completeSent = false; // EC_COMPLETE sent this run (m_lock)
};
