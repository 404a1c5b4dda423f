#include "platform/runtime/ReadAheadWindow.h"

#include <algorithm>
#include <cstring>
#include <new>

bool CReadAheadWindow::Holds(LONGLONG position, LONG length) const
{
    return position >= m_start && position - m_start + length <= m_valid;
}

int64_t CReadAheadWindow::Read(const CPositionalFile& file, LONGLONG end, LONGLONG position, LONG length,
                               BYTE* buffer)
{
    std::lock_guard<std::mutex> lock(m_lock);
    const bool small = length < kSmallReadBytes;
    const bool inRun = small && m_lastSmall && position == m_lastEnd;
    m_lastEnd = position + length;
    m_lastSmall = small;
    if (inRun && !Holds(position, length))
    {
        if (!m_bytes)
            m_bytes.reset(new (std::nothrow) BYTE[kWindowBytes]); // without it, reads go straight
        if (m_bytes)
        {
            const LONG want = static_cast<LONG>(std::min<LONGLONG>(kWindowBytes, end - position));
            const int64_t got = file.ReadAt(position, m_bytes.get(), static_cast<size_t>(want));
            m_start = position;
            m_valid = got < 0 ? 0 : static_cast<LONG>(got);
        }
    }
    if (Holds(position, length))
    {
        std::memcpy(buffer, m_bytes.get() + (position - m_start), static_cast<size_t>(length));
        return length;
    }
    // Also where the window came up short (the file shrank, or the read
    // failed): the read itself says what is there now.
    return file.ReadAt(position, buffer, static_cast<size_t>(length));
}
