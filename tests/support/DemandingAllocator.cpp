#include "tests/support/DemandingAllocator.h"

#include <new>

#include "framework/CreateMemoryAllocator.h"

namespace {

LONG AtLeast(LONG value, LONG minimum)
{
    return value < minimum ? minimum : value;
}

} // namespace

HRESULT CDemandingAllocator::Create(const ALLOCATOR_PROPERTIES* demand, CDemandingAllocator** ppAllocator)
{
    if (!ppAllocator)
        return E_POINTER;
    *ppAllocator = nullptr;
    IMemAllocator* inner = nullptr;
    const HRESULT hr = CreateMemoryAllocator(&inner);
    if (FAILED(hr))
        return hr;
    *ppAllocator = new (std::nothrow) CDemandingAllocator(ComPtr<IMemAllocator>::Attach(inner), demand);
    return *ppAllocator ? S_OK : E_OUTOFMEMORY;
}

CDemandingAllocator::CDemandingAllocator(ComPtr<IMemAllocator> inner, const ALLOCATOR_PROPERTIES* demand)
    : m_inner(std::move(inner)), m_hasDemand(demand != nullptr), m_demand(demand ? *demand : ALLOCATOR_PROPERTIES{})
{
}

STDMETHODIMP CDemandingAllocator::SetProperties(ALLOCATOR_PROPERTIES* pRequest, ALLOCATOR_PROPERTIES* pActual)
{
    if (!pRequest || !pActual)
        return E_POINTER;
    ALLOCATOR_PROPERTIES request = *pRequest;
    if (m_hasDemand)
    {
        request.cBuffers = AtLeast(request.cBuffers, m_demand.cBuffers);
        request.cbBuffer = AtLeast(request.cbBuffer, m_demand.cbBuffer);
        request.cbAlign = AtLeast(request.cbAlign, m_demand.cbAlign);
        request.cbPrefix = AtLeast(request.cbPrefix, m_demand.cbPrefix);
    }
    return m_inner->SetProperties(&request, pActual);
}

STDMETHODIMP CDemandingAllocator::GetProperties(ALLOCATOR_PROPERTIES* pProps)
{
    return m_inner->GetProperties(pProps);
}

STDMETHODIMP CDemandingAllocator::Commit()
{
    return m_inner->Commit();
}

STDMETHODIMP CDemandingAllocator::Decommit()
{
    return m_inner->Decommit();
}

STDMETHODIMP CDemandingAllocator::GetBuffer(IMediaSample** ppBuffer, REFERENCE_TIME* pStartTime,
                                       REFERENCE_TIME* pEndTime, DWORD dwFlags)
{
    return m_inner->GetBuffer(ppBuffer, pStartTime, pEndTime, dwFlags);
}

STDMETHODIMP CDemandingAllocator::ReleaseBuffer(IMediaSample* pBuffer)
{
    return m_inner->ReleaseBuffer(pBuffer);
}
