#include <unistd.h>

#include <iostream>

#include "tools/QtGraph.h"

int main(int argc, char** argv)
{
    return RunQtGraph(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
}
