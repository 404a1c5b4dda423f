// The parser filter as qtgraph makes it: by its class identifier, as an
// application does. Each build has its own way of saying why that failed
// (ParserModule.cpp natively, WindowsParserFilter.cpp on Windows).
#pragma once

#include <dshow.h>

#include <string>

#include "framework/ComPtr.h"

// Creates the filter (COM initialised on this thread). On failure the
// HRESULT, and in *problem one line for a person: what is wrong and what to
// do about it.
[[nodiscard]] HRESULT CreateParserFilter(ComPtr<IBaseFilter>* parser, std::string* problem);
