#include "platform/runtime/MemAllocator.h"

#include <algorithm>
#include <limits>
#include <new>

#include "platform/BriefSpin.h"
#include "platform/FaultInjection.h"
#include "platform/runtime/MediaSample.h"

namespace {

bool IsPowerOfTwo(LONG value)
{
    return value > 0 && (value & (value - 1)) == 0;
}

} // namespace

HRESULT CMemAllocator::Create(CMemAllocator** ppAllocator)
{
    if (!ppAllocator)
        return E_POINTER;
    *ppAllocator = nullptr;
    CMemAllocator* allocator = new (std::nothrow) CMemAllocator();
    if (!allocator)
        return E_OUTOFMEMORY;
    *ppAllocator = allocator;
    return S_OK;
}

CMemAllocator::CMemAllocator() = default;

// Every sample is back by now: each one out holds a reference.
CMemAllocator::~CMemAllocator() = default;

STDMETHODIMP CMemAllocator::SetProperties(ALLOCATOR_PROPERTIES* pRequest, ALLOCATOR_PROPERTIES* pActual)
{
    if (!pRequest || !pActual)
        return E_POINTER;
    const auto lock = BriefSpin::Locked(m_lock);
    if (m_committed)
        return VFW_E_ALREADY_COMMITTED;
    if (!m_samples.empty())
        return VFW_E_BUFFERS_OUTSTANDING;
    if (!IsPowerOfTwo(pRequest->cbAlign))
        return VFW_E_BADALIGN;
    if (pRequest->cBuffers < 0 || pRequest->cbBuffer < 0 || pRequest->cbPrefix < 0)
        return E_INVALIDARG;
    // Buffer, prefix and alignment slack must fit one allocation size.
    const int64_t blockSize = int64_t{pRequest->cbBuffer} + pRequest->cbPrefix + pRequest->cbAlign - 1;
    if (blockSize > std::numeric_limits<LONG>::max())
        return E_INVALIDARG;
    m_props = *pRequest;
    m_propsSet = true;
    *pActual = m_props;
    return S_OK;
}

STDMETHODIMP CMemAllocator::GetProperties(ALLOCATOR_PROPERTIES* pProps)
{
    if (!pProps)
        return E_POINTER;
    const auto lock = BriefSpin::Locked(m_lock);
    *pProps = m_props;
    return S_OK;
}

STDMETHODIMP CMemAllocator::Commit()
{
    if (FaultInjection::Fails(PlatformFault::AllocatorCommit)) return E_OUTOFMEMORY; // a test asked for it
    const auto lock = BriefSpin::Locked(m_lock);
    if (!m_propsSet || m_props.cBuffers <= 0 || m_props.cbBuffer <= 0)
        return VFW_E_SIZENOTSET;
    if (m_committed)
        return S_OK;
    if (m_samples.empty()) // else a decommit is still waiting for samples: reuse them
    {
        try
        {
            m_samples.reserve(static_cast<size_t>(m_props.cBuffers));
            m_free.reserve(static_cast<size_t>(m_props.cBuffers));
            for (LONG i = 0; i < m_props.cBuffers; ++i)
            {
                m_samples.push_back(
                    std::make_unique<CMediaSample>(this, m_props.cbBuffer, m_props.cbAlign, m_props.cbPrefix));
                m_free.push_back(m_samples.back().get());
            }
        }
        catch (const std::bad_alloc&)
        {
            m_free.clear();
            m_samples.clear();
            return E_OUTOFMEMORY;
        }
    }
    m_committed = true;
    PublishState();
    return S_OK;
}

STDMETHODIMP CMemAllocator::Decommit()
{
    const auto lock = BriefSpin::Locked(m_lock);
    m_committed = false;
    m_bufferFreed.notify_all(); // blocked GetBuffer callers fail now
    FreeIfIdle();
    PublishState();
    return S_OK;
}

void CMemAllocator::FreeIfIdle()
{
    if (!m_committed && m_free.size() == m_samples.size())
    {
        m_free.clear();
        m_samples.clear();
    }
}

STDMETHODIMP CMemAllocator::GetBuffer(IMediaSample** ppBuffer, REFERENCE_TIME*, REFERENCE_TIME*, DWORD dwFlags)
{
    if (!ppBuffer)
        return E_POINTER;
    *ppBuffer = nullptr;
    auto lock = BriefSpin::Locked(m_lock);
    if (m_committed && m_free.empty())
    {
        if (dwFlags & AM_GBF_NOWAIT)
            return VFW_E_TIMEOUT;
        // A buffer often comes back a moment later, from the thread that
        // delivers on the other core.
        lock.unlock();
        (void)BriefSpin::Until([this] { return m_wouldNotBlock.load(std::memory_order_acquire); });
        lock = BriefSpin::Locked(m_lock);
        ++m_waiting;
        m_bufferFreed.wait(lock, [this] { return !m_committed || !m_free.empty(); });
        --m_waiting;
    }
    if (!m_committed)
        return VFW_E_NOT_COMMITTED;
    CMediaSample* sample = m_free.back();
    m_free.pop_back();
    PublishState();
    sample->Reset();
    AddRef(); // the sample's, given back in ReleaseBuffer
    *ppBuffer = sample;
    return S_OK;
}

STDMETHODIMP CMemAllocator::ReleaseBuffer(IMediaSample* pBuffer)
{
    if (!pBuffer)
        return E_POINTER;
    {
        const auto lock = BriefSpin::Locked(m_lock);
        const auto owned = std::find_if(m_samples.begin(), m_samples.end(),
                                        [&](const auto& s) { return s.get() == pBuffer; });
        if (owned == m_samples.end() ||
            std::find(m_free.begin(), m_free.end(), owned->get()) != m_free.end())
            return E_INVALIDARG; // not ours, or already back
        m_free.push_back(owned->get());
        PublishState();
        if (m_waiting > 0)
            m_bufferFreed.notify_one();
        FreeIfIdle();
    }
    Release(); // the reference the sample held while it was out
    return S_OK;
}
