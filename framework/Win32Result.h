// The calling thread's last Win32 error as an HRESULT, by the one rule used
// everywhere (HRESULT_FROM_WIN32): an error number greater than 0 becomes
// 0x80070000 with its low 16 bits; 0 and negative numbers stay as they are.
// A failed call that left no error number therefore gives 0: callers that must
// fail then assign E_FAIL themselves.
#pragma once

#include <windows.h>

[[nodiscard]] inline HRESULT HResultFromLastError()
{
    return HRESULT_FROM_WIN32(GetLastError());
}

// The last Win32 error of a creation (an event, a thread) that failed: as
// above, but a failure always, E_FAIL when no error number was left.
[[nodiscard]] inline HRESULT CreationFailureFromLastError()
{
    const HRESULT hr = HResultFromLastError();
    return FAILED(hr) ? hr : E_FAIL;
}
