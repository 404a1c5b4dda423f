// Track atoms shared by the benchmarks' movies: a "trak" as ffmpeg writes it
// but without an edit list, so that libavformat, which honours edit lists,
// returns every sample the tables hold.
#pragma once

#include <cstdint>

#include "quicktime/FourCC.h"
#include "tests/support/MovieAtoms.h"

inline void AddBenchHdlr(AtomBuilder& b, uint32_t componentType, uint32_t componentSubtype)
{
    b.Begin(FourCC::Hdlr).U32(0).Code(componentType).Code(componentSubtype);
    b.Zeros(12).U8(0).End(); // manufacturer, flags, flags mask; empty name
}

// tkhd, mdia (mdhd, hdlr, minf (media header, hdlr, dinf, stbl (stsd, tables))).
// addStbl writes the children of "stbl".
template <typename AddStbl>
void AddBenchTrack(AtomBuilder& b, uint32_t trackId, QTTrackKind kind, uint32_t timeScale, AddStbl addStbl)
{
    b.Begin(FourCC::Trak);
    AddTkhd(b, trackId);
    b.Begin(FourCC::Mdia);
    AddMdhd(b, timeScale);
    const uint32_t subtype = kind == QTTrackKind::Video ? MakeFourCC('v', 'i', 'd', 'e') : MakeFourCC('s', 'o', 'u', 'n');
    AddBenchHdlr(b, MakeFourCC('m', 'h', 'l', 'r'), subtype);
    b.Begin(FourCC::Minf);
    AddMediaHeader(b, kind);
    AddBenchHdlr(b, MakeFourCC('d', 'h', 'l', 'r'), MakeFourCC('a', 'l', 'i', 's'));
    AddDinf(b, 28);
    b.Begin(FourCC::Stbl);
    addStbl();
    b.End().End().End().End(); // stbl, minf, mdia, trak
}
