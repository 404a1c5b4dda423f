// One key of the native registry in memory: named subkeys and values, both
// kept in the order they were first made (the registry file lists them so).
// Names compare without regard to case, as the platform's registry does.
// The root of a whole registry is a key without a name whose subkeys are the
// hives ("HKEY_CLASSES_ROOT", ...).
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

struct CRegistryValue
{
    std::wstring name;  // empty for the key's default value
    DWORD type = REG_SZ; // REG_SZ, REG_DWORD or REG_BINARY
    std::wstring text;   // REG_SZ
    DWORD number = 0;    // REG_DWORD
    std::vector<BYTE> bytes; // REG_BINARY

    static CRegistryValue String(std::wstring name, std::wstring text);
    static CRegistryValue Dword(std::wstring name, DWORD number);
};

class CRegistryKey
{
public:
    explicit CRegistryKey(std::wstring name = std::wstring()) : m_name(std::move(name)) {}

    const std::wstring& Name() const { return m_name; }
    const std::vector<std::unique_ptr<CRegistryKey>>& Subkeys() const { return m_subkeys; }
    const std::vector<CRegistryValue>& Values() const { return m_values; }

    // The key at path ('\'-separated names below this key; empty for this
    // key), or null.
    CRegistryKey* Find(const std::wstring& path);
    const CRegistryKey* Find(const std::wstring& path) const;
    // The key at path, made with whatever is missing.
    CRegistryKey& Create(const std::wstring& path);
    // Removes the key at path with everything below it; false when missing.
    bool Remove(const std::wstring& path);
    // Removes every value and subkey.
    void Clear();

    const CRegistryValue* FindValue(const std::wstring& name) const;
    // Replaces the value of the same name, or adds it at the end.
    void SetValue(CRegistryValue value);
    bool RemoveValue(const std::wstring& name);

private:
    CRegistryKey* FindSubkey(const std::wstring& name) const;

    std::wstring m_name;
    std::vector<std::unique_ptr<CRegistryKey>> m_subkeys;
    std::vector<CRegistryValue> m_values;
};

// Whether two key or value names are the same to the registry.
bool RegistryNamesEqual(const std::wstring& a, const std::wstring& b);
