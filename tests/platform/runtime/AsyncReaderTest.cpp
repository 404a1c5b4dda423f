// The native IAsyncReader implementations, over memory, over a real file and
// in front of another reader with faults injected: full, short and invalid
// reads, lengths, concurrent readers, the queued request path, and the
// faults the injector adds when told.
#include <dshow.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "framework/Utf8.h"
#include "platform/runtime/FileAsyncReader.h"
#include "tests/support/FaultInjectingReader.h"
#include "tests/support/MemoryAsyncReader.h"
#include "tests/support/TempFile.h"

namespace {

const LONGLONG kUnits = 10000000; // sample times carry byte positions in these units

BYTE PatternByte(LONGLONG offset)
{
    return static_cast<BYTE>((offset * 131) ^ (offset >> 8));
}

std::vector<BYTE> Pattern(size_t size)
{
    std::vector<BYTE> data(size);
    for (size_t i = 0; i < size; ++i)
        data[i] = PatternByte(static_cast<LONGLONG>(i));
    return data;
}

// A fault-injecting reader over a memory reader of data; null on failure.
CFaultInjectingReader* MakeFaultInjecting(const std::vector<BYTE>& data)
{
    CMemoryAsyncReader* source = nullptr;
    CFaultInjectingReader* reader = nullptr;
    EXPECT_EQ(CMemoryAsyncReader::Create(data, &source), S_OK);
    if (source)
    {
        EXPECT_EQ(CFaultInjectingReader::Create(source, &reader), S_OK);
        source->Release(); // the fault injector keeps it alive
    }
    return reader;
}

// Makes a reader over the given bytes; each kind of reader must behave alike.
struct ReaderKind
{
    const char* name;
    std::function<CAsyncReaderBase*(const std::vector<BYTE>&, std::unique_ptr<TempFile>&)> make;
};

const ReaderKind kKinds[] = {
    {"Memory",
     [](const std::vector<BYTE>& data, std::unique_ptr<TempFile>&) -> CAsyncReaderBase* {
         CMemoryAsyncReader* reader = nullptr;
         EXPECT_EQ(CMemoryAsyncReader::Create(data, &reader), S_OK);
         return reader;
     }},
    {"File",
     [](const std::vector<BYTE>& data, std::unique_ptr<TempFile>& file) -> CAsyncReaderBase* {
         file = std::make_unique<TempFile>(data);
         CFileAsyncReader* reader = nullptr;
         EXPECT_EQ(CFileAsyncReader::Create(file->WidePath().c_str(), &reader), S_OK);
         return reader;
     }},
    // With no fault set it must pass everything through unchanged.
    {"FaultInjecting", [](const std::vector<BYTE>& data, std::unique_ptr<TempFile>&) -> CAsyncReaderBase* {
         return MakeFaultInjecting(data);
     }},
};

class AsyncReaderTest : public testing::TestWithParam<ReaderKind>
{
protected:
    void Open(size_t size)
    {
        m_data = Pattern(size);
        m_reader = GetParam().make(m_data, m_file);
        ASSERT_NE(m_reader, nullptr);
    }
    void TearDown() override
    {
        if (m_reader)
        {
            EXPECT_EQ(m_reader->Release(), 0u);
        }
    }

    std::vector<BYTE> m_data;
    std::unique_ptr<TempFile> m_file;
    CAsyncReaderBase* m_reader = nullptr;
};

TEST_P(AsyncReaderTest, ReadsAtAndPastTheEndGiveShortReadsWithTheAvailableBytes)
{
    Open(1000);
    LONGLONG total = 0, available = 0;
    EXPECT_EQ(m_reader->Length(&total, &available), S_OK);
    EXPECT_EQ(total, 1000);
    EXPECT_EQ(available, 1000);

    std::vector<BYTE> buffer(64, 0xEE);
    EXPECT_EQ(m_reader->SyncRead(936, 64, buffer.data()), S_OK) << "ending exactly at the end is a full read";
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), m_data.begin() + 936));

    std::fill(buffer.begin(), buffer.end(), 0xEE);
    EXPECT_EQ(m_reader->SyncRead(980, 64, buffer.data()), S_FALSE);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 20, m_data.begin() + 980));
    EXPECT_EQ(buffer[20], 0xEE) << "nothing is written beyond the available bytes";
    EXPECT_EQ(m_reader->SyncRead(0x7FFFFFFFFFFFFF00LL, 64, buffer.data()), S_FALSE);
    EXPECT_EQ(m_reader->SyncRead(1000, 0, buffer.data()), S_OK);

    EXPECT_EQ(m_reader->SyncRead(-1, 4, buffer.data()), E_INVALIDARG);
    EXPECT_EQ(m_reader->SyncRead(0, 4, nullptr), E_POINTER);
}

TEST_P(AsyncReaderTest, SeveralThreadsReadAtOnceAndEachGetsItsOwnBytes)
{
    Open(1 << 16);
    std::vector<std::thread> threads;
    std::vector<int> mismatches(4, 0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([this, t, &mismatches] {
            unsigned seed = static_cast<unsigned>(t + 1);
            BYTE buffer[257];
            for (int i = 0; i < 500; ++i)
            {
                seed = seed * 1103515245u + 12345u;
                const LONGLONG position = static_cast<LONGLONG>(seed % (1 << 16));
                const LONG length = static_cast<LONG>((seed >> 16) % sizeof buffer);
                const HRESULT hr = m_reader->SyncRead(position, length, buffer);
                const LONGLONG expected = std::min<LONGLONG>(length, (1 << 16) - position);
                if (hr != (expected == length ? S_OK : S_FALSE))
                    ++mismatches[t];
                for (LONGLONG k = 0; k < expected; ++k)
                    if (buffer[k] != PatternByte(position + k))
                    {
                        ++mismatches[t];
                        break;
                    }
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

TEST_P(AsyncReaderTest, RequestsCompleteThroughWaitForNextAndFlushingRefusesThem)
{
    Open(1000);
    ALLOCATOR_PROPERTIES props{2, 100, 1, 0};
    IMemAllocator* allocator = nullptr;
    ASSERT_EQ(m_reader->RequestAllocator(nullptr, &props, &allocator), S_OK);
    EXPECT_EQ(props.cBuffers, 2);
    ASSERT_EQ(allocator->Commit(), S_OK);

    IMediaSample* sample = nullptr;
    ASSERT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, 0), S_OK);
    REFERENCE_TIME start = 950 * kUnits, stop = 1050 * kUnits;
    EXPECT_EQ(sample->SetTime(&start, &stop), S_OK);
    EXPECT_EQ(m_reader->Request(sample, 77), S_OK);
    sample->Release(); // the reader holds its own until WaitForNext hands it back

    IMediaSample* done = nullptr;
    DWORD_PTR user = 0;
    EXPECT_EQ(m_reader->WaitForNext(INFINITE, &done, &user), S_FALSE) << "the request ran past the end";
    ASSERT_EQ(done, sample);
    EXPECT_EQ(user, 77u);
    EXPECT_EQ(done->GetActualDataLength(), 50);
    BYTE* p = nullptr;
    (void)done->GetPointer(&p);
    EXPECT_TRUE(std::equal(p, p + 50, m_data.begin() + 950));

    start = 0;
    stop = 100 * kUnits;
    EXPECT_EQ(done->SetTime(&start, &stop), S_OK);
    EXPECT_EQ(m_reader->SyncReadAligned(done), S_OK);
    EXPECT_EQ(done->GetActualDataLength(), 100);
    stop = 101 * kUnits;
    EXPECT_EQ(done->SetTime(&start, &stop), S_OK);
    EXPECT_EQ(m_reader->SyncReadAligned(done), E_INVALIDARG) << "more than the sample holds";
    EXPECT_EQ(m_reader->WaitForNext(10, &done, &user), VFW_E_TIMEOUT);

    EXPECT_EQ(m_reader->BeginFlush(), S_OK);
    EXPECT_EQ(m_reader->Request(sample, 1), VFW_E_WRONG_STATE);
    EXPECT_EQ(m_reader->WaitForNext(INFINITE, &done, &user), VFW_E_WRONG_STATE);
    EXPECT_EQ(m_reader->EndFlush(), S_OK);
    sample->Release();

    // A request left queued is released with the reader.
    ASSERT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(sample->SetTime(&start, &stop), S_OK);
    EXPECT_EQ(m_reader->Request(sample, 2), S_OK);
    sample->Release();
    EXPECT_EQ(m_reader->Release(), 0u);
    m_reader = nullptr;
    EXPECT_EQ(allocator->Decommit(), S_OK);
    EXPECT_EQ(allocator->Release(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Readers, AsyncReaderTest, testing::ValuesIn(kKinds),
                         [](const testing::TestParamInfo<ReaderKind>& info) { return info.param.name; });

TEST(FileAsyncReader, MissingFileFailsWithTheWin32Error)
{
    CFileAsyncReader* reader = reinterpret_cast<CFileAsyncReader*>(1);
    EXPECT_EQ(CFileAsyncReader::Create(L"/nonexistent/qtp/movie.mov", &reader), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(reader, nullptr);
}

TEST(FileAsyncReader, ReadsBeyondFourGigabytes)
{
    char name[] = "/tmp/qtp-sparse-XXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    const off_t size = 0x140000000LL; // 5 GiB, sparse
    const off_t marker = 0x12345678ALL;
    const BYTE bytes[4] = {0xDE, 0xAD, 0xBE, 0xEF};
    const bool made = ftruncate(fd, size) == 0 && pwrite(fd, bytes, 4, marker) == 4;
    close(fd);
    if (!made)
    {
        std::remove(name);
        GTEST_SKIP() << "no room for a sparse file here";
    }
    CFileAsyncReader* reader = nullptr;
    ASSERT_EQ(CFileAsyncReader::Create(Utf8ToWide(name).c_str(), &reader), S_OK);
    LONGLONG total = 0, available = 0;
    EXPECT_EQ(reader->Length(&total, &available), S_OK);
    EXPECT_EQ(total, size);
    BYTE got[6] = {};
    EXPECT_EQ(reader->SyncRead(marker - 1, 6, got), S_OK);
    EXPECT_EQ(got[1], 0xDE);
    EXPECT_EQ(reader->SyncRead(size - 2, 6, got), S_FALSE);
    EXPECT_EQ(reader->Release(), 0u);
    std::remove(name);
}

// The file source's read-ahead must not change what any read returns: runs
// of small reads across the window's end, reads back into bytes read
// before, large and odd reads, reads into the end, and a file that grows or
// shrinks after it was opened. Rows run in order on one reader.
TEST(FileAsyncReader, ReadsGiveTheFileBytesWhateverTheOrderAndSize)
{
    constexpr LONGLONG kOpened = 700000; // bytes when opened: almost three windows
    struct Row
    {
        const char* what;
        LONGLONG position;
        LONG length;
        int reads;              // that many, each where the last ended
        off_t resize = -1;      // the file's new length before the row, if any
    };
    const Row rows[] = {
        {"a run of small reads across windows", 0, 1500, 400},
        {"back into bytes read before, overlapping", 1000, 3000, 1},
        {"a large read", 100000, 200000, 1},
        {"an odd offset and length", 123457, 17, 1},
        {"small reads running into the end", 699000, 700, 3},
        {"the file grew: reads still end where it ended", 699900, 200, 1, 800000},
        // Away from the window, which keeps the bytes it read as they were.
        {"the file shrank: its bytes past the new end are gone", 450000, 1000, 2, 400000},
        {"a run of small reads into the new end", 399000, 600, 3},
    };
    const std::vector<BYTE> data = Pattern(static_cast<size_t>(kOpened));
    TempFile file(data);
    CFileAsyncReader* reader = nullptr;
    ASSERT_EQ(CFileAsyncReader::Create(file.WidePath().c_str(), &reader), S_OK);
    LONGLONG present = kOpened;
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        if (row.resize >= 0)
        {
            ASSERT_EQ(truncate(file.path.c_str(), row.resize), 0);
            present = std::min<LONGLONG>(present, row.resize);
        }
        LONGLONG position = row.position;
        for (int i = 0; i < row.reads; ++i, position += row.length)
        {
            std::vector<BYTE> got(static_cast<size_t>(row.length) + 1, 0xEE);
            const LONG count = static_cast<LONG>(std::clamp<LONGLONG>(present - position, 0, row.length));
            EXPECT_EQ(reader->SyncRead(position, row.length, got.data()), count == row.length ? S_OK : S_FALSE)
                << "at " << position;
            EXPECT_TRUE(std::equal(got.begin(), got.begin() + count, data.begin() + position)) << "at " << position;
            EXPECT_EQ(got[static_cast<size_t>(count)], 0xEE) << "written past the bytes read, at " << position;
        }
    }
    EXPECT_EQ(reader->Release(), 0u);
}

TEST(FaultInjectingReader, CountsReadsFailsWhenToldAndCutsTheSource)
{
    const std::vector<BYTE> data = Pattern(100);
    CFaultInjectingReader* reader = MakeFaultInjecting(data);
    ASSERT_NE(reader, nullptr);
    BYTE buffer[32] = {};
    LONGLONG total = 0, available = 0;
    EXPECT_EQ(reader->Length(&total, &available), S_OK);
    EXPECT_EQ(reader->SyncRead(0, 0, buffer), S_OK);
    EXPECT_EQ(reader->ReadCount(), 1) << "length queries are not reads";

    // Every read after the given number fails, until told otherwise.
    reader->FailAfter(2, E_ABORT);
    EXPECT_EQ(reader->SyncRead(4, 4, buffer), S_OK);
    EXPECT_EQ(buffer[3], PatternByte(7));
    EXPECT_EQ(reader->SyncRead(8, 4, buffer), E_ABORT);
    EXPECT_EQ(reader->SyncRead(0, 1, buffer), E_ABORT);
    EXPECT_EQ(reader->ReadCount(), 4);
    reader->FailAfter(-1, E_FAIL);
    EXPECT_EQ(reader->SyncRead(0, 1, buffer), S_OK);

    // A cut source ends early while its total stays.
    reader->CutAt(40);
    EXPECT_EQ(reader->Length(&total, &available), S_OK);
    EXPECT_EQ(total, 100);
    EXPECT_EQ(available, 40);
    EXPECT_EQ(reader->SyncRead(20, 20, buffer), S_OK);
    EXPECT_EQ(reader->SyncRead(30, 20, buffer), S_FALSE);
    EXPECT_EQ(buffer[9], PatternByte(39));
    EXPECT_EQ(reader->Release(), 0u);
}

} // namespace
