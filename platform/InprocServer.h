// Where the registry file says the in-process server of a class is: the
// default value of HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32.
#pragma once

#include <windows.h>

#include <string>

// ERROR_SUCCESS with the module's path; ERROR_FILE_NOT_FOUND when the class
// has no such string there; the registry file's failures (RegistryFile.h),
// with problem (which may be null) saying what is wrong.
[[nodiscard]] LONG FindInprocServer(REFCLSID clsid, std::wstring& path, std::string* problem);
