// The output pin's delivery side: the queue the sample pump fills and the
// pin's own thread (the "media dribbler") that empties it downstream.
//
// The queue lock guards the queue together with the data-available event, so
// a sample appended while the thread finds the queue empty is never left
// behind a reset event. It is held for the list operation only: never while
// delivering, waiting or allocating, and no other lock is taken under it.
#include <process.h>

#include "pins/OutPinTrace.h"
#include "filter/RZQTFileParser.h"
#include "framework/DebugPrint.h"
#include "framework/Win32Result.h"
#include "pins/outpin.h"

HRESULT COutputPin::GetMediaSample(IMediaSample** ppSample)
{
    const HRESULT hr = GetDeliveryBuffer(ppSample, nullptr, nullptr, 0);
    if (hr == S_OK && *ppSample)
        (void)(*ppSample)->SetActualDataLength(0); // a fresh buffer holds nothing yet
    return hr;
}

HRESULT COutputPin::QueueSample(IMediaSample* pSample)
{
    CAutoLock lock(&m_csQueue);
    const bool wasEmpty = m_DeliveryQueue.empty();
    m_DeliveryQueue.push_back(ComPtr<IMediaSample>::Attach(pSample));
    // The event is reset only by the delivery thread finding the queue empty,
    // under this lock: while samples are queued it is signalled already, and
    // signalling it again per sample would only cost the pump.
    if (wasEmpty)
        (void)SetEvent(m_hDataAvailable.get()); // without a thread nothing waits for it
    return S_OK;
}

HRESULT COutputPin::StartAsyncDeliveryThread()
{
    CTraceEntry tracer(L"COutputPin::StartAsyncDeliveryThread");
    DebugPrintW(L"COutputPin::StartAsyncDeliveryThread()\n");
    try
    {
        // Samples an earlier run left queued (it ended on halt or on a
        // failure) belong to a stream that is over: they are not delivered.
        CloseRun();
        m_hDataAvailable.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!m_hDataAvailable)
            QTP_RAISE(tracer, CreationFailureFromLastError(), L"Unable to create data availability event");
        m_hEndOfStream.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!m_hEndOfStream)
            QTP_RAISE(tracer, CreationFailureFromLastError(), L"Unable to create EOS event");
        m_hThread.reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, AsyncDelivery, this, 0, nullptr)));
        if (!m_hThread)
            QTP_RAISE(tracer, CreationFailureFromLastError(), L"Error spawning media dribbler");
        DebugPrintW(L"COutputPin::StartAsyncDeliveryThread() finished!!!!\n");
    }
    QTP_CATCH_ALL(tracer)
    return tracer.Result();
}

void COutputPin::EndDelivery()
{
    if (m_hThread)
        (void)WaitForSingleObject(m_hThread.get(), INFINITE);
    DiscardQueue();
}

HRESULT COutputPin::DecommitAllocator()
{
    return m_pAllocator ? m_pAllocator->Decommit() : S_OK;
}

STDMETHODIMP COutputPin::EndOfStream()
{
    CTraceEntry tracer(L"COutputPin::EndOfStream");
    (void)SetEvent(m_hEndOfStream.get()); // a pin whose thread never started has nobody to tell
    return tracer.Result();
}

unsigned __stdcall COutputPin::AsyncDelivery(void* pPin)
{
    COutputPin* pin = static_cast<COutputPin*>(pPin);
    CTraceEntry tracer(L"COutputPin::AsyncDelivery");
    DebugPrintW(L"COutputPin::StartAsyncDelivery()\n");
    // Data first, then end of stream, then halt: the lowest index wins.
    const HANDLE events[] = {pin->m_hDataAvailable.get(), pin->m_hEndOfStream.get(), pin->m_pParser->GetHaltEvent()};
    try
    {
        for (bool running = true; running;)
        {
            if (pin->m_pParser->GetStreamError() < 0)
                break; // another pin's delivery failed: the run is over
            switch (WaitForMultipleObjects(3, events, FALSE, INFINITE))
            {
            case WAIT_OBJECT_0:
                tracer = pin->DeliverNextSample();
                break;
            case WAIT_OBJECT_0 + 1:
                tracer = pin->HandleEndOfStream();
                running = false;
                break;
            default: // halt, or a wait that failed
                running = false;
                break;
            }
        }
    }
    QTP_CATCH_ALL(tracer)
    if (tracer.Failed())
        pin->m_pParser->DeliveryFailed(tracer.Result());
    DebugPrintW(L"COutputPin::AsyncDelivery() thread finished\n");
    return static_cast<unsigned>(tracer.Result());
}

HRESULT COutputPin::DeliverNextSample()
{
    ComPtr<IMediaSample> sample;
    {
        CAutoLock lock(&m_csQueue);
        if (m_DeliveryQueue.empty())
        {
            (void)ResetEvent(m_hDataAvailable.get());
        }
        else
        {
            sample = m_DeliveryQueue.pop_front();
        }
    }
    if (!sample)
        return S_FALSE;
    return DeliverSample(sample.Detach());
}

HRESULT COutputPin::DeliverSample(IMediaSample* pSample)
{
    if (!pSample)
        return E_INVALIDARG;
    const HRESULT hr = Deliver(pSample);
    pSample->Release(); // the queue's reference, whatever downstream answered
    return hr;
}

HRESULT COutputPin::HandleEndOfStream()
{
    CTraceEntry tracer(L"COutputPin::HandleEndOfStream");
    DebugPrintW(L"COutputPin::HandleEndOfStream");
    try
    {
        while (tracer.Result() == S_OK)
            tracer = DeliverNextSample();
        // An unconnected pin has no stream to end; its silence is no failure
        // that should end the other pins' streams.
        if (IsConnected())
            tracer = DeliverEndOfStream();
    }
    QTP_CATCH_ALL(tracer)
    return tracer.Result();
}

HRESULT COutputPin::Cleanup()
{
    CTraceEntry tracer(L"COutputPin::Cleanup");
    DebugPrintW(L"COutputPin::Cleanup");
    CloseRun();
    return tracer.Result();
}

void COutputPin::CloseRun()
{
    if (m_hThread)
    {
        (void)WaitForSingleObject(m_hThread.get(), INFINITE);
        m_hThread.reset();
    }
    m_hEndOfStream.reset();
    m_hDataAvailable.reset();
    DiscardQueue();
}

void COutputPin::DiscardQueue()
{
    CDeliveryQueue discarded;
    {
        CAutoLock lock(&m_csQueue);
        discarded.swap(m_DeliveryQueue);
    }
    // Released here, outside the lock: a release may go back to an allocator.
}
