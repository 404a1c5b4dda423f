// The native registry: the registry calls over the registry file, the file's
// format, damaged files, where the file lives, and changes from several
// processes at once.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

#include "framework/DllSetup.h"
#include "platform/RegistryFile.h"
#include "tests/support/TempRegistry.h"

namespace {

LONG SetString(HKEY key, const wchar_t* name, const std::wstring& text)
{
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
}

// The string value name of HKEY_CLASSES_ROOT\path, or "<missing>".
std::wstring QueryString(const wchar_t* path, const wchar_t* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return L"<missing>";
    wchar_t text[300] = {};
    DWORD size = sizeof text;
    DWORD type = REG_NONE;
    const LONG status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    return status == ERROR_SUCCESS && type == REG_SZ ? text : L"<missing>";
}

TEST(RegistryTest, ValuesKeepTheirTypesEscapesAndOrderInTheFile)
{
    CTempRegistry registry;
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, L"Zeta\\Inner", 0, nullptr, 0, KEY_WRITE, nullptr,
                                             &key, &disposition));
    EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), disposition);
    const std::wstring tricky = L"C:\\dir \"quoted\" \u00e9\u4e2d";
    EXPECT_EQ(ERROR_SUCCESS, SetString(key, nullptr, tricky));
    const DWORD merit = 0x00200000;
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(key, L"Merit", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&merit), 4));
    const BYTE bytes[] = {0x01, 0xAB};
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(key, L"Data", 0, REG_BINARY, bytes, 2));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key));
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, L"Alpha", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                             nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, L"zeta\\INNER", 0, nullptr, 0, KEY_WRITE, nullptr,
                                             &key, &disposition));
    EXPECT_EQ(static_cast<DWORD>(REG_OPENED_EXISTING_KEY), disposition);

    EXPECT_EQ("Windows Registry Editor Version 5.00\n"
              "\n[HKEY_CLASSES_ROOT]\n"
              "\n[HKEY_CLASSES_ROOT\\Zeta]\n"
              "\n[HKEY_CLASSES_ROOT\\Zeta\\Inner]\n"
              "@=\"C:\\\\dir \\\"quoted\\\" \xC3\xA9\xE4\xB8\xAD\"\n"
              "\"Merit\"=dword:00200000\n"
              "\"Data\"=hex:01,ab\n"
              "\n[HKEY_CLASSES_ROOT\\Alpha]\n",
              registry.Text());

    // Read back from the file, names in any case; sizes in bytes.
    DWORD size = 0;
    DWORD type = REG_NONE;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"", nullptr, &type, nullptr, &size));
    EXPECT_EQ((tricky.size() + 1) * sizeof(WCHAR), size);
    std::wstring text(tricky.size(), L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(WCHAR)); // no room for the terminator
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(&text[0]),
                                                &size));
    EXPECT_EQ(tricky, QueryString(L"ZETA\\inner", nullptr));
    DWORD number = 0;
    size = sizeof number;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"mErIt", nullptr, &type, reinterpret_cast<BYTE*>(&number), &size));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(merit, number);
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
}

TEST(RegistryTest, MissingAndDeletedKeysAndBadNamesFail)
{
    CTempRegistry registry;
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID\\Nothing", 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteTreeW(HKEY_CLASSES_ROOT, L"CLSID\\Nothing"));
    EXPECT_EQ("", registry.Text()) << "a failed change writes nothing";
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, L"CLSID\\A\\B", 0, nullptr, 0, KEY_WRITE, nullptr,
                                             &key, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, SetString(key, L"Kept", L"1"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValueW(key, L"Other"));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueW(key, L"kept"));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteTreeW(HKEY_CLASSES_ROOT, L"clsid\\a"));
    EXPECT_EQ(ERROR_KEY_DELETED, SetString(key, L"Late", L"1"));
    HKEY child = nullptr;
    EXPECT_EQ(ERROR_KEY_DELETED, RegCreateKeyExW(key, L"C", 0, nullptr, 0, KEY_WRITE, nullptr, &child, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID\\A", 0, KEY_READ, &key));

    for (const wchar_t* bad : {L"\\Leading", L"Two\\\\Slashes", L"Trailing\\", L"Line\nBreak"})
        EXPECT_EQ(ERROR_BAD_PATHNAME, RegCreateKeyExW(HKEY_CLASSES_ROOT, bad, 0, nullptr, 0, KEY_WRITE, nullptr,
                                                      &key, nullptr))
            << bad;
    EXPECT_EQ(ERROR_BAD_PATHNAME, RegCreateKeyExW(HKEY_CLASSES_ROOT, std::wstring(256, L'k').c_str(), 0, nullptr, 0,
                                                  KEY_WRITE, nullptr, &key, nullptr));
    std::wstring deep = L"k";
    for (int depth = 2; depth < 512; ++depth)
        deep += L"\\k";
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, deep.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                             &key, nullptr))
        << "511 below the hive: the file can hold it";
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    EXPECT_EQ(ERROR_BAD_PATHNAME, RegCreateKeyExW(HKEY_CLASSES_ROOT, (deep + L"\\k").c_str(), 0, nullptr, 0,
                                                  KEY_WRITE, nullptr, &key, nullptr));
    CRegistryKey root;
    EXPECT_EQ(ERROR_SUCCESS, CRegistryFile::Read(root, nullptr)) << "what the calls write reads back";
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegOpenKeyExW(reinterpret_cast<HKEY>(&registry), L"A", 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, SetString(HKEY_CLASSES_ROOT, L"Name", L"two\nlines"));
}

struct DamagedFile
{
    const char* text;
    const char* problem;
};

TEST(RegistryTest, DamagedFileIsReportedWithItsLineAndNeverWrittenOver)
{
    const std::string header = "Windows Registry Editor Version 5.00\n\n[HKEY_CLASSES_ROOT\\A]\n";
    const DamagedFile files[] = {
        {"REGEDIT4\n", "line 1: the first line must be 'Windows Registry Editor Version 5.00'"},
        {"Windows Registry Editor Version 5.00\n\"v\"=\"x\"\n", "line 2: a value before the first [key] line"},
        {"\"v\"=dword:1234567\n", "line 4: dword: must be followed by 8 hex digits"},
        {"\"v\"=dword:1234567g\n", "line 4: dword: must be followed by 8 hex digits"},
        {"\"v\"=hex:01,2\n", "line 4: hex: bytes must be 2 hex digits each"},
        {"\"v\"=hex:01 02\n", "line 4: hex: bytes must be separated by ','"},
        {"\"v\"=\"open\n", "line 4: a string without its closing '\"'"},
        {"\"v\"=\"a\\tb\"\n", "line 4: '\\' must be followed by '\\' or '\"'"},
        {"\"v\"=\"a\" \n", "line 4: text after the value"},
        {"\"v\" \"a\"\n", "line 4: expected '='"},
        {"\"\"=\"a\"\n", "line 4: a value name must have 1 to 16383 characters"},
        {"@=hex(2):00\n", "line 4: value data must be a \"string\", dword: or hex:"},
        {"\"v\"=-\n", "line 4: value data must be"},
        {"\n[HKEY_NOWHERE\\B]\n", "line 5: a key path must start with HKEY_CLASSES_ROOT"},
        {"[HKEY_CLASSES_ROOT\\\\B]\n", "line 4: key names must have 1 to 255 characters"},
        {"[-HKEY_CLASSES_ROOT\\B]\n", "line 4: a key path is needed between '[' and ']' (removing keys is not read)"},
        {"[HKEY_CLASSES_ROOT\\B\n", "line 4: a key line must end with ']'"},
    };
    for (const DamagedFile& file : files)
    {
        CTempRegistry registry;
        const std::string text = file.text[0] == 'R' || file.text[0] == 'W' ? file.text : header + file.text;
        registry.Write(text);
        CRegistryKey root;
        std::string problem;
        EXPECT_EQ(ERROR_BADDB, CRegistryFile::Read(root, &problem)) << text;
        const std::string expected = "the registry file " + registry.Path() + " is damaged: " + file.problem;
        EXPECT_EQ(expected, problem.substr(0, expected.size()));
        EXPECT_NE(std::string::npos, problem.find("; fix or remove it")) << problem;
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_BADDB, RegCreateKeyExW(HKEY_CLASSES_ROOT, L"New", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                               nullptr));
        EXPECT_EQ(text, registry.Text());
    }

    CTempRegistry registry;
    registry.Write(header);
    std::filesystem::resize_file(registry.Path(), CRegistryFile::kMaxSize + 1);
    CRegistryKey root;
    std::string problem;
    EXPECT_EQ(ERROR_BADDB, CRegistryFile::Read(root, &problem));
    EXPECT_NE(std::string::npos, problem.find("has 16777217 bytes, more than a registry of 16 MiB")) << problem;
}

TEST(RegistryTest, FileLivesWhereTheEnvironmentSays)
{
    CTempRegistry restored; // puts QTP_REGISTRY back afterwards
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const std::string savedXdg = xdg ? xdg : "";
    const char* home = std::getenv("HOME");
    const std::string savedHome = home ? home : "";
    ::setenv("QTP_REGISTRY", "/r/file.reg", 1);
    ::setenv("XDG_CONFIG_HOME", "/x", 1);
    ::setenv("HOME", "/h", 1);
    EXPECT_EQ("/r/file.reg", CRegistryFile::Path());
    ::unsetenv("QTP_REGISTRY");
    EXPECT_EQ("/x/ostrivel-qtparser/registry.reg", CRegistryFile::Path());
    ::setenv("XDG_CONFIG_HOME", "relative", 1); // not a place: ignored
    EXPECT_EQ("/h/.config/ostrivel-qtparser/registry.reg", CRegistryFile::Path());
    ::unsetenv("HOME");
    EXPECT_EQ("", CRegistryFile::Path());
    ::setenv("HOME", savedHome.c_str(), 1);
    if (xdg)
        ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}

// {1D2E3F5n-...-0000000000mm}: class m of process n.
CLSID TestClass(int process, int number)
{
    return {0x1D2E3F50u + static_cast<uint32_t>(process), 0x1111, 0x2222,
            {0, 0, 0, 0, 0, 0, 0, static_cast<uint8_t>(number)}};
}

TEST(RegistryTest, RegistrationsFromSeveralProcessesAtOnceAllArrive)
{
    CTempRegistry registry;
    const int processes = 4;
    const int classesEach = 6;
    std::vector<pid_t> children;
    for (int p = 0; p < processes; ++p)
    {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
        {
            HRESULT hr = S_OK;
            for (int c = 0; SUCCEEDED(hr) && c < classesEach; ++c)
                hr = AMovieSetupRegisterServer(TestClass(p, c), L"Test class", L"/modules/test.so");
            ::_exit(SUCCEEDED(hr) ? 0 : 1); // no test teardown in the child
        }
        children.push_back(child);
    }
    for (pid_t child : children)
    {
        int status = 0;
        ASSERT_EQ(child, ::waitpid(child, &status, 0));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int p = 0; p < processes; ++p)
        for (int c = 0; c < classesEach; ++c)
        {
            wchar_t clsid[40];
            ASSERT_EQ(39, StringFromGUID2(TestClass(p, c), clsid, 40));
            const std::wstring key = std::wstring(L"CLSID\\") + clsid;
            EXPECT_EQ(L"Test class", QueryString(key.c_str(), nullptr)) << p << ' ' << c;
            EXPECT_EQ(L"Both", QueryString((key + L"\\InprocServer32").c_str(), L"ThreadingModel"));
        }
    for (const auto& entry : std::filesystem::directory_iterator(registry.Folder()))
        EXPECT_TRUE(entry.path().filename() == "registry.reg" || entry.path().filename() == "registry.reg.lock")
            << "left behind: " << entry.path();
}

} // namespace
