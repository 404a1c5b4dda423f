#include "platform/BriefSpin.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

int MaxSpinners()
{
    static const int most = std::max(0, static_cast<int>(std::thread::hardware_concurrency()) - 1);
    return most;
}

std::atomic<int> g_spinners{0};
std::atomic<bool> g_enabled{true};

// After a failed spin this thread lets the next t_skip chances to spin
// pass; each failure in a row doubles that, up to kMaxSkip, and a caught
// change ends it.
constexpr unsigned kMaxSkip = 64;
thread_local unsigned t_skip = 0;
thread_local unsigned t_backoff = 0;

} // namespace

namespace BriefSpin {

bool Worthwhile()
{
    return g_enabled.load(std::memory_order_relaxed) && MaxSpinners() > 0;
}

void Enable(bool on)
{
    g_enabled.store(on, std::memory_order_relaxed);
}

bool Begin()
{
    if (!Worthwhile())
        return false;
    if (t_skip > 0)
    {
        --t_skip;
        return false;
    }
    if (g_spinners.fetch_add(1, std::memory_order_relaxed) >= MaxSpinners())
    {
        g_spinners.fetch_sub(1, std::memory_order_relaxed);
        return false;
    }
    return true;
}

void End(bool caught)
{
    g_spinners.fetch_sub(1, std::memory_order_relaxed);
    if (caught)
    {
        t_backoff = 0;
        return;
    }
    t_backoff = std::min(kMaxSkip, t_backoff == 0 ? 1 : 2 * t_backoff);
    t_skip = t_backoff;
}

} // namespace BriefSpin
