#include "tools/MovieRun.h"

#include <chrono>

#include "diagnostics/Journal.h"
#include "framework/CMediaType.h"
#include "tools/MovieGraph.h"

namespace
{
constexpr LONG kEventWaitMs = 100; // progress updates and stall checks

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The events that end a run; anything else is noted and passed over.
bool EndsRun(LONG code)
{
    return code == EC_COMPLETE || code == EC_ERRORABORT || code == EC_ERRORABORTEX || code == EC_USERABORT ||
           code == EC_STREAM_ERROR_STOPPED;
}

// An event's HRESULT parameter: a LONG_PTR that may arrive sign-extended or
// not, whose low 32 bits are the result.
HRESULT EventResult(LONG_PTR param)
{
    return static_cast<HRESULT>(static_cast<LONG>(static_cast<ULONG>(static_cast<ULONG_PTR>(param) & 0xFFFFFFFFu)));
}

template <class Interface>
ComPtr<Interface> Query(IUnknown* object, REFIID riid)
{
    ComPtr<Interface> result;
    if (FAILED(object->QueryInterface(riid, reinterpret_cast<void**>(result.ReleaseAndGetAddressOf()))))
        result.Reset();
    return result;
}
} // namespace

HRESULT CMovieRun::ConnectSinks(const std::vector<int>& pins, bool allPins, SampleHash hash, bool keepSamples)
{
    const std::vector<ComPtr<IPin>> outputs = m_graph.OutputPins();
    const int count = static_cast<int>(outputs.size());
    std::vector<int> chosen = pins;
    if (allPins)
        for (int index = 0; index < count; ++index)
            chosen.push_back(index);
    for (const int index : chosen)
    {
        if (index < 0 || index >= count)
            return E_INVALIDARG;
        const HRESULT hr = ConnectSink(index, outputs[static_cast<size_t>(index)].Get());
        if (FAILED(hr))
            return hr;
        m_pins.back().sink->Records().Configure(hash, keepSamples);
    }
    return S_OK;
}

HRESULT CMovieRun::ConnectSink(int index, IPin* pin)
{
    RunPin run;
    run.index = index;
    run.name = PinName(*pin);
    HRESULT hr = m_makeSink ? m_makeSink(run.sink.ReleaseAndGetAddressOf())
                            : CSinkFilter::Create(run.sink.ReleaseAndGetAddressOf());
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
    IGraphBuilder* graph = m_graph.Graph();
    const ComPtr<IMediaSeeking> seeking = Query<IMediaSeeking>(graph, IID_IMediaSeeking);
    outcome.hasDuration = seeking && SUCCEEDED(seeking->GetDuration(&outcome.duration));
    if (!outcome.hasDuration)
        outcome.duration = 0;
    if (m_pins.empty())
    {
        // A movie without tracks has nothing to play, and a graph without a
        // sink would never complete.
        outcome.endCode = EC_COMPLETE;
        outcome.result = S_OK;
        return outcome;
    }
    const ComPtr<IMediaFilter> filter = Query<IMediaFilter>(graph, IID_IMediaFilter);
    const ComPtr<IMediaControl> control = Query<IMediaControl>(graph, IID_IMediaControl);
    const ComPtr<IMediaEventEx> events = Query<IMediaEventEx>(graph, IID_IMediaEventEx);
    if (!filter || !control || !events)
    {
        outcome.result = E_NOINTERFACE;
        return outcome;
    }
    const Clock::time_point start = Clock::now();
    // Unclocked, the filters deliver as fast as they can, not at the movie's pace.
    HRESULT hr = filter->SetSyncSource(nullptr);
    if (SUCCEEDED(hr))
        hr = control->Run();
    HRESULT endResult = S_OK;
    if (SUCCEEDED(hr))
        hr = WaitForEnd(events.Get(), progress, &outcome, &endResult);
    outcome.seconds = SecondsSince(start);
    const HRESULT stopped = control->Stop();
    // What the filters reported while stopping, too.
    LONG code = 0;
    LONG_PTR param1 = 0, param2 = 0;
    while (events->GetEvent(&code, &param1, &param2, 0) == S_OK)
    {
        outcome.events.push_back(RunEvent{code, param1, param2});
        (void)events->FreeEventParams(code, param1, param2); // nothing to do about a failure to free
    }
    if (FAILED(hr))
        outcome.result = JournalChainError(hr); // a state change's failure may come as its journal chain
    else if (outcome.endCode != EC_COMPLETE)
        outcome.result = FAILED(endResult) ? endResult : E_FAIL;
    else
        outcome.result = FAILED(stopped) ? stopped : S_OK;
    return outcome;
}

HRESULT CMovieRun::WaitForEnd(IMediaEvent* events, const std::function<void(LONGLONG)>& progress,
                              RunOutcome* outcome, HRESULT* endResult)
{
    LONGLONG lastBytes = -1;
    Clock::time_point lastArrival = Clock::now();
    for (;;)
    {
        LONG code = 0;
        LONG_PTR param1 = 0, param2 = 0;
        const HRESULT hr = events->GetEvent(&code, &param1, &param2, kEventWaitMs);
        if (hr == S_OK)
        {
            outcome->events.push_back(RunEvent{code, param1, param2});
            (void)events->FreeEventParams(code, param1, param2); // nothing to do about a failure to free
            if (EndsRun(code))
            {
                outcome->endCode = code;
                *endResult = EventResult(param1);
                return S_OK;
            }
            continue;
        }
        if (hr != E_ABORT)
            return hr;
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
}
