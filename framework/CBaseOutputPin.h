// CBaseOutputPin: the SDK's output pin that pushes media samples into a
// downstream IMemInputPin.
//
// How to derive one:
//   - CheckMediaType and GetMediaType as for CBasePin;
//   - DecideBufferSize(pAlloc, pProps): fill pProps (it arrives holding the
//     downstream pin's requirements, alignment at least 1) and call
//     pAlloc->SetProperties; fail when the result will not do.
//   Connecting finds an allocator (DecideAllocator: the downstream pin's,
//   else one of InitAllocator's) and tells the downstream pin which one
//   (NotifyAllocator). Pausing commits it (Active), stopping decommits it
//   (Inactive). While active, GetDeliveryBuffer gives empty samples,
//   Deliver passes a filled one downstream, DeliverEndOfStream ends the
//   stream.
#pragma once

#include <windows.h>

#include <dshow.h>

#include "framework/CBasePin.h"

class CBaseOutputPin : public CBasePin
{
public:
    CBaseOutputPin(LPCWSTR pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr, LPCWSTR pName);

    // Finds the allocator: DecideAllocator(m_pInputPin, &m_pAllocator).
    HRESULT CompleteConnect(IPin* pReceivePin) override;
    // The downstream pin's allocator when it offers one and DecideBufferSize
    // and NotifyAllocator succeed with it; else InitAllocator's, the same way.
    // On success *ppAlloc holds one reference; the last failure otherwise.
    virtual HRESULT DecideAllocator(IMemInputPin* pPin, IMemAllocator** ppAlloc);
    virtual HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* ppropInputRequest) = 0;
    // A new memory allocator, one reference.
    virtual HRESULT InitAllocator(IMemAllocator** ppAlloc);

    // Also requires the peer's IMemInputPin (E_NOINTERFACE without it).
    HRESULT CheckConnect(IPin* pPin) override;
    // Decommits and releases the allocator, releases the downstream
    // IMemInputPin.
    HRESULT BreakConnect() override;

    // Commit and decommit the allocator; VFW_E_NO_ALLOCATOR without one.
    HRESULT Active() override;
    HRESULT Inactive() override;

    // An empty sample from the allocator (blocks while all are in use);
    // E_NOINTERFACE without an allocator.
    virtual HRESULT GetDeliveryBuffer(IMediaSample** ppSample, REFERENCE_TIME* pStartTime,
                                      REFERENCE_TIME* pEndTime, DWORD dwFlags);
    // The downstream pin's Receive result; VFW_E_NOT_CONNECTED when there
    // is no downstream pin. The caller keeps its reference to the sample.
    virtual HRESULT Deliver(IMediaSample* pSample);
    // The downstream pin's EndOfStream/BeginFlush/EndFlush/NewSegment
    // result; VFW_E_NOT_CONNECTED when not connected.
    virtual HRESULT DeliverEndOfStream();
    virtual HRESULT DeliverBeginFlush();
    virtual HRESULT DeliverEndFlush();
    virtual HRESULT DeliverNewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate);

    // Nothing arrives from upstream at an output pin: E_UNEXPECTED.
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;

protected:
    // One DecideAllocator attempt with the allocator that hrGot says was
    // placed in *ppAlloc: sized, then notified downstream. Releases and nulls
    // it on failure.
    HRESULT TryAllocator(IMemInputPin* pPin, HRESULT hrGot, IMemAllocator** ppAlloc, ALLOCATOR_PROPERTIES* pProps);

    IMemAllocator* m_pAllocator = nullptr; // owns one reference while connected
    IMemInputPin* m_pInputPin = nullptr;   // owns one reference while connecting/connected
};
