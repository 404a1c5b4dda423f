// COutputPin: the output pin of one track. It offers exactly one media type,
// built from its track by SetMediaFormat, accepts any proposed type of the
// same major type, insists on 8 buffers of the track's size, and answers the
// seeking questions about the duration only. Everything it offers depends on
// the filter's input pin being connected.
//
// It also decouples reading from delivering: the sample pump fills samples
// taken with GetMediaSample and hands them back with QueueSample; the pin's
// own delivery thread (AsyncDelivery) passes them downstream one at a time
// and, after the filter's EndOfStream call, sends end of stream.
//
// The implementation is split by concern: outpin.cpp (connection and media
// type), OutPinSeeking.cpp (IMediaSeeking), OutPinDelivery.cpp (the queue
// and the delivery thread).
#pragma once

#include <windows.h>

#include "framework/streams.h"


#include "framework/CHandle.h"
#include "framework/ComPtr.h"
#include "pins/DeliveryQueue.h"
#include "pins/TimecodeFormat.h"

class CRZQTFileParser;
class QTTrack;

class COutputPin : public CBaseOutputPin, public IMediaSeeking
{
public:
    // pFilter owns the pin; pTrack (owned by the movie) is the track it serves.
    // The filter's lock is the pin's lock. pName is the pin's name and id.
    COutputPin(CRZQTFileParser* pFilter, HRESULT* phr, LPCWSTR pName, QTTrack* pTrack);
    ~COutputPin() override;

    DECLARE_IUNKNOWN
    // IPin, IQualityControl and IMediaSeeking.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // Builds the one media type the pin offers and its buffer size from the
    // track; called once, before the pin is added to the filter.
    HRESULT SetMediaFormat();
    // The type offered, and the bytes per allocator buffer (0 before
    // SetMediaFormat, and for a track of no known kind).
    const CMediaType& GetOfferedType() const { return m_MediaType; }
    DWORD GetBufferSize() const { return m_dwBufferSize; }
    // The track served; null once the pin has been removed from the filter.
    QTTrack* GetTrack() const { return m_pTrack; }
    void ForgetTrack() { m_pTrack = nullptr; }

    // S_OK for any type of the offered major type while the filter's input
    // is connected; VFW_E_TYPE_NOT_ACCEPTED otherwise.
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    // Position 0: the offered type. VFW_S_NO_MORE_ITEMS past it and while the
    // filter's input is not connected.
    HRESULT GetMediaType(int iPosition, CMediaType* pmt) override;
    // E_UNEXPECTED while the filter's input is not connected.
    HRESULT CompleteConnect(IPin* pReceivePin) override;
    // 8 buffers of the buffer size (64 KiB when it is 0), alignment 1, no
    // prefix, whatever downstream asked; E_FAIL unless granted exactly.
    HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pProps) override;
    // Ends the delivery thread and empties the queue, then lets go of the
    // allocator and the downstream pin.
    HRESULT BreakConnect() override;

    // IMediaSeeking: the duration and the time format; no positioning.
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

    // Delivery (OutPinDelivery.cpp).
    //
    // An empty sample from the allocator, its data length 0; blocks while
    // every buffer is out. The caller owns the reference.
    HRESULT GetMediaSample(IMediaSample** ppSample);
    // Appends a filled sample for delivery, taking over the caller's
    // reference. S_OK.
    HRESULT QueueSample(IMediaSample* pSample);
    // Creates the run's events and starts the delivery thread, after waiting
    // for the thread of an earlier run and discarding what it left queued.
    HRESULT StartAsyncDeliveryThread();
    // Waits for the delivery thread of this run to end (it must have been
    // told to: halt or end of stream signalled), keeping its handle, then
    // releases what it left queued: those samples belong to a stream that
    // is over, and their allocator is being decommitted.
    void EndDelivery();
    // Decommits the allocator so a GetMediaSample that waits, or comes
    // later, fails at once. S_OK without an allocator.
    HRESULT DecommitAllocator();
    // The pump is done: the delivery thread delivers what is queued, then
    // end of stream. S_OK.
    STDMETHODIMP EndOfStream() override;

private:
    bool IsInputConnected() const;
    // Caps the buffer size (and the type's sample size) at the source's length.
    void LimitBufferToSource();

    // The delivery thread and its steps (OutPinDelivery.cpp).
    static unsigned __stdcall AsyncDelivery(void* pPin);
    HRESULT DeliverNextSample();
    HRESULT DeliverSample(IMediaSample* pSample);
    HRESULT HandleEndOfStream();
    // Ends and closes the thread, closes the events, releases what is queued.
    HRESULT Cleanup();
    // Cleanup's work, untraced: the thread of the last run (it must have
    // been told to end) is waited for and closed with its events.
    void CloseRun();
    // Releases every queued sample without delivering it.
    void DiscardQueue();

    CRZQTFileParser* const m_pParser; // not owned: the filter owns the pin
    CMediaType m_MediaType;            // the one type offered
    DWORD m_dwBufferSize = 0;          // bytes per allocator buffer

    // Filled samples, oldest first; each entry owns one reference.
    CDeliveryQueue m_DeliveryQueue; // guarded by m_csQueue
    CCritSec m_csQueue; // the queue and the data-available event's changes; taken last and alone
    CHandle m_hDataAvailable; // manual reset; signalled while samples may be queued
    CHandle m_hEndOfStream;   // manual reset; signalled by EndOfStream
    CHandle m_hThread;        // the delivery thread of the latest run

    GUID m_TimeFormat;                 // TIME_FORMAT_MEDIA_TIME or TIME_FORMAT_BYTE
    QTTrack* m_pTrack;                 // not owned: the movie owns its tracks
};
