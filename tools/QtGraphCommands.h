// The commands of one build of qtgraph, which RunQtGraph dispatches to. Each
// build has its own table, chosen by CMake: NativeCommands.cpp (every
// command) or WindowsCommands.cpp (those that run on the platform's graph).
#pragma once

#include <ostream>
#include <vector>

#include "tools/QtGraphOptions.h"

struct QtGraphCommand
{
    const char* name; // as on the command line
    // The exit status (see QtGraph.h). terminal: err is a terminal.
    int (*run)(const QtGraphOptions& options, std::ostream& out, std::ostream& err, bool terminal);
};

const std::vector<QtGraphCommand>& QtGraphCommands();
