// A read-only file opened for positioned reads at 64-bit offsets. Reads do not
// share a file position, so several threads may read one file at once.
// Owns its handle; closed by the destructor or Close().
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CPositionalFile
{
public:
    CPositionalFile() = default;
    ~CPositionalFile();
    CPositionalFile(const CPositionalFile&) = delete;
    CPositionalFile& operator=(const CPositionalFile&) = delete;

    // Opens path (UTF-8 on the native build); false with the platform's error
    // in GetLastError when it cannot be opened.
    [[nodiscard]] bool Open(const std::string& path);
    void Close();
    bool IsOpen() const;

    // Size in bytes when opened; -1 when not open.
    int64_t Size() const { return m_size; }

    // Reads up to length bytes at offset into buffer; returns the bytes read
    // (fewer at the end of the file, 0 at or past it), or -1 on a failure.
    [[nodiscard]] int64_t ReadAt(int64_t offset, void* buffer, size_t length) const;

private:
    intptr_t m_handle = -1; // platform handle, owned
    int64_t m_size = -1;
};
