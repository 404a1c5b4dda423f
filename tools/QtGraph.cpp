#include "tools/QtGraph.h"

#include "diagnostics/TeeJournal.h"
#include "quicktime/QTMovie.h"
#include "tools/ChunkReport.h"
#include "tools/FailureWords.h"
#include "tools/FilterList.h"
#include "tools/MovieGraph.h"
#include "tools/MovieReport.h"
#include "tools/PinReport.h"
#include "tools/QtGraphOptions.h"
#include "tools/RegisterCommand.h"
#include "tools/ReportWriter.h"
#include "tools/RunCommand.h"

namespace
{
// COM on this thread for the scope: the parser filter is made by CoCreateInstance.
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

int Run(const QtGraphOptions& options, std::ostream& out, std::ostream& err, bool terminal)
{
    // The records of a failure reach the journal file as always, and the
    // copy explains it here. Installed before the graph and removed after
    // it, so no filter thread outlives it.
    CTeeJournal journal(CurrentJournal());
    const CJournalScope scope(journal);
    CMovieGraph graph;
    HRESULT hr = graph.Load(options.file);
    if (FAILED(hr) && !graph.ParserProblem().empty())
    {
        err << "qtgraph: " << graph.ParserProblem() << '\n';
        return 1;
    }
    if (FAILED(hr))
        return Fail(err, "open", options.file, hr, journal);
    hr = graph.Connect();
    if (FAILED(hr))
        return Fail(err, "parse", options.file, hr, journal);
    if (options.command == "run")
        return RunMovie(graph, journal, options, out, err, terminal);
    QTMovie& movie = *graph.Movie();
    if (options.command == "chunks")
    {
        WriteChunks(movie, graph.OutputPinTracks(), graph.Parser()->GetSourceLength(), options.json, out);
        return 0;
    }
    MovieReport report = BuildMovieReport(movie);
    report.pins = BuildPinReport(*graph.Parser());
    if (options.json)
        WriteReportJson(report, out);
    else
        WriteReportText(report, out);
    return 0;
}
} // namespace

int RunQtGraph(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool terminal)
{
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h"))
    {
        out << kQtGraphUsage;
        return 0;
    }
    QtGraphOptions options;
    if (!ParseQtGraphOptions(args, &options))
    {
        err << kQtGraphUsage;
        return 2;
    }
    if (options.command == "register" || options.command == "unregister")
        return RegisterModule(options.command == "register", options.file, out, err);
    if (options.command == "filters")
        return ListFilters(options.json, out, err);
    const CComScope com;
    return Run(options, out, err, terminal);
}
