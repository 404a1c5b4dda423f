#include <gtest/gtest.h>

#include <functional>

#include "framework/posix/DebugOutput.h"
#include "quicktime/FourCC.h"
#include "quicktime/QTTrack.h"
#include "tests/support/MovieAtoms.h"
#include "tests/support/TestByteSource.h"

namespace
{
// Parses a "trak" written by body; returns the result of the walk.
struct ParsedTrack
{
    HRESULT result = S_OK;
    QTTrack track;
};

void Parse(ParsedTrack& parsed, const std::function<void(AtomBuilder&)>& body)
{
    AtomBuilder b;
    b.Begin(FourCC::Trak);
    body(b);
    b.End();
    CTestByteSource source(b.Bytes());
    QTParser reader(&source, 0, FourCC::Trak, b.Size());
    parsed.result = parsed.track.ParseTrak(reader);
}

// mdia holding mdhd and a minf written by minfBody.
void Media(AtomBuilder& b, uint32_t timeScale, const std::function<void(AtomBuilder&)>& minfBody)
{
    b.Begin(FourCC::Mdia);
    AddMdhd(b, timeScale);
    b.Begin(FourCC::Minf);
    minfBody(b);
    b.End().End();
}

void EmptyStbl(AtomBuilder& b)
{
    b.Begin(FourCC::Stbl).Empty(FourCC::Stsd).End();
}
} // namespace

TEST(QTTrack, KindComesFromTheMediaInformationHeader)
{
    struct Case
    {
        const char* what;
        std::function<void(AtomBuilder&)> headers;
        QTTrackKind kind;
    };
    const Case cases[] = {
        {"vmhd", [](AtomBuilder& b) { AddMediaHeader(b, QTTrackKind::Video); }, QTTrackKind::Video},
        {"smhd", [](AtomBuilder& b) { AddMediaHeader(b, QTTrackKind::Sound); }, QTTrackKind::Sound},
        {"gmhd with gmin and tmcd", [](AtomBuilder& b) { AddMediaHeader(b, QTTrackKind::Timecode); },
         QTTrackKind::Timecode},
        {"gmhd with gmin and text", [](AtomBuilder& b) { AddMediaHeader(b, QTTrackKind::None); }, QTTrackKind::None},
        {"vmhd then smhd",
         [](AtomBuilder& b) {
             AddMediaHeader(b, QTTrackKind::Video);
             AddMediaHeader(b, QTTrackKind::Sound);
         },
         QTTrackKind::Sound},
        {"none", [](AtomBuilder&) {}, QTTrackKind::None},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        ParsedTrack parsed;
        Parse(parsed, [&](AtomBuilder& b) {
            AddTkhd(b, 7);
            Media(b, 2997, [&](AtomBuilder& minf) {
                c.headers(minf);
                AddDinf(minf, 28);
                EmptyStbl(minf);
            });
        });
        EXPECT_EQ(S_OK, parsed.result);
        EXPECT_EQ(c.kind, parsed.track.GetKind());
        EXPECT_EQ(7u, parsed.track.GetTrackId());
        EXPECT_EQ(2997u, parsed.track.GetMediaTimeScale());
    }
}

TEST(QTTrack, ExternalDataReferenceStopsTheTrackBeforeItsSampleTable)
{
    for (const uint32_t drefSize : {40u, 41u})
    {
        SCOPED_TRACE(drefSize);
        CDebugOutputCapture capture;
        ParsedTrack parsed;
        Parse(parsed, [&](AtomBuilder& b) {
            AddTkhd(b, 1);
            Media(b, 2500, [&](AtomBuilder& minf) {
                AddMediaHeader(minf, QTTrackKind::Video);
                AddDinf(minf, drefSize);
                EmptyStbl(minf);
            });
        });
        const bool external = drefSize > 40;
        EXPECT_EQ(external ? E_FAIL : S_OK, parsed.result);
        EXPECT_TRUE(parsed.track.IsVideo());
        EXPECT_EQ(2500u, parsed.track.GetMediaTimeScale());
        EXPECT_EQ(external, !capture.Contains(L"atom name stbl"));
        GUID major = {1, 2, 3, {}};
        parsed.track.GetMajorType(&major);
        EXPECT_EQ(GUID_NULL, major);
    }
}

TEST(QTTrack, TrackHeaderFailuresStopTheWalk)
{
    {
        // Track ID 0: the media that follows is not read.
        ParsedTrack parsed;
        Parse(parsed, [](AtomBuilder& b) {
            AddTkhd(b, 0);
            Media(b, 2997, [](AtomBuilder& minf) { AddMediaHeader(minf, QTTrackKind::Video); });
        });
        EXPECT_EQ(E_FAIL, parsed.result);
        EXPECT_EQ(QTTrackKind::None, parsed.track.GetKind());
        EXPECT_EQ(0u, parsed.track.GetMediaTimeScale());
    }
    {
        // A header cut before its duration.
        ParsedTrack parsed;
        Parse(parsed, [](AtomBuilder& b) { b.Begin(FourCC::Tkhd).U32(0).Zeros(8).U32(5).Zeros(4).U16(0).End(); });
        EXPECT_EQ(E_FAIL, parsed.result);
        EXPECT_EQ(5u, parsed.track.GetTrackId());
    }
    {
        // A media header cut after its time scale keeps the time scale.
        ParsedTrack parsed;
        Parse(parsed, [](AtomBuilder& b) {
            b.Begin(FourCC::Mdia).Begin(FourCC::Mdhd).U32(0).Zeros(8).U32(48000).End();
            b.Begin(FourCC::Minf);
            AddMediaHeader(b, QTTrackKind::Sound);
            b.End().End();
        });
        EXPECT_EQ(E_FAIL, parsed.result);
        EXPECT_EQ(48000u, parsed.track.GetMediaTimeScale());
        EXPECT_EQ(QTTrackKind::None, parsed.track.GetKind());
    }
}

TEST(QTTrack, EditListsAndMissingAtomsLeaveStartingValues)
{
    ParsedTrack parsed;
    Parse(parsed, [](AtomBuilder& b) {
        b.Begin(FourCC::Edts).Begin(FourCC::Elst).U32(0).U32(0).End().End();
        AddTkhd(b, 3);
    });
    EXPECT_EQ(S_OK, parsed.result);
    EXPECT_EQ(3u, parsed.track.GetTrackId());
    const QTTrack& t = parsed.track;
    EXPECT_EQ(QTTrackKind::None, t.GetKind());
    EXPECT_EQ(0u, t.GetMediaTimeScale());
    EXPECT_EQ(1u, t.GetSoundFormat().channels);
    EXPECT_EQ(1, t.GetSampleTables().currentSample);
    EXPECT_EQ(0, t.GetSampleTables().currentChunk);
    EXPECT_EQ(nullptr, t.GetOutputPin());
    EXPECT_EQ(L"", std::wstring(t.GetFormatName().c_str()));
}
