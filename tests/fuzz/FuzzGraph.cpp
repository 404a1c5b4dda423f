// libFuzzer target over the whole graph: a fuzzed movie in memory connected to
// the parser filter, every output pin to a sink, run until EC_COMPLETE or the
// stream error, stopped and torn down. Besides crashes and sanitizer reports
// it stops on a run that never ends (libFuzzer's -timeout), on more than one
// stream error in a run, and on any framework object left alive afterwards.
//
// Built with clang by the fuzz preset; the normal build links the same
// function into fuzz_graph_regression_tests, which replays the kept inputs.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "filter/RZQTFileParser.h"
#include "framework/ComPtr.h"
#include "platform/runtime/AsyncSourceFilter.h"
#include "platform/runtime/FilterGraph.h"
#include "tests/support/MemorySource.h"
#include "tools/sink/SinkFilter.h"

namespace
{
void Require(bool condition, const char* promise)
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz graph: %s\n", promise);
    std::abort();
}

void RunGraph(const uint8_t* data, size_t size)
{
    CFilterGraph* graphRaw = nullptr;
    CAsyncSourceFilter* sourceRaw = nullptr;
    if (FAILED(CFilterGraph::Create(&graphRaw)))
        return;
    ComPtr<CFilterGraph> graph = ComPtr<CFilterGraph>::Attach(graphRaw);
    if (FAILED(CreateMemorySource(std::vector<BYTE>(data, data + size), &sourceRaw)))
        return;
    ComPtr<CAsyncSourceFilter> source = ComPtr<CAsyncSourceFilter>::Attach(sourceRaw);
    HRESULT hr = S_OK;
    ComPtr<CRZQTFileParser> parser(static_cast<CRZQTFileParser*>(CRZQTFileParser::CreateInstance(nullptr, &hr)));
    if (!parser || FAILED(graph->AddFilter(source.Get(), L"Source")) || FAILED(graph->AddFilter(parser.Get(), L"Parser")))
        return;
    if (SUCCEEDED(graph->ConnectDirect(source->Output(), parser->GetPin(0), nullptr)))
    {
        int sinks = 0;
        for (int i = 0; i + 1 < parser->GetPinCount(); ++i)
        {
            CSinkFilter* sinkRaw = nullptr;
            if (FAILED(CSinkFilter::Create(&sinkRaw)))
                continue;
            ComPtr<CSinkFilter> sink = ComPtr<CSinkFilter>::Attach(sinkRaw);
            // A refusal is an answer too.
            if (SUCCEEDED(graph->AddFilter(sink.Get(), nullptr)) &&
                SUCCEEDED(graph->ConnectDirect(parser->GetPin(i + 1), sink->Input(), nullptr)))
                ++sinks;
        }
        // Without a connected sink nothing would ever complete: a movie
        // without tracks has nothing to run.
        if (sinks > 0 && SUCCEEDED(graph->Pause()) && SUCCEEDED(graph->Run()))
        {
            LONG code = 0;
            (void)graph->WaitForCompletion(INFINITE, &code); // a run that never ends is a hang
            Require(code == EC_COMPLETE || code == EC_STREAM_ERROR_STOPPED, "the run ended in another event");
        }
        (void)graph->Stop();
        Require(graph->CountEvents(EC_STREAM_ERROR_STOPPED) <= 1, "more than one stream error in a run");
    }
    graph->Clear();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const LONG before = CBaseObject::ObjectsActive();
    RunGraph(data, size);
    Require(CBaseObject::ObjectsActive() == before, "a framework object outlived its graph");
    return 0;
}
