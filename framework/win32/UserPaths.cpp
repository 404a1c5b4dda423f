#include "framework/UserPaths.h"

#include <windows.h>

#include <cstdlib>

namespace {

std::string Utf8FromWide(const wchar_t* text)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1)
        return std::string();
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &bytes[0], n, nullptr, nullptr);
    bytes.resize(static_cast<size_t>(n - 1));
    return bytes;
}

} // namespace

std::string UserStateDirectory(const std::string& application)
{
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    if (!local || !*local)
        return std::string();
    return Utf8FromWide(local) + "\\" + application;
}

std::string UserTemporaryDirectory(const std::string& application)
{
    // The temporary folder is already the user's own on this platform.
    wchar_t folder[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, folder);
    if (n == 0 || n > MAX_PATH)
        return std::string();
    std::wstring path = folder;
    path.append(application.begin(), application.end()); // the application's name is ASCII
    (void)CreateDirectoryW(path.c_str(), nullptr); // may exist already
    return Utf8FromWide(path.c_str());
}
