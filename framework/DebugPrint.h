// Trace lines for the debugger output. DebugPrintW formats with the platform's
// conventions (FormatWide.h) and hands the line to OutputDebugStringW; where
// the build can tell that nobody listens, it returns before formatting.
#pragma once

void DebugPrintW(const wchar_t* format, ...);
