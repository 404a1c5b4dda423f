#include "tools/sink/WritingSink.h"

#include <new>

namespace
{
// Writes what it accepts into its sink's file. Samples arrive on one
// delivery thread at a time, and the file is set while the graph is stopped:
// no lock of its own.
class CWritingPin : public CSinkInputPin
{
public:
    CWritingPin(CWritingSink* pSink, CCritSec* pLock, HRESULT* phr) : CSinkInputPin(pSink, pLock, phr), m_sink(pSink)
    {
    }

protected:
    HRESULT AcceptSample(IMediaSample* pSample, LONG) override
    {
        CPinFile* const file = m_sink->File();
        if (!file)
            return S_OK;
        BYTE* data = nullptr;
        const LONG size = pSample->GetActualDataLength();
        if (size < 0 || FAILED(pSample->GetPointer(&data)) || (size > 0 && !data))
            return E_POINTER;
        return file->Write(data, static_cast<size_t>(size)) ? S_OK : HRESULT_FROM_WIN32(ERROR_CANTWRITE);
    }

private:
    CWritingSink* const m_sink; // not owned: the sink owns the pin
};
} // namespace

HRESULT CWritingSink::Create(CWritingSink** ppSink)
{
    return Finish<CWritingSink, CWritingPin>(new (std::nothrow) CWritingSink(), ppSink);
}
