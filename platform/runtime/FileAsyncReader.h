// An IAsyncReader over a file on disk: positioned 64-bit reads, safe from
// several threads at once, no shared file position; runs of small
// sequential reads come out of a read-ahead window (ReadAheadWindow.h).
#pragma once

#include <strmif.h>

#include "framework/PositionalFile.h"
#include "platform/runtime/AsyncReaderBase.h"
#include "platform/runtime/ReadAheadWindow.h"

class CFileAsyncReader : public CAsyncReaderBase
{
public:
    // Opens path for reading. S_OK with *ppReader holding one reference, or
    // the Win32 error of the open as an HRESULT (0x80070002 for a missing
    // file); E_POINTER for null arguments, E_OUTOFMEMORY.
    [[nodiscard]] static HRESULT Create(LPCWSTR path, CFileAsyncReader** ppReader);

    HRESULT ReadBytes(LONGLONG position, LONG length, BYTE* buffer, LONG* pRead) override;
    void GetLength(LONGLONG* pTotal, LONGLONG* pAvailable) override;

private:
    CFileAsyncReader() = default;
    CPositionalFile m_file; // length fixed when opened
    CReadAheadWindow m_window;
};
