#include "tools/MovieCommand.h"

#include "tools/FailureWords.h"

namespace
{
// COM on this thread for the scope: the graph and its filters are made by
// CoCreateInstance.
class CComScope
{
public:
    CComScope() : m_hr(CoInitialize(nullptr)) {}
    ~CComScope()
    {
        if (SUCCEEDED(m_hr))
            CoUninitialize();
    }
    CComScope(const CComScope&) = delete;
    CComScope& operator=(const CComScope&) = delete;

private:
    const HRESULT m_hr;
};

int Fail(std::ostream& err, const char* what, const std::string& path, HRESULT hr, const CTeeJournal& journal)
{
    WriteFailure(err, std::string("cannot ") + what + ' ' + path, hr, journal.Records());
    return 1;
}
} // namespace

int RunOnMovie(const std::string& file, std::ostream& err, const MovieCommand& command)
{
    const CComScope com;
    // The records of a failure reach the journal file as always, and the
    // copy explains it here. Installed before the graph and removed after
    // it, so no filter thread outlives it.
    CTeeJournal journal(CurrentJournal());
    const CJournalScope scope(journal);
    CMovieGraph graph;
    HRESULT hr = graph.Load(file);
    if (FAILED(hr) && !graph.ParserProblem().empty())
    {
        err << "qtgraph: " << graph.ParserProblem() << '\n';
        return 1;
    }
    if (FAILED(hr))
        return Fail(err, "open", file, hr, journal);
    hr = graph.Connect();
    if (FAILED(hr))
        return Fail(err, "parse", file, hr, journal);
    return command(graph, journal);
}
