#include <unistd.h>

#include <iostream>

#include "tools/QtGraph.h"

int main(int argc, char** argv)
{
    const bool terminal = isatty(STDERR_FILENO) != 0;
    return RunQtGraph(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr, terminal);
}
