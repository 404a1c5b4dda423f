// What a sink saw: one record per accepted media sample, and counts of the
// stream notices (end of stream, flushes, new segments). Thread-safe: the
// delivering threads record, tests read and wait.
#pragma once

#include <strmif.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

struct SinkSampleRecord
{
    LONG size = 0; // actual data length, bytes
    bool hasStart = false;
    bool hasStop = false;
    REFERENCE_TIME start = 0; // 100-ns units; valid with hasStart
    REFERENCE_TIME stop = 0;  // 100-ns units; valid with hasStop
    bool hasMediaTime = false;
    LONGLONG mediaStart = 0; // samples (frames) or bytes, as the sender counts
    LONGLONG mediaStop = 0;
    bool syncPoint = false;
    bool discontinuity = false;
    uint64_t hash = 0; // 64-bit FNV-1a of the size bytes of data
};

// 64-bit FNV-1a of data[0..size).
uint64_t Fnv1a64(const BYTE* data, size_t size);

class CSampleRecorder
{
public:
    // Records the sample's size, times, flags and data hash.
    void Record(IMediaSample* pSample);
    void NoteEndOfStream();
    void NoteBeginFlush();
    void NoteEndFlush();
    void NoteNewSegment();

    std::vector<SinkSampleRecord> Samples() const;
    LONG SampleCount() const;
    LONG EndOfStreamCount() const;
    LONG BeginFlushCount() const;
    LONG EndFlushCount() const;
    LONG NewSegmentCount() const;
    // True once at least count samples are recorded; false after timeoutMs.
    bool WaitForSamples(LONG count, DWORD timeoutMs) const;
    // True once at least count ends of stream have arrived; false after timeoutMs.
    bool WaitForEndOfStream(LONG count, DWORD timeoutMs) const;
    void Clear();

private:
    // Waits under m_lock until reached() holds; false after timeoutMs.
    template <class Reached>
    bool WaitUntil(DWORD timeoutMs, Reached reached) const;

    mutable std::mutex m_lock; // guards everything below
    mutable std::condition_variable m_changed;
    std::vector<SinkSampleRecord> m_samples;
    LONG m_endOfStream = 0;
    LONG m_beginFlush = 0;
    LONG m_endFlush = 0;
    LONG m_newSegment = 0;
};
