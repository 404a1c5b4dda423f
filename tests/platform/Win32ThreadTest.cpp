// Threads of the Win32 stand-in: waitable handles, exit codes, suspended
// start, and threads that outlive their closed handle.
#include <process.h>
#include <windows.h>

#include <atomic>
#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace {

struct Gate
{
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> id{0};
    unsigned exitCode = 0;
    ~Gate()
    {
        CloseHandle(go);
        CloseHandle(done);
    }
};

unsigned __stdcall WaitForGo(void* arg)
{
    Gate* gate = static_cast<Gate*>(arg);
    gate->id = GetCurrentThreadId();
    if (WaitForSingleObject(gate->go, INFINITE) != WAIT_OBJECT_0)
        return 1;
    const unsigned exitCode = gate->exitCode;
    (void)SetEvent(gate->done); // the gate may be gone from here on
    return exitCode;
}

HANDLE Start(Gate* gate, unsigned flags = 0, unsigned* id = nullptr)
{
    const HANDLE h = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, WaitForGo, gate, flags, id));
    EXPECT_NE(h, nullptr);
    return h;
}

TEST(Win32Thread, HandleSignalsWhenTheProcedureReturnsAndYieldsItsExitCode)
{
    Gate gate;
    gate.exitCode = 0xC0DE;
    unsigned id = 0;
    const HANDLE thread = Start(&gate, 0, &id);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(WaitForSingleObject(thread, 10), WAIT_TIMEOUT);

    // The thread handle takes part in a mixed wait like an event.
    HANDLE both[2] = {gate.done, thread};
    EXPECT_TRUE(SetEvent(gate.go));
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0) << "a finished thread stays signalled";
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 0xC0DEu);
    EXPECT_EQ(gate.id.load(), static_cast<DWORD>(id));
    EXPECT_TRUE(CloseHandle(thread));
    EXPECT_FALSE(GetExitCodeThread(thread, &code));
}

TEST(Win32Thread, SuspendedThreadRunsOnlyAfterResume)
{
    Gate gate;
    EXPECT_TRUE(SetEvent(gate.go));
    const HANDLE thread = Start(&gate, CREATE_SUSPENDED);
    EXPECT_EQ(WaitForSingleObject(gate.done, 30), WAIT_TIMEOUT);
    EXPECT_EQ(ResumeThread(thread), 1u);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(ResumeThread(thread), 0u);
    EXPECT_TRUE(CloseHandle(thread));

    // Closing the handle leaves the thread running.
    Gate second;
    EXPECT_TRUE(CloseHandle(Start(&second)));
    EXPECT_TRUE(SetEvent(second.go));
    EXPECT_EQ(WaitForSingleObject(second.done, INFINITE), WAIT_OBJECT_0);
}

unsigned __stdcall ReturnArgument(void* arg)
{
    return static_cast<unsigned>(reinterpret_cast<uintptr_t>(arg));
}

TEST(Win32Thread, ManyThreadsEachReportTheirOwnExitCodeAndId)
{
    std::vector<HANDLE> threads;
    std::set<unsigned> ids;
    for (uintptr_t i = 0; i < 32; ++i)
    {
        unsigned id = 0;
        threads.push_back(reinterpret_cast<HANDLE>(
            _beginthreadex(nullptr, 0, ReturnArgument, reinterpret_cast<void*>(i + 100), 0, &id)));
        ASSERT_NE(threads.back(), nullptr);
        ids.insert(id);
    }
    EXPECT_EQ(ids.size(), threads.size());
    for (size_t i = 0; i < threads.size(); ++i)
    {
        EXPECT_EQ(WaitForSingleObject(threads[i], INFINITE), WAIT_OBJECT_0);
        DWORD code = 0;
        EXPECT_TRUE(GetExitCodeThread(threads[i], &code));
        EXPECT_EQ(code, i + 100);
        EXPECT_TRUE(CloseHandle(threads[i]));
    }
    EXPECT_EQ(_beginthreadex(nullptr, 0, nullptr, nullptr, 0, nullptr), 0u);
}

} // namespace
