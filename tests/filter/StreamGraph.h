// The parser filter streaming in the native graph: a movie in memory (behind
// a fault-injecting reader) connected to the filter, and recording sinks on
// the output pins (test sinks, whose switches a test may set).
#pragma once

#include <memory>
#include <vector>

#include "pins/outpin.h"
#include "tests/filter/ParserGraph.h"
#include "tests/support/StreamMovie.h"
#include "tests/support/TestSinkFilter.h"

// The samples a sink got are the first got.size() of the track's, each
// with the movie's bytes: nothing skipped, repeated, reordered or torn.
inline void ExpectPrefix(const StreamMovie& movie, size_t track, const std::vector<SinkSampleRecord>& got)
{
    ASSERT_LE(got.size(), movie.samples[track].size());
    for (size_t i = 0; i < got.size(); ++i)
    {
        const std::vector<BYTE> data = movie.Data(track, i);
        ASSERT_EQ(got[i].size, static_cast<LONG>(data.size())) << "track " << track << " sample " << i;
        ASSERT_EQ(got[i].hash, Fnv1a64(data.data(), data.size())) << "track " << track << " sample " << i;
    }
}

class StreamGraphTest : public ParserGraphTest
{
protected:
    // Connects the movie to the filter, then the listed output pins (0-based;
    // all of them when none are listed) to sinks of their own.
    void Build(const StreamMovie& movie, std::vector<int> pins = {})
    {
        m_movie = movie;
        CFaultInjectingReader* faults = nullptr;
        ASSERT_EQ(Connect(AddFaultySource(movie.bytes, &faults)), S_OK);
        const int outputs = m_parser->GetPinCount() - 1;
        if (pins.empty())
            for (int i = 0; i < outputs; ++i)
                pins.push_back(i);
        m_sinks.assign(static_cast<size_t>(outputs), nullptr);
        for (int i : pins)
        {
            CTestSinkFilter* sink = nullptr;
            ASSERT_EQ(CTestSinkFilter::Create(&sink), S_OK);
            m_sinks[static_cast<size_t>(i)] = Add(sink);
            ASSERT_EQ(m_graph->ConnectDirect(m_parser->GetOutputPin(i), sink->Input(), nullptr), S_OK);
        }
    }
    // Pauses and runs the graph and waits for its end: EC_COMPLETE or the
    // error that ended it (0 when it does not end within the time).
    LONG RunToEnd()
    {
        EXPECT_EQ(m_graph->Pause(), S_OK);
        EXPECT_EQ(m_graph->Run(), S_OK);
        LONG code = 0;
        (void)m_graph->WaitForCompletion(20000, &code);
        return code;
    }
    std::vector<SinkSampleRecord> Samples(size_t pin) { return m_sinks.at(pin)->Records().Samples(); }

    StreamMovie m_movie;
    std::vector<CTestSinkFilter*> m_sinks; // per output pin; null when not connected; the graph owns them
};
