// The tracer convention for the filter's files. The filter's methods are
// spread over several files, but the journal names them all after the
// filter's source, "RZQTFileParser", as it would a single file.
#pragma once

#include "diagnostics/TraceConvention.h"

#undef QTP_SOURCE_FILE
#define QTP_SOURCE_FILE L"RZQTFileParser"
