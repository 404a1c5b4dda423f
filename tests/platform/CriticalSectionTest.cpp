// Critical sections of the Win32 stand-in: recursive for their owner,
// exclusive against every other thread.
#include <windows.h>

#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

TEST(CriticalSection, OwnerReentersWhileOtherThreadsAreKeptOut)
{
    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    EnterCriticalSection(&cs);
    EXPECT_TRUE(TryEnterCriticalSection(&cs));
    EnterCriticalSection(&cs);
    BOOL otherGotIn = TRUE;
    std::thread([&] { otherGotIn = TryEnterCriticalSection(&cs); }).join();
    EXPECT_FALSE(otherGotIn);
    LeaveCriticalSection(&cs);
    LeaveCriticalSection(&cs);
    std::thread([&] { otherGotIn = TryEnterCriticalSection(&cs); }).join();
    EXPECT_FALSE(otherGotIn) << "still held once";
    LeaveCriticalSection(&cs);
    std::thread([&] {
        otherGotIn = TryEnterCriticalSection(&cs);
        if (otherGotIn)
            LeaveCriticalSection(&cs);
    }).join();
    EXPECT_TRUE(otherGotIn);
    DeleteCriticalSection(&cs);
}

TEST(CriticalSection, SerialisesUpdatesFromManyThreads)
{
    CRITICAL_SECTION cs;
    EXPECT_TRUE(InitializeCriticalSectionAndSpinCount(&cs, 4000));
    long long plain = 0; // guarded by cs only
    LONG volatile counted = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 10000; ++i)
            {
                EnterCriticalSection(&cs);
                ++plain;
                LeaveCriticalSection(&cs);
                (void)InterlockedIncrement(&counted);
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(plain, 40000);
    EXPECT_EQ(counted, 40000);
    EXPECT_EQ(InterlockedCompareExchange(&counted, 9, 4), 40000);
    EXPECT_EQ(InterlockedCompareExchange(&counted, 9, 40000), 40000);
    EXPECT_EQ(counted, 9);
    DeleteCriticalSection(&cs);
}

} // namespace
