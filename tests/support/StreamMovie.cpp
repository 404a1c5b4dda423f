#include "tests/support/StreamMovie.h"

#include "quicktime/FourCC.h"

namespace
{
BYTE ByteAt(uint64_t offset)
{
    return static_cast<BYTE>((offset * 131 + (offset >> 8) * 7 + 11) & 0xFF);
}

std::vector<BYTE> StandardDescription(QTTrackKind kind)
{
    switch (kind)
    {
    case QTTrackKind::Video: return VideoDescription(FourCC::Dvc, 720, 480);
    case QTTrackKind::Sound: return SoundDescription({});
    case QTTrackKind::Timecode: return TimecodeDescription(0, 100, 25);
    case QTTrackKind::None: break;
    }
    return {};
}

// Bytes one sound sample frame takes: channels x bytes per sample of the
// standard description.
constexpr uint32_t kSoundFrameBytes = 4;
} // namespace

std::vector<BYTE> StreamMovie::Data(size_t track, size_t i) const
{
    const StreamSample& s = samples.at(track).at(i);
    return std::vector<BYTE>(bytes.begin() + static_cast<std::ptrdiff_t>(s.offset),
                             bytes.begin() + static_cast<std::ptrdiff_t>(s.offset + s.size));
}

StreamMovie BuildStreamMovie(const std::vector<StreamTrack>& tracks, const std::vector<StreamChunk>& chunks,
                             uint32_t duration)
{
    AtomBuilder head;
    head.Begin(MakeFourCC('f', 't', 'y', 'p')).Code(MakeFourCC('q', 't', ' ', ' ')).U32(0x200).End();
    const uint64_t mdatStart = head.Size() + 8;

    StreamMovie movie;
    movie.samples.resize(tracks.size());
    std::vector<std::vector<uint32_t>> chunkOffsets(tracks.size());
    std::vector<std::vector<std::array<uint32_t, 3>>> stsc(tracks.size());
    std::vector<std::vector<uint32_t>> sizes(tracks.size());
    std::vector<uint32_t> sampleCounts(tracks.size(), 0);
    uint64_t offset = mdatStart;
    for (const StreamChunk& chunk : chunks)
    {
        const StreamTrack& track = tracks.at(chunk.track);
        chunkOffsets[chunk.track].push_back(static_cast<uint32_t>(offset));
        const uint32_t chunkNumber = static_cast<uint32_t>(chunkOffsets[chunk.track].size());
        if (track.kind == QTTrackKind::Sound)
        {
            const uint32_t frames = chunk.sizes.at(0);
            stsc[chunk.track].push_back({chunkNumber, frames, 1});
            movie.samples[chunk.track].push_back({offset, frames * kSoundFrameBytes});
            sampleCounts[chunk.track] += frames;
            offset += frames * kSoundFrameBytes;
            continue;
        }
        stsc[chunk.track].push_back({chunkNumber, static_cast<uint32_t>(chunk.sizes.size()), 1});
        for (uint32_t size : chunk.sizes)
        {
            movie.samples[chunk.track].push_back({offset, size});
            sizes[chunk.track].push_back(size);
            offset += size;
        }
    }

    std::vector<BYTE> data;
    for (uint64_t o = mdatStart; o < offset; ++o)
        data.push_back(ByteAt(o));
    for (size_t t = 0; t < tracks.size(); ++t)
    {
        if (tracks[t].kind != QTTrackKind::Timecode || movie.samples[t].empty() || movie.samples[t][0].size < 4)
            continue;
        const uint64_t at = movie.samples[t][0].offset - mdatStart; // the start value, big-endian
        for (int i = 0; i < 4; ++i)
            data[at + i] = static_cast<BYTE>(movie.timecodeValue >> (24 - 8 * i));
    }
    AtomBuilder b;
    b.Append(head.Bytes()).Begin(FourCC::Mdat).Append(data).End();

    std::vector<TrackLayout> layouts;
    for (size_t t = 0; t < tracks.size(); ++t)
    {
        const StreamTrack& track = tracks[t];
        AtomBuilder stbl;
        AddStsd(stbl, track.description.empty() ? StandardDescription(track.kind) : track.description);
        const bool sound = track.kind == QTTrackKind::Sound;
        const uint32_t count = sound ? sampleCounts[t] : static_cast<uint32_t>(sizes[t].size());
        AddStts(stbl, {{count, 1}});
        AddStsc(stbl, stsc[t]);
        if (sound)
            AddStsz(stbl, 1, {}, count);
        else if (track.kind == QTTrackKind::Timecode && !sizes[t].empty())
            AddStsz(stbl, sizes[t][0], {}, count); // one fixed size, as timecode tracks are written
        else
            AddStsz(stbl, 0, sizes[t]);
        AddStco(stbl, chunkOffsets[t]);
        layouts.push_back({track.kind, track.id, track.mediaTimeScale, 28, stbl.Bytes()});
    }
    b.Append(MakeMoov(layouts, 600, duration));
    movie.bytes = b.Bytes();
    return movie;
}
