#include <gtest/gtest.h>

#include "framework/posix/DebugOutput.h"
#include "quicktime/FourCC.h"
#include "tests/support/MovieAtoms.h"

namespace
{
std::vector<BYTE> Stbl(const std::vector<BYTE>& description)
{
    AtomBuilder b;
    AddStsd(b, description);
    return b.Bytes();
}

std::wstring FormatName(const QTTrack& track)
{
    return track.GetFormatName().c_str();
}

SoundLayout V0(uint16_t channels, uint16_t bits, uint32_t rate)
{
    SoundLayout s;
    s.channels = channels;
    s.bits = bits;
    s.rate = rate;
    return s;
}

SoundLayout V1(uint32_t format, uint16_t compressionId, uint32_t rate, uint32_t bytesPerPacket,
               std::vector<BYTE> extensions = {})
{
    SoundLayout s;
    s.format = format;
    s.version = 1;
    s.compressionId = compressionId;
    s.rate = rate;
    s.bytesPerPacket = bytesPerPacket;
    s.extensions = std::move(extensions);
    return s;
}

SoundLayout V2(uint32_t channels, uint32_t bits)
{
    SoundLayout s;
    s.version = 2;
    s.compressionId = 0xFFFE;
    s.v2Channels = channels;
    s.v2Bits = bits;
    return s;
}

std::vector<BYTE> Concat(std::vector<BYTE> a, const std::vector<BYTE>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
} // namespace

TEST(SampleDescription, VideoFrameSizeAndPictureAspect)
{
    struct Case
    {
        std::vector<BYTE> extensions;
        bool declaredShort; // size field says 86 although extensions follow
        bool traced;        // a "pasp" was read
        DWORD x, y;
    };
    const Case cases[] = {
        {{}, false, false, 0, 0},
        {PaspAtom(40, 33), true, false, 0, 0}, // 86 bytes: extensions not looked at
        {PaspAtom(40, 33), false, true, 16, 9},
        {PaspAtom(4, 3), false, true, 16, 9},
        {PaspAtom(10, 11), false, true, 4, 3},
        {PaspAtom(59, 54), false, true, 4, 3},
        {PaspAtom(118, 81), false, true, 0, 0},
        // Other atoms are stepped over; a later "pasp" still counts.
        {Concat({0, 0, 0, 12, 'c', 'o', 'l', 'r', 0, 1, 0, 1}, PaspAtom(10, 11)), false, true, 4, 3},
        // A "pasp" too short to read leaves the aspect and does not fail.
        {{0, 0, 0, 12, 'p', 'a', 's', 'p', 0, 0, 0, 40}, false, false, 0, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(&c - cases);
        std::vector<BYTE> description = VideoDescription(FourCC::Dv5n, 720, 480, c.extensions);
        if (c.declaredShort)
            description[3] = 86;
        CDebugOutputCapture capture;
        ParsedTrack p({QTTrackKind::Video, 1, 2997, 28, Stbl(description)});
        EXPECT_EQ(S_OK, p.result);
        EXPECT_EQ(L"dv5n", FormatName(p.track));
        EXPECT_EQ(FourCC::Dv5n, p.track.GetSampleDescription().formatCode);
        EXPECT_EQ(1u, p.track.GetSampleDescription().count);
        EXPECT_EQ(720u, p.track.GetVideoFormat().width);
        EXPECT_EQ(480u, p.track.GetVideoFormat().height);
        EXPECT_EQ(c.x, p.track.GetVideoFormat().pictureAspectX);
        EXPECT_EQ(c.y, p.track.GetVideoFormat().pictureAspectY);
        EXPECT_TRUE(capture.Contains(L"      STTD (0x18): Width 47186400\n"));
        EXPECT_TRUE(capture.Contains(L"      STTD: Height 47186400\n"));
        EXPECT_EQ(c.traced, capture.Contains(L"        PASP: "));
    }
}

TEST(SampleDescription, SoundLayoutsByVersion)
{
    struct Case
    {
        SoundLayout sound;
        uint32_t mediaTimeScale;
        HRESULT result;
        const wchar_t* format;
        DWORD channels, bytesPerSample, sampleRate;
    };
    const uint32_t twos = MakeFourCC('t', 'w', 'o', 's');
    const uint32_t in24 = FourCC::In24;
    const Case cases[] = {
        {V0(2, 16, 48000 << 16), 48000, S_OK, L"twos", 2, 2, 48000},
        {V0(1, 8, 0xAC448000), 44100, S_OK, L"twos", 1, 1, 44100}, // integer part of 16.16
        {V0(2, 12, 48000 << 16), 48000, S_OK, L"twos", 2, 1, 48000},
        // Version 1: compression ID -2 takes the rate from the media time scale,
        // the bytes per packet (top bit cleared) as the bytes per sample.
        {V1(twos, 0xFFFE, 0, 0x80000003), 96000, S_OK, L"twos", 2, 3, 96000},
        {V1(twos, 0, 32000 << 16, 2), 96000, S_OK, L"twos", 2, 2, 32000},
        // Integer formats: an "enda" flag marks little-endian samples.
        {V1(in24, 0xFFFE, 0, 3, WaveAtom(in24, 1)), 48000, S_OK, L"42ni", 2, 3, 48000},
        {V1(in24, 0xFFFE, 0, 3, WaveAtom(in24, 0)), 48000, S_OK, L"in24", 2, 3, 48000},
        {V1(FourCC::In32, 0xFFFE, 0, 4, WaveAtom(FourCC::In32, 1)), 48000, S_OK, L"23ni", 2, 4, 48000},
        {V1(in24, 0xFFFE, 0, 3, WaveAtom(MakeFourCC('s', 'o', 'w', 't'), 1)), 48000, S_OK, L"in24", 2, 3, 48000},
        {V1(in24, 0xFFFE, 0, 3, PaspAtom(1, 1)), 48000, S_OK, L"in24", 2, 3, 48000},
        // Version 2: channels and bits per channel from the extended layout.
        {V2(1, 24), 44100, S_OK, L"twos", 1, 3, 44100},
        {V2(6, 16), 48000, E_FAIL, L"twos", 2, 2, 48000},
        {V2(0, 16), 48000, E_FAIL, L"twos", 2, 2, 48000},
        {V2(0xFFFFFFFF, 16), 48000, E_FAIL, L"twos", 2, 2, 48000},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(&c - cases);
        ParsedTrack p({QTTrackKind::Sound, 2, c.mediaTimeScale, 28, Stbl(SoundDescription(c.sound))});
        EXPECT_EQ(c.result, p.result);
        EXPECT_EQ(c.format, FormatName(p.track));
        const QTSoundFormat& sound = p.track.GetSoundFormat();
        EXPECT_EQ(c.channels, sound.channels);
        EXPECT_EQ(c.bytesPerSample, sound.bytesPerSample);
        EXPECT_EQ(static_cast<LONG>(c.bytesPerSample), p.track.GetSampleTables().sampleSize);
        EXPECT_EQ(c.sampleRate, sound.sampleRate);
    }
}

TEST(SampleDescription, TimecodeParameters)
{
    for (const auto& [frames, count] : {std::pair<uint8_t, LONG>{30, 30}, {0xE2, -30}, {0x80, -128}})
    {
        ParsedTrack p({QTTrackKind::Timecode, 3, 2997, 28, Stbl(TimecodeDescription(0x9, 1001, frames))});
        EXPECT_EQ(S_OK, p.result);
        EXPECT_EQ(L"tmcd", FormatName(p.track));
        EXPECT_EQ(0x9u, p.track.GetTimecodeFormat().flags);
        EXPECT_EQ(1001u, p.track.GetTimecodeFormat().frameDuration);
        EXPECT_EQ(count, p.track.GetTimecodeFormat().frameCount);
    }
}

TEST(SampleDescription, ATrackWithoutKindGetsOnlyTheFormat)
{
    ParsedTrack p({QTTrackKind::None, 4, 600, 28, Stbl(VideoDescription(FourCC::Dvc, 720, 480))});
    EXPECT_EQ(S_OK, p.result);
    EXPECT_EQ(L"dvc ", FormatName(p.track));
    EXPECT_EQ(0u, p.track.GetVideoFormat().width);
    EXPECT_EQ(1u, p.track.GetSoundFormat().channels);
}

TEST(SampleDescription, CutDescriptionsFailTheSampleTable)
{
    // Each description cut just before its last field the kind needs.
    const std::pair<QTTrackKind, std::vector<BYTE>> cases[] = {
        {QTTrackKind::Video, VideoDescription(FourCC::Dvc, 720, 480)},
        {QTTrackKind::Sound, SoundDescription({})},
        {QTTrackKind::Sound, SoundDescription(V1(MakeFourCC('t', 'w', 'o', 's'), 0, 48000 << 16, 2))},
        {QTTrackKind::Sound, SoundDescription(V2(2, 16))},
        {QTTrackKind::Sound, SoundDescription(V1(FourCC::In24, 0xFFFE, 0, 3, WaveAtom(FourCC::In24, 1)))},
        {QTTrackKind::Timecode, TimecodeDescription(0, 100, 30)},
    };
    const size_t needed[] = {36, 36, 44, 60, 52 + 28 + 4, 33};
    for (size_t i = 0; i < std::size(cases); ++i)
    {
        SCOPED_TRACE(i);
        const auto& [kind, whole] = cases[i];
        const std::vector<BYTE> cut(whole.begin(), whole.begin() + static_cast<long>(needed[i]) - 1);
        ParsedTrack p({kind, 1, 48000, 28, Stbl(cut)});
        EXPECT_EQ(E_FAIL, p.result);
        EXPECT_EQ(GUID_NULL, p.track.GetMediaType().majorType);
        EXPECT_EQ(S_OK, ParsedTrack({kind, 1, 48000, 28, Stbl(whole)}).result);
    }
}
