// Per-user places for files the module keeps for a person to read (its error
// journal). Paths are UTF-8 on the native build.
#pragma once

#include <string>

// The folder for application's state of the current user, not created here:
// $XDG_STATE_HOME/<application> or ~/.local/state/<application> on the native
// build. Empty when the environment names no usable home.
std::string UserStateDirectory(const std::string& application);

// A private temporary folder of the current user, created when missing
// (/tmp/<application>-<uid> on the native build). Empty when it cannot be
// created or is not a folder of this user's alone.
std::string UserTemporaryDirectory(const std::string& application);
