#include "tools/RunCommand.h"

#include <algorithm>

#include "tools/FailureWords.h"
#include "tools/MovieCommand.h"
#include "tools/MovieRun.h"
#include "tools/RunProgress.h"
#include "tools/RunReport.h"

bool PinsExist(const CMovieGraph& graph, const QtGraphOptions& options, std::ostream& err)
{
    const int pinCount = static_cast<int>(graph.OutputPins().size());
    for (const int pin : options.pins)
    {
        if (pin >= pinCount)
        {
            err << "qtgraph: " << options.file << " has " << pinCount << " output pins (0 to " << pinCount - 1
                << "), no pin " << pin << '\n';
            return false;
        }
    }
    return true;
}

RunOutcome PlayWithProgress(CMovieRun& run, const CMovieGraph& graph, const CTeeJournal& journal,
                            const QtGraphOptions& options, const std::string& what, std::ostream& err,
                            bool terminal)
{
    const size_t before = journal.Records().size();
    RunOutcome outcome;
    {
        CRunProgress progress(err, terminal, graph.FileLength());
        outcome = run.Play([&](LONGLONG bytes) { progress.Update(bytes); });
    }
    if (FAILED(outcome.result))
    {
        std::vector<JournalRecord> records = journal.Records();
        records.erase(records.begin(),
                      records.begin() + static_cast<std::ptrdiff_t>(std::min(before, records.size())));
        WriteFailure(err, what, outcome.result, records, StructuralErrors(options.file), options.verbose);
    }
    return outcome;
}

namespace
{
int RunMovie(CMovieGraph& graph, const CTeeJournal& journal, const QtGraphOptions& options, std::ostream& out,
             std::ostream& err, bool terminal)
{
    if (!PinsExist(graph, options, err))
        return 2;
    CMovieRun run(graph);
    const HRESULT hr = run.ConnectSinks(options.pins, options.allPins,
                                        options.hash ? SampleHash::Md5 : SampleHash::None, options.samples);
    if (FAILED(hr))
    {
        WriteFailure(err, "cannot connect a sink in " + options.file, hr, journal.Records(),
                     StructuralErrors(options.file), options.verbose);
        return 1;
    }
    const RunOutcome outcome =
        PlayWithProgress(run, graph, journal, options, "run of " + options.file + " failed", err, terminal);
    WriteRunReport(outcome, run.Pins(), {options.json, options.samples, options.hash}, out);
    return SUCCEEDED(outcome.result) ? 0 : 1;
}
} // namespace

int RunCommand(const QtGraphOptions& options, std::ostream& out, std::ostream& err, bool terminal)
{
    return RunOnMovie(options.file, options.verbose, err, [&](CMovieGraph& graph, const CTeeJournal& journal) {
        return RunMovie(graph, journal, options, out, err, terminal);
    });
}
