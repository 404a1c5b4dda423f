#include "tools/RegisterCommand.h"

#include <windows.h>

#include <filesystem>

#include "framework/Utf8.h"
#include "platform/ModuleLoader.h"
#include "platform/ProcAddress.h"
#include "platform/RegistryFile.h"
#include "tools/FailureWords.h"
#include "tools/ParserModule.h"

int RegisterModule(bool reg, const std::string& module, std::ostream& out, std::ostream& err)
{
    const std::string path = module.empty() ? DefaultModule() : module;
    const char* entryPoint = reg ? "DllRegisterServer" : "DllUnregisterServer";
    HMODULE loaded = LoadLibraryW(Utf8ToWide(path).c_str());
    if (!loaded)
    {
        err << "qtgraph: cannot load " << path << ": " << LastModuleLoadError() << '\n';
        return 1;
    }
    // The absolute path, as the module registers itself.
    std::error_code error;
    const std::string absolute = std::filesystem::canonical(path, error).string();
    const auto function = ProcAddressAs<HRESULT (*)()>(loaded, entryPoint);
    const HRESULT hr = function ? function() : E_FAIL;
    (void)FreeLibrary(loaded); // the module stays usable for whoever else loaded it
    if (!function)
    {
        err << "qtgraph: " << absolute << " has no " << entryPoint << " entry point\n";
        return 1;
    }
    if (FAILED(hr))
    {
        const std::string problem = RegistryProblem();
        err << "qtgraph: " << entryPoint << " in " << absolute << " failed: HRESULT " << HresultText(hr) << ": "
            << (problem.empty() ? ResultWords(hr) : problem) << '\n';
        return 1;
    }
    out << entryPoint << " in " << absolute << " succeeded (registry file " << CRegistryFile::Path() << ")\n";
    return 0;
}
