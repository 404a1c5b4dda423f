#include "platform/ParkedWait.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

namespace {

// The futex word is private to this process; a time-out is absolute on the
// monotonic clock, the clock of std::chrono::steady_clock on Linux.
void FutexWait(std::atomic<uint32_t>* word, uint32_t expected, const timespec* deadline)
{
    (void)::syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), FUTEX_WAIT_BITSET | FUTEX_PRIVATE_FLAG, expected,
                    deadline, nullptr, FUTEX_BITSET_MATCH_ANY);
}

void FutexWakeOne(std::atomic<uint32_t>* word)
{
    (void)::syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), FUTEX_WAKE | FUTEX_PRIVATE_FLAG, 1, nullptr,
                    nullptr, 0);
}

} // namespace

void CParkedWait::Park(const std::optional<std::chrono::steady_clock::time_point>& deadline)
{
    uint32_t running = kRunning;
    if (!m_state.compare_exchange_strong(running, kAsleep, std::memory_order_seq_cst))
        return; // woken since the last Rearm
    timespec at{};
    if (deadline)
    {
        const auto since = deadline->time_since_epoch();
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since);
        at.tv_sec = static_cast<time_t>(seconds.count());
        at.tv_nsec = static_cast<long>(std::chrono::duration_cast<std::chrono::nanoseconds>(since - seconds).count());
    }
    FutexWait(&m_state, kAsleep, deadline ? &at : nullptr);
}

void CParkedWait::Wake()
{
    if (m_state.exchange(kWoken, std::memory_order_seq_cst) == kAsleep)
        FutexWakeOne(&m_state);
}
