// A run of a movie through the parser filter, as an application plays it,
// through the graph's COM interfaces alone: one recording sink (CSinkFilter)
// per chosen output pin, the other pins left unconnected; then the graph
// unclocked, run, its events taken until the end, and stopped. The sinks hash
// what arrives instead of keeping it, so a movie of any size runs in
// constant memory (less the per-sample list, when asked for).
#pragma once

#include <dshow.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/ComPtr.h"
#include "tools/sink/SinkFilter.h"

class CMovieGraph;

// An output pin taking part in the run, and the sink that records it.
struct RunPin
{
    int index = 0; // 0-based output pin
    std::string name;
    GUID majorType = GUID_NULL; // of the connection
    GUID subtype = GUID_NULL;
    ComPtr<CSinkFilter> sink;
};

// An event as the graph handed it out (IMediaEvent::GetEvent).
struct RunEvent
{
    LONG code;
    LONG_PTR param1;
    LONG_PTR param2;
};

struct RunOutcome
{
    // S_OK when every sink completed; otherwise the root HRESULT of the stream
    // error, or the failure of a state change, or VFW_E_TIMEOUT when nothing
    // arrived for kStallSeconds.
    HRESULT result = S_OK;
    LONG endCode = 0;   // the event that ended the run (EC_COMPLETE, ...), 0 when none did
    double seconds = 0; // from Run to the end of the run
    // The graph's IMediaSeeking::GetDuration before the run (100-ns units),
    // when it answered one.
    bool hasDuration = false;
    LONGLONG duration = 0;
    std::vector<RunEvent> events; // every event the graph handed out, up to and after Stop
};

class CMovieRun
{
public:
    // A run that sees no sample arrive for this long is given up as stalled.
    static constexpr int kStallSeconds = 120;

    explicit CMovieRun(CMovieGraph& graph) : m_graph(graph) {}

    // Makes a sink (S_OK with *ppSink holding one reference) for ConnectSinks.
    using SinkMaker = std::function<HRESULT(CSinkFilter** ppSink)>;
    // The sinks ConnectSinks makes from now on; CSinkFilter::Create when none.
    void UseSinks(SinkMaker make) { m_makeSink = std::move(make); }

    // A recording sink on each output pin listed (0-based), or on every one
    // when allPins. E_INVALIDARG for a pin the filter does not have; else
    // the first failure to make, add or connect a sink.
    [[nodiscard]] HRESULT ConnectSinks(const std::vector<int>& pins, bool allPins, SampleHash hash, bool keepSamples);
    // Runs, takes events until the end and stops. progress gets the bytes
    // received so far, a few times a second while the run goes on.
    RunOutcome Play(const std::function<void(LONGLONG bytes)>& progress);

    const std::vector<RunPin>& Pins() const { return m_pins; }
    LONGLONG BytesReceived() const;

private:
    HRESULT ConnectSink(int index, IPin* pin);
    // Takes events until one ends the run: S_OK with its code and first
    // parameter, or VFW_E_TIMEOUT when stalled, or GetEvent's own failure.
    HRESULT WaitForEnd(IMediaEvent* events, const std::function<void(LONGLONG)>& progress, RunOutcome* outcome,
                       HRESULT* endResult);

    CMovieGraph& m_graph;
    SinkMaker m_makeSink;
    std::vector<RunPin> m_pins;
};
