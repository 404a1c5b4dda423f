// A call made on a thread of its own, and a deterministic way to see that it
// blocks: the kernel's record of the thread (Linux /proc) says it sleeps
// while the call has not returned. No time-out is involved; the check waits
// for one of the two to happen.
#pragma once

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

class BlockingCall
{
public:
    explicit BlockingCall(std::function<void()> call)
        : m_thread([this, call = std::move(call)] {
              m_tid = static_cast<long>(::syscall(SYS_gettid));
              call();
              m_returned = true;
          })
    {
    }
    ~BlockingCall() { Join(); }

    // Waits until the call sleeps in the kernel (true) or returns (false).
    bool Blocks()
    {
        for (;;)
        {
            const char state = m_tid != 0 ? ThreadState(m_tid) : 0;
            if (m_returned)
                return false;
            if (state == 'S')
                return true;
            std::this_thread::yield();
        }
    }
    bool Returned() const { return m_returned; }
    void Join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    // The scheduler state ('R' running, 'S' asleep, ...) of thread tid of
    // this process, or 0 once it is gone.
    static char ThreadState(long tid)
    {
        std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
        const std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        const size_t name = text.rfind(')'); // the thread's name may hold spaces
        return name != std::string::npos && name + 2 < text.size() ? text[name + 2] : 0;
    }

    std::atomic<long> m_tid{0};
    std::atomic<bool> m_returned{false};
    std::thread m_thread; // last: starts once the members above exist
};
