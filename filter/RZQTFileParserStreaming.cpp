// Streaming: Run starts the stream sourcing thread, which starts every output
// pin's delivery thread, runs the sample pump and then ends every pin's
// stream; Stop ends it all.
//
// Stop must never hang. The pump watches no event: it ends when the movie
// does or when one of its calls fails. Once the delivery threads have been
// told to halt, nothing may ever free a buffer the pump waits for, so Stop
// decommits the output allocators after signalling the halt and before it
// waits: the waiting GetMediaSample fails and the pump ends. A delivery
// thread that fails does the same, so the pump is not left waiting on a pin
// nobody delivers from. Stop also waits for every delivery thread before it
// closes the halt event they wait on.
#include <process.h>

#include "diagnostics/Journal.h"
#include "filter/RZQTFileParserTrace.h"
#include "filter/RZQTFileParser.h"
#include "framework/DebugPrint.h"
#include "framework/Win32Result.h"
#include "pins/inpin.h"
#include "pins/outpin.h"

STDMETHODIMP CRZQTFileParser::Run(REFERENCE_TIME tStart)
{
    CTraceEntry tracer(L"CRZQTFileParser::Run");
    try
    {
        DebugPrintW(L"==========================================================================================Run "
                    L"starts\n");
        tracer = CBaseFilter::Run(tStart);
        DebugPrintW(L"Run pins and stuff ok? 0x%x 0x%x\n", m_hHaltEvent.get(), m_hSourcingThread.get());
        if (!m_pInputPin || !m_pInputPin->IsConnected() || m_hHaltEvent || m_hSourcingThread)
            return VFW_E_WRONG_STATE;
        DebugPrintW(L"Run pins and stuff are ok\n");
        // A new run: its streams start without the failures of the last one.
        m_hrStreamError = S_OK;
        m_bStreamErrorNotified = false;
        m_RunPins = OutputPinsNow();
        m_hHaltEvent.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!m_hHaltEvent)
            QTP_RAISE(tracer, CreationFailureFromLastError(), L"Unable to create halt event");
        m_hSourcingThread.reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, PullStream, this, 0, nullptr)));
        if (!m_hSourcingThread)
            QTP_RAISE(tracer, CreationFailureFromLastError(), L"Unable to create stream sourcing thread");
    }
    QTP_CATCH_ALL(tracer)
    return tracer.Result();
}

STDMETHODIMP CRZQTFileParser::Pause()
{
    CTraceEntry tracer(L"CRZQTFileParser::Pause");
    try
    {
        DebugPrintW(L"PAUSE CALLED!\n");
        tracer = CBaseFilter::Pause();
        DebugPrintW(L"Pause : OK?? 0x%x\n", tracer.Result());
    }
    QTP_CATCH_ALL(tracer)
    return tracer.Result();
}

STDMETHODIMP CRZQTFileParser::Stop()
{
    CTraceEntry tracer(L"CRZQTFileParser::Stop");
    DebugPrintW(L"Stop CALLED!\n");
    if (m_hHaltEvent)
        (void)SetEvent(m_hHaltEvent.get());
    if (m_hSourcingThread)
    {
        DecommitOutputAllocators();
        (void)WaitForSingleObject(m_hSourcingThread.get(), INFINITE);
        m_hSourcingThread.reset();
        // Every delivery thread this run started has been told to halt; none
        // may be left waiting on the halt event once it is closed.
        for (COutputPin* pin : m_RunPins)
            pin->EndDelivery();
    }
    m_RunPins.clear();
    m_hHaltEvent.reset();
    (void)CBaseFilter::Stop(); // a pin that fails to stop changes nothing here
    return tracer.Result();
}

unsigned __stdcall CRZQTFileParser::PullStream(void* pFilter)
{
    CRZQTFileParser* filter = static_cast<CRZQTFileParser*>(pFilter);
    CTraceEntry tracer(L"CRZQTFileParser::PullStream");
    (void)tracer.LogMsg(L"QTP: PullStream starts");
    DebugPrintW(L"CRZQTFileParser::PullStream()\n");
    tracer.SetResult(S_OK);
    try
    {
        tracer = filter->StartAsyncDelivery();
        tracer = filter->ParseTheMovie();
        (void)tracer.LogMsg(L"QTP: PullStream ParseTheMovie is done");
    }
    QTP_CATCH_ALL(tracer)
    if (tracer.Failed())
    {
        filter->NotifyStreamError(tracer.Result());
    }
    else
    {
        for (COutputPin* pin : filter->m_RunPins)
            (void)pin->EndOfStream(); // S_OK
    }
    return static_cast<unsigned>(tracer.Result());
}

HRESULT CRZQTFileParser::StartAsyncDelivery()
{
    CTraceEntry tracer(L"CRZQTFileParser::StartAsyncDelivery");
    try
    {
        DebugPrintW(L"CRZQTFileParser::StartAsyncDelivery() %d outpins\n", static_cast<int>(m_RunPins.size()));
        for (COutputPin* pin : m_RunPins)
            tracer = pin->StartAsyncDeliveryThread();
    }
    QTP_CATCH_ALL(tracer)
    return tracer.Result();
}

void CRZQTFileParser::SetStreamError(HRESULT hr)
{
    HRESULT stored = m_hrStreamError.load();
    while (stored >= 0 && !m_hrStreamError.compare_exchange_weak(stored, hr))
    {
    }
}

void CRZQTFileParser::DeliveryFailed(HRESULT hr)
{
    SetStreamError(hr);
    NotifyStreamError(hr);
    // Nobody delivers from this pin any more, and the other pins stop at
    // their next wake-up: a pump waiting for a buffer would wait forever.
    DecommitOutputAllocators();
}

void CRZQTFileParser::NotifyStreamError(HRESULT hr)
{
    if (m_bStreamErrorNotified.exchange(true))
        return; // the first failure of the run has been reported; later ones follow from it
    (void)NotifyEvent(EC_STREAM_ERROR_STOPPED, JournalChainError(hr), 0);
}

void CRZQTFileParser::DecommitOutputAllocators()
{
    for (COutputPin* pin : m_RunPins)
        (void)pin->DecommitAllocator(); // an allocator that fails to decommit has nothing waiting on it
}
