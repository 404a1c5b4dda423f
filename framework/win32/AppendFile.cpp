#include "framework/AppendFile.h"

#include <windows.h>

#include "framework/Utf8.h"

namespace {

void CreateParentFolders(const std::wstring& path)
{
    for (size_t at = path.find_first_of(L"\\/", 3); at != std::wstring::npos; at = path.find_first_of(L"\\/", at + 1))
        (void)CreateDirectoryW(path.substr(0, at).c_str(), nullptr); // existing ones fail harmlessly
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
    const std::wstring widePath = Utf8ToWide(path);
    CreateParentFolders(widePath);
    // Append-only access makes every write land at the end of the file.
    HANDLE file = CreateFileW(widePath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    m_handle = reinterpret_cast<intptr_t>(file);
    m_owned = true;
    return true;
}

void CAppendFile::OpenStandardError()
{
    Close();
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    m_handle = error && error != INVALID_HANDLE_VALUE ? reinterpret_cast<intptr_t>(error) : -1;
    m_owned = false;
}

void CAppendFile::Close()
{
    if (m_handle != -1 && m_owned)
        CloseHandle(reinterpret_cast<HANDLE>(m_handle));
    m_handle = -1;
    m_owned = false;
}

bool CAppendFile::IsOpen() const
{
    return m_handle != -1;
}

bool CAppendFile::Append(const std::wstring& text)
{
    if (m_handle == -1)
        return false;
    const std::string bytes = WideToUtf8(text);
    DWORD written = 0;
    return WriteFile(reinterpret_cast<HANDLE>(m_handle), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size();
}
