// A media sample of CMemAllocator: one buffer with its data length, times,
// flags and optional media type. Reference counted; the last Release hands
// it back to its allocator instead of deleting it. The allocator owns it.
#pragma once

#include <strmif.h>
#include <vfwmsgs.h>

#include <memory>

#include "framework/RefCountedObject.h"

class CMemAllocator;

class CMediaSample final : public CRefCountedObject<IMediaSample, IID_IMediaSample>
{
public:
    // size usable bytes, aligned to align (a power of two) after prefix bytes.
    // Throws std::bad_alloc.
    CMediaSample(CMemAllocator* allocator, LONG size, LONG align, LONG prefix);
    ~CMediaSample() override;

    // Called by the allocator under its lock when it hands the sample out:
    // one reference, all the data length usable, no times, flags or type.
    void Reset();

    // The last Release hands the sample back to its allocator.
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetPointer(BYTE** ppBuffer) override;
    STDMETHODIMP_(LONG) GetSize() override;
    // VFW_E_SAMPLE_TIME_NOT_SET when no start time is set; VFW_S_NO_STOP_TIME
    // (end = start + 1) when only the start is.
    STDMETHODIMP GetTime(REFERENCE_TIME* pTimeStart, REFERENCE_TIME* pTimeEnd) override;
    // A null start clears both times; a null end sets the start only.
    STDMETHODIMP SetTime(REFERENCE_TIME* pTimeStart, REFERENCE_TIME* pTimeEnd) override;
    STDMETHODIMP IsSyncPoint() override;
    STDMETHODIMP SetSyncPoint(BOOL bIsSyncPoint) override;
    STDMETHODIMP IsPreroll() override;
    STDMETHODIMP SetPreroll(BOOL bIsPreroll) override;
    STDMETHODIMP_(LONG) GetActualDataLength() override;
    // VFW_E_BUFFER_OVERFLOW for a negative length or one beyond GetSize().
    STDMETHODIMP SetActualDataLength(LONG length) override;
    // S_FALSE and null when the type has not changed; otherwise a copy the
    // caller frees with DeleteMediaType.
    STDMETHODIMP GetMediaType(AM_MEDIA_TYPE** ppMediaType) override;
    // A copy is kept; null clears it.
    STDMETHODIMP SetMediaType(AM_MEDIA_TYPE* pMediaType) override;
    STDMETHODIMP IsDiscontinuity() override;
    STDMETHODIMP SetDiscontinuity(BOOL bDiscontinuity) override;
    // Media times count samples or bytes. VFW_E_MEDIA_TIME_NOT_SET when unset.
    STDMETHODIMP GetMediaTime(LONGLONG* pTimeStart, LONGLONG* pTimeEnd) override;
    // A null start clears them; otherwise both are required (E_POINTER).
    STDMETHODIMP SetMediaTime(LONGLONG* pTimeStart, LONGLONG* pTimeEnd) override;

private:
    void ClearMediaType();

    CMemAllocator* const m_allocator; // not owned; outlives the sample
    std::unique_ptr<BYTE[]> m_block;  // owned memory, prefix and alignment included
    BYTE* m_buffer;                   // the usable bytes inside m_block
    const LONG m_size;

    // Used by one holder at a time, as the platform's samples are.
    LONG m_actual = 0;
    bool m_timeValid = false;
    bool m_stopValid = false;
    REFERENCE_TIME m_start = 0;
    REFERENCE_TIME m_stop = 0;
    bool m_mediaTimeValid = false;
    LONGLONG m_mediaStart = 0;
    LONGLONG m_mediaStop = 0;
    bool m_syncPoint = false;
    bool m_preroll = false;
    bool m_discontinuity = false;
    AM_MEDIA_TYPE* m_mediaType = nullptr; // owned copy, CoTaskMemAlloc'ed with its format
};
