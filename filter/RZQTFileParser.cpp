// The filter object: construction and destruction, the pins, the input
// media types and the input pin's connection hooks.
//
// Lock order (a lock on the left may be held while taking one on its right,
// never the reverse):
//   upstream source pin's lock -> input pin lock -> filter lock -> queue lock
// - The input pin lock is recursive: the base pin holds it through a
//   connection, and the parse inside CheckConnect takes it again for every
//   ReadOffset; the pump's ReadOffset takes it on the sourcing thread.
// - The filter lock is the base filter's state lock and every output pin's
//   lock. Disconnecting the input pin disconnects the output pins under the
//   input pin lock; nothing takes the input pin lock under the filter lock.
// - An output pin's queue lock is taken last and alone: no other lock is
//   taken while it is held.
// - Reads go from the input pin lock into the upstream reader, which may
//   take the source pin's lock again: a connection (source pin lock first)
//   and a read (input pin lock first) never run at the same time, because
//   connections happen only while the graph is stopped.
#include "filter/RZQTFileParser.h"

#include <iterator>
#include <new>

#include "filter/RZQTFileParserTrace.h"
#include "framework/DebugPrint.h"
#include "pins/inpin.h"
#include "quicktime/QTMovie.h"

CUnknown* WINAPI CRZQTFileParser::CreateInstance(LPUNKNOWN pUnk, HRESULT* phr)
{
    CRZQTFileParser* filter = new (std::nothrow) CRZQTFileParser(pUnk, phr);
    DebugPrintW(L"Filter CreateInstance\n");
    if (!filter && phr)
        *phr = E_OUTOFMEMORY;
    return filter;
}

CRZQTFileParser::CRZQTFileParser(LPUNKNOWN pUnk, HRESULT* phr)
    : CBaseFilter(nullptr, pUnk, &m_csFilter, CLSID_RZQTFileParser, phr)
{
    CTraceEntry tracer(L"CRZQTFileParser::CRZQTFileParser");
    try
    {
        DebugPrintW(L"Filter constructed\n");
    }
    QTP_CATCH_ALL(tracer)
    if (FAILED(tracer.Result()) && phr)
        *phr = tracer.Result();
}

CRZQTFileParser::~CRZQTFileParser()
{
    (void)BreakConnect(); // always S_OK
    m_pMovie.reset();
    if (m_pInputPin)
    {
        // Releases the reader if the input is still connected.
        (void)m_pInputPin->Disconnect();
        m_pInputPin.reset();
    }
    m_paOutputPins.clear();
    DebugPrintW(L"Filter destructed\n");
}

int CRZQTFileParser::GetPinCount()
{
    return static_cast<int>(m_paOutputPins.size()) + 1;
}

CBasePin* CRZQTFileParser::GetPin(int n)
{
    DebugPrintW(L"Filter GetPin\n");
    if (!m_pInputPin)
    {
        DebugPrintW(L"Filter GetPin new\n");
        HRESULT hr = S_OK; // the pin's constructor cannot fail in a way worth refusing
        m_pInputPin.reset(new (std::nothrow) CInputPin(this, &hr));
        if (!m_pInputPin)
            return nullptr;
    }
    if (n < 0 || n >= GetPinCount())
        return nullptr;
    DebugPrintW(L"GetPin(%d) returns something\n", n);
    if (n == 0)
        return m_pInputPin.get();
    return m_paOutputPins[static_cast<size_t>(n - 1)].get();
}

HRESULT CRZQTFileParser::GetInMediaType(int iPosition, CMediaType* pmt)
{
    if (!pmt)
        return E_POINTER;
    if (iPosition < 0)
        return E_INVALIDARG;
    if (static_cast<size_t>(iPosition) >= std::size(sudInputPinTypes))
        return VFW_S_NO_MORE_ITEMS;
    DebugPrintW(L"GetInMediaType(%d) returns something\n", iPosition);
    const AMOVIESETUP_MEDIATYPE& entry = sudInputPinTypes[iPosition];
    pmt->InitMediaType();
    pmt->SetType(entry.clsMajorType);
    pmt->SetSubtype(entry.clsMinorType);
    return S_OK;
}

HRESULT CRZQTFileParser::IsInMediaTypeSupported(const AM_MEDIA_TYPE* pmt, const AMOVIESETUP_MEDIATYPE** ppEntry)
{
    DebugPrintW(L"IsInMediaTypeSupportedreturns called\n");
    if (!pmt)
        return E_POINTER;
    if (ppEntry)
        *ppEntry = nullptr;
    for (const AMOVIESETUP_MEDIATYPE& entry : sudInputPinTypes)
    {
        if (IsEqualGUID(*entry.clsMajorType, pmt->majortype))
        {
            if (ppEntry)
                *ppEntry = &entry;
            DebugPrintW(L"IsInMediaTypeSupportedreturns true\n");
            return S_OK;
        }
    }
    return S_FALSE;
}

HRESULT CRZQTFileParser::InitToRcv()
{
    CTraceEntry tracer(L"CRZQTFileParser::InitToRcv");
    DebugPrintW(L"Filter InitToRcv\n");
    try
    {
        tracer = ParseStreamDetails();
    }
    QTP_CATCH_ALL(tracer)
    return tracer.Result();
}

HRESULT CRZQTFileParser::BreakConnect()
{
    DebugPrintW(L"Filter BreakConnect\n");
    for (const std::unique_ptr<CBaseOutputPin>& pin : m_paOutputPins)
    {
        IPin* peer = pin->GetConnected();
        if (!peer)
            continue;
        // The downstream side lets go first, giving back its reference to
        // the pin, so no peer keeps a pointer to a pin about to be deleted.
        (void)peer->Disconnect(); // a peer that will not let go keeps its reference
        (void)pin->Disconnect();
    }
    if (!m_paOutputPins.empty())
    {
        m_paOutputPins.clear();
        IncrementPinVersion();
    }
    return S_OK;
}

void CRZQTFileParser::SetStreamError(HRESULT hr)
{
    HRESULT stored = m_hrStreamError.load();
    while (stored >= 0 && !m_hrStreamError.compare_exchange_weak(stored, hr))
    {
    }
}
