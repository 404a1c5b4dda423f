#include "tests/support/MemoryAsyncReader.h"

#include <algorithm>
#include <cstring>
#include <new>

HRESULT CMemoryAsyncReader::Create(std::vector<BYTE> data, CMemoryAsyncReader** ppReader)
{
    if (!ppReader)
        return E_POINTER;
    *ppReader = new (std::nothrow) CMemoryAsyncReader(std::move(data));
    return *ppReader ? S_OK : E_OUTOFMEMORY;
}

CMemoryAsyncReader::CMemoryAsyncReader(std::vector<BYTE> data) : m_data(std::move(data)) {}

HRESULT CMemoryAsyncReader::ReadBytes(LONGLONG position, LONG length, BYTE* buffer, LONG* pRead)
{
    const LONGLONG size = static_cast<LONGLONG>(m_data.size());
    const LONG count = position >= size ? 0 : static_cast<LONG>(std::min<LONGLONG>(length, size - position));
    if (count > 0)
        std::memcpy(buffer, m_data.data() + position, static_cast<size_t>(count));
    *pRead = count;
    return S_OK;
}

void CMemoryAsyncReader::GetLength(LONGLONG* pTotal, LONGLONG* pAvailable)
{
    *pTotal = *pAvailable = static_cast<LONGLONG>(m_data.size());
}
