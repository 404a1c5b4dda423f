#include "framework/CBaseOutputPin.h"

#include "framework/CreateMemoryAllocator.h"

CBaseOutputPin::CBaseOutputPin(LPCWSTR pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr,
                               LPCWSTR pName)
    : CBasePin(pObjectName, pFilter, pLock, phr, pName, PINDIR_OUTPUT)
{
}

HRESULT CBaseOutputPin::CompleteConnect(IPin* pReceivePin)
{
    (void)pReceivePin;
    return DecideAllocator(m_pInputPin, &m_pAllocator);
}

HRESULT CBaseOutputPin::DecideAllocator(IMemInputPin* pPin, IMemAllocator** ppAlloc)
{
    *ppAlloc = nullptr;
    // Asked once: DecideBufferSize is expected to adjust it the same way
    // for either allocator.
    ALLOCATOR_PROPERTIES props{};
    (void)pPin->GetAllocatorRequirements(&props); // zeros mean "no requirement"
    if (props.cbAlign == 0)
        props.cbAlign = 1;

    HRESULT hr = TryAllocator(pPin, pPin->GetAllocator(ppAlloc), ppAlloc, &props);
    if (SUCCEEDED(hr))
        return hr;
    return TryAllocator(pPin, InitAllocator(ppAlloc), ppAlloc, &props);
}

HRESULT CBaseOutputPin::TryAllocator(IMemInputPin* pPin, HRESULT hrGot, IMemAllocator** ppAlloc,
                                     ALLOCATOR_PROPERTIES* pProps)
{
    HRESULT hr = hrGot;
    if (SUCCEEDED(hr) && *ppAlloc)
    {
        hr = DecideBufferSize(*ppAlloc, pProps);
        if (SUCCEEDED(hr))
        {
            hr = pPin->NotifyAllocator(*ppAlloc, FALSE);
            if (SUCCEEDED(hr))
                return S_OK;
        }
    }
    if (*ppAlloc)
    {
        (*ppAlloc)->Release();
        *ppAlloc = nullptr;
    }
    return FAILED(hr) ? hr : E_FAIL;
}

HRESULT CBaseOutputPin::InitAllocator(IMemAllocator** ppAlloc)
{
    return CreateMemoryAllocator(ppAlloc);
}

HRESULT CBaseOutputPin::CheckConnect(IPin* pPin)
{
    const HRESULT hr = CBasePin::CheckConnect(pPin);
    if (FAILED(hr))
        return hr;
    if (m_pInputPin)
    {
        m_pInputPin->Release(); // left by an attempt whose BreakConnect did not run
        m_pInputPin = nullptr;
    }
    return pPin->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&m_pInputPin));
}

HRESULT CBaseOutputPin::BreakConnect()
{
    if (m_pAllocator)
    {
        // Decommitted here too: the downstream filter may not do it, and a
        // committed allocator keeps its buffers.
        const HRESULT hr = m_pAllocator->Decommit();
        if (FAILED(hr))
            return hr;
        m_pAllocator->Release();
        m_pAllocator = nullptr;
    }
    if (m_pInputPin)
    {
        m_pInputPin->Release();
        m_pInputPin = nullptr;
    }
    return S_OK;
}

HRESULT CBaseOutputPin::Active()
{
    if (!m_pAllocator)
        return VFW_E_NO_ALLOCATOR;
    return m_pAllocator->Commit();
}

HRESULT CBaseOutputPin::Inactive()
{
    m_bRunTimeError = false;
    if (!m_pAllocator)
        return VFW_E_NO_ALLOCATOR;
    return m_pAllocator->Decommit();
}

HRESULT CBaseOutputPin::GetDeliveryBuffer(IMediaSample** ppSample, REFERENCE_TIME* pStartTime,
                                          REFERENCE_TIME* pEndTime, DWORD dwFlags)
{
    if (!m_pAllocator)
        return E_NOINTERFACE;
    return m_pAllocator->GetBuffer(ppSample, pStartTime, pEndTime, dwFlags);
}

HRESULT CBaseOutputPin::Deliver(IMediaSample* pSample)
{
    if (!m_pInputPin)
        return VFW_E_NOT_CONNECTED;
    return m_pInputPin->Receive(pSample);
}

HRESULT CBaseOutputPin::DeliverEndOfStream()
{
    if (!m_Connected)
        return VFW_E_NOT_CONNECTED;
    return m_Connected->EndOfStream();
}

HRESULT CBaseOutputPin::DeliverBeginFlush()
{
    if (!m_Connected)
        return VFW_E_NOT_CONNECTED;
    return m_Connected->BeginFlush();
}

HRESULT CBaseOutputPin::DeliverEndFlush()
{
    if (!m_Connected)
        return VFW_E_NOT_CONNECTED;
    return m_Connected->EndFlush();
}

HRESULT CBaseOutputPin::DeliverNewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate)
{
    if (!m_Connected)
        return VFW_E_NOT_CONNECTED;
    return m_Connected->NewSegment(tStart, tStop, dRate);
}

STDMETHODIMP CBaseOutputPin::EndOfStream()
{
    return E_UNEXPECTED;
}

STDMETHODIMP CBaseOutputPin::BeginFlush()
{
    return E_UNEXPECTED;
}

STDMETHODIMP CBaseOutputPin::EndFlush()
{
    return E_UNEXPECTED;
}
