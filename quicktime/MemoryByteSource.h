// A byte source over bytes held in memory (tests, fuzzing, small files).
#pragma once

#include <vector>

#include "quicktime/IByteSource.h"

class CMemoryByteSource final : public IByteSource
{
public:
    explicit CMemoryByteSource(std::vector<BYTE> bytes) : m_bytes(std::move(bytes)) {}

    HRESULT ReadOffset(BYTE* buffer, LONGLONG position, LONG length) override;

    // Size of the source in bytes.
    LONGLONG Size() const { return static_cast<LONGLONG>(m_bytes.size()); }

private:
    std::vector<BYTE> m_bytes;
};
