// The command line of qtgraph: the command, its options and the file.
#pragma once

#include <string>
#include <vector>

struct QtGraphOptions
{
    std::string command; // "info", "chunks", "run", "check", "extract", "register", "unregister" or "filters"
    std::string file;    // the movie; for register and unregister the module, or empty
    std::string outdir;  // extract: the folder the files go into
    bool json = false;
    bool verbose = false; // info, chunks, run, extract: --verbose, a failure's journal records too
    bool force = false;   // extract --force: overwrites files already there
    // run only
    bool samples = false;   // --samples: every sample listed
    bool hash = true;       // --no-hash: sinks only count
    std::vector<int> pins;  // --pins LIST (run, extract): 0-based output pins, ascending, each once
    bool allPins = true;    // no --pins
};

// The usage of this build's commands, one line each (defined with its
// command table, QtGraphCommands.h).
extern const char kQtGraphUsage[];

// False for a usage error: no or an unknown command, an unknown option or
// one the command does not take, a --pins list that is not numbers
// separated by commas, not exactly one movie file (register and unregister:
// at most one module; filters: none; extract: a movie file and a folder).
bool ParseQtGraphOptions(const std::vector<std::string>& args, QtGraphOptions* options);
