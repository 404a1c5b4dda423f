#include "framework/DebugPrint.h"

#include <windows.h>

#include <cstdarg>

#include "framework/FormatWide.h"
#include "platform/DebugOutput.h"

void DebugPrintW(const wchar_t* format, ...)
{
    // Nobody listening is the normal case: skip the formatting too.
    if (!IsDebugOutputWanted())
        return;
    va_list args;
    va_start(args, format);
    const std::wstring line = FormatWideStringV(format, args);
    va_end(args);
    OutputDebugStringW(line.c_str());
}

bool IsDebugPrintListened()
{
    return IsDebugOutputWanted();
}
