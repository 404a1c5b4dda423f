// Threads of the Win32 stand-in: _beginthreadex over std::thread. The handle
// is signalled when the procedure has returned and keeps its exit code. The
// thread object lives while the handle is open or the thread runs, whichever
// is longer; the thread is joined, or detached when it drops the last
// reference itself, so nothing leaks.
#include <process.h>
#include <windows.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/FaultInjection.h"
#include "platform/HandleTable.h"

namespace {

std::atomic<DWORD> g_lastThreadId{0};
thread_local DWORD t_threadId = 0;

DWORD NewThreadId()
{
    return ++g_lastThreadId;
}

class CThread final : public CWaitableObject
{
public:
    static constexpr WaitableKind kKind = WaitableKind::Thread;

    explicit CThread(bool suspended) : CWaitableObject(kKind), m_suspended(suspended) {}
    ~CThread() override
    {
        if (!m_thread.joinable())
            return;
        if (m_thread.get_id() == std::this_thread::get_id())
            m_thread.detach(); // the thread itself let go last; it is about to end
        else
            m_thread.join(); // the procedure has returned; the thread is ending
    }

    bool IsSignalled() const override { return m_finished.load(std::memory_order_seq_cst); }
    bool TryAcquire() override { return IsSignalled(); }

    static void Main(std::shared_ptr<CThread> self, DWORD id, unsigned(__stdcall* proc)(void*), void* arg)
    {
        t_threadId = id;
        {
            std::unique_lock<std::mutex> lock(self->m_suspendLock);
            self->m_resumed.wait(lock, [&] { return !self->m_suspended; });
        }
        const unsigned exitCode = proc(arg);
        self->m_exitCode.store(exitCode, std::memory_order_relaxed);
        self->m_finished.store(true, std::memory_order_seq_cst); // publishes the exit code
        self->WakeWaiters();
        // Whoever lets go last ends the std::thread: a handle closed after
        // the wait joins it, this reference, when it is the last, detaches.
        self.reset();
    }

    DWORD ExitCode() const
    {
        return m_finished.load(std::memory_order_acquire) ? m_exitCode.load(std::memory_order_relaxed) : STILL_ACTIVE;
    }
    DWORD Resume()
    {
        std::lock_guard<std::mutex> lock(m_suspendLock);
        const DWORD previous = m_suspended ? 1 : 0;
        m_suspended = false;
        m_resumed.notify_one();
        return previous;
    }

    std::thread m_thread; // set once by _beginthreadex, before the handle is known

private:
    std::atomic<bool> m_finished{false};
    std::atomic<DWORD> m_exitCode{0};
    std::mutex m_suspendLock; // guards m_suspended
    bool m_suspended;
    std::condition_variable m_resumed;
};

} // namespace

uintptr_t _beginthreadex(void*, unsigned, unsigned(__stdcall* start_address)(void*), void* arglist,
                         unsigned initflag, unsigned* thrdaddr)
{
    if (FaultInjection::Fails(PlatformFault::Thread)) { errno = EAGAIN; return 0; } // a test asked for it
    if (!start_address)
    {
        errno = EINVAL;
        return 0;
    }
    const DWORD id = NewThreadId();
    std::shared_ptr<CThread> thread;
    try
    {
        thread = std::make_shared<CThread>((initflag & CREATE_SUSPENDED) != 0);
        thread->m_thread = std::thread(&CThread::Main, thread, id, start_address, arglist);
    }
    catch (const std::bad_alloc&)
    {
        errno = ENOMEM;
        return 0;
    }
    catch (const std::system_error&)
    {
        errno = EAGAIN;
        return 0;
    }
    // A thread whose handle cannot be entered still runs to its end, as one
    // whose handle was closed at once.
    const HANDLE handle = RegisterHandle(std::move(thread));
    if (!handle)
    {
        errno = ENOMEM;
        return 0;
    }
    if (thrdaddr)
        *thrdaddr = id;
    return reinterpret_cast<uintptr_t>(handle);
}

BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode)
{
    const CHandlePin pin(hThread);
    CThread* const thread = pin.As<CThread>();
    if (!thread || !lpExitCode)
    {
        SetLastError(thread ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *lpExitCode = thread->ExitCode();
    return TRUE;
}

DWORD ResumeThread(HANDLE hThread)
{
    const CHandlePin pin(hThread);
    CThread* const thread = pin.As<CThread>();
    if (!thread)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return static_cast<DWORD>(-1);
    }
    return thread->Resume();
}

DWORD GetCurrentThreadId()
{
    if (t_threadId == 0)
        t_threadId = NewThreadId();
    return t_threadId;
}
