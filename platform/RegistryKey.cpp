#include "platform/RegistryKey.h"

#include <algorithm>
#include <cwctype>

namespace {

// The first name of path and what follows its '\' (empty at the end).
std::pair<std::wstring, std::wstring> SplitFirst(const std::wstring& path)
{
    const size_t slash = path.find(L'\\');
    if (slash == std::wstring::npos)
        return {path, std::wstring()};
    return {path.substr(0, slash), path.substr(slash + 1)};
}

} // namespace

CRegistryValue CRegistryValue::String(std::wstring name, std::wstring text)
{
    CRegistryValue value;
    value.name = std::move(name);
    value.type = REG_SZ;
    value.text = std::move(text);
    return value;
}

CRegistryValue CRegistryValue::Dword(std::wstring name, DWORD number)
{
    CRegistryValue value;
    value.name = std::move(name);
    value.type = REG_DWORD;
    value.number = number;
    return value;
}

bool RegistryNamesEqual(const std::wstring& a, const std::wstring& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return std::towlower(static_cast<wint_t>(x)) == std::towlower(static_cast<wint_t>(y));
           });
}

CRegistryKey* CRegistryKey::FindSubkey(const std::wstring& name) const
{
    for (const auto& key : m_subkeys)
        if (RegistryNamesEqual(key->m_name, name))
            return key.get();
    return nullptr;
}

CRegistryKey* CRegistryKey::Find(const std::wstring& path)
{
    if (path.empty())
        return this;
    const auto [first, rest] = SplitFirst(path);
    CRegistryKey* key = FindSubkey(first);
    return key ? key->Find(rest) : nullptr;
}

const CRegistryKey* CRegistryKey::Find(const std::wstring& path) const
{
    return const_cast<CRegistryKey*>(this)->Find(path);
}

CRegistryKey& CRegistryKey::Create(const std::wstring& path)
{
    if (path.empty())
        return *this;
    const auto [first, rest] = SplitFirst(path);
    CRegistryKey* key = FindSubkey(first);
    if (!key)
    {
        m_subkeys.push_back(std::make_unique<CRegistryKey>(first));
        key = m_subkeys.back().get();
    }
    return key->Create(rest);
}

bool CRegistryKey::Remove(const std::wstring& path)
{
    const auto parts = SplitFirst(path);
    const std::wstring& first = parts.first; // a name the lambda below can take
    const std::wstring& rest = parts.second;
    if (!rest.empty())
    {
        CRegistryKey* key = FindSubkey(first);
        return key && key->Remove(rest);
    }
    const auto found = std::find_if(m_subkeys.begin(), m_subkeys.end(),
                                    [&](const auto& key) { return RegistryNamesEqual(key->m_name, first); });
    if (found == m_subkeys.end())
        return false;
    m_subkeys.erase(found);
    return true;
}

void CRegistryKey::Clear()
{
    m_subkeys.clear();
    m_values.clear();
}

const CRegistryValue* CRegistryKey::FindValue(const std::wstring& name) const
{
    for (const CRegistryValue& value : m_values)
        if (RegistryNamesEqual(value.name, name))
            return &value;
    return nullptr;
}

void CRegistryKey::SetValue(CRegistryValue value)
{
    for (CRegistryValue& existing : m_values)
        if (RegistryNamesEqual(existing.name, value.name))
        {
            existing = std::move(value);
            return;
        }
    m_values.push_back(std::move(value));
}

bool CRegistryKey::RemoveValue(const std::wstring& name)
{
    const auto found = std::find_if(m_values.begin(), m_values.end(),
                                    [&](const CRegistryValue& value) { return RegistryNamesEqual(value.name, name); });
    if (found == m_values.end())
        return false;
    m_values.erase(found);
    return true;
}
