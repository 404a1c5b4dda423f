// The Windows qtgraph's commands: those that need nothing but the platform's
// graph and the registered filter. info and chunks read the filter object's
// internals, and register and filters the native registry file, so they are
// native only (NativeCommands.cpp); regsvr32 registers the filter here.
#include "tools/QtGraphCommands.h"

#include "tools/RunCommand.h"

const char kQtGraphUsage[] = "usage: qtgraph run [--json] [--samples] [--no-hash] [--pins LIST] FILE\n";

const std::vector<QtGraphCommand>& QtGraphCommands()
{
    static const std::vector<QtGraphCommand> commands = {{"run", RunCommand}};
    return commands;
}
