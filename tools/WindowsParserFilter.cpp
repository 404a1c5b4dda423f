// The parser filter on Windows: whatever module the registry names for its
// class identifier (regsvr32 put it there).
#include "tools/ParserFilter.h"

#include "filter/RZQTFileParserClsid.h"
#include "tools/FailureWords.h"

HRESULT CreateParserFilter(ComPtr<IBaseFilter>* parser, std::string* problem)
{
    const HRESULT hr = CoCreateInstance(CLSID_RZQTFileParser, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                        reinterpret_cast<void**>(parser->ReleaseAndGetAddressOf()));
    if (hr == REGDB_E_CLASSNOTREG)
        *problem = "the QuickTime parser filter is not registered; register it with: regsvr32 ostrivel-qtparser.dll";
    else if (FAILED(hr))
        *problem = "cannot create the QuickTime parser filter: HRESULT " + HresultText(hr) + ": " + ResultWords(hr);
    return hr;
}
