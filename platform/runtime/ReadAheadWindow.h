// The file source's read-ahead: a run of small reads, each starting where
// the last one ended (a movie of small samples read front to back), is
// served from one large pread instead of one system call each. A read that
// is large, or not part of such a run, goes straight into the caller's
// buffer with no extra copy, unless the window holds it already. The window
// keeps the bytes as they were when it was read.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>

#include "framework/PositionalFile.h"

class CReadAheadWindow
{
public:
    // Bytes read ahead at once: enough that a run of 1,000-byte samples
    // makes a system call per few hundred of them, little enough to be
    // nothing beside a pin's buffers.
    static constexpr LONG kWindowBytes = 256 * 1024;
    // A read of at least this many bytes is never staged in the window.
    static constexpr LONG kSmallReadBytes = 16 * 1024;

    // Reads length bytes (> 0) at position, which lies before end (the
    // file's length when opened; nothing at or beyond it is read), from file
    // into buffer: the count read, fewer where the file ends, or -1 when the
    // read fails. Safe from several threads at once.
    [[nodiscard]] int64_t Read(const CPositionalFile& file, LONGLONG end, LONGLONG position, LONG length, BYTE* buffer);

private:
    // Requires m_lock. Whether [position, position + length) is in the window.
    bool Holds(LONGLONG position, LONG length) const;

    std::mutex m_lock;                // guards the members below
    std::unique_ptr<BYTE[]> m_bytes;  // kWindowBytes, made by the first run that needs it
    LONGLONG m_start = 0;             // file position of m_bytes[0]
    LONG m_valid = 0;                 // bytes of the window read
    LONGLONG m_lastEnd = -1;          // where the last read ended
    bool m_lastSmall = false;         // whether it was a small one
};
