// The filter streaming a movie into sinks: every sample's bytes and times,
// the order of the chunks, end of stream, and the ways a run ends (complete,
// failed, stopped) without a hang, a sample released twice or a reference
// left.
#include <gtest/gtest.h>


#include "diagnostics/MemoryJournal.h"
#include "platform/DebugOutput.h"
#include "platform/FaultInjection.h"
#include "tests/support/BlockingCall.h"
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

// Video and sound in turn, count chunks of each: one frame, 100 sample frames.
StreamMovie InterleavedMovie(uint32_t count)
{
    std::vector<StreamChunk> chunks;
    for (uint32_t i = 0; i < count; ++i)
    {
        chunks.push_back({0, {2000 + i}});
        chunks.push_back({1, {100}});
    }
    return BuildStreamMovie({kVideo, kSound}, chunks);
}

// got is exactly the track's samples first .. first + count - 1 (0-based).
void ExpectRange(const StreamMovie& movie, size_t track, size_t first, size_t count,
                 const std::vector<SinkSampleRecord>& got)
{
    ASSERT_EQ(got.size(), count);
    for (size_t i = 0; i < got.size(); ++i)
    {
        const std::vector<BYTE> data = movie.Data(track, first + i);
        EXPECT_EQ(got[i].size, static_cast<LONG>(data.size())) << "sample " << first + i;
        EXPECT_EQ(got[i].hash, Fnv1a64(data.data(), data.size())) << "sample " << first + i;
        EXPECT_FALSE(got[i].syncPoint || got[i].discontinuity);
    }
}

void ExpectSamples(const StreamMovie& movie, size_t track, const std::vector<SinkSampleRecord>& got)
{
    ExpectRange(movie, track, 0, movie.samples[track].size(), got);
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

TEST_F(StreamingTest, RunsThatEndWellEndEveryStreamAfterWhatTheMovieHolds)
{
    const struct
    {
        const char* what;
        StreamMovie movie;
        LONG sFalseAfter;              // pin 0 answers S_FALSE from this sample on; -1: never
        std::vector<LONG> received;    // Receive calls per pin
        std::vector<LONG> recorded;    // samples each sink kept
    } cases[] = {
        // S_FALSE is downstream's business: the next sample is still delivered.
        {"S_FALSE mid-stream", LongVideoMovie(12), 4, {12, 0}, {4, 0}},
        // A sound chunk without samples ends the pump as if the movie ended there.
        {"empty sound chunk", BuildStreamMovie({kVideo, kSound}, {{0, {700}}, {1, {100}}, {1, {0}}, {1, {50}}, {0, {800}}}),
         -1, {1, 1}, {1, 1}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        Build(c.movie);
        if (c.sFalseAfter >= 0)
            m_sinks[0]->Input()->SetReceiveResultAfter(c.sFalseAfter, S_FALSE);
        ASSERT_EQ(RunToEnd(), EC_COMPLETE);
        for (size_t pin = 0; pin < m_sinks.size(); ++pin)
        {
            EXPECT_EQ(m_sinks[pin]->Input()->ReceiveCalls(), c.received[pin]) << "pin " << pin;
            EXPECT_EQ(m_sinks[pin]->Records().SampleCount(), c.recorded[pin]) << "pin " << pin;
            ExpectPrefix(m_movie, pin, Samples(pin));
            EXPECT_EQ(m_sinks[pin]->Records().EndOfStreamCount(), 1) << "pin " << pin;
        }
        EXPECT_EQ(m_graph->CountEvents(EC_STREAM_ERROR_STOPPED), 0u);
        ASSERT_EQ(m_graph->Stop(), S_OK);
    }
}

TEST_F(StreamingTest, AFailedRunIsReportedOnceWithItsRootCauseAndEndsWithoutEndOfStream)
{
    const HRESULT kReadFault = static_cast<HRESULT>(0x80070017); // a CRC error
    const HRESULT kSinkFault = static_cast<HRESULT>(0x80040211);
    SoundLayout silentRate;
    silentRate.rate = 0;
    const StreamMovie video = LongVideoMovie(30);
    const StreamMovie sound = InterleavedMovie(12);
    const struct
    {
        const char* what;
        StreamMovie movie;
        int failingSink;        // -1: none
        int slowSink;           // -1: none
        LONG readsBeforeFault;  // after connecting; -1: none
        LONGLONG cutAt;         // the source ends here once connected; -1: not cut
        HRESULT root;           // the failure's texts are TextsTest's
    } cases[] = {
        {"read fails", video, -1, -1, 3, -1, kReadFault},
        {"sink refuses", video, 0, -1, -1, -1, kSinkFault},
        {"one pin refuses while the other's queue is full", sound, 0, 1, -1, -1, kSinkFault},
        {"sound rate 0", BuildStreamMovie({{QTTrackKind::Sound, 1, 48000, SoundDescription(silentRate)}}, {{0, {10}}}),
         -1, -1, -1, -1, E_FAIL},
        {"cut in a video frame", video, -1, -1, -1, static_cast<LONGLONG>(video.samples[0][10].offset) + 100, E_FAIL},
        {"cut in a sound chunk", sound, -1, -1, -1, static_cast<LONGLONG>(sound.samples[1][5].offset) + 10, E_FAIL},
        {"frame larger than the buffers", OversizedFrameMovie(), -1, -1, -1, -1, E_FAIL},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        Build(c.movie);
        if (c.failingSink >= 0)
            m_sinks[static_cast<size_t>(c.failingSink)]->Input()->SetReceiveResultAfter(1, c.root);
        if (c.slowSink >= 0)
            m_sinks[static_cast<size_t>(c.slowSink)]->Input()->SetReceiveDelay(2);
        if (c.readsBeforeFault >= 0)
            m_faults->FailAfter(m_faults->ReadCount() + c.readsBeforeFault, c.root);
        if (c.cutAt >= 0)
            m_faults->CutAt(c.cutAt);
        EXPECT_EQ(RunToEnd(), EC_STREAM_ERROR_STOPPED);
        ASSERT_EQ(m_graph->Stop(), S_OK);
        ASSERT_EQ(m_graph->CountEvents(EC_STREAM_ERROR_STOPPED), 1u);
        for (const GraphEvent& e : m_graph->Events())
        {
            EXPECT_TRUE(e.code != EC_STREAM_ERROR_STOPPED || static_cast<HRESULT>(e.param1) == c.root)
                << std::hex << e.param1;
        }
        for (size_t pin = 0; pin < m_sinks.size(); ++pin)
        {
            EXPECT_EQ(m_sinks[pin]->Records().EndOfStreamCount(), 0);
            ExpectPrefix(m_movie, pin, Samples(pin));
            for (const StreamSample& s : m_movie.samples[pin]) // nothing past the cut
                if (c.cutAt >= 0 && static_cast<LONGLONG>(s.offset + s.size) > c.cutAt)
                {
                    EXPECT_LE(m_sinks[pin]->Input()->ReceiveCalls(), &s - m_movie.samples[pin].data());
                    break;
                }
        }
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

// The same graph stopped in the middle of a stream and run again, several
// times. Stream positions are not rewound: each run's pump goes on with the
// chunk it was pumping when the last run stopped (its failed GetMediaSample
// left that chunk unfinished), from the chunk's first sample. What the last
// run had queued or had in flight is lost: dropped at Stop, never delivered
// late. Here a sink holds its 4th sample of each run in Receive, so the pump
// fills the other 7 of the pin's 8 buffers (samples 5 to 11 of the run) and
// waits for the 12th when the graph stops: each run delivers 3 samples and
// the next starts 11 samples further on.
TEST_F(StreamingTest, TheSameGraphRunsAgainFromTheChunkTheLastRunStoppedIn)
{
    const HRESULT kReadFault = static_cast<HRESULT>(0x80070017);
    Build(LongVideoMovie(40), {0});
    CTestSinkInputPin* sink = m_sinks[0]->Input();
    size_t first = 0;
    for (int run = 0; run < 3; ++run, first += 11)
    {
        SCOPED_TRACE(run);
        m_sinks[0]->Records().Clear();
        sink->HoldReceive(3);
        const LONG reads = m_faults->ReadCount();
        ASSERT_EQ(m_graph->Pause(), S_OK);
        ASSERT_EQ(m_graph->Run(), S_OK);
        if (!WaitForReads(reads - m_connectReads + 11)) // the pump fills every buffer
        {
            sink->OpenGate();
            FAIL() << "the pump read " << m_faults->ReadCount() - reads << " samples";
        }
        {
            // The sink stops first; the filter's Stop then waits for the held delivery.
            BlockingCall stop([&] { EXPECT_EQ(m_graph->Stop(), S_OK); });
            ASSERT_TRUE(stop.Blocks());
            sink->OpenGate();
        }
        EXPECT_EQ(m_faults->ReadCount(), reads + 11); // the 12th sample was never read
        ExpectRange(m_movie, 0, first, 3, Samples(0));
        EXPECT_EQ(m_sinks[0]->Records().EndOfStreamCount(), 0);
    }
    // A run that fails on its third read leaves that sample's chunk to the
    // next run, which streams to the end as usual.
    m_faults->FailAfter(m_faults->ReadCount() + 2, kReadFault);
    EXPECT_EQ(RunToEnd(), EC_STREAM_ERROR_STOPPED);
    ASSERT_EQ(m_graph->Stop(), S_OK);
    m_faults->FailAfter(-1, S_OK);
    m_sinks[0]->Records().Clear();
    ASSERT_EQ(RunToEnd(), EC_COMPLETE);
    ExpectRange(m_movie, 0, first + 2, 40 - (first + 2), Samples(0));
    EXPECT_EQ(m_sinks[0]->Records().EndOfStreamCount(), 1);
    ASSERT_EQ(m_graph->Stop(), S_OK);
}

// An event, a thread or an allocator's buffers that cannot be made, with the
// graph paused. Run creates the halt event, then the sourcing thread; the
// sourcing thread starts pin after pin, each with its data-available event,
// its end-of-stream event, then its thread. The first failing pin stops the
// start: the pump never runs and the failure is reported to the graph.
TEST_F(StreamingTest, AnEventThreadOrBufferThatCannotBeMadeFailsTheRunAndLeavesNothing)
{
    const HRESULT kNoMemory = static_cast<HRESULT>(0x80070008); // ERROR_NOT_ENOUGH_MEMORY
    const struct
    {
        const char* what;
        PlatformFault fault;
        LONG creationsBefore;
        HRESULT run;           // the filter's Run
        HRESULT laterRun;      // Run again before Stop
        const wchar_t* message;
        HRESULT streamError;   // reported to the graph; S_OK: none
        size_t pinsStarted;    // "COutputPin::StartAsyncDeliveryThread()" lines
    } cases[] = {
        {"halt event", PlatformFault::Event, 0, kNoMemory, S_OK, L"Unable to create halt event", S_OK, 3},
        {"sourcing thread", PlatformFault::Thread, 0, kNoMemory, VFW_E_WRONG_STATE,
         L"Unable to create stream sourcing thread", S_OK, 0},
        {"first pin's data event", PlatformFault::Event, 1, S_OK, VFW_E_WRONG_STATE,
         L"Unable to create data availability event", kNoMemory, 1},
        {"second pin's end-of-stream event", PlatformFault::Event, 4, S_OK, VFW_E_WRONG_STATE,
         L"Unable to create EOS event", kNoMemory, 2},
        {"first pin's thread", PlatformFault::Thread, 1, S_OK, VFW_E_WRONG_STATE, L"Error spawning media dribbler",
         kNoMemory, 1},
        {"buffers", PlatformFault::AllocatorCommit, 0, E_OUTOFMEMORY, S_OK, nullptr, S_OK, 3},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        CMemoryJournal journal;
        CJournalScope scope(journal);
        Build(ThreeTrackMovie());
        const LONG reads = m_faults->ReadCount();
        if (c.fault != PlatformFault::AllocatorCommit) // the buffers are made on Pause
        {
            ASSERT_EQ(m_graph->Pause(), S_OK);
        }
        {
            CDebugOutputCapture capture;
            FaultInjection::Arm(c.fault, c.creationsBefore);
            EXPECT_EQ(JournalChainError(m_parser->Run(0)), c.run);
            if (c.streamError != S_OK)
            {
                LONG code = 0; // the sourcing thread has ended
                EXPECT_EQ(m_graph->WaitForCompletion(20000, &code), S_OK);
                EXPECT_EQ(code, EC_STREAM_ERROR_STOPPED);
                ASSERT_EQ(m_graph->CountEvents(EC_STREAM_ERROR_STOPPED), 1u);
                EXPECT_EQ(static_cast<HRESULT>(m_graph->Events().back().param1), c.streamError);
                EXPECT_EQ(capture.Count(L"COutputPin::StartAsyncDeliveryThread()\n"), c.pinsStarted);
                EXPECT_EQ(m_faults->ReadCount(), reads); // the pump never ran
            }
            FaultInjection::Arm(c.fault, -1);
            if (c.message)
            {
                const std::vector<std::wstring> errors = ErrorTexts(journal.Records());
                ASSERT_FALSE(errors.empty());
                EXPECT_EQ(errors[0], c.message);
            }
            EXPECT_EQ(JournalChainError(m_parser->Run(0)), c.laterRun);
        }
        for (CTestSinkFilter* sink : m_sinks)
            EXPECT_EQ(sink->Records().EndOfStreamCount(), 0);
        // Stop clears the way: the next run streams the whole movie (a later
        // Run that started streaming has moved the positions on).
        ASSERT_EQ(m_graph->Stop(), S_OK);
        for (CTestSinkFilter* sink : m_sinks)
            sink->Records().Clear();
        ASSERT_EQ(RunToEnd(), EC_COMPLETE);
        for (CTestSinkFilter* sink : m_sinks)
            EXPECT_EQ(sink->Records().EndOfStreamCount(), 1);
        if (c.laterRun != S_OK)
            ExpectSamples(m_movie, 0, Samples(0));
        ASSERT_EQ(m_graph->Stop(), S_OK);
    }
}
