// Run, Pause and Stop at random points of a run (before the first sample,
// mid-stream, while the pump waits for a buffer, after the end), with fast,
// slow and failing sinks on several pins. Every cycle must end promptly (a
// hang is caught by the test's time-out), deliver each pin's samples at most
// once and in order (a prefix of the whole stream), and leave no object or
// reference behind (checked at every teardown). QTP_STRESS_CYCLES sets the
// number of cycles (CI runs about a thousand, under ThreadSanitizer too).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

#include "tests/filter/StreamGraph.h"

namespace
{
using StressTest = StreamGraphTest;

int Cycles()
{
    const char* text = std::getenv("QTP_STRESS_CYCLES");
    const int cycles = text ? std::atoi(text) : 0;
    return cycles > 0 ? cycles : 60;
}

// Video in one-frame chunks interleaved with sound, and a timecode track.
StreamMovie InterleavedMovie()
{
    std::vector<StreamChunk> chunks = {{2, {4}}};
    for (uint32_t i = 0; i < 24; ++i)
    {
        chunks.push_back({0, {2000 + 37 * i}});
        chunks.push_back({1, {100 + i}});
    }
    return BuildStreamMovie({{QTTrackKind::Video, 1, 2500, {}},
                             {QTTrackKind::Sound, 2, 48000, {}},
                             {QTTrackKind::Timecode, 3, 2500, {}}},
                            chunks);
}
} // namespace

TEST_F(StressTest, RunPauseAndStopAnywhereEndPromptlyAndDeliverEachSampleOnceInOrder)
{
    const StreamMovie movie = InterleavedMovie();
    std::mt19937 random(20261206);
    const int cycles = Cycles();
    for (int cycle = 0; cycle < cycles; ++cycle)
    {
        SCOPED_TRACE(cycle);
        TearDown();
        SetUp();
        Build(movie, random() % 3 == 0 ? std::vector<int>{0} : std::vector<int>{});
        for (CTestSinkFilter* sink : m_sinks)
        {
            if (!sink)
                continue;
            switch (random() % 4)
            {
            case 0: sink->Input()->SetReceiveDelay(1); break; // slow: the pump waits for buffers
            case 1: sink->Input()->SetReceiveResultAfter(static_cast<LONG>(random() % 20), E_FAIL); break;
            default: break; // fast
            }
        }
        ASSERT_EQ(m_graph->Pause(), S_OK);
        ASSERT_EQ(m_graph->Run(), S_OK);
        switch (random() % 5)
        {
        case 0: break; // before the first sample, most likely
        case 1: std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000)); break;
        case 2: // a pause in the middle changes nothing of the streaming
            (void)m_sinks[0]->Records().WaitForSamples(2, 300);
            EXPECT_EQ(m_parser->Pause(), S_OK);
            EXPECT_EQ(m_parser->Run(0), VFW_E_WRONG_STATE);
            break;
        case 3: // the filter alone, while the sinks still take samples
            (void)m_sinks[0]->Records().WaitForSamples(3, 300);
            EXPECT_EQ(m_parser->Stop(), S_OK);
            break;
        default: // to the end, or the error
        {
            LONG code = 0;
            EXPECT_EQ(m_graph->WaitForCompletion(20000, &code), S_OK);
            break;
        }
        }
        ASSERT_EQ(m_graph->Stop(), S_OK);
        for (size_t pin = 0; pin < m_sinks.size(); ++pin)
            if (m_sinks[pin])
                ExpectPrefix(m_movie, pin, Samples(pin));
        EXPECT_LE(m_graph->CountEvents(EC_STREAM_ERROR_STOPPED), 1u);
    }
}
