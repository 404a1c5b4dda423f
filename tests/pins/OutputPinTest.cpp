// The output pins as a downstream filter meets them: one per track, named
// after its format and track, each offering exactly one media type with its
// format block and insisting on its buffer terms; the seeking answers; and
// pins that come and go with the input connection while other threads look.
#include <gtest/gtest.h>

#include <dvdmedia.h>
#include <mmreg.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "diagnostics/MemoryJournal.h"
#include "framework/CreateMemoryAllocator.h"
#include "quicktime/FourCC.h"
#include "quicktime/QTMediaGuids.h"
#include "tests/filter/StreamGraph.h"
#include "tests/support/TestFilters.h"

namespace
{
using OutputPinTest = StreamGraphTest;

template <class Block>
Block FormatOf(const CMediaType& type)
{
    Block block;
    EXPECT_EQ(type.cbFormat, sizeof block);
    std::memcpy(&block, type.pbFormat, sizeof block);
    return block;
}

std::wstring PinId(IPin* pin)
{
    LPWSTR id = nullptr;
    EXPECT_EQ(pin->QueryId(&id), S_OK);
    const std::wstring text = id;
    CoTaskMemFree(id);
    return text;
}

StreamMovie VideoSoundTimecode(uint32_t videoScale = 2997, uint32_t timecodeScale = 2997)
{
    return BuildStreamMovie({{QTTrackKind::Video, 1, videoScale, {}},
                             {QTTrackKind::Sound, 2, 48000, {}},
                             {QTTrackKind::Timecode, 3, timecodeScale, {}}},
                            {{2, {4}}, {0, {1000, 1200}}, {1, {1000}}, {1, {1601}}}, 5999);
}
} // namespace

TEST_F(OutputPinTest, EachTrackOffersItsOneTypeWithItsFormatBlockAndBufferSize)
{
    Build(VideoSoundTimecode(), {});
    ASSERT_EQ(m_parser->GetPinCount(), 4);
    const struct
    {
        const wchar_t* name;
        GUID major, subtype, format;
        DWORD bufferSize;
        ULONG sampleSize;
    } expected[] = {
        {L"dvc  stream-20637664-1", MEDIATYPE_Video, MEDIASUBTYPE_dvsd, FORMAT_VideoInfo2, 1200, 1200},
        {L"twos stream-736f7774-2", MEDIATYPE_Audio, FourCCGuid(MakeFourCC('t', 'w', 'o', 's')), FORMAT_WaveFormatEx,
         1601 * 4, 1601 * 4},
        {L"tmcd stream-64636d74-3", MEDIATYPE_Timecode, MEDIASUBTYPE_QTTimecode, FORMAT_QTTimecode, 4, 1},
    };
    for (int i = 0; i < 3; ++i)
    {
        const auto& e = expected[i];
        COutputPin* pin = m_parser->GetOutputPin(i);
        ASSERT_EQ(static_cast<CBasePin*>(pin), m_parser->GetPin(i + 1));
        EXPECT_EQ(PinId(pin), e.name);
        IPin* found = nullptr;
        ASSERT_EQ(m_parser->FindPin(e.name, &found), S_OK);
        EXPECT_EQ(found, static_cast<IPin*>(pin));
        found->Release();
        CMediaType type;
        ASSERT_EQ(pin->GetMediaType(0, &type), S_OK);
        EXPECT_TRUE(type.majortype == e.major && type.subtype == e.subtype && type.formattype == e.format) << i;
        EXPECT_EQ(type.lSampleSize, e.sampleSize);
        EXPECT_EQ(pin->GetBufferSize(), e.bufferSize);
        EXPECT_EQ(pin->GetMediaType(1, &type), VFW_S_NO_MORE_ITEMS);
        EXPECT_EQ(pin->GetMediaType(-1, &type), E_INVALIDARG);
        EXPECT_EQ(pin->GetMediaType(0, nullptr), E_POINTER);
        // The same major type with another subtype is accepted; another major is not.
        const CMediaType sameMajor = MakeType(e.major, GUID_NULL);
        const CMediaType otherMajor = MakeType(MEDIATYPE_Stream, e.subtype);
        EXPECT_EQ(pin->CheckMediaType(&sameMajor), S_OK);
        EXPECT_EQ(pin->CheckMediaType(&otherMajor), VFW_E_TYPE_NOT_ACCEPTED);
        // Downstream got 8 buffers of the size, aligned to 1, without prefix.
        ALLOCATOR_PROPERTIES props{};
        ASSERT_TRUE(m_sinks[static_cast<size_t>(i)]->Input()->GetNotifiedAllocator(&props, nullptr));
        EXPECT_TRUE(props.cBuffers == 8 && props.cbBuffer == static_cast<LONG>(e.bufferSize) && props.cbAlign == 1 &&
                    props.cbPrefix == 0);
    }

    CMediaType video, sound, timecode;
    ASSERT_EQ(m_parser->GetOutputPin(0)->GetMediaType(0, &video), S_OK);
    const VIDEOINFOHEADER2 v = FormatOf<VIDEOINFOHEADER2>(video);
    EXPECT_TRUE(v.rcSource.right == 720 && v.rcSource.bottom == 480 && v.rcTarget.right == 720);
    EXPECT_EQ(v.dwBitRate, 25000000u);
    EXPECT_EQ(v.AvgTimePerFrame, 333667); // 29.97 frames per second
    EXPECT_EQ(v.dwInterlaceFlags, static_cast<DWORD>(AMINTERLACE_IsInterlaced));
    EXPECT_TRUE(v.dwPictAspectRatioX == 4 && v.dwPictAspectRatioY == 3);
    EXPECT_TRUE(v.bmiHeader.biSize == 40 && v.bmiHeader.biWidth == 720 && v.bmiHeader.biHeight == 480 &&
                v.bmiHeader.biPlanes == 1 && v.bmiHeader.biCompression == FourCC::Dvc && v.bmiHeader.biBitCount == 0);

    ASSERT_EQ(m_parser->GetOutputPin(1)->GetMediaType(0, &sound), S_OK);
    const WAVEFORMATEX w = FormatOf<WAVEFORMATEX>(sound);
    EXPECT_TRUE(w.wFormatTag == 1 && w.nChannels == 2 && w.nSamplesPerSec == 48000 && w.wBitsPerSample == 16 &&
                w.nBlockAlign == 4 && w.nAvgBytesPerSec == 192000 && w.cbSize == 18);

    ASSERT_EQ(m_parser->GetOutputPin(2)->GetMediaType(0, &timecode), S_OK);
    const TimecodeFormatBlock t = FormatOf<TimecodeFormatBlock>(timecode);
    EXPECT_TRUE(t.version == 1 && t.dropFrame == 0 && t.countingMode == 2 && t.timeScale == 2997 &&
                t.frameDuration == 100 && t.framesPerSecond == 25);
    EXPECT_EQ(t.startFrame, 0x15180u); // read from the file's bytes 00 01 51 80
    EXPECT_EQ(m_parser->GetOutputPin(2)->GetTrack()->GetTimecodeStart(), 0x15180u);
}

TEST_F(OutputPinTest, VideoFormatDefaultsFollowTheFrameWidthAndThePictureAspect)
{
    const struct
    {
        uint16_t width;
        std::vector<BYTE> extensions;
        DWORD interlace, aspectX, aspectY;
    } cases[] = {
        {720, {}, 1, 4, 3},
        {1440, {}, 0, 16, 9},
        {1440, PaspAtom(10, 11), 0, 4, 3}, // a 4:3 picture keeps the progressive flags
        {720, PaspAtom(40, 33), 1, 16, 9},
    };
    for (const auto& c : cases)
    {
        TearDown();
        SetUp();
        const StreamTrack track{QTTrackKind::Video, 1, 2500,
                                VideoDescription(MakeFourCC('h', 'd', 'v', '2'), c.width, 1080, c.extensions)};
        Build(BuildStreamMovie({track}, {{0, {0}}}), {});
        CMediaType type;
        ASSERT_EQ(m_parser->GetOutputPin(0)->GetMediaType(0, &type), S_OK);
        const VIDEOINFOHEADER2 v = FormatOf<VIDEOINFOHEADER2>(type);
        EXPECT_EQ(v.AvgTimePerFrame, 400000);
        EXPECT_EQ(v.dwBitRate, 50000000u);
        EXPECT_EQ(v.dwInterlaceFlags, c.interlace) << c.width;
        EXPECT_TRUE(v.dwPictAspectRatioX == c.aspectX && v.dwPictAspectRatioY == c.aspectY) << c.width;
        // A largest sample of 0 bytes: variable-sized samples in 64 KiB buffers.
        EXPECT_FALSE(type.bFixedSizeSamples);
        ALLOCATOR_PROPERTIES props{};
        ASSERT_TRUE(m_sinks[0]->Input()->GetNotifiedAllocator(&props, nullptr));
        EXPECT_EQ(props.cbBuffer, 65536);
    }
}

TEST_F(OutputPinTest, NoBufferIsLargerThanTheFile)
{
    // The size table claims a 100 MB frame in a file of a few hundred bytes.
    const std::vector<BYTE> bytes = MakeMovie({{QTTrackKind::Video, 1, 2500, 28, Atoms([](AtomBuilder& b) {
                                                   AddStsd(b, VideoDescription(FourCC::Dvc, 720, 480));
                                                   AddStsc(b, {{1, 1, 1}});
                                                   AddStsz(b, 0, {100000000});
                                                   AddStco(b, {48});
                                               })}});
    ASSERT_EQ(Connect(AddMemorySource(bytes)), S_OK);
    EXPECT_EQ(m_parser->GetOutputPin(0)->GetBufferSize(), bytes.size());
    EXPECT_EQ(m_parser->GetOutputPin(0)->GetOfferedType().lSampleSize, bytes.size());
}

TEST_F(OutputPinTest, AnAllocatorThatRefusesOrGrantsOtherTermsIsRefused)
{
    const struct
    {
        ALLOCATOR_PROPERTIES demand;
        const wchar_t* message; // logged under the pin's one source name
    } cases[] = {
        {{16, 4, 4, 0}, L"Allocator returned properties that we do not like during negotiaton"}, // more, aligned
        {{8, 4, 3, 0}, L"Allocator refused to accept our allocator properties\n"}, // no alignment of 3
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.demand.cbAlign);
        TearDown();
        SetUp();
        CMemoryJournal journal;
        CJournalScope scope(journal);
        Build(VideoSoundTimecode(), {2});
        CTestSinkFilter* sink = nullptr;
        ASSERT_EQ(CTestSinkFilter::Create(&sink), S_OK);
        Add(sink)->Input()->DemandAllocatorProperties(&c.demand);
        EXPECT_TRUE(FAILED(m_graph->ConnectDirect(m_parser->GetOutputPin(0), sink->Input(), nullptr)));
        EXPECT_FALSE(m_parser->GetOutputPin(0)->IsConnected());
        size_t logged = 0;
        for (const JournalRecord& record : journal.Records())
            logged += record.text == c.message && record.file == L"outpin";
        EXPECT_EQ(logged, 1u);
    }
}

TEST_F(OutputPinTest, SeekingReportsTheDurationOnly)
{
    Build(VideoSoundTimecode(), {});
    IMediaSeeking* seeking = nullptr;
    ASSERT_EQ(m_parser->GetOutputPin(1)->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(&seeking)), S_OK);
    LONGLONG value = -1, other = -1;
    EXPECT_EQ(seeking->GetDuration(&value), S_OK);
    EXPECT_EQ(value, 90000000); // 5999 / 600 s, whole seconds
    DWORD caps = 0;
    EXPECT_EQ(seeking->GetCapabilities(&caps), S_OK);
    EXPECT_EQ(caps, static_cast<DWORD>(AM_SEEKING_CanGetDuration));
    caps = AM_SEEKING_CanGetDuration | AM_SEEKING_CanSeekAbsolute;
    EXPECT_EQ(seeking->CheckCapabilities(&caps), S_FALSE);
    EXPECT_EQ(seeking->SetTimeFormat(&TIME_FORMAT_FRAME), E_INVALIDARG);
    EXPECT_EQ(seeking->IsUsingTimeFormat(&TIME_FORMAT_MEDIA_TIME), S_OK);
    EXPECT_EQ(seeking->SetTimeFormat(&TIME_FORMAT_BYTE), S_OK);
    EXPECT_EQ(seeking->GetDuration(&value), S_OK);
    EXPECT_EQ(value, static_cast<LONGLONG>(m_movie.bytes.size()));
    EXPECT_EQ(seeking->GetAvailable(&other, &value), S_OK);
    EXPECT_TRUE(other == 0 && value == static_cast<LONGLONG>(m_movie.bytes.size()));
    EXPECT_EQ(seeking->ConvertTimeFormat(&value, &TIME_FORMAT_BYTE, 77, nullptr), S_OK);
    EXPECT_EQ(value, 77);
    EXPECT_EQ(seeking->ConvertTimeFormat(&value, &TIME_FORMAT_MEDIA_TIME, 77, nullptr), E_INVALIDARG);
    EXPECT_EQ(seeking->GetPositions(&value, &other), S_OK);
    EXPECT_TRUE(value == 0 && other == 0);
    EXPECT_EQ(seeking->SetPositions(&value, 0, &other, 0), E_NOTIMPL);
    EXPECT_EQ(seeking->SetRate(2.0), E_NOTIMPL);
    // Each pin keeps its own time format.
    IMediaSeeking* another = nullptr;
    ASSERT_EQ(m_parser->GetOutputPin(0)->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(&another)), S_OK);
    EXPECT_EQ(another->IsUsingTimeFormat(&TIME_FORMAT_MEDIA_TIME), S_OK);
    another->Release();
    seeking->Release();
}

TEST_F(OutputPinTest, DiscoveryFollowsTheDeclaredTrackCountAndRefusesMismatchedTimeScales)
{
    CMemoryJournal journal;
    CJournalScope scope(journal);
    // A declared count of 2 (next track ID 3) makes pins for the first two tracks only.
    StreamMovie movie = VideoSoundTimecode();
    std::vector<BYTE> moov = MakeMoov({{QTTrackKind::Video, 1, 2997, 28, StandardStbl(QTTrackKind::Video)},
                                       {QTTrackKind::Sound, 2, 48000, 28, StandardStbl(QTTrackKind::Sound)},
                                       {QTTrackKind::Sound, 3, 48000, 28, StandardStbl(QTTrackKind::Sound)}},
                                      600, 600, 3);
    ASSERT_EQ(Connect(AddMemorySource(moov)), S_OK);
    EXPECT_EQ(m_parser->GetPinCount(), 3);

    TearDown();
    SetUp();
    CJournalScope again(journal);
    EXPECT_TRUE(FAILED(Connect(AddMemorySource(VideoSoundTimecode(2997, 3000).bytes))));
    bool logged = false;
    for (const JournalRecord& record : journal.Records())
        logged = logged || record.text == L"ParseStreamDetails() video and timecode have mismatched time scales (2997, "
                                          L"3000)";
    EXPECT_TRUE(logged);
    EXPECT_EQ(m_graph->Disconnect(Input()), S_FALSE); // the failed attempt left nothing connected
}

TEST_F(OutputPinTest, DisconnectingTheInputTearsDownBothSidesAndReconnectingBuildsAnew)
{
    Build(VideoSoundTimecode(), {});
    // A sink that still runs will not let go: its pin stays valid until it does.
    ASSERT_EQ(m_sinks[1]->Run(0), S_OK);
    IPin* source = nullptr;
    ASSERT_EQ(Input()->ConnectedTo(&source), S_OK);
    EXPECT_EQ(m_graph->Disconnect(Input()), S_OK);
    EXPECT_EQ(m_parser->GetPinCount(), 1);
    EXPECT_FALSE(m_sinks[0]->Input()->IsConnected());
    EXPECT_EQ(RefCount(m_sinks[0]), 1u); // the graph's alone: neither side holds the other
    IPin* kept = m_sinks[1]->Input()->GetConnected();
    ASSERT_NE(kept, nullptr);
    PIN_INFO info{};
    EXPECT_EQ(kept->QueryPinInfo(&info), S_OK); // still a live pin
    EXPECT_EQ(std::wstring(info.achName), L"twos stream-736f7774-2");
    info.pFilter->Release();
    // The retired pin offers, accepts and completes nothing without an input.
    COutputPin* retired = dynamic_cast<COutputPin*>(kept);
    ASSERT_NE(retired, nullptr);
    CMediaType type;
    EXPECT_EQ(retired->GetMediaType(0, &type), VFW_S_NO_MORE_ITEMS);
    EXPECT_EQ(retired->GetMediaType(-1, &type), VFW_S_NO_MORE_ITEMS);
    EXPECT_EQ(retired->GetMediaType(0, nullptr), E_POINTER);
    EXPECT_EQ(retired->CheckMediaType(&retired->GetOfferedType()), VFW_E_TYPE_NOT_ACCEPTED);
    EXPECT_EQ(kept->QueryAccept(&retired->GetOfferedType()), S_FALSE);
    EXPECT_EQ(retired->CompleteConnect(m_sinks[1]->Input()), E_UNEXPECTED);
    IMemAllocator* allocator = nullptr;
    ASSERT_EQ(CreateMemoryAllocator(&allocator), S_OK);
    ALLOCATOR_PROPERTIES props{};
    EXPECT_EQ(retired->DecideBufferSize(allocator, &props), E_UNEXPECTED);
    EXPECT_EQ(allocator->GetProperties(&props), S_OK);
    EXPECT_EQ(props.cBuffers, 0); // nothing was asked of it
    allocator->Release();
    ASSERT_EQ(m_sinks[1]->Stop(), S_OK);
    EXPECT_EQ(m_sinks[1]->Input()->Disconnect(), S_OK);

    EXPECT_EQ(m_graph->Disconnect(source), S_OK);
    ASSERT_EQ(m_graph->ConnectDirect(source, Input(), nullptr), S_OK);
    source->Release();
    ASSERT_EQ(m_parser->GetPinCount(), 4);
    EXPECT_EQ(m_parser->GetOutputPin(0)->GetTrack()->GetOutputPin(), m_parser->GetOutputPin(0));
}

TEST_F(OutputPinTest, PinsCanBeEnumeratedWhileTheInputConnectsAndDisconnects)
{
    const StreamMovie movie = VideoSoundTimecode();
    CAsyncSourceFilter* source = AddMemorySource(movie.bytes);
    std::atomic<bool> done{false};
    std::thread looker([&] {
        while (!done)
        {
            IEnumPins* pins = nullptr;
            ASSERT_EQ(m_parser->EnumPins(&pins), S_OK);
            IPin* pin = nullptr;
            while (pins->Next(1, &pin, nullptr) == S_OK)
            {
                PIN_INFO info{};
                EXPECT_EQ(pin->QueryPinInfo(&info), S_OK);
                info.pFilter->Release();
                pin->Release();
            }
            pins->Release();
            IPin* found = nullptr;
            if (m_parser->FindPin(L"twos stream-736f7774-2", &found) == S_OK)
                found->Release();
            (void)m_parser->GetPin(m_parser->GetPinCount() - 1);
        }
    });
    for (int i = 0; i < 50; ++i)
    {
        ASSERT_EQ(Connect(source), S_OK);
        EXPECT_EQ(m_graph->Disconnect(Input()), S_OK);
        EXPECT_EQ(m_graph->Disconnect(source->Output()), S_OK);
    }
    done = true;
    looker.join();
}
