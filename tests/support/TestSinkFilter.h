// CTestSinkFilter: the recording sink (CSinkFilter) with a CTestSinkInputPin,
// whose switches make it picky, slow or failing.
#pragma once

#include "tests/support/TestSinkInputPin.h"
#include "tools/sink/SinkFilter.h"

class CTestSinkFilter : public CSinkFilter
{
public:
    // S_OK with *ppSink holding one reference; E_POINTER, E_OUTOFMEMORY.
    [[nodiscard]] static HRESULT Create(CTestSinkFilter** ppSink);

    // The input pin (no reference added; it lives as long as the filter).
    CTestSinkInputPin* Input() { return static_cast<CTestSinkInputPin*>(CSinkFilter::Input()); }

private:
    CTestSinkFilter() = default;
    ~CTestSinkFilter() override = default;
};
