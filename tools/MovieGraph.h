// A movie file opened as an application opens it, through the graph's COM
// interfaces alone, the same on both builds: a filter graph
// (CLSID_FilterGraph) with the file source (CLSID_AsyncReader) and the
// parser filter, the source's output connected to the filter's input, which
// parses the movie during the connection.
#pragma once

#include <dshow.h>

#include <string>
#include <vector>

#include "framework/ComPtr.h"

class CMovieGraph
{
public:
    CMovieGraph() = default;
    // Stops the graph and releases it, which takes its filters out.
    ~CMovieGraph();
    CMovieGraph(const CMovieGraph&) = delete;
    CMovieGraph& operator=(const CMovieGraph&) = delete;

    // Builds the graph and loads path (UTF-8) into the file source: the
    // load's failure (0x80070002 for a missing file), E_OUTOFMEMORY. When
    // the parser filter cannot be made, the failure with ParserProblem()
    // saying why.
    [[nodiscard]] HRESULT Load(const std::string& path);
    const std::string& ParserProblem() const { return m_parserProblem; }
    // Connects the source to the filter: the connection's result, which for
    // a movie that fails to parse is the parse's.
    [[nodiscard]] HRESULT Connect();

    // The graph and the parser filter, or null before Load.
    IGraphBuilder* Graph() const { return m_graph.Get(); }
    IBaseFilter* Parser() const { return m_parser.Get(); }
    // The parser's output pins, in its pin order.
    std::vector<ComPtr<IPin>> OutputPins() const;
    // The file's length in bytes, as the source reports it; 0 when it does not.
    LONGLONG FileLength() const;

private:
    ComPtr<IGraphBuilder> m_graph;
    ComPtr<IBaseFilter> m_source;
    ComPtr<IBaseFilter> m_parser;
    std::string m_parserProblem;
};

// The filter's pins of one direction, in its pin order.
std::vector<ComPtr<IPin>> PinsOf(IBaseFilter& filter, PIN_DIRECTION direction);
// The pin's name (IPin::QueryPinInfo) as UTF-8; empty when it gives none.
std::string PinName(IPin& pin);
