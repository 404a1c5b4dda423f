// IAsyncReader over a byte source: the native build's stand-in for what the
// platform's file source offers downstream. Used by the file, in-memory and
// fault-injecting readers; a source filter's output pin hands one out from
// its QueryInterface(IID_IAsyncReader).
//
// To derive: implement ReadBytes (positioned, safe from several threads at
// once) and GetLength. Everything else (argument checks, S_OK/S_FALSE,
// queued requests, flushing, reference counting) is done here. Objects are
// created with one reference and deleted by their last Release.
#pragma once

#include <strmif.h>

#include <deque>

#include "framework/CCritSec.h"
#include "framework/CHandle.h"
#include "framework/RefCountedObject.h"

class CAsyncReaderBase : public CRefCountedObject<IAsyncReader, IID_IAsyncReader>
{
public:
    // IAsyncReader. Request reads at once and queues the completion for
    // WaitForNext; the sample's start and end times give the byte range
    // (byte position x 10,000,000, as the platform's reader expects).
    STDMETHODIMP RequestAllocator(IMemAllocator* pPreferred, ALLOCATOR_PROPERTIES* pProps,
                                  IMemAllocator** ppActual) override;
    STDMETHODIMP Request(IMediaSample* pSample, DWORD_PTR dwUser) override;
    STDMETHODIMP WaitForNext(DWORD dwTimeout, IMediaSample** ppSample, DWORD_PTR* pdwUser) override;
    STDMETHODIMP SyncReadAligned(IMediaSample* pSample) override;
    // S_OK: all lLength bytes read; S_FALSE: the source ended first, the bytes
    // up to its end are in pBuffer; E_INVALIDARG for a negative position or
    // length; E_POINTER for a null buffer; a read failure's code otherwise.
    STDMETHODIMP SyncRead(LONGLONG llPosition, LONG lLength, BYTE* pBuffer) override;
    // Total and available length in bytes; either pointer may be null.
    STDMETHODIMP Length(LONGLONG* pTotal, LONGLONG* pAvailable) override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;

    // Reads up to length bytes at position (both >= 0) into buffer and stores
    // the count in *pRead: fewer than length only where the available bytes
    // end. Returns S_OK, or a failure with *pRead undefined.
    [[nodiscard]] virtual HRESULT ReadBytes(LONGLONG position, LONG length, BYTE* buffer, LONG* pRead) = 0;
    // Total length of the source and how much of it can be read now, in bytes.
    virtual void GetLength(LONGLONG* pTotal, LONGLONG* pAvailable) = 0;

protected:
    CAsyncReaderBase();
    ~CAsyncReaderBase() override;

private:
    struct Completion
    {
        IMediaSample* sample; // owns one reference
        DWORD_PTR user;
        HRESULT result;
    };
    HRESULT ReadIntoSample(IMediaSample* pSample);
    // Requires m_lock. Sets m_ready to whether WaitForNext can return now.
    void UpdateReady();

    CCritSec m_lock; // guards the members below
    // Manual-reset; signalled while a completion is queued or while flushing.
    // Null when it could not be made: WaitForNext then fails.
    CHandle m_ready;
    std::deque<Completion> m_completed;
    bool m_flushing = false;
};
