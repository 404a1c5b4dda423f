#include "framework/PositionalFile.h"

#include <windows.h>

#include "framework/Utf8.h"

CPositionalFile::~CPositionalFile()
{
    Close();
}

bool CPositionalFile::Open(const std::string& path)
{
    Close();
    // Shared for writing too: a movie still being written may be inspected.
    HANDLE file = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size))
    {
        CloseHandle(file);
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    m_handle = reinterpret_cast<intptr_t>(file);
    m_size = static_cast<int64_t>(size.QuadPart);
    return true;
}

void CPositionalFile::Close()
{
    if (m_handle != -1)
        CloseHandle(reinterpret_cast<HANDLE>(m_handle));
    m_handle = -1;
    m_size = -1;
}

bool CPositionalFile::IsOpen() const
{
    return m_handle != -1;
}

int64_t CPositionalFile::ReadAt(int64_t offset, void* buffer, size_t length) const
{
    if (m_handle == -1 || offset < 0)
        return -1;
    size_t done = 0;
    while (done < length)
    {
        // The offset travels with each read, so reads on several threads
        // never share a file position.
        const int64_t at = offset + static_cast<int64_t>(done);
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(at);
        position.OffsetHigh = static_cast<DWORD>(at >> 32);
        const size_t left = length - done;
        const DWORD chunk = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        DWORD n = 0;
        if (!ReadFile(reinterpret_cast<HANDLE>(m_handle), static_cast<char*>(buffer) + done, chunk, &n, &position))
        {
            if (GetLastError() == ERROR_HANDLE_EOF)
                break;
            return -1;
        }
        if (n == 0)
            break; // end of file
        done += n;
    }
    return static_cast<int64_t>(done);
}
