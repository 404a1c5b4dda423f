// The filter object: construction and destruction, the pins, the input
// media types and the input pin's connection hooks.
//
// Lock order (a lock on the left may be held while taking one on its right,
// never the reverse):
//   upstream source pin's lock -> input pin lock -> filter lock
//       -> downstream pin's lock -> an output pin's queue lock
// - The input pin lock is recursive: the base pin holds it through a
//   connection, and the parse inside CheckConnect takes it again for every
//   ReadOffset; the pump's ReadOffset takes it on the sourcing thread.
// - The filter lock is the base filter's state lock and every output pin's
//   lock, and it guards the output pin list: discovery adds pins under it
//   (inside the input pin's connection), BreakConnect disconnects and deletes
//   them under it, and GetPin, GetPinCount, FindPin and the pin enumerator
//   read the list under it. Nothing takes the input pin lock under the
//   filter lock.
// - An output pin connecting or disconnecting holds the filter lock while it
//   calls the downstream pin, which takes its own lock.
// - An output pin's queue lock is taken last and alone: no other lock is
//   taken while it is held.
// - The streaming threads take no filter lock: the sourcing thread reads
//   through the input pin and fills the queues; a delivery thread calls
//   downstream with no lock held. So Stop may wait for them, and a pin's
//   Cleanup (under the filter lock) may wait for its delivery thread.
// - Reads go from the input pin lock into the upstream reader, which may
//   take the source pin's lock again: a connection (source pin lock first)
//   and a read (input pin lock first) never run at the same time, because
//   connections happen only while the graph is stopped.
#include "filter/RZQTFileParser.h"

#include <algorithm>
#include <iterator>
#include <new>

#include "filter/RZQTFileParserTrace.h"
#include "framework/DebugPrint.h"
#include "pins/inpin.h"
#include "pins/outpin.h"
#include "quicktime/QTMovie.h"
#include "quicktime/QTTrack.h"

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
    // A graph stops its filters before it lets go of them; should the last
    // reference go while streaming, the threads must not outlive the filter.
    if (m_hSourcingThread || m_hHaltEvent)
        (void)Stop(); // always S_OK
    (void)BreakConnect(); // always S_OK
    m_pMovie.reset();
    if (m_pInputPin)
    {
        // Releases the reader if the input is still connected.
        (void)m_pInputPin->Disconnect();
        m_pInputPin.reset();
    }
    m_paOutputPins.clear();
    m_paRetiredPins.clear(); // their peers have let go: this filter's last reference is gone
    DebugPrintW(L"Filter destructed\n");
}

int CRZQTFileParser::GetPinCount()
{
    CAutoLock lock(&m_csFilter);
    return static_cast<int>(m_paOutputPins.size()) + 1;
}

CBasePin* CRZQTFileParser::GetPin(int n)
{
    DebugPrintW(L"Filter GetPin\n");
    CAutoLock lock(&m_csFilter);
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

STDMETHODIMP CRZQTFileParser::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IRZQTParserTracks)
        return GetInterface(static_cast<IRZQTParserTracks*>(this), ppv);
    return CBaseFilter::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP CRZQTFileParser::GetOutputPinTrack(LONG pin, LONG* track, LONG* bufferSize)
{
    if (!track || !bufferSize)
        return E_POINTER;
    CAutoLock lock(&m_csFilter);
    COutputPin* output = GetOutputPin(static_cast<int>(pin));
    if (!output || !output->GetTrack() || !m_pMovie)
        return E_INVALIDARG;
    for (LONG index = 1; index <= m_pMovie->GetTrackCount(); ++index)
        if (m_pMovie->GetTrack(index) == output->GetTrack())
        {
            *track = index;
            *bufferSize = static_cast<LONG>(output->GetBufferSize());
            return S_OK;
        }
    return E_INVALIDARG;
}

COutputPin* CRZQTFileParser::GetOutputPin(int n)
{
    CAutoLock lock(&m_csFilter);
    if (n < 0 || static_cast<size_t>(n) >= m_paOutputPins.size())
        return nullptr;
    return m_paOutputPins[static_cast<size_t>(n)].get();
}

std::vector<COutputPin*> CRZQTFileParser::OutputPinsNow()
{
    CAutoLock lock(&m_csFilter);
    std::vector<COutputPin*> pins;
    pins.reserve(m_paOutputPins.size());
    for (const std::unique_ptr<COutputPin>& pin : m_paOutputPins)
        pins.push_back(pin.get());
    return pins;
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
    CAutoLock lock(&m_csFilter);
    for (std::unique_ptr<COutputPin>& pin : m_paOutputPins)
    {
        // The tracks are parsed afresh on the next connection; neither side
        // may point at the other once the pin goes.
        if (QTTrack* track = pin->GetTrack())
            track->SetOutputPin(nullptr);
        pin->ForgetTrack();
        if (IPin* peer = pin->GetConnected())
        {
            // The downstream side lets go first, giving back its reference
            // to the pin; then this side lets go of the peer and the
            // allocator. A peer that refuses (its filter still runs) keeps
            // its reference, and with it the pin (see below).
            (void)peer->Disconnect();
            (void)pin->Disconnect(); // this side only: possible while stopped
        }
    }
    if (!m_paOutputPins.empty())
    {
        RetireOutputPins();
        IncrementPinVersion();
    }
    return S_OK;
}

void CRZQTFileParser::RetireOutputPins()
{
    // A pin somebody still references (a peer that would not let go, an
    // enumeration's caller) must outlive that reference: it leaves the list
    // but is kept until its count is 0. Each such reference also holds this
    // filter, so none outlives the filter's own end.
    for (std::unique_ptr<COutputPin>& pin : m_paOutputPins)
    {
        try
        {
            m_paRetiredPins.push_back(std::move(pin));
        }
        catch (const std::bad_alloc&)
        {
            if (pin->GetPinReferences() != 0)
                (void)pin.release(); // leaked rather than freed under a holder
        }
    }
    m_paOutputPins.clear();
    std::vector<std::unique_ptr<COutputPin>>& retired = m_paRetiredPins;
    retired.erase(std::remove_if(retired.begin(), retired.end(),
                                 [](const std::unique_ptr<COutputPin>& pin) { return pin->GetPinReferences() == 0; }),
                  retired.end());
}
