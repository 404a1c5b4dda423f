// CWritingSink: the recording sink (CSinkFilter) that also writes every
// sample's bytes, in arrival order, into its pin's file (CPinFile), for
// qtgraph extract. A sample that cannot be written is refused with
// HRESULT_FROM_WIN32(ERROR_CANTWRITE), which stops the stream; the file
// says why (CPinFile::Problem).
#pragma once

#include <memory>

#include "tools/PinFile.h"
#include "tools/sink/SinkFilter.h"

class CWritingSink : public CSinkFilter
{
public:
    // S_OK with *ppSink holding one reference; E_POINTER, E_OUTOFMEMORY.
    [[nodiscard]] static HRESULT Create(CWritingSink** ppSink);

    // The file the samples go to from now on, or none (the samples are only
    // recorded). Set it while the graph is stopped.
    void SetFile(std::unique_ptr<CPinFile> file) { m_file = std::move(file); }
    // The file, or null (owned by the sink: an unfinished one is removed
    // with it).
    CPinFile* File() const { return m_file.get(); }

private:
    CWritingSink() = default;

    std::unique_ptr<CPinFile> m_file;
};
