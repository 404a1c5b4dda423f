// The filter's pass: a graph as an application builds it, with sinks that
// only count (no hash, no record kept per sample), so that the sinks cost
// little more than a lock per sample.
#include <stdexcept>
#include <vector>

#include "bench/ChildPass.h"
#include "bench/PassTimer.h"
#include "bench/Passes.h"
#include "filter/RZQTFileParser.h"
#include "framework/ComPtr.h"
#include "framework/Utf8.h"
#include "pins/outpin.h"
#include "platform/runtime/FileSourceFilter.h"
#include "platform/runtime/FilterGraph.h"
#include "tools/sink/SinkFilter.h"

namespace
{
void Check(HRESULT hr, const char* what)
{
    if (FAILED(hr))
        throw std::runtime_error(std::string(what) + " failed");
}

struct PumpGraph
{
    ComPtr<CFilterGraph> graph;
    ComPtr<CFileSourceFilter> source;
    ComPtr<CRZQTFileParser> parser;
    std::vector<ComPtr<CSinkFilter>> sinks;

    ~PumpGraph()
    {
        if (graph)
            graph->Clear();
    }
};

// The file source connected to the parser (which parses the movie), and
// every output pin to a counting sink.
void BuildGraph(PumpGraph& g, const std::string& path)
{
    Check(CFilterGraph::Create(g.graph.ReleaseAndGetAddressOf()), "CFilterGraph::Create");
    Check(CFileSourceFilter::Create(g.source.ReleaseAndGetAddressOf()), "CFileSourceFilter::Create");
    HRESULT hr = S_OK;
    g.parser = ComPtr<CRZQTFileParser>(static_cast<CRZQTFileParser*>(CRZQTFileParser::CreateInstance(nullptr, &hr)));
    Check(g.parser ? hr : E_OUTOFMEMORY, "CRZQTFileParser::CreateInstance");
    Check(g.graph->AddFilter(g.source.Get(), L"File Source"), "AddFilter");
    Check(g.graph->AddFilter(g.parser.Get(), L"QuickTime Parser"), "AddFilter");
    Check(g.source->Load(Utf8ToWide(path).c_str(), nullptr), "Load");
    CMediaType stream(&MEDIATYPE_Stream);
    stream.SetSubtype(&MEDIASUBTYPE_NULL);
    stream.SetFormatType(&FORMAT_None);
    Check(g.graph->ConnectDirect(g.source->Output(), g.parser->GetPin(0), &stream), "connecting the parser");
    for (int pin = 0; pin + 1 < g.parser->GetPinCount(); ++pin)
    {
        CSinkFilter* sink = nullptr;
        Check(CSinkFilter::Create(&sink), "CSinkFilter::Create");
        g.sinks.push_back(ComPtr<CSinkFilter>::Attach(sink));
        sink->Records().Configure(SampleHash::None, false);
        Check(g.graph->AddFilter(sink, nullptr), "AddFilter");
        Check(g.graph->ConnectDirect(g.parser->GetOutputPin(pin), sink->Input(), nullptr), "connecting a sink");
    }
}
} // namespace

PassResult RunFilterPass(const std::string& path)
{
    PumpGraph g;
    BuildGraph(g, path);
    PassResult result;
    result.setupPeakKiB = PeakResidentKiB();

    const PassTimer timer;
    Check(g.graph->Pause(), "Pause");
    Check(g.graph->Run(), "Run");
    LONG code = 0;
    Check(g.graph->WaitForCompletion(INFINITE, &code), "WaitForCompletion");
    timer.Stop(result);
    if (code != EC_COMPLETE)
        throw std::runtime_error("the run ended with event " + std::to_string(code) + ", not EC_COMPLETE");
    Check(g.graph->Stop(), "Stop");

    for (const ComPtr<CSinkFilter>& sink : g.sinks)
    {
        const SinkStreamTotals totals = sink->Records().Totals();
        result.samples += totals.samples;
        result.bytes += totals.bytes;
    }
    return result;
}
