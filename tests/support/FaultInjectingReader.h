// An IAsyncReader in front of another reader that counts reads and can be
// told to fail them or to cut the source short, for tests of how callers
// handle a source that breaks or ends early.
#pragma once

#include <strmif.h>

#include <atomic>

#include "platform/runtime/AsyncReaderBase.h"

class CFaultInjectingReader : public CAsyncReaderBase
{
public:
    // Reads pass through to source (one reference held). S_OK with
    // *ppReader holding one reference; E_POINTER, E_OUTOFMEMORY.
    [[nodiscard]] static HRESULT Create(CAsyncReaderBase* source, CFaultInjectingReader** ppReader);

    // Every read after the first readsBeforeFailure reads fails with failure.
    void FailAfter(LONG readsBeforeFailure, HRESULT failure);
    // Only the first available bytes can be read: reads beyond give S_FALSE
    // and Length reports available (the total stays the source's).
    void CutAt(LONGLONG available);
    // Reads attempted so far (SyncRead, SyncReadAligned and Request each count one).
    LONG ReadCount() const { return m_reads.load(); }

    HRESULT ReadBytes(LONGLONG position, LONG length, BYTE* buffer, LONG* pRead) override;
    void GetLength(LONGLONG* pTotal, LONGLONG* pAvailable) override;

private:
    explicit CFaultInjectingReader(CAsyncReaderBase* source);
    ~CFaultInjectingReader() override;

    CAsyncReaderBase* const m_source; // owns one reference
    std::atomic<LONG> m_reads{0};
    std::atomic<LONG> m_failAfter{-1}; // -1: never fail
    std::atomic<HRESULT> m_failure{E_FAIL};
    std::atomic<LONGLONG> m_cutAt{-1}; // -1: not cut
};
