// The input pin of CSinkFilter: accepts pushed samples through IMemInputPin
// and records them (CSampleRecorder), with switches for tests: the media type
// it accepts, the allocator properties it demands, whether it offers or
// refuses allocators, a delay per sample, and the answer Receive gives after
// a number of samples.
//
// Like a renderer it rejects samples while its filter is stopped
// (VFW_E_WRONG_STATE), while flushing (S_FALSE) and after end of stream
// (VFW_E_SAMPLE_REJECTED_EOS). It offers no media types of its own, so a
// connection uses the upstream pin's.
#pragma once

#include <dshow.h>

#include <atomic>

#include "framework/CBasePin.h"
#include "framework/ComPtr.h"
#include "framework/sink/SampleRecorder.h"

class CSinkFilter;

class CSinkInputPin : public CBasePin, public IMemInputPin
{
public:
    // pLock is the filter's lock; *phr gets a construction failure.
    CSinkInputPin(CSinkFilter* pFilter, CCritSec* pLock, HRESULT* phr);

    DECLARE_IUNKNOWN
    // IPin, IQualityControl and IMemInputPin.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // Test switches; each may be changed at any time.
    // Only types that match pmt where it is specified (see
    // CMediaType::MatchesPartial) are accepted; null accepts any.
    [[nodiscard]] HRESULT SetAcceptedType(const AM_MEDIA_TYPE* pmt);
    // GetAllocatorRequirements reports props; the offered allocator grants at
    // least props; NotifyAllocator refuses (E_FAIL) an allocator whose
    // properties fall short of them. Null withdraws the demand.
    void DemandAllocatorProperties(const ALLOCATOR_PROPERTIES* props);
    // GetAllocator answers VFW_E_NO_ALLOCATOR when not offering (default: offers).
    void SetOfferAllocator(bool offer);
    // NotifyAllocator answers hr (a failure refuses every allocator); S_OK default.
    void SetNotifyAllocatorResult(HRESULT hr);
    // Each Receive waits this long first (milliseconds; 0 default).
    void SetReceiveDelay(DWORD ms);
    // From the (samples + 1)-th Receive on, answer hr without recording
    // (a failure, or S_FALSE); samples < 0 switches it off (default).
    void SetReceiveResultAfter(LONG samples, HRESULT hr);

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

private:
    // A new stream (or none, when not accepting): no flush, no end yet.
    void StartStream(bool accepting);
    // S_OK when a sample may be taken now; the rejection otherwise.
    HRESULT ReceiveState();

    CSinkFilter* const m_sink; // not owned: the filter owns the pin
    CSampleRecorder m_records;
    std::atomic<LONG> m_receiveCalls{0};
    std::atomic<DWORD> m_delayMs{0};
    std::atomic<LONG> m_resultAfter{-1};
    std::atomic<HRESULT> m_resultAfterCode{S_OK};
    std::atomic<bool> m_offerAllocator{true};
    std::atomic<HRESULT> m_notifyResult{S_OK};

    // Guarded by m_pLock (the filter's lock).
    bool m_accepting = false; // between Active and Inactive
    bool m_flushing = false;
    bool m_endOfStream = false;
    bool m_hasAcceptedType = false;
    CMediaType m_acceptedType;
    bool m_hasDemand = false;
    ALLOCATOR_PROPERTIES m_demand{};
    ComPtr<IMemAllocator> m_notified; // the allocator upstream settled on
    BOOL m_notifiedReadOnly = FALSE;
};
