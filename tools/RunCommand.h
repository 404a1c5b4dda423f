// qtgraph run: plays a connected movie graph into recording sinks and reports
// what each pin delivered. Both builds.
#pragma once

#include <ostream>
#include <string>

#include "diagnostics/TeeJournal.h"
#include "tools/MovieRun.h"
#include "tools/QtGraphOptions.h"

// Exit status: 0 when the run completed; 1 when the movie does not open (see
// MovieCommand.h), or the run ended in a stream error (or could not start),
// named on err with its words and journal records; 2 for a pin the filter
// does not have. terminal: err is a terminal, which gets a progress line.
int RunCommand(const QtGraphOptions& options, std::ostream& out, std::ostream& err, bool terminal);

// What run and extract share. PinsExist: false, after one line on err, when
// options.pins names a pin the graph's filter does not have.
bool PinsExist(const CMovieGraph& graph, const QtGraphOptions& options, std::ostream& err);
// Plays the run with a progress line on err when it is a terminal; a
// failed run is written to err as what, with what is wrong with the file
// and (options.verbose) the journal records of the run.
RunOutcome PlayWithProgress(CMovieRun& run, const CMovieGraph& graph, const CTeeJournal& journal,
                            const QtGraphOptions& options, const std::string& what, std::ostream& err,
                            bool terminal);
