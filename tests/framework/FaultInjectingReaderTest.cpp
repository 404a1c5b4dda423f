// The fault-injecting reader used by tests of the filter: it must count every
// read that reaches it, fail exactly when told, and cut the source where told.
#include <dshow.h>

#include <gtest/gtest.h>
#include <vector>

#include "framework/posix/FaultInjectingReader.h"
#include "framework/posix/MemoryAsyncReader.h"

namespace {

class FaultInjectingReaderTest : public testing::Test
{
protected:
    void SetUp() override
    {
        std::vector<BYTE> data(100);
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = static_cast<BYTE>(i);
        CMemoryAsyncReader* source = nullptr;
        ASSERT_EQ(CMemoryAsyncReader::Create(data, &source), S_OK);
        ASSERT_EQ(CFaultInjectingReader::Create(source, &m_reader), S_OK);
        source->Release(); // the fault injector keeps it alive
    }
    void TearDown() override { EXPECT_EQ(m_reader->Release(), 0u); }

    CFaultInjectingReader* m_reader = nullptr;
    BYTE m_buffer[32] = {};
};

TEST_F(FaultInjectingReaderTest, CountsReadsButNotLengthQueries)
{
    LONGLONG total = 0, available = 0;
    EXPECT_EQ(m_reader->Length(&total, &available), S_OK);
    EXPECT_EQ(m_reader->ReadCount(), 0);
    EXPECT_EQ(m_reader->SyncRead(0, 10, m_buffer), S_OK);
    EXPECT_EQ(m_reader->SyncRead(95, 10, m_buffer), S_FALSE);
    EXPECT_EQ(m_reader->SyncRead(0, 0, m_buffer), S_OK);
    EXPECT_EQ(m_reader->ReadCount(), 3);
    EXPECT_EQ(m_buffer[4], 99);
}

TEST_F(FaultInjectingReaderTest, FailsEveryReadAfterTheGivenNumber)
{
    m_reader->FailAfter(2, E_ABORT);
    EXPECT_EQ(m_reader->SyncRead(0, 4, m_buffer), S_OK);
    EXPECT_EQ(m_reader->SyncRead(4, 4, m_buffer), S_OK);
    EXPECT_EQ(m_buffer[3], 7);
    EXPECT_EQ(m_reader->SyncRead(8, 4, m_buffer), E_ABORT);
    EXPECT_EQ(m_reader->SyncRead(0, 1, m_buffer), E_ABORT);
    EXPECT_EQ(m_reader->ReadCount(), 4);

    m_reader->FailAfter(0, HRESULT_FROM_WIN32(ERROR_READ_FAULT));
    EXPECT_EQ(m_reader->SyncRead(0, 1, m_buffer), HRESULT_FROM_WIN32(ERROR_READ_FAULT));
    m_reader->FailAfter(-1, E_FAIL);
    EXPECT_EQ(m_reader->SyncRead(0, 1, m_buffer), S_OK);
}

TEST_F(FaultInjectingReaderTest, CutSourceEndsEarlyWhileItsTotalStays)
{
    m_reader->CutAt(40);
    LONGLONG total = 0, available = 0;
    EXPECT_EQ(m_reader->Length(&total, &available), S_OK);
    EXPECT_EQ(total, 100);
    EXPECT_EQ(available, 40);
    EXPECT_EQ(m_reader->SyncRead(20, 20, m_buffer), S_OK);
    std::fill(std::begin(m_buffer), std::end(m_buffer), 0xEE);
    EXPECT_EQ(m_reader->SyncRead(30, 20, m_buffer), S_FALSE);
    EXPECT_EQ(m_buffer[9], 39);
    EXPECT_EQ(m_buffer[10], 0xEE);
    EXPECT_EQ(m_reader->SyncRead(40, 1, m_buffer), S_FALSE);
}

} // namespace
