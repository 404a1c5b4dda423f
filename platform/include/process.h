// Native stand-in for the C runtime's <process.h>: threads whose handle is
// waitable (signalled once the procedure has returned) and yields the exit
// code through GetExitCodeThread. Close the handle with CloseHandle; closing
// it while the thread runs leaves the thread running.
#pragma once

#include <windows.h>

// Starts start_address(arglist) on a new thread; returns its handle, or 0 with
// errno set when no thread can be started. security and stack_size are
// accepted and ignored; initflag may be 0 or CREATE_SUSPENDED (then the
// thread waits for ResumeThread). thrdaddr, when given, receives the id.
uintptr_t _beginthreadex(void* security, unsigned stack_size, unsigned(__stdcall* start_address)(void*),
                         void* arglist, unsigned initflag, unsigned* thrdaddr);
