// qtgraph register and unregister: what regsvr32 does with a module, for the
// native registry file. The module is loaded, its DllRegisterServer (or
// DllUnregisterServer) called, and the module freed.
#pragma once

#include <ostream>
#include <string>

// module: a path, or empty for the module built beside qtgraph. 0 with one
// line on out when the entry point succeeded; 1 with one line on err saying
// why not (the module will not load, lacks the entry point, or the entry
// point failed: its HRESULT and, for a registry file that does not read,
// the file's problem).
int RegisterModule(bool reg, const std::string& module, std::ostream& out, std::ostream& err);
