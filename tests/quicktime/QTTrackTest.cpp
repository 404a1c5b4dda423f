#include <gtest/gtest.h>

#include "quicktime/FourCC.h"
#include "quicktime/QTTrack.h"
#include "tests/support/MovieAtoms.h"

namespace
{
// A "trak": tkhd (ID 7), mdia (mdhd (time scale 2997), minf (the media
// headers, dinf, stbl as ffmpeg writes it for the last header's kind)).
std::vector<BYTE> Trak(const std::vector<QTTrackKind>& headers)
{
    AtomBuilder b;
    b.Begin(FourCC::Trak);
    AddTkhd(b, 7);
    b.Begin(FourCC::Mdia);
    AddMdhd(b, 2997);
    b.Begin(FourCC::Minf);
    for (QTTrackKind kind : headers)
        AddMediaHeader(b, kind);
    AddDinf(b, 28);
    b.Begin(FourCC::Stbl).Append(StandardStbl(headers.empty() ? QTTrackKind::None : headers.back())).End();
    return b.End().End().End().Bytes();
}

std::vector<BYTE> Trak(const TrackLayout& layout)
{
    return Atoms([&](AtomBuilder& b) { AddTrak(b, layout); });
}
} // namespace

TEST(QTTrack, KindComesFromTheLastMediaInformationHeader)
{
    using K = QTTrackKind;
    const std::pair<std::vector<K>, K> cases[] = {
        {{K::Video}, K::Video}, {{K::Sound}, K::Sound}, {{K::Timecode}, K::Timecode},
        {{K::None}, K::None}, // "gmhd" holding "gmin" and "text"
        {{K::Video, K::Sound}, K::Sound}, {{K::Sound, K::Video}, K::Video}, {{}, K::None},
    };
    for (const auto& [headers, kind] : cases)
    {
        SCOPED_TRACE(static_cast<int>(kind));
        ParsedTrack p(Trak(headers));
        EXPECT_EQ(S_OK, p.result);
        EXPECT_EQ(kind, p.track.GetKind());
        EXPECT_EQ(7u, p.track.GetTrackId());
        EXPECT_EQ(2997u, p.track.GetMediaTimeScale());
    }
}

TEST(QTTrack, FailuresStopTheWalkAndKeepWhatWasRead)
{
    struct Case
    {
        std::vector<BYTE> trak;
        HRESULT result;
        uint32_t trackId, timeScale;
        QTTrackKind kind;
        LONG chunks; // read from "stbl"
    };
    const Case cases[] = {
        // A data reference larger than a self-reference names media elsewhere:
        // the sample table after it is not read.
        {Trak({QTTrackKind::Video, 1, 2500, 40, StandardStbl(QTTrackKind::Video)}), S_OK, 1, 2500, QTTrackKind::Video, 3},
        {Trak({QTTrackKind::Video, 1, 2500, 41, StandardStbl(QTTrackKind::Video)}), E_FAIL, 1, 2500, QTTrackKind::Video, 0},
        // Track ID 0: the media that follows is not read.
        {Trak({QTTrackKind::Video, 0, 2997}), E_FAIL, 0, 0, QTTrackKind::None, 0},
        // A track header cut before its duration.
        {Atoms([](AtomBuilder& b) {
             b.Begin(FourCC::Trak).Begin(FourCC::Tkhd).U32(0).Zeros(8).U32(5).Zeros(4).U16(0).End().End();
         }),
         E_FAIL, 5, 0, QTTrackKind::None, 0},
        // A media header cut after its time scale keeps it; the media
        // information after it is not read.
        {Atoms([](AtomBuilder& b) {
             b.Begin(FourCC::Trak).Begin(FourCC::Mdia).Begin(FourCC::Mdhd).U32(0).Zeros(8).U32(48000).End();
             b.Begin(FourCC::Minf);
             AddMediaHeader(b, QTTrackKind::Sound);
             b.End().End().End();
         }),
         E_FAIL, 0, 48000, QTTrackKind::None, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(&c - cases);
        ParsedTrack p(c.trak);
        EXPECT_EQ(c.result, p.result);
        EXPECT_EQ(c.trackId, p.track.GetTrackId());
        EXPECT_EQ(c.timeScale, p.track.GetMediaTimeScale());
        EXPECT_EQ(c.kind, p.track.GetKind());
        EXPECT_EQ(c.chunks, p.track.GetSampleTables().chunkCount);
    }
}
