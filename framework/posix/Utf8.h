// Wide (UTF-32 on Linux) to UTF-8, for text leaving the process (files,
// stderr, the system log). Invalid code points become U+FFFD.
#pragma once

#include <string>

std::string WideToUtf8(const wchar_t* text);
std::string WideToUtf8(const std::wstring& text);
// UTF-8 to wide, for paths and arguments coming in; invalid bytes become U+FFFD.
std::wstring Utf8ToWide(const std::string& text);
