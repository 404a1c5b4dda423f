// Wide to UTF-8 and back, for text leaving or entering the process (files,
// stderr, the system log, paths and arguments): UTF-32 wide strings on the
// native build, UTF-16 on Windows. Invalid code points or bytes become U+FFFD.
#pragma once

#include <string>

std::string WideToUtf8(const wchar_t* text);
std::string WideToUtf8(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);
