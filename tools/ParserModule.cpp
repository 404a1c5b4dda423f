#include "tools/ParserModule.h"

#include <filesystem>

#include "filter/RZQTFileParserClsid.h"
#include "framework/Utf8.h"
#include "platform/InprocServer.h"
#include "platform/ModuleLoader.h"
#include "platform/RegistryFile.h"
#include "tools/FailureWords.h"

std::string DefaultModule()
{
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    const std::filesystem::path built = folder / "qtparser.so";
    // Installed, the module is in the lib folder, not beside qtgraph.
    const std::filesystem::path installed = (folder / QTP_INSTALLED_MODULE).lexically_normal();
    return std::filesystem::exists(built, error) || !std::filesystem::exists(installed, error) ? built.string()
                                                                                                : installed.string();
}

std::string RegistryProblem()
{
    CRegistryKey root;
    std::string problem;
    return CRegistryFile::Read(root, &problem) == ERROR_SUCCESS ? std::string() : problem;
}

HRESULT CreateParserFilter(ComPtr<IBaseFilter>* parser, std::string* problem)
{
    const std::string ours = DefaultModule();
    std::wstring registered;
    const LONG status = FindInprocServer(CLSID_RZQTFileParser, registered, problem);
    if (status == ERROR_FILE_NOT_FOUND)
    {
        *problem = "the QuickTime parser filter is not registered (registry file " + CRegistryFile::Path() +
                   "); register it with: qtgraph register " + ours;
        return REGDB_E_CLASSNOTREG;
    }
    if (status != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(status);
    // Any build of the module will do: qtgraph uses it through COM alone.
    const std::string module = WideToUtf8(registered);
    const HRESULT hr = CoCreateInstance(CLSID_RZQTFileParser, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                        reinterpret_cast<void**>(parser->ReleaseAndGetAddressOf()));
    if (FAILED(hr))
    {
        const std::string reason = LastModuleLoadError();
        *problem = "cannot create the QuickTime parser filter from " + module + ": HRESULT " + HresultText(hr) +
                   ": " + (reason.empty() ? ResultWords(hr) : reason);
        return hr;
    }
    return S_OK;
}
