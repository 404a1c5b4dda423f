// Trace lines for the debugger output. DebugPrintW formats with the platform's
// conventions (FormatWide.h) and hands the line to OutputDebugStringW; where
// the build can tell that nobody listens, it returns before formatting.
#pragma once

void DebugPrintW(const wchar_t* format, ...);

// Whether a trace line would reach anybody. A loop that would trace every
// entry of a large table asks once, before the loop; the lines stay the same
// when somebody listens.
bool IsDebugPrintListened();
