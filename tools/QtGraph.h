// The qtgraph command, callable in-process for tests:
//
//     qtgraph info [--json] FILE
//     qtgraph chunks [--json] FILE
//
// The file is opened through the parser filter: a graph connects a file
// source to it, and the connection parses the movie. Exit status 0 on
// success; 1 when the file cannot be opened or parsed (one line on err naming
// the file and the HRESULT; for a failed parse, then the journal's records
// of it, one per line, indented); 2 for a usage error.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// args excludes the program name.
int RunQtGraph(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
