// Native stand-in for <libloaderapi.h>: loading modules (shared objects) and
// finding their entry points, plus the reasons a module's DllMain is called
// with (<winnt.h> on the platform).
//
// A module handle is the handle dlopen gives; NULL names the program itself.
#pragma once

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

typedef INT_PTR (*FARPROC)();

// Loads the module at path (a path with a '/' is made absolute first, so the
// module's file name is the same whatever the working folder). NULL with
// ERROR_MOD_NOT_FOUND for a missing file, ERROR_BAD_EXE_FORMAT for one that
// will not load; platform/ModuleLoader.h has the loader's reason.
HMODULE LoadLibraryW(LPCWSTR path);
// Drops one load of the module; the last one unloads it.
BOOL FreeLibrary(HMODULE module);
// The exported function name of module, or NULL with ERROR_PROC_NOT_FOUND.
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
// The module's full path in buffer (size characters with the terminator).
// Returns its length; when it does not fit, the path cut to size - 1
// characters, size and ERROR_INSUFFICIENT_BUFFER. 0 with ERROR_MOD_NOT_FOUND
// for a module that is not loaded.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);
