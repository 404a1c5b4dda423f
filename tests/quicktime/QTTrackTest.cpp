#include <gtest/gtest.h>

#include <functional>

#include "framework/posix/DebugOutput.h"
#include "quicktime/FourCC.h"
#include "quicktime/QTTrack.h"
#include "tests/support/MovieAtoms.h"
#include "tests/support/TestByteSource.h"

namespace
{
using Writer = std::function<void(AtomBuilder&)>;

// Parses a "trak" whose children body writes; returns the walk's result.
HRESULT Parse(QTTrack& track, const Writer& body)
{
    AtomBuilder b;
    b.Begin(FourCC::Trak);
    body(b);
    b.End();
    CTestByteSource source(b.Bytes());
    QTParser reader(&source, 0, FourCC::Trak, b.Size());
    return track.ParseTrak(reader);
}

// tkhd with the ID, then mdia holding mdhd with the time scale and minf
// holding what minf writes.
Writer Track(uint32_t id, uint32_t timeScale, const Writer& minf)
{
    return [=](AtomBuilder& b) {
        AddTkhd(b, id);
        b.Begin(FourCC::Mdia);
        AddMdhd(b, timeScale);
        b.Begin(FourCC::Minf);
        minf(b);
        b.End().End();
    };
}

// A media information holding the headers, a data reference and a sample table.
Writer Minf(std::vector<QTTrackKind> headers, uint32_t drefSize = 28)
{
    return [=](AtomBuilder& b) {
        for (QTTrackKind kind : headers)
            AddMediaHeader(b, kind);
        AddDinf(b, drefSize);
        b.Begin(FourCC::Stbl).Append(StandardStbl(headers.empty() ? QTTrackKind::None : headers.back())).End();
    };
}
} // namespace

TEST(QTTrack, KindComesFromTheLastMediaInformationHeader)
{
    using K = QTTrackKind;
    const std::pair<std::vector<K>, K> cases[] = {
        {{K::Video}, K::Video},      {{K::Sound}, K::Sound}, {{K::Timecode}, K::Timecode},
        {{K::None}, K::None}, // "gmhd" holding "gmin" and "text"
        {{K::Video, K::Sound}, K::Sound}, {{}, K::None},
    };
    for (const auto& [headers, kind] : cases)
    {
        SCOPED_TRACE(static_cast<int>(kind));
        QTTrack track;
        EXPECT_EQ(S_OK, Parse(track, Track(7, 2997, Minf(headers))));
        EXPECT_EQ(kind, track.GetKind());
        EXPECT_EQ(7u, track.GetTrackId());
        EXPECT_EQ(2997u, track.GetMediaTimeScale());
    }
}

TEST(QTTrack, ExternalDataReferenceStopsTheTrackBeforeItsSampleTable)
{
    for (const uint32_t drefSize : {40u, 41u})
    {
        SCOPED_TRACE(drefSize);
        const bool external = drefSize > 40;
        CDebugOutputCapture capture;
        QTTrack track;
        EXPECT_EQ(external ? E_FAIL : S_OK, Parse(track, Track(1, 2500, Minf({QTTrackKind::Video}, drefSize))));
        EXPECT_TRUE(track.IsVideo());
        EXPECT_EQ(2500u, track.GetMediaTimeScale());
        EXPECT_EQ(external, !capture.Contains(L"atom name stbl"));
    }
}

TEST(QTTrack, FailuresStopTheWalkAndKeepWhatWasRead)
{
    {
        // Track ID 0: the media that follows is not read.
        QTTrack track;
        EXPECT_EQ(E_FAIL, Parse(track, Track(0, 2997, Minf({QTTrackKind::Video}))));
        EXPECT_EQ(QTTrackKind::None, track.GetKind());
        EXPECT_EQ(0u, track.GetMediaTimeScale());
    }
    {
        // A header cut before its duration.
        QTTrack track;
        EXPECT_EQ(E_FAIL, Parse(track, [](AtomBuilder& b) {
                      b.Begin(FourCC::Tkhd).U32(0).Zeros(8).U32(5).Zeros(4).U16(0).End();
                  }));
        EXPECT_EQ(5u, track.GetTrackId());
    }
    {
        // A media header cut after its time scale keeps the time scale; the
        // media information after it is not read.
        QTTrack track;
        EXPECT_EQ(E_FAIL, Parse(track, [](AtomBuilder& b) {
                      b.Begin(FourCC::Mdia).Begin(FourCC::Mdhd).U32(0).Zeros(8).U32(48000).End();
                      b.Begin(FourCC::Minf);
                      AddMediaHeader(b, QTTrackKind::Sound);
                      b.End().End();
                  }));
        EXPECT_EQ(48000u, track.GetMediaTimeScale());
        EXPECT_EQ(QTTrackKind::None, track.GetKind());
    }
}

TEST(QTTrack, EditListsAreSkipped)
{
    QTTrack track;
    EXPECT_EQ(S_OK, Parse(track, [](AtomBuilder& b) {
                  b.Begin(FourCC::Edts).Begin(FourCC::Elst).U32(0).U32(0).End().End();
                  Track(3, 600, Minf({QTTrackKind::Sound}))(b);
              }));
    EXPECT_EQ(3u, track.GetTrackId());
    EXPECT_TRUE(track.IsAudio());
}
