// What every command on a movie file does first: COM on this thread, a copy
// of the journal records to explain a failure, the movie graph loaded and
// connected (which parses the movie); then the command itself.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "diagnostics/TeeJournal.h"
#include "tools/MovieGraph.h"

using MovieCommand = std::function<int(CMovieGraph& graph, const CTeeJournal& journal)>;

// The command's exit status; 1 with one line on err when the parser filter
// cannot be made or the file cannot be opened or parsed (then the HRESULT,
// why in words and the journal's records of it).
int RunOnMovie(const std::string& file, std::ostream& err, const MovieCommand& command);
