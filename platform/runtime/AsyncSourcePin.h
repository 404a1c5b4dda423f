// The output pin of the native source filters, "Output": a pull pin that
// offers IAsyncReader (from its own QueryInterface, as the platform's file
// source pin does) over the reader its filter gives it. It offers one media
// type (by default MEDIATYPE_Stream with a null subtype) and accepts a type
// of the same major type whose subtype matches or is null.
#pragma once

#include <dshow.h>

#include "framework/CBasePin.h"
#include "framework/ComPtr.h"

class CAsyncSourcePin : public CBasePin, public IAsyncReader
{
public:
    CAsyncSourcePin(CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr);

    DECLARE_IUNKNOWN
    // IPin, IQualityControl and IAsyncReader.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // The reader to offer (one reference held) and the type to offer (null:
    // MEDIATYPE_Stream, MEDIASUBTYPE_NULL). VFW_E_ALREADY_CONNECTED while
    // connected; E_OUTOFMEMORY.
    [[nodiscard]] HRESULT SetReader(IAsyncReader* pReader, const AM_MEDIA_TYPE* pmt);
    // The offered type; E_OUTOFMEMORY.
    [[nodiscard]] HRESULT GetOfferedType(AM_MEDIA_TYPE* pmt);

    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT GetMediaType(int iPosition, CMediaType* pMediaType) override;

    // IAsyncReader, passed to the reader; E_UNEXPECTED without one.
    STDMETHODIMP RequestAllocator(IMemAllocator* pPreferred, ALLOCATOR_PROPERTIES* pProps,
                                  IMemAllocator** ppActual) override;
    STDMETHODIMP Request(IMediaSample* pSample, DWORD_PTR dwUser) override;
    STDMETHODIMP WaitForNext(DWORD dwTimeout, IMediaSample** ppSample, DWORD_PTR* pdwUser) override;
    STDMETHODIMP SyncReadAligned(IMediaSample* pSample) override;
    STDMETHODIMP SyncRead(LONGLONG llPosition, LONG lLength, BYTE* pBuffer) override;
    STDMETHODIMP Length(LONGLONG* pTotal, LONGLONG* pAvailable) override;
    // IAsyncReader's and IPin's BeginFlush/EndFlush share one slot; nothing
    // upstream of an output pin calls the IPin ones, so both mean the reader's.
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;

private:
    ComPtr<IAsyncReader> Reader();

    // Changed under both locks; read under either. Reads through the pin take
    // m_readerLock alone: the downstream pin calls them holding its own lock,
    // which it also holds while the connection (under m_pLock) calls it.
    ComPtr<IAsyncReader> m_reader; // fixed while connected
    CCritSec m_readerLock;
    CMediaType m_offered;          // guarded by m_pLock
};
