#include "framework/DebugPrint.h"

#include <windows.h>

#include <cstdarg>

#include "framework/FormatWide.h"

void DebugPrintW(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::wstring line = FormatWideStringV(format, args);
    va_end(args);
    OutputDebugStringW(line.c_str());
}

bool IsDebugPrintListened()
{
    // A debug-output viewer listens without being a debugger: there is no
    // cheap way to know, so the lines are always written.
    return true;
}
