// Wide printf formatting with the platform's conventions on both builds:
// "%s" is a wide string and "%S" a narrow one in a wide format, "%I64x",
// "%I64u", "%I64d" are 64-bit, and "l" on an integer is 32-bit (LONG).
// Trace texts stay verbatim in the source; this is what makes them portable.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

// Formats into buffer (count wide characters including the terminator). The
// text is cut to count - 1 characters and always terminated. Returns the
// number of characters written, not counting the terminator.
size_t FormatWideV(wchar_t* buffer, size_t count, const wchar_t* format, va_list args);
size_t FormatWide(wchar_t* buffer, size_t count, const wchar_t* format, ...);

// Formats without a length limit.
std::wstring FormatWideStringV(const wchar_t* format, va_list args);
std::wstring FormatWideString(const wchar_t* format, ...);
