// The native qtgraph's commands: every one. info and chunks read the parsed
// movie from the filter object itself; register, unregister and filters
// work on the native registry file.
#include "tools/QtGraphCommands.h"

#include "filter/RZQTFileParser.h"
#include "pins/outpin.h"
#include "quicktime/QTMovie.h"
#include "tools/ChunkReport.h"
#include "tools/FilterList.h"
#include "tools/MovieCommand.h"
#include "tools/MovieReport.h"
#include "tools/ParserModule.h"
#include "tools/PinReport.h"
#include "tools/RegisterCommand.h"
#include "tools/RunCommand.h"

const char kQtGraphUsage[] = "usage: qtgraph info [--json] FILE\n"
                             "       qtgraph chunks [--json] FILE\n"
                             "       qtgraph run [--json] [--samples] [--no-hash] [--pins LIST] FILE\n"
                             "       qtgraph register [MODULE]\n"
                             "       qtgraph unregister [MODULE]\n"
                             "       qtgraph filters [--json]\n";

namespace
{
// The tracks of the filter's output pins, in pin order.
std::vector<QTTrack*> OutputPinTracks(CRZQTFileParser& parser)
{
    std::vector<QTTrack*> tracks;
    for (int n = 0; n + 1 < parser.GetPinCount(); ++n)
        if (COutputPin* pin = parser.GetOutputPin(n); pin && pin->GetTrack())
            tracks.push_back(pin->GetTrack());
    return tracks;
}

int Info(const QtGraphOptions& options, std::ostream& out, std::ostream& err, bool)
{
    return RunOnMovie(options.file, err, [&](CMovieGraph& graph, const CTeeJournal&) {
        CRZQTFileParser& parser = ParserObject(*graph.Parser());
        MovieReport report = BuildMovieReport(*parser.GetMovie());
        report.pins = BuildPinReport(parser);
        if (options.json)
            WriteReportJson(report, out);
        else
            WriteReportText(report, out);
        return 0;
    });
}

int Chunks(const QtGraphOptions& options, std::ostream& out, std::ostream& err, bool)
{
    return RunOnMovie(options.file, err, [&](CMovieGraph& graph, const CTeeJournal&) {
        CRZQTFileParser& parser = ParserObject(*graph.Parser());
        WriteChunks(*parser.GetMovie(), OutputPinTracks(parser), parser.GetSourceLength(), options.json, out);
        return 0;
    });
}

int Register(const QtGraphOptions& options, std::ostream& out, std::ostream& err, bool)
{
    return RegisterModule(options.command == "register", options.file, out, err);
}

int Filters(const QtGraphOptions& options, std::ostream& out, std::ostream& err, bool)
{
    return ListFilters(options.json, out, err);
}
} // namespace

const std::vector<QtGraphCommand>& QtGraphCommands()
{
    static const std::vector<QtGraphCommand> commands = {
        {"info", Info},           {"chunks", Chunks},         {"run", RunCommand},
        {"register", Register},   {"unregister", Register},   {"filters", Filters},
    };
    return commands;
}
