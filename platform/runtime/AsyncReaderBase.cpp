#include "platform/runtime/AsyncReaderBase.h"

#include <vfwmsgs.h>

#include "framework/CreateMemoryAllocator.h"
#include "framework/WaitDeadline.h"

namespace {

// Request and SyncReadAligned carry byte positions in the sample's times.
const LONGLONG kUnitsPerByte = 10000000;

} // namespace

CAsyncReaderBase::CAsyncReaderBase() : m_ready(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

CAsyncReaderBase::~CAsyncReaderBase()
{
    for (const Completion& c : m_completed)
        c.sample->Release();
}

STDMETHODIMP CAsyncReaderBase::RequestAllocator(IMemAllocator* pPreferred, ALLOCATOR_PROPERTIES* pProps,
                                                IMemAllocator** ppActual)
{
    if (!pProps || !ppActual)
        return E_POINTER;
    *ppActual = nullptr;
    // Any alignment serves these readers, so the caller's allocator is taken
    // as it is when it accepts the properties; otherwise a new one.
    ALLOCATOR_PROPERTIES actual{};
    if (pPreferred && SUCCEEDED(pPreferred->SetProperties(pProps, &actual)))
    {
        pPreferred->AddRef();
        *ppActual = pPreferred;
        *pProps = actual;
        return S_OK;
    }
    IMemAllocator* allocator = nullptr;
    HRESULT hr = CreateMemoryAllocator(&allocator);
    if (FAILED(hr))
        return hr;
    hr = allocator->SetProperties(pProps, &actual);
    if (FAILED(hr))
    {
        allocator->Release();
        return hr;
    }
    *pProps = actual;
    *ppActual = allocator;
    return S_OK;
}

HRESULT CAsyncReaderBase::ReadIntoSample(IMediaSample* pSample)
{
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    HRESULT hr = pSample->GetTime(&start, &stop);
    if (FAILED(hr))
        return hr;
    if (start < 0 || stop < start || (stop - start) / kUnitsPerByte > pSample->GetSize())
        return E_INVALIDARG;
    const LONGLONG position = start / kUnitsPerByte;
    const LONG length = static_cast<LONG>((stop - start) / kUnitsPerByte);
    BYTE* buffer = nullptr;
    hr = pSample->GetPointer(&buffer);
    if (FAILED(hr))
        return hr;
    LONG read = 0;
    hr = ReadBytes(position, length, buffer, &read);
    if (FAILED(hr))
        return hr;
    (void)pSample->SetActualDataLength(read); // within the sample's size: checked above
    return read == length ? S_OK : S_FALSE;
}

STDMETHODIMP CAsyncReaderBase::Request(IMediaSample* pSample, DWORD_PTR dwUser)
{
    if (!pSample)
        return E_POINTER;
    {
        CAutoLock lock(&m_lock);
        if (m_flushing)
            return VFW_E_WRONG_STATE;
    }
    const HRESULT result = ReadIntoSample(pSample);
    CAutoLock lock(&m_lock);
    try
    {
        m_completed.push_back(Completion{pSample, dwUser, result});
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
    pSample->AddRef(); // the queue's, handed to the caller of WaitForNext
    UpdateReady();
    return S_OK;
}

STDMETHODIMP CAsyncReaderBase::WaitForNext(DWORD dwTimeout, IMediaSample** ppSample, DWORD_PTR* pdwUser)
{
    if (!ppSample || !pdwUser)
        return E_POINTER;
    *ppSample = nullptr;
    *pdwUser = 0;
    if (!m_ready)
        return E_OUTOFMEMORY;
    const CWaitDeadline deadline(dwTimeout);
    for (;;)
    {
        {
            CAutoLock lock(&m_lock);
            if (!m_completed.empty())
            {
                const Completion c = m_completed.front();
                m_completed.pop_front();
                UpdateReady();
                *ppSample = c.sample;
                *pdwUser = c.user;
                return m_flushing ? VFW_E_WRONG_STATE : c.result;
            }
            if (m_flushing)
                return VFW_E_WRONG_STATE; // nothing left to hand back
        }
        // Another caller may take the completion first; then wait again.
        const DWORD waited = WaitForSingleObject(m_ready.get(), deadline.Remaining());
        if (waited == WAIT_TIMEOUT)
            return VFW_E_TIMEOUT;
        if (waited != WAIT_OBJECT_0)
            return E_FAIL;
    }
}

void CAsyncReaderBase::UpdateReady()
{
    if (!m_ready)
        return;
    if (!m_completed.empty() || m_flushing)
        (void)SetEvent(m_ready.get()); // a valid handle: nothing to report
    else
        (void)ResetEvent(m_ready.get());
}

STDMETHODIMP CAsyncReaderBase::SyncReadAligned(IMediaSample* pSample)
{
    if (!pSample)
        return E_POINTER;
    return ReadIntoSample(pSample);
}

STDMETHODIMP CAsyncReaderBase::SyncRead(LONGLONG llPosition, LONG lLength, BYTE* pBuffer)
{
    if (llPosition < 0 || lLength < 0)
        return E_INVALIDARG;
    if (!pBuffer && lLength > 0)
        return E_POINTER;
    LONG read = 0;
    const HRESULT hr = ReadBytes(llPosition, lLength, pBuffer, &read);
    if (FAILED(hr))
        return hr;
    return read == lLength ? S_OK : S_FALSE;
}

STDMETHODIMP CAsyncReaderBase::Length(LONGLONG* pTotal, LONGLONG* pAvailable)
{
    LONGLONG total = 0;
    LONGLONG available = 0;
    GetLength(&total, &available);
    if (pTotal)
        *pTotal = total;
    if (pAvailable)
        *pAvailable = available;
    return S_OK;
}

STDMETHODIMP CAsyncReaderBase::BeginFlush()
{
    CAutoLock lock(&m_lock);
    m_flushing = true;
    UpdateReady();
    return S_OK;
}

STDMETHODIMP CAsyncReaderBase::EndFlush()
{
    CAutoLock lock(&m_lock);
    m_flushing = false;
    UpdateReady();
    return S_OK;
}
