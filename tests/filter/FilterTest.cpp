// The filter object through the native graph: its pins before and after a
// connection, the input media types, and what connecting a source parses.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "diagnostics/MemoryJournal.h"
#include "framework/posix/DebugOutput.h"
#include "framework/posix/FileSourceFilter.h"
#include "quicktime/FourCC.h"
#include "quicktime/QTMovie.h"
#include "tests/filter/ParserGraph.h"
#include "tests/framework/TestFilters.h"
#include "tests/support/MovieAtoms.h"

namespace {

std::string SamplePath()
{
    const char* root = std::getenv("QTP_SOURCE_DIR");
    return std::string(root ? root : ".") + "/samples/sample.mov";
}

std::vector<BYTE> TwoTrackMovie(uint32_t timeScale = 600, uint32_t duration = 5999)
{
    return MakeMovie({{QTTrackKind::Video, 1, 2997}, {QTTrackKind::Sound, 2, 48000}}, timeScale, duration);
}

// Bytes with no "moov" atom: the parse fails after reading them.
std::vector<BYTE> NotAMovie()
{
    AtomBuilder b;
    b.Begin(FourCC::Free).Zeros(64).End();
    return b.Bytes();
}

} // namespace

using FilterTest = ParserGraphTest;

TEST_F(FilterTest, ShowsItsInputPinAloneUntilConnected)
{
    CDebugOutputCapture capture;
    EXPECT_EQ(m_parser->GetInputPin(), nullptr);
    EXPECT_EQ(m_parser->GetPinCount(), 1);
    CBasePin* input = m_parser->GetPin(0);
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(m_parser->GetPin(0), input);
    EXPECT_EQ(capture.Count(L"Filter GetPin new\n"), 1u);
    EXPECT_EQ(m_parser->GetPin(1), nullptr);
    EXPECT_EQ(m_parser->GetPin(-1), nullptr);
    EXPECT_EQ(capture.Count(L"returns something\n"), 2u);
    // A pull pin: nothing can be pushed into it.
    IMemInputPin* push = nullptr;
    EXPECT_EQ(input->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&push)), E_NOINTERFACE);
}

TEST_F(FilterTest, InputAcceptsAnyByteStream)
{
    CMediaType type;
    EXPECT_EQ(m_parser->GetInMediaType(0, &type), S_OK);
    EXPECT_EQ(type.majortype, MEDIATYPE_Stream);
    EXPECT_EQ(type.subtype, GUID_NULL);
    EXPECT_TRUE(type.bFixedSizeSamples);
    EXPECT_EQ(type.lSampleSize, 1u);
    EXPECT_EQ(m_parser->GetInMediaType(1, &type), VFW_S_NO_MORE_ITEMS);
    EXPECT_EQ(m_parser->GetInMediaType(-1, &type), E_INVALIDARG);
    EXPECT_EQ(m_parser->GetInMediaType(0, nullptr), E_POINTER);
    EXPECT_EQ(Input()->GetMediaType(1, &type), VFW_S_NO_MORE_ITEMS);

    const CMediaType stream = MakeType(MEDIATYPE_Stream, MEDIASUBTYPE_dvsd);
    const CMediaType video = MakeType(MEDIATYPE_Video, GUID_NULL);
    const AMOVIESETUP_MEDIATYPE* entry = nullptr;
    EXPECT_EQ(m_parser->IsInMediaTypeSupported(&stream, &entry), S_OK);
    EXPECT_EQ(entry, &sudInputPinTypes[0]);
    EXPECT_EQ(m_parser->IsInMediaTypeSupported(&video, &entry), S_FALSE);
    EXPECT_EQ(entry, nullptr);
    EXPECT_EQ(m_parser->IsInMediaTypeSupported(nullptr, &entry), E_POINTER);

    // The pin's answers, and the journal's record of each refusal.
    CMemoryJournal journal;
    CJournalScope scope(journal);
    EXPECT_EQ(Input()->CheckMediaType(&stream), S_OK);
    EXPECT_EQ(Input()->QueryAccept(&stream), S_OK);
    EXPECT_TRUE(journal.Records().empty());
    EXPECT_EQ(Input()->CheckMediaType(&video), VFW_E_NO_ACCEPTABLE_TYPES);
    EXPECT_EQ(Input()->QueryAccept(&video), S_FALSE);
    EXPECT_EQ(Input()->CheckMediaType(nullptr), E_INVALIDARG);
    const std::vector<JournalRecord> refusals = EntryPoints(journal.Records(), L"CInputPin::CheckMediaType");
    ASSERT_EQ(refusals.size(), 3u);
    EXPECT_EQ(refusals[0].result, VFW_E_NO_ACCEPTABLE_TYPES);
    EXPECT_EQ(refusals[2].result, E_INVALIDARG);
}

TEST_F(FilterTest, ConnectingTheFileSourceParsesTheSampleMovie)
{
    CFileSourceFilter* file = nullptr;
    ASSERT_EQ(CFileSourceFilter::Create(&file), S_OK);
    Add(file);
    const std::string path = SamplePath();
    ASSERT_EQ(file->Load(std::wstring(path.begin(), path.end()).c_str(), nullptr), S_OK);
    const ULONG unconnected = RefCount(file);

    CDebugOutputCapture capture;
    ASSERT_EQ(Connect(file), S_OK);
    EXPECT_TRUE(capture.Contains(L"InPin CheckConnect Good"));
    EXPECT_EQ(capture.Count(L"Filter InitToRcv\n"), 1u);
    EXPECT_EQ(capture.Count(L"Tracks: V(1) : A(1) : Tc(1)\n"), 1u);
    const QTMovie* movie = m_parser->GetMovie();
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(movie->GetTrackCount(), 3);
    EXPECT_EQ(movie->GetTimeScale(), 1000u);
    EXPECT_EQ(m_parser->GetDurationSeconds(), 0); // 468 ms
    EXPECT_EQ(m_parser->GetSourceLength(), static_cast<LONGLONG>(std::filesystem::file_size(path)));
    EXPECT_EQ(m_parser->GetPinCount(), 1); // output pins come with stream output

    // Disconnecting lets go of the reader and keeps the movie, which the
    // next connection parses again.
    EXPECT_EQ(m_graph->Disconnect(Input()), S_OK);
    EXPECT_EQ(m_graph->Disconnect(file->Output()), S_OK);
    EXPECT_TRUE(capture.Contains(L"InPin BreakConnect"));
    EXPECT_EQ(RefCount(file), unconnected);
    EXPECT_EQ(m_parser->GetMovie(), movie);
    ASSERT_EQ(Connect(file), S_OK);
    EXPECT_EQ(m_parser->GetMovie(), movie);
    EXPECT_EQ(capture.Count(L"Tracks: V(1) : A(1) : Tc(1)\n"), 2u);
}

TEST_F(FilterTest, KeepsTheDurationInWholeSecondsAndFailsOnATimeScaleOfZero)
{
    const std::vector<BYTE> bytes = TwoTrackMovie(600, 5999);
    CAsyncSourceFilter* source = AddMemorySource(bytes);
    ASSERT_EQ(Connect(source), S_OK);
    EXPECT_EQ(m_parser->GetDurationSeconds(), 9);
    EXPECT_EQ(m_parser->GetSourceLength(), static_cast<LONGLONG>(bytes.size()));
    ASSERT_EQ(m_graph->RemoveFilter(source), S_OK);

    CMemoryJournal journal;
    CJournalScope scope(journal);
    CDebugOutputCapture capture;
    EXPECT_TRUE(FAILED(Connect(AddMemorySource(TwoTrackMovie(0, 5999)))));
    EXPECT_EQ(capture.Count(L"Tracks: V(1) : A(1) : Tc(0)\n"), 1u); // the parse itself worked

    const std::vector<JournalRecord> records = journal.Records();
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records[0].kind, JOURNAL_KIND_ERROR);
    EXPECT_EQ(records[0].result, E_FAIL);
    EXPECT_EQ(records[0].text, L"Unknown error");
    EXPECT_EQ(records[0].file, L"RZQTFileParser");
    ASSERT_EQ(EntryPoints(records, L"CRZQTFileParser::ParseStreamDetails").size(), 1u);
    ASSERT_EQ(EntryPoints(records, L"CRZQTFileParser::InitToRcv").size(), 1u);
    EXPECT_EQ(EntryPoints(records, L"CRZQTFileParser::InitToRcv")[0].result, records[0].chainId);
}

TEST_F(FilterTest, AFailedParseRefusesEveryLaterConnectionWithoutReading)
{
    CMemoryJournal journal;
    CJournalScope scope(journal);
    CFaultInjectingReader* faults = nullptr;
    CAsyncSourceFilter* broken = AddFaultySource(NotAMovie(), &faults);
    const ULONG sourceRefs = RefCount(broken);
    const ULONG readerRefs = RefCount(faults);

    EXPECT_TRUE(FAILED(Connect(broken)));
    const LONG reads = faults->ReadCount();
    EXPECT_GT(reads, 0);
    const std::vector<JournalRecord> failures = EntryPoints(journal.Records(), L"CRZQTFileParser::InitToRcv");
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].result, E_FAIL);
    // The failed attempt let go of the reader.
    EXPECT_EQ(RefCount(broken), sourceRefs);
    EXPECT_EQ(RefCount(faults), readerRefs);

    // Neither this source nor a proper one is read again.
    EXPECT_EQ(Connect(broken), VFW_E_NO_ACCEPTABLE_TYPES);
    EXPECT_EQ(faults->ReadCount(), reads);
    CAsyncSourceFilter* good = AddMemorySource(TwoTrackMovie());
    const CMediaType stream = MakeType(MEDIATYPE_Stream, GUID_NULL);
    EXPECT_EQ(Input()->ReceiveConnection(good->Output(), &stream), VFW_E_NO_ACCEPTABLE_TYPES);
    EXPECT_EQ(Connect(good), VFW_E_NO_ACCEPTABLE_TYPES);
    EXPECT_EQ(m_parser->GetPinCount(), 1);
    EXPECT_EQ(EntryPoints(journal.Records(), L"CRZQTFileParser::InitToRcv").size(), 1u);
}

TEST_F(FilterTest, ASourceWithoutAsyncReaderIsRefusedAndAProperOneStillParses)
{
    CTestFilter* pusher = CTestFilter::Create(L"Pusher");
    CTestPin* out = pusher->AddPin<CTestPin>(L"Out", PINDIR_OUTPUT);
    out->offered = {MakeType(MEDIATYPE_Stream, GUID_NULL)};
    ASSERT_EQ(m_graph->AddFilter(pusher, L"Pusher"), S_OK);
    pusher->Release();

    CDebugOutputCapture capture;
    EXPECT_EQ(Input()->ReceiveConnection(out, &out->offered[0]), E_INVALIDARG);
    EXPECT_TRUE(FAILED(m_graph->ConnectDirect(out, Input(), nullptr)));
    EXPECT_EQ(capture.Count(L"Filter InitToRcv\n"), 0u);
    EXPECT_EQ(m_parser->GetMovie(), nullptr);

    ASSERT_EQ(Connect(AddMemorySource(TwoTrackMovie())), S_OK);
    ASSERT_NE(m_parser->GetMovie(), nullptr);
    EXPECT_EQ(m_parser->GetMovie()->CountVideoTracks(), 1);
}
