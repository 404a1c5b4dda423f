// The parser filter as the native qtgraph makes it (ParserFilter.h): by its
// class identifier, from whichever module is registered for it, as an
// application does. Native only.
#pragma once

#include <windows.h>

#include <string>

#include "tools/ParserFilter.h"

// The module of the running program: the one built beside it (<its
// folder>/qtparser.so), or else the installed one (<its folder>/../lib/
// qtparser.so); the one beside it when there is neither.
std::string DefaultModule();

// The registry file's problem, when it has one (it does not read), else empty.
std::string RegistryProblem();
