// CRZQTFileParser: the QuickTime movie parser filter. It owns one input pin
// (pin 0, created on first demand), which pulls bytes from an upstream
// IAsyncReader, and one output pin per track of the movie (pins 1 to N).
// Connecting the input pin parses the movie (InitToRcv); disconnecting it
// removes the output pins (BreakConnect). The movie object is made by the
// first parse and kept, and parsed again, until the filter is destroyed.
//
// This file declares the whole class; its concerns live in separate files:
// RZQTFileParser.cpp (object, pins, input types, connection hooks),
// RZQTFileParserDiscovery.cpp (stream discovery), RZQTFileParserStreaming.cpp
// (Run, Pause, Stop and the stream sourcing thread) and RZQTFileParserPump.cpp
// (the sample pump).
#pragma once

#include <windows.h>

// Ahead of the standard headers: with the platform's headers, <memory>
// before dshow.h meets the string-function deprecations of strsafe.h.
#include "framework/streams.h"

#include <atomic>
#include <memory>
#include <vector>

#include "filter/IRZQTParserTracks.h"
#include "filter/RZQTFileParserClsid.h"
#include "framework/CHandle.h"

class CInputPin;
class COutputPin;
class QTMovie;

// The input pin's media types as the registration data lists them: any byte
// stream. The input pin accepts a type when its major type is listed here.
inline constexpr AMOVIESETUP_MEDIATYPE sudInputPinTypes[] = {{&MEDIATYPE_Stream, &MEDIASUBTYPE_NULL}};

class CRZQTFileParser : public CBaseFilter, public IRZQTParserTracks
{
public:
    DECLARE_IUNKNOWN
    // The base classes' answers, and IRZQTParserTracks.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP GetOutputPinTrack(LONG pin, LONG* track, LONG* bufferSize) override;

    // For the class factory: a new filter aggregated by pUnk (or not, when
    // null) as a CUnknown without a reference, or null with *phr set to
    // E_OUTOFMEMORY.
    static CUnknown* WINAPI CreateInstance(LPUNKNOWN pUnk, HRESULT* phr);

    CRZQTFileParser(LPUNKNOWN pUnk, HRESULT* phr);
    ~CRZQTFileParser() override;

    // The input pin and the output pins: output pin count + 1.
    int GetPinCount() override;
    // Pin 0 is the input pin (made here on the first call; null when it
    // cannot be made), pin n the output pin n - 1. Null out of range.
    CBasePin* GetPin(int n) override;

    // The input pin's media types, 0-based: MEDIATYPE_Stream with GUID_NULL,
    // then VFW_S_NO_MORE_ITEMS. E_POINTER, E_INVALIDARG for a negative position.
    HRESULT GetInMediaType(int iPosition, CMediaType* pmt);
    // S_OK when pmt's major type is one of sudInputPinTypes (subtype and
    // format not compared), with *ppEntry at that entry; S_FALSE otherwise,
    // *ppEntry null. E_POINTER for a null pmt. ppEntry may be null.
    HRESULT IsInMediaTypeSupported(const AM_MEDIA_TYPE* pmt, const AMOVIESETUP_MEDIATYPE** ppEntry);

    // Called by the input pin once it holds the upstream reader: parses the
    // movie through the pin. A failure fails the connection.
    HRESULT InitToRcv();
    // Called by the input pin when it disconnects or a connection attempt
    // fails: disconnects both sides of every output pin's connection and
    // deletes the output pins. Always S_OK; the movie and the input pin stay.
    HRESULT BreakConnect();

    // Streaming. Run starts the stream sourcing thread, which starts every
    // output pin's delivery thread and pumps the movie's samples; Stop ends
    // it all and returns only when every streaming thread has ended.
    STDMETHODIMP Run(REFERENCE_TIME tStart) override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Stop() override;

    // The first failure of a delivery thread in this run, S_OK before; set
    // only while no failure is stored (the first failure wins).
    HRESULT GetStreamError() const { return m_hrStreamError.load(); }
    void SetStreamError(HRESULT hr);
    // A delivery thread's failure: recorded as the stream error; the first
    // one of a run is reported to the graph and releases the pump.
    void DeliveryFailed(HRESULT hr);
    // The event that tells the streaming threads to end; null when not streaming.
    HANDLE GetHaltEvent() const { return m_hHaltEvent.get(); }
    // The filter lock, which is also every output pin's lock.
    CCritSec* GetFilterLock() { return &m_csFilter; }

    // Movie duration in whole seconds (truncated); set by each parse.
    LONGLONG GetDurationSeconds() const { return m_llDurationSeconds; }
    // Length of the source in bytes; set by each parse.
    LONGLONG GetSourceLength() const { return m_llSourceLength; }

    // The parsed movie, or null before the first parse. Owned by the filter.
    const QTMovie* GetMovie() const { return m_pMovie.get(); }
    QTMovie* GetMovie() { return m_pMovie.get(); }
    // The input pin, or null before the first GetPin.
    CInputPin* GetInputPin() const { return m_pInputPin.get(); }

    // Output pin n (0-based), or null; no reference added.
    COutputPin* GetOutputPin(int n);

private:
    // Stream discovery: makes the movie once, parses it through the input
    // pin, makes one output pin per track, keeps the movie's duration in
    // seconds and the source length.
    HRESULT ParseStreamDetails();
    // Appends pin to the output pins, which then own it. E_INVALIDARG for a
    // null pin, E_OUTOFMEMORY (the pins as they were) when the list cannot grow.
    HRESULT AddOutPin(COutputPin* pin);

    // The stream sourcing thread: delivery threads, pump, then end of stream
    // on every pin, or the failure reported to the graph.
    static unsigned __stdcall PullStream(void* pFilter);
    HRESULT StartAsyncDelivery();
    // The sample pump: every connected track's chunks in file order into
    // media samples queued on the pins. Raises its failures to PullStream.
    HRESULT ParseTheMovie();
    // Reports a failure of this run to the graph as EC_STREAM_ERROR_STOPPED
    // with its root HRESULT, once per run.
    void NotifyStreamError(HRESULT hr);
    // Decommits every output pin's allocator, so a pump waiting for a
    // buffer, or asking later, fails at once.
    void DecommitOutputAllocators();
    // Moves the output pins to the retired ones and deletes every retired
    // pin nobody references. Requires the filter lock.
    void RetireOutputPins();
    // The output pins as they are now (taken under the filter lock).
    std::vector<COutputPin*> OutputPinsNow();

    std::unique_ptr<CInputPin> m_pInputPin;
    // Owned; one per track, in track order. Changed and read under m_csFilter.
    std::vector<std::unique_ptr<COutputPin>> m_paOutputPins;
    // Removed pins still referenced by somebody; kept, unlisted, until their
    // count is 0 or the filter goes (under m_csFilter).
    std::vector<std::unique_ptr<COutputPin>> m_paRetiredPins;
    CCritSec m_csFilter; // the base filter's state lock and every output pin's lock
    CHandle m_hHaltEvent;      // manual reset; created by Run, closed by Stop
    CHandle m_hSourcingThread; // PullStream's thread; created by Run, closed by Stop
    std::unique_ptr<QTMovie> m_pMovie;
    std::atomic<HRESULT> m_hrStreamError{S_OK};
    std::atomic<bool> m_bStreamErrorNotified{false}; // this run's failure is reported
    // The output pins of the current run, taken by Run before the sourcing
    // thread starts and cleared by Stop after every streaming thread ended:
    // the streaming threads read it without the filter lock, and the pin
    // list cannot change meanwhile (connections need the filter stopped).
    std::vector<COutputPin*> m_RunPins;
    LONGLONG m_llDurationSeconds = 0; // whole seconds
    LONGLONG m_llSourceLength = 0;    // bytes
};
