// The parser filter as the native qtgraph makes it (ParserFilter.h): by its
// class identifier, from whichever module is registered for it, as an
// application does. Native only.
#pragma once

#include <windows.h>

#include <string>

#include "tools/ParserFilter.h"

// The module built beside the running program: <its folder>/qtparser.so.
std::string ModuleBesideProgram();

// The registry file's problem, when it has one (it does not read), else empty.
std::string RegistryProblem();
