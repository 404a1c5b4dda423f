// The filter streaming a movie into sinks: every sample's bytes and times,
// the order of the chunks, end of stream, and the ways a run ends (complete,
// failed, stopped) without a hang, a sample released twice or a reference
// left.
#include <gtest/gtest.h>


#include "diagnostics/MemoryJournal.h"
#include "tests/filter/StreamGraph.h"

namespace
{
using StreamingTest = StreamGraphTest;

const StreamTrack kVideo{QTTrackKind::Video, 1, 2500, {}}; // 25 frames per second
const StreamTrack kSound{QTTrackKind::Sound, 2, 48000, {}};
const StreamTrack kTimecode{QTTrackKind::Timecode, 3, 2500, {}};

// Video, sound and timecode, interleaved; the video's first chunk holds three frames.
StreamMovie ThreeTrackMovie()
{
    return BuildStreamMovie({kVideo, kSound, kTimecode},
                            {{2, {4}}, {0, {1000, 1200, 900}}, {1, {1000}}, {0, {500}}, {1, {2}}});
}

// A video track of many one-frame chunks, for runs that last.
StreamMovie LongVideoMovie(size_t frames)
{
    std::vector<StreamChunk> chunks;
    for (size_t i = 0; i < frames; ++i)
        chunks.push_back({0, {static_cast<uint32_t>(3000 + i)}});
    return BuildStreamMovie({kVideo, kSound}, chunks);
}

void ExpectSamples(const StreamMovie& movie, size_t track, const std::vector<SinkSampleRecord>& got)
{
    ASSERT_EQ(got.size(), movie.samples[track].size());
    for (size_t i = 0; i < got.size(); ++i)
    {
        const std::vector<BYTE> data = movie.Data(track, i);
        EXPECT_EQ(got[i].size, static_cast<LONG>(data.size())) << "sample " << i;
        EXPECT_EQ(got[i].hash, Fnv1a64(data.data(), data.size())) << "sample " << i;
        EXPECT_FALSE(got[i].syncPoint || got[i].discontinuity);
    }
}
} // namespace

TEST_F(StreamingTest, EveryConnectedTrackStreamsInFileOrderWithItsTimesThenEnds)
{
    Build(ThreeTrackMovie());
    ASSERT_EQ(RunToEnd(), EC_COMPLETE);

    const std::vector<SinkSampleRecord> video = Samples(0);
    ExpectSamples(m_movie, 0, video);
    for (size_t i = 0; i < video.size(); ++i)
    {
        const LONGLONG n = static_cast<LONGLONG>(i); // frame n + 1
        EXPECT_TRUE(video[i].hasStart && video[i].hasStop && video[i].hasMediaTime);
        EXPECT_EQ(video[i].start, n * 400000);
        EXPECT_EQ(video[i].stop, (n + 1) * 400000);
        EXPECT_EQ(video[i].mediaStart, n);
        EXPECT_EQ(video[i].mediaStop, n + 1);
    }
    // Sound: a chunk per sample, its duration truncated per chunk.
    const std::vector<SinkSampleRecord> sound = Samples(1);
    ExpectSamples(m_movie, 1, sound);
    ASSERT_EQ(sound.size(), 2u);
    EXPECT_EQ(sound[0].start, 0);
    EXPECT_EQ(sound[0].stop, 208333);
    EXPECT_EQ(sound[1].start, 208333);
    EXPECT_EQ(sound[1].stop, 208333 + 416);
    EXPECT_EQ(sound[1].mediaStart, 1000);
    EXPECT_EQ(sound[1].mediaStop, 1002);
    // Timecode carries its value in its format, no samples; every pin ends.
    EXPECT_EQ(m_sinks[2]->Records().SampleCount(), 0);
    for (CTestSinkFilter* sink : m_sinks)
        EXPECT_EQ(sink->Records().EndOfStreamCount(), 1);
    EXPECT_EQ(m_graph->CountEvents(EC_STREAM_ERROR_STOPPED), 0u);

    // Positions are not rewound: the next run finds every chunk used and
    // ends each stream at once.
    ASSERT_EQ(m_graph->Stop(), S_OK);
    for (CTestSinkFilter* sink : m_sinks)
        sink->Records().Clear();
    ASSERT_EQ(RunToEnd(), EC_COMPLETE);
    for (CTestSinkFilter* sink : m_sinks)
    {
        EXPECT_EQ(sink->Records().SampleCount(), 0);
        EXPECT_EQ(sink->Records().EndOfStreamCount(), 1);
    }
    ASSERT_EQ(m_graph->Stop(), S_OK);
}

TEST_F(StreamingTest, AnUnconnectedPinsTrackIsNotReadAndItsSilenceIsNoError)
{
    Build(ThreeTrackMovie(), {1});
    const LONG readsBefore = m_faults->ReadCount();
    ASSERT_EQ(RunToEnd(), EC_COMPLETE);
    ExpectSamples(m_movie, 1, Samples(1));
    EXPECT_EQ(m_faults->ReadCount() - readsBefore, 2); // the two sound chunks alone
    EXPECT_EQ(m_parser->GetStreamError(), S_OK);
    ASSERT_EQ(m_graph->Stop(), S_OK);
}

TEST_F(StreamingTest, AVideoTrackOfUnknownFrameRateGetsNoStreamTimes)
{
    const StreamTrack video{QTTrackKind::Video, 1, 0, {}}; // frame rate 0
    Build(BuildStreamMovie({video}, {{0, {10, 20}}}));
    ASSERT_EQ(RunToEnd(), EC_COMPLETE);
    for (const SinkSampleRecord& s : Samples(0))
        EXPECT_TRUE(!s.hasStart && !s.hasStop && s.hasMediaTime);
    ASSERT_EQ(m_graph->Stop(), S_OK);
}

TEST_F(StreamingTest, AFailedRunIsReportedOnceWithItsRootCauseAndEndsWithoutEndOfStream)
{
    const HRESULT kReadFault = static_cast<HRESULT>(0x80070017); // a CRC error
    const HRESULT kSinkFault = static_cast<HRESULT>(0x80040211);
    SoundLayout silentRate;
    silentRate.rate = 0;
    const struct
    {
        const char* what;
        StreamMovie movie;
        int failingSink;        // -1: none
        LONG readsBeforeFault;  // after connecting; -1: none
        HRESULT root;
    } cases[] = {
        {"read fails", LongVideoMovie(30), -1, 3, kReadFault},
        {"sink refuses", LongVideoMovie(30), 0, -1, kSinkFault},
        {"sound rate 0", BuildStreamMovie({{QTTrackKind::Sound, 1, 48000, SoundDescription(silentRate)}}, {{0, {10}}}),
         -1, -1, E_FAIL},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        CMemoryJournal journal;
        CJournalScope scope(journal);
        Build(c.movie);
        if (c.failingSink >= 0)
            m_sinks[static_cast<size_t>(c.failingSink)]->Input()->SetReceiveResultAfter(1, c.root);
        if (c.readsBeforeFault >= 0)
            m_faults->FailAfter(m_faults->ReadCount() + c.readsBeforeFault, c.root);
        EXPECT_EQ(RunToEnd(), EC_STREAM_ERROR_STOPPED);
        ASSERT_EQ(m_graph->Stop(), S_OK);
        ASSERT_EQ(m_graph->CountEvents(EC_STREAM_ERROR_STOPPED), 1u);
        for (const GraphEvent& e : m_graph->Events())
        {
            EXPECT_TRUE(e.code != EC_STREAM_ERROR_STOPPED || static_cast<HRESULT>(e.param1) == c.root)
                << std::hex << e.param1;
        }
        for (CTestSinkFilter* sink : m_sinks)
            EXPECT_EQ(sink->Records().EndOfStreamCount(), 0);
    }
}

TEST_F(StreamingTest, RunNeedsAConnectedInputAndStartsStreamingOnlyOnce)
{
    EXPECT_EQ(m_parser->Stop(), S_OK); // never ran: nothing to end
    ASSERT_NE(Input(), nullptr);
    EXPECT_EQ(m_parser->Run(0), VFW_E_WRONG_STATE);
    EXPECT_EQ(m_parser->Stop(), S_OK);

    Build(LongVideoMovie(20));
    m_sinks[0]->Input()->SetReceiveDelay(1);
    ASSERT_EQ(m_graph->Run(), S_OK);
    EXPECT_EQ(m_parser->Pause(), S_OK);
    EXPECT_EQ(m_parser->Run(0), VFW_E_WRONG_STATE); // streaming goes on from the first Run
    ASSERT_TRUE(m_sinks[0]->Records().WaitForEndOfStream(1, 20000));
    ExpectSamples(m_movie, 0, Samples(0));
    ASSERT_EQ(m_graph->Stop(), S_OK);
}
