#include "tools/WideText.h"

namespace
{
constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(char32_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        c = kReplacement;
    if (c < 0x80)
    {
        out += static_cast<char>(c);
        return;
    }
    const int extra = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    static const unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(kLead[extra] | (c >> (6 * extra)));
    for (int k = extra - 1; k >= 0; --k)
        out += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
}

void AppendWide(std::wstring& out, char32_t c)
{
    if (sizeof(wchar_t) == 2 && c >= 0x10000)
    {
        out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
        out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
    else
    {
        out += static_cast<wchar_t>(c);
    }
}

// The code point of the UTF-8 sequence at text[*at], moving *at past it.
char32_t DecodeUtf8(const std::string& text, size_t* at)
{
    const unsigned char lead = static_cast<unsigned char>(text[*at]);
    ++*at;
    const int extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : -1;
    if (extra < 0)
        return kReplacement;
    char32_t c = extra == 0 ? lead : (lead & (0x3F >> extra));
    for (int k = 0; k < extra; ++k)
    {
        if (*at >= text.size() || (static_cast<unsigned char>(text[*at]) & 0xC0) != 0x80)
            return kReplacement;
        c = (c << 6) | (static_cast<unsigned char>(text[*at]) & 0x3F);
        ++*at;
    }
    return c;
}
} // namespace

std::string ToUtf8(const wchar_t* text)
{
    return text ? ToUtf8(std::wstring(text)) : std::string();
}

std::string ToUtf8(const std::wstring& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
    {
        char32_t c = static_cast<char32_t>(text[i]);
        if (sizeof(wchar_t) == 2)
            c &= 0xFFFF;
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(static_cast<char32_t>(text[i + 1]) & 0xFFFF))
        {
            c = 0x10000 + ((c - 0xD800) << 10) + ((static_cast<char32_t>(text[i + 1]) & 0xFFFF) - 0xDC00);
            ++i;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::wstring ToWide(const std::string& text)
{
    std::wstring out;
    for (size_t at = 0; at < text.size();)
    {
        char32_t c = DecodeUtf8(text, &at);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            c = kReplacement;
        AppendWide(out, c);
    }
    return out;
}
