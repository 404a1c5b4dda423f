// The qtgraph command, callable in-process for tests:
//
//     qtgraph info [--json] FILE
//     qtgraph chunks [--json] FILE
//     qtgraph run [--json] [--samples] [--no-hash] [--pins LIST] FILE
//
// The file is opened through the parser filter: a graph connects a file
// source to it, and the connection parses the movie. Exit status 0 on
// success; 1 when the file cannot be opened or parsed (one line on err naming
// the file, the HRESULT and why in words, then the journal's records of it,
// one per line, indented), or when a run ends in a stream error; 2 for a
// usage error. The journal records written meanwhile go to the journal in
// use as well.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// args excludes the program name. terminal: err is a terminal, where run
// shows its progress.
int RunQtGraph(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool terminal = false);
