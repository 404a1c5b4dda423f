#include "tools/MovieGraph.h"

#include "framework/CMediaType.h"
#include "tools/ParserFilter.h"
#include "tools/WideText.h"

std::vector<ComPtr<IPin>> PinsOf(IBaseFilter& filter, PIN_DIRECTION direction)
{
    std::vector<ComPtr<IPin>> pins;
    ComPtr<IEnumPins> pinEnum;
    if (FAILED(filter.EnumPins(pinEnum.ReleaseAndGetAddressOf())) || !pinEnum)
        return pins;
    IPin* pin = nullptr;
    while (pinEnum->Next(1, &pin, nullptr) == S_OK)
    {
        ComPtr<IPin> held = ComPtr<IPin>::Attach(pin);
        PIN_DIRECTION pinDirection = PINDIR_INPUT;
        if (SUCCEEDED(held->QueryDirection(&pinDirection)) && pinDirection == direction)
            pins.push_back(std::move(held));
    }
    return pins;
}

std::string PinName(IPin& pin)
{
    PIN_INFO info{};
    if (FAILED(pin.QueryPinInfo(&info)))
        return {};
    if (info.pFilter)
        info.pFilter->Release();
    info.achName[MAX_PIN_NAME - 1] = L'\0';
    return ToUtf8(info.achName);
}

CMovieGraph::~CMovieGraph()
{
    ComPtr<IMediaControl> control;
    if (m_graph && SUCCEEDED(m_graph->QueryInterface(IID_IMediaControl,
                                                     reinterpret_cast<void**>(control.ReleaseAndGetAddressOf()))))
        (void)control->Stop(); // a filter that fails to stop is let go all the same
    control.Reset();
    // The graph first: letting go of it disconnects its filters, whose
    // connections hold each other.
    m_graph.Reset();
    m_parser.Reset();
    m_source.Reset();
}

HRESULT CMovieGraph::Load(const std::string& path)
{
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                  reinterpret_cast<void**>(m_graph.ReleaseAndGetAddressOf()));
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(CLSID_AsyncReader, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                              reinterpret_cast<void**>(m_source.ReleaseAndGetAddressOf()));
    if (SUCCEEDED(hr))
        hr = CreateParserFilter(&m_parser, &m_parserProblem);
    if (SUCCEEDED(hr))
        hr = m_graph->AddFilter(m_source.Get(), L"File Source");
    if (SUCCEEDED(hr))
        hr = m_graph->AddFilter(m_parser.Get(), L"QuickTime Parser");
    ComPtr<IFileSourceFilter> file;
    if (SUCCEEDED(hr))
        hr = m_source->QueryInterface(IID_IFileSourceFilter, reinterpret_cast<void**>(file.ReleaseAndGetAddressOf()));
    if (SUCCEEDED(hr))
        hr = file->Load(ToWide(path).c_str(), nullptr);
    return hr;
}

HRESULT CMovieGraph::Connect()
{
    const std::vector<ComPtr<IPin>> outputs = PinsOf(*m_source.Get(), PINDIR_OUTPUT);
    const std::vector<ComPtr<IPin>> inputs = PinsOf(*m_parser.Get(), PINDIR_INPUT);
    if (outputs.empty() || inputs.empty())
        return VFW_E_NOT_FOUND;
    // The source's first type, fully specified, so the answer is the
    // filter's own and not that of a search over types. Sources differ in
    // the subtype (none natively, a private one in Wine's reader).
    CMediaType stream(&MEDIATYPE_Stream);
    stream.SetSubtype(&MEDIASUBTYPE_NULL);
    stream.SetFormatType(&FORMAT_None);
    ComPtr<IEnumMediaTypes> types;
    AM_MEDIA_TYPE* offered = nullptr;
    if (SUCCEEDED(outputs[0]->EnumMediaTypes(types.ReleaseAndGetAddressOf())) &&
        types->Next(1, &offered, nullptr) == S_OK)
    {
        if (offered->majortype == MEDIATYPE_Stream)
            stream.SetSubtype(&offered->subtype);
        DeleteMediaType(offered);
    }
    return m_graph->ConnectDirect(outputs[0].Get(), inputs[0].Get(), &stream);
}

std::vector<ComPtr<IPin>> CMovieGraph::OutputPins() const
{
    return m_parser ? PinsOf(*m_parser.Get(), PINDIR_OUTPUT) : std::vector<ComPtr<IPin>>();
}

LONGLONG CMovieGraph::FileLength() const
{
    const std::vector<ComPtr<IPin>> outputs = m_source ? PinsOf(*m_source.Get(), PINDIR_OUTPUT) : std::vector<ComPtr<IPin>>();
    ComPtr<IAsyncReader> reader;
    LONGLONG total = 0, available = 0;
    if (outputs.empty() ||
        FAILED(outputs[0]->QueryInterface(IID_IAsyncReader, reinterpret_cast<void**>(reader.ReleaseAndGetAddressOf()))) ||
        FAILED(reader->Length(&total, &available)))
        return 0;
    return total;
}
