#include "pins/inpin.h"

#include "diagnostics/TraceConvention.h"
#include "filter/RZQTFileParser.h"
#include "framework/DebugPrint.h"

CInputPin::CInputPin(CRZQTFileParser* pFilter, HRESULT* phr)
    : CBasePin(L"CInputPin", pFilter, &m_PinLock, phr, L"Input Stream", PINDIR_INPUT), m_pParser(pFilter)
{
    DebugPrintW(L"InPin Constructor");
}

CInputPin::~CInputPin()
{
    DebugPrintW(L"\nInputPin::Destructor via virtual destructor\n");
}

HRESULT CInputPin::CheckConnect(IPin* pPin)
{
    // A source that failed to parse once is not tried again, nor any other.
    if (FAILED(m_hrConnect))
        return VFW_E_NO_ACCEPTABLE_TYPES;
    const HRESULT hr = CBasePin::CheckConnect(pPin);
    if (FAILED(hr))
        return hr;
    DebugPrintW(L"InPin CheckConnect Good");
    if (FAILED(pPin->QueryInterface(IID_IAsyncReader, reinterpret_cast<void**>(m_pReader.ReleaseAndGetAddressOf()))))
        return E_INVALIDARG;
    m_hrConnect = m_pParser->InitToRcv();
    return m_hrConnect;
}

HRESULT CInputPin::CheckMediaType(const CMediaType* pmt)
{
    CTraceEntry tracer(L"CInputPin::CheckMediaType");
    DebugPrintW(L"InPin CheckMediaType");
    try
    {
        if (!pmt)
            tracer = E_INVALIDARG;
        const AMOVIESETUP_MEDIATYPE* entry = nullptr;
        if (m_pParser->IsInMediaTypeSupported(pmt, &entry) != S_OK)
            tracer = VFW_E_NO_ACCEPTABLE_TYPES;
        tracer = m_mtAccepted.Set(*pmt);
    }
    QTP_CATCH_ALL(tracer)
    return tracer.Result();
}

HRESULT CInputPin::GetMediaType(int iPosition, CMediaType* pmt)
{
    return m_pParser->GetInMediaType(iPosition, pmt);
}

HRESULT CInputPin::BreakConnect()
{
    DebugPrintW(L"InPin BreakConnect");
    (void)CBasePin::BreakConnect(); // undoes nothing of its own
    (void)m_pParser->BreakConnect(); // always S_OK
    // The base pin's callers hold the lock already; taken here as well so a
    // release can never meet a read, whoever calls.
    CAutoLock lock(&m_PinLock);
    m_pReader.Reset();
    return S_OK;
}

STDMETHODIMP CInputPin::EndOfStream()
{
    return S_OK;
}

STDMETHODIMP CInputPin::BeginFlush()
{
    return S_OK;
}

STDMETHODIMP CInputPin::EndFlush()
{
    return S_OK;
}

HRESULT CInputPin::ReadOffset(BYTE* pBuffer, LONGLONG llPosition, LONG lLength)
{
    CAutoLock lock(&m_PinLock);
    if (!m_pReader)
        return E_UNEXPECTED;
    return m_pReader->SyncRead(llPosition, lLength, pBuffer);
}

LONGLONG CInputPin::GetDuration()
{
    CTraceEntry tracer(L"CInputPin::GetDuration");
    LONGLONG total = 0;
    LONGLONG available = 0;
    try
    {
        if (!m_pReader)
            tracer = E_UNEXPECTED;
        tracer = m_pReader->Length(&total, &available);
    }
    QTP_CATCH_ALL(tracer)
    return FAILED(tracer.Result()) ? 0 : total;
}
