#include "platform/runtime/AsyncSourcePin.h"

CAsyncSourcePin::CAsyncSourcePin(CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr)
    : CBasePin(L"Async source pin", pFilter, pLock, phr, L"Output", PINDIR_OUTPUT), m_offered(&MEDIATYPE_Stream)
{
    m_offered.SetSubtype(&MEDIASUBTYPE_NULL);
}

STDMETHODIMP CAsyncSourcePin::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IAsyncReader)
        return GetInterface(static_cast<IAsyncReader*>(this), ppv);
    return CBasePin::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT CAsyncSourcePin::SetReader(IAsyncReader* pReader, const AM_MEDIA_TYPE* pmt)
{
    CAutoLock lock(m_pLock);
    if (m_Connected)
        return VFW_E_ALREADY_CONNECTED;
    CMediaType offered(&MEDIATYPE_Stream);
    offered.SetSubtype(&MEDIASUBTYPE_NULL);
    if (pmt)
    {
        const HRESULT hr = offered.Set(*pmt);
        if (FAILED(hr))
            return hr;
    }
    const HRESULT hr = m_offered.Set(offered);
    if (FAILED(hr))
        return hr;
    {
        CAutoLock readerLock(&m_readerLock);
        m_reader = ComPtr<IAsyncReader>(pReader);
    }
    IncrementTypeVersion();
    return S_OK;
}

HRESULT CAsyncSourcePin::GetOfferedType(AM_MEDIA_TYPE* pmt)
{
    if (!pmt)
        return E_POINTER;
    CAutoLock lock(m_pLock);
    return CopyMediaType(pmt, &m_offered);
}

HRESULT CAsyncSourcePin::CheckMediaType(const CMediaType* pmt)
{
    CAutoLock lock(m_pLock);
    if (!m_reader || pmt->majortype != m_offered.majortype)
        return VFW_E_TYPE_NOT_ACCEPTED;
    if (pmt->subtype != GUID_NULL && m_offered.subtype != GUID_NULL && pmt->subtype != m_offered.subtype)
        return VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

HRESULT CAsyncSourcePin::GetMediaType(int iPosition, CMediaType* pMediaType)
{
    if (!pMediaType)
        return E_POINTER;
    if (iPosition < 0)
        return E_INVALIDARG;
    CAutoLock lock(m_pLock);
    if (iPosition > 0 || !m_reader)
        return VFW_S_NO_MORE_ITEMS;
    return pMediaType->Set(m_offered);
}

ComPtr<IAsyncReader> CAsyncSourcePin::Reader()
{
    CAutoLock lock(&m_readerLock);
    return m_reader;
}

STDMETHODIMP CAsyncSourcePin::RequestAllocator(IMemAllocator* pPreferred, ALLOCATOR_PROPERTIES* pProps,
                                               IMemAllocator** ppActual)
{
    const ComPtr<IAsyncReader> reader = Reader();
    return reader ? reader->RequestAllocator(pPreferred, pProps, ppActual) : E_UNEXPECTED;
}

STDMETHODIMP CAsyncSourcePin::Request(IMediaSample* pSample, DWORD_PTR dwUser)
{
    const ComPtr<IAsyncReader> reader = Reader();
    return reader ? reader->Request(pSample, dwUser) : E_UNEXPECTED;
}

STDMETHODIMP CAsyncSourcePin::WaitForNext(DWORD dwTimeout, IMediaSample** ppSample, DWORD_PTR* pdwUser)
{
    const ComPtr<IAsyncReader> reader = Reader();
    return reader ? reader->WaitForNext(dwTimeout, ppSample, pdwUser) : E_UNEXPECTED;
}

STDMETHODIMP CAsyncSourcePin::SyncReadAligned(IMediaSample* pSample)
{
    const ComPtr<IAsyncReader> reader = Reader();
    return reader ? reader->SyncReadAligned(pSample) : E_UNEXPECTED;
}

STDMETHODIMP CAsyncSourcePin::SyncRead(LONGLONG llPosition, LONG lLength, BYTE* pBuffer)
{
    const ComPtr<IAsyncReader> reader = Reader();
    return reader ? reader->SyncRead(llPosition, lLength, pBuffer) : E_UNEXPECTED;
}

STDMETHODIMP CAsyncSourcePin::Length(LONGLONG* pTotal, LONGLONG* pAvailable)
{
    const ComPtr<IAsyncReader> reader = Reader();
    return reader ? reader->Length(pTotal, pAvailable) : E_UNEXPECTED;
}

STDMETHODIMP CAsyncSourcePin::BeginFlush()
{
    const ComPtr<IAsyncReader> reader = Reader();
    return reader ? reader->BeginFlush() : E_UNEXPECTED;
}

STDMETHODIMP CAsyncSourcePin::EndFlush()
{
    const ComPtr<IAsyncReader> reader = Reader();
    return reader ? reader->EndFlush() : E_UNEXPECTED;
}
