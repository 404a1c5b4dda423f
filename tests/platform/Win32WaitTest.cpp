// Events and waits of the Win32 stand-in: which handle a wait returns, what
// it consumes, and that blocked waiters wake when (and only when) signalled.
#include <windows.h>

#include <process.h>

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

#include "tests/support/BlockingCall.h"

namespace {

std::vector<HANDLE> MakeEvents(int count, BOOL manualReset)
{
    std::vector<HANDLE> events;
    for (int i = 0; i < count; ++i)
    {
        events.push_back(CreateEventW(nullptr, manualReset, FALSE, nullptr));
        EXPECT_NE(events.back(), nullptr);
    }
    return events;
}

void CloseAll(const std::vector<HANDLE>& handles)
{
    for (HANDLE h : handles)
        EXPECT_TRUE(CloseHandle(h));
}

TEST(Win32Wait, LowestSignalledIndexWinsAndManualResetEventsStaySignalled)
{
    const std::vector<HANDLE> ev = MakeEvents(4, TRUE);
    EXPECT_TRUE(SetEvent(ev[3]));
    EXPECT_TRUE(SetEvent(ev[1]));
    EXPECT_EQ(WaitForMultipleObjects(4, ev.data(), FALSE, 0), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(WaitForMultipleObjects(4, ev.data(), FALSE, INFINITE), WAIT_OBJECT_0 + 1);
    EXPECT_TRUE(ResetEvent(ev[1]));
    EXPECT_EQ(WaitForMultipleObjects(4, ev.data(), FALSE, 0), WAIT_OBJECT_0 + 3);
    EXPECT_TRUE(ResetEvent(ev[3]));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForMultipleObjects(4, ev.data(), FALSE, 30), WAIT_TIMEOUT);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
    CloseAll(ev);
}

TEST(Win32Wait, AWaitTakesOnlyTheAutoResetSignalsItReturns)
{
    const std::vector<HANDLE> ev = MakeEvents(2, FALSE);
    EXPECT_TRUE(SetEvent(ev[0]));
    EXPECT_TRUE(SetEvent(ev[1]));
    EXPECT_EQ(WaitForMultipleObjects(2, ev.data(), FALSE, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForMultipleObjects(2, ev.data(), FALSE, 0), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(WaitForSingleObject(ev[1], 0), WAIT_TIMEOUT);

    // Wait-all needs every signal at once and takes them all.
    EXPECT_TRUE(SetEvent(ev[0]));
    EXPECT_EQ(WaitForMultipleObjects(2, ev.data(), TRUE, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(ev[0], 0), WAIT_OBJECT_0) << "a failed wait-all must take nothing";
    EXPECT_TRUE(SetEvent(ev[0]));
    EXPECT_TRUE(SetEvent(ev[1]));
    EXPECT_EQ(WaitForMultipleObjects(2, ev.data(), TRUE, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForMultipleObjects(2, ev.data(), FALSE, 0), WAIT_TIMEOUT);
    CloseAll(ev);
}

TEST(Win32Wait, BlockedWaiterWakesOnTheEventSetByAnotherThread)
{
    const std::vector<HANDLE> ev = MakeEvents(3, TRUE);
    DWORD result = WAIT_FAILED;
    BlockingCall waiter([&] { result = WaitForMultipleObjects(3, ev.data(), FALSE, INFINITE); });
    EXPECT_TRUE(waiter.Blocks()) << "returned before any event was set";
    EXPECT_TRUE(SetEvent(ev[2]));
    waiter.Join();
    EXPECT_EQ(result, WAIT_OBJECT_0 + 2);

    // A finite wait also ends at the signal, not at its time-out.
    EXPECT_TRUE(ResetEvent(ev[2]));
    std::thread setter([&] { EXPECT_TRUE(SetEvent(ev[0])); });
    EXPECT_EQ(WaitForMultipleObjects(3, ev.data(), FALSE, 60000), WAIT_OBJECT_0);
    setter.join();
    CloseAll(ev);
}

TEST(Win32Wait, OneSetOfAnAutoResetEventReleasesOneWaiter)
{
    const HANDLE ev = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    const auto wait = [ev] { EXPECT_EQ(WaitForSingleObject(ev, INFINITE), WAIT_OBJECT_0); };
    BlockingCall waiters[2] = {BlockingCall(wait), BlockingCall(wait)};
    for (BlockingCall& waiter : waiters)
        EXPECT_TRUE(waiter.Blocks());
    EXPECT_TRUE(SetEvent(ev));
    while (!waiters[0].Returned() && !waiters[1].Returned())
        std::this_thread::yield();
    BlockingCall& other = waiters[0].Returned() ? waiters[1] : waiters[0];
    EXPECT_TRUE(other.Blocks()) << "one set released both waiters";
    EXPECT_TRUE(SetEvent(ev));
    other.Join();
    EXPECT_EQ(WaitForSingleObject(ev, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(CloseHandle(ev));
}

// The races a lock-free wait opens: a signal that lands while the waiter
// registers with its objects, or between its last look and its sleep, must
// still wake it. Two threads hand a token back and forth many times, each
// waiting on an idle event first and its own event second; a lost wake-up
// shows as a time-out.
TEST(Win32Wait, HandOffsHereAndBackLoseNoWakeUp)
{
    struct Case
    {
        const char* name;
        BOOL manualReset; // manual: the receiver resets its event itself
    };
    for (const Case& c : {Case{"auto-reset", FALSE}, Case{"manual-reset", TRUE}})
    {
        SCOPED_TRACE(c.name);
        const std::vector<HANDLE> ev = MakeEvents(3, c.manualReset); // idle, ping, pong
        constexpr int kRounds = 20000;
        std::atomic<int> timeouts{0};
        const auto play = [&](HANDLE mine, HANDLE theirs, bool serves) {
            const HANDLE waitOn[2] = {ev[0], mine};
            for (int i = 0; i < kRounds; ++i)
            {
                if (serves && !SetEvent(theirs))
                    ++timeouts;
                if (WaitForMultipleObjects(2, waitOn, FALSE, 10000) != WAIT_OBJECT_0 + 1)
                    ++timeouts;
                if (c.manualReset)
                    (void)ResetEvent(mine);
                if (!serves && !SetEvent(theirs))
                    ++timeouts;
            }
        };
        std::thread other([&] { play(ev[2], ev[1], false); });
        play(ev[1], ev[2], true);
        other.join();
        EXPECT_EQ(timeouts.load(), 0);
        CloseAll(ev);
    }
}

unsigned __stdcall WaitForEvent(void* event)
{
    return WaitForSingleObject(static_cast<HANDLE>(event), INFINITE) == WAIT_OBJECT_0 ? 7 : 1;
}

TEST(Win32Wait, AHandleClosedWhileWaitedOnStillEndsTheWait)
{
    // A thread whose handle is closed during the wait still wakes it when it ends.
    const HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const HANDLE idle = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, WaitForEvent, go, 0, nullptr));
    ASSERT_NE(thread, nullptr);
    const HANDLE both[2] = {idle, thread};
    DWORD result = WAIT_FAILED;
    BlockingCall waiter([&] { result = WaitForMultipleObjects(2, both, FALSE, INFINITE); });
    EXPECT_TRUE(waiter.Blocks());
    EXPECT_TRUE(CloseHandle(thread));
    EXPECT_TRUE(waiter.Blocks()) << "closing the handle ended the wait";
    EXPECT_TRUE(SetEvent(go));
    waiter.Join();
    EXPECT_EQ(result, WAIT_OBJECT_0 + 1);

    // An event closed while waited on times the wait out as if still open.
    BlockingCall timed([&] { result = WaitForSingleObject(idle, 50); });
    EXPECT_TRUE(timed.Blocks());
    EXPECT_TRUE(CloseHandle(idle));
    timed.Join();
    EXPECT_EQ(result, static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(CloseHandle(go));
}

TEST(Win32Wait, ABlockedWaitAllReturnsOnlyWhenEveryObjectIsSignalled)
{
    const std::vector<HANDLE> ev = MakeEvents(2, FALSE);
    DWORD result = WAIT_FAILED;
    BlockingCall waiter([&] { result = WaitForMultipleObjects(2, ev.data(), TRUE, INFINITE); });
    EXPECT_TRUE(waiter.Blocks());
    EXPECT_TRUE(SetEvent(ev[1]));
    EXPECT_TRUE(waiter.Blocks()) << "returned with one of two signalled";
    EXPECT_TRUE(SetEvent(ev[0]));
    waiter.Join();
    EXPECT_EQ(result, WAIT_OBJECT_0);
    EXPECT_EQ(WaitForMultipleObjects(2, ev.data(), FALSE, 0), WAIT_TIMEOUT) << "wait-all took both signals";
    CloseAll(ev);
}

TEST(Win32Wait, BadHandlesAndArgumentsFailWithTheirError)
{
    const HANDLE ev = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    EXPECT_TRUE(CloseHandle(ev));
    EXPECT_FALSE(CloseHandle(ev));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(WaitForSingleObject(ev, 0), WAIT_FAILED);
    EXPECT_FALSE(SetEvent(nullptr));
    EXPECT_EQ(WaitForMultipleObjects(0, &ev, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(CreateEventW(nullptr, TRUE, FALSE, L"named"), nullptr);

    // A new event never takes the value of a closed handle.
    const HANDLE other = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    EXPECT_NE(other, ev);
    EXPECT_TRUE(CloseHandle(other));
}

} // namespace
