// What qtgraph reports about the parser's output pins, as a downstream filter
// sees them: each pin's name and the one media type it offers, read through
// IPin (QueryPinInfo, EnumMediaTypes), its format block parsed by the format
// type, and the buffer size the pin asks its allocator for.
#pragma once

#include <dshow.h>

#include <string>
#include <vector>

#include "tools/MovieReport.h"

class CRZQTFileParser;

// One block of fields per output pin, in pin order. A format block shorter
// than its format type's structure, or of a type qtgraph does not know,
// gives no format fields.
std::vector<PinReport> BuildPinReport(CRZQTFileParser& filter);
