#include "tools/MovieCommand.h"

#include "tools/FailureWords.h"
#include "tools/MovieCheck.h"

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

} // namespace

std::vector<Finding> StructuralErrors(const std::string& file)
{
    std::vector<Finding> findings;
    if (FAILED(CheckMovieFile(file, &findings)))
        return {};
    return FindingsOf(findings, Severity::Error);
}

int RunOnMovie(const std::string& file, bool verbose, std::ostream& err, const MovieCommand& command)
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
    {
        WriteFailure(err, "cannot open " + file, hr, journal.Records(), {}, verbose);
        return 1;
    }
    hr = graph.Connect();
    if (FAILED(hr))
    {
        WriteFailure(err, "cannot parse " + file, hr, journal.Records(), StructuralErrors(file), verbose);
        return 1;
    }
    const int status = command(graph, journal);
    if (status == 0)
        WriteStructuralWarnings(err, StructuralErrors(file));
    return status;
}
