// The Windows qtgraph's commands: those that need nothing but the platform's
// graph and the registered filter. register and filters work on the native
// registry file, so they are native only (NativeCommands.cpp); regsvr32
// registers the filter here.
#include "tools/QtGraphCommands.h"

#include "tools/CheckCommand.h"
#include "tools/ExtractCommand.h"
#include "tools/MovieCommands.h"
#include "tools/RunCommand.h"

const char kQtGraphUsage[] = "usage: qtgraph info [--json] FILE\n"
                             "       qtgraph chunks [--json] FILE\n"
                             "       qtgraph run [--json] [--samples] [--no-hash] [--pins LIST] FILE\n"
                             "       qtgraph check [--json] FILE\n"
                             "       qtgraph extract [--pins LIST] [--force] FILE OUTDIR\n"
                             "       (info, chunks, run and extract take --verbose: a failure's journal records too)\n";

const std::vector<QtGraphCommand>& QtGraphCommands()
{
    static const std::vector<QtGraphCommand> commands = {
        {"info", InfoCommand},
        {"chunks", ChunksCommand},
        {"run", RunCommand},
        {"check", CheckCommand},
        {"extract", ExtractCommand},
    };
    return commands;
}
