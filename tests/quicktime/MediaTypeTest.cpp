#include <gtest/gtest.h>

#include "framework/posix/DebugOutput.h"
#include "quicktime/FourCC.h"
#include "quicktime/QTMediaGuids.h"
#include "tests/support/MovieAtoms.h"

namespace
{
TrackLayout WithDescription(QTTrackKind kind, uint32_t mediaTimeScale, const std::vector<BYTE>& description)
{
    AtomBuilder b;
    AddStsd(b, description);
    return {kind, 1, mediaTimeScale, 28, b.Bytes()};
}

TrackLayout VideoTrack(uint32_t format, uint32_t mediaTimeScale, uint16_t width = 720)
{
    return WithDescription(QTTrackKind::Video, mediaTimeScale, VideoDescription(format, width, 480));
}
} // namespace

TEST(MediaType, VideoSubtypeFrameRateAndBitRate)
{
    struct Case
    {
        uint32_t format;
        uint32_t mediaTimeScale;
        GUID subtype;
        double frameRate;
        DWORD bitRate;
    };
    const uint32_t avc1 = MakeFourCC('a', 'v', 'c', '1');
    const Case cases[] = {
        {FourCC::Dv5p, 25, FourCCGuid(FourCC::Dv5p), 25.0, 50},
        {FourCC::Dv5n, 2997, FourCCGuid(FourCC::Dv5n), 29.97, 50},
        {FourCC::Dvpp, 25, MEDIASUBTYPE_dvsd, 25.0, 25},
        {FourCC::Dvc, 2997, MEDIASUBTYPE_dvsd, 29.97, 25},
        {FourCC::Dv2n, 2997, MEDIASUBTYPE_dvsd, 29.97, 25},
        {FourCC::Dvpn, 2997, MEDIASUBTYPE_dvsd, 29.97, 25},
        {FourCC::Hdv2, 2500, FourCCGuid(FourCC::Hdv2), 25.0, 50},
        {FourCC::Mx5n, 2997, FourCCGuid(FourCC::Mx5n), 29.97, 50},
        {avc1, 30000, FourCCGuid(avc1), 300.0, 25},
        // Time scales below 100 are the rate itself.
        {FourCC::Dv5n, 50, FourCCGuid(FourCC::Dv5n), 50.0, 50},
        {FourCC::Dv5n, 99, FourCCGuid(FourCC::Dv5n), 99.0, 50},
        {FourCC::Dv5n, 100, FourCCGuid(FourCC::Dv5n), 1.0, 50},
        {FourCC::Dv5n, 0x80000000u, FourCCGuid(FourCC::Dv5n), -2147483648.0, 50}, // signed comparison
        // No format: no subtype, and nothing to time samples by.
        {0, 2997, MEDIASUBTYPE_None, 0, 0},
        {MakeFourCC('\0', 'd', 'v', 'c'), 2997, MEDIASUBTYPE_None, 0, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(&c - cases);
        ParsedTrack p(VideoTrack(c.format, c.mediaTimeScale));
        ASSERT_EQ(S_OK, p.result);
        const QTMediaType& type = p.track.GetMediaType();
        EXPECT_EQ(MEDIATYPE_Video, type.majorType);
        EXPECT_EQ(c.subtype, type.subtype);
        EXPECT_DOUBLE_EQ(c.frameRate, type.frameRate);
        EXPECT_EQ(c.bitRate, type.bitRate);
    }
}

TEST(MediaType, MajorTypeAndSubtypeByKind)
{
    const GUID timecodeMajor = {0x0482DEE3, 0x7817, 0x11CF, {0x8A, 0x03, 0x00, 0xAA, 0x00, 0x6E, 0xCB, 0x65}};
    const GUID timecodeSubtype = {0x46435451, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
    const GUID twosSubtype = {0x736F7774, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
    SoundLayout in24;
    in24.format = FourCC::In24;
    in24.version = 1;
    in24.compressionId = 0xFFFE;
    in24.bytesPerPacket = 3;
    in24.extensions = WaveAtom(FourCC::In24, 1);
    struct Case
    {
        TrackLayout layout;
        GUID major, subtype;
    };
    const Case cases[] = {
        {WithDescription(QTTrackKind::Sound, 48000, SoundDescription({})), MEDIATYPE_Audio, twosSubtype},
        {WithDescription(QTTrackKind::Sound, 48000, SoundDescription(in24)), MEDIATYPE_Audio,
         FourCCGuid(MakeFourCC('4', '2', 'n', 'i'))},
        {WithDescription(QTTrackKind::Timecode, 2997, TimecodeDescription(0, 100, 30)), timecodeMajor,
         timecodeSubtype},
        {WithDescription(QTTrackKind::None, 600, VideoDescription(FourCC::Dvc, 720, 480)), GUID_NULL,
         MEDIASUBTYPE_None},
        // A description that cannot be read leaves the type of a new track.
        {WithDescription(QTTrackKind::Video, 2997, {0, 0, 0, 9, 'd', 'v', 'c', ' ', 0}), GUID_NULL, GUID_NULL},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(&c - cases);
        ParsedTrack p(c.layout);
        EXPECT_EQ(c.major, p.track.GetMediaType().majorType);
        EXPECT_EQ(c.subtype, p.track.GetMediaType().subtype);
        EXPECT_EQ(0, p.track.GetMediaType().frameRate);
        EXPECT_EQ(0u, p.track.GetMediaType().bitRate);
        GUID major = MEDIATYPE_Stream;
        p.track.GetMajorType(&major);
        EXPECT_EQ(c.major, major);
    }
    EXPECT_EQ(timecodeMajor, MEDIATYPE_Timecode);
}

TEST(MediaType, TraceLinesOfAVideoTrack)
{
    CDebugOutputCapture capture;
    ParsedTrack p(VideoTrack(FourCC::Dvc, 2997));
    std::vector<std::wstring> lines;
    for (const std::wstring& line : capture.Lines())
        if (line.compare(0, 3, L"Set") == 0)
            lines.push_back(line);
    EXPECT_EQ((std::vector<std::wstring>{L"SetMediaType========================\n",
                                         L"SetVMediaType========================\n",
                                         L"SetVideoSubType: frate 29.970000, media TS = 2997"}),
              lines);
}

TEST(MediaType, InterlacedDefaultsUpTo720PixelsWide)
{
    for (const auto& [width, interlaced] : {std::pair<uint16_t, bool>{720, true}, {721, false}, {1440, false},
                                            {1920, false}, {352, true}})
    {
        SCOPED_TRACE(width);
        EXPECT_EQ(interlaced, ParsedTrack(VideoTrack(FourCC::Dv5n, 2997, width)).track.UsesInterlacedDefaults());
    }
    EXPECT_TRUE(QTTrack().UsesInterlacedDefaults()); // width never read
}
