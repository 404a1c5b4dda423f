// Movies with real media data, for tests that stream: the tracks' chunks lie
// in one "mdat", in the order given, and every byte of the file has a value
// that depends on its offset, so a sample read from the wrong place or of the
// wrong length shows in its data.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/support/MovieAtoms.h"

struct StreamTrack
{
    QTTrackKind kind = QTTrackKind::Video;
    uint32_t id = 1;
    uint32_t mediaTimeScale = 2500;
    std::vector<BYTE> description; // empty: a standard one for the kind
    // Video: every sample's size goes into the size table. Sound: the fixed
    // size of one sample frame of all channels is the description's.
};

// One chunk in file order: video sample sizes, or { sample frames } for
// sound, or { 4 } for the timecode's one sample.
struct StreamChunk
{
    size_t track; // 0-based index into the tracks
    std::vector<uint32_t> sizes;
};

struct StreamSample
{
    uint64_t offset;
    uint32_t size;
};

struct StreamMovie
{
    std::vector<BYTE> bytes;
    // Per track, every sample (video) or chunk (sound) in stream order.
    std::vector<std::vector<StreamSample>> samples;
    uint32_t timecodeValue = 0x00015180; // stored big-endian in the timecode sample

    // The bytes of sample i of track t.
    std::vector<BYTE> Data(size_t track, size_t i) const;
};

// "ftyp", "mdat" with the chunks, then "moov" (time scale 600, the given
// duration). Sound is stereo 16-bit 'twos' at 48000 Hz unless described
// otherwise.
StreamMovie BuildStreamMovie(const std::vector<StreamTrack>& tracks, const std::vector<StreamChunk>& chunks,
                             uint32_t duration = 600);
