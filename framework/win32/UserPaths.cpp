#include "framework/UserPaths.h"

#include <windows.h>

#include <cstdlib>

#include "framework/Utf8.h"

std::string UserStateDirectory(const std::string& application)
{
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    if (!local || !*local)
        return std::string();
    return WideToUtf8(local) + "\\" + application;
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
    return WideToUtf8(path.c_str());
}
