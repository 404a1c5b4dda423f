// The system's own texts, verbatim: every debugger trace line and journal
// message of the filter object, the input pin, discovery, the output pins,
// Run, Pause, Stop, PullStream, the pump and the delivery threads, as a
// debugger and the journal receive them over a whole life of the filter,
// one table per way a run goes (the pump's and the delivery threads'
// failures in the second).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diagnostics/MemoryJournal.h"
#include "platform/DebugOutput.h"
#include "tests/support/BlockingCall.h"
#include "tests/filter/StreamGraph.h"

namespace
{
const StreamTrack kVideo{QTTrackKind::Video, 1, 2500, {}};
const StreamTrack kSound{QTTrackKind::Sound, 2, 48000, {}};
const StreamTrack kTimecode{QTTrackKind::Timecode, 3, 2500, {}};

enum class Place
{
    Debugger, // one OutputDebugStringW call
    DebuggerStart, // the start of one
    Journal,  // one journal record (message or error)
};

struct Text
{
    Place place;
    const wchar_t* text;
    int count; // exact; -1: at least once
};

// The movie of the whole-life table: a sound chunk of 10 sample frames, then
// 200 one-frame video chunks, so the pump's verbose lines (iterations 0, 100
// and 200) show both kinds.
StreamMovie VerboseMovie()
{
    std::vector<StreamChunk> chunks = {{2, {4}}, {1, {10}}}; // the timecode is never pumped
    for (uint32_t i = 0; i < 200; ++i)
        chunks.push_back({0, {100 + i}});
    return BuildStreamMovie({kVideo, kSound, kTimecode}, chunks);
}

class TextsTest : public StreamGraphTest
{
protected:
    // Runs life (from the filter's creation to its release) and checks the
    // texts it wrote against table.
    template <class Life>
    void ExpectTexts(const std::vector<Text>& table, Life life)
    {
        std::vector<std::wstring> lines;
        std::vector<JournalRecord> records;
        {
            TearDown();
            CDebugOutputCapture capture;
            CMemoryJournal journal;
            CJournalScope scope(journal);
            SetUp();
            life();
            TearDown();
            lines = capture.Lines();
            records = journal.Records();
        }
        SetUp();
        for (const Text& t : table)
        {
            int found = 0;
            if (t.place != Place::Journal)
            {
                for (const std::wstring& line : lines)
                    found += t.place == Place::Debugger ? line == t.text : line.rfind(t.text, 0) == 0;
            }
            else
            {
                for (const JournalRecord& r : records)
                    found += r.type == JournalRecordType::Record && r.text == t.text;
            }
            if (t.count < 0)
                EXPECT_GT(found, 0) << "missing: " << testing::PrintToString(std::wstring(t.text));
            else
                EXPECT_EQ(found, t.count) << testing::PrintToString(std::wstring(t.text));
        }
    }
};
} // namespace

TEST_F(TextsTest, AWholeLifeThatStreamsToTheEnd)
{
    const StreamMovie movie = VerboseMovie();
    const Place D = Place::Debugger;
    const Place J = Place::Journal;
    const std::vector<Text> table = {
        // The filter object and its input pin.
        {D, L"Filter CreateInstance\n", 1},
        {D, L"Filter constructed\n", 1},
        {D, L"Filter GetPin\n", -1},
        {D, L"Filter GetPin new\n", 1},
        {D, L"GetPin(0) returns something\n", -1},
        {D, L"GetPin(3) returns something\n", -1},
        {D, L"InPin Constructor", 1},
        {D, L"InPin CheckMediaType", -1},
        {D, L"IsInMediaTypeSupportedreturns called\n", -1},
        {D, L"IsInMediaTypeSupportedreturns true\n", -1},
        {D, L"InPin CheckConnect Good", 1},
        {D, L"Filter InitToRcv\n", 1},
        // Discovery.
        {D, L"Tracks: V(1) : A(1) : Tc(1)\n", 1},
        {D, L"Track 1: 0x20637664 [dvc ] SSz = 299\n", 1},
        {D, L"Track 2: 0x736f7774 [twos] SSz = 2\n", 1},
        {D, L"dw swapped = 0x15180\n", 1},
        {D, L"Track 3: 0x64636d74 [tmcd] SSz = 4\n", 1},
        {D, L"made szName\n", 3},
        {D, L"OutputPin made szName dvc  stream-20637664-1\n", 1},
        {D, L"OutputPin made szName, SetMediaFormat worked twos stream-736f7774-2\n", 1},
        {D, L"OutputPin added OutPin dvc  stream-20637664-1\n", 1},
        {D, L"OutputPin added OutPin tmcd stream-64636d74-3\n", 1},
        {D, L"SetMediaFormat-video 25 - 25000000  frm-rate 25.000000\n", 1},
        {D, L"   aspect ratio is 4 x 3", 1},
        {D, L"AvgTime/frm = 400000.000000, 400000.000000", 1},
        // The output pins' allocators.
        {D, L"OutPin::Deciding2(1): 299\n", 1},
        {D, L"OutPin::Deciding3: 299\n", 1},
        {D, L"OutPin::Deciding2(2): 40\n", 1},
        {D, L"OutPin::Deciding3: 4\n", 1},
        // Pause, Run and the sourcing thread.
        {D, L"PAUSE CALLED!\n", 1},
        {D, L"Pause : OK?? 0x0\n", 1},
        {D, L"==========================================================================================Run starts\n", 1},
        {D, L"Run pins and stuff ok? 0x0 0x0\n", 1},
        {D, L"Run pins and stuff are ok\n", 1},
        {J, L"QTP: PullStream starts", 1},
        {D, L"CRZQTFileParser::PullStream()\n", 1},
        {D, L"CRZQTFileParser::StartAsyncDelivery() 3 outpins\n", 1},
        {D, L"COutputPin::StartAsyncDeliveryThread()\n", 3},
        {D, L"COutputPin::StartAsyncDeliveryThread() finished!!!!\n", 3},
        {D, L"COutputPin::StartAsyncDelivery()\n", 3},
        // The pump: its verbose lines on every 100th chunk only.
        {D, L"TestReader[0] 2 x 10 SSz = 2\n", 1},
        {D, L"<<<  OWrite: 0x1c sz[2] for track-2 contains 10 samples, read(40)\n", 1},
        {Place::DebuggerStart, L"TestReader[", 3},
        {Place::DebuggerStart, L"<<<  ", 3},
        {D, L"TestReader[100] 1 x 1 SSz = 0\n", 1},
        {D, L"<<<  VWrite: 0x39e3 sz[199] for track-1 contains 1 samples, read(199)\n", 1},
        {D, L"TestReader[200] 1 x 1 SSz = 0\n", 1},
        {D, L"<<<  VWrite: 0x9af5 sz[299] for track-1 contains 1 samples, read(299)\n", 1},
        {D, L"\nParseTheMovie is DONE!\n", 1},
        {J, L"QTP: PullStream ParseTheMovie is done", 1},
        // End of stream on every pin, Stop, and the teardown.
        {D, L"COutputPin::HandleEndOfStream", 3},
        {D, L"COutputPin::AsyncDelivery() thread finished\n", 3},
        {D, L"Stop CALLED!\n", 2}, // the test's Stop, and the graph's as it lets go
        {D, L"Filter BreakConnect\n", -1},
        {D, L"InPin BreakConnect", -1},
        {D, L"COutputPin::Cleanup", -1},
        {D, L"\nOutputPin::Destructor\n", 3},
        {D, L"\nInputPin::Destructor via virtual destructor\n", 1},
        {D, L"Filter destructed\n", 1},
    };
    ExpectTexts(table, [&] {
        Build(movie);
        CMediaType type;
        EXPECT_EQ(m_parser->GetInMediaType(0, &type), S_OK);
        ASSERT_EQ(RunToEnd(), EC_COMPLETE);
        ASSERT_EQ(m_graph->Stop(), S_OK);
    });
}

TEST_F(TextsTest, RunsThatFailWriteTheStepThatFailedAndNoEnd)
{
    const Place D = Place::Debugger;
    const Place J = Place::Journal;
    std::vector<StreamChunk> frames, chunks;
    for (uint32_t i = 0; i < 20; ++i)
    {
        frames.push_back({0, {1000 + i}});
        chunks.push_back({0, {100 + i}});
    }
    const StreamMovie video = BuildStreamMovie({kVideo}, frames);
    const StreamMovie sound = BuildStreamMovie({kSound}, chunks);
    SoundLayout silentRate;
    silentRate.rate = 0;
    enum class Fault { Cut, StopWhilePumpWaits, None };
    const struct
    {
        const char* what;
        StreamMovie movie;
        Fault fault;
        std::vector<Text> table;
    } lives[] = {
        {"cut in a video frame", video, Fault::Cut,
         {{D, L"OH MY: read error on Video track-1\n", 1}, {J, L"ReadOffset for Video failed", 1}}},
        {"cut in a sound chunk", sound, Fault::Cut,
         {{D, L"OH MY: read error on Other track-2\n", 1}, {J, L"ReadOffset for Audio/TC() failed", 1}}},
        {"video frame larger than the buffers", OversizedFrameMovie(), Fault::None,
         {{D, L"OH MY: Set Delivery buffer error on Video track-1\n", 1},
          {J, L"Set Delivery buffer for Video failed", 1}}},
        {"sound chunk larger than the buffers", OversizedChunkMovie(), Fault::None,
         {{D, L"OH MY: Set Delivery buffer error on Audio/Tc track-2\n", 1},
          {J, L"Set Delivery buffer for Audio/TC() failed", 1}}},
        {"video pump waiting at Stop", video, Fault::StopWhilePumpWaits,
         {{D, L"OH MY: GetMediaSample error on Video track-1\n", 1}, {J, L"GetMediaSample() for Video failed", 1}}},
        {"sound pump waiting at Stop", sound, Fault::StopWhilePumpWaits,
         {{D, L"OH MY: GetMediaSample error on Audio/Tc track-2\n", 1},
          {J, L"GetMediaSample for Audio/TC failed", 1}}},
        {"sound rate 0", BuildStreamMovie({{QTTrackKind::Sound, 2, 48000, SoundDescription(silentRate)}}, {{0, {10}}}),
         Fault::None, {{J, L"Unknown error", 1}}},
    };
    for (const auto& life : lives)
    {
        SCOPED_TRACE(life.what);
        std::vector<Text> table = life.table;
        // No run that fails ends its streams.
        table.push_back({D, L"\nParseTheMovie is DONE!\n", 0});
        table.push_back({J, L"QTP: PullStream ParseTheMovie is done", 0});
        table.push_back({D, L"COutputPin::HandleEndOfStream", 0});
        ExpectTexts(table, [&] {
            Build(life.movie);
            switch (life.fault)
            {
            case Fault::Cut:
                m_faults->CutAt(static_cast<LONGLONG>(m_movie.samples[0][2].offset) + 10);
                break;
            case Fault::StopWhilePumpWaits:
            {
                // The sink holds the first sample: the other 7 buffers fill and the pump waits.
                m_sinks[0]->Input()->HoldReceive(0);
                ASSERT_EQ(m_graph->Pause(), S_OK);
                ASSERT_EQ(m_graph->Run(), S_OK);
                EXPECT_TRUE(WaitForReads(8));
                BlockingCall stop([&] { EXPECT_EQ(m_graph->Stop(), S_OK); });
                EXPECT_TRUE(stop.Blocks());
                m_sinks[0]->Input()->OpenGate();
                return;
            }
            case Fault::None: break;
            }
            EXPECT_EQ(RunToEnd(), EC_STREAM_ERROR_STOPPED);
            ASSERT_EQ(m_graph->Stop(), S_OK);
        });
    }
}
