#include "tools/MovieRun.h"

#include <chrono>

#include "diagnostics/Journal.h"
#include "filter/RZQTFileParser.h"
#include "pins/outpin.h"
#include "tools/MovieGraph.h"
#include "tools/PinReport.h"

namespace
{
constexpr DWORD kTickMs = 250; // progress updates and stall checks

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The HRESULT an end event carries, as a failure.
HRESULT EndFailure(const RunOutcome& outcome)
{
    for (const GraphEvent& event : outcome.events)
        if (event.code == outcome.endCode && FAILED(static_cast<HRESULT>(event.param1)))
            return static_cast<HRESULT>(event.param1);
    return E_FAIL;
}
} // namespace

HRESULT CMovieRun::ConnectSinks(const std::vector<int>& pins, bool allPins, SampleHash hash, bool keepSamples)
{
    const int count = m_graph.Parser()->GetPinCount() - 1;
    std::vector<int> chosen = pins;
    if (allPins)
        for (int index = 0; index < count; ++index)
            chosen.push_back(index);
    for (const int index : chosen)
    {
        if (index < 0 || index >= count)
            return E_INVALIDARG;
        const HRESULT hr = ConnectSink(index);
        if (FAILED(hr))
            return hr;
        m_pins.back().sink->Records().Configure(hash, keepSamples);
    }
    return S_OK;
}

HRESULT CMovieRun::ConnectSink(int index)
{
    COutputPin* pin = m_graph.Parser()->GetOutputPin(index);
    if (!pin)
        return E_INVALIDARG;
    RunPin run;
    run.index = index;
    run.name = PinName(*pin);
    HRESULT hr = CSinkFilter::Create(run.sink.ReleaseAndGetAddressOf());
    if (SUCCEEDED(hr))
        hr = m_graph.Graph()->AddFilter(run.sink.Get(), (L"Sink " + std::to_wstring(index)).c_str());
    if (SUCCEEDED(hr))
        hr = m_graph.Graph()->ConnectDirect(pin, run.sink->Input(), nullptr);
    if (FAILED(hr))
        return hr;
    AM_MEDIA_TYPE type{};
    if (SUCCEEDED(pin->ConnectionMediaType(&type)))
    {
        run.majorType = type.majortype;
        run.subtype = type.subtype;
        FreeMediaType(type);
    }
    m_pins.push_back(std::move(run));
    return S_OK;
}

LONGLONG CMovieRun::BytesReceived() const
{
    LONGLONG bytes = 0;
    for (const RunPin& pin : m_pins)
        bytes += pin.sink->Records().Totals().bytes;
    return bytes;
}

RunOutcome CMovieRun::Play(const std::function<void(LONGLONG)>& progress)
{
    RunOutcome outcome;
    if (m_pins.empty())
    {
        // A movie without tracks has nothing to play, and a graph without a
        // sink would never complete.
        outcome.endCode = EC_COMPLETE;
        outcome.result = S_OK;
        return outcome;
    }
    CFilterGraph& graph = *m_graph.Graph();
    const Clock::time_point start = Clock::now();
    HRESULT hr = graph.Pause();
    if (SUCCEEDED(hr))
        hr = graph.Run();
    if (SUCCEEDED(hr))
        hr = WaitForEnd(progress, &outcome.endCode);
    outcome.seconds = SecondsSince(start);
    const HRESULT stopped = graph.Stop();
    outcome.events = graph.Events();
    if (FAILED(hr))
        outcome.result = JournalChainError(hr); // a state change's failure may come as its journal chain
    else if (outcome.endCode != EC_COMPLETE)
        outcome.result = EndFailure(outcome);
    else
        outcome.result = FAILED(stopped) ? stopped : S_OK;
    return outcome;
}

HRESULT CMovieRun::WaitForEnd(const std::function<void(LONGLONG)>& progress, LONG* pEndCode)
{
    LONGLONG lastBytes = -1;
    Clock::time_point lastArrival = Clock::now();
    while (m_graph.Graph()->WaitForCompletion(kTickMs, pEndCode) != S_OK)
    {
        const LONGLONG bytes = BytesReceived();
        progress(bytes);
        if (bytes != lastBytes)
        {
            lastBytes = bytes;
            lastArrival = Clock::now();
        }
        else if (SecondsSince(lastArrival) > kStallSeconds)
        {
            return VFW_E_TIMEOUT;
        }
    }
    return S_OK;
}
