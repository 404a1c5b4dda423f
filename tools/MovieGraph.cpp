#include "tools/MovieGraph.h"

#include "framework/posix/Utf8.h"
#include "pins/inpin.h"
#include "pins/outpin.h"
#include "tools/ParserModule.h"

CMovieGraph::~CMovieGraph()
{
    if (m_graph)
        m_graph->Clear();
}

HRESULT CMovieGraph::Load(const std::string& path)
{
    HRESULT hr = CFilterGraph::Create(m_graph.ReleaseAndGetAddressOf());
    if (SUCCEEDED(hr))
        hr = CFileSourceFilter::Create(m_source.ReleaseAndGetAddressOf());
    if (SUCCEEDED(hr))
        hr = CreateParserFilter(&m_parser, &m_parserProblem);
    if (SUCCEEDED(hr))
        hr = m_graph->AddFilter(m_source.Get(), L"File Source");
    if (SUCCEEDED(hr))
        hr = m_graph->AddFilter(m_parser.Get(), L"QuickTime Parser");
    if (SUCCEEDED(hr))
        hr = m_source->Load(Utf8ToWide(path).c_str(), nullptr);
    return hr;
}

HRESULT CMovieGraph::Connect()
{
    // The one type the source offers, fully specified, so the answer is
    // the filter's own and not that of a search over types.
    CMediaType stream(&MEDIATYPE_Stream);
    stream.SetSubtype(&MEDIASUBTYPE_NULL);
    stream.SetFormatType(&FORMAT_None);
    return m_graph->ConnectDirect(m_source->Output(), m_parser->GetPin(0), &stream);
}

QTMovie* CMovieGraph::Movie() const
{
    return m_parser ? m_parser->GetMovie() : nullptr;
}

std::vector<QTTrack*> CMovieGraph::OutputPinTracks() const
{
    std::vector<QTTrack*> tracks;
    for (int n = 0; m_parser && n + 1 < m_parser->GetPinCount(); ++n)
        if (COutputPin* pin = m_parser->GetOutputPin(n); pin && pin->GetTrack())
            tracks.push_back(pin->GetTrack());
    return tracks;
}
