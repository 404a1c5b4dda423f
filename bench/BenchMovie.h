// The benchmark's movie: a long PAL DV-style video track whose frames vary in
// size, one frame per chunk, and a PCM sound track with one chunk per second
// of video between the frames; "moov" after the media data, as ffmpeg writes
// it. The media data is never read by a parse, so the file is written sparse:
// a million frames take the disk space of the "moov" alone.
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
};

// Fails (std::length_error) when the media data would not fit 32-bit chunk offsets.
BenchMovie MakeBenchMovie(const BenchMovieLayout& layout);

// Writes the movie with its media data as a hole; false when the file cannot be written.
[[nodiscard]] bool WriteBenchMovie(const std::string& path, const BenchMovie& movie);
