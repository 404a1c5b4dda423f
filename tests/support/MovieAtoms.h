// Whole QuickTime structures for tests, written with AtomBuilder in the
// layout ffmpeg's QuickTime writer uses.
#pragma once

#include <cstdint>
#include <vector>

#include "quicktime/QTTrack.h"
#include "tests/support/AtomBuilder.h"

struct TrackLayout
{
    QTTrackKind kind = QTTrackKind::Video; // None writes a "gmhd" without "tmcd"
    uint32_t id = 1;
    uint32_t mediaTimeScale = 2997;
    uint32_t drefSize = 28; // total size of the data reference, header included (at least 16)
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
