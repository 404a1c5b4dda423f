// qtgraph info and chunks: what the parser filter makes of a movie (its
// output pins, read through COM and the filter's IRZQTParserTracks) beside
// the movie as qtgraph reads it itself (MovieFile.h). Both builds.
#pragma once

#include <ostream>

#include "tools/QtGraphOptions.h"

// Exit status: 0, or 1 when the movie does not open or parse (see
// MovieCommand.h).
int InfoCommand(const QtGraphOptions& options, std::ostream& out, std::ostream& err, bool terminal);
int ChunksCommand(const QtGraphOptions& options, std::ostream& out, std::ostream& err, bool terminal);
