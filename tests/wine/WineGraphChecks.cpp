// Checks of the registered filter DLL inside the platform's own DirectShow
// runtime (Wine's, in CI), which qtgraph's runs do not cover:
//
//   wine_graph_checks mapper COUNT
//       the filter mapper lists the filter COUNT times (0 or 1) at
//       MERIT_DO_NOT_USE, and the filter can (1) or cannot (0) be created;
//   wine_graph_checks renderers FILE SECONDS
//       every output pin of the filter, connected to the platform's reader
//       over FILE, is accepted by the Sample Grabber and by the Null
//       Renderer (the pin creating the memory allocator they do not offer),
//       and the graph's duration, asked through those pins, is SECONDS
//       whole seconds.
//
// Prints one line per check and exits 0 when every check passed, 1 when one
// failed, 2 for bad arguments.
#include <windows.h>

#include <dshow.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "framework/ComPtr.h"

namespace {

// The filter's class, and two of the platform's filters that no SDK header
// mingw-w64 ships defines.
const CLSID kParserClsid = {0x5E2B7C41, 0x9A3D, 0x4F6E, {0xB8, 0x17, 0x2C, 0x4D, 0x9E, 0x0A, 0x6F, 0x13}};
const CLSID kSampleGrabberClsid = {0xC1F400A0, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};
const CLSID kNullRendererClsid = {0xC1F400A4, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};

int g_failures = 0;

void Check(bool passed, const char* what, HRESULT hr)
{
    std::printf("%s: %s (0x%08lX)\n", passed ? "ok" : "FAILED", what, static_cast<unsigned long>(hr));
    if (!passed)
        ++g_failures;
}

template <class T>
HRESULT Create(REFCLSID clsid, REFIID iid, ComPtr<T>* out)
{
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid,
                            reinterpret_cast<void**>(out->ReleaseAndGetAddressOf()));
}

template <class T>
HRESULT Query(IUnknown* from, REFIID iid, ComPtr<T>* out)
{
    return from->QueryInterface(iid, reinterpret_cast<void**>(out->ReleaseAndGetAddressOf()));
}

int CheckMapper(int expected)
{
    ComPtr<IFilterMapper2> mapper;
    HRESULT hr = Create(CLSID_FilterMapper2, IID_IFilterMapper2, &mapper);
    Check(SUCCEEDED(hr), "filter mapper created", hr);
    if (FAILED(hr))
        return 1;
    // Every filter with a merit of at least MERIT_DO_NOT_USE, whatever its pins.
    ComPtr<IEnumMoniker> monikers;
    hr = mapper->EnumMatchingFilters(monikers.ReleaseAndGetAddressOf(), 0, FALSE, MERIT_DO_NOT_USE, FALSE, 0,
                                     nullptr, nullptr, nullptr, FALSE, FALSE, 0, nullptr, nullptr, nullptr);
    Check(hr == S_OK && monikers, "EnumMatchingFilters at MERIT_DO_NOT_USE", hr);
    int found = 0;
    for (ComPtr<IMoniker> moniker; monikers && monikers->Next(1, moniker.ReleaseAndGetAddressOf(), nullptr) == S_OK;)
    {
        ComPtr<IPropertyBag> bag;
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag,
                                          reinterpret_cast<void**>(bag.ReleaseAndGetAddressOf()))))
            continue;
        VARIANT value;
        VariantInit(&value);
        if (SUCCEEDED(bag->Read(L"CLSID", &value, nullptr)) && value.vt == VT_BSTR)
        {
            CLSID clsid;
            if (SUCCEEDED(CLSIDFromString(value.bstrVal, &clsid)) && clsid == kParserClsid)
                ++found;
        }
        VariantClear(&value);
    }
    std::printf("mapper entries of the filter: %d\n", found);
    Check(found == expected, expected ? "the filter is listed once" : "the filter is not listed", S_OK);

    ComPtr<IBaseFilter> filter;
    hr = Create(kParserClsid, IID_IBaseFilter, &filter);
    if (expected)
        Check(hr == S_OK, "the filter is created by its class identifier", hr);
    else
        Check(hr == REGDB_E_CLASSNOTREG, "creating the filter says the class is not registered", hr);
    return g_failures ? 1 : 0;
}

// The pins of a filter in one direction, in enumeration order.
std::vector<ComPtr<IPin>> Pins(IBaseFilter* filter, PIN_DIRECTION direction)
{
    std::vector<ComPtr<IPin>> pins;
    ComPtr<IEnumPins> pinsEnum;
    if (FAILED(filter->EnumPins(pinsEnum.ReleaseAndGetAddressOf())))
        return pins;
    for (ComPtr<IPin> pin; pinsEnum->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK;)
    {
        PIN_DIRECTION dir;
        if (SUCCEEDED(pin->QueryDirection(&dir)) && dir == direction)
            pins.push_back(pin);
    }
    return pins;
}

std::string PinName(IPin* pin)
{
    PIN_INFO info{};
    if (FAILED(pin->QueryPinInfo(&info)))
        return "?";
    if (info.pFilter)
        info.pFilter->Release();
    char name[128];
    std::snprintf(name, sizeof name, "%ls", info.achName);
    return name;
}

// Adds a new filter of clsid to the graph and connects pin to its input
// directly; the connection's result.
HRESULT ConnectTo(IGraphBuilder* graph, IPin* pin, REFCLSID clsid, const wchar_t* name, ComPtr<IBaseFilter>* added)
{
    HRESULT hr = Create(clsid, IID_IBaseFilter, added);
    if (SUCCEEDED(hr))
        hr = graph->AddFilter(added->Get(), name);
    if (FAILED(hr))
        return hr;
    std::vector<ComPtr<IPin>> inputs = Pins(added->Get(), PINDIR_INPUT);
    if (inputs.empty())
        return E_UNEXPECTED;
    return graph->ConnectDirect(pin, inputs[0].Get(), nullptr);
}

int CheckRenderers(const wchar_t* file, LONGLONG seconds)
{
    ComPtr<IGraphBuilder> graph;
    ComPtr<IBaseFilter> reader;
    ComPtr<IBaseFilter> parser;
    ComPtr<IFileSourceFilter> load;
    HRESULT hr = Create(CLSID_FilterGraph, IID_IGraphBuilder, &graph);
    if (SUCCEEDED(hr))
        hr = Create(CLSID_AsyncReader, IID_IBaseFilter, &reader);
    if (SUCCEEDED(hr))
        hr = Create(kParserClsid, IID_IBaseFilter, &parser);
    if (SUCCEEDED(hr))
        hr = Query(reader.Get(), IID_IFileSourceFilter, &load);
    if (SUCCEEDED(hr))
        hr = load->Load(file, nullptr);
    if (SUCCEEDED(hr))
        hr = graph->AddFilter(reader.Get(), L"File Source");
    if (SUCCEEDED(hr))
        hr = graph->AddFilter(parser.Get(), L"QuickTime Parser");
    Check(SUCCEEDED(hr), "graph, reader with the file and filter", hr);
    if (FAILED(hr))
        return 1;
    std::vector<ComPtr<IPin>> readerOut = Pins(reader.Get(), PINDIR_OUTPUT);
    std::vector<ComPtr<IPin>> parserIn = Pins(parser.Get(), PINDIR_INPUT);
    hr = readerOut.empty() || parserIn.empty() ? E_UNEXPECTED
                                               : graph->ConnectDirect(readerOut[0].Get(), parserIn[0].Get(), nullptr);
    Check(hr == S_OK, "reader connected to the filter's input", hr);
    if (FAILED(hr))
        return 1;

    std::vector<ComPtr<IPin>> outputs = Pins(parser.Get(), PINDIR_OUTPUT);
    Check(!outputs.empty(), "the filter has output pins", S_OK);
    int n = 0;
    for (const ComPtr<IPin>& pin : outputs)
    {
        const std::string name = "pin " + std::to_string(n++) + " \"" + PinName(pin.Get()) + "\"";
        ComPtr<IBaseFilter> grabber;
        hr = ConnectTo(graph.Get(), pin.Get(), kSampleGrabberClsid, L"Sample Grabber", &grabber);
        Check(hr == S_OK, (name + " accepted by the Sample Grabber").c_str(), hr);
        if (SUCCEEDED(hr))
            hr = graph->Disconnect(pin.Get());
        if (grabber)
            graph->RemoveFilter(grabber.Get()); // disconnects its input too
        ComPtr<IBaseFilter> renderer;
        hr = ConnectTo(graph.Get(), pin.Get(), kNullRendererClsid, (L"Null Renderer " + std::to_wstring(n)).c_str(),
                       &renderer);
        Check(hr == S_OK, (name + " accepted by the Null Renderer").c_str(), hr);
    }

    ComPtr<IMediaSeeking> seeking;
    hr = Query(graph.Get(), IID_IMediaSeeking, &seeking);
    LONGLONG duration = -1;
    if (SUCCEEDED(hr))
        hr = seeking->GetDuration(&duration);
    std::printf("graph duration: %lld\n", static_cast<long long>(duration));
    Check(hr == S_OK && duration == seconds * 10000000, "the graph's duration is the movie's, in whole seconds", hr);

    // Disconnects and releases every filter before COM goes.
    ComPtr<IEnumFilters> filters;
    std::vector<ComPtr<IBaseFilter>> all;
    if (SUCCEEDED(graph->EnumFilters(filters.ReleaseAndGetAddressOf())))
        for (ComPtr<IBaseFilter> f; filters->Next(1, f.ReleaseAndGetAddressOf(), nullptr) == S_OK;)
            all.push_back(f);
    for (const ComPtr<IBaseFilter>& f : all)
        graph->RemoveFilter(f.Get());
    return g_failures ? 1 : 0;
}

int Usage()
{
    std::fprintf(stderr, "usage: wine_graph_checks mapper COUNT | renderers FILE SECONDS\n");
    return 2;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return Usage();
    const std::wstring command = argv[1];
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
        return 1;
    int result = 2;
    if (command == L"mapper" && argc == 3)
        result = CheckMapper(std::wcstol(argv[2], nullptr, 10));
    else if (command == L"renderers" && argc == 4)
        result = CheckRenderers(argv[2], std::wcstoll(argv[3], nullptr, 10));
    else
        Usage();
    CoUninitialize();
    return result;
}
