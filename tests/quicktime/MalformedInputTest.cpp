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

HRESULT ParseBytes(std::vector<BYTE> bytes, LONG* trackCount = nullptr)
{
    CTestByteSource source(std::move(bytes));
    QTMovie movie(&source);
    const HRESULT hr = movie.ParseMovie();
    if (trackCount)
        *trackCount = movie.GetTrackCount();
    // Whatever the tables hold, walking them as the pump does stays in bounds.
    std::vector<QTTrack*> tracks;
    for (LONG i = 1; i <= movie.GetTrackCount(); ++i)
        tracks.push_back(movie.GetTrack(i));
    const QTChunkSchedule schedule(tracks);
    for (QTChunkStep step; schedule.Next(step) && step.action != QTChunkAction::Stop;)
    {
        (void)step.track->GetSampleSize(step.track->GetCurrentSampleIndex());
        QTChunkSchedule::Complete(step);
    }
    return hr;
}
} // namespace

TEST(MalformedInput, EveryTruncationParsesOrFails)
{
    const std::vector<BYTE> whole = MakeMovie(kTracks);
    LONG previousTracks = 0;
    for (size_t length = 0; length <= whole.size(); ++length)
    {
        SCOPED_TRACE(length);
        LONG tracks = -1;
        const HRESULT hr = ParseBytes(std::vector<BYTE>(whole.begin(), whole.begin() + length), &tracks);
        ASSERT_TRUE(hr == S_OK || hr == E_FAIL);
        // Only a missing "moov" or a cut movie header fails, before any track.
        if (hr == E_FAIL)
        {
            EXPECT_EQ(0, tracks);
            continue;
        }
        // A later cut keeps every track whose header it reached.
        EXPECT_GE(tracks, previousTracks);
        previousTracks = tracks;
    }
    EXPECT_EQ(3, previousTracks);
    EXPECT_EQ(S_OK, ParseBytes(whole));
}

TEST(MalformedInput, CorruptedBytesParseOrFail)
{
    const std::vector<BYTE> whole = MakeMovie(kTracks);
    std::mt19937 rng(7);
    for (int round = 0; round < 3000; ++round)
    {
        std::vector<BYTE> bytes = whole;
        const int changes = 1 + static_cast<int>(rng() % 4);
        for (int i = 0; i < changes; ++i)
        {
            const size_t at = rng() % bytes.size();
            // Sizes are where hostile values hurt: sometimes write extremes.
            static const BYTE kExtremes[] = {0x00, 0x01, 0x07, 0x08, 0x7F, 0x80, 0xFF};
            bytes[at] = rng() % 2 ? kExtremes[rng() % 7] : static_cast<BYTE>(rng());
        }
        LONG tracks = 0;
        const HRESULT hr = ParseBytes(std::move(bytes), &tracks);
        ASSERT_TRUE(hr == S_OK || hr == E_FAIL) << round;
        ASSERT_LE(tracks, 3) << round;
    }
}
