// A movie file opened as an application opens it: a filter graph with the
// file source and the parser filter, the source's output connected to the
// filter's input, which parses the movie during the connection.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "filter/RZQTFileParser.h"
#include "framework/ComPtr.h"
#include "framework/runtime/FileSourceFilter.h"
#include "framework/runtime/FilterGraph.h"

class QTMovie;
class QTTrack;

class CMovieGraph
{
public:
    CMovieGraph() = default;
    // Disconnects and releases the filters.
    ~CMovieGraph();
    CMovieGraph(const CMovieGraph&) = delete;
    CMovieGraph& operator=(const CMovieGraph&) = delete;

    // Builds the graph and loads path (UTF-8) into the file source: the
    // load's failure (0x80070002 for a missing file), E_OUTOFMEMORY. The
    // parser filter comes from its registered module (ParserModule.h); when
    // it cannot, the failure with ParserProblem() saying why.
    [[nodiscard]] HRESULT Load(const std::string& path);
    const std::string& ParserProblem() const { return m_parserProblem; }
    // Connects the source to the filter: the connection's result, which for
    // a movie that fails to parse is the parse's.
    [[nodiscard]] HRESULT Connect();

    // The movie the connected filter parsed (owned by the filter), or null.
    QTMovie* Movie() const;
    // The tracks of the filter's output pins, in pin order.
    std::vector<QTTrack*> OutputPinTracks() const;
    // The graph and the parser filter, or null before Load.
    CFilterGraph* Graph() const { return m_graph.Get(); }
    CRZQTFileParser* Parser() const { return m_parser.Get(); }

private:
    ComPtr<CFilterGraph> m_graph;
    ComPtr<CFileSourceFilter> m_source;
    ComPtr<CRZQTFileParser> m_parser;
    std::string m_parserProblem;
};
