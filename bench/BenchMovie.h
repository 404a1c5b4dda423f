// The benchmark's movie: a long PAL DV-style video track whose frames vary in
// size, one frame per chunk, and a PCM sound track with one chunk per second
// of video between the frames; "moov" after the media data, as ffmpeg writes
// it. The media data is never read by a parse, so for the parse benchmark the
// file is written sparse: a million frames take the disk space of the "moov"
// alone. The pump benchmark reads it, and has it written for real.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct BenchMovieLayout
{
    uint32_t videoFrames = 1000000;
    uint32_t soundRate = 8000; // mono 16-bit samples per second
};

struct BenchMovie
{
    std::vector<BYTE> head;   // "ftyp" and the "mdat" header
    uint64_t mediaBytes = 0;  // "mdat" payload, not held in memory
    std::vector<BYTE> moov;

    uint64_t FileSize() const { return head.size() + mediaBytes + moov.size(); }
};

// Fails (std::length_error) when the media data would not fit 32-bit chunk offsets.
BenchMovie MakeBenchMovie(const BenchMovieLayout& layout);

enum class BenchMediaData
{
    Hole,    // nothing written: the file system reads zeros
    Written, // a pattern written out, taking its room on disk
};

// Writes the movie; false when the file cannot be written.
[[nodiscard]] bool WriteBenchMovie(const std::string& path, const BenchMovie& movie,
                                   BenchMediaData data = BenchMediaData::Hole);
