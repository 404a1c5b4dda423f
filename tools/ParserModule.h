// The parser filter as qtgraph makes it: by its class identifier, from the
// module registered for it, as an application does. qtgraph then reads the
// parsed movie straight from the filter object, so the registered module
// must be the one built with this qtgraph (the same code); another one is
// refused rather than read.
#pragma once

#include <windows.h>

#include <string>

#include "filter/RZQTFileParser.h"
#include "framework/ComPtr.h"

// The module built beside the running program: <its folder>/qtparser.so.
std::string ModuleBesideProgram();

// Creates the filter (COM initialised on this thread). On failure the
// HRESULT, and in *problem one line for a person: what is wrong and what to
// do about it.
[[nodiscard]] HRESULT CreateParserFilter(ComPtr<CRZQTFileParser>* parser, std::string* problem);

// The registry file's problem, when it has one (it does not read), else empty.
std::string RegistryProblem();
