// Whole QuickTime structures for tests, written with AtomBuilder in the
// layout ffmpeg's QuickTime writer uses.
#pragma once

#include <cstdint>
#include <vector>

#include "quicktime/QTTrack.h"
#include "tests/support/AtomBuilder.h"

struct TrackSpec
{
    QTTrackKind kind = QTTrackKind::Video; // None writes a "gmhd" without "tmcd"
    uint32_t id = 1;
    uint32_t mediaTimeScale = 2997;
    uint32_t drefSize = 28; // total size of the data reference, header included (at least 16)
};

// "mvhd" with the given time scale (units per second), duration (time scale
// units) and next track ID.
void AddMvhd(AtomBuilder& b, uint32_t timeScale, uint32_t duration, uint32_t nextTrackId);
void AddTkhd(AtomBuilder& b, uint32_t trackId);
void AddMdhd(AtomBuilder& b, uint32_t timeScale);
// "dinf" holding one "dref" of the given total size.
void AddDinf(AtomBuilder& b, uint32_t drefSize);
// A media information header of the kind: "vmhd", "smhd", or "gmhd" with
// "gmin" and then "tmcd" (timecode) or "text" (none).
void AddMediaHeader(AtomBuilder& b, QTTrackKind kind);
// A complete "trak": tkhd, edts, mdia (mdhd, hdlr, minf (header, hdlr, dinf, stbl)).
void AddTrak(AtomBuilder& b, const TrackSpec& track);

// "ftyp", "wide", "mdat" (mdatSize payload bytes) and "moov" with "mvhd" and
// one "trak" per spec; next track ID = track count + 1.
std::vector<BYTE> MakeMovie(const std::vector<TrackSpec>& tracks, uint32_t timeScale = 1000,
                            uint32_t duration = 470, size_t mdatSize = 64);
