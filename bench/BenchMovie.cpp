#include "bench/BenchMovie.h"

#include <fstream>
#include <limits>
#include <stdexcept>

#include "quicktime/FourCC.h"
#include "tests/support/MovieAtoms.h"

namespace
{
constexpr uint32_t kQt = MakeFourCC('q', 't', ' ', ' ');
constexpr uint32_t kMhlr = MakeFourCC('m', 'h', 'l', 'r');
constexpr uint32_t kDhlr = MakeFourCC('d', 'h', 'l', 'r');
constexpr uint32_t kVide = MakeFourCC('v', 'i', 'd', 'e');
constexpr uint32_t kSoun = MakeFourCC('s', 'o', 'u', 'n');
constexpr uint32_t kAlis = MakeFourCC('a', 'l', 'i', 's');
constexpr uint32_t kDvcp = MakeFourCC('d', 'v', 'c', 'p');
constexpr uint32_t kTwos = MakeFourCC('t', 'w', 'o', 's');

constexpr uint32_t kMovieTimeScale = 600;
constexpr uint32_t kVideoTimeScale = 2500; // 25 frames per second
constexpr uint32_t kFrameDuration = 100;   // video time scale units
constexpr uint32_t kFramesPerSoundChunk = 25;
constexpr uint32_t kBytesPerSoundSample = 2; // mono, 16-bit

// Where the media data lies and how it is cut.
struct MediaLayout
{
    std::vector<uint32_t> frameSizes;
    std::vector<uint32_t> frameOffsets;
    std::vector<uint32_t> soundOffsets;
    uint64_t bytes = 0;
};

// Frame sizes between 1,000 and 3,000 bytes from a fixed pseudo-random sequence.
MediaLayout LayOutMedia(const BenchMovieLayout& layout, uint64_t start)
{
    MediaLayout media;
    media.frameSizes.reserve(layout.videoFrames);
    media.frameOffsets.reserve(layout.videoFrames);
    const uint64_t soundChunkBytes = uint64_t{layout.soundRate} * kBytesPerSoundSample;
    uint32_t seed = 12345;
    uint64_t offset = start;
    for (uint32_t frame = 0; frame < layout.videoFrames; ++frame)
    {
        seed = seed * 1664525u + 1013904223u;
        const uint32_t size = 1000 + (seed >> 16) % 2001;
        if (offset + size + soundChunkBytes > std::numeric_limits<uint32_t>::max())
            throw std::length_error("bench movie: media data does not fit 32-bit chunk offsets");
        media.frameSizes.push_back(size);
        media.frameOffsets.push_back(static_cast<uint32_t>(offset));
        offset += size;
        if (frame % kFramesPerSoundChunk == kFramesPerSoundChunk - 1)
        {
            media.soundOffsets.push_back(static_cast<uint32_t>(offset));
            offset += soundChunkBytes;
        }
    }
    media.bytes = offset - start;
    return media;
}

void AddHdlr(AtomBuilder& b, uint32_t componentType, uint32_t componentSubtype)
{
    b.Begin(FourCC::Hdlr).U32(0).Code(componentType).Code(componentSubtype);
    b.Zeros(12).U8(0).End(); // manufacturer, flags, flags mask; empty name
}

void AddVideoDescription(AtomBuilder& b)
{
    b.Begin(FourCC::Stsd).U32(0).U32(1);
    b.Begin(kDvcp).Zeros(6).U16(1);                 // reserved, data reference index
    b.U16(0).U16(0).U32(0).U32(0).U32(0);           // version, revision, vendor, temporal and spatial quality
    b.U16(720).U16(576);                            // width, height
    b.U32(0x00480000).U32(0x00480000).U32(0).U16(1); // resolution 72 dpi, data size, frames per sample
    b.Zeros(32).U16(24).U16(0xFFFF);                // compressor name, depth, no colour table
    b.End().End();
}

void AddSoundDescription(AtomBuilder& b, uint32_t rate)
{
    b.Begin(FourCC::Stsd).U32(0).U32(1);
    b.Begin(kTwos).Zeros(6).U16(1);             // reserved, data reference index
    b.U16(0).U16(0).U32(0);                     // version, revision, vendor
    b.U16(1).U16(16).U16(0).U16(0).U32(rate << 16); // channels, bits, compression ID, packet size, 16.16 rate
    b.End().End();
}

// One-entry "stts" and "stsc", then "stsz" and "stco".
void AddTables(AtomBuilder& b, uint32_t sampleCount, uint32_t duration, uint32_t samplesPerChunk,
               uint32_t fixedSize, const std::vector<uint32_t>& sizes, const std::vector<uint32_t>& offsets)
{
    b.Begin(FourCC::Stts).U32(0).U32(1).U32(sampleCount).U32(duration).End();
    b.Begin(FourCC::Stsc).U32(0).U32(1).U32(1).U32(samplesPerChunk).U32(1).End();
    b.Begin(FourCC::Stsz).U32(0).U32(fixedSize).U32(sampleCount);
    for (uint32_t size : sizes)
        b.U32(size);
    b.End();
    b.Begin(FourCC::Stco).U32(0).U32(static_cast<uint32_t>(offsets.size()));
    for (uint32_t offset : offsets)
        b.U32(offset);
    b.End();
}

// tkhd, mdia (mdhd, hdlr, minf (media header, hdlr, dinf, stbl (stsd, tables))).
template <typename AddStbl>
void AddTrack(AtomBuilder& b, uint32_t trackId, QTTrackKind kind, uint32_t timeScale, AddStbl addStbl)
{
    b.Begin(FourCC::Trak);
    AddTkhd(b, trackId);
    b.Begin(FourCC::Mdia);
    AddMdhd(b, timeScale);
    AddHdlr(b, kMhlr, kind == QTTrackKind::Video ? kVide : kSoun);
    b.Begin(FourCC::Minf);
    AddMediaHeader(b, kind);
    AddHdlr(b, kDhlr, kAlis);
    AddDinf(b, 28);
    b.Begin(FourCC::Stbl);
    addStbl();
    b.End().End().End().End(); // stbl, minf, mdia, trak
}
} // namespace

BenchMovie MakeBenchMovie(const BenchMovieLayout& layout)
{
    BenchMovie movie;
    AtomBuilder head;
    head.Begin(FourCC::Ftyp).Code(kQt).U32(0x200).Code(kQt).End();
    const MediaLayout media = LayOutMedia(layout, head.Size() + 8);
    movie.mediaBytes = media.bytes;
    movie.head = head.Begin(FourCC::Mdat).EndWithSize(8 + media.bytes).Bytes();

    const uint32_t soundChunks = static_cast<uint32_t>(media.soundOffsets.size());
    AtomBuilder b;
    b.Begin(FourCC::Moov);
    AddMvhd(b, kMovieTimeScale, layout.videoFrames * (kMovieTimeScale / 25), 3);
    AddTrack(b, 1, QTTrackKind::Video, kVideoTimeScale, [&] {
        AddVideoDescription(b);
        AddTables(b, layout.videoFrames, kFrameDuration, 1, 0, media.frameSizes, media.frameOffsets);
    });
    AddTrack(b, 2, QTTrackKind::Sound, layout.soundRate, [&] {
        AddSoundDescription(b, layout.soundRate);
        AddTables(b, soundChunks * layout.soundRate, 1, layout.soundRate, kBytesPerSoundSample, {},
                  media.soundOffsets);
    });
    movie.moov = b.End().Bytes();
    return movie;
}

bool WriteBenchMovie(const std::string& path, const BenchMovie& movie)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(movie.head.data()), static_cast<std::streamsize>(movie.head.size()));
    // Seeking past the end leaves the media data as a hole in the file.
    out.seekp(static_cast<std::streamoff>(movie.head.size() + movie.mediaBytes));
    out.write(reinterpret_cast<const char*>(movie.moov.data()), static_cast<std::streamsize>(movie.moov.size()));
    out.close();
    return !out.fail();
}
