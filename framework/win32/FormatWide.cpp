#include "framework/FormatWide.h"

#include <cwchar>
#include <stdio.h>

// The platform's C runtime already follows the conventions the texts use.

std::wstring FormatWideStringV(const wchar_t* format, va_list args)
{
    if (!format)
        return std::wstring();
    va_list copy;
    va_copy(copy, args);
    const int n = _vscwprintf(format, copy);
    va_end(copy);
    if (n <= 0)
        return std::wstring();
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    _vsnwprintf(&s[0], s.size(), format, args);
    s.resize(static_cast<size_t>(n));
    return s;
}
