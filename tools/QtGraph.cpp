#include "tools/QtGraph.h"

#include "QtpVersion.h"

#include "tools/QtGraphCommands.h"
#include "tools/QtGraphOptions.h"

int RunQtGraph(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool terminal)
{
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h"))
    {
        out << kQtGraphUsage;
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version")
    {
        out << "qtgraph (Ostrivel QuickTime File Parser) " << QTP_VERSION_TEXT << '\n';
        return 0;
    }
    QtGraphOptions options;
    if (ParseQtGraphOptions(args, &options))
    {
        for (const QtGraphCommand& command : QtGraphCommands())
            if (options.command == command.name)
                return command.run(options, out, err, terminal);
    }
    // A usage error, or a command this build does not have.
    err << kQtGraphUsage;
    return 2;
}
