#include "quicktime/QTMovie.h"

#include <new>

#include "framework/DebugPrint.h"
#include "quicktime/FourCC.h"

QTMovie::~QTMovie()
{
    DebugPrintW(L"QTMovie::~QTMovie()\n");
    m_topReader.reset();
}

HRESULT QTMovie::ParseMovie()
{
    DebugPrintW(L"ParseMovie XXXXX");
    // A second parse (the input pin connected again) starts from nothing: the
    // new connection may bring a different file, and the output pins that
    // pointed into the old tracks were deleted with the disconnection. So
    // GetTrack gives exactly this file's tracks, each at its first chunk and
    // sample, never stale tracks left where an earlier run stopped.
    Clear();
    m_topReader.reset();
    try
    {
        // Unbounded: it stops where a read fails at the end of the source.
        m_topReader = std::make_unique<QTParser>(m_source, 0, 0, 0);
        LONGLONG size = 0;
        uint32_t name = 0;
        LONGLONG payload = 0;
        if (m_topReader->GetNextAtom(size, name, payload) < 1)
            return E_FAIL;
        DebugPrintW(L"ParseMovie %s", FourCCToWide(name).c_str());
        // Whatever comes before the first "moov" (file type, free space,
        // media data) is stepped over unread; what follows it is never visited.
        while (name != FourCC::Moov)
        {
            (void)m_topReader->SkipRestOfAtom();
            if (m_topReader->GetNextAtom(size, name, payload) < 1)
                return E_FAIL;
            DebugPrintW(L"ParseMovie %s", FourCCToWide(name).c_str());
        }
        DebugPrintW(L"<<<< Starting to Parse MOOV");
        auto moovReader = std::make_unique<QTParser>(m_source, m_topReader->GetAtomStart(), FourCC::Moov,
                                                     static_cast<ULONGLONG>(m_topReader->GetAtomSize()));
        return Movie::ParseMovie(std::move(moovReader));
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
}
