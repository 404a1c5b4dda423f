// qtgraph run: plays a connected movie graph into recording sinks and reports
// what each pin delivered. Both builds.
#pragma once

#include <ostream>

#include "tools/QtGraphOptions.h"

// Exit status: 0 when the run completed; 1 when the movie does not open (see
// MovieCommand.h), or the run ended in a stream error (or could not start),
// named on err with its words and journal records; 2 for a pin the filter
// does not have. terminal: err is a terminal, which gets a progress line.
int RunCommand(const QtGraphOptions& options, std::ostream& out, std::ostream& err, bool terminal);
