// The pump's reads of a movie file without the filter: the file parsed as
// the filter parses it, and QTChunkSchedule walked over every track up to the
// declared count (the benchmark connects every pin), video a read per frame,
// sound a read per chunk. The walk alone is what "qtgraph chunks" does
// before it prints; the list of reads is what the comparison loops read.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "quicktime/FileByteSource.h"
#include "quicktime/QTMovie.h"

struct ByteRange
{
    LONGLONG offset = 0;
    LONG size = 0;
};

struct WalkTotals
{
    LONGLONG reads = 0;
    LONGLONG bytes = 0;
};

class ParsedMovieFile
{
public:
    // Opens and parses path; the failing HRESULT otherwise.
    [[nodiscard]] HRESULT Open(const std::string& path);
    QTMovie& Movie() { return *m_movie; }

private:
    CFileByteSource m_source;
    std::unique_ptr<QTMovie> m_movie; // reads from m_source
};

// Walks the whole schedule, moving the tracks' positions as the pump does (a
// movie is walked once); appends each read to ranges unless it is null.
WalkTotals WalkSchedule(QTMovie& movie, std::vector<ByteRange>* ranges);
