#include "tests/support/FaultInjectingReader.h"

#include <algorithm>
#include <new>

HRESULT CFaultInjectingReader::Create(CAsyncReaderBase* source, CFaultInjectingReader** ppReader)
{
    if (!ppReader)
        return E_POINTER;
    *ppReader = nullptr;
    if (!source)
        return E_POINTER;
    *ppReader = new (std::nothrow) CFaultInjectingReader(source);
    return *ppReader ? S_OK : E_OUTOFMEMORY;
}

CFaultInjectingReader::CFaultInjectingReader(CAsyncReaderBase* source) : m_source(source)
{
    m_source->AddRef();
}

CFaultInjectingReader::~CFaultInjectingReader()
{
    m_source->Release();
}

void CFaultInjectingReader::FailAfter(LONG readsBeforeFailure, HRESULT failure)
{
    m_failure = failure;
    m_failAfter = readsBeforeFailure;
}

void CFaultInjectingReader::CutAt(LONGLONG available)
{
    m_cutAt = available;
}

HRESULT CFaultInjectingReader::ReadBytes(LONGLONG position, LONG length, BYTE* buffer, LONG* pRead)
{
    const LONG number = ++m_reads; // 1-based
    const LONG failAfter = m_failAfter;
    if (failAfter >= 0 && number > failAfter)
        return m_failure;
    const LONGLONG cut = m_cutAt;
    if (cut >= 0)
    {
        if (position >= cut)
        {
            *pRead = 0;
            return S_OK;
        }
        length = static_cast<LONG>(std::min<LONGLONG>(length, cut - position));
    }
    return m_source->ReadBytes(position, length, buffer, pRead);
}

void CFaultInjectingReader::GetLength(LONGLONG* pTotal, LONGLONG* pAvailable)
{
    m_source->GetLength(pTotal, pAvailable);
    const LONGLONG cut = m_cutAt;
    if (cut >= 0)
        *pAvailable = std::min(*pAvailable, cut);
}
