// The input pin of CSinkFilter: accepts pushed samples through IMemInputPin
// and records them (CSampleRecorder). It accepts every media type, offers a
// plain memory allocator, demands no allocator properties and never blocks.
//
// Like a renderer it rejects samples while its filter is stopped
// (VFW_E_WRONG_STATE), while flushing (S_FALSE) and after end of stream
// (VFW_E_SAMPLE_REJECTED_EOS). It offers no media types of its own, so a
// connection uses the upstream pin's.
//
// To derive (a sink that is slow, picky or fails, for tests): override the
// IMemInputPin and CBasePin methods and call these for the recording;
// AcceptSample decides, after the state checks, whether Receive records.
#pragma once

#include <dshow.h>

#include <atomic>

#include "framework/CBasePin.h"
#include "framework/ComPtr.h"
#include "tools/sink/SampleRecorder.h"

class CSinkFilter;

class CSinkInputPin : public CBasePin, public IMemInputPin
{
public:
    // pLock is the filter's lock; *phr gets a construction failure.
    CSinkInputPin(CSinkFilter* pFilter, CCritSec* pLock, HRESULT* phr);

    DECLARE_IUNKNOWN
    // IPin, IQualityControl and IMemInputPin.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    CSampleRecorder& Records() { return m_records; }
    // Every Receive call, accepted or not.
    LONG ReceiveCalls() const { return m_receiveCalls.load(); }
    // The allocator the upstream pin settled on: its properties and the
    // read-only flag; false when none was notified on this connection.
    bool GetNotifiedAllocator(ALLOCATOR_PROPERTIES* pProps, BOOL* pReadOnly);
    bool EndOfStreamReceived();

    // CBasePin
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT BreakConnect() override;
    HRESULT Active() override;
    HRESULT Inactive() override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;
    STDMETHODIMP NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) override;

    // IMemInputPin
    STDMETHODIMP GetAllocator(IMemAllocator** ppAllocator) override;
    STDMETHODIMP NotifyAllocator(IMemAllocator* pAllocator, BOOL bReadOnly) override;
    STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES* pProps) override;
    STDMETHODIMP Receive(IMediaSample* pSample) override;
    STDMETHODIMP ReceiveMultiple(IMediaSample** pSamples, LONG nSamples, LONG* nSamplesProcessed) override;
    STDMETHODIMP ReceiveCanBlock() override;

protected:
    // Called by Receive for a sample the pin's state lets in: S_OK records
    // it, anything else is Receive's answer instead. index: the 0-based
    // number of the Receive call. Here every sample is recorded.
    virtual HRESULT AcceptSample(IMediaSample* pSample, LONG index);

private:
    // A new stream (or none, when not accepting): no flush, no end yet.
    void StartStream(bool accepting);
    // S_OK when a sample may be taken now; the rejection otherwise.
    HRESULT ReceiveState();

    CSinkFilter* const m_sink; // not owned: the filter owns the pin
    CSampleRecorder m_records;
    std::atomic<LONG> m_receiveCalls{0};

    // Guarded by m_pLock (the filter's lock).
    bool m_accepting = false; // between Active and Inactive
    bool m_flushing = false;
    bool m_endOfStream = false;
    ComPtr<IMemAllocator> m_notified; // the allocator upstream settled on
    BOOL m_notifiedReadOnly = FALSE;
};
