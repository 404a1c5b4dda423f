// The built module as COM uses it: registered through its own entry point,
// asked for the filter by class identifier, unloaded once unused.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "filter/RZQTFileParser.h"
#include "framework/ComPtr.h"
#include "platform/ProcAddress.h"
#include "tests/support/TempRegistry.h"

namespace {

const std::string kModule = std::filesystem::canonical(QTP_MODULE_PATH).string();

bool IsLoaded()
{
    void* module = ::dlopen(kModule.c_str(), RTLD_NOLOAD | RTLD_LAZY);
    if (module)
        ::dlclose(module);
    return module != nullptr;
}

// Calls the module's DllRegisterServer or DllUnregisterServer, as regsvr32 does.
HRESULT CallModule(const char* entryPoint)
{
    HMODULE module = LoadLibraryW(std::filesystem::path(kModule).wstring().c_str());
    if (!module)
        return HRESULT_FROM_WIN32(GetLastError());
    const auto function = ProcAddressAs<HRESULT (*)()>(module, entryPoint);
    const HRESULT hr = function ? function() : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    EXPECT_TRUE(FreeLibrary(module));
    return hr;
}

TEST(ModuleTest, RegisteredModuleMakesTheFilterAndUnloadsWhenUnused)
{
    CTempRegistry registry;
    ASSERT_EQ(S_OK, CoInitialize(nullptr));
    ASSERT_EQ(S_OK, CallModule("DllRegisterServer"));
    EXPECT_FALSE(IsLoaded()) << "the module does not stay loaded after its last FreeLibrary";
    EXPECT_NE(std::string::npos, registry.Text().find("@=\"" + kModule + "\"\n\"ThreadingModel\"=\"Both\""))
        << "the module registers its own path:\n"
        << registry.Text();

    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_RZQTFileParser, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                     reinterpret_cast<void**>(filter.ReleaseAndGetAddressOf())));
    CLSID clsid = GUID_NULL;
    EXPECT_EQ(S_OK, filter->GetClassID(&clsid));
    EXPECT_EQ(CLSID_RZQTFileParser, clsid);
    IBaseFilter* notAFilter = filter.Get();
    EXPECT_EQ(E_NOINTERFACE, CoCreateInstance(CLSID_RZQTFileParser, nullptr, CLSCTX_INPROC_SERVER,
                                              IID_IAsyncReader, reinterpret_cast<void**>(&notAFilter)));
    EXPECT_EQ(nullptr, notAFilter);
    CoFreeUnusedLibraries();
    EXPECT_TRUE(IsLoaded()) << "a filter is alive";
    filter.Reset();
    CoFreeUnusedLibraries();
    EXPECT_FALSE(IsLoaded());

    ASSERT_EQ(S_OK, CallModule("DllUnregisterServer"));
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(CLSID_RZQTFileParser, nullptr, CLSCTX_INPROC_SERVER,
                                                    IID_IBaseFilter, reinterpret_cast<void**>(&notAFilter)));
    CoUninitialize();
}

// The module exports the four entry points and the diagnostic class, and
// nothing else: the framework and the filter stay inside it.
TEST(ModuleTest, ExportsOnlyTheFourEntryPointsAndCEntryPoint)
{
    void* module = ::dlopen(kModule.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << ::dlerror();
    for (const char* name : {"DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer", "DllUnregisterServer",
                             "_ZN11CEntryPointC1Ev", "_ZN11CEntryPointC1EPKwz", "_ZN11CEntryPointaSEl",
                             "_ZN11CEntryPoint8LogErrorElPKwiS1_z", "_ZTV11CEntryPoint"})
        EXPECT_NE(::dlsym(module, name), nullptr) << name;
    EXPECT_EQ(::dlclose(module), 0);

    // Every other defined dynamic symbol is a member, vtable or type of
    // CEntryPoint or its base.
    FILE* list = ::popen(("nm -D --defined-only '" + kModule + "'").c_str(), "r");
    ASSERT_NE(list, nullptr);
    std::vector<std::string> exported;
    char line[1024];
    while (std::fgets(line, sizeof line, list))
    {
        std::string symbol(line);
        symbol = symbol.substr(symbol.find_last_of(' ') + 1);
        symbol.erase(symbol.find_last_not_of("\n") + 1);
        exported.push_back(symbol);
    }
    ASSERT_EQ(::pclose(list), 0);
    const auto allowed = [](const std::string& symbol) {
        for (const char* prefix : {"_ZN11CEntryPoint", "_ZN15CEntryPointBase", "_ZTV11CEntryPoint", "_ZTI11CEntryPoint",
                                   "_ZTS11CEntryPoint", "_ZTV15CEntryPointBase", "_ZTI15CEntryPointBase",
                                   "_ZTS15CEntryPointBase"})
            if (symbol.rfind(prefix, 0) == 0)
                return true;
        return symbol == "DllGetClassObject" || symbol == "DllCanUnloadNow" || symbol == "DllRegisterServer" ||
               symbol == "DllUnregisterServer";
    };
    size_t entryPoints = 0;
    for (const std::string& symbol : exported)
    {
        EXPECT_TRUE(allowed(symbol)) << symbol;
        entryPoints += symbol.rfind("Dll", 0) == 0;
    }
    EXPECT_EQ(entryPoints, 4u);
}

} // namespace
