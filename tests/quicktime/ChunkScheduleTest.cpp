#include <gtest/gtest.h>

#include "quicktime/FourCC.h"
#include "quicktime/QTChunkSchedule.h"
#include "quicktime/QTMovie.h"
#include "tests/support/MovieAtoms.h"
#include "tests/support/TestByteSource.h"

namespace
{
using Stsc = std::vector<std::array<uint32_t, 3>>;

TrackLayout VideoTrack(uint32_t id, const std::vector<uint32_t>& sizes, const Stsc& stsc,
                       const std::vector<uint32_t>& offsets)
{
    return {QTTrackKind::Video, id, 2500, 28, Atoms([&](AtomBuilder& b) {
                AddStsd(b, VideoDescription(FourCC::Dvc, 720, 480));
                AddStsc(b, stsc);
                AddStsz(b, 0, sizes);
                AddStco(b, offsets);
            })};
}

// Stereo 16-bit sound.
TrackLayout SoundTrack(uint32_t id, const Stsc& stsc, const std::vector<uint32_t>& offsets,
                       const std::vector<std::pair<uint32_t, uint32_t>>& stts = {{100000, 1}})
{
    return {QTTrackKind::Sound, id, 48000, 28, Atoms([&](AtomBuilder& b) {
                AddStsd(b, SoundDescription({}));
                AddStts(b, stts);
                AddStsc(b, stsc);
                AddStco(b, offsets);
            })};
}

struct Scheduled
{
    explicit Scheduled(const std::vector<TrackLayout>& layouts) : source(MakeMoov(layouts))
    {
        EXPECT_EQ(S_OK, movie.ParseMovie());
        for (LONG i = 1; i <= movie.GetTrackCount(); ++i)
            tracks.push_back(movie.GetTrack(i));
    }
    CTestByteSource source;
    QTMovie movie{&source};
    std::vector<QTTrack*> tracks;
};

// Runs the schedule as the pump would; one "participant offset/chunk what"
// per step, what being V and each video sample's number:size@offset, S and
// the sound bytes, "skip" or "stop".
std::vector<std::string> RunSchedule(const std::vector<QTTrack*>& tracks)
{
    static const char* const kActions[] = {"V", "S", "skip", "stop"}; // in the order of QTChunkAction
    std::vector<std::string> steps;
    const QTChunkSchedule schedule(tracks);
    for (QTChunkStep step; schedule.Next(step);)
    {
        std::string text = std::to_string(step.participant) + " " + std::to_string(step.offset) + "/" +
                           std::to_string(step.chunk) + " " + kActions[static_cast<int>(step.action)];
        QTChunkSample sample;
        for (QTVideoChunkSamples samples(step); step.action == QTChunkAction::Video && samples.Next(sample);)
            text += " " + std::to_string(sample.number) + ":" + std::to_string(sample.size) + "@" +
                    std::to_string(sample.offset);
        if (step.action == QTChunkAction::Sound)
            text += " " + std::to_string(QTChunkSchedule::SoundBytes(step));
        steps.push_back(text);
        if (step.action == QTChunkAction::Stop)
            break;
        QTChunkSchedule::Complete(step);
    }
    return steps;
}
} // namespace

TEST(ChunkSchedule, LowestOffsetFirstEarlierTrackOnTies)
{
    TrackLayout timecode{QTTrackKind::Timecode, 3, 2997, 28, StandardStbl(QTTrackKind::Timecode, 50)};
    // No kind: a null major type, passed without reading.
    TrackLayout other{QTTrackKind::None, 4, 600, 28, Atoms([](AtomBuilder& b) { AddStco(b, {10, 400}); })};
    Scheduled s({VideoTrack(1, {1000, 1200, 900}, {{1, 2, 1}, {2, 1, 1}}, {100, 300}),
                 SoundTrack(2, {{1, 1000, 1}}, {200, 300, 0}), timecode, other});
    const std::vector<std::string> expected = {
        "3 10/1 skip", "0 100/1 V 1:1000@100 2:1200@1100", "1 200/1 S 4000",
        "0 300/2 V 3:900@300", "1 300/2 S 4000", "3 400/2 skip",
    }; // the chunk at offset 0 is never served, nor the timecode track's
    EXPECT_EQ(expected, RunSchedule(s.tracks));
    EXPECT_EQ(4, s.tracks[0]->GetCurrentSampleIndex());
    EXPECT_EQ(1, s.tracks[2]->GetCurrentChunkIndex());
    EXPECT_TRUE(RunSchedule(s.tracks).empty()); // a second run finds every chunk used up

    // Only the tracks taking part are served.
    Scheduled t({VideoTrack(1, {1000}, {{1, 1, 1}}, {100}), SoundTrack(2, {{1, 1000, 1}}, {50})});
    EXPECT_EQ(std::vector<std::string>{"0 100/1 V 1:1000@100"}, RunSchedule({t.tracks[0]}));
}

TEST(ChunkSchedule, UnknownVideoSizesAreSkippedWithoutTakingRoom)
{
    // Chunk 1 claims 0xFFFFFFFF (-1) samples: nothing is read and the current
    // sample moves back to 0, whose size is unknown. Past the size table the
    // chunk ends: sample 4 and the 2^31 - 1 after it are never sized.
    Scheduled s({VideoTrack(1, {1000, 1200, 900}, {{1, 0xFFFFFFFFu, 1}, {2, 3, 1}, {3, 0x7FFFFFFFu, 1}}, {48, 5000, 9000})});
    const std::vector<std::string> expected = {"0 48/1 V", "0 5000/2 V 0:-1@5000 1:1000@5000 2:1200@6000",
                                               "0 9000/3 V 3:900@9000"};
    EXPECT_EQ(expected, RunSchedule(s.tracks));
}

TEST(ChunkSchedule, SoundChunkBytesAndWhereThePumpStops)
{
    using Steps = std::vector<std::string>;
    const std::pair<TrackLayout, Steps> cases[] = {
        // Several time-to-sample entries with a fixed size: the size is unknown.
        {SoundTrack(1, {{1, 1000, 1}}, {64}, {{1, 1}, {2, 1}}), {"0 64/1 S -1"}},
        // More bytes than a 32-bit length holds.
        {SoundTrack(1, {{1, 0x40000000, 1}}, {64}), {"0 64/1 S -1"}},
        // A chunk without samples ends the pump, whatever follows.
        {SoundTrack(1, {{1, 1000, 1}, {2, 0, 1}, {3, 10, 1}}, {64, 4064, 5000}), {"0 64/1 S 4000", "0 4064/2 stop"}},
        {SoundTrack(1, {{2, 1000, 1}}, {64, 4064}), {"0 64/1 stop"}},
    };
    for (const auto& [track, expected] : cases)
        EXPECT_EQ(expected, RunSchedule(Scheduled({track}).tracks));
}

TEST(ChunkSchedule, VideoChunkWalksNeitherOverflowNorRunPastTheirLimit)
{
    const auto fixedSize = [](uint32_t size, uint32_t samples, uint64_t offset) {
        return TrackLayout{QTTrackKind::Video, 1, 2500, 28, Atoms([&](AtomBuilder& b) {
                               AddStsd(b, VideoDescription(FourCC::Dvc, 720, 480));
                               AddStsc(b, {{1, samples, 1}});
                               AddStsz(b, size, {}, samples);
                               AddCo64(b, {offset});
                           })};
    };
    // Near the top of the offsets the sample whose end cannot be held is the last.
    const LONGLONG top = INT64_MAX - 1500;
    Scheduled nearTop({fixedSize(1000, 3, static_cast<uint64_t>(top))});
    EXPECT_EQ(std::vector<std::string>{"0 " + std::to_string(top) + "/1 V 1:1000@" + std::to_string(top) +
                                       " 2:1000@" + std::to_string(top + 1000)},
              RunSchedule(nearTop.tracks));
    // Chunks of two billion samples wrap the current sample below 0: those
    // numbers have no size and are passed at once, up to samples 0, 1, 2, 3.
    Scheduled wrapped({VideoTrack(1, {10, 20, 30}, {{1, 2000000000u, 1}}, {100, 200, 300})});
    const std::vector<std::string> wrappedSteps = {"0 100/1 V 1:10@100 2:20@110 3:30@130", "0 200/2 V",
                                                   "0 300/3 V 0:-1@300 1:10@300 2:20@310 3:30@330"};
    EXPECT_EQ(wrappedSteps, RunSchedule(wrapped.tracks));
    // A fixed size that is no size (0xFFFFFFFF) sizes none of 2^31 - 1 samples.
    Scheduled unsized({fixedSize(0xFFFFFFFFu, 0x7FFFFFFFu, 48)});
    EXPECT_EQ(std::vector<std::string>{"0 48/1 V"}, RunSchedule(unsized.tracks));

    // A listing passes the file's length: the walk stops there and says so.
    Scheduled claims({fixedSize(1000, 0x7FFFFFFFu, 100)});
    QTChunkStep step;
    ASSERT_TRUE(QTChunkSchedule(claims.tracks).Next(step));
    QTVideoChunkSamples samples(step, 2100);
    QTChunkSample sample;
    LONG walked = 0;
    while (samples.Next(sample))
        ++walked;
    EXPECT_EQ(walked, 2);
    EXPECT_TRUE(samples.StoppedAtLimit());
}
