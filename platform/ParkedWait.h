// One blocked wait of WaitForMultipleObjects: a futex word on the waiting
// thread's stack that the objects it waits on set when they may have become
// signalled. Only those objects wake it, and a wake costs a system call only
// when the thread is actually asleep.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>

class CParkedWait
{
public:
    // Sleeps until Wake or the deadline (none: no time limit); returns at
    // once when a Wake came since the last Rearm. May return spuriously.
    void Park(const std::optional<std::chrono::steady_clock::time_point>& deadline);
    // Before the waiter looks at its objects again: later wakes count.
    void Rearm() { m_state.store(kRunning, std::memory_order_seq_cst); }
    // From a signalling thread. Safe until the waiter has unregistered.
    void Wake();

private:
    static constexpr uint32_t kRunning = 0;
    static constexpr uint32_t kWoken = 1;
    static constexpr uint32_t kAsleep = 2; // in the futex wait, or about to be
    std::atomic<uint32_t> m_state{kRunning};
};
