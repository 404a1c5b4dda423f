// CSinkFilter: the native build's renderer-like sink with one input pin,
// "In" (CSinkInputPin), that records what arrives. When its stream has ended
// while it runs (or when it starts running after the end arrived) it reports
// EC_COMPLETE to the graph, once per run, as renderers do.
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
#include "framework/sink/SinkInputPin.h"

class CSinkFilter : public CBaseFilter
{
public:
    // S_OK with *ppSink holding one reference; E_POINTER, E_OUTOFMEMORY.
    [[nodiscard]] static HRESULT Create(CSinkFilter** ppSink);

    // The input pin (no reference added; it lives as long as the filter).
    CSinkInputPin* Input() { return m_pin.get(); }
    CSampleRecorder& Records() { return m_pin->Records(); }

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override;

    STDMETHODIMP Stop() override;
    STDMETHODIMP Run(REFERENCE_TIME tStart) override;

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
    CCritSec m_lock; // the filter's state lock, also the pin's lock
    std::unique_ptr<CSinkInputPin> m_pin;
    bool m_endPending = false; // end of stream seen this run (m_lock)
    bool m_completeSent = false; // EC_COMPLETE sent this run (m_lock)
};
