// The registry calls of <winreg.h> over the registry file (RegistryFile.h).
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_set>

#include "platform/RegFileFormat.h"
#include "platform/RegistryFile.h"

// An open key: the full path of the key it names, hive first.
struct HKEY__
{
    std::wstring path;
};

namespace {

std::mutex g_handlesLock;
std::unordered_set<HKEY> g_handles; // owned; guarded by g_handlesLock

const wchar_t* HiveName(HKEY key)
{
    const HKEY hives[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};
    for (size_t i = 0; i < 3; ++i)
        if (key == hives[i])
            return kRegistryHives[i];
    return nullptr;
}

bool ValidSubkey(const std::wstring& subKey)
{
    for (size_t start = 0; start <= subKey.size();)
    {
        size_t end = subKey.find(L'\\', start);
        if (end == std::wstring::npos)
            end = subKey.size();
        if (end == start || end - start > kMaxRegistryKeyName)
            return false;
        start = end + 1;
    }
    return IsRegistryText(subKey);
}

// The full path of subKey below key, or an error for an unknown handle or a
// malformed subkey path.
LONG FullPath(HKEY key, LPCWSTR subKey, std::wstring& path)
{
    if (const wchar_t* hive = HiveName(key))
        path = hive;
    else
    {
        std::lock_guard<std::mutex> lock(g_handlesLock);
        if (!key || g_handles.count(key) == 0)
            return ERROR_INVALID_HANDLE;
        path = key->path;
    }
    if (subKey && *subKey)
    {
        if (!ValidSubkey(subKey))
            return ERROR_BAD_PATHNAME;
        path += L'\\';
        path += subKey;
    }
    // No deeper than the registry file may hold, hive included.
    if (static_cast<size_t>(std::count(path.begin(), path.end(), L'\\')) >= kMaxRegistryDepth)
        return ERROR_BAD_PATHNAME;
    return ERROR_SUCCESS;
}

// The registry as the file has it, and the full path of subKey below key.
LONG ReadRegistry(HKEY key, LPCWSTR subKey, CRegistryKey& root, std::wstring& path)
{
    const LONG status = FullPath(key, subKey, path);
    return status == ERROR_SUCCESS ? CRegistryFile::Read(root, nullptr) : status;
}

LONG OpenHandle(std::wstring path, PHKEY result)
{
    HKEY key = new (std::nothrow) HKEY__{std::move(path)};
    if (!key)
        return ERROR_NOT_ENOUGH_MEMORY;
    std::lock_guard<std::mutex> lock(g_handlesLock);
    g_handles.insert(key);
    *result = key;
    return ERROR_SUCCESS;
}

// Runs change on key (which must exist) inside one file update.
LONG UpdateKey(HKEY key, const std::function<LONG(CRegistryKey&, CRegistryKey&)>& change)
{
    std::wstring path;
    if (const LONG status = FullPath(key, nullptr, path); status != ERROR_SUCCESS)
        return status;
    return CRegistryFile::Update(
        [&](CRegistryKey& root) {
            // A hive is there even before anything is written to it.
            CRegistryKey* found = HiveName(key) ? &root.Create(path) : root.Find(path);
            return found ? change(root, *found) : ERROR_KEY_DELETED;
        },
        nullptr);
}

} // namespace

LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options, REGSAM access,
                        const LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition)
{
    (void)reserved, (void)keyClass, (void)options, (void)access, (void)security;
    if (!result)
        return ERROR_INVALID_PARAMETER;
    std::wstring base;
    std::wstring path;
    LONG status = FullPath(key, nullptr, base);
    if (status == ERROR_SUCCESS)
        status = FullPath(key, subKey, path);
    if (status != ERROR_SUCCESS)
        return status;
    bool created = false;
    status = CRegistryFile::Update(
        [&](CRegistryKey& root) {
            if (!root.Find(base) && !HiveName(key))
                return ERROR_KEY_DELETED;
            created = !root.Find(path);
            root.Create(path);
            return ERROR_SUCCESS;
        },
        nullptr);
    if (status == ERROR_SUCCESS && disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return status == ERROR_SUCCESS ? OpenHandle(std::move(path), result) : status;
}

LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result)
{
    (void)options, (void)access;
    if (!result)
        return ERROR_INVALID_PARAMETER;
    std::wstring path;
    CRegistryKey root;
    if (const LONG status = ReadRegistry(key, subKey, root, path); status != ERROR_SUCCESS)
        return status;
    return root.Find(path) ? OpenHandle(std::move(path), result) : ERROR_FILE_NOT_FOUND;
}

LSTATUS RegCloseKey(HKEY key)
{
    if (HiveName(key))
        return ERROR_SUCCESS;
    std::lock_guard<std::mutex> lock(g_handlesLock);
    if (!key || g_handles.erase(key) == 0)
        return ERROR_INVALID_HANDLE;
    delete key;
    return ERROR_SUCCESS;
}

LSTATUS RegSetValueExW(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size)
{
    (void)reserved;
    CRegistryValue value;
    value.name = name ? name : L"";
    value.type = type;
    if (size > 0 && !data)
        return ERROR_INVALID_PARAMETER;
    switch (type)
    {
    case REG_SZ:
    {
        const size_t count = size / sizeof(WCHAR);
        std::wstring text(count, L'\0');
        if (count > 0)
            std::memcpy(&text[0], data, count * sizeof(WCHAR));
        value.text = text.c_str(); // up to the first zero character
        break;
    }
    case REG_DWORD:
        if (size != sizeof(DWORD))
            return ERROR_INVALID_PARAMETER;
        std::memcpy(&value.number, data, sizeof(DWORD));
        break;
    case REG_BINARY:
        value.bytes.assign(data, data + size);
        break;
    default:
        return ERROR_INVALID_PARAMETER;
    }
    if (!IsRegistryText(value.name) || !IsRegistryText(value.text) || value.name.size() > kMaxRegistryValueName)
        return ERROR_INVALID_PARAMETER;
    return UpdateKey(key, [&](CRegistryKey&, CRegistryKey& found) {
        found.SetValue(std::move(value));
        return ERROR_SUCCESS;
    });
}

LSTATUS RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size)
{
    (void)reserved;
    std::wstring path;
    CRegistryKey root;
    if (const LONG status = ReadRegistry(key, nullptr, root, path); status != ERROR_SUCCESS)
        return status;
    const CRegistryKey* found = root.Find(path);
    if (!found)
        return ERROR_KEY_DELETED;
    const CRegistryValue* value = found->FindValue(name ? name : L"");
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    const void* bytes = value->type == REG_SZ      ? static_cast<const void*>(value->text.c_str())
                        : value->type == REG_DWORD ? static_cast<const void*>(&value->number)
                                                   : static_cast<const void*>(value->bytes.data());
    const DWORD needed = static_cast<DWORD>(value->type == REG_SZ      ? (value->text.size() + 1) * sizeof(WCHAR)
                                            : value->type == REG_DWORD ? sizeof(DWORD)
                                                                       : value->bytes.size());
    if (type)
        *type = value->type;
    if (!data)
    {
        if (size)
            *size = needed;
        return ERROR_SUCCESS;
    }
    if (!size)
        return ERROR_INVALID_PARAMETER;
    const DWORD room = *size;
    *size = needed;
    if (room < needed)
        return ERROR_MORE_DATA;
    if (needed > 0)
        std::memcpy(data, bytes, needed);
    return ERROR_SUCCESS;
}

LSTATUS RegDeleteValueW(HKEY key, LPCWSTR name)
{
    return UpdateKey(key, [&](CRegistryKey&, CRegistryKey& found) {
        return found.RemoveValue(name ? name : L"") ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LSTATUS RegDeleteTreeW(HKEY key, LPCWSTR subKey)
{
    std::wstring path;
    if (const LONG status = FullPath(key, subKey, path); status != ERROR_SUCCESS)
        return status;
    const bool whole = subKey && *subKey;
    return UpdateKey(key, [&](CRegistryKey& root, CRegistryKey& found) {
        if (!whole)
        {
            found.Clear();
            return ERROR_SUCCESS;
        }
        return root.Remove(path) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}
