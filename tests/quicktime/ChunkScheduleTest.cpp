#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "quicktime/FourCC.h"
#include "quicktime/QTChunkSchedule.h"
#include "quicktime/QTMovie.h"
#include "tests/support/MovieAtoms.h"
#include "tests/support/TestByteSource.h"

namespace
{
using Writer = std::function<void(AtomBuilder&)>;

TrackLayout Layout(QTTrackKind kind, uint32_t id, const Writer& stbl)
{
    AtomBuilder b;
    stbl(b);
    return {kind, id, kind == QTTrackKind::Sound ? 48000u : 2500u, 28, b.Bytes()};
}

// Video: DV frames of the given sizes, samples per chunk, chunk offsets.
TrackLayout VideoTrack(uint32_t id, std::vector<uint32_t> sizes, std::vector<std::array<uint32_t, 3>> stsc,
                       std::vector<uint32_t> offsets)
{
    return Layout(QTTrackKind::Video, id, [=](AtomBuilder& b) {
        AddStsd(b, VideoDescription(FourCC::Dvc, 720, 480));
        AddStts(b, {{static_cast<uint32_t>(sizes.size()), 100}});
        AddStsc(b, stsc);
        AddStsz(b, 0, sizes);
        AddStco(b, offsets);
    });
}

// Stereo 16-bit sound, with the given time-to-sample entries.
TrackLayout SoundTrack(uint32_t id, std::vector<std::array<uint32_t, 3>> stsc, std::vector<uint32_t> offsets,
                       std::vector<std::pair<uint32_t, uint32_t>> stts = {{100000, 1}})
{
    return Layout(QTTrackKind::Sound, id, [=](AtomBuilder& b) {
        AddStsd(b, SoundDescription({}));
        AddStts(b, stts);
        AddStsc(b, stsc);
        AddStsz(b, 1, {}, 100000);
        AddStco(b, offsets);
    });
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

struct Step
{
    size_t participant;
    LONGLONG offset;
    LONG chunk;
    QTChunkAction action;
    LONG bytes; // sound bytes, or the sum of the video sizes read
    bool operator==(const Step& o) const
    {
        return participant == o.participant && offset == o.offset && chunk == o.chunk && action == o.action &&
               bytes == o.bytes;
    }
};

void PrintTo(const Step& s, std::ostream* os)
{
    *os << "{" << s.participant << ", " << s.offset << ", " << s.chunk << ", " << static_cast<int>(s.action) << ", "
        << s.bytes << "}";
}

// Runs the schedule to its end as the pump would.
std::vector<Step> RunSchedule(const std::vector<QTTrack*>& tracks)
{
    std::vector<Step> steps;
    const QTChunkSchedule schedule(tracks);
    QTChunkStep step;
    while (schedule.Next(step))
    {
        LONG bytes = 0;
        if (step.action == QTChunkAction::Sound)
            bytes = QTChunkSchedule::SoundBytes(step);
        QTChunkSample sample;
        if (step.action == QTChunkAction::Video)
            for (QTVideoChunkSamples samples(step); samples.Next(sample);)
                bytes += sample.size > 0 ? sample.size : 0;
        steps.push_back({step.participant, step.offset, step.chunk, step.action, bytes});
        if (step.action == QTChunkAction::Stop)
            break;
        QTChunkSchedule::Complete(step);
    }
    return steps;
}
} // namespace

TEST(ChunkSchedule, LowestOffsetFirstEarlierTrackOnTies)
{
    using A = QTChunkAction;
    TrackLayout timecode = Layout(QTTrackKind::Timecode, 3, [](AtomBuilder& b) { b.Append(StandardStbl(QTTrackKind::Timecode, 50)); });
    // A track of no kind has a null major type: it is served, but nothing is read.
    TrackLayout other = Layout(QTTrackKind::None, 4, [](AtomBuilder& b) { AddStco(b, {10, 400}); });
    Scheduled s({VideoTrack(1, {1000, 1200, 900}, {{1, 2, 1}, {2, 1, 1}}, {100, 300}),
                 SoundTrack(2, {{1, 1000, 1}}, {200, 300, 0}), timecode, other});
    const std::vector<Step> expected = {
        {3, 10, 1, A::Skip, 0},   {0, 100, 1, A::Video, 2200}, {1, 200, 1, A::Sound, 4000},
        {0, 300, 2, A::Video, 900}, {1, 300, 2, A::Sound, 4000}, {3, 400, 2, A::Skip, 0},
    };
    EXPECT_EQ(expected, RunSchedule(s.tracks)); // the chunk at offset 0 is never served
    EXPECT_EQ(4, s.tracks[0]->GetCurrentSampleIndex());
    EXPECT_EQ(3, s.tracks[0]->GetCurrentChunkIndex());
    EXPECT_EQ(1, s.tracks[1]->GetCurrentSampleIndex()); // sound tracks keep their sample index
    EXPECT_EQ(1, s.tracks[2]->GetCurrentChunkIndex());  // the timecode track is never moved
    EXPECT_TRUE(RunSchedule(s.tracks).empty());                 // a second run finds everything used up

    // Only the tracks taking part are served (an unconnected pin's are skipped).
    Scheduled t({VideoTrack(1, {1000}, {{1, 1, 1}}, {100}), SoundTrack(2, {{1, 1000, 1}}, {50})});
    EXPECT_EQ((std::vector<Step>{{0, 100, 1, A::Video, 1000}}), RunSchedule({t.tracks[0]}));
}

TEST(ChunkSchedule, VideoSamplesAreReadBackToBackAndUnknownSizesSkipped)
{
    // Chunk 1 claims 0xFFFFFFFF (-1) samples: nothing is read, and the current
    // sample moves back to 0, whose size is unknown: chunk 2 skips it and
    // reads sample 1 where the chunk starts.
    Scheduled s({VideoTrack(1, {1000, 1200, 900}, {{1, 0xFFFFFFFFu, 1}, {2, 3, 1}, {3, 2, 1}}, {48, 5000, 9000})});
    const QTChunkSchedule schedule(s.tracks);
    std::vector<std::vector<LONGLONG>> chunks; // number, size, offset of each sample
    QTChunkStep step;
    while (schedule.Next(step))
    {
        chunks.emplace_back();
        QTChunkSample sample;
        for (QTVideoChunkSamples samples(step); samples.Next(sample);)
            chunks.back().insert(chunks.back().end(), {sample.number, sample.size, sample.offset});
        QTChunkSchedule::Complete(step);
    }
    const std::vector<std::vector<LONGLONG>> expected = {
        {},
        {0, -1, 5000, 1, 1000, 5000, 2, 1200, 6000},
        {3, 900, 9000, 4, -1, 9900},
    };
    EXPECT_EQ(expected, chunks);
    EXPECT_EQ(5, s.tracks[0]->GetCurrentSampleIndex());
}

TEST(ChunkSchedule, SoundChunkBytesAndWhereThePumpStops)
{
    using A = QTChunkAction;
    struct Case
    {
        TrackLayout track;
        std::vector<Step> expected;
    };
    const Case cases[] = {
        // 2 channels x 2 bytes x samples; a chunk past the table keeps the last figure.
        {SoundTrack(1, {{1, 1000, 1}, {2, 24, 1}}, {64, 4064, 5000}),
         {{0, 64, 1, A::Sound, 4000}, {0, 4064, 2, A::Sound, 96}, {0, 5000, 3, A::Sound, 96}}},
        // Several time-to-sample entries with fixed sizes: the size is unknown.
        {SoundTrack(1, {{1, 1000, 1}}, {64}, {{1, 1}, {2, 1}}), {{0, 64, 1, A::Sound, -1}}},
        // A chunk without samples ends the pump, whatever follows.
        {SoundTrack(1, {{1, 1000, 1}, {2, 0, 1}, {3, 10, 1}}, {64, 4064, 5000}),
         {{0, 64, 1, A::Sound, 4000}, {0, 4064, 2, A::Stop, 0}}},
        {SoundTrack(1, {{2, 1000, 1}}, {64, 4064}), {{0, 64, 1, A::Stop, 0}}},
        // More bytes than one 32-bit length holds.
        {SoundTrack(1, {{1, 0x40000000, 1}}, {64}), {{0, 64, 1, A::Sound, -1}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(&c - cases);
        Scheduled s({c.track});
        EXPECT_EQ(c.expected, RunSchedule(s.tracks));
    }
}
