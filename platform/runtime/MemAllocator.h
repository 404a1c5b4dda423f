// The native build's memory allocator (the platform's CLSID_MemoryAllocator):
// a fixed set of media samples over buffers in ordinary memory.
//
// Lifecycle: SetProperties (grants exactly what is asked), Commit (buffers
// allocated), GetBuffer (blocks while every buffer is out), samples come back
// on their last Release, Decommit (wakes blocked GetBuffer callers with
// VFW_E_NOT_COMMITTED; buffers are freed once every sample is back).
// Each sample that is out holds a reference on the allocator.
#pragma once

#include <strmif.h>
#include <vfwmsgs.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "framework/RefCountedObject.h"

class CMediaSample;

class CMemAllocator final : public CRefCountedObject<IMemAllocator, IID_IMemAllocator>
{
public:
    // S_OK with *ppAllocator holding one reference; E_POINTER, E_OUTOFMEMORY.
    [[nodiscard]] static HRESULT Create(CMemAllocator** ppAllocator);

    // VFW_E_ALREADY_COMMITTED while committed, VFW_E_BUFFERS_OUTSTANDING
    // while samples of an earlier commit are out, VFW_E_BADALIGN unless
    // cbAlign is a power of two, E_INVALIDARG for negative or oversized values.
    STDMETHODIMP SetProperties(ALLOCATOR_PROPERTIES* pRequest, ALLOCATOR_PROPERTIES* pActual) override;
    STDMETHODIMP GetProperties(ALLOCATOR_PROPERTIES* pProps) override;
    // VFW_E_SIZENOTSET before SetProperties or with no buffers or no bytes;
    // E_OUTOFMEMORY when the buffers cannot be allocated.
    STDMETHODIMP Commit() override;
    STDMETHODIMP Decommit() override;
    // Start and end times are accepted and ignored. With AM_GBF_NOWAIT,
    // VFW_E_TIMEOUT instead of blocking.
    STDMETHODIMP GetBuffer(IMediaSample** ppBuffer, REFERENCE_TIME* pStartTime, REFERENCE_TIME* pEndTime,
                           DWORD dwFlags) override;
    // Called by a sample of this allocator on its last Release.
    STDMETHODIMP ReleaseBuffer(IMediaSample* pBuffer) override;

private:
    CMemAllocator();
    ~CMemAllocator() override;
    // Requires m_lock. Frees the buffers when decommitted and all are back.
    void FreeIfIdle();
    // Requires m_lock; after a change of m_committed or m_free.
    void PublishState() { m_wouldNotBlock.store(!m_committed || !m_free.empty(), std::memory_order_release); }

    // Guards the members below and the samples' handout. A ReleaseBuffer
    // takes it once, a GetBuffer once, or twice when it finds no buffer free
    // (it lets go while it spins); it is never held while blocking.
    std::mutex m_lock;
    // Notified when a buffer comes back while a GetBuffer waits (one), and
    // on Decommit (all: they fail at once).
    std::condition_variable m_bufferFreed;
    int m_waiting = 0; // GetBuffer calls blocked on m_bufferFreed
    // Whether a GetBuffer would not block now (decommitted, or a buffer is
    // free), for a spin that reads it without the lock. Stored under it.
    std::atomic<bool> m_wouldNotBlock{true};
    ALLOCATOR_PROPERTIES m_props{};
    bool m_propsSet = false;
    bool m_committed = false;
    std::vector<std::unique_ptr<CMediaSample>> m_samples; // all of this commit's samples
    std::vector<CMediaSample*> m_free;                    // those not handed out; not owned
};
