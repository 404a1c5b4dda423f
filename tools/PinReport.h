// What qtgraph reports about the parser's output pins, as a downstream filter
// sees them: each pin's name and the one media type it offers, read through
// IPin (QueryPinInfo, EnumMediaTypes), its format block parsed by the format
// type, and the buffer size the pin asks its allocator for.
#pragma once

#include <dshow.h>

#include <string>
#include <vector>

#include "tools/MovieReport.h"

// The fields of output pin index (0-based), whose allocator buffers are
// bufferSize bytes. A format block shorter than its format type's
// structure, or of a type qtgraph does not know, gives no format fields.
PinReport BuildPinReport(int index, IPin& pin, LONG bufferSize);
