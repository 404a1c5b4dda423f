#include "tests/support/TestSinkFilter.h"

#include <new>

HRESULT CTestSinkFilter::Create(CTestSinkFilter** ppSink)
{
    return Finish<CTestSinkFilter, CTestSinkInputPin>(new (std::nothrow) CTestSinkFilter(), ppSink);
}
