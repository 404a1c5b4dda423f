#include "quicktime/MemoryByteSource.h"

#include <cstring>

HRESULT CMemoryByteSource::ReadOffset(BYTE* buffer, LONGLONG position, LONG length)
{
    if (position < 0 || length < 0)
        return E_INVALIDARG;
    if (length > 0 && !buffer)
        return E_POINTER;
    const LONGLONG size = Size();
    const LONGLONG available = position >= size ? 0 : size - position;
    const LONGLONG count = available < length ? available : length;
    if (count > 0)
        std::memcpy(buffer, m_bytes.data() + position, static_cast<size_t>(count));
    return count == length ? S_OK : S_FALSE;
}
