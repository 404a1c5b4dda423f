// The native registry: one text file of the current user's (RegFileFormat.h)
// that the registry calls of <winreg.h> read and change.
//
// Where: $QTP_REGISTRY when set, else $XDG_CONFIG_HOME/ostrivel-qtparser/
// registry.reg, else ~/.config/ostrivel-qtparser/registry.reg.
//
// A missing file is an empty registry. A change reads the file, changes it
// in memory and writes a new file that is renamed over the old one, all under
// an exclusive lock on "<file>.lock" that every writing process takes, so no
// change is lost to another and no reader ever sees half a file. A file that
// does not read as a registry is damaged: it is reported and left alone.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "platform/RegistryKey.h"

class CRegistryFile
{
public:
    // Larger files are taken as damaged rather than read.
    static constexpr long long kMaxSize = 16 * 1024 * 1024;

    // The file's path; empty when the environment names no place for it.
    static std::string Path();

    // Reads the file into root (an empty key). ERROR_SUCCESS, also for a
    // missing file; ERROR_BADDB for a damaged file, ERROR_CANTREAD when it
    // cannot be read, with a sentence for a person in problem (which may be
    // null) naming the file and what is wrong.
    [[nodiscard]] static LONG Read(CRegistryKey& root, std::string* problem);

    // Changes the file: change gets the registry as the file has it and
    // returns ERROR_SUCCESS to have it written, or an error to leave the file
    // as it is and return that error. Read's failures, and ERROR_CANTWRITE,
    // ERROR_ACCESS_DENIED or ERROR_DISK_FULL when the new file cannot be
    // written, with problem as for Read.
    [[nodiscard]] static LONG Update(const std::function<LONG(CRegistryKey&)>& change, std::string* problem);

    // For tests: the next Update fails with error, its change not applied.
    static void FailNextUpdate(LONG error);
};
