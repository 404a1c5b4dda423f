// Every timed pass runs in a fresh process of its own (this program, run
// again with --child=KIND FILE): its peak resident memory is then that of the
// pass alone, which getrusage cannot tell apart within one process, and no
// pass inherits another's heap or threads.
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

// In the child: runs the pass KIND (filter, pread, avformat, preview) on
// path and prints its report line. The exit code.
int RunChildMode(const std::string& kind, const std::string& path);

// In the parent: runs the pass in a child and reads its report. Throws
// std::runtime_error when the child fails.
ChildReport RunPassInChild(const std::string& kind, const std::string& path);
