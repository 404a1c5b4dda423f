// Native stand-in for <windows.h>: the Win32 subset this filter uses, with the
// platform's names and sizes (LONG and HRESULT are 32-bit, unlike Linux long).
//
// Filter code includes <windows.h> on both builds; on the native build this
// folder is first on the include path, on Windows the platform header is used.
#pragma once

#include <cstddef>
#include <cstdint>

#include "guiddef.h"
#include "winerror.h"

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int32_t INT;
typedef uint32_t UINT;
typedef int32_t BOOL;
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef uint64_t DWORD_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef size_t SIZE_T;
typedef uintptr_t UINT_PTR;
typedef intptr_t INT_PTR;
typedef wchar_t WCHAR;
typedef char CHAR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef char* LPSTR;
typedef const char* LPCSTR;
// The platform's generic text type under UNICODE, which this build always is.
typedef WCHAR TCHAR;
typedef TCHAR* LPTSTR;
typedef const TCHAR* LPCTSTR;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef BYTE* PBYTE;
typedef BYTE* LPBYTE;
typedef LONG* LPLONG;
typedef DWORD* LPDWORD;
typedef void* HANDLE;
typedef HANDLE HINSTANCE;
typedef HANDLE HMODULE;
typedef LONG_PTR LRESULT;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define WINAPI
#define __stdcall
#define STDMETHODCALLTYPE
#define STDAPI extern "C" HRESULT
#define STDAPI_(type) extern "C" type
#define MAX_PATH 260

// Thread-local last error, as the platform keeps it per thread.
DWORD GetLastError();
void SetLastError(DWORD error);

#include "windef.h"
#include "wingdi.h"
#include "minwinbase.h"
#include "handleapi.h"
#include "processthreadsapi.h"
#include "synchapi.h"
#include "sysinfoapi.h"
#include "winbase.h"
#include "libloaderapi.h"
#include "winreg.h"

// Debugger output: a process-wide sink (see platform/DebugOutput.h).
void OutputDebugStringW(LPCWSTR text);
