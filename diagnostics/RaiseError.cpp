#include "diagnostics/RaiseError.h"

#include "framework/FormatWide.h"

void RaiseError(CEntryPoint& tracer, long hr, const wchar_t* file, int line, const wchar_t* format, ...)
{
    wchar_t message[kMessageChars];
    va_list args;
    va_start(args, format);
    (void)FormatWideV(message, kMessageChars, format, args);
    va_end(args);
    // The message is finished text: a '%' in it is not a format any more.
    (void)tracer.LogError(hr, file, line, L"%s", message);
    static_cast<CEntryPointBase&>(tracer).m_logged = TRUE;
    throw static_cast<long>(tracer.Result());
}
