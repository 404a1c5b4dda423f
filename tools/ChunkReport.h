// qtgraph chunks: the chunks the sample pump will read, in the order it reads
// them when every output pin is connected, as lines of text or as JSON.
#pragma once

#include <ostream>
#include <vector>

#include "quicktime/Movie.h"

// tracks: those of the filter's output pins, in pin order, as the pump takes
// them; each is named by its 1-based index in movie. Moves the tracks'
// positions as the pump would: give it a freshly parsed movie. Output is
// written as it is found, so a movie of a million chunks needs no more memory
// than one of ten. The listing stops at the first chunk or video sample that
// starts at or past fileLength bytes (the pump's read there fails), and the
// text says so: a table that claims billions of samples lists no more than
// the file holds.
void WriteChunks(const Movie& movie, std::vector<QTTrack*> tracks, LONGLONG fileLength, bool json, std::ostream& out);
