// The native COM runtime: why CoCreateInstance refuses, and the filter
// mapper's entries in the registry.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <stdexcept>

#include "framework/ComPtr.h"
#include "framework/DllSetup.h"
#include "platform/runtime/FilterMapperStore.h"
#include "tests/support/ComScope.h"
#include "tests/support/TempRegistry.h"

namespace {

QTP_DEFINE_GUID(CLSID_TestFilter, 0x1D2E3F60, 0x1111, 0x2222, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA);
QTP_DEFINE_GUID(MEDIASUBTYPE_Test, 0x1D2E3F61, 0x1111, 0x2222, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA);

// Registers CLSID_TestFilter as served by the module at path.
void RegisterTestServer(const std::wstring& path)
{
    ASSERT_EQ(S_OK, AMovieSetupRegisterServer(CLSID_TestFilter, L"Test", path.c_str()));
}

// A shared library this program has loaded that is no COM server.
std::wstring LoadedLibraryWithoutServer()
{
    Dl_info info{};
    if (!::dladdr(reinterpret_cast<void*>(&std::terminate), &info) || !info.dli_fname)
        throw std::runtime_error("no path for the C++ library");
    return std::wstring(info.dli_fname, info.dli_fname + std::strlen(info.dli_fname));
}

TEST(ComRuntimeTest, CreationSaysWhyItFails)
{
    CTempRegistry registry;
    IUnknown* object = reinterpret_cast<IUnknown*>(&registry); // must come back null
    EXPECT_EQ(CO_E_NOTINITIALIZED,
              CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&object)));
    EXPECT_EQ(nullptr, object);

    CComScope com;
    EXPECT_EQ(S_FALSE, CoInitialize(nullptr)) << "a second initialisation on the thread";
    CoUninitialize();
    struct Case
    {
        const char* what;
        std::wstring module; // empty: not registered
        DWORD context;
        HRESULT expected;
    };
    const Case cases[] = {
        {"not registered", L"", CLSCTX_INPROC_SERVER, REGDB_E_CLASSNOTREG},
        {"module missing", L"/no/such/module.so", CLSCTX_INPROC_SERVER, HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)},
        {"not a module", L"/proc/self/status", CLSCTX_INPROC_SERVER, HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT)},
        {"no DllGetClassObject", LoadedLibraryWithoutServer(), CLSCTX_INPROC_SERVER, CO_E_ERRORINDLL},
        {"out of process only", LoadedLibraryWithoutServer(), CLSCTX_LOCAL_SERVER, REGDB_E_CLASSNOTREG},
    };
    for (const Case& c : cases)
    {
        if (!c.module.empty())
            RegisterTestServer(c.module);
        object = reinterpret_cast<IUnknown*>(&registry);
        EXPECT_EQ(c.expected, CoCreateInstance(CLSID_TestFilter, nullptr, c.context, IID_IUnknown,
                                               reinterpret_cast<void**>(&object)))
            << c.what;
        EXPECT_EQ(nullptr, object) << c.what;
    }
    registry.Write("not a registry\n");
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_BADDB), CoCreateInstance(CLSID_TestFilter, nullptr, CLSCTX_INPROC_SERVER,
                                                                IID_IUnknown, reinterpret_cast<void**>(&object)));
}

TEST(ComRuntimeTest, MapperEntryReadsBackAsRegisteredAndIsReplacedOrRemovedWhole)
{
    CTempRegistry registry;
    CComScope com;
    ComPtr<IFilterMapper2> mapper;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                     reinterpret_cast<void**>(mapper.ReleaseAndGetAddressOf())));
    const AMOVIESETUP_MEDIATYPE inTypes[] = {{&MEDIATYPE_Stream, &MEDIASUBTYPE_NULL}};
    const AMOVIESETUP_MEDIATYPE outTypes[] = {{&MEDIATYPE_Video, &MEDIASUBTYPE_dvsd},
                                              {&MEDIATYPE_Video, &MEDIASUBTYPE_Test},
                                              {&MEDIATYPE_Audio, &MEDIASUBTYPE_PCM}};
    AMOVIESETUP_PIN pins[] = {
        {const_cast<LPWSTR>(L"In"), FALSE, FALSE, FALSE, FALSE, &CLSID_NULL, nullptr, 1, inTypes},
        {const_cast<LPWSTR>(L"Out"), TRUE, TRUE, TRUE, FALSE, &CLSID_TestFilter, L"Other", 3, outTypes},
    };
    AMOVIESETUP_FILTER filter = {&CLSID_TestFilter, L"Test \"Filter\"", MERIT_UNLIKELY, 2, pins};
    ASSERT_EQ(S_OK, AMovieSetupRegisterFilter2(&filter, mapper.Get(), TRUE));
    filter.dwMerit = MERIT_NORMAL;
    ASSERT_EQ(S_OK, AMovieSetupRegisterFilter2(&filter, mapper.Get(), TRUE)) << "registered again";

    std::vector<RegisteredFilter> entries;
    ASSERT_EQ(ERROR_SUCCESS, ReadFilterEntries(CLSID_LegacyAmFilterCategory, entries, nullptr));
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ(CLSID_TestFilter, entries[0].clsid);
    EXPECT_EQ(L"Test \"Filter\"", entries[0].name);
    EXPECT_EQ(static_cast<DWORD>(MERIT_NORMAL), entries[0].merit);
    ASSERT_EQ(2u, entries[0].pins.size());
    for (size_t p = 0; p < 2; ++p)
    {
        const RegisteredPin& pin = entries[0].pins[p];
        EXPECT_EQ(pins[p].strName, pin.name);
        EXPECT_EQ(pins[p].bRendered != 0, pin.rendered);
        EXPECT_EQ(pins[p].bOutput != 0, pin.output);
        EXPECT_EQ(pins[p].bZero != 0, pin.zero);
        EXPECT_EQ(pins[p].bMany != 0, pin.many);
        EXPECT_EQ(*pins[p].clsConnectsToFilter, pin.connectsToFilter);
        EXPECT_EQ(pins[p].strConnectsToPin ? pins[p].strConnectsToPin : L"", pin.connectsToPin);
        ASSERT_EQ(pins[p].nMediaTypes, pin.types.size());
        for (size_t t = 0; t < pin.types.size(); ++t)
        {
            EXPECT_EQ(*pins[p].lpMediaType[t].clsMajorType, pin.types[t].first) << p << ' ' << t;
            EXPECT_EQ(*pins[p].lpMediaType[t].clsMinorType, pin.types[t].second) << p << ' ' << t;
        }
    }

    pins[1].strName = const_cast<LPWSTR>(L"Out\\Sub");
    EXPECT_EQ(E_INVALIDARG, AMovieSetupRegisterFilter2(&filter, mapper.Get(), TRUE));
    EXPECT_EQ(S_OK, AMovieSetupRegisterFilter2(&filter, mapper.Get(), FALSE));
    ASSERT_EQ(ERROR_SUCCESS, ReadFilterEntries(CLSID_LegacyAmFilterCategory, entries, nullptr));
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
              mapper->UnregisterFilter(&CLSID_LegacyAmFilterCategory, nullptr, CLSID_TestFilter));
    EXPECT_EQ(S_OK, AMovieSetupRegisterFilter2(&filter, mapper.Get(), FALSE)) << "nothing to remove is success";
}

TEST(ComRuntimeTest, MapperEntryThatDoesNotReadIsReported)
{
    CTempRegistry registry;
    registry.Write("Windows Registry Editor Version 5.00\n\n"
                   "[HKEY_CLASSES_ROOT\\CLSID\\{083863F1-70DE-11D0-BD40-00A0C911CE86}\\Instance\\{X}]\n"
                   "\"CLSID\"=\"{1D2E3F60-1111-2222-3344-5566778899AA}\"\n"
                   "\"FriendlyName\"=\"Test\"\n"
                   "\"Merit\"=\"high\"\n");
    std::vector<RegisteredFilter> entries;
    std::string problem;
    EXPECT_EQ(ERROR_BADDB, ReadFilterEntries(CLSID_LegacyAmFilterCategory, entries, &problem));
    EXPECT_EQ("the registry file " + registry.Path() +
                  " is damaged: filter entry {X}: \"Merit\" is not a dword; fix or remove it",
              problem);
}

} // namespace
