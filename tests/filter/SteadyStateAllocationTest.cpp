// Once a run streams, the filter's per-sample work (the pump, the pin's queue,
// the delivery loop) and the native platform under it (events and waits,
// allocator, file source) allocate nothing: a movie twice as long costs no
// more heap allocations than the short one. Counted with the counting
// operator new this program is linked with; sinks that only count.
#include <gtest/gtest.h>

#include "tests/filter/StreamGraph.h"
#include "tests/support/CountingAllocator.h"

namespace {

class SteadyStateAllocationTest : public StreamGraphTest
{
protected:
    // Allocations made from Pause to the end of a run over a movie of one
    // video and one sound track: frames of 200 bytes, ten to a chunk, a
    // sound chunk after each.
    long AllocationsOfARun(size_t frames)
    {
        std::vector<StreamChunk> chunks;
        for (size_t i = 0; i < frames / 10; ++i)
        {
            chunks.push_back({0, std::vector<uint32_t>(10, 200)});
            chunks.push_back({1, {160}});
        }
        const StreamTrack video{QTTrackKind::Video, 1, 2500, {}};
        const StreamTrack sound{QTTrackKind::Sound, 2, 48000, {}};
        Build(BuildStreamMovie({video, sound}, chunks));
        for (CTestSinkFilter* sink : m_sinks)
            sink->Records().Configure(SampleHash::None, false);
        const long before = HeapAllocations();
        EXPECT_EQ(RunToEnd(), EC_COMPLETE);
        const long made = HeapAllocations() - before;
        EXPECT_EQ(m_sinks[0]->Records().Totals().samples, static_cast<LONGLONG>(frames));
        EXPECT_EQ(m_graph->Stop(), S_OK);
        return made;
    }
};

TEST_F(SteadyStateAllocationTest, TwiceTheSamplesCostNoMoreAllocations)
{
    const long shortRun = AllocationsOfARun(2000);
    TearDown();
    SetUp();
    const long longRun = AllocationsOfARun(4000);
    // The runs start the same threads and events; a few allocations more or
    // less come from how the threads' starts fall, none from the 2,200
    // samples more.
    EXPECT_LE(longRun, shortRun + 8) << "short run " << shortRun << ", long run " << longRun;
}

} // namespace
