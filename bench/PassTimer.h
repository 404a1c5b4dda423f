// Times the part of a pass that is measured: wall time, and from getrusage
// the CPU time and context switches of the whole process (every thread,
// those that ended included) over the same span.
#pragma once

#include <sys/resource.h>

#include <chrono>

#include "bench/Passes.h"

class PassTimer
{
public:
    // Starts the clock.
    PassTimer();
    // Stops it and stores the span's figures in result.
    void Stop(PassResult& result) const;

private:
    std::chrono::steady_clock::time_point m_start;
    rusage m_usage{};
};
