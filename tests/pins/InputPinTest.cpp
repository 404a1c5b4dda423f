// The input pin's positioned read and length over the connected reader, and
// the pin lock that keeps reads from overlapping.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "diagnostics/MemoryJournal.h"
#include "framework/posix/AsyncReaderBase.h"
#include "tests/filter/ParserGraph.h"
#include "tests/support/MovieAtoms.h"

namespace {

// A movie followed by a tail of counting bytes, so reads anywhere can be checked.
std::vector<BYTE> MovieWithTail()
{
    std::vector<BYTE> bytes = MakeMovie({{QTTrackKind::Video, 1, 2997}});
    for (int i = 0; i < 4096; i++)
        bytes.push_back(static_cast<BYTE>(i * 13 + 7));
    return bytes;
}

// A reader over memory that notes how many reads run at the same moment.
class COverlapReader : public CAsyncReaderBase
{
public:
    explicit COverlapReader(std::vector<BYTE> data) : m_data(std::move(data)) {}

    HRESULT ReadBytes(LONGLONG position, LONG length, BYTE* buffer, LONG* pRead) override
    {
        const int inFlight = ++m_inFlight;
        int seen = m_maxInFlight.load();
        while (inFlight > seen && !m_maxInFlight.compare_exchange_weak(seen, inFlight))
        {
        }
        std::this_thread::sleep_for(std::chrono::microseconds(20)); // widens any overlap
        const LONGLONG size = static_cast<LONGLONG>(m_data.size());
        const LONG count = position >= size ? 0 : static_cast<LONG>(std::min<LONGLONG>(length, size - position));
        if (count > 0)
            std::memcpy(buffer, m_data.data() + position, static_cast<size_t>(count));
        *pRead = count;
        --m_inFlight;
        return S_OK;
    }
    void GetLength(LONGLONG* pTotal, LONGLONG* pAvailable) override
    {
        *pTotal = *pAvailable = static_cast<LONGLONG>(m_data.size());
    }
    int MaxInFlight() const { return m_maxInFlight.load(); }

private:
    ~COverlapReader() override = default;

    const std::vector<BYTE> m_data;
    std::atomic<int> m_inFlight{0};
    std::atomic<int> m_maxInFlight{0};
};

} // namespace

using InputPinTest = ParserGraphTest;

TEST_F(InputPinTest, ReadsWhileConnectedAtAndPastTheEndOfTheSource)
{
    CMemoryJournal journal;
    CJournalScope scope(journal);
    BYTE buffer[16] = {};
    EXPECT_EQ(Input()->ReadOffset(buffer, 0, 8), E_UNEXPECTED);
    EXPECT_EQ(Input()->GetDuration(), 0);
    const std::vector<JournalRecord> noReader = EntryPoints(journal.Records(), L"CInputPin::GetDuration");
    ASSERT_EQ(noReader.size(), 1u);
    EXPECT_EQ(noReader[0].result, E_UNEXPECTED);

    const std::vector<BYTE> bytes = MovieWithTail();
    const LONGLONG size = static_cast<LONGLONG>(bytes.size());
    CFaultInjectingReader* faults = nullptr;
    ASSERT_EQ(Connect(AddFaultySource(bytes, &faults)), S_OK);
    EXPECT_EQ(Input()->ReadOffset(buffer, size - 16, 16), S_OK);
    EXPECT_TRUE(std::equal(buffer, buffer + 16, bytes.end() - 16));
    std::fill(std::begin(buffer), std::end(buffer), BYTE{0});
    EXPECT_EQ(Input()->ReadOffset(buffer, size - 4, 16), S_FALSE);
    EXPECT_TRUE(std::equal(buffer, buffer + 4, bytes.end() - 4));
    EXPECT_EQ(Input()->ReadOffset(buffer, size, 1), S_FALSE);

    // Zero-length reads and failures pass through unchanged.
    const LONG reads = faults->ReadCount();
    EXPECT_EQ(Input()->ReadOffset(buffer, 0, 0), S_OK);
    EXPECT_EQ(faults->ReadCount(), reads + 1);
    faults->FailAfter(reads + 1, E_ABORT);
    EXPECT_EQ(Input()->ReadOffset(buffer, 0, 4), E_ABORT);
    // The length is the source's total, however much of it is available.
    faults->CutAt(size / 2);
    EXPECT_EQ(Input()->GetDuration(), size);

    ASSERT_EQ(m_graph->Disconnect(Input()), S_OK);
    EXPECT_EQ(Input()->ReadOffset(buffer, 0, 8), E_UNEXPECTED);
}

TEST_F(InputPinTest, ReadsFromTwoThreadsNeverOverlap)
{
    const std::vector<BYTE> bytes = MovieWithTail();
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
    EXPECT_EQ(reader->MaxInFlight(), 1);
}
