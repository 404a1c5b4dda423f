// RaiseError: a traced method's own failure. Formats the message (at most 511
// characters), logs it through the tracer's LogError with file and line, and
// throws the tracer's result (now the new chain id) as long. Call it through
// QTP_RAISE (TraceConvention.h), which supplies the file and line.
#pragma once

#include "diagnostics/EntryPoint.h"

[[noreturn]] void RaiseError(CEntryPoint& tracer, long hr, const wchar_t* file, int line, const wchar_t* format,
                             ...);
