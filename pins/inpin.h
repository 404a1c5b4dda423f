// CInputPin: the filter's one input pin, "Input Stream". A pull pin on the
// base pin alone (no IMemInputPin): it connects to an upstream pin offering
// IAsyncReader, keeps that reader while connected, and reads the source
// through it for the movie parse and the sample pump.
//
// Connecting is where the movie is parsed: CheckConnect takes the reader and
// calls the filter's InitToRcv. A failed parse fails the connection, and the
// pin refuses every later one for the rest of its life.
#pragma once

#include <windows.h>

#include "framework/ComPtr.h"
#include "framework/streams.h"
#include "quicktime/IByteSource.h"

class CRZQTFileParser;

class CInputPin : public CBasePin, public IByteSource
{
public:
    // pFilter owns the pin. phr is passed to the base pin.
    CInputPin(CRZQTFileParser* pFilter, HRESULT* phr);
    // The reader must already be released (Disconnect, as the filter's
    // destructor does).
    ~CInputPin() override;

    // Refuses at once after a failed parse (VFW_E_NO_ACCEPTABLE_TYPES, no
    // read); E_INVALIDARG for a peer without IAsyncReader (the pin stays
    // willing); else the parse's result, which the pin keeps.
    HRESULT CheckConnect(IPin* pPin) override;
    // Major type MEDIATYPE_Stream, any subtype; VFW_E_NO_ACCEPTABLE_TYPES
    // otherwise, E_INVALIDARG for null. Failures go to the journal.
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    // The filter's input types (position 0: MEDIATYPE_Stream, GUID_NULL).
    HRESULT GetMediaType(int iPosition, CMediaType* pmt) override;
    // Removes the filter's output pins and releases the reader; always S_OK.
    HRESULT BreakConnect() override;

    // Nothing is pushed into this pin: all three do nothing.
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;

    // lLength bytes at byte offset llPosition of the source, under the pin
    // lock for the whole call, so no two reads overlap and the reader cannot
    // be released during one. The reader's SyncRead result unchanged: S_OK,
    // S_FALSE for a short read at the end (the bytes before the end are
    // filled), a failure otherwise; E_UNEXPECTED while not connected.
    HRESULT ReadOffset(BYTE* pBuffer, LONGLONG llPosition, LONG lLength) override;
    // Total length of the source in bytes (not a time); 0, logged, when there
    // is no reader or the reader cannot say.
    LONGLONG GetDuration();

    CRZQTFileParser* GetParser() const { return m_pParser; }
    // Byte position of the stream: 0, never moved.
    LONGLONG GetStreamPosition() const { return m_llStreamPosition; }

private:
    CMediaType m_mtAccepted;          // the last type CheckMediaType accepted
    CRZQTFileParser* const m_pParser; // not owned: the filter owns the pin
    CCritSec m_PinLock;               // the base pin's lock too; recursive
    ComPtr<IAsyncReader> m_pReader;   // guarded by m_PinLock; held while connected
    HRESULT m_hrConnect = S_OK;       // the last InitToRcv result; never reset
    const LONGLONG m_llStreamPosition = 0;
};
