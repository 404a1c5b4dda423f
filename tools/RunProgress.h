// The progress line of qtgraph run on a terminal: bytes received of the file
// size and the rate, rewritten in place on standard error and erased at the
// end. Off when standard error is not a terminal, so logs stay clean.
#pragma once

#include <windows.h>

#include <chrono>
#include <ostream>

class CRunProgress
{
public:
    CRunProgress(std::ostream& err, bool enabled, LONGLONG fileBytes);
    // Erases the line.
    ~CRunProgress();
    CRunProgress(const CRunProgress&) = delete;
    CRunProgress& operator=(const CRunProgress&) = delete;

    void Update(LONGLONG bytes);

private:
    std::ostream& m_err;
    const bool m_enabled;
    const LONGLONG m_fileBytes;
    const std::chrono::steady_clock::time_point m_start;
    bool m_shown = false;
};
