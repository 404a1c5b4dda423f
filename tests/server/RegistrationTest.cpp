// DllRegisterServer and DllUnregisterServer in-process: the server keys and
// the filter mapper's entry they leave in the registry file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "filter/RZQTFileParser.h"
#include "framework/ComPtr.h"
#include "framework/RefCountedObject.h"
#include "platform/RegistryFile.h"
#include "platform/SystemClasses.h"
#include "platform/runtime/RuntimeClasses.h"
#include "platform/runtime/FilterMapperStore.h"
#include "server/FilterSetup.h"
#include "server/ServerEntryPoints.h"
#include "tests/support/TempRegistry.h"

namespace {

const wchar_t kClassKey[] = L"HKEY_CLASSES_ROOT\\CLSID\\{5E2B7C41-9A3D-4F6E-B817-2C4D9E0A6F13}";

class RegistrationTest : public testing::Test
{
protected:
    // The string value name of the key at path, or "<missing>".
    std::wstring Value(const std::wstring& path, const wchar_t* name)
    {
        CRegistryKey root;
        EXPECT_EQ(ERROR_SUCCESS, CRegistryFile::Read(root, nullptr));
        const CRegistryKey* key = root.Find(path);
        const CRegistryValue* value = key ? key->FindValue(name) : nullptr;
        return value && value->type == REG_SZ ? value->text : L"<missing>";
    }
    std::vector<RegisteredFilter> Entries()
    {
        std::vector<RegisteredFilter> entries;
        EXPECT_EQ(ERROR_SUCCESS, ReadFilterEntries(CLSID_LegacyAmFilterCategory, entries, nullptr));
        return entries;
    }

    CTempRegistry registry;
};

// A filter mapper of old, as a platform without IFilterMapper2 offers: it
// records every call and fails the one named by failOn.
class COldMapper : public CRefCountedObject<IFilterMapper, IID_IFilterMapper>
{
public:
    static std::vector<std::wstring> calls;
    static std::wstring failOn;

    STDMETHODIMP RegisterFilter(CLSID, LPCWSTR name, DWORD merit) override
    {
        return Call(L"RegisterFilter " + std::wstring(name) + L" " + std::to_wstring(merit));
    }
    STDMETHODIMP RegisterFilterInstance(CLSID, LPCWSTR, CLSID*) override { return E_NOTIMPL; }
    STDMETHODIMP RegisterPin(CLSID, LPCWSTR name, BOOL rendered, BOOL output, BOOL zero, BOOL many, CLSID,
                             LPCWSTR) override
    {
        return Call(L"RegisterPin " + std::wstring(name) + L" " + std::to_wstring(rendered) +
                    std::to_wstring(output) + std::to_wstring(zero) + std::to_wstring(many));
    }
    STDMETHODIMP RegisterPinType(CLSID, LPCWSTR name, CLSID major, CLSID) override
    {
        return Call(L"RegisterPinType " + std::wstring(name) + (major == MEDIATYPE_Stream ? L" stream" : L""));
    }
    STDMETHODIMP UnregisterFilter(CLSID filter) override
    {
        return filter == CLSID_RZQTFileParser ? Call(L"UnregisterFilter") : E_INVALIDARG;
    }
    STDMETHODIMP UnregisterFilterInstance(CLSID) override { return E_NOTIMPL; }
    STDMETHODIMP UnregisterPin(CLSID, LPCWSTR) override { return E_NOTIMPL; }
    STDMETHODIMP EnumMatchingFilters(IEnumRegFilters**, DWORD, BOOL, CLSID, CLSID, BOOL, BOOL, CLSID, CLSID) override
    {
        return E_NOTIMPL;
    }

    // The runtime's classes, but the old mapper in place of IFilterMapper2.
    static HRESULT Make(REFCLSID clsid, LPUNKNOWN outer, REFIID riid, LPVOID* ppv)
    {
        if (clsid == CLSID_FilterMapper2)
            return REGDB_E_CLASSNOTREG;
        if (clsid != CLSID_FilterMapper)
            return CreateRuntimeObject(clsid, outer, riid, ppv);
        const ComPtr<COldMapper> mapper = ComPtr<COldMapper>::Attach(new COldMapper);
        return mapper->QueryInterface(riid, ppv);
    }

private:
    HRESULT Call(const std::wstring& call)
    {
        calls.push_back(call);
        // The removal of an entry that is not there answers "file not found".
        if (call == L"UnregisterFilter" && failOn.empty())
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        return call.rfind(failOn, 0) == 0 && !failOn.empty() ? E_ACCESSDENIED : S_OK;
    }
};
std::vector<std::wstring> COldMapper::calls;
std::wstring COldMapper::failOn;

void ExpectEntryOfTheSetupData(const RegisteredFilter& entry)
{
    EXPECT_EQ(CLSID_RZQTFileParser, entry.clsid);
    EXPECT_EQ(sudRZQTFileParser.strName, entry.name);
    EXPECT_EQ(sudRZQTFileParser.dwMerit, entry.merit);
    ASSERT_EQ(2u, entry.pins.size());
    for (size_t p = 0; p < 2; ++p)
    {
        const AMOVIESETUP_PIN& setup = sudPins[p];
        const RegisteredPin& pin = entry.pins[p];
        EXPECT_EQ(setup.strName, pin.name);
        EXPECT_EQ(std::vector<bool>({setup.bRendered != 0, setup.bOutput != 0, setup.bZero != 0, setup.bMany != 0}),
                  std::vector<bool>({pin.rendered, pin.output, pin.zero, pin.many}));
        ASSERT_EQ(setup.nMediaTypes, pin.types.size());
        for (size_t t = 0; t < pin.types.size(); ++t)
            EXPECT_TRUE(*setup.lpMediaType[t].clsMajorType == pin.types[t].first &&
                        *setup.lpMediaType[t].clsMinorType == pin.types[t].second)
                << p << ' ' << t;
    }
}

TEST_F(RegistrationTest, RegisterWritesEveryValueAndOneEntryAndUnregisterRemovesBoth)
{
    // What an earlier registration from elsewhere left: each value must be
    // written anew, the old entry replaced whole.
    registry.Write("Windows Registry Editor Version 5.00\n\n"
                   "[HKEY_CLASSES_ROOT\\CLSID\\{5E2B7C41-9A3D-4F6E-B817-2C4D9E0A6F13}\\InprocServer32]\n"
                   "@=\"/old/qtparser.so\"\n\"ThreadingModel\"=\"Apartment\"\n\n"
                   "[HKEY_CLASSES_ROOT\\CLSID\\{083863F1-70DE-11D0-BD40-00A0C911CE86}\\Instance\\"
                   "{5E2B7C41-9A3D-4F6E-B817-2C4D9E0A6F13}\\Pins\\Old]\n");
    ASSERT_EQ(S_OK, DllRegisterServer());
    EXPECT_EQ(L"Ostrivel QuickTime Parser", Value(kClassKey, L""));
    const std::wstring server = std::wstring(kClassKey) + L"\\InprocServer32";
    EXPECT_EQ(std::filesystem::canonical("/proc/self/exe").wstring(), Value(server, L"")) << "this program's path";
    EXPECT_EQ(L"Both", Value(server, L"ThreadingModel"));
    std::vector<RegisteredFilter> entries = Entries();
    ASSERT_EQ(1u, entries.size());
    ExpectEntryOfTheSetupData(entries[0]);

    const std::string once = registry.Text();
    ASSERT_EQ(S_OK, DllRegisterServer());
    EXPECT_EQ(once, registry.Text()) << "registering twice changes nothing";

    ASSERT_EQ(S_OK, DllUnregisterServer());
    EXPECT_EQ(L"<missing>", Value(server, L""));
    EXPECT_EQ(L"<missing>", Value(kClassKey, L""));
    EXPECT_TRUE(Entries().empty());
    EXPECT_EQ(S_OK, DllUnregisterServer()) << "nothing left to remove";
}

TEST_F(RegistrationTest, FirstFailureStopsWhatFollows)
{
    // The first change of registering is a server key.
    CRegistryFile::FailNextUpdate(ERROR_ACCESS_DENIED);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), DllRegisterServer());
    EXPECT_TRUE(Entries().empty()) << "the mapper was not reached";

    // The first change of unregistering is the mapper's.
    ASSERT_EQ(S_OK, DllRegisterServer());
    CRegistryFile::FailNextUpdate(ERROR_ACCESS_DENIED);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), DllUnregisterServer());
    EXPECT_EQ(L"Ostrivel QuickTime Parser", Value(kClassKey, L"")) << "server keys stay";

    const std::string damaged = "Windows Registry Editor Version 5.00\n\n[HKEY_CLASSES_ROOT\\A]\n\"v\"=dword:1\n";
    registry.Write(damaged);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_BADDB), DllRegisterServer());
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_BADDB), DllUnregisterServer());
    EXPECT_EQ(damaged, registry.Text());
}

TEST_F(RegistrationTest, TheOldMapperServesWhereTheNewIsMissingAndItsFailureLeavesTheServerKeys)
{
    struct OldMapperScope
    {
        OldMapperScope() { InstallSystemClasses(&COldMapper::Make); }
        ~OldMapperScope() { InstallSystemClasses(&CreateRuntimeObject); }
    } scope;
    const struct
    {
        const wchar_t* failOn; // empty: none
        HRESULT registered;
    } cases[] = {{L"", S_OK}, {L"RegisterFilter", E_ACCESSDENIED}, {L"RegisterPinType", E_ACCESSDENIED}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.failOn)));
        COldMapper::calls.clear();
        COldMapper::failOn = c.failOn;
        EXPECT_EQ(c.registered, DllRegisterServer());
        // The server keys were written first and stay, whatever the mapper said.
        EXPECT_EQ(L"Ostrivel QuickTime Parser", Value(kClassKey, L""));
        EXPECT_EQ(L"Both", Value(std::wstring(kClassKey) + L"\\InprocServer32", L"ThreadingModel"));
        EXPECT_TRUE(Entries().empty()) << "the new mapper's store is not touched";
    }
    // Everything the setup data holds, one call each, in order; the first
    // failure stops the rest.
    std::vector<std::wstring> all = {L"UnregisterFilter", L"RegisterFilter " + std::wstring(sudRZQTFileParser.strName) + L" " +
                                                              std::to_wstring(sudRZQTFileParser.dwMerit)};
    for (UINT p = 0; p < sudRZQTFileParser.nPins; ++p)
    {
        const AMOVIESETUP_PIN& pin = sudPins[p];
        all.push_back(L"RegisterPin " + std::wstring(pin.strName) + L" " + std::to_wstring(pin.bRendered) +
                      std::to_wstring(pin.bOutput) + std::to_wstring(pin.bZero) + std::to_wstring(pin.bMany));
        for (UINT t = 0; t < pin.nMediaTypes; ++t)
            all.push_back(L"RegisterPinType " + std::wstring(pin.strName) +
                          (*pin.lpMediaType[t].clsMajorType == MEDIATYPE_Stream ? L" stream" : L""));
    }
    EXPECT_EQ(COldMapper::calls, std::vector<std::wstring>(all.begin(), all.begin() + 4));
    COldMapper::calls.clear();
    COldMapper::failOn = L"";
    EXPECT_EQ(S_OK, DllRegisterServer());
    EXPECT_EQ(COldMapper::calls, all);

    COldMapper::calls.clear();
    EXPECT_EQ(S_OK, DllUnregisterServer()) << "a missing entry is no failure";
    EXPECT_EQ(COldMapper::calls, std::vector<std::wstring>{L"UnregisterFilter"});
    EXPECT_EQ(L"<missing>", Value(kClassKey, L""));
}

} // namespace
