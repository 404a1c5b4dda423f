// Writes the fuzzer's seed corpus:
//
//     qtp_fuzz_seeds OUTDIR [MOVIE...]
//
// Each movie given is copied without its media data (only the atoms other
// than "mdat" are kept: the parse reads nothing else, and small seeds keep the
// fuzzer fast); then a few movies made here with the atom builder are added.
#include <cstdio>
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
std::vector<BYTE> WithoutMediaData(const std::vector<BYTE>& movie)
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
            kept.insert(kept.end(), movie.begin() + static_cast<std::ptrdiff_t>(start),
                        movie.begin() + static_cast<std::ptrdiff_t>(end));
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
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: %s OUTDIR [MOVIE...]\n", argv[0]);
        return 2;
    }
    const std::filesystem::path outdir = argv[1];
    std::filesystem::create_directories(outdir);
    int written = 0;
    for (int i = 2; i < argc; ++i)
    {
        const std::filesystem::path movie = argv[i];
        const std::vector<BYTE> seed = WithoutMediaData(ReadFile(movie));
        if (!seed.empty() && WriteFile(outdir / movie.filename(), seed))
            ++written;
    }
    for (const BuiltSeed& seed : BuiltSeeds())
        if (WriteFile(outdir / (std::string(seed.name) + ".mov"), seed.bytes))
            ++written;
    std::printf("%d seeds in %s\n", written, outdir.string().c_str());
    return written > 0 ? 0 : 1;
}
