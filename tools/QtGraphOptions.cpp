#include "tools/QtGraphOptions.h"

#include <algorithm>
#include <cstdlib>

namespace
{
// "0,2,5" into ascending pin numbers without repeats; false when it is not
// such a list (a pin number is below a million: no movie has more tracks).
bool ParsePinList(const std::string& list, std::vector<int>* pins)
{
    size_t at = 0;
    while (at <= list.size())
    {
        const size_t comma = std::min(list.find(',', at), list.size());
        const std::string item = list.substr(at, comma - at);
        if (item.empty() || item.size() > 6 || item.find_first_not_of("0123456789") != std::string::npos)
            return false;
        pins->push_back(std::atoi(item.c_str()));
        at = comma + 1;
    }
    std::sort(pins->begin(), pins->end());
    pins->erase(std::unique(pins->begin(), pins->end()), pins->end());
    return true;
}
} // namespace

bool ParseQtGraphOptions(const std::vector<std::string>& args, QtGraphOptions* options)
{
    const std::vector<std::string> commands = {"info",    "chunks",   "run",        "check",
                                               "extract", "register", "unregister", "filters"};
    if (args.empty() || std::find(commands.begin(), commands.end(), args[0]) == commands.end())
        return false;
    options->command = args[0];
    const bool run = args[0] == "run";
    const bool extract = args[0] == "extract";
    const bool module = args[0] == "register" || args[0] == "unregister";
    const bool graph = args[0] == "info" || args[0] == "chunks" || run || extract; // plays through the filter
    std::vector<std::string> files;
    for (size_t i = 1; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        if (arg == "--json" && !module && !extract)
            options->json = true;
        else if (graph && arg == "--verbose")
            options->verbose = true;
        else if (run && arg == "--samples")
            options->samples = true;
        else if (run && arg == "--no-hash")
            options->hash = false;
        else if (extract && arg == "--force")
            options->force = true;
        else if ((run || extract) && arg == "--pins" && i + 1 < args.size() && options->allPins)
        {
            options->allPins = false;
            if (!ParsePinList(args[++i], &options->pins))
                return false;
        }
        else if (arg.size() > 1 && arg[0] == '-')
            return false; // an option this command does not know
        else
            files.push_back(arg);
    }
    // A movie file, except: register and unregister take a module or none,
    // filters nothing, extract a movie file and a folder.
    const size_t most = args[0] == "filters" ? 0 : extract ? 2 : 1;
    const size_t least = module || most == 0 ? 0 : most;
    if (files.size() < least || files.size() > most)
        return false;
    options->file = files.empty() ? std::string() : files[0];
    options->outdir = extract ? files[1] : std::string();
    return true;
}
