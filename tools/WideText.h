// Wide text to UTF-8 and back, on both builds: wchar_t holds UTF-32 on Linux
// and UTF-16 on Windows, where a character beyond U+FFFF is a surrogate pair.
// Invalid input becomes U+FFFD.
#pragma once

#include <string>

std::string ToUtf8(const wchar_t* text); // null gives ""
std::string ToUtf8(const std::wstring& text);
std::wstring ToWide(const std::string& text);
