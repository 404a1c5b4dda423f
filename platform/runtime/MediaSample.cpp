#include "platform/runtime/MediaSample.h"

#include "framework/CMediaType.h"
#include "platform/runtime/MemAllocator.h"

CMediaSample::CMediaSample(CMemAllocator* allocator, LONG size, LONG align, LONG prefix)
    : CRefCountedObject(0),
      m_allocator(allocator),
      m_block(new BYTE[static_cast<size_t>(prefix) + static_cast<size_t>(size) + static_cast<size_t>(align) - 1]),
      m_size(size)
{
    // The usable bytes start on the requested alignment, after the prefix.
    const uintptr_t start = reinterpret_cast<uintptr_t>(m_block.get()) + static_cast<uintptr_t>(prefix);
    const uintptr_t mask = static_cast<uintptr_t>(align) - 1;
    m_buffer = m_block.get() + (((start + mask) & ~mask) - reinterpret_cast<uintptr_t>(m_block.get()));
}

CMediaSample::~CMediaSample()
{
    ClearMediaType();
}

void CMediaSample::Reset()
{
    m_refCount = 1;
    m_actual = m_size;
    m_timeValid = m_stopValid = m_mediaTimeValid = false;
    m_syncPoint = m_preroll = m_discontinuity = false;
    ClearMediaType();
}

void CMediaSample::ClearMediaType()
{
    DeleteMediaType(m_mediaType);
    m_mediaType = nullptr;
}

STDMETHODIMP_(ULONG) CMediaSample::Release()
{
    const ULONG count = --m_refCount;
    if (count == 0)
        (void)m_allocator->ReleaseBuffer(this); // may free this sample: touch nothing after it
    return count;
}

STDMETHODIMP CMediaSample::GetPointer(BYTE** ppBuffer)
{
    if (!ppBuffer)
        return E_POINTER;
    *ppBuffer = m_buffer;
    return S_OK;
}

STDMETHODIMP_(LONG) CMediaSample::GetSize()
{
    return m_size;
}

STDMETHODIMP CMediaSample::GetTime(REFERENCE_TIME* pTimeStart, REFERENCE_TIME* pTimeEnd)
{
    if (!pTimeStart || !pTimeEnd)
        return E_POINTER;
    if (!m_timeValid)
        return VFW_E_SAMPLE_TIME_NOT_SET;
    *pTimeStart = m_start;
    if (!m_stopValid)
    {
        *pTimeEnd = m_start + 1;
        return VFW_S_NO_STOP_TIME;
    }
    *pTimeEnd = m_stop;
    return S_OK;
}

STDMETHODIMP CMediaSample::SetTime(REFERENCE_TIME* pTimeStart, REFERENCE_TIME* pTimeEnd)
{
    m_timeValid = pTimeStart != nullptr;
    m_stopValid = m_timeValid && pTimeEnd != nullptr;
    if (m_timeValid)
        m_start = *pTimeStart;
    if (m_stopValid)
        m_stop = *pTimeEnd;
    return S_OK;
}

STDMETHODIMP CMediaSample::IsSyncPoint()
{
    return m_syncPoint ? S_OK : S_FALSE;
}

STDMETHODIMP CMediaSample::SetSyncPoint(BOOL bIsSyncPoint)
{
    m_syncPoint = bIsSyncPoint != FALSE;
    return S_OK;
}

STDMETHODIMP CMediaSample::IsPreroll()
{
    return m_preroll ? S_OK : S_FALSE;
}

STDMETHODIMP CMediaSample::SetPreroll(BOOL bIsPreroll)
{
    m_preroll = bIsPreroll != FALSE;
    return S_OK;
}

STDMETHODIMP_(LONG) CMediaSample::GetActualDataLength()
{
    return m_actual;
}

STDMETHODIMP CMediaSample::SetActualDataLength(LONG length)
{
    if (length < 0 || length > m_size)
        return VFW_E_BUFFER_OVERFLOW;
    m_actual = length;
    return S_OK;
}

STDMETHODIMP CMediaSample::GetMediaType(AM_MEDIA_TYPE** ppMediaType)
{
    if (!ppMediaType)
        return E_POINTER;
    *ppMediaType = nullptr;
    if (!m_mediaType)
        return S_FALSE;
    *ppMediaType = CreateMediaType(m_mediaType);
    return *ppMediaType ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CMediaSample::SetMediaType(AM_MEDIA_TYPE* pMediaType)
{
    if (!pMediaType)
    {
        ClearMediaType();
        return S_OK;
    }
    AM_MEDIA_TYPE* copy = CreateMediaType(pMediaType);
    if (!copy)
        return E_OUTOFMEMORY;
    ClearMediaType();
    m_mediaType = copy;
    return S_OK;
}

STDMETHODIMP CMediaSample::IsDiscontinuity()
{
    return m_discontinuity ? S_OK : S_FALSE;
}

STDMETHODIMP CMediaSample::SetDiscontinuity(BOOL bDiscontinuity)
{
    m_discontinuity = bDiscontinuity != FALSE;
    return S_OK;
}

STDMETHODIMP CMediaSample::GetMediaTime(LONGLONG* pTimeStart, LONGLONG* pTimeEnd)
{
    if (!pTimeStart || !pTimeEnd)
        return E_POINTER;
    if (!m_mediaTimeValid)
        return VFW_E_MEDIA_TIME_NOT_SET;
    *pTimeStart = m_mediaStart;
    *pTimeEnd = m_mediaStop;
    return S_OK;
}

STDMETHODIMP CMediaSample::SetMediaTime(LONGLONG* pTimeStart, LONGLONG* pTimeEnd)
{
    if (!pTimeStart)
    {
        m_mediaTimeValid = false;
        return S_OK;
    }
    if (!pTimeEnd)
        return E_POINTER;
    m_mediaStart = *pTimeStart;
    m_mediaStop = *pTimeEnd;
    m_mediaTimeValid = true;
    return S_OK;
}
