// LoadLibraryW and friends over the dynamic linker.
#include "platform/ModuleLoader.h"

#include <windows.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/Utf8.h"

namespace {

thread_local std::string t_lastLoadError;

// path made absolute, with links resolved; empty when it does not exist.
std::string RealPath(const std::string& path)
{
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real)
        return std::string();
    std::string result = real;
    std::free(real);
    return result;
}

std::string ProgramPath()
{
    return RealPath("/proc/self/exe");
}

} // namespace

std::string LastModuleLoadError()
{
    return t_lastLoadError;
}

HMODULE LoadLibraryW(LPCWSTR path)
{
    if (!path || !*path)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::string name = WideToUtf8(path);
    if (name.find('/') != std::string::npos)
    {
        const std::string real = RealPath(name);
        if (real.empty())
        {
            t_lastLoadError = name + ": " + std::strerror(errno);
            SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        name = real;
    }
    void* module = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module)
    {
        const char* reason = ::dlerror();
        t_lastLoadError = reason ? reason : name + ": cannot be loaded";
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return nullptr;
    }
    return module;
}

BOOL FreeLibrary(HMODULE module)
{
    if (!module || ::dlclose(module) != 0)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name)
{
    void* symbol = module && name ? ::dlsym(module, name) : nullptr;
    if (!symbol)
    {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size)
{
    std::string path;
    if (!module)
        path = ProgramPath();
    else if (struct link_map* map = nullptr; ::dlinfo(module, RTLD_DI_LINKMAP, &map) == 0 && map)
        path = map->l_name && *map->l_name ? RealPath(map->l_name) : ProgramPath();
    if (path.empty())
    {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    const std::wstring wide = Utf8ToWide(path);
    if (!buffer || size == 0)
    {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (wide.size() >= size)
    {
        wide.copy(buffer, size - 1);
        buffer[size - 1] = L'\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    wide.copy(buffer, wide.size());
    buffer[wide.size()] = L'\0';
    return static_cast<DWORD>(wide.size());
}
