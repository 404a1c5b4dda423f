// An IAsyncReader over bytes held in memory, for tests and in-process data.
#pragma once

#include <strmif.h>

#include <vector>

#include "platform/runtime/AsyncReaderBase.h"

class CMemoryAsyncReader : public CAsyncReaderBase
{
public:
    // S_OK with *ppReader holding one reference to a reader of data;
    // E_POINTER, E_OUTOFMEMORY.
    [[nodiscard]] static HRESULT Create(std::vector<BYTE> data, CMemoryAsyncReader** ppReader);

    HRESULT ReadBytes(LONGLONG position, LONG length, BYTE* buffer, LONG* pRead) override;
    void GetLength(LONGLONG* pTotal, LONGLONG* pAvailable) override;

private:
    explicit CMemoryAsyncReader(std::vector<BYTE> data);
    const std::vector<BYTE> m_data; // never changes, so reads need no lock
};
