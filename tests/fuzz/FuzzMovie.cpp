// libFuzzer target over the parsing side: the movie parse over memory, every
// track's media type, then the tracks' chunks taken through the sample pump's
// own schedule (QTChunkSchedule), every pin connected. Besides crashes,
// sanitizer reports and unbounded allocations, it stops on a broken promise
// that the output pins and the pump rely on: no chunk with more samples than
// its track's max samples per chunk (it sizes the pins' buffers), and no more
// chunks served than the chunk offset tables hold (the pump ends).
// A video sample may exceed the track's max sample size in a hostile file
// (a sound description sets the sample size, "vmhd" comes later, no "stsz"):
// the pump refuses such a sample when it does not fit its buffer, so that is
// no promise of the parse.
//
// Built with clang by the fuzz preset; the normal build links the same
// function into fuzz_regression_tests, which replays every input that once
// failed.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "quicktime/MemoryByteSource.h"
#include "quicktime/QTChunkSchedule.h"
#include "quicktime/QTMovie.h"

namespace
{
// Video samples sized per input, so a chunk that claims two billion samples
// cannot make one input run for minutes.
constexpr LONGLONG kSampleBudget = 1 << 16;

void Require(bool condition, const char* promise, const QTTrack* track, LONGLONG value)
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz target: track %u: %s (%lld)\n", track ? static_cast<unsigned>(track->GetTrackId()) : 0u,
                 promise, static_cast<long long>(value));
    std::abort();
}

void TakeVideoChunk(const QTChunkStep& step, LONGLONG& budget)
{
    QTVideoChunkSamples samples(step);
    QTChunkSample sample;
    while (budget > 0 && samples.Next(sample))
        --budget;
}

// Every chunk the pump would read, in its order, until it would stop.
void RunSchedule(const Movie& movie)
{
    std::vector<QTTrack*> tracks;
    LONGLONG chunks = 0;
    for (LONG index = 1; index <= movie.GetTrackCount(); ++index)
    {
        tracks.push_back(movie.GetTrack(index));
        chunks += tracks.back()->GetSampleTables().chunkCount;
    }
    QTChunkSchedule schedule(tracks);
    QTChunkStep step;
    LONGLONG budget = kSampleBudget;
    for (LONGLONG served = 0; schedule.Next(step) && step.action != QTChunkAction::Stop; ++served)
    {
        Require(served < chunks, "more chunks served than the tables hold", step.track, served);
        Require(step.samples <= step.track->GetSampleTables().maxSamplesPerChunk,
                "chunk above the max samples per chunk", step.track, step.samples);
        if (step.action == QTChunkAction::Video)
            TakeVideoChunk(step, budget);
        else if (step.action == QTChunkAction::Sound)
            (void)QTChunkSchedule::SoundBytes(step);
        QTChunkSchedule::Complete(step);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CMemoryByteSource source(std::vector<BYTE>(data, data + size));
    QTMovie movie(&source);
    (void)movie.ParseMovie(); // a failed parse keeps the tracks read before the failure
    for (LONG index = 1; index <= movie.GetTrackCount(); ++index)
    {
        QTTrack& track = *movie.GetTrack(index);
        track.SetMediaType();
        (void)track.UsesInterlacedDefaults();
    }
    RunSchedule(movie);
    return 0;
}
