#include "quicktime/FileByteSource.h"

HRESULT CFileByteSource::Open(const std::string& path)
{
    if (m_file.Open(path))
        return S_OK;
    const HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
    return FAILED(hr) ? hr : E_FAIL;
}

HRESULT CFileByteSource::ReadOffset(BYTE* buffer, LONGLONG position, LONG length)
{
    if (position < 0 || length < 0)
        return E_INVALIDARG;
    if (length > 0 && !buffer)
        return E_POINTER;
    if (!m_file.IsOpen())
        return E_UNEXPECTED;
    const int64_t done = m_file.ReadAt(position, buffer, static_cast<size_t>(length));
    if (done < 0)
        return E_FAIL;
    return done == length ? S_OK : S_FALSE;
}
