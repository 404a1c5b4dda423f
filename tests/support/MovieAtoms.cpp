#include "tests/support/MovieAtoms.h"

#include "quicktime/FourCC.h"

namespace
{
constexpr uint32_t kQt = MakeFourCC('q', 't', ' ', ' ');
constexpr uint32_t kMhlr = MakeFourCC('m', 'h', 'l', 'r');
constexpr uint32_t kDhlr = MakeFourCC('d', 'h', 'l', 'r');
constexpr uint32_t kAlis = MakeFourCC('a', 'l', 'i', 's');

uint32_t HandlerSubtype(QTTrackKind kind)
{
    switch (kind)
    {
    case QTTrackKind::Video: return MakeFourCC('v', 'i', 'd', 'e');
    case QTTrackKind::Sound: return MakeFourCC('s', 'o', 'u', 'n');
    case QTTrackKind::Timecode: return FourCC::Tmcd;
    case QTTrackKind::None: break;
    }
    return FourCC::Text;
}

void AddHdlr(AtomBuilder& b, uint32_t componentType, uint32_t subtype)
{
    b.Begin(FourCC::Hdlr).U32(0).Code(componentType).Code(subtype).Zeros(12).U8(0).End();
}
} // namespace

void AddMvhd(AtomBuilder& b, uint32_t timeScale, uint32_t duration, uint32_t nextTrackId)
{
    b.Begin(FourCC::Mvhd)
        .U32(0)     // version and flags
        .Zeros(8)   // creation and modification times
        .U32(timeScale)
        .U32(duration)
        .U32(0x00010000).U16(0x0100).Zeros(10) // rate, volume, reserved
        .Zeros(36)  // matrix
        .Zeros(24)  // preview, poster, selection and current times
        .U32(nextTrackId)
        .End();
}

void AddTkhd(AtomBuilder& b, uint32_t trackId)
{
    b.Begin(FourCC::Tkhd).U32(0xF).Zeros(8).U32(trackId).Zeros(4).U32(470).Zeros(60).End();
}

void AddMdhd(AtomBuilder& b, uint32_t timeScale)
{
    b.Begin(FourCC::Mdhd).U32(0).Zeros(8).U32(timeScale).U32(1409).U16(0).U16(0).End();
}

void AddDinf(AtomBuilder& b, uint32_t drefSize)
{
    b.Begin(FourCC::Dinf).Begin(FourCC::Dref).U32(0).U32(1);
    if (drefSize >= 28)
        b.U32(12).Code(kAlis).U32(1).Zeros(drefSize - 28); // self reference, then padding
    else if (drefSize > 16)
        b.Zeros(drefSize - 16);
    b.End().End();
}

void AddMediaHeader(AtomBuilder& b, QTTrackKind kind)
{
    switch (kind)
    {
    case QTTrackKind::Video:
        b.Begin(FourCC::Vmhd).U32(1).Zeros(8).End();
        break;
    case QTTrackKind::Sound:
        b.Begin(FourCC::Smhd).U32(0).Zeros(4).End();
        break;
    case QTTrackKind::Timecode:
    case QTTrackKind::None:
        b.Begin(FourCC::Gmhd);
        b.Begin(FourCC::Gmin).U32(0).U16(0x40).Zeros(10).End();
        b.Begin(kind == QTTrackKind::Timecode ? FourCC::Tmcd : FourCC::Text).Zeros(16).End();
        b.End();
        break;
    }
}

void AddTrak(AtomBuilder& b, const TrackSpec& track)
{
    b.Begin(FourCC::Trak);
    AddTkhd(b, track.id);
    b.Begin(FourCC::Edts).Begin(FourCC::Elst).U32(0).U32(1).U32(470).U32(0).U32(0x00010000).End().End();
    b.Begin(FourCC::Mdia);
    AddMdhd(b, track.mediaTimeScale);
    AddHdlr(b, kMhlr, HandlerSubtype(track.kind));
    b.Begin(FourCC::Minf);
    AddMediaHeader(b, track.kind);
    AddHdlr(b, kDhlr, kAlis);
    AddDinf(b, track.drefSize);
    b.Begin(FourCC::Stbl).Begin(FourCC::Stsd).U32(0).U32(0).End().End();
    b.End(); // minf
    b.End(); // mdia
    b.End(); // trak
}

std::vector<BYTE> MakeMovie(const std::vector<TrackSpec>& tracks, uint32_t timeScale, uint32_t duration,
                            size_t mdatSize)
{
    AtomBuilder b;
    b.Begin(FourCC::Ftyp).Code(kQt).U32(0x200).Code(kQt).End();
    b.Empty(FourCC::Wide);
    b.Begin(FourCC::Mdat).Zeros(mdatSize).End();
    b.Begin(FourCC::Moov);
    AddMvhd(b, timeScale, duration, static_cast<uint32_t>(tracks.size() + 1));
    for (const TrackSpec& track : tracks)
        AddTrak(b, track);
    b.End();
    return b.Bytes();
}
