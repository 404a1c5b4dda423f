// A native filter graph holding one CRZQTFileParser, for the filter's and
// the input pin's tests. Sources are added to the graph, which owns them, and
// connected to the parser's input pin; at teardown the graph is cleared and
// every framework object must be gone.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diagnostics/Journal.h"
#include "diagnostics/JournalRecord.h"
#include "filter/RZQTFileParser.h"
#include "pins/inpin.h"
#include "platform/runtime/AsyncSourceFilter.h"
#include "platform/runtime/FilterGraph.h"
#include "tests/support/FaultInjectingReader.h"
#include "tests/support/MemorySource.h"
#include "tests/support/MovieAtoms.h"

// The object's reference count, read without changing it.
template <class T>
ULONG RefCount(T* object)
{
    object->AddRef();
    return object->Release();
}

// The journal's entry-point records named name, oldest first.
inline std::vector<JournalRecord> EntryPoints(const std::vector<JournalRecord>& records, const std::wstring& name)
{
    std::vector<JournalRecord> found;
    for (const JournalRecord& record : records)
        if (record.type == JournalRecordType::EntryPoint && record.text == name)
            found.push_back(record);
    return found;
}

// The texts of the journal's error records, oldest first.
inline std::vector<std::wstring> ErrorTexts(const std::vector<JournalRecord>& records)
{
    std::vector<std::wstring> texts;
    for (const JournalRecord& record : records)
        if (record.type == JournalRecordType::Record && record.kind == JOURNAL_KIND_ERROR)
            texts.push_back(record.text);
    return texts;
}

// A video and a sound track, duration / timeScale seconds long.
inline std::vector<BYTE> TwoTrackMovie(uint32_t timeScale = 600, uint32_t duration = 5999)
{
    return MakeMovie({{QTTrackKind::Video, 1, 2997}, {QTTrackKind::Sound, 2, 48000}}, timeScale, duration);
}

class ParserGraphTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_objects = CBaseObject::ObjectsActive();
        ASSERT_EQ(CFilterGraph::Create(&m_graph), S_OK);
        HRESULT hr = S_OK;
        m_parser = static_cast<CRZQTFileParser*>(CRZQTFileParser::CreateInstance(nullptr, &hr));
        ASSERT_TRUE(m_parser && hr == S_OK);
        m_parser->NonDelegatingAddRef();
        ASSERT_EQ(m_graph->AddFilter(m_parser, L"Parser"), S_OK);
    }
    void TearDown() override
    {
        if (m_graph)
        {
            m_graph->Clear();
            m_graph->Release();
        }
        EXPECT_EQ(m_parser ? m_parser->Release() : 0u, 0u);
        EXPECT_EQ(CBaseObject::ObjectsActive(), m_objects);
    }

    CInputPin* Input() { return static_cast<CInputPin*>(m_parser->GetPin(0)); }

    // Adds source to the graph, which takes over the caller's reference.
    template <class Source>
    Source* Add(Source* source)
    {
        EXPECT_EQ(m_graph->AddFilter(source, nullptr), S_OK);
        source->Release();
        return source;
    }
    CAsyncSourceFilter* AddMemorySource(std::vector<BYTE> bytes)
    {
        CAsyncSourceFilter* source = nullptr;
        EXPECT_EQ(CreateMemorySource(std::move(bytes), &source), S_OK);
        return Add(source);
    }
    // The fault controller is released at teardown.
    CAsyncSourceFilter* AddFaultySource(std::vector<BYTE> bytes, CFaultInjectingReader** ppFaults)
    {
        CAsyncSourceFilter* source = nullptr;
        EXPECT_EQ(CreateFaultySource(std::move(bytes), &source, ppFaults), S_OK);
        m_faults = ComPtr<CFaultInjectingReader>::Attach(*ppFaults);
        return Add(source);
    }
    HRESULT Connect(CAsyncSourceFilter* source) { return m_graph->ConnectDirect(source->Output(), Input(), nullptr); }

    LONG m_objects = 0;
    CFilterGraph* m_graph = nullptr;
    CRZQTFileParser* m_parser = nullptr; // one reference held
    ComPtr<CFaultInjectingReader> m_faults;
};
