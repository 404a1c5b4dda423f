// A text file opened for appending whole records. Each Append is a single
// write at the end of the file, so records appended by several threads or
// processes never interleave with each other. Owns its handle; closed by the
// destructor or Close(). Not synchronised: callers serialise their calls.
#pragma once

#include <cstdint>
#include <string>

class CAppendFile
{
public:
    CAppendFile() = default;
    ~CAppendFile();
    CAppendFile(const CAppendFile&) = delete;
    CAppendFile& operator=(const CAppendFile&) = delete;

    // Opens path (UTF-8 on the native build) for appending, creating the file
    // and any missing parent folders (readable by the user only). False with
    // the platform's error in GetLastError when it cannot.
    [[nodiscard]] bool Open(const std::string& path);
    // Appends to the process's standard error instead of a file.
    void OpenStandardError();
    void Close();
    bool IsOpen() const;

    // Appends text as UTF-8; true when all of it was written.
    [[nodiscard]] bool Append(const std::wstring& text);

private:
    intptr_t m_handle = -1; // platform handle; owned unless m_owned is false
    bool m_owned = false;
};
