#include "bench/PageCache.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <vector>

bool WarmPageCache(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    std::vector<char> buffer(size_t{1} << 20);
    ssize_t n = 0;
    while ((n = ::read(fd, buffer.data(), buffer.size())) > 0)
    {
    }
    ::close(fd);
    return n == 0;
}

double CachedShare(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st;
    double share = -1;
    if (::fstat(fd, &st) == 0 && st.st_size > 0)
    {
        const size_t size = static_cast<size_t>(st.st_size);
        void* map = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
        if (map != MAP_FAILED)
        {
            const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
            std::vector<unsigned char> resident((size + page - 1) / page);
            if (::mincore(map, size, resident.data()) == 0)
            {
                size_t cached = 0;
                for (const unsigned char pageState : resident)
                    cached += pageState & 1;
                share = static_cast<double>(cached) / static_cast<double>(resident.size());
            }
            ::munmap(map, size);
        }
    }
    ::close(fd);
    return share;
}

bool DropPageCache()
{
    ::sync();
    std::ofstream control("/proc/sys/vm/drop_caches");
    control << "3\n";
    control.close();
    return !control.fail();
}
