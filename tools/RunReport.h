// What qtgraph run prints about a finished run: the result, then per pin what
// its sink received (counts, times, end of stream, MD5) and, when asked, each
// sample; as aligned text for people or as one JSON object for programs.
#pragma once

#include <ostream>
#include <vector>

#include "tools/MovieRun.h"

struct RunReportOptions
{
    bool json = false;
    bool samples = false; // every sample too (the sinks kept them)
    bool hashed = true;   // the sinks computed MD5s; without, the text gives rates
};

void WriteRunReport(const RunOutcome& outcome, const std::vector<RunPin>& pins, const RunReportOptions& options,
                    std::ostream& out);
