#include "platform/runtime/FileAsyncReader.h"

#include <algorithm>
#include <new>

#include "framework/Utf8.h"

HRESULT CFileAsyncReader::Create(LPCWSTR path, CFileAsyncReader** ppReader)
{
    if (!ppReader)
        return E_POINTER;
    *ppReader = nullptr;
    if (!path)
        return E_POINTER;
    CFileAsyncReader* reader = new (std::nothrow) CFileAsyncReader();
    if (!reader)
        return E_OUTOFMEMORY;
    if (!reader->m_file.Open(WideToUtf8(path)))
    {
        const HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
        reader->Release();
        return FAILED(hr) ? hr : E_FAIL;
    }
    *ppReader = reader;
    return S_OK;
}

HRESULT CFileAsyncReader::ReadBytes(LONGLONG position, LONG length, BYTE* buffer, LONG* pRead)
{
    // The length reported is the size at opening; reads stay within it, so a
    // file that grows later reads the same as before.
    const LONGLONG size = m_file.Size();
    const LONG wanted = position >= size ? 0 : static_cast<LONG>(std::min<LONGLONG>(length, size - position));
    const int64_t read = wanted == 0 ? 0 : m_window.Read(m_file, size, position, wanted, buffer);
    if (read < 0)
        return HRESULT_FROM_WIN32(ERROR_READ_FAULT);
    *pRead = static_cast<LONG>(read);
    return S_OK;
}

void CFileAsyncReader::GetLength(LONGLONG* pTotal, LONGLONG* pAvailable)
{
    *pTotal = *pAvailable = m_file.Size();
}
