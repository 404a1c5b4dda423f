// Whole QuickTime structures for tests, written with AtomBuilder in the
// layout ffmpeg's QuickTime writer uses.
#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "quicktime/QTTrack.h"
#include "tests/support/AtomBuilder.h"

struct TrackLayout
{
    QTTrackKind kind = QTTrackKind::Video; // None writes a "gmhd" without "tmcd"
    uint32_t id = 1;
    uint32_t mediaTimeScale = 2997;
    uint32_t drefSize = 28; // total size of the data reference, header included (at least 28)
    // The children of "stbl"; empty writes an "stsd" without entries.
    std::vector<BYTE> stbl = {};
};

// Sample descriptions (one "stsd" entry each, size field included).
// Video: the 86-byte fixed part, then the extension atoms.
std::vector<BYTE> VideoDescription(uint32_t format, uint16_t width, uint16_t height,
                                   const std::vector<BYTE>& extensions = {});
std::vector<BYTE> PaspAtom(uint32_t hSpacing, uint32_t vSpacing);
struct SoundLayout
{
    uint32_t format = MakeFourCC('t', 'w', 'o', 's');
    uint16_t version = 0;
    uint16_t channels = 2;
    uint16_t bits = 16;
    uint16_t compressionId = 0;
    uint32_t rate = 48000 << 16; // unsigned 16.16
    uint32_t bytesPerPacket = 0; // version 1
    std::vector<BYTE> extensions = {};
    uint32_t v2Channels = 2; // version 2
    uint32_t v2Bits = 16;    // version 2
};
std::vector<BYTE> SoundDescription(const SoundLayout& sound);
// "wave" holding "frma" (wrapped format), "enda" (flag) and a terminator, as
// ffmpeg writes it for "in24" and "in32".
std::vector<BYTE> WaveAtom(uint32_t wrapped, uint16_t littleEndian);
std::vector<BYTE> TimecodeDescription(uint32_t flags, uint32_t frameDuration, uint8_t frames);

// Sample table atoms.
void AddStsd(AtomBuilder& b, const std::vector<BYTE>& description);
void AddStts(AtomBuilder& b, const std::vector<std::pair<uint32_t, uint32_t>>& entries);
// (first chunk, samples per chunk, description ID) triples.
void AddStsc(AtomBuilder& b, const std::vector<std::array<uint32_t, 3>>& entries);
// A size table follows when sizes is not empty; count 0 means sizes.size().
void AddStsz(AtomBuilder& b, uint32_t sampleSize, const std::vector<uint32_t>& sizes, uint32_t count = 0);
void AddStco(AtomBuilder& b, const std::vector<uint32_t>& offsets);
void AddCo64(AtomBuilder& b, const std::vector<uint64_t>& offsets);
// A complete sample table as ffmpeg writes it for the kind: DV 25 NTSC video
// ('dvc ', 720x480, 3 frames of 120000 bytes, one per chunk), stereo 16-bit
// 'twos' sound (3 chunks of 1601 samples), a timecode sample. Chunks at
// firstOffset, 120000 bytes apart.
std::vector<BYTE> StandardStbl(QTTrackKind kind, uint32_t firstOffset = 48);

// A track (ID 1) whose "stbl" holds only an "stsd" with the description.
TrackLayout WithDescription(QTTrackKind kind, uint32_t mediaTimeScale, const std::vector<BYTE>& description);

// A "trak" built from the layout, or given whole, parsed on its own.
struct ParsedTrack
{
    explicit ParsedTrack(const TrackLayout& layout);
    explicit ParsedTrack(const std::vector<BYTE>& trak);
    QTTrack track;
    HRESULT result;
};

// "mvhd" with the time scale (units per second), duration (time scale units)
// and next track ID.
void AddMvhd(AtomBuilder& b, uint32_t timeScale, uint32_t duration, uint32_t nextTrackId);
void AddTkhd(AtomBuilder& b, uint32_t trackId);
void AddMdhd(AtomBuilder& b, uint32_t timeScale);
// "dinf" holding one "dref" of the given total size.
void AddDinf(AtomBuilder& b, uint32_t drefSize);
// "vmhd", "smhd", or "gmhd" with "gmin" and then "tmcd" (timecode) or "text" (none).
void AddMediaHeader(AtomBuilder& b, QTTrackKind kind);
// tkhd, edts, mdia (mdhd, hdlr, minf (media header, hdlr, dinf, stbl)).
void AddTrak(AtomBuilder& b, const TrackLayout& track);
// "moov" with "mvhd" (next track ID = nextTrackId, or track count + 1 when 0)
// and one "trak" per layout.
std::vector<BYTE> MakeMoov(const std::vector<TrackLayout>& tracks, uint32_t timeScale = 1000, uint32_t duration = 470,
                           uint32_t nextTrackId = 0);
// "ftyp", "wide", "mdat" (64 payload bytes), then MakeMoov.
std::vector<BYTE> MakeMovie(const std::vector<TrackLayout>& tracks, uint32_t timeScale = 1000,
                            uint32_t duration = 470);
