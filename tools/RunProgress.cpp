#include "tools/RunProgress.h"

#include <cstdio>

CRunProgress::CRunProgress(std::ostream& err, bool enabled, LONGLONG fileBytes)
    : m_err(err), m_enabled(enabled), m_fileBytes(fileBytes), m_start(std::chrono::steady_clock::now())
{
}

CRunProgress::~CRunProgress()
{
    if (m_shown)
        m_err << "\r\033[K" << std::flush;
}

void CRunProgress::Update(LONGLONG bytes)
{
    if (!m_enabled)
        return;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    char line[96];
    const double megabytes = static_cast<double>(bytes) / 1e6;
    std::snprintf(line, sizeof line, "\rqtgraph: %.1f of %.1f MB, %.1f MB/s\033[K", megabytes,
                  static_cast<double>(m_fileBytes) / 1e6, seconds > 0 ? megabytes / seconds : 0.0);
    m_err << line << std::flush;
    m_shown = true;
}
