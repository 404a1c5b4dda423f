// libFuzzer target over the parsing side: the movie parse over memory, then
// every track's media type and its chunks walked the way the sample pump
// walks them. Besides crashes, sanitizer reports and unbounded allocations,
// it stops on a broken promise that the output pin and the pump rely on:
// no sample larger than the track's max sample size, no chunk with more
// samples than its max samples per chunk (both size the pin's buffers), and
// no chunk offset once the chunks are used up.
//
// Built with clang by tests/fuzz/libfuzzer/; the normal build links the same
// function into fuzz_regression_tests, which replays every input that once
// failed.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

#include "quicktime/MemoryByteSource.h"
#include "quicktime/QTMovie.h"

namespace
{
// Sample sizes asked per input, so a chunk that claims two billion samples
// cannot make one input run for minutes.
constexpr LONGLONG kSampleSizeBudget = 1 << 16;

void Require(bool condition, const char* promise, const QTTrack& track, LONGLONG value)
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz target: track %u: %s (%lld)\n", static_cast<unsigned>(track.GetTrackId()), promise,
                 static_cast<long long>(value));
    std::abort();
}

// One chunk as the video path takes it: each sample sized, then the samples
// counted off.
void TakeVideoChunk(QTTrack& track, LONG samples, LONGLONG& budget)
{
    const LONGLONG first = track.GetCurrentSampleIndex();
    for (LONGLONG n = first; n < first + samples && n <= std::numeric_limits<LONG>::max() && budget > 0; ++n, --budget)
    {
        const LONG size = track.GetSampleSize(static_cast<LONG>(n));
        Require(size <= track.GetSampleTables().maxSampleSize, "sample larger than the max sample size", track, size);
    }
    track.AdvanceSamples(samples);
}

// One chunk as the audio path takes it (its bytes are channels x current
// sample size x samples); false where the pump would stop.
bool TakeSoundChunk(const QTTrack& track, LONG samples)
{
    if (samples <= 0)
        return false;
    (void)track.GetCurrentSampleSize();
    return true;
}

// The track's chunks in order, as far as the pump would take them: it passes
// over a track whose current chunk offset is not positive.
void WalkChunks(QTTrack& track, LONGLONG& budget)
{
    const LONG chunks = track.GetSampleTables().chunkCount;
    LONG step = 0;
    for (; step < chunks && track.GetCurrentCO() > 0; ++step)
    {
        const LONG samples = track.GetSamplesInCurrentChunk();
        Require(samples <= track.GetSampleTables().maxSamplesPerChunk, "chunk above the max samples per chunk", track,
                samples);
        if (track.IsVideo())
            TakeVideoChunk(track, samples, budget);
        else if (track.IsAudio() && !TakeSoundChunk(track, samples))
            return;
        track.NextChunk();
    }
    if (step == chunks)
        Require(track.GetCurrentCO() == -1, "a chunk offset past the last chunk", track, track.GetCurrentCO());
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CMemoryByteSource source(std::vector<BYTE>(data, data + size));
    QTMovie movie(&source);
    (void)movie.ParseMovie(); // a failed parse keeps the tracks read before the failure
    LONGLONG budget = kSampleSizeBudget;
    for (LONG index = 1; index <= movie.GetTrackCount(); ++index)
    {
        QTTrack& track = *movie.GetTrack(index);
        track.SetMediaType();
        (void)track.UsesInterlacedDefaults();
        WalkChunks(track, budget);
    }
    return 0;
}
