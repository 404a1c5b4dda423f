// A real movie cut at every byte of its movie atom and at points through its
// media data, and a few hundred mutations of its tables, each played through
// `qtgraph run`: every variant ends in a complete run, a refused connection or
// a stream error, never in a crash, a hang (qtgraph reports a run that stalls)
// or a leak (the sanitizer builds run this too). And `qtgraph extract` of a
// movie cut in its media data leaves no file behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <random>

#include "framework/CUnknown.h"
#include "platform/ProcAddress.h"
#include "quicktime/FourCC.h"
#include "tests/tools/QtGraphHarness.h"
#include "tools/ParserModule.h"

namespace
{
uint32_t Read32(const std::vector<BYTE>& b, size_t at)
{
    return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) | b[at + 3];
}

void Write32(std::vector<BYTE>& b, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<size_t>(i)] = static_cast<BYTE>(value >> (24 - 8 * i));
}

uint32_t TypeAt(const std::vector<BYTE>& b, size_t at)
{
    return MakeFourCC(b[at + 4], b[at + 5], b[at + 6], b[at + 7]);
}

// Adds delta to every "stco" entry in the atoms of [begin, end).
void MoveChunkOffsets(std::vector<BYTE>& b, size_t begin, size_t end, uint32_t delta)
{
    static const uint32_t kContainers[] = {FourCC::Moov, FourCC::Trak, FourCC::Mdia, FourCC::Minf, FourCC::Stbl};
    for (size_t at = begin; at + 8 <= end;)
    {
        const size_t size = Read32(b, at);
        ASSERT_TRUE(size >= 8 && at + size <= end);
        const uint32_t type = TypeAt(b, at);
        if (std::find(std::begin(kContainers), std::end(kContainers), type) != std::end(kContainers))
            MoveChunkOffsets(b, at + 8, at + size, delta);
        if (type == FourCC::Stco)
            for (uint32_t i = 0, n = Read32(b, at + 12); i < n; ++i)
                Write32(b, at + 16 + 4 * i, Read32(b, at + 16 + 4 * i) + delta);
        at += size;
    }
}

// The sample movie (ftyp, wide, mdat, moov) with its movie atom first, as a
// movie written for streaming has it, so that a cut through the media data
// keeps the tables.
std::vector<BYTE> MovieAtomFirst(const std::vector<BYTE>& file, size_t* moovSize)
{
    size_t mdat = 0, moov = 0, at = 0;
    for (; at + 8 <= file.size(); at += Read32(file, at))
    {
        if (TypeAt(file, at) == FourCC::Mdat)
            mdat = at;
        if (TypeAt(file, at) == FourCC::Moov)
            moov = at;
    }
    std::vector<BYTE> movie(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(mdat));
    movie.insert(movie.end(), file.begin() + static_cast<std::ptrdiff_t>(moov), file.end());
    *moovSize = file.size() - moov;
    MoveChunkOffsets(movie, mdat, movie.size(), static_cast<uint32_t>(*moovSize));
    movie.insert(movie.end(), file.begin() + static_cast<std::ptrdiff_t>(mdat),
                 file.begin() + static_cast<std::ptrdiff_t>(moov));
    return movie;
}

// samples/sample.mov so rearranged; empty when it cannot be read.
std::vector<BYTE> SampleMovieAtomFirst(size_t* moovSize)
{
    const std::string sample = ReadFile(SourcePath("samples/sample.mov"));
    return sample.empty() ? std::vector<BYTE>()
                          : MovieAtomFirst(std::vector<BYTE>(sample.begin(), sample.end()), moovSize);
}

// The filter module's own answer to whether any object of it is alive (its
// filters and pins are counted there, not in this program).
HRESULT ModuleCanUnloadNow()
{
    void* module = ::dlopen(DefaultModule().c_str(), RTLD_NOLOAD | RTLD_LAZY);
    if (!module)
        return S_OK; // not loaded: nothing of it alive
    const auto canUnloadNow = ProcAddressAs<HRESULT (*)()>(module, "DllCanUnloadNow");
    const HRESULT hr = canUnloadNow ? canUnloadNow() : E_FAIL;
    ::dlclose(module);
    return hr;
}

// Plays the bytes; true when the outcome is one of the three allowed.
void ExpectAnAllowedEnd(const std::vector<BYTE>& bytes, const std::string& what)
{
    const std::string path = WriteTempFile("cut_movie.mov", bytes);
    const LONG objects = CBaseObject::ObjectsActive();
    const QtGraphRun run = QtGraph({"run", "--no-hash", path});
    std::string err = run.err;
    std::transform(err.begin(), err.end(), err.begin(), [](unsigned char c) { return std::tolower(c); });
    const bool refused = err.find("cannot parse") != std::string::npos ||
                         err.find("cannot connect a sink") != std::string::npos;
    const bool streamError = err.find("run of ") != std::string::npos && err.find("0x8004022e") == std::string::npos;
    EXPECT_TRUE(run.status == 0 || (run.status == 1 && (refused || streamError))) << what << "\n" << run.err;
    // qtgraph's own check explains every refusal and every failed run.
    const QtGraphRun check = QtGraph({"check", path});
    EXPECT_EQ(run.status == 1 ? 2 : check.status, check.status) << what << "\n" << run.err << check.out;
    EXPECT_EQ(std::string::npos, run.err.find("recorded no reason")) << what << "\n" << run.err;
    EXPECT_EQ(CBaseObject::ObjectsActive(), objects) << what;
    EXPECT_EQ(S_OK, ModuleCanUnloadNow()) << what;
}
} // namespace

TEST(CutMovie, EveryCutAndMutationEndsCompleteRefusedOrInAStreamError)
{
    RegisterModuleOnce();
    size_t moovSize = 0;
    const std::vector<BYTE> movie = SampleMovieAtomFirst(&moovSize);
    ASSERT_FALSE(movie.empty());
    const size_t moovStart = 28; // after ftyp and wide

    const QtGraphRun whole = QtGraph({"run", "--no-hash", WriteTempFile("cut_movie.mov", movie)});
    ASSERT_EQ(whole.status, 0) << whole.err; // the rearranged movie plays whole

    for (size_t cut = moovStart; cut < moovStart + moovSize; ++cut)
        ExpectAnAllowedEnd(std::vector<BYTE>(movie.begin(), movie.begin() + static_cast<std::ptrdiff_t>(cut)),
                           "cut at " + std::to_string(cut));
    for (size_t cut = moovStart + moovSize; cut < movie.size(); cut += movie.size() / 40)
        ExpectAnAllowedEnd(std::vector<BYTE>(movie.begin(), movie.begin() + static_cast<std::ptrdiff_t>(cut)),
                           "cut at " + std::to_string(cut));

    std::mt19937 random(1206);
    for (int mutation = 0; mutation < 300; ++mutation)
    {
        std::vector<BYTE> mutated = movie;
        std::string what = "mutation " + std::to_string(mutation) + ":";
        for (int change = 0, changes = 1 + static_cast<int>(random() % 4); change < changes; ++change)
        {
            const size_t at = moovStart + random() % moovSize;
            const BYTE value = random() % 3 == 0 ? 0xFF : static_cast<BYTE>(random());
            mutated[at] = value;
            what += " " + std::to_string(at) + "=" + std::to_string(value);
        }
        ExpectAnAllowedEnd(mutated, what);
    }
}

TEST(CutMovie, ExtractOfAMovieCutInItsDataLeavesNoFile)
{
    RegisterModuleOnce();
    size_t moovSize = 0;
    const std::vector<BYTE> movie = SampleMovieAtomFirst(&moovSize);
    ASSERT_FALSE(movie.empty());
    const std::string folder = testing::TempDir() + "cut_extract";
    std::filesystem::remove_all(folder);
    const auto files = [&folder] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };

    const QtGraphRun whole = QtGraph({"extract", WriteTempFile("whole.mov", movie), folder});
    ASSERT_EQ(whole.status, 0) << whole.err;
    EXPECT_EQ(files(), (std::vector<std::string>{"whole.0.dv", "whole.1.aif", "whole.2.timecode.txt"}));

    // Cut two thirds into the media data: the run ends in a stream error.
    std::filesystem::remove_all(folder);
    const std::vector<BYTE> cut(movie.begin(), movie.end() - static_cast<std::ptrdiff_t>(movie.size() / 3));
    const QtGraphRun failed = QtGraph({"extract", WriteTempFile("cut.mov", cut), folder});
    EXPECT_EQ(failed.status, 1) << failed.err;
    EXPECT_NE(failed.err.find("extract of "), std::string::npos) << failed.err;
    EXPECT_EQ(files(), std::vector<std::string>{});
}
