// One timed pass over a movie file, of each kind the pump benchmark compares.
// Each is run in a process of its own (see ChildPass.h); what comes before
// the timed part (opening, parsing, building the graph) is not timed. A pass
// that cannot run throws std::runtime_error.
#pragma once

#include <windows.h>

#include <string>

struct PassResult
{
    double seconds = 0;
    LONGLONG samples = 0; // media samples delivered, reads made or packets returned
    LONGLONG bytes = 0;
    long setupPeakKiB = 0; // the process's peak resident memory before the timed part
    // Over the timed part, the whole process (every thread): user + system
    // CPU seconds and context switches from getrusage.
    double cpuSeconds = 0;
    long voluntarySwitches = 0;   // the thread blocked (a wait, a read)
    long involuntarySwitches = 0; // the scheduler took the core away
};

// File source -> parser filter -> a counting sink on every output pin: timed
// from Pause to EC_COMPLETE (the pump reads, each pin's thread delivers).
PassResult RunFilterPass(const std::string& path);
// One pread per video frame or sound chunk, at the offsets the pump reads,
// into one buffer.
PassResult RunPreadPass(const std::string& path);
// The same reads, those that lie back to back merged into one pread of up
// to 1 MiB, each sample then copied out of it: what a pump that merged its
// reads could reach.
PassResult RunMergedPass(const std::string& path);
// avformat_open_input (not timed), then av_read_frame until the end.
PassResult RunAvformatPass(const std::string& path);
// The pump's schedule walked over a freshly parsed movie, as "qtgraph
// chunks" walks it, without printing: the fastest of several walks.
PassResult RunPreviewPass(const std::string& path);
