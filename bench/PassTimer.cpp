#include "bench/PassTimer.h"

namespace
{
double Seconds(const timeval& t)
{
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}
} // namespace

PassTimer::PassTimer()
{
    (void)getrusage(RUSAGE_SELF, &m_usage);
    m_start = std::chrono::steady_clock::now();
}

void PassTimer::Stop(PassResult& result) const
{
    const auto end = std::chrono::steady_clock::now();
    rusage usage{};
    (void)getrusage(RUSAGE_SELF, &usage);
    result.seconds = std::chrono::duration<double>(end - m_start).count();
    result.cpuSeconds = Seconds(usage.ru_utime) - Seconds(m_usage.ru_utime) + Seconds(usage.ru_stime) -
                        Seconds(m_usage.ru_stime);
    result.voluntarySwitches = usage.ru_nvcsw - m_usage.ru_nvcsw;
    result.involuntarySwitches = usage.ru_nivcsw - m_usage.ru_nivcsw;
}
