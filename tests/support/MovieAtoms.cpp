#include "tests/support/MovieAtoms.h"

#include "quicktime/FourCC.h"

namespace
{
constexpr uint32_t kQt = MakeFourCC('q', 't', ' ', ' ');
constexpr uint32_t kAlis = MakeFourCC('a', 'l', 'i', 's');
} // namespace

void AddMvhd(AtomBuilder& b, uint32_t timeScale, uint32_t duration, uint32_t nextTrackId)
{
    b.Begin(FourCC::Mvhd).U32(0).Zeros(8).U32(timeScale).U32(duration);
    b.U32(0x00010000).U16(0x0100).Zeros(10); // rate, volume, reserved
    b.Zeros(36 + 24);                         // matrix; preview, poster, selection and current times
    b.U32(nextTrackId).End();
}

void AddTkhd(AtomBuilder& b, uint32_t trackId)
{
    b.Begin(FourCC::Tkhd).U32(0xF).Zeros(8).U32(trackId).Zeros(4).U32(470).Zeros(60).End();
}

void AddMdhd(AtomBuilder& b, uint32_t timeScale)
{
    b.Begin(FourCC::Mdhd).U32(0).Zeros(8).U32(timeScale).U32(1409).U32(0).End();
}

void AddDinf(AtomBuilder& b, uint32_t drefSize)
{
    b.Begin(FourCC::Dinf).Begin(FourCC::Dref).U32(0).U32(1);
    if (drefSize >= 28)
        b.U32(12).Code(kAlis).U32(1).Zeros(drefSize - 28); // self reference, then padding
    else
        b.Zeros(drefSize - 16);
    b.End().End();
}

void AddMediaHeader(AtomBuilder& b, QTTrackKind kind)
{
    if (kind == QTTrackKind::Video)
        b.Begin(FourCC::Vmhd).U32(1).Zeros(8).End();
    else if (kind == QTTrackKind::Sound)
        b.Begin(FourCC::Smhd).Zeros(8).End();
    else
        b.Begin(FourCC::Gmhd)
            .Begin(FourCC::Gmin).Zeros(16).End()
            .Begin(kind == QTTrackKind::Timecode ? FourCC::Tmcd : FourCC::Text).Zeros(16).End()
            .End();
}

void AddTrak(AtomBuilder& b, const TrackLayout& track)
{
    b.Begin(FourCC::Trak);
    AddTkhd(b, track.id);
    b.Begin(FourCC::Edts).Begin(FourCC::Elst).U32(0).U32(1).U32(470).U32(0).U32(0x00010000).End().End();
    b.Begin(FourCC::Mdia);
    AddMdhd(b, track.mediaTimeScale);
    b.Begin(FourCC::Hdlr).Zeros(25).End();
    b.Begin(FourCC::Minf);
    AddMediaHeader(b, track.kind);
    b.Begin(FourCC::Hdlr).Zeros(25).End();
    AddDinf(b, track.drefSize);
    b.Begin(FourCC::Stbl).Begin(FourCC::Stsd).U32(0).U32(0).End().End();
    b.End().End().End(); // minf, mdia, trak
}

std::vector<BYTE> MakeMoov(const std::vector<TrackLayout>& tracks, uint32_t timeScale, uint32_t duration,
                           uint32_t nextTrackId)
{
    AtomBuilder b;
    b.Begin(FourCC::Moov);
    AddMvhd(b, timeScale, duration, nextTrackId ? nextTrackId : static_cast<uint32_t>(tracks.size() + 1));
    for (const TrackLayout& track : tracks)
        AddTrak(b, track);
    return b.End().Bytes();
}

std::vector<BYTE> MakeMovie(const std::vector<TrackLayout>& tracks, uint32_t timeScale, uint32_t duration)
{
    AtomBuilder b;
    b.Begin(FourCC::Ftyp).Code(kQt).U32(0x200).Code(kQt).End();
    b.Empty(FourCC::Wide);
    b.Begin(FourCC::Mdat).Zeros(64).End();
    return b.Append(MakeMoov(tracks, timeScale, duration)).Bytes();
}
