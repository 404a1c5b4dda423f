// DllRegisterServer and DllUnregisterServer in-process: the server keys and
// the filter mapper's entry they leave in the registry file.
#include <gtest/gtest.h>

#include <filesystem>

#include "filter/RZQTFileParser.h"
#include "platform/RegistryFile.h"
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

} // namespace
