// The tracer convention for the output pin's files. The pin's methods are
// spread over several files, but the journal names them all after the pin's
// source, "outpin", as it would a single file.
#pragma once

#include "diagnostics/TraceConvention.h"

#undef QTP_SOURCE_FILE
#define QTP_SOURCE_FILE L"outpin"
