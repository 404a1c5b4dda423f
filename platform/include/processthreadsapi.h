// Native stand-in for <processthreadsapi.h>: the thread queries the filter
// uses. Threads themselves are started with _beginthreadex (<process.h>).
#pragma once

#define STILL_ACTIVE 259
#define CREATE_SUSPENDED 0x00000004

// The exit code of a finished thread (its procedure's return value), or
// STILL_ACTIVE while it runs. FALSE with ERROR_INVALID_HANDLE for a handle
// that is not a thread.
BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode);
// Starts a thread created with CREATE_SUSPENDED; returns the previous suspend
// count (1, then 0), or (DWORD)-1 for a handle that is not a thread.
DWORD ResumeThread(HANDLE hThread);
// A nonzero number, unique among the process's living threads.
DWORD GetCurrentThreadId();
