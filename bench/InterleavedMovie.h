// An NTSC DV-style movie laid out as ffmpeg writes one at 29.97 frames per
// second with 48 kHz sound: video frames of one size, one per chunk, each
// followed by a chunk of stereo 16-bit 'twos' sound holding 1602, 1601,
// 1602, 1601 and 1602 samples in turn (8008 per five frames), so that the
// sound's sample-to-chunk table has an entry for four chunks in five. "moov"
// comes after the media data; offsets are 64-bit ("co64", extended "mdat")
// when the file passes 4 GiB.
#pragma once

#include <cstdint>

#include "bench/BenchMovie.h"

struct InterleavedLayout
{
    uint32_t frames = 0;
    uint32_t frameBytes = 120000; // a DV25 NTSC frame
};

// Sound bytes per five frames: 8008 samples of 4 bytes.
inline constexpr uint64_t kInterleavedSoundBytesPerFiveFrames = 8008 * 4;

// Write it with WriteBenchMovie.
BenchMovie MakeInterleavedMovie(const InterleavedLayout& layout);
