// bench_pump_pass KIND FILE: one of bench_pump's timed passes that need no
// libavformat (filter, pread, merged, preview), in a process that does not load it,
// so that its resident memory and its profile are the pass's own:
//
//     valgrind --tool=callgrind build/bin/bench_pump_pass filter MOVIE
//
// Prints "seconds samples bytes start-KiB setup-KiB peak-KiB cpu-seconds
// voluntary-switches involuntary-switches" for bench_pump.
#include <cstdio>
#include <string>

#include "bench/ChildPass.h"

int main(int argc, char** argv)
{
    if (argc == 3)
    {
        const std::string kind = argv[1];
        if (kind == "filter")
            return ReportPass(kind, RunFilterPass, argv[2]);
        if (kind == "pread")
            return ReportPass(kind, RunPreadPass, argv[2]);
        if (kind == "merged")
            return ReportPass(kind, RunMergedPass, argv[2]);
        if (kind == "preview")
            return ReportPass(kind, RunPreviewPass, argv[2]);
    }
    std::fprintf(stderr, "usage: bench_pump_pass filter|pread|merged|preview FILE\n");
    return 2;
}
