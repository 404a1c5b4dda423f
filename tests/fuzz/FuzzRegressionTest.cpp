// Replays the inputs under tests/fuzz/regressions (each one once made the
// fuzz target fail) and the sample movie through the fuzz target, in the
// normal build and under its sanitizers.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace
{
std::filesystem::path SourceDir()
{
    const char* dir = std::getenv("QTP_SOURCE_DIR");
    return dir ? dir : ".";
}

void Replay(const std::filesystem::path& path)
{
    SCOPED_TRACE(path.string());
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << "cannot read " << path;
    const std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(0, LLVMFuzzerTestOneInput(bytes.data(), bytes.size()));
}
} // namespace

TEST(FuzzRegressions, EveryKeptInputRunsThroughTheTarget)
{
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(SourceDir() / "tests/fuzz/regressions"))
    {
        if (entry.is_regular_file() && entry.path().filename() != "README")
        {
            Replay(entry.path());
            ++count;
        }
    }
    Replay(SourceDir() / "samples/sample.mov");
    // The empty input and a lone atom header that claims more than there is.
    EXPECT_EQ(0, LLVMFuzzerTestOneInput(nullptr, 0));
    const uint8_t header[] = {0xFF, 0xFF, 0xFF, 0xFF, 'm', 'o', 'o', 'v'};
    EXPECT_EQ(0, LLVMFuzzerTestOneInput(header, sizeof header));
    RecordProperty("regressions", count);
}
