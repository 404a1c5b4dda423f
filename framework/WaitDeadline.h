// CWaitDeadline: what is left of a time-out across several waits, for loops
// that wait on an event and then check their condition again under a lock.
//     CWaitDeadline deadline(dwTimeout);   // milliseconds, or INFINITE
//     ... WaitForSingleObject(event, deadline.Remaining()) ...
#pragma once

#include <windows.h>

#include <chrono>

class CWaitDeadline
{
public:
    explicit CWaitDeadline(DWORD timeoutMs)
        : m_infinite(timeoutMs == INFINITE),
          m_end(std::chrono::steady_clock::now() + std::chrono::milliseconds(m_infinite ? 0 : timeoutMs))
    {
    }

    // Milliseconds left (0 once passed), or INFINITE for a wait without one.
    DWORD Remaining() const
    {
        if (m_infinite)
            return INFINITE;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_end - std::chrono::steady_clock::now());
        return left.count() > 0 ? static_cast<DWORD>(left.count()) : 0;
    }

private:
    bool m_infinite;
    std::chrono::steady_clock::time_point m_end;
};
