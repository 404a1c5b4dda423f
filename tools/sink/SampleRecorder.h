// What a sink saw: one record per accepted media sample, the stream's totals,
// and counts of the stream notices (end of stream, flushes, new segments).
// Thread-safe: the delivering threads record, tests read and wait.
//
// A long stream can be recorded in constant memory: with keepSamples off only
// the totals are kept, and the data itself is never kept, only hashed.
#pragma once

#include <strmif.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "framework/CCritSec.h"
#include "tools/sink/Md5.h"

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
    uint64_t hash = 0; // 64-bit FNV-1a of the size bytes of data (SampleHash::Fnv1a)
    CMd5::Digest md5{}; // MD5 of the data (SampleHash::Md5)
};

// How each sample's data is hashed.
enum class SampleHash
{
    Fnv1a, // each sample's FNV-1a (the default)
    Md5,   // each kept sample's MD5 and the MD5 of the whole stream, in arrival order
    None,  // no hash: only sizes and times
};

// The whole stream as recorded so far.
struct SinkStreamTotals
{
    LONGLONG samples = 0;
    LONGLONG bytes = 0;
    bool hasFirstStart = false;
    REFERENCE_TIME firstStart = 0; // start of the first sample that has one
    bool hasLastStop = false;
    REFERENCE_TIME lastStop = 0;   // stop of the last sample that has one
    CMd5::Digest md5{};            // of every byte in arrival order (SampleHash::Md5)
};

// 64-bit FNV-1a of data[0..size).
uint64_t Fnv1a64(const BYTE* data, size_t size);

class CSampleRecorder
{
public:
    // What Record keeps from now on; set it before samples arrive.
    void Configure(SampleHash hash, bool keepSamples);
    // Records the sample's size, times, flags and data hash.
    void Record(IMediaSample* pSample);
    void NoteEndOfStream();
    void NoteBeginFlush();
    void NoteEndFlush();
    void NoteNewSegment();

    std::vector<SinkSampleRecord> Samples() const;
    SinkStreamTotals Totals() const;
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
    // Waits until reached() holds under m_lock; false after timeoutMs.
    template <class Reached>
    bool WaitUntil(DWORD timeoutMs, Reached reached) const;
    // Requires m_lock. Wakes every WaitUntil to look again.
    void WakeWaiters();

    std::atomic<SampleHash> m_hash{SampleHash::Fnv1a};
    std::atomic<bool> m_keepSamples{true};

    mutable CCritSec m_lock; // guards everything below
    // Each waiting WaitUntil's own auto-reset event; not owned (the waiting
    // call closes it after taking it out).
    mutable std::vector<HANDLE> m_waiters;
    std::vector<SinkSampleRecord> m_samples;
    SinkStreamTotals m_totals;
    CMd5 m_streamMd5;
    LONG m_endOfStream = 0;
    LONG m_beginFlush = 0;
    LONG m_endFlush = 0;
    LONG m_newSegment = 0;
};
