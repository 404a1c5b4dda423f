// Native stand-in for <handleapi.h>: closing the handles of events and threads.
#pragma once

#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))

// Closes an event or thread handle. Closing a thread handle does not end the
// thread. FALSE with ERROR_INVALID_HANDLE for an unknown or closed handle.
BOOL CloseHandle(HANDLE hObject);
