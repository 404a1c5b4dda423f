// A byte source over memory for tests: counts and records every read, can be
// told to fail from a given read on, and can be given new bytes (a different
// file on the next connection).
#pragma once

#include <memory>
#include <vector>

#include "quicktime/MemoryByteSource.h"

class CTestByteSource final : public IByteSource
{
public:
    struct Read
    {
        LONGLONG position;
        LONG length;
    };

    explicit CTestByteSource(std::vector<BYTE> bytes = {});

    HRESULT ReadOffset(BYTE* buffer, LONGLONG position, LONG length) override;

    void Replace(std::vector<BYTE> bytes);
    // The read with this 0-based number, and every read after it, returns hr.
    void FailFromRead(size_t readNumber, HRESULT hr = E_FAIL);

    const std::vector<Read>& Reads() const { return m_reads; }
    size_t ReadCount() const { return m_reads.size(); }
    LONG LargestRead() const;
    void ClearReads() { m_reads.clear(); }

private:
    std::unique_ptr<CMemoryByteSource> m_bytes;
    std::vector<Read> m_reads;
    size_t m_failFrom = SIZE_MAX;
    HRESULT m_failure = E_FAIL;
};
