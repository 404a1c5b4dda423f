// What the native module loader (LoadLibraryW, <libloaderapi.h>) knows
// beyond the platform's calls.
#pragma once

#include <string>

// The loader's own words for the calling thread's last LoadLibraryW failure
// (the dynamic linker's message), for a person.
std::string LastModuleLoadError();
