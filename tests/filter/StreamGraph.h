// The parser filter streaming in the native graph: a movie in memory (behind
// a fault-injecting reader) connected to the filter, and recording sinks on
// the output pins (test sinks, whose switches a test may set).
#pragma once

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
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

// Overwrites the 32-bit field offset bytes after the first atom type tag in
// the movie (offset 8: the first field after version and flags).
inline void SetAtomField(StreamMovie& movie, const char (&tag)[5], size_t offset, uint32_t value)
{
    const auto at = std::search(movie.bytes.begin(), movie.bytes.end(), tag, tag + 4);
    ASSERT_NE(at, movie.bytes.end()) << tag;
    const size_t field = static_cast<size_t>(at - movie.bytes.begin()) + offset;
    for (size_t i = 0; i < 4; ++i)
        movie.bytes.at(field + i) = static_cast<BYTE>(value >> (24 - 8 * i));
}

// One video track whose first frame declares more bytes than the whole file:
// the pin's buffers, no larger than the file, cannot hold it.
inline StreamMovie OversizedFrameMovie()
{
    StreamMovie movie = BuildStreamMovie({{QTTrackKind::Video, 1, 2500, {}}}, {{0, {1000}}, {0, {1200}}});
    SetAtomField(movie, "stsz", 16, 0x00100000); // after flags, fixed size, count
    return movie;
}

// The same for one sound track: its first chunk declares a million sample frames.
inline StreamMovie OversizedChunkMovie()
{
    StreamMovie movie = BuildStreamMovie({{QTTrackKind::Sound, 2, 48000, {}}}, {{0, {10}}, {0, {10}}});
    SetAtomField(movie, "stsc", 16, 0x00100000); // after flags, count, first chunk
    return movie;
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
        m_connectReads = m_faults->ReadCount();
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
    // True once the source has been read count times since connecting
    // (the connection's own reads not counted); false after 20 s.
    bool WaitForReads(LONG count)
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (m_faults->ReadCount() - m_connectReads < count && std::chrono::steady_clock::now() < until)
            std::this_thread::yield();
        return m_faults->ReadCount() - m_connectReads == count;
    }
    std::vector<SinkSampleRecord> Samples(size_t pin) { return m_sinks.at(pin)->Records().Samples(); }

    StreamMovie m_movie;
    LONG m_connectReads = 0;
    std::vector<CTestSinkFilter*> m_sinks; // per output pin; null when not connected; the graph owns them
};
