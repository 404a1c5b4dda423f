// The input pin of CTestSinkFilter: a recording sink pin (CSinkInputPin)
// with switches that make it picky, slow or failing. Each switch may be
// changed at any time; with none set it behaves as the recording pin.
#pragma once

#include <dshow.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "framework/CMediaType.h"
#include "tools/sink/SinkInputPin.h"

class CTestSinkInputPin : public CSinkInputPin
{
public:
    CTestSinkInputPin(CSinkFilter* pFilter, CCritSec* pLock, HRESULT* phr);

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
    // The Receive call of this 0-based number (counted from this call on)
    // waits, outside every lock, until OpenGate; -1 holds none (default).
    void HoldReceive(LONG index);
    void OpenGate();
    // From the (samples + 1)-th Receive on, answer hr without recording
    // (a failure, or S_FALSE); samples < 0 switches it off (default).
    void SetReceiveResultAfter(LONG samples, HRESULT hr);

    HRESULT CheckMediaType(const CMediaType* pmt) override;
    STDMETHODIMP GetAllocator(IMemAllocator** ppAllocator) override;
    STDMETHODIMP NotifyAllocator(IMemAllocator* pAllocator, BOOL bReadOnly) override;
    STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES* pProps) override;
    STDMETHODIMP Receive(IMediaSample* pSample) override;
    // S_OK while a delay is set.
    STDMETHODIMP ReceiveCanBlock() override;

protected:
    HRESULT AcceptSample(IMediaSample* pSample, LONG index) override;

private:
    std::atomic<DWORD> m_delayMs{0};
    std::atomic<LONG> m_resultAfter{-1};
    std::atomic<HRESULT> m_resultAfterCode{S_OK};
    std::atomic<bool> m_offerAllocator{true};
    std::mutex m_gateLock;
    std::condition_variable m_gateOpened;
    LONG m_holdAt = -1;  // guarded by m_gateLock
    LONG m_receives = 0; // guarded by m_gateLock; since HoldReceive
    std::atomic<HRESULT> m_notifyResult{S_OK};

    // Guarded by m_pLock (the filter's lock).
    bool m_hasAcceptedType = false;
    CMediaType m_acceptedType;
    bool m_hasDemand = false;
    ALLOCATOR_PROPERTIES m_demand{};
};
