#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "quicktime/FileByteSource.h"
#include "quicktime/MemoryByteSource.h"

namespace
{
const std::vector<BYTE> kBytes = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};

// What every byte source promises: S_OK for a full read, S_FALSE with the
// bytes before the end filled for a short one, a failure for bad arguments.
void ExpectSourceContract(IByteSource& source)
{
    BYTE buffer[16];
    EXPECT_EQ(S_OK, source.ReadOffset(buffer, 2, 4));
    EXPECT_EQ(3, buffer[0]);
    EXPECT_EQ(6, buffer[3]);
    EXPECT_EQ(S_OK, source.ReadOffset(buffer, 0, 10));
    EXPECT_EQ(S_OK, source.ReadOffset(buffer, 10, 0));

    std::fill(std::begin(buffer), std::end(buffer), BYTE{0xEE});
    EXPECT_EQ(S_FALSE, source.ReadOffset(buffer, 8, 4));
    EXPECT_EQ(9, buffer[0]);
    EXPECT_EQ(10, buffer[1]);
    EXPECT_EQ(0xEE, buffer[2]); // nothing written past the end
    EXPECT_EQ(S_FALSE, source.ReadOffset(buffer, 10, 1));
    // 64-bit positions do not wrap: 2^32 + 1 is far past the end, not byte 1.
    EXPECT_EQ(S_FALSE, source.ReadOffset(buffer, (LONGLONG{1} << 32) + 1, 1));
    EXPECT_NE(S_OK, source.ReadOffset(buffer, INT64_MAX, 4));

    EXPECT_TRUE(FAILED(source.ReadOffset(buffer, -1, 4)));
    EXPECT_TRUE(FAILED(source.ReadOffset(buffer, 0, -1)));
}
} // namespace

TEST(ByteSource, MemorySourceKeepsTheContract)
{
    CMemoryByteSource source(kBytes);
    EXPECT_EQ(10, source.Size());
    ExpectSourceContract(source);
}

TEST(ByteSource, FileSourceKeepsTheContract)
{
    const std::string path = testing::TempDir() + "qtp_file_source_test.bin";
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(kBytes.data()), static_cast<std::streamsize>(kBytes.size()));
    }
    CFileByteSource source;
    BYTE buffer[4];
    EXPECT_TRUE(FAILED(source.ReadOffset(buffer, 0, 4))); // not open yet
    ASSERT_EQ(S_OK, source.Open(path));
    EXPECT_EQ(10, source.Size());
    ExpectSourceContract(source);
    std::remove(path.c_str());
}

TEST(ByteSource, FileSourceReportsAMissingFile)
{
    CFileByteSource source;
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), source.Open("/nonexistent/qtp/movie.mov"));
}
