#include "platform/runtime/FilterMapperStore.h"

#include <objbase.h>

#include "framework/Utf8.h"
#include "platform/RegistryFile.h"

namespace {

CRegistryValue Flag(const wchar_t* name, bool on)
{
    return CRegistryValue::Dword(name, on ? 1 : 0);
}

// Reads one entry; false with problem saying what is wrong where.
class CEntryReader
{
public:
    bool Read(const CRegistryKey& entry, RegisteredFilter& filter);
    std::wstring problem;

private:
    bool ReadPin(const CRegistryKey& key, RegisteredPin& pin);
    bool ReadPinValues(const CRegistryKey& key, RegisteredPin& pin);
    // The value name of key if it is of type, else null with the problem set.
    const CRegistryValue* Typed(const CRegistryKey& key, const wchar_t* name, DWORD type);
    bool Text(const CRegistryKey& key, const wchar_t* name, std::wstring& text);
    bool Number(const CRegistryKey& key, const wchar_t* name, DWORD& number);
    bool Flag(const CRegistryKey& key, const wchar_t* name, bool& on);
    bool Guid(const std::wstring& text, const std::wstring& what, GUID& guid);
    bool Fail(const std::wstring& what)
    {
        problem = what;
        return false;
    }
};

const CRegistryValue* CEntryReader::Typed(const CRegistryKey& key, const wchar_t* name, DWORD type)
{
    const CRegistryValue* value = key.FindValue(name);
    if (value && value->type == type)
        return value;
    Fail(L"\"" + std::wstring(name) + (type == REG_SZ ? L"\" is not a string" : L"\" is not a dword"));
    return nullptr;
}

bool CEntryReader::Text(const CRegistryKey& key, const wchar_t* name, std::wstring& text)
{
    const CRegistryValue* value = Typed(key, name, REG_SZ);
    if (value)
        text = value->text;
    return value != nullptr;
}

bool CEntryReader::Number(const CRegistryKey& key, const wchar_t* name, DWORD& number)
{
    const CRegistryValue* value = Typed(key, name, REG_DWORD);
    if (value)
        number = value->number;
    return value != nullptr;
}

bool CEntryReader::Flag(const CRegistryKey& key, const wchar_t* name, bool& on)
{
    DWORD number = 0;
    if (!Number(key, name, number))
        return false;
    if (number > 1)
        return Fail(L"\"" + std::wstring(name) + L"\" must be 0 or 1");
    on = number == 1;
    return true;
}

bool CEntryReader::Guid(const std::wstring& text, const std::wstring& what, GUID& guid)
{
    return SUCCEEDED(CLSIDFromString(text.c_str(), &guid)) || Fail(what + L" \"" + text + L"\" is not a GUID");
}

bool CEntryReader::ReadPin(const CRegistryKey& key, RegisteredPin& pin)
{
    pin.name = key.Name();
    if (ReadPinValues(key, pin))
        return true;
    problem = L"pin " + pin.name + L": " + problem;
    return false;
}

bool CEntryReader::ReadPinValues(const CRegistryKey& key, RegisteredPin& pin)
{
    std::wstring connectsToFilter;
    if (!Flag(key, L"Direction", pin.output) || !Flag(key, L"IsRendered", pin.rendered) ||
        !Flag(key, L"AllowedZero", pin.zero) || !Flag(key, L"AllowedMany", pin.many) ||
        !Text(key, L"ConnectsToFilter", connectsToFilter) || !Text(key, L"ConnectsToPin", pin.connectsToPin) ||
        !Guid(connectsToFilter, L"ConnectsToFilter", pin.connectsToFilter))
        return false;
    const CRegistryKey* types = key.Find(L"Types");
    for (size_t i = 0; types && i < types->Subkeys().size(); ++i)
    {
        const CRegistryKey& major = *types->Subkeys()[i];
        std::pair<GUID, GUID> type;
        if (!Guid(major.Name(), L"major type", type.first))
            return false;
        for (const auto& minor : major.Subkeys())
        {
            if (!Guid(minor->Name(), L"subtype", type.second))
                return false;
            pin.types.push_back(type);
        }
    }
    return true;
}

bool CEntryReader::Read(const CRegistryKey& entry, RegisteredFilter& filter)
{
    std::wstring clsid;
    if (!Text(entry, L"CLSID", clsid) || !Guid(clsid, L"CLSID", filter.clsid) ||
        !Text(entry, L"FriendlyName", filter.name) || !Number(entry, L"Merit", filter.merit))
        return false;
    const CRegistryKey* pins = entry.Find(L"Pins");
    for (size_t i = 0; pins && i < pins->Subkeys().size(); ++i)
    {
        filter.pins.emplace_back();
        if (!ReadPin(*pins->Subkeys()[i], filter.pins.back()))
            return false;
    }
    return true;
}

} // namespace

std::wstring GuidText(REFGUID guid)
{
    wchar_t text[40];
    return StringFromGUID2(guid, text, 40) ? std::wstring(text) : std::wstring();
}

std::wstring FilterInstancesPath(REFGUID category)
{
    return L"HKEY_CLASSES_ROOT\\CLSID\\" + GuidText(category) + L"\\Instance";
}

void WriteFilterEntry(CRegistryKey& root, REFGUID category, const std::wstring& instance,
                      const RegisteredFilter& filter)
{
    CRegistryKey& instances = root.Create(FilterInstancesPath(category));
    (void)instances.Remove(instance); // absent the first time
    CRegistryKey& entry = instances.Create(instance);
    entry.SetValue(CRegistryValue::String(L"CLSID", GuidText(filter.clsid)));
    entry.SetValue(CRegistryValue::String(L"FriendlyName", filter.name));
    entry.SetValue(CRegistryValue::Dword(L"Merit", filter.merit));
    for (const RegisteredPin& pin : filter.pins)
    {
        CRegistryKey& key = entry.Create(L"Pins\\" + pin.name);
        key.SetValue(Flag(L"Direction", pin.output));
        key.SetValue(Flag(L"IsRendered", pin.rendered));
        key.SetValue(Flag(L"AllowedZero", pin.zero));
        key.SetValue(Flag(L"AllowedMany", pin.many));
        key.SetValue(CRegistryValue::String(L"ConnectsToFilter", GuidText(pin.connectsToFilter)));
        key.SetValue(CRegistryValue::String(L"ConnectsToPin", pin.connectsToPin));
        for (const auto& [major, minor] : pin.types)
            (void)key.Create(L"Types\\" + GuidText(major) + L"\\" + GuidText(minor));
    }
}

LONG ReadFilterEntries(REFGUID category, std::vector<RegisteredFilter>& filters, std::string* problem)
{
    filters.clear();
    CRegistryKey root;
    if (const LONG status = CRegistryFile::Read(root, problem); status != ERROR_SUCCESS)
        return status;
    const CRegistryKey* instances = root.Find(FilterInstancesPath(category));
    for (size_t i = 0; instances && i < instances->Subkeys().size(); ++i)
    {
        const CRegistryKey& entry = *instances->Subkeys()[i];
        CEntryReader reader;
        filters.emplace_back();
        if (!reader.Read(entry, filters.back()))
        {
            if (problem)
                *problem = "the registry file " + CRegistryFile::Path() + " is damaged: filter entry " +
                           WideToUtf8(entry.Name()) + ": " + WideToUtf8(reader.problem) + "; fix or remove it";
            return ERROR_BADDB;
        }
    }
    return ERROR_SUCCESS;
}
