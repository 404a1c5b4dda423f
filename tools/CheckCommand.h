// qtgraph check: the structural check of a movie (MovieCheck.h), read-only
// and without a graph, so it needs no registered filter. Both builds.
#pragma once

#include <ostream>

#include "tools/QtGraphOptions.h"

// Exit status: 0 when nothing worse than notes was found, 1 for warnings
// only, 2 for errors or when the file cannot be opened.
int CheckCommand(const QtGraphOptions& options, std::ostream& out, std::ostream& err, bool terminal);
