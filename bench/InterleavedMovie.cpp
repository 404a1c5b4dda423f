#include "bench/InterleavedMovie.h"

#include <array>
#include <limits>

#include "bench/BenchAtoms.h"

namespace
{
constexpr uint32_t kQt = MakeFourCC('q', 't', ' ', ' ');
constexpr uint32_t kMovieTimeScale = 600;
constexpr uint32_t kVideoTimeScale = 30000;
constexpr uint32_t kFrameDuration = 1001; // 29.97 frames per second
constexpr uint32_t kSoundRate = 48000;
constexpr uint32_t kBytesPerSoundFrame = 4; // stereo, 16-bit
constexpr std::array<uint32_t, 5> kSoundSamples = {1602, 1601, 1602, 1601, 1602};

struct Chunks
{
    std::vector<uint64_t> video;
    std::vector<uint64_t> sound;
    uint64_t bytes = 0;      // media data, from the first chunk to the end of the last
    uint64_t soundSamples = 0;
};

Chunks LayOutChunks(const InterleavedLayout& layout, uint64_t start)
{
    Chunks chunks;
    chunks.video.reserve(layout.frames);
    chunks.sound.reserve(layout.frames);
    uint64_t offset = start;
    for (uint32_t frame = 0; frame < layout.frames; ++frame)
    {
        chunks.video.push_back(offset);
        offset += layout.frameBytes;
        chunks.sound.push_back(offset);
        const uint32_t samples = kSoundSamples[frame % kSoundSamples.size()];
        chunks.soundSamples += samples;
        offset += uint64_t{samples} * kBytesPerSoundFrame;
    }
    chunks.bytes = offset - start;
    return chunks;
}

// A sample-to-chunk entry wherever the count changes from the chunk before.
std::vector<std::array<uint32_t, 3>> SoundSampleToChunk(uint32_t chunks)
{
    std::vector<std::array<uint32_t, 3>> entries;
    for (uint32_t chunk = 0; chunk < chunks; ++chunk)
    {
        const uint32_t samples = kSoundSamples[chunk % kSoundSamples.size()];
        if (entries.empty() || entries.back()[1] != samples)
            entries.push_back({chunk + 1, samples, 1});
    }
    return entries;
}

void AddChunkOffsets(AtomBuilder& b, const std::vector<uint64_t>& offsets, bool wide)
{
    if (wide)
        return AddCo64(b, offsets);
    AddStco(b, std::vector<uint32_t>(offsets.begin(), offsets.end()));
}
} // namespace

BenchMovie MakeInterleavedMovie(const InterleavedLayout& layout)
{
    AtomBuilder head;
    head.Begin(FourCC::Ftyp).Code(kQt).U32(0x200).Code(kQt).End();
    // The layout depends on the "mdat" header's size, which depends on the
    // layout's length: measured with the short header first.
    const uint64_t fiveFrames = uint64_t{layout.frameBytes} * 5 + kInterleavedSoundBytesPerFiveFrames;
    const bool wide = head.Size() + 8 + (uint64_t{layout.frames} / 5 + 1) * fiveFrames >
                      std::numeric_limits<uint32_t>::max();
    const Chunks chunks = LayOutChunks(layout, head.Size() + (wide ? 16 : 8));

    BenchMovie movie;
    movie.mediaBytes = chunks.bytes;
    if (wide)
        head.BeginExtended(FourCC::Mdat).EndWithSize(16 + chunks.bytes);
    else
        head.Begin(FourCC::Mdat).EndWithSize(8 + chunks.bytes);
    movie.head = head.Bytes();

    AtomBuilder b;
    b.Begin(FourCC::Moov);
    const uint64_t duration = uint64_t{layout.frames} * kFrameDuration * kMovieTimeScale / kVideoTimeScale;
    AddMvhd(b, kMovieTimeScale, static_cast<uint32_t>(duration), 3);
    AddBenchTrack(b, 1, QTTrackKind::Video, kVideoTimeScale, [&] {
        AddStsd(b, VideoDescription(FourCC::Dvc, 720, 480));
        AddStts(b, {{layout.frames, kFrameDuration}});
        AddStsc(b, {{1, 1, 1}});
        AddStsz(b, layout.frameBytes, {}, layout.frames);
        AddChunkOffsets(b, chunks.video, wide);
    });
    SoundLayout sound; // stereo 16-bit 'twos' at 48 kHz
    AddBenchTrack(b, 2, QTTrackKind::Sound, kSoundRate, [&] {
        AddStsd(b, SoundDescription(sound));
        AddStts(b, {{static_cast<uint32_t>(chunks.soundSamples), 1}});
        AddStsc(b, SoundSampleToChunk(layout.frames));
        AddStsz(b, 1, {}, static_cast<uint32_t>(chunks.soundSamples));
        AddChunkOffsets(b, chunks.sound, wide);
    });
    movie.moov = b.End().Bytes();
    return movie;
}
