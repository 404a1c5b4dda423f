#include "framework/AppendFile.h"

#include <windows.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/Utf8.h"

namespace {

DWORD Win32ErrorFromErrno(int error)
{
    switch (error)
    {
    case ENOENT:
    case ENOTDIR:
        return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    default:
        return ERROR_INVALID_HANDLE;
    }
}

// mkdir -p for the folders above path's last component.
void CreateParentFolders(const std::string& path)
{
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        (void)::mkdir(path.substr(0, slash).c_str(), 0700); // existing ones fail harmlessly
}

} // namespace

CAppendFile::~CAppendFile()
{
    Close();
}

bool CAppendFile::Open(const std::string& path)
{
    Close();
    if (path.empty())
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    CreateParentFolders(path);
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600);
    if (fd < 0)
    {
        SetLastError(Win32ErrorFromErrno(errno));
        return false;
    }
    m_handle = fd;
    m_owned = true;
    return true;
}

void CAppendFile::OpenStandardError()
{
    Close();
    m_handle = STDERR_FILENO;
    m_owned = false;
}

void CAppendFile::Close()
{
    if (m_handle >= 0 && m_owned)
        ::close(static_cast<int>(m_handle));
    m_handle = -1;
    m_owned = false;
}

bool CAppendFile::IsOpen() const
{
    return m_handle >= 0;
}

bool CAppendFile::Append(const std::wstring& text)
{
    if (m_handle < 0)
        return false;
    const std::string bytes = WideToUtf8(text);
    size_t done = 0;
    // One write in practice; the loop only finishes one cut short by a signal.
    while (done < bytes.size())
    {
        const ssize_t n = ::write(static_cast<int>(m_handle), bytes.data() + done, bytes.size() - done);
        if (n < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}
