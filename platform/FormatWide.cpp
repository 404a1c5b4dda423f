#include "framework/FormatWide.h"

#include <cwchar>
#include <vector>

namespace {

// Rewrites a Windows-convention wide format into the C library's:
// %s -> %ls, %S -> %s, %c -> %lc, %I64 -> ll, %I32 -> nothing, and the "l"
// length on integers dropped (Windows LONG is 32-bit, Linux long is not).
std::wstring TranslateFormat(const wchar_t* format)
{
    std::wstring out;
    out.reserve(std::wcslen(format) + 8);
    const wchar_t* p = format;
    while (*p)
    {
        if (*p != L'%')
        {
            out += *p++;
            continue;
        }
        out += *p++;
        if (*p == L'%')
        {
            out += *p++;
            continue;
        }
        // flags, width, precision
        while (*p && std::wcschr(L"-+ #0123456789.*", *p))
            out += *p++;
        // length modifiers
        bool wideChar = true;
        if (p[0] == L'I' && p[1] == L'6' && p[2] == L'4')
        {
            out += L"ll";
            p += 3;
        }
        else if (p[0] == L'I' && p[1] == L'3' && p[2] == L'2')
        {
            p += 3;
        }
        else if (p[0] == L'l' && p[1] == L'l')
        {
            out += L"ll";
            p += 2;
        }
        else if (*p == L'l')
        {
            ++p;
            if (*p == L'f' || *p == L'e' || *p == L'g')
                out += L'l';
        }
        else if (*p == L'h')
        {
            ++p;
            if (*p == L's' || *p == L'c')
                wideChar = false;
            else
                out += L'h';
        }
        else if (*p == L'w')
        {
            ++p;
        }
        if (!*p)
            break;
        const wchar_t conv = *p++;
        switch (conv)
        {
        case L's':
            out += wideChar ? L"ls" : L"s";
            break;
        case L'S':
            out += L"s";
            break;
        case L'c':
            out += wideChar ? L"lc" : L"c";
            break;
        case L'C':
            out += L"c";
            break;
        default:
            out += conv;
            break;
        }
    }
    return out;
}

} // namespace

std::wstring FormatWideStringV(const wchar_t* format, va_list args)
{
    if (!format)
        return std::wstring();
    const std::wstring translated = TranslateFormat(format);
    std::vector<wchar_t> buffer(256);
    for (;;)
    {
        va_list copy;
        va_copy(copy, args);
        const int n = std::vswprintf(buffer.data(), buffer.size(), translated.c_str(), copy);
        va_end(copy);
        if (n >= 0 && static_cast<size_t>(n) < buffer.size())
            return std::wstring(buffer.data(), static_cast<size_t>(n));
        // glibc reports -1 both for "too small" and for encoding errors;
        // stop growing at a size no trace line or message comes near.
        if (buffer.size() >= (1u << 20))
            return std::wstring();
        buffer.resize(buffer.size() * 4);
    }
}
