#include "diagnostics/TraceEntry.h"

CTraceEntry::CTraceEntry(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatNameV(format, args);
    va_end(args);
}
