// Every timed pass runs in a fresh process of its own: its peak resident
// memory is then that of the pass alone, which getrusage cannot tell apart
// within one process, and no pass inherits another's heap or threads. The
// libavformat pass runs in bench_pump itself (bench_pump --child=avformat
// FILE), the others in bench_pump_pass (bench_pump_pass KIND FILE), which
// does not load libavformat and its libraries.
#pragma once

#include <string>

#include "bench/Passes.h"

struct ChildReport
{
    PassResult pass;
    long startKiB = 0; // the fresh process's peak resident set before the pass began
    long peakKiB = 0;  // its peak resident set when the pass had ended
};

// The process's peak resident set (VmHWM) in KiB; 0 when unknown.
long PeakResidentKiB();

using PassFunction = PassResult (*)(const std::string& path);

// In the child: runs pass on path and prints its report line. The exit code.
int ReportPass(const std::string& kind, PassFunction pass, const std::string& path);

// In the parent: runs the pass KIND (filter, pread, merged, preview, avformat) in a
// child and reads its report. Throws std::runtime_error when the child fails.
ChildReport RunPassInChild(const std::string& kind, const std::string& path);
