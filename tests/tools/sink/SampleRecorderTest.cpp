// The sample recorder's waits: a count already reached answers at once, one
// not reached times out, and every blocked waiter wakes once its own count
// is reached, however many wait at once.
#include <dshow.h>

#include <gtest/gtest.h>
#include <thread>
#include <vector>

#include "framework/CHandle.h"
#include "framework/ComPtr.h"
#include "framework/CreateMemoryAllocator.h"
#include "tools/sink/SampleRecorder.h"

namespace {

TEST(SampleRecorder, EveryWaiterWakesForItsOwnCount)
{
    ComPtr<IMemAllocator> allocator;
    ASSERT_EQ(CreateMemoryAllocator(allocator.ReleaseAndGetAddressOf()), S_OK);
    ALLOCATOR_PROPERTIES request{1, 16, 1, 0};
    ALLOCATOR_PROPERTIES actual{};
    ASSERT_EQ(allocator->SetProperties(&request, &actual), S_OK);
    ASSERT_EQ(allocator->Commit(), S_OK);
    ComPtr<IMediaSample> sample;
    ASSERT_EQ(allocator->GetBuffer(sample.ReleaseAndGetAddressOf(), nullptr, nullptr, 0), S_OK);
    ASSERT_EQ(sample->SetActualDataLength(16), S_OK);

    CSampleRecorder records;
    EXPECT_FALSE(records.WaitForSamples(1, 0)) << "nothing recorded yet";

    struct Waiter
    {
        const char* what;
        bool samples; // else ends of stream
        LONG count;
    };
    const Waiter waiters[] = {
        {"first sample", true, 1},
        {"second sample", true, 2},
        {"second sample, again", true, 2},
        {"end of stream", false, 1},
    };
    const size_t n = sizeof waiters / sizeof waiters[0];
    std::vector<CHandle> started(n);
    std::vector<int> woke(n, -1);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < n; ++i)
    {
        started[i].reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        ASSERT_TRUE(started[i]);
        threads.emplace_back([&, i] {
            (void)SetEvent(started[i].get());
            const Waiter& w = waiters[i];
            woke[i] = w.samples ? records.WaitForSamples(w.count, INFINITE)
                                : records.WaitForEndOfStream(w.count, INFINITE);
        });
    }
    for (const CHandle& h : started)
        ASSERT_EQ(WaitForSingleObject(h.get(), INFINITE), WAIT_OBJECT_0);

    records.Record(sample.Get());
    records.Record(sample.Get());
    records.NoteEndOfStream();
    for (std::thread& t : threads)
        t.join(); // a waiter not woken hangs here
    for (size_t i = 0; i < n; ++i)
        EXPECT_EQ(woke[i], 1) << waiters[i].what;

    EXPECT_TRUE(records.WaitForSamples(2, 0)) << "reached: no wait";
    EXPECT_FALSE(records.WaitForSamples(3, 0));
    EXPECT_FALSE(records.WaitForEndOfStream(2, 1)) << "not reached within the time";
    EXPECT_EQ(records.SampleCount(), 2);
    EXPECT_EQ(records.EndOfStreamCount(), 1);
    sample.Reset();
    EXPECT_EQ(allocator->Decommit(), S_OK);
}

} // namespace
