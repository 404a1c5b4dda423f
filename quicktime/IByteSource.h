// The one thing the QuickTime parser needs of its input: a positioned read.
// The input pin implements it over the upstream reader; CFileByteSource and
// CMemoryByteSource serve files and memory buffers.
#pragma once

#include <windows.h>

class IByteSource
{
public:
    // Reads length bytes at the absolute byte position into buffer.
    // S_OK: every byte came. S_FALSE: a short read at the end of the source;
    // the bytes before the end are filled, how many is not reported.
    // A failure code otherwise, also for a negative position or length.
    virtual HRESULT ReadOffset(BYTE* buffer, LONGLONG position, LONG length) = 0;

protected:
    ~IByteSource() = default;
};
