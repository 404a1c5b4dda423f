// What every command on a movie file does first: COM on this thread, a copy
// of the journal records to explain a failure, the movie graph loaded and
// connected (which parses the movie); then the command itself.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "diagnostics/TeeJournal.h"
#include "tools/FailureKinds.h"
#include "tools/MovieGraph.h"

using MovieCommand = std::function<int(CMovieGraph& graph, const CTeeJournal& journal)>;

// The command's exit status; 1 with one line on err when the parser filter
// cannot be made or the file cannot be opened or parsed (then the HRESULT,
// why in words, and with verbose the journal's records of it). Why is what
// qtgraph's own check of the file (MovieCheck.h) finds wrong with it, so
// both builds say the same. When the command succeeds, the structural errors
// of the file, which the filter accepted, follow on err as warnings.
int RunOnMovie(const std::string& file, bool verbose, std::ostream& err, const MovieCommand& command);

// The structural errors qtgraph finds in the file; none when it cannot be read.
std::vector<Finding> StructuralErrors(const std::string& file);
