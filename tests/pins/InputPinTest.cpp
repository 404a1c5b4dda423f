// The input pin's positioned read and length over the connected reader, and
// the pin lock that keeps reads from overlapping.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "diagnostics/MemoryJournal.h"
#include "tests/support/MemoryAsyncReader.h"
#include "tests/filter/ParserGraph.h"

namespace {

// A reader over memory that notes whether two reads ever run at once.
class COverlapReader : public CAsyncReaderBase
{
public:
    explicit COverlapReader(std::vector<BYTE> data)
    {
        (void)CMemoryAsyncReader::Create(std::move(data), m_memory.ReleaseAndGetAddressOf());
    }
    HRESULT ReadBytes(LONGLONG position, LONG length, BYTE* buffer, LONG* pRead) override
    {
        if (m_busy.exchange(true))
            overlapped = true;
        std::this_thread::sleep_for(std::chrono::microseconds(20)); // widens any overlap
        const HRESULT hr = m_memory->ReadBytes(position, length, buffer, pRead);
        m_busy = false;
        return hr;
    }
    void GetLength(LONGLONG* pTotal, LONGLONG* pAvailable) override { m_memory->GetLength(pTotal, pAvailable); }

    std::atomic<bool> overlapped{false};

private:
    ~COverlapReader() override = default;

    ComPtr<CMemoryAsyncReader> m_memory;
    std::atomic<bool> m_busy{false};
};

} // namespace

using InputPinTest = ParserGraphTest;

TEST_F(InputPinTest, ReadsPassThroughWhileConnectedAndStopAtTheEndOfTheSource)
{
    CMemoryJournal journal;
    CJournalScope scope(journal);
    BYTE buffer[16] = {};
    EXPECT_EQ(Input()->ReadOffset(buffer, 0, 8), E_UNEXPECTED);
    EXPECT_EQ(Input()->GetDuration(), 0);
    EXPECT_EQ(EntryPoints(journal.Records(), L"CInputPin::GetDuration").size(), 1u); // logged

    const std::vector<BYTE> bytes = TwoTrackMovie();
    const LONGLONG size = static_cast<LONGLONG>(bytes.size());
    CFaultInjectingReader* faults = nullptr;
    ASSERT_EQ(Connect(AddFaultySource(bytes, &faults)), S_OK);
    EXPECT_EQ(Input()->ReadOffset(buffer, size - 16, 16), S_OK);
    EXPECT_TRUE(std::equal(buffer, buffer + 16, bytes.end() - 16));
    std::fill(std::begin(buffer), std::end(buffer), BYTE{0});
    EXPECT_EQ(Input()->ReadOffset(buffer, size - 4, 16), S_FALSE);
    EXPECT_TRUE(std::equal(buffer, buffer + 4, bytes.end() - 4));
    EXPECT_EQ(Input()->ReadOffset(buffer, size, 1), S_FALSE);

    // Zero-length reads and failures reach the reader; the length is the
    // source's total, however much of it is available.
    const LONG reads = faults->ReadCount();
    EXPECT_EQ(Input()->ReadOffset(buffer, 0, 0), S_OK);
    EXPECT_EQ(faults->ReadCount(), reads + 1);
    faults->FailAfter(reads + 1, E_ABORT);
    EXPECT_EQ(Input()->ReadOffset(buffer, 0, 4), E_ABORT);
    faults->CutAt(size / 2);
    EXPECT_EQ(Input()->GetDuration(), size);

    ASSERT_EQ(m_graph->Disconnect(Input()), S_OK);
    EXPECT_EQ(Input()->ReadOffset(buffer, 0, 8), E_UNEXPECTED);
}

TEST_F(InputPinTest, ReadsFromTwoThreadsNeverOverlap)
{
    const std::vector<BYTE> bytes = TwoTrackMovie();
    COverlapReader* reader = new COverlapReader(bytes);
    CAsyncSourceFilter* source = nullptr;
    ASSERT_EQ(CAsyncSourceFilter::Create(reader, nullptr, &source), S_OK);
    reader->Release(); // the source holds it
    ASSERT_EQ(Connect(Add(source)), S_OK);

    std::atomic<int> wrong{0};
    auto readMany = [&](LONGLONG start) {
        BYTE buffer[64];
        for (int i = 0; i < 200; i++)
        {
            const LONGLONG position = (start + i * 37) % static_cast<LONGLONG>(bytes.size() - sizeof buffer);
            if (Input()->ReadOffset(buffer, position, sizeof buffer) != S_OK ||
                !std::equal(buffer, buffer + sizeof buffer, bytes.begin() + position))
                wrong++;
        }
    };
    std::thread first(readMany, 0);
    std::thread second(readMany, 1000);
    first.join();
    second.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_FALSE(reader->overlapped);
}
