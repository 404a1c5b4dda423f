// qtgraph.exe's entry: Windows hands the command line over in UTF-16, so a
// file name in any script reaches the graph intact; the arguments go on as
// UTF-8, as on the native build.
#include <io.h>

#include <cstdio>
#include <iostream>

#include "tools/QtGraph.h"
#include "tools/WideText.h"

int wmain(int argc, wchar_t** argv)
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(ToUtf8(argv[i]));
    const bool terminal = _isatty(_fileno(stderr)) != 0;
    return RunQtGraph(args, std::cout, std::cerr, terminal);
}
