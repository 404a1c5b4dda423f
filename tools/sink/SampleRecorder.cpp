#include "tools/sink/SampleRecorder.h"

#include <vfwmsgs.h>

#include <algorithm>

#include "framework/CHandle.h"
#include "framework/WaitDeadline.h"

uint64_t Fnv1a64(const BYTE* data, size_t size)
{
    uint64_t hash = 0xCBF29CE484222325ull;
    for (size_t i = 0; i < size; i++)
    {
        hash ^= data[i];
        hash *= 0x100000001B3ull;
    }
    return hash;
}

void CSampleRecorder::Configure(SampleHash hash, bool keepSamples)
{
    m_hash = hash;
    m_keepSamples = keepSamples;
}

void CSampleRecorder::Record(IMediaSample* pSample)
{
    SinkSampleRecord record;
    record.size = pSample->GetActualDataLength();
    BYTE* data = nullptr;
    if (record.size <= 0 || FAILED(pSample->GetPointer(&data)))
        data = nullptr;
    const size_t size = data ? static_cast<size_t>(record.size) : 0;
    const SampleHash hash = m_hash.load();
    const bool keep = m_keepSamples.load();
    if (hash == SampleHash::Fnv1a)
        record.hash = Fnv1a64(data, size);
    else if (hash == SampleHash::Md5 && keep)
        record.md5 = [&] { CMd5 md5; md5.Update(data, size); return md5.Final(); }();
    const HRESULT hrTime = pSample->GetTime(&record.start, &record.stop);
    record.hasStart = SUCCEEDED(hrTime);
    record.hasStop = hrTime == S_OK; // VFW_S_NO_STOP_TIME: start only
    record.hasMediaTime = pSample->GetMediaTime(&record.mediaStart, &record.mediaStop) == S_OK;
    record.syncPoint = pSample->IsSyncPoint() == S_OK;
    record.discontinuity = pSample->IsDiscontinuity() == S_OK;

    CAutoLock lock(&m_lock);
    if (hash == SampleHash::Md5)
        m_streamMd5.Update(data, size); // in arrival order: one pin delivers from one thread
    m_totals.samples++;
    m_totals.bytes += static_cast<LONGLONG>(size);
    if (record.hasStart && !m_totals.hasFirstStart)
    {
        m_totals.hasFirstStart = true;
        m_totals.firstStart = record.start;
    }
    if (record.hasStop)
    {
        m_totals.hasLastStop = true;
        m_totals.lastStop = record.stop;
    }
    if (keep)
        m_samples.push_back(record);
    WakeWaiters();
}

void CSampleRecorder::NoteEndOfStream()
{
    CAutoLock lock(&m_lock);
    m_endOfStream++;
    WakeWaiters();
}

void CSampleRecorder::NoteBeginFlush()
{
    CAutoLock lock(&m_lock);
    m_beginFlush++;
}

void CSampleRecorder::NoteEndFlush()
{
    CAutoLock lock(&m_lock);
    m_endFlush++;
}

void CSampleRecorder::NoteNewSegment()
{
    CAutoLock lock(&m_lock);
    m_newSegment++;
}

std::vector<SinkSampleRecord> CSampleRecorder::Samples() const
{
    CAutoLock lock(&m_lock);
    return m_samples;
}

SinkStreamTotals CSampleRecorder::Totals() const
{
    CAutoLock lock(&m_lock);
    SinkStreamTotals totals = m_totals;
    totals.md5 = m_streamMd5.Final();
    return totals;
}

LONG CSampleRecorder::SampleCount() const
{
    CAutoLock lock(&m_lock);
    return static_cast<LONG>(m_samples.size());
}

LONG CSampleRecorder::EndOfStreamCount() const
{
    CAutoLock lock(&m_lock);
    return m_endOfStream;
}

LONG CSampleRecorder::BeginFlushCount() const
{
    CAutoLock lock(&m_lock);
    return m_beginFlush;
}

LONG CSampleRecorder::EndFlushCount() const
{
    CAutoLock lock(&m_lock);
    return m_endFlush;
}

LONG CSampleRecorder::NewSegmentCount() const
{
    CAutoLock lock(&m_lock);
    return m_newSegment;
}

void CSampleRecorder::WakeWaiters()
{
    for (HANDLE waiter : m_waiters)
        (void)SetEvent(waiter); // valid while listed: nothing to report
}

template <class Reached>
bool CSampleRecorder::WaitUntil(DWORD timeoutMs, Reached reached) const
{
    const CWaitDeadline deadline(timeoutMs);
    const CHandle wake(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    {
        CAutoLock lock(&m_lock);
        if (reached())
            return true;
        if (!wake)
            return false; // no event to wait on: as if timed out
        m_waiters.push_back(wake.get());
    }
    for (;;)
    {
        const DWORD waited = WaitForSingleObject(wake.get(), deadline.Remaining());
        CAutoLock lock(&m_lock);
        const bool result = reached();
        if (result || waited != WAIT_OBJECT_0)
        {
            m_waiters.erase(std::find(m_waiters.begin(), m_waiters.end(), wake.get()));
            return result;
        }
    }
}

bool CSampleRecorder::WaitForSamples(LONG count, DWORD timeoutMs) const
{
    return WaitUntil(timeoutMs, [&] { return static_cast<LONG>(m_samples.size()) >= count; });
}

bool CSampleRecorder::WaitForEndOfStream(LONG count, DWORD timeoutMs) const
{
    return WaitUntil(timeoutMs, [&] { return m_endOfStream >= count; });
}

void CSampleRecorder::Clear()
{
    CAutoLock lock(&m_lock);
    m_samples.clear();
    m_totals = SinkStreamTotals();
    m_streamMd5.Reset();
    m_endOfStream = 0;
    m_beginFlush = 0;
    m_endFlush = 0;
    m_newSegment = 0;
}
