// The qtgraph command, callable in-process for tests:
//
//     qtgraph info [--json] FILE
//     qtgraph chunks [--json] FILE
//
// Exit status 0 on success, 1 when the file cannot be opened or parsed (one
// line on err naming the file and the HRESULT), 2 for a usage error.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// args excludes the program name.
int RunQtGraph(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
