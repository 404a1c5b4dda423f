#include "platform/RegistryFile.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/RegFileFormat.h"

namespace {

std::atomic<LONG> g_nextUpdateFailure{ERROR_SUCCESS};

std::string AbsoluteFromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    return value && value[0] == '/' ? std::string(value) : std::string();
}

void SetProblem(std::string* problem, const std::string& text)
{
    if (problem)
        *problem = text;
}

std::string SystemText(int error)
{
    return std::strerror(error);
}

// mkdir -p for the folders above path's last component.
void CreateParentFolders(const std::string& path)
{
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        (void)::mkdir(path.substr(0, slash).c_str(), 0700); // existing ones fail harmlessly
}

// An open file descriptor, closed when it goes.
class CFileDescriptor
{
public:
    explicit CFileDescriptor(int fd) : m_fd(fd) {}
    ~CFileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;
    int get() const { return m_fd; }
    // Closes now; false when the close reports a failed write.
    bool Close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

LONG ReadWhole(const std::string& path, std::string& text, std::string* problem)
{
    CFileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0)
    {
        if (errno == ENOENT)
            return ERROR_SUCCESS; // no file yet: an empty registry
        SetProblem(problem, "cannot read the registry file " + path + ": " + SystemText(errno));
        return ERROR_CANTREAD;
    }
    struct stat st;
    if (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode))
    {
        SetProblem(problem, "the registry file " + path + " is not a regular file");
        return ERROR_CANTREAD;
    }
    if (st.st_size > CRegistryFile::kMaxSize)
    {
        SetProblem(problem, "the registry file " + path + " is damaged: it has " + std::to_string(st.st_size) +
                                " bytes, more than a registry of 16 MiB; fix or remove it");
        return ERROR_BADDB;
    }
    text.resize(static_cast<size_t>(st.st_size));
    size_t done = 0;
    while (done < text.size())
    {
        const ssize_t n = ::read(file.get(), &text[done], text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
        {
            SetProblem(problem, "cannot read the registry file " + path + ": " +
                                    (n < 0 ? SystemText(errno) : std::string("it became shorter while read")));
            return ERROR_CANTREAD;
        }
        done += static_cast<size_t>(n);
    }
    return ERROR_SUCCESS;
}

LONG WriteError(int error)
{
    switch (error)
    {
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    default:
        return ERROR_CANTWRITE;
    }
}

bool WriteAll(int fd, const std::string& text)
{
    for (size_t done = 0; done < text.size();)
    {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Writes text to a new file beside path and renames it over path.
LONG ReplaceWhole(const std::string& path, const std::string& text, std::string* problem)
{
    const std::string temporary = path + ".new-" + std::to_string(::getpid());
    CFileDescriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    // On disk before the rename, so that a crash leaves the old file or the new one.
    bool ok = file.get() >= 0 && WriteAll(file.get(), text) && ::fsync(file.get()) == 0;
    int error = errno;
    if (file.get() >= 0 && !file.Close() && ok)
    {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0)
    {
        ok = false;
        error = errno;
    }
    if (ok)
        return ERROR_SUCCESS;
    (void)::unlink(temporary.c_str());
    SetProblem(problem, "cannot write the registry file " + path + ": " + SystemText(error));
    return WriteError(error);
}

} // namespace

std::string CRegistryFile::Path()
{
    if (const char* path = std::getenv("QTP_REGISTRY"); path && *path)
        return path;
    std::string config = AbsoluteFromEnvironment("XDG_CONFIG_HOME");
    if (config.empty())
    {
        const std::string home = AbsoluteFromEnvironment("HOME");
        if (home.empty() || home == "/")
            return std::string();
        config = home + "/.config";
    }
    return config + "/ostrivel-qtparser/registry.reg";
}

LONG CRegistryFile::Read(CRegistryKey& root, std::string* problem)
{
    const std::string path = Path();
    if (path.empty())
        return ERROR_SUCCESS; // nowhere to keep one: an empty registry
    std::string text;
    const LONG status = ReadWhole(path, text, problem);
    if (status != ERROR_SUCCESS || text.empty())
        return status;
    std::string where;
    if (ParseRegFile(text, root, where))
        return ERROR_SUCCESS;
    root.Clear();
    SetProblem(problem, "the registry file " + path + " is damaged: " + where + "; fix or remove it");
    return ERROR_BADDB;
}

LONG CRegistryFile::Update(const std::function<LONG(CRegistryKey&)>& change, std::string* problem)
{
    const std::string path = Path();
    if (path.empty())
    {
        SetProblem(problem, "no place for the registry file: set QTP_REGISTRY, XDG_CONFIG_HOME or HOME");
        return ERROR_CANTWRITE;
    }
    if (const LONG failure = g_nextUpdateFailure.exchange(ERROR_SUCCESS); failure != ERROR_SUCCESS)
    {
        SetProblem(problem, "a registry change failed on request");
        return failure;
    }
    CreateParentFolders(path);
    const std::string lockPath = path + ".lock";
    CFileDescriptor lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    int locked = -1;
    while (lock.get() >= 0 && (locked = ::flock(lock.get(), LOCK_EX)) != 0 && errno == EINTR)
    {
    }
    if (locked != 0)
    {
        SetProblem(problem, "cannot lock the registry file " + lockPath + ": " + SystemText(errno));
        return WriteError(errno);
    }
    CRegistryKey root;
    LONG status = Read(root, problem);
    if (status == ERROR_SUCCESS)
        status = change(root);
    if (status == ERROR_SUCCESS)
        status = ReplaceWhole(path, FormatRegFile(root), problem);
    return status; // the lock goes with its descriptor
}

void CRegistryFile::FailNextUpdate(LONG error)
{
    g_nextUpdateFailure.store(error);
}
