// A byte source over a file on disk: positioned reads at 64-bit offsets,
// safe from several threads (CPositionalFile reads with pread).
#pragma once

#include <string>

#include "framework/PositionalFile.h"
#include "quicktime/IByteSource.h"

class CFileByteSource final : public IByteSource
{
public:
    // Opens path (UTF-8); S_OK, or the platform's error as an HRESULT.
    [[nodiscard]] HRESULT Open(const std::string& path);

    HRESULT ReadOffset(BYTE* buffer, LONGLONG position, LONG length) override;

    // Size of the file in bytes; -1 when not open.
    LONGLONG Size() const { return m_file.Size(); }

private:
    CPositionalFile m_file;
};
