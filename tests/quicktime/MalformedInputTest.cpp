// Truncated and corrupted movies: every one parses to S_OK or E_FAIL, never a
// crash or a read outside a buffer (run under AddressSanitizer too).
#include <gtest/gtest.h>

#include <random>

#include "quicktime/QTChunkSchedule.h"
#include "quicktime/QTMovie.h"
#include "tests/support/MovieAtoms.h"
#include "tests/support/TestByteSource.h"

namespace
{
const std::vector<TrackLayout> kTracks = {
    {QTTrackKind::Video, 1, 2997, 28, StandardStbl(QTTrackKind::Video)},
    {QTTrackKind::Sound, 2, 48000, 28, StandardStbl(QTTrackKind::Sound)},
    {QTTrackKind::Timecode, 3, 2997, 28, StandardStbl(QTTrackKind::Timecode)},
};

// The parse's result and track count. Whatever the tables hold, walking them
// as the pump does stays in bounds.
std::pair<HRESULT, LONG> Parse(std::vector<BYTE> bytes)
{
    CTestByteSource source(std::move(bytes));
    QTMovie movie(&source);
    const HRESULT hr = movie.ParseMovie();
    std::vector<QTTrack*> tracks;
    for (LONG i = 1; i <= movie.GetTrackCount(); ++i)
        tracks.push_back(movie.GetTrack(i));
    const QTChunkSchedule schedule(tracks);
    for (QTChunkStep step; schedule.Next(step) && step.action != QTChunkAction::Stop; QTChunkSchedule::Complete(step))
        (void)step.track->GetSampleSize(step.track->GetCurrentSampleIndex());
    return {hr, movie.GetTrackCount()};
}
} // namespace

TEST(MalformedInput, EveryTruncationParsesOrFails)
{
    const std::vector<BYTE> whole = MakeMovie(kTracks);
    LONG previousTracks = 0;
    for (size_t length = 0; length <= whole.size(); ++length)
    {
        SCOPED_TRACE(length);
        const auto [hr, tracks] = Parse(std::vector<BYTE>(whole.begin(), whole.begin() + length));
        ASSERT_TRUE(hr == S_OK || hr == E_FAIL);
        // Only a missing "moov" or a cut movie header fails, before any track;
        // a later cut keeps every track whose header it reached.
        EXPECT_EQ(hr == E_FAIL ? 0 : std::max(tracks, previousTracks), tracks);
        previousTracks = hr == E_FAIL ? previousTracks : tracks;
    }
    EXPECT_EQ(3, previousTracks);
}

TEST(MalformedInput, CorruptedBytesParseOrFail)
{
    const std::vector<BYTE> whole = MakeMovie(kTracks);
    std::mt19937 rng(7);
    for (int round = 0; round < 3000; ++round)
    {
        std::vector<BYTE> bytes = whole;
        for (int changes = 1 + static_cast<int>(rng() % 4); changes > 0; --changes)
        {
            // Sizes are where hostile values hurt: sometimes write extremes.
            static const BYTE kExtremes[] = {0x00, 0x01, 0x07, 0x08, 0x7F, 0x80, 0xFF};
            bytes[rng() % bytes.size()] = rng() % 2 ? kExtremes[rng() % 7] : static_cast<BYTE>(rng());
        }
        const auto [hr, tracks] = Parse(std::move(bytes));
        ASSERT_TRUE(hr == S_OK || hr == E_FAIL) << round;
        ASSERT_LE(tracks, 3) << round;
    }
}
