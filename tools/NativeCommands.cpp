// The native qtgraph's commands: every one. register, unregister and filters
// work on the native registry file, so they are native only.
#include "tools/QtGraphCommands.h"

#include "tools/CheckCommand.h"
#include "tools/ExtractCommand.h"
#include "tools/FilterList.h"
#include "tools/MovieCommands.h"
#include "tools/RegisterCommand.h"
#include "tools/RunCommand.h"

const char kQtGraphUsage[] = "usage: qtgraph info [--json] FILE\n"
                             "       qtgraph chunks [--json] FILE\n"
                             "       qtgraph run [--json] [--samples] [--no-hash] [--pins LIST] FILE\n"
                             "       qtgraph check [--json] FILE\n"
                             "       qtgraph extract [--pins LIST] [--force] FILE OUTDIR\n"
                             "       (info, chunks, run and extract take --verbose: a failure's journal records too)\n"
                             "       qtgraph register [MODULE]\n"
                             "       qtgraph unregister [MODULE]\n"
                             "       qtgraph filters [--json]\n";

namespace
{
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
        {"info", InfoCommand},        {"chunks", ChunksCommand}, {"run", RunCommand},
        {"check", CheckCommand},      {"extract", ExtractCommand},
        {"register", Register},       {"unregister", Register},  {"filters", Filters},
    };
    return commands;
}
