// A byte source over memory for tests: records every read, can be told to
// fail from a given read on, and can be given new bytes (a different file on
// the next connection).
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "quicktime/MemoryByteSource.h"

class CTestByteSource final : public IByteSource
{
public:
    using Read = std::pair<LONGLONG, LONG>; // position, length

    explicit CTestByteSource(std::vector<BYTE> bytes = {}) { Replace(std::move(bytes)); }

    HRESULT ReadOffset(BYTE* buffer, LONGLONG position, LONG length) override
    {
        m_reads.push_back({position, length});
        return m_reads.size() > m_failFrom ? m_failure : m_bytes->ReadOffset(buffer, position, length);
    }

    void Replace(std::vector<BYTE> bytes) { m_bytes = std::make_unique<CMemoryByteSource>(std::move(bytes)); }
    // The read with this 0-based number, and every read after it, returns hr.
    void FailFromRead(size_t readNumber, HRESULT hr)
    {
        m_failFrom = readNumber;
        m_failure = hr;
    }

    const std::vector<Read>& Reads() const { return m_reads; }
    void ClearReads() { m_reads.clear(); }

private:
    std::unique_ptr<CMemoryByteSource> m_bytes;
    std::vector<Read> m_reads;
    size_t m_failFrom = SIZE_MAX;
    HRESULT m_failure = E_FAIL;
};
