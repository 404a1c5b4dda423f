// CHandle: owns one Win32 handle (an event or a thread) and closes it when it
// lets go. reset() closes it at a chosen moment, where the order of closing
// matters (a thread is waited for before the events it waits on go).
#pragma once

#include <windows.h>

class CHandle
{
public:
    CHandle() = default;
    // Takes over h (null or a valid handle).
    explicit CHandle(HANDLE h) : m_h(h) {}
    ~CHandle() { reset(); }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;

    HANDLE get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }

    // Closes the held handle, if any, and takes over h.
    void reset(HANDLE h = nullptr)
    {
        HANDLE old = m_h;
        m_h = h;
        if (old)
            (void)CloseHandle(old); // nothing to do about a handle that will not close
    }

private:
    HANDLE m_h = nullptr;
};
