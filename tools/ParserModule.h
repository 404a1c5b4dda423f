// The parser filter as the native qtgraph makes it (ParserFilter.h): by its
// class identifier, from the module registered for it, as an application
// does. info and chunks then read the parsed movie straight from the filter
// object, so the registered module must be the one built with this qtgraph
// (the same code); another one is refused rather than read. Native only.
#pragma once

#include <windows.h>

#include <string>

#include "filter/RZQTFileParser.h"
#include "tools/ParserFilter.h"

// The module built beside the running program: <its folder>/qtparser.so.
std::string ModuleBesideProgram();

// The filter object behind a parser CreateParserFilter made: this
// program's own class, as CreateParserFilter checked.
CRZQTFileParser& ParserObject(IBaseFilter& parser);

// The registry file's problem, when it has one (it does not read), else empty.
std::string RegistryProblem();
