// Writes the fuzzers' seed corpus:
//
//     qtp_fuzz_seeds [--media BYTES] OUTDIR [MOVIE...]
//
// Each movie given is copied without its media data (only the atoms other
// than "mdat" are kept: the parse reads nothing else, and small seeds keep the
// fuzzer fast); then a few movies made here with the atom builder are added.
// With --media, each "mdat" keeps its first BYTES bytes of media data in
// place (its size cut to match), so the graph's fuzzer streams real samples
// from the start of the movie and meets the end of the data further on.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/BenchMovie.h"
#include "quicktime/FourCC.h"
#include "quicktime/MemoryByteSource.h"
#include "quicktime/QTParser.h"
#include "tests/support/MovieAtoms.h"

namespace
{
std::vector<BYTE> ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteFile(const std::filesystem::path& path, const std::vector<BYTE>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

// The top-level atoms other than "mdat", in file order; an atom cut short by
// the end of the file is kept as far as it goes.
std::vector<BYTE> WithoutMediaData(const std::vector<BYTE>& movie, LONGLONG keepMedia)
{
    CMemoryByteSource source(movie);
    QTParser top(&source, 0, 0, 0);
    std::vector<BYTE> kept;
    LONGLONG size = 0, payload = 0;
    uint32_t name = 0;
    while (top.GetNextAtom(size, name, payload) > 0)
    {
        const auto start = static_cast<size_t>(top.GetAtomStart());
        const size_t end = start + static_cast<size_t>(std::min<LONGLONG>(size, source.Size() - top.GetAtomStart()));
        if (name != FourCC::Mdat)
        {
            kept.insert(kept.end(), movie.begin() + static_cast<std::ptrdiff_t>(start),
                        movie.begin() + static_cast<std::ptrdiff_t>(end));
        }
        else if (keepMedia > 0 && start + 8 <= end)
        {
            // A plain 32-bit header whatever the original had: the kept data
            // stays at its offsets only when the header keeps its length.
            const size_t header = (movie[start] == 0 && movie[start + 1] == 0 && movie[start + 2] == 0 &&
                                   movie[start + 3] == 1) ? 16 : 8;
            const size_t keptEnd = std::min(end, start + header + static_cast<size_t>(keepMedia));
            std::vector<BYTE> atom(movie.begin() + static_cast<std::ptrdiff_t>(start),
                                   movie.begin() + static_cast<std::ptrdiff_t>(keptEnd));
            const uint64_t size = atom.size();
            if (header == 16 && atom.size() >= 16)
                for (int i = 0; i < 8; ++i)
                    atom[8 + i] = static_cast<BYTE>(size >> (56 - 8 * i));
            else
                for (int i = 0; i < 4; ++i)
                    atom[i] = static_cast<BYTE>(size >> (24 - 8 * i));
            kept.insert(kept.end(), atom.begin(), atom.end());
        }
        (void)top.SkipRestOfAtom();
    }
    return kept;
}

// The benchmark's movie cut down to a few frames, without its media data.
std::vector<BYTE> SmallBenchMovie(uint32_t frames)
{
    BenchMovieLayout layout;
    layout.videoFrames = frames;
    return MakeBenchMovie(layout).moov;
}

struct BuiltSeed
{
    const char* name;
    std::vector<BYTE> bytes;
};

std::vector<BuiltSeed> BuiltSeeds()
{
    return {
        {"bench_60_frames", SmallBenchMovie(60)},
        {"bench_3_frames", SmallBenchMovie(3)},
        {"four_kinds", MakeMovie({{QTTrackKind::Video, 1, 2500},
                                  {QTTrackKind::Sound, 2, 48000},
                                  {QTTrackKind::Timecode, 3, 2500},
                                  {QTTrackKind::None, 4, 600}})},
        {"large_dref", MakeMovie({{QTTrackKind::Video, 1, 2997, 41}})},
    };
}
} // namespace

int main(int argc, char** argv)
{
    int first = 1;
    LONGLONG keepMedia = 0;
    if (argc > 2 && std::string(argv[1]) == "--media")
    {
        keepMedia = std::atoll(argv[2]);
        first = 3;
    }
    if (argc <= first)
    {
        std::fprintf(stderr, "usage: %s [--media BYTES] OUTDIR [MOVIE...]\n", argv[0]);
        return 2;
    }
    const std::filesystem::path outdir = argv[first];
    std::filesystem::create_directories(outdir);
    int written = 0;
    for (int i = first + 1; i < argc; ++i)
    {
        const std::filesystem::path movie = argv[i];
        const std::vector<BYTE> seed = WithoutMediaData(ReadFile(movie), keepMedia);
        if (!seed.empty() && WriteFile(outdir / movie.filename(), seed))
            ++written;
    }
    for (const BuiltSeed& seed : BuiltSeeds())
        if (WriteFile(outdir / (std::string(seed.name) + ".mov"), seed.bytes))
            ++written;
    std::printf("%d seeds in %s\n", written, outdir.string().c_str());
    return written > 0 ? 0 : 1;
}
