#include "tests/support/MovieAtoms.h"

#include "quicktime/FourCC.h"
#include "tests/support/TestByteSource.h"

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
    b.U32(12).Code(kAlis).U32(1).Zeros(drefSize - 28).End().End(); // self reference, then padding
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
    b.Begin(FourCC::Stbl);
    if (track.stbl.empty())
        b.Begin(FourCC::Stsd).U32(0).U32(0).End();
    b.Append(track.stbl).End();
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

std::vector<BYTE> VideoDescription(uint32_t format, uint16_t width, uint16_t height,
                                   const std::vector<BYTE>& extensions)
{
    AtomBuilder b;
    b.Begin(format).Zeros(6).U16(1);   // reserved, data reference index
    b.Zeros(16);                       // version, revision, vendor, temporal and spatial quality
    b.U16(width).U16(height);
    b.U32(0x00480000).U32(0x00480000); // 72 dpi
    b.U32(0).U16(1).Zeros(32);         // data size, frame count, compressor name
    b.U16(24).U16(0xFFFF);             // depth, color table ID
    return b.Append(extensions).End().Bytes();
}

std::vector<BYTE> PaspAtom(uint32_t hSpacing, uint32_t vSpacing)
{
    AtomBuilder b;
    return b.Begin(FourCC::Pasp).U32(hSpacing).U32(vSpacing).End().Bytes();
}

std::vector<BYTE> SoundDescription(const SoundLayout& sound)
{
    AtomBuilder b;
    b.Begin(sound.format).Zeros(6).U16(1);
    b.U16(sound.version).U16(0).U32(0); // revision, vendor
    b.U16(sound.channels).U16(sound.bits).U16(sound.compressionId).U16(0).U32(sound.rate);
    if (sound.version == 1)
        b.U32(1).U32(sound.bytesPerPacket).U32(sound.bytesPerPacket * sound.channels).U32(2);
    else if (sound.version == 2)
        b.U32(72).U64(0x40E7700000000000).U32(sound.v2Channels).U32(0x7F000000).U32(sound.v2Bits).Zeros(12);
    return b.Append(sound.extensions).End().Bytes();
}

std::vector<BYTE> WaveAtom(uint32_t wrapped, uint16_t littleEndian)
{
    AtomBuilder b;
    b.Begin(FourCC::Wave);
    b.Begin(FourCC::Frma).Code(wrapped).End();
    b.Begin(FourCC::Enda).U16(littleEndian).End();
    return b.U32(8).U32(0).End().Bytes(); // terminator atom
}

std::vector<BYTE> TimecodeDescription(uint32_t flags, uint32_t frameDuration, uint8_t frames)
{
    AtomBuilder b;
    b.Begin(FourCC::Tmcd).Zeros(6).U16(1).U32(0);
    b.U32(flags).U32(2997).U32(frameDuration).U8(frames).U8(0);
    return b.End().Bytes();
}

namespace
{
// An atom of version and flags, the entry count and each entry as write(entry) puts it.
template <typename Entries, typename Write>
void AddTable(AtomBuilder& b, uint32_t type, const Entries& entries, Write write)
{
    b.Begin(type).U32(0).U32(static_cast<uint32_t>(entries.size()));
    for (const auto& entry : entries)
        write(entry);
    b.End();
}
} // namespace

void AddStsd(AtomBuilder& b, const std::vector<BYTE>& description)
{
    b.Begin(FourCC::Stsd).U32(0).U32(1).Append(description).End();
}

void AddStts(AtomBuilder& b, const std::vector<std::pair<uint32_t, uint32_t>>& entries)
{
    AddTable(b, FourCC::Stts, entries, [&b](const auto& e) { b.U32(e.first).U32(e.second); });
}

void AddStsc(AtomBuilder& b, const std::vector<std::array<uint32_t, 3>>& entries)
{
    AddTable(b, FourCC::Stsc, entries, [&b](const auto& e) { b.U32(e[0]).U32(e[1]).U32(e[2]); });
}

void AddStsz(AtomBuilder& b, uint32_t sampleSize, const std::vector<uint32_t>& sizes, uint32_t count)
{
    b.Begin(FourCC::Stsz).U32(0).U32(sampleSize).U32(count ? count : static_cast<uint32_t>(sizes.size()));
    for (const uint32_t size : sizes)
        b.U32(size);
    b.End();
}

void AddStco(AtomBuilder& b, const std::vector<uint32_t>& offsets)
{
    AddTable(b, FourCC::Stco, offsets, [&b](uint32_t offset) { b.U32(offset); });
}

void AddCo64(AtomBuilder& b, const std::vector<uint64_t>& offsets)
{
    AddTable(b, FourCC::Co64, offsets, [&b](uint64_t offset) { b.U64(offset); });
}

std::vector<BYTE> StandardStbl(QTTrackKind kind, uint32_t firstOffset)
{
    struct Layout
    {
        std::vector<BYTE> description;
        uint32_t samples, duration, samplesPerChunk, sampleSize, chunks;
    };
    const Layout l = kind == QTTrackKind::Video   ? Layout{VideoDescription(FourCC::Dvc, 720, 480), 3, 100, 1, 120000, 3}
                     : kind == QTTrackKind::Sound ? Layout{SoundDescription({}), 4803, 1, 1601, 1, 3}
                                                  : Layout{TimecodeDescription(0, 100, 30), 1, 100, 1, 4, 1};
    std::vector<uint32_t> offsets;
    for (uint32_t i = 0; i < l.chunks; ++i)
        offsets.push_back(firstOffset + 120000 * i);
    AtomBuilder b;
    AddStsd(b, l.description);
    AddStts(b, {{l.samples, l.duration}});
    AddStsc(b, {{1, l.samplesPerChunk, 1}});
    AddStsz(b, l.sampleSize, {}, l.samples);
    AddStco(b, offsets);
    return b.Bytes();
}

TrackLayout WithDescription(QTTrackKind kind, uint32_t mediaTimeScale, const std::vector<BYTE>& description)
{
    return {kind, 1, mediaTimeScale, 28, Atoms([&](AtomBuilder& b) { AddStsd(b, description); })};
}

ParsedTrack::ParsedTrack(const TrackLayout& layout) : ParsedTrack(Atoms([&](AtomBuilder& b) { AddTrak(b, layout); }))
{
}

ParsedTrack::ParsedTrack(const std::vector<BYTE>& trak)
{
    CTestByteSource source(trak);
    QTParser reader(&source, 0, FourCC::Trak, trak.size());
    result = track.ParseTrak(reader);
}
