#include <gtest/gtest.h>

#include "platform/DebugOutput.h"
#include "quicktime/FourCC.h"
#include "quicktime/QTMediaGuids.h"
#include "tests/support/MovieAtoms.h"

namespace
{
TrackLayout Video(uint32_t format, uint32_t mediaTimeScale, uint16_t width = 720)
{
    return WithDescription(QTTrackKind::Video, mediaTimeScale, VideoDescription(format, width, 480));
}
} // namespace

TEST(MediaType, VideoSubtypeFrameRateAndBitRate)
{
    struct Case
    {
        uint32_t format, mediaTimeScale;
        GUID subtype;
        double frameRate;
        DWORD bitRate;
    };
    const uint32_t avc1 = MakeFourCC('a', 'v', 'c', '1');
    const Case cases[] = {
        {FourCC::Dv5p, 25, FourCCGuid(FourCC::Dv5p), 25.0, 50},
        {FourCC::Dvpp, 25, MEDIASUBTYPE_dvsd, 25.0, 25},
        {FourCC::Dvc, 2997, MEDIASUBTYPE_dvsd, 29.97, 25},
        {FourCC::Hdv2, 2500, FourCCGuid(FourCC::Hdv2), 25.0, 50},
        {avc1, 30000, FourCCGuid(avc1), 300.0, 25},
        {FourCC::Mx4n, 50, FourCCGuid(FourCC::Mx4n), 50.0, 50}, // below 100: the rate itself
        {FourCC::Dv2n, 99, MEDIASUBTYPE_dvsd, 99.0, 25},
        {FourCC::Dv5n, 100, FourCCGuid(FourCC::Dv5n), 1.0, 50},
        {0, 2997, MEDIASUBTYPE_None, 0, 0}, // no format: nothing to time samples by
        {MakeFourCC('\0', 'd', 'v', 'c'), 2997, MEDIASUBTYPE_None, 0, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(&c - cases);
        ParsedTrack p(Video(c.format, c.mediaTimeScale));
        const QTMediaType& type = p.track.GetMediaType();
        EXPECT_EQ(MEDIATYPE_Video, type.majorType);
        EXPECT_EQ(c.subtype, type.subtype);
        EXPECT_DOUBLE_EQ(c.frameRate, type.frameRate);
        EXPECT_EQ(c.bitRate, type.bitRate);
    }
    CDebugOutputCapture capture;
    (void)ParsedTrack(Video(FourCC::Dvc, 2997));
    EXPECT_TRUE(capture.Contains(L"SetVideoSubType: frate 29.970000, media TS = 2997"));
}

TEST(MediaType, MajorTypeAndSubtypeByKind)
{
    const GUID timecodeMajor = {0x0482DEE3, 0x7817, 0x11CF, {0x8A, 0x03, 0x00, 0xAA, 0x00, 0x6E, 0xCB, 0x65}};
    const GUID timecodeSubtype = {0x46435451, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
    const GUID twosSubtype = {0x736F7774, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
    const std::tuple<TrackLayout, GUID, GUID> cases[] = {
        {WithDescription(QTTrackKind::Sound, 48000, SoundDescription({})), MEDIATYPE_Audio, twosSubtype},
        {WithDescription(QTTrackKind::Timecode, 2997, TimecodeDescription(0, 100, 30)), timecodeMajor,
         timecodeSubtype},
        {WithDescription(QTTrackKind::None, 600, VideoDescription(FourCC::Dvc, 720, 480)), GUID_NULL,
         MEDIASUBTYPE_None},
    };
    for (const auto& [layout, major, subtype] : cases)
    {
        ParsedTrack p(layout);
        GUID held = MEDIATYPE_Stream;
        p.track.GetMajorType(&held);
        EXPECT_EQ(major, held);
        EXPECT_EQ(subtype, p.track.GetMediaType().subtype);
    }
}

TEST(MediaType, InterlacedDefaultsUpTo720PixelsWide)
{
    EXPECT_TRUE(ParsedTrack(Video(FourCC::Dv5n, 2997, 720)).track.UsesInterlacedDefaults());
    EXPECT_FALSE(ParsedTrack(Video(FourCC::Dv5n, 2997, 1440)).track.UsesInterlacedDefaults());
    EXPECT_TRUE(QTTrack().UsesInterlacedDefaults()); // width never read
}
