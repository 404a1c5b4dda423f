#include "platform/RegFileFormat.h"

#include <cstdio>
#include <cwchar>

#include "framework/Utf8.h"
#include "platform/HexDigit.h"

const wchar_t* const kRegistryHives[3] = {L"HKEY_CLASSES_ROOT", L"HKEY_CURRENT_USER", L"HKEY_LOCAL_MACHINE"};

namespace {

const char kHeader[] = "Windows Registry Editor Version 5.00";

std::string Quoted(const std::wstring& text)
{
    std::wstring escaped = L"\"";
    for (wchar_t c : text)
    {
        if (c == L'\\' || c == L'"')
            escaped += L'\\';
        escaped += c;
    }
    escaped += L'"';
    return WideToUtf8(escaped);
}

std::string ValueLine(const CRegistryValue& value)
{
    std::string line = value.name.empty() ? "@" : Quoted(value.name);
    line += '=';
    char hex[16];
    switch (value.type)
    {
    case REG_DWORD:
        std::snprintf(hex, sizeof hex, "dword:%08x", static_cast<unsigned>(value.number));
        return line + hex;
    case REG_BINARY:
        line += "hex:";
        for (size_t i = 0; i < value.bytes.size(); ++i)
        {
            std::snprintf(hex, sizeof hex, i ? ",%02x" : "%02x", static_cast<unsigned>(value.bytes[i]));
            line += hex;
        }
        return line;
    default:
        return line + Quoted(value.text);
    }
}

void FormatKey(const CRegistryKey& key, const std::wstring& path, std::string& out)
{
    out += "\n[" + WideToUtf8(path) + "]\n";
    for (const CRegistryValue& value : key.Values())
        out += ValueLine(value) + '\n';
    for (const auto& subkey : key.Subkeys())
        FormatKey(*subkey, path + L'\\' + subkey->Name(), out);
}

// Reads one line's pieces from left to right; each Read* leaves m_at after
// what it took and sets the problem when it fails.
class CLineReader
{
public:
    explicit CLineReader(std::wstring line) : m_line(std::move(line)) {}

    bool ReadName(std::wstring& name);
    bool ReadData(CRegistryValue& value);
    bool Take(wchar_t c)
    {
        if (m_at >= m_line.size() || m_line[m_at] != c)
            return false;
        ++m_at;
        return true;
    }
    bool AtEnd() const { return m_at == m_line.size(); }
    bool Fail(const char* what)
    {
        problem = what;
        return false;
    }
    std::string problem;

private:
    bool ReadQuoted(std::wstring& text);
    bool ReadDword(DWORD& number);
    bool ReadHex(std::vector<BYTE>& bytes);
    bool StartsWith(const wchar_t* prefix) const
    {
        return m_line.compare(m_at, std::wcslen(prefix), prefix) == 0;
    }

    std::wstring m_line;
    size_t m_at = 0;
};

bool CLineReader::ReadQuoted(std::wstring& text)
{
    if (!Take(L'"'))
        return Fail("expected '\"'");
    for (; m_at < m_line.size(); ++m_at)
    {
        wchar_t c = m_line[m_at];
        if (c == L'"')
        {
            ++m_at;
            return true;
        }
        if (c == L'\\')
        {
            if (++m_at == m_line.size() || (m_line[m_at] != L'\\' && m_line[m_at] != L'"'))
                return Fail("'\\' must be followed by '\\' or '\"'");
            c = m_line[m_at];
        }
        text += c;
    }
    return Fail("a string without its closing '\"'");
}

bool CLineReader::ReadName(std::wstring& name)
{
    if (Take(L'@'))
        return true;
    if (!ReadQuoted(name))
        return false;
    if (name.empty() || name.size() > kMaxRegistryValueName)
        return Fail("a value name must have 1 to 16383 characters (@ names the default value)");
    return true;
}

bool CLineReader::ReadDword(DWORD& number)
{
    number = 0;
    for (int i = 0; i < 8; ++i, ++m_at)
    {
        const int digit = m_at < m_line.size() ? HexDigitValue(m_line[m_at]) : -1;
        if (digit < 0)
            return Fail("dword: must be followed by 8 hex digits");
        number = number << 4 | static_cast<DWORD>(digit);
    }
    return true;
}

bool CLineReader::ReadHex(std::vector<BYTE>& bytes)
{
    while (m_at < m_line.size())
    {
        if (!bytes.empty() && !Take(L','))
            return Fail("hex: bytes must be separated by ','");
        const int high = m_at < m_line.size() ? HexDigitValue(m_line[m_at]) : -1;
        const int low = m_at + 1 < m_line.size() ? HexDigitValue(m_line[m_at + 1]) : -1;
        if (high < 0 || low < 0)
            return Fail("hex: bytes must be 2 hex digits each");
        bytes.push_back(static_cast<BYTE>(high << 4 | low));
        m_at += 2;
    }
    return true;
}

bool CLineReader::ReadData(CRegistryValue& value)
{
    if (StartsWith(L"\""))
    {
        value.type = REG_SZ;
        return ReadQuoted(value.text);
    }
    if (StartsWith(L"dword:"))
    {
        m_at += 6;
        value.type = REG_DWORD;
        return ReadDword(value.number);
    }
    if (StartsWith(L"hex:"))
    {
        m_at += 4;
        value.type = REG_BINARY;
        return ReadHex(value.bytes);
    }
    return Fail("value data must be a \"string\", dword: or hex: (nothing else is read)");
}

// Checks a section's key path; problem says what is wrong.
bool CheckKeyPath(const std::wstring& path, std::string& problem)
{
    if (path.empty() || path[0] == L'-')
    {
        problem = "a key path is needed between '[' and ']' (removing keys is not read)";
        return false;
    }
    const std::wstring hive = path.substr(0, path.find(L'\\'));
    bool known = false;
    for (const wchar_t* name : kRegistryHives)
        known = known || hive == name;
    if (!known)
    {
        problem = "a key path must start with HKEY_CLASSES_ROOT, HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE";
        return false;
    }
    size_t depth = 0;
    for (size_t start = 0; start <= path.size(); ++depth)
    {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos)
            end = path.size();
        if (end == start || end - start > kMaxRegistryKeyName || depth >= kMaxRegistryDepth)
        {
            problem = "key names must have 1 to 255 characters, at most 512 deep";
            return false;
        }
        start = end + 1;
    }
    return true;
}

bool ParseLine(const std::wstring& line, CRegistryKey& root, CRegistryKey*& current, std::string& problem)
{
    if (line[0] == L'[')
    {
        if (line.back() != L']')
        {
            problem = "a key line must end with ']'";
            return false;
        }
        const std::wstring path = line.substr(1, line.size() - 2);
        if (!CheckKeyPath(path, problem))
            return false;
        current = &root.Create(path);
        return true;
    }
    if (!current)
    {
        problem = "a value before the first [key] line";
        return false;
    }
    CLineReader reader(line);
    CRegistryValue value;
    const bool ok = reader.ReadName(value.name) && (reader.Take(L'=') || reader.Fail("expected '='")) &&
                    reader.ReadData(value) && (reader.AtEnd() || reader.Fail("text after the value"));
    if (!ok)
    {
        problem = reader.problem;
        return false;
    }
    current->SetValue(std::move(value));
    return true;
}

} // namespace

bool IsRegistryText(const std::wstring& text)
{
    for (wchar_t c : text)
        if (c < 0x20 || c == 0x7F)
            return false;
    return true;
}

std::string FormatRegFile(const CRegistryKey& root)
{
    std::string out = kHeader;
    out += '\n';
    for (const auto& hive : root.Subkeys())
        FormatKey(*hive, hive->Name(), out);
    return out;
}

bool ParseRegFile(const std::string& text, CRegistryKey& root, std::string& problem)
{
    size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0; // a byte-order mark some editors add
    CRegistryKey* current = nullptr;
    for (size_t number = 1; start < text.size() || number == 1; ++number)
    {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (number == 1 && line != kHeader)
            problem = "the first line must be '" + std::string(kHeader) + "'";
        else if (number == 1 || line.empty() || line[0] == ';' || ParseLine(Utf8ToWide(line), root, current, problem))
            continue;
        problem = "line " + std::to_string(number) + ": " + problem;
        return false;
    }
    return true;
}
