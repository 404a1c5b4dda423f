#include "framework/FormatWide.h"

#include <cwchar>

// Shared by both builds; FormatWideStringV is the platform's own.

std::wstring FormatWideString(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    std::wstring s = FormatWideStringV(format, args);
    va_end(args);
    return s;
}

size_t FormatWideV(wchar_t* buffer, size_t count, const wchar_t* format, va_list args)
{
    if (!buffer || count == 0)
        return 0;
    const std::wstring s = FormatWideStringV(format, args);
    const size_t n = s.size() < count - 1 ? s.size() : count - 1;
    std::wmemcpy(buffer, s.data(), n);
    buffer[n] = L'\0';
    return n;
}

size_t FormatWide(wchar_t* buffer, size_t count, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const size_t n = FormatWideV(buffer, count, format, args);
    va_end(args);
    return n;
}
