#include "bench/BenchMovie.h"

#include <fstream>
#include <limits>
#include <stdexcept>

#include "bench/BenchAtoms.h"
#include "bench/MediaBytes.h"

namespace
{
constexpr uint32_t kQt = MakeFourCC('q', 't', ' ', ' ');
constexpr uint32_t kDvcp = MakeFourCC('d', 'v', 'c', 'p');

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
    AddBenchTrack(b, 1, QTTrackKind::Video, kVideoTimeScale, [&] {
        AddStsd(b, VideoDescription(kDvcp, 720, 576));
        AddStts(b, {{layout.videoFrames, kFrameDuration}});
        AddStsc(b, {{1, 1, 1}});
        AddStsz(b, 0, media.frameSizes);
        AddStco(b, media.frameOffsets);
    });
    SoundLayout sound;
    sound.channels = 1;
    sound.rate = layout.soundRate << 16;
    AddBenchTrack(b, 2, QTTrackKind::Sound, layout.soundRate, [&] {
        AddStsd(b, SoundDescription(sound));
        AddStts(b, {{soundChunks * layout.soundRate, 1}});
        AddStsc(b, {{1, layout.soundRate, 1}});
        AddStsz(b, kBytesPerSoundSample, {}, soundChunks * layout.soundRate);
        AddStco(b, media.soundOffsets);
    });
    movie.moov = b.End().Bytes();
    return movie;
}

bool WriteBenchMovie(const std::string& path, const BenchMovie& movie, BenchMediaData data)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(movie.head.data()), static_cast<std::streamsize>(movie.head.size()));
    if (data == BenchMediaData::Written)
        (void)WriteMediaBytes(out, movie.mediaBytes); // a failure shows in the stream's state
    else // seeking past the end leaves the media data as a hole in the file
        out.seekp(static_cast<std::streamoff>(movie.head.size() + movie.mediaBytes));
    out.write(reinterpret_cast<const char*>(movie.moov.data()), static_cast<std::streamsize>(movie.moov.size()));
    out.close();
    return !out.fail();
}
