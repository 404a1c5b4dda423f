#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "quicktime/FileByteSource.h"
#include "quicktime/MemoryByteSource.h"

namespace
{
const std::vector<BYTE> kBytes = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};

// What every byte source promises: S_OK for a full read, S_FALSE with the
// bytes before the end filled for a short one, a failure for bad arguments.
void ExpectSourceContract(IByteSource& source)
{
    BYTE buffer[4];
    EXPECT_EQ(S_OK, source.ReadOffset(buffer, 6, 4));
    EXPECT_EQ(7, buffer[0]);
    EXPECT_EQ(10, buffer[3]);
    EXPECT_EQ(S_OK, source.ReadOffset(buffer, 10, 0));
    std::fill(std::begin(buffer), std::end(buffer), BYTE{0xEE});
    EXPECT_EQ(S_FALSE, source.ReadOffset(buffer, 8, 4));
    EXPECT_EQ(9, buffer[0]);
    EXPECT_EQ(10, buffer[1]);
    EXPECT_EQ(0xEE, buffer[2]); // nothing written past the end
    // 64-bit positions do not wrap: 2^32 + 1 is far past the end, not byte 1.
    EXPECT_EQ(S_FALSE, source.ReadOffset(buffer, (LONGLONG{1} << 32) + 1, 1));
    EXPECT_NE(S_OK, source.ReadOffset(buffer, INT64_MAX, 4));
    EXPECT_TRUE(FAILED(source.ReadOffset(buffer, -1, 4)));
    EXPECT_TRUE(FAILED(source.ReadOffset(buffer, 0, -1)));
}
} // namespace

TEST(ByteSource, MemoryAndFileSourcesKeepTheContract)
{
    CMemoryByteSource memory(kBytes);
    ExpectSourceContract(memory);

    const std::string path = testing::TempDir() + "qtp_file_source_test.bin";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(kBytes.data()), 10);
    CFileByteSource file;
    BYTE buffer[4];
    EXPECT_TRUE(FAILED(file.ReadOffset(buffer, 0, 4))); // not open yet
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), file.Open("/nonexistent/qtp/movie.mov"));
    ASSERT_EQ(S_OK, file.Open(path));
    EXPECT_EQ(10, file.Size());
    ExpectSourceContract(file);
    std::remove(path.c_str());
}
