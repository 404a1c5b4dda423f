// CRZQTFileParser: the QuickTime movie parser filter. It owns one input pin
// (pin 0, created on first demand), which pulls bytes from an upstream
// IAsyncReader, and one output pin per track of the movie (pins 1 to N).
// Connecting the input pin parses the movie (InitToRcv); disconnecting it
// removes the output pins (BreakConnect). The movie object is made by the
// first parse and kept, and parsed again, until the filter is destroyed.
//
// This file declares the whole class; its concerns live in separate files:
// RZQTFileParser.cpp (object, pins, input types, connection hooks) and
// RZQTFileParserDiscovery.cpp (stream discovery).
#pragma once

#include <windows.h>

// Ahead of the standard headers: with the platform's headers, <memory>
// before dshow.h meets the string-function deprecations of strsafe.h.
#include "framework/streams.h"

#include <atomic>
#include <memory>
#include <vector>

class CInputPin;
class QTMovie;

// {5E2B7C41-9A3D-4F6E-B817-2C4D9E0A6F13}
inline constexpr GUID CLSID_RZQTFileParser = {
    0x5E2B7C41, 0x9A3D, 0x4F6E, {0xB8, 0x17, 0x2C, 0x4D, 0x9E, 0x0A, 0x6F, 0x13}};

// The input pin's media types as the registration data lists them: any byte
// stream. The input pin accepts a type when its major type is listed here.
inline constexpr AMOVIESETUP_MEDIATYPE sudInputPinTypes[] = {{&MEDIATYPE_Stream, &MEDIASUBTYPE_NULL}};

class CRZQTFileParser : public CBaseFilter
{
public:
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
    // fails: disconnects and deletes every output pin. Always S_OK; the movie
    // and the input pin stay.
    HRESULT BreakConnect();

    // The first failure of a delivery thread, S_OK before; set only while no
    // failure is stored (the first failure wins).
    HRESULT GetStreamError() const { return m_hrStreamError.load(); }
    void SetStreamError(HRESULT hr);

    // Movie duration in whole seconds (truncated); set by each parse.
    LONGLONG GetDurationSeconds() const { return m_llDurationSeconds; }
    // Length of the source in bytes; set by each parse.
    LONGLONG GetSourceLength() const { return m_llSourceLength; }

    // The parsed movie, or null before the first parse. Owned by the filter.
    const QTMovie* GetMovie() const { return m_pMovie.get(); }
    QTMovie* GetMovie() { return m_pMovie.get(); }
    // The input pin, or null before the first GetPin.
    CInputPin* GetInputPin() const { return m_pInputPin.get(); }

private:
    // Stream discovery: makes the movie once, parses it through the input
    // pin, keeps its duration in seconds and the source length.
    HRESULT ParseStreamDetails();

    std::unique_ptr<CInputPin> m_pInputPin;
    // Owned; one per track, in track order. Held as the framework's output
    // pin until the filter's own output pin class comes with stream output.
    std::vector<std::unique_ptr<CBaseOutputPin>> m_paOutputPins;
    CCritSec m_csFilter; // the base filter's state lock and every output pin's lock
    std::unique_ptr<QTMovie> m_pMovie;
    std::atomic<HRESULT> m_hrStreamError{S_OK};
    LONGLONG m_llDurationSeconds = 0; // whole seconds
    LONGLONG m_llSourceLength = 0;    // bytes
};
