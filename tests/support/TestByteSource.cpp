#include "tests/support/TestByteSource.h"

#include <algorithm>

CTestByteSource::CTestByteSource(std::vector<BYTE> bytes)
    : m_bytes(std::make_unique<CMemoryByteSource>(std::move(bytes)))
{
}

HRESULT CTestByteSource::ReadOffset(BYTE* buffer, LONGLONG position, LONG length)
{
    const size_t number = m_reads.size();
    m_reads.push_back({position, length});
    if (number >= m_failFrom)
        return m_failure;
    return m_bytes->ReadOffset(buffer, position, length);
}

void CTestByteSource::Replace(std::vector<BYTE> bytes)
{
    m_bytes = std::make_unique<CMemoryByteSource>(std::move(bytes));
}

void CTestByteSource::FailFromRead(size_t readNumber, HRESULT hr)
{
    m_failFrom = readNumber;
    m_failure = hr;
}

LONG CTestByteSource::LargestRead() const
{
    LONG largest = 0;
    for (const Read& read : m_reads)
        largest = std::max(largest, read.length);
    return largest;
}
