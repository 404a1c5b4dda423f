// The qtgraph command, callable in-process for tests:
//
//     qtgraph info [--json] FILE
//     qtgraph chunks [--json] FILE
//     qtgraph run [--json] [--samples] [--no-hash] [--pins LIST] FILE
//     qtgraph check [--json] FILE
//     qtgraph register [MODULE]
//     qtgraph unregister [MODULE]
//     qtgraph filters [--json]
//     qtgraph --version         the project's version, on out
//
// The Windows build has info, chunks, run and check (QtGraphCommands.h); any
// other command is a usage error there. info, chunks and run take --verbose.
// The file is opened through the parser filter, made by its class identifier
// from the registered module (natively it must be the one built beside
// qtgraph): a graph connects a file source to it, and the connection parses
// the movie.
// register and unregister do what regsvr32 does with a module (by default
// the one beside qtgraph); filters lists what the filter mapper registered.
// check reads the file itself and needs no filter (CheckCommand.h, with its
// own exit statuses).
// Exit status 0 on success; 1 when the filter cannot be made (one line on
// err saying why and what to do), when the file cannot be opened or parsed
// (one line on err naming the file, the HRESULT and what is wrong with the
// file, then with --verbose the journal's records of it, one per line,
// indented), when a run ends in a
// stream error, or when register, unregister or filters fail (one line on
// err); 2 for a usage error. The journal records written meanwhile go to the
// journal in use as well.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// args excludes the program name. terminal: err is a terminal, where run
// shows its progress.
int RunQtGraph(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool terminal = false);
