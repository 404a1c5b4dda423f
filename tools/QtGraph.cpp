#include "tools/QtGraph.h"

#include <cstdio>

#include "diagnostics/JournalLine.h"
#include "diagnostics/TeeJournal.h"
#include "framework/posix/Utf8.h"
#include "quicktime/QTMovie.h"
#include "tools/ChunkReport.h"
#include "tools/FailureWords.h"
#include "tools/MovieGraph.h"
#include "tools/MovieReport.h"
#include "tools/PinReport.h"
#include "tools/ReportWriter.h"

namespace
{
const char kUsage[] = "usage: qtgraph info [--json] FILE\n"
                      "       qtgraph chunks [--json] FILE\n";

std::string HresultText(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(hr));
    return text;
}

// The failure with its words, then the journal's records of it.
int Fail(std::ostream& err, const char* what, const std::string& path, HRESULT hr, const CTeeJournal& journal)
{
    const std::vector<JournalRecord> records = journal.Records();
    // A failure the journal recorded travels as its chain id; the person
    // wants the HRESULT that started it, and the chain id to find it.
    const HRESULT root = JournalChainError(hr);
    err << "qtgraph: cannot " << what << ' ' << path << ": HRESULT " << HresultText(root);
    if (root != hr)
        err << " (journal chain " << HresultText(hr) << ')';
    err << ": " << FailureWords(root, records) << '\n';
    for (const JournalRecord& record : records)
        err << "  " << WideToUtf8(FormatJournalLine(record)) << '\n';
    return 1;
}

int Run(const std::string& command, const std::string& path, bool json, std::ostream& out, std::ostream& err)
{
    // The records of a failure reach the journal file as always, and the
    // copy explains it here. Installed before the graph and removed after
    // it, so no filter thread outlives it.
    CTeeJournal journal(CurrentJournal());
    const CJournalScope scope(journal);
    CMovieGraph graph;
    HRESULT hr = graph.Load(path);
    if (FAILED(hr))
        return Fail(err, "open", path, hr, journal);
    hr = graph.Connect();
    if (FAILED(hr))
        return Fail(err, "parse", path, hr, journal);
    QTMovie& movie = *graph.Movie();
    if (command == "chunks")
    {
        WriteChunks(movie, graph.OutputPinTracks(), json, out);
        return 0;
    }
    MovieReport report = BuildMovieReport(movie);
    report.pins = BuildPinReport(*graph.Parser());
    if (json)
        WriteReportJson(report, out);
    else
        WriteReportText(report, out);
    return 0;
}
} // namespace

int RunQtGraph(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h"))
    {
        out << kUsage;
        return 0;
    }
    bool usageError = args.empty() || (args[0] != "info" && args[0] != "chunks");
    bool json = false;
    std::vector<std::string> files;
    for (size_t i = 1; i < args.size(); ++i)
    {
        if (args[i] == "--json")
            json = true;
        else if (args[i].size() > 1 && args[i][0] == '-')
            usageError = true; // an option qtgraph does not know
        else
            files.push_back(args[i]);
    }
    if (usageError || files.size() != 1)
    {
        err << kUsage;
        return 2;
    }
    return Run(args[0], files[0], json, out, err);
}
