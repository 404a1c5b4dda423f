// The allocator a CTestSinkInputPin offers upstream: a memory allocator
// that, when the sink demands allocator properties, grants at least the
// demand in every field whatever it is asked for (as a renderer with buffer
// needs of its own does), so that a filter which insists on its own
// properties can be tested.
#pragma once

#include <strmif.h>

#include "framework/ComPtr.h"
#include "framework/RefCountedObject.h"

class CDemandingAllocator : public CRefCountedObject<IMemAllocator, IID_IMemAllocator>
{
public:
    // S_OK with *ppAllocator holding one reference; with demand null it
    // grants exactly what is asked. E_POINTER, E_OUTOFMEMORY.
    [[nodiscard]] static HRESULT Create(const ALLOCATOR_PROPERTIES* demand, CDemandingAllocator** ppAllocator);

    // Raises each requested field to the demand before passing it on.
    STDMETHODIMP SetProperties(ALLOCATOR_PROPERTIES* pRequest, ALLOCATOR_PROPERTIES* pActual) override;
    STDMETHODIMP GetProperties(ALLOCATOR_PROPERTIES* pProps) override;
    STDMETHODIMP Commit() override;
    STDMETHODIMP Decommit() override;
    STDMETHODIMP GetBuffer(IMediaSample** ppBuffer, REFERENCE_TIME* pStartTime, REFERENCE_TIME* pEndTime,
                           DWORD dwFlags) override;
    STDMETHODIMP ReleaseBuffer(IMediaSample* pBuffer) override;

private:
    CDemandingAllocator(ComPtr<IMemAllocator> inner, const ALLOCATOR_PROPERTIES* demand);

    const ComPtr<IMemAllocator> m_inner; // the memory allocator doing the work
    const bool m_hasDemand;
    const ALLOCATOR_PROPERTIES m_demand;
};
