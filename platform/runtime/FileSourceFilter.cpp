#include "platform/runtime/FileSourceFilter.h"

#include <cwchar>
#include <new>
#include <uuids.h>

#include "framework/ComPtr.h"
#include "platform/runtime/FileAsyncReader.h"

HRESULT CFileSourceFilter::Create(CFileSourceFilter** ppFilter)
{
    if (!ppFilter)
        return E_POINTER;
    *ppFilter = nullptr;
    HRESULT hr = S_OK;
    CFileSourceFilter* filter = new (std::nothrow) CFileSourceFilter(&hr);
    if (!filter)
        return E_OUTOFMEMORY;
    filter->NonDelegatingAddRef();
    if (FAILED(hr))
    {
        filter->NonDelegatingRelease();
        return hr;
    }
    *ppFilter = filter;
    return S_OK;
}

CFileSourceFilter::CFileSourceFilter(HRESULT* phr) : CAsyncSourceFilter(L"File source", CLSID_AsyncReader, phr)
{
}

CFileSourceFilter::~CFileSourceFilter() = default;

STDMETHODIMP CFileSourceFilter::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IFileSourceFilter)
        return GetInterface(static_cast<IFileSourceFilter*>(this), ppv);
    return CAsyncSourceFilter::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP CFileSourceFilter::Load(LPCOLESTR pszFileName, const AM_MEDIA_TYPE* pmt)
{
    if (!pszFileName)
        return E_POINTER;
    CFileAsyncReader* raw = nullptr;
    HRESULT hr = CFileAsyncReader::Create(pszFileName, &raw);
    if (FAILED(hr))
        return hr;
    const ComPtr<CFileAsyncReader> reader = ComPtr<CFileAsyncReader>::Attach(raw);
    CAutoLock lock(&m_lock);
    std::wstring name;
    try
    {
        name = pszFileName;
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
    hr = SetReader(reader.Get(), pmt);
    if (FAILED(hr))
        return hr;
    m_fileName.swap(name);
    return S_OK;
}

STDMETHODIMP CFileSourceFilter::GetCurFile(LPOLESTR* ppszFileName, AM_MEDIA_TYPE* pmt)
{
    CAutoLock lock(&m_lock);
    if (ppszFileName)
        *ppszFileName = nullptr;
    if (m_fileName.empty())
        return E_FAIL;
    if (ppszFileName)
    {
        const size_t count = m_fileName.size() + 1;
        *ppszFileName = static_cast<LPOLESTR>(CoTaskMemAlloc(count * sizeof(OLECHAR)));
        if (!*ppszFileName)
            return E_OUTOFMEMORY;
        std::wmemcpy(*ppszFileName, m_fileName.c_str(), count);
    }
    if (pmt)
    {
        const HRESULT hr = Output()->GetOfferedType(pmt);
        if (FAILED(hr))
        {
            if (ppszFileName)
            {
                CoTaskMemFree(*ppszFileName);
                *ppszFileName = nullptr;
            }
            return hr;
        }
    }
    return S_OK;
}
