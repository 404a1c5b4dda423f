#include <gtest/gtest.h>

#include "platform/DebugOutput.h"
#include "quicktime/FourCC.h"
#include "tests/support/MovieAtoms.h"

namespace
{
constexpr uint32_t kTwos = MakeFourCC('t', 'w', 'o', 's');

// Version 2 stereo 16-bit sound whose extended layout says channels x 24 bits.
SoundLayout Version2(uint32_t channels)
{
    return {kTwos, 2, 2, 16, 0xFFFE, 0, 0, {}, channels, 24};
}
} // namespace

TEST(SampleDescription, VideoFrameSizeAndPictureAspect)
{
    struct Case
    {
        std::vector<BYTE> extensions;
        bool declared86; // the size field says 86 although extensions follow
        DWORD x, y;
    };
    const Case cases[] = {
        {PaspAtom(40, 33), true, 0, 0}, // extensions of an 86-byte description are not looked at
        {PaspAtom(40, 33), false, 16, 9},
        {PaspAtom(4, 3), false, 16, 9},
        {PaspAtom(10, 11), false, 4, 3},
        {PaspAtom(59, 54), false, 4, 3},
        {PaspAtom(118, 81), false, 0, 0},
        // Other atoms are stepped over; a "pasp" too short to read changes nothing.
        {{0, 0, 0, 12, 'c', 'o', 'l', 'r', 0, 1, 0, 1, 0, 0, 0, 16, 'p', 'a', 's', 'p', 0, 0, 0, 10, 0, 0, 0, 11},
         false, 4, 3},
        {{0, 0, 0, 12, 'p', 'a', 's', 'p', 0, 0, 0, 40}, false, 0, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(&c - cases);
        std::vector<BYTE> description = VideoDescription(FourCC::Dv5n, 720, 480, c.extensions);
        if (c.declared86)
            description[3] = 86;
        CDebugOutputCapture capture;
        ParsedTrack p(WithDescription(QTTrackKind::Video, 2997, description));
        EXPECT_EQ(S_OK, p.result);
        EXPECT_STREQ(L"dv5n", p.track.GetFormatName().c_str());
        EXPECT_EQ(720u, p.track.GetVideoFormat().width);
        EXPECT_EQ(480u, p.track.GetVideoFormat().height);
        EXPECT_EQ(c.x, p.track.GetVideoFormat().pictureAspectX);
        EXPECT_EQ(c.y, p.track.GetVideoFormat().pictureAspectY);
        EXPECT_TRUE(capture.Contains(L"      STTD (0x18): Width 47186400\n"));
    }
}

TEST(SampleDescription, SoundLayoutsByVersion)
{
    struct Case
    {
        SoundLayout sound;
        HRESULT result;
        const wchar_t* format;
        DWORD channels, bytesPerSample, sampleRate; // media time scale 96000
    };
    const uint32_t in24 = FourCC::In24;
    const Case cases[] = {
        {{kTwos, 0, 2, 16, 0, 0xAC448000}, S_OK, L"twos", 2, 2, 44100}, // integer part of 16.16
        {{kTwos, 0, 2, 12, 0xFFFE, 48000u << 16}, S_OK, L"twos", 2, 1, 48000},
        // Version 1: compression ID -2 takes the rate from the media time scale,
        // the bytes per packet (top bit cleared) as the bytes per sample.
        {{kTwos, 1, 2, 16, 0xFFFE, 0, 0x80000003}, S_OK, L"twos", 2, 3, 96000},
        {{kTwos, 1, 2, 16, 0, 32000u << 16, 2}, S_OK, L"twos", 2, 2, 32000},
        // An "enda" flag in "wave" marks little-endian integers.
        {{in24, 1, 2, 24, 0xFFFE, 0, 3, WaveAtom(in24, 1)}, S_OK, L"42ni", 2, 3, 96000},
        {{in24, 1, 2, 24, 0xFFFE, 0, 3, WaveAtom(in24, 0)}, S_OK, L"in24", 2, 3, 96000},
        {{FourCC::In32, 1, 2, 32, 0xFFFE, 0, 4, WaveAtom(FourCC::In32, 1)}, S_OK, L"23ni", 2, 4, 96000},
        {{in24, 1, 2, 24, 0xFFFE, 0, 3, WaveAtom(MakeFourCC('s', 'o', 'w', 't'), 1)}, S_OK, L"in24", 2, 3, 96000},
        // Version 2: channels and bits per channel from the extended layout.
        {Version2(1), S_OK, L"twos", 1, 3, 96000},
        {Version2(3), E_FAIL, L"twos", 2, 2, 96000},
        {Version2(0), E_FAIL, L"twos", 2, 2, 96000},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(&c - cases);
        ParsedTrack p(WithDescription(QTTrackKind::Sound, 96000, SoundDescription(c.sound)));
        EXPECT_EQ(c.result, p.result);
        EXPECT_STREQ(c.format, p.track.GetFormatName().c_str());
        const QTSoundFormat& sound = p.track.GetSoundFormat();
        EXPECT_EQ(c.channels, sound.channels);
        EXPECT_EQ(c.bytesPerSample, sound.bytesPerSample);
        EXPECT_EQ(static_cast<LONG>(c.bytesPerSample), p.track.GetSampleTables().sampleSize);
        EXPECT_EQ(c.sampleRate, sound.sampleRate);
    }
}

TEST(SampleDescription, CutDescriptionsFailTheSampleTableWholeOnesParse)
{
    // Each description cut one byte short of the last field its kind needs.
    const std::tuple<QTTrackKind, std::vector<BYTE>, size_t> cases[] = {
        {QTTrackKind::Video, VideoDescription(FourCC::Dvc, 720, 480), 36},
        {QTTrackKind::Sound, SoundDescription({}), 36},
        {QTTrackKind::Sound, SoundDescription({FourCC::In24, 1, 2, 24, 0, 48000u << 16, 3}), 44},
        {QTTrackKind::Sound, SoundDescription(Version2(2)), 60},
        {QTTrackKind::Sound, SoundDescription({FourCC::In24, 1, 2, 24, 0xFFFE, 0, 3, WaveAtom(FourCC::In24, 1)}), 84},
        {QTTrackKind::Timecode, TimecodeDescription(0x9, 1001, 0xE2), 33},
    };
    for (const auto& [kind, whole, needed] : cases)
    {
        SCOPED_TRACE(needed);
        const std::vector<BYTE> cut(whole.begin(), whole.begin() + static_cast<long>(needed) - 1);
        ParsedTrack p(WithDescription(kind, 48000, cut));
        EXPECT_EQ(E_FAIL, p.result);
        EXPECT_EQ(GUID_NULL, p.track.GetMediaType().majorType); // derived only after a whole read
        EXPECT_EQ(S_OK, ParsedTrack(WithDescription(kind, 48000, whole)).result);
    }
    const QTTimecodeFormat timecode =
        ParsedTrack(WithDescription(QTTrackKind::Timecode, 2997, TimecodeDescription(0x9, 1001, 0xE2))).track.GetTimecodeFormat();
    EXPECT_EQ(0x9u, timecode.flags);
    EXPECT_EQ(1001u, timecode.frameDuration);
    EXPECT_EQ(-30, timecode.frameCount); // the frame count is signed
}
