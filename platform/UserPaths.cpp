#include "framework/UserPaths.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// An absolute path from the environment, or empty.
std::string AbsoluteFromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    return value && value[0] == '/' ? std::string(value) : std::string();
}

} // namespace

std::string UserStateDirectory(const std::string& application)
{
    const std::string state = AbsoluteFromEnvironment("XDG_STATE_HOME");
    if (!state.empty())
        return state + "/" + application;
    const std::string home = AbsoluteFromEnvironment("HOME");
    if (home.empty() || home == "/")
        return std::string();
    return home + "/.local/state/" + application;
}

std::string UserTemporaryDirectory(const std::string& application)
{
    std::string base = AbsoluteFromEnvironment("TMPDIR");
    if (base.empty())
        base = "/tmp";
    const uid_t uid = ::getuid();
    const std::string folder = base + "/" + application + "-" + std::to_string(uid);
    (void)::mkdir(folder.c_str(), 0700); // may exist already; checked below
    // Another user could have made the folder first in a shared /tmp: use it
    // only when it is a real folder of ours that no one else can write to.
    struct stat st;
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != uid ||
        (st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return std::string();
    return folder;
}
