// The filter object through the native graph: its pins, the input media
// types, and what connecting a source parses or refuses.
#include <gtest/gtest.h>

#include <string>

#include "diagnostics/MemoryJournal.h"
#include "platform/DebugOutput.h"
#include "pins/outpin.h"
#include "quicktime/QTMovie.h"
#include "tests/filter/ParserGraph.h"
#include "tests/support/TestFilters.h"

using FilterTest = ParserGraphTest;

TEST_F(FilterTest, ShowsItsInputPinAloneUntilConnected)
{
    EXPECT_EQ(m_parser->GetInputPin(), nullptr); // made on first demand
    EXPECT_EQ(m_parser->GetPinCount(), 1);
    CBasePin* input = m_parser->GetPin(0);
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(m_parser->GetPin(0), input);
    EXPECT_EQ(m_parser->GetPin(1), nullptr);
    EXPECT_EQ(m_parser->GetPin(-1), nullptr);
    IMemInputPin* push = nullptr; // a pull pin: nothing can be pushed into it
    EXPECT_EQ(input->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&push)), E_NOINTERFACE);
}

TEST_F(FilterTest, InputAcceptsAByteStreamOfAnySubtypeAndNothingElse)
{
    CMediaType type;
    EXPECT_EQ(Input()->GetMediaType(0, &type), S_OK);
    EXPECT_EQ(type.majortype, MEDIATYPE_Stream);
    EXPECT_EQ(type.subtype, GUID_NULL);
    EXPECT_EQ(Input()->GetMediaType(1, &type), VFW_S_NO_MORE_ITEMS);
    EXPECT_EQ(Input()->GetMediaType(-1, &type), E_INVALIDARG);
    EXPECT_EQ(Input()->GetMediaType(0, nullptr), E_POINTER);

    CMemoryJournal journal;
    CJournalScope scope(journal);
    const CMediaType stream = MakeType(MEDIATYPE_Stream, MEDIASUBTYPE_dvsd);
    const CMediaType video = MakeType(MEDIATYPE_Video, GUID_NULL);
    const struct { const CMediaType* type; HRESULT supported; HRESULT checked; } cases[] = {
        {&stream, S_OK, S_OK}, {&video, S_FALSE, VFW_E_NO_ACCEPTABLE_TYPES}, {nullptr, E_POINTER, E_INVALIDARG},
    };
    for (const auto& c : cases)
    {
        journal.Clear();
        const AMOVIESETUP_MEDIATYPE* entry = nullptr;
        EXPECT_EQ(m_parser->IsInMediaTypeSupported(c.type, &entry), c.supported);
        EXPECT_EQ(entry, c.supported == S_OK ? &sudInputPinTypes[0] : nullptr);
        EXPECT_EQ(Input()->CheckMediaType(c.type), c.checked);
        // A refusal is logged as the method's failure.
        const std::vector<JournalRecord> entries = EntryPoints(journal.Records(), L"CInputPin::CheckMediaType");
        ASSERT_EQ(entries.size(), c.checked == S_OK ? 0u : 1u);
        for (const JournalRecord& refusal : entries)
            EXPECT_EQ(JournalChainError(refusal.result), c.checked);
    }
}

TEST_F(FilterTest, ASourceWithoutAsyncReaderIsRefusedAndAProperOneParsesOnEachConnection)
{
    CTestFilter* pusher = Add(CTestFilter::Create(L"Pusher"));
    CTestPin* out = pusher->AddPin<CTestPin>(L"Out", PINDIR_OUTPUT);
    out->offered = {MakeType(MEDIATYPE_Stream, GUID_NULL)};
    EXPECT_EQ(Input()->ReceiveConnection(out, &out->offered[0]), E_INVALIDARG);
    EXPECT_EQ(m_parser->GetMovie(), nullptr); // nothing parsed

    const std::vector<BYTE> bytes = TwoTrackMovie(600, 5999);
    CAsyncSourceFilter* source = AddMemorySource(bytes);
    const ULONG unconnected = RefCount(source);
    CDebugOutputCapture capture;
    ASSERT_EQ(Connect(source), S_OK);
    const QTMovie* movie = m_parser->GetMovie();
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(m_parser->GetDurationSeconds(), 9); // whole seconds, truncated
    EXPECT_EQ(m_parser->GetSourceLength(), static_cast<LONGLONG>(bytes.size()));
    EXPECT_EQ(m_parser->GetPinCount(), 3); // the input and one output pin per track
    // qtgraph's private view of the pins: their tracks in movie order.
    IRZQTParserTracks* tracks = nullptr;
    ASSERT_EQ(m_parser->QueryInterface(IID_IRZQTParserTracks, reinterpret_cast<void**>(&tracks)), S_OK);
    LONG track = 0, bufferSize = 0;
    for (LONG pin = 0; pin < 2; ++pin)
    {
        ASSERT_EQ(tracks->GetOutputPinTrack(pin, &track, &bufferSize), S_OK);
        EXPECT_EQ(track, pin + 1);
        EXPECT_EQ(static_cast<DWORD>(bufferSize), m_parser->GetOutputPin(pin)->GetBufferSize());
    }
    EXPECT_EQ(tracks->GetOutputPinTrack(2, &track, &bufferSize), E_INVALIDARG);
    EXPECT_EQ(tracks->GetOutputPinTrack(-1, &track, &bufferSize), E_INVALIDARG);
    EXPECT_EQ(tracks->GetOutputPinTrack(0, nullptr, &bufferSize), E_POINTER);
    tracks->Release();

    // Disconnecting lets go of the reader; the movie stays, and the next
    // connection parses it again.
    EXPECT_EQ(m_graph->Disconnect(Input()), S_OK);
    EXPECT_EQ(m_graph->Disconnect(source->Output()), S_OK);
    EXPECT_EQ(RefCount(source), unconnected);
    ASSERT_EQ(Connect(source), S_OK);
    EXPECT_EQ(m_parser->GetMovie(), movie);
    EXPECT_EQ(capture.Count(L"Tracks: V(1) : A(1) : Tc(0)\n"), 2u);
}

TEST_F(FilterTest, AFailedParseRefusesEveryLaterConnectionWithoutReading)
{
    CMemoryJournal journal;
    CJournalScope scope(journal);
    CFaultInjectingReader* faults = nullptr;
    CAsyncSourceFilter* broken = AddFaultySource(TwoTrackMovie(0), &faults); // a time scale of 0
    const ULONG sourceRefs = RefCount(broken); // the source's pin is the reader

    EXPECT_TRUE(FAILED(Connect(broken)));
    const LONG reads = faults->ReadCount();
    EXPECT_GT(reads, 0);
    // Logged by the filter under its one source name, as E_FAIL "Unknown error".
    const std::vector<JournalRecord> records = journal.Records();
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records[0].text, L"Unknown error");
    EXPECT_EQ(records[0].file, L"RZQTFileParser");
    const std::vector<JournalRecord> failures = EntryPoints(records, L"CRZQTFileParser::InitToRcv");
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(JournalChainError(failures[0].result), E_FAIL);
    EXPECT_EQ(RefCount(broken), sourceRefs); // the failed attempt let go of the reader

    // Neither this source nor a proper one is read again.
    EXPECT_EQ(Connect(broken), VFW_E_NO_ACCEPTABLE_TYPES);
    EXPECT_EQ(faults->ReadCount(), reads);
    EXPECT_EQ(Connect(AddMemorySource(TwoTrackMovie())), VFW_E_NO_ACCEPTABLE_TYPES);
    EXPECT_EQ(EntryPoints(journal.Records(), L"CRZQTFileParser::InitToRcv").size(), 1u);
}
