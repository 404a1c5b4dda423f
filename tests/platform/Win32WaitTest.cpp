// Events, semaphores, mutexes and waits of the Win32 stand-in: which handle a wait returns, what
// it consumes, and that blocked waiters wake when (and only when) signalled.
#include <windows.h>

#include <process.h>

#include <array>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

#include "platform/BriefSpin.h"
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

// Spinning before sleeping turned on or off for a scope; on again after it.
struct SpinTurned
{
    explicit SpinTurned(bool on) { BriefSpin::Enable(on); }
    ~SpinTurned() { BriefSpin::Enable(true); }
    SpinTurned(const SpinTurned&) = delete;
    SpinTurned& operator=(const SpinTurned&) = delete;
};

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
// waiting on an idle event first and its own object second; a lost wake-up
// shows as a time-out. Without the brief spin before sleeping every wait
// goes through those windows; with it, the spin's own.
TEST(Win32Wait, HandOffsHereAndBackLoseNoWakeUp)
{
    struct Case
    {
        const char* name;
        HANDLE (*make)();
        BOOL (*signal)(HANDLE);
        bool manualReset; // the receiver resets its object itself
    };
    const Case cases[] = {
        {"auto-reset", [] { return CreateEventW(nullptr, FALSE, FALSE, nullptr); }, SetEvent, false},
        {"manual-reset", [] { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }, SetEvent, true},
        {"semaphore", [] { return CreateSemaphoreW(nullptr, 0, 1, nullptr); },
         [](HANDLE h) { return ReleaseSemaphore(h, 1, nullptr); }, false},
    };
    for (const bool spin : {false, true})
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.name) + (spin ? ", spinning first" : ", sleeping at once"));
        const SpinTurned turned(spin);
        const HANDLE idle = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        const HANDLE ping = c.make();
        const HANDLE pong = c.make();
        ASSERT_TRUE(idle && ping && pong);
        constexpr int kRounds = 20000;
        std::atomic<int> timeouts{0};
        const auto play = [&](HANDLE mine, HANDLE theirs, bool serves) {
            const HANDLE waitOn[2] = {idle, mine};
            for (int i = 0; i < kRounds; ++i)
            {
                if (serves && !c.signal(theirs))
                    ++timeouts;
                if (WaitForMultipleObjects(2, waitOn, FALSE, 10000) != WAIT_OBJECT_0 + 1)
                    ++timeouts;
                if (c.manualReset)
                    (void)ResetEvent(mine);
                if (!serves && !c.signal(theirs))
                    ++timeouts;
            }
        };
        std::thread other([&] { play(pong, ping, false); });
        play(ping, pong, true);
        other.join();
        EXPECT_EQ(timeouts.load(), 0);
        CloseAll({idle, ping, pong});
    }
}

TEST(Win32Wait, ASemaphoreCountsUpToItsMaximum)
{
    const HANDLE sem = CreateSemaphoreW(nullptr, 2, 3, nullptr);
    ASSERT_NE(sem, nullptr);
    EXPECT_EQ(WaitForSingleObject(sem, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(sem, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(sem, 0), WAIT_TIMEOUT);
    LONG previous = -1;
    EXPECT_TRUE(ReleaseSemaphore(sem, 2, &previous));
    EXPECT_EQ(previous, 0);
    EXPECT_FALSE(ReleaseSemaphore(sem, 2, &previous)) << "2 + 2 passes the maximum of 3";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TOO_MANY_POSTS));
    EXPECT_FALSE(ReleaseSemaphore(sem, 0, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    // One release of one count lets exactly one of two blocked waiters go.
    EXPECT_TRUE(ReleaseSemaphore(sem, 1, &previous));
    EXPECT_EQ(previous, 2) << "a refused release changed the count";
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(WaitForSingleObject(sem, 0), WAIT_OBJECT_0);
    const auto wait = [sem] { EXPECT_EQ(WaitForSingleObject(sem, INFINITE), WAIT_OBJECT_0); };
    BlockingCall waiters[2] = {BlockingCall(wait), BlockingCall(wait)};
    for (BlockingCall& waiter : waiters)
        EXPECT_TRUE(waiter.Blocks());
    EXPECT_TRUE(ReleaseSemaphore(sem, 1, nullptr));
    while (!waiters[0].Returned() && !waiters[1].Returned())
        std::this_thread::yield();
    BlockingCall& other = waiters[0].Returned() ? waiters[1] : waiters[0];
    EXPECT_TRUE(other.Blocks()) << "one count released both waiters";
    EXPECT_TRUE(ReleaseSemaphore(sem, 1, nullptr));
    other.Join();
    EXPECT_TRUE(CloseHandle(sem));
}

TEST(Win32Wait, AMutexIsItsOwnersRecursivelyAndAbandonedWhenItsOwnerEnds)
{
    const HANDLE mutex = CreateMutexW(nullptr, TRUE, nullptr);
    ASSERT_NE(mutex, nullptr);
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0) << "the owner takes it again";
    DWORD result = WAIT_FAILED;
    BOOL released = TRUE;
    std::thread([&] {
        result = WaitForSingleObject(mutex, 0);
        released = ReleaseMutex(mutex);
    }).join();
    EXPECT_EQ(result, WAIT_TIMEOUT);
    EXPECT_FALSE(released) << "a thread released a mutex it does not own";
    EXPECT_TRUE(ReleaseMutex(mutex));
    std::thread([&] { result = WaitForSingleObject(mutex, 0); }).join();
    EXPECT_EQ(result, WAIT_TIMEOUT) << "free after one release of two";
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_FALSE(ReleaseMutex(mutex));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));

    // A failed wait-all takes it not at all.
    const HANDLE unset = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const HANDLE both[2] = {unset, mutex};
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), WAIT_TIMEOUT);
    EXPECT_FALSE(ReleaseMutex(mutex)) << "the failed wait-all kept the mutex";

    // Released by its owner, it goes to a blocked waiter. That thread ends
    // holding it, which abandons it: the next wait says so, once.
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
    BlockingCall waiter([&] { result = WaitForSingleObject(mutex, INFINITE); });
    EXPECT_TRUE(waiter.Blocks());
    EXPECT_TRUE(ReleaseMutex(mutex));
    waiter.Join();
    EXPECT_EQ(result, WAIT_OBJECT_0);
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 5000), WAIT_ABANDONED_0 + 1);
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(ReleaseMutex(mutex));
    CloseAll({unset, mutex});
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
    for (const std::array<LONG, 2>& counts : {std::array<LONG, 2>{-1, 1}, {0, 0}, {2, 1}})
        EXPECT_EQ(CreateSemaphoreW(nullptr, counts[0], counts[1], nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(CreateMutexW(nullptr, FALSE, L"named"), nullptr);

    // A new event never takes the value of a closed handle.
    const HANDLE other = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    EXPECT_NE(other, ev);
    // Nor is an event a semaphore or a mutex.
    EXPECT_FALSE(ReleaseSemaphore(other, 1, nullptr));
    EXPECT_FALSE(ReleaseMutex(other));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(CloseHandle(other));
}

} // namespace
