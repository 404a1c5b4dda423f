#include "framework/PositionalFile.h"

#include <windows.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CPositionalFile::~CPositionalFile()
{
    Close();
}

bool CPositionalFile::Open(const std::string& path)
{
    Close();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
    {
        SetLastError(static_cast<DWORD>(errno == ENOENT ? ERROR_FILE_NOT_FOUND
                                        : errno == EACCES ? ERROR_ACCESS_DENIED
                                                          : ERROR_INVALID_HANDLE));
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
    {
        ::close(fd);
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    m_handle = fd;
    m_size = static_cast<int64_t>(st.st_size);
    return true;
}

void CPositionalFile::Close()
{
    if (m_handle >= 0)
        ::close(static_cast<int>(m_handle));
    m_handle = -1;
    m_size = -1;
}

bool CPositionalFile::IsOpen() const
{
    return m_handle >= 0;
}

int64_t CPositionalFile::ReadAt(int64_t offset, void* buffer, size_t length) const
{
    if (m_handle < 0 || offset < 0)
        return -1;
    size_t done = 0;
    while (done < length)
    {
        const ssize_t n = ::pread(static_cast<int>(m_handle), static_cast<char*>(buffer) + done, length - done,
                                  static_cast<off_t>(offset + static_cast<int64_t>(done)));
        if (n < 0)
        {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break; // end of file
        done += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(done);
}
