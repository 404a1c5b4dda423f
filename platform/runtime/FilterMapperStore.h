// How the native filter mapper keeps its entries in the registry, laid out as
// the platform's first filter mapper kept them, below the category's
// instance list:
//
//   HKEY_CLASSES_ROOT\CLSID\{category}\Instance\{instance}
//       "CLSID"="{filter}", "FriendlyName"="...", "Merit"=dword:...
//     Pins\<pin name>
//       "Direction" (0 input, 1 output), "IsRendered", "AllowedZero",
//       "AllowedMany" (dwords 0 or 1), "ConnectsToFilter"="{...}",
//       "ConnectsToPin"="..."
//       Types\{major type}\{subtype}   one key per media type
//
// Pins keep the order they were registered in; types too, grouped by major
// type.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/RegistryKey.h"

struct RegisteredPin
{
    std::wstring name;
    bool rendered = false;
    bool output = false;
    bool zero = false;
    bool many = false;
    GUID connectsToFilter = GUID_NULL;
    std::wstring connectsToPin;
    std::vector<std::pair<GUID, GUID>> types; // major type, subtype
};

struct RegisteredFilter
{
    GUID clsid = GUID_NULL;
    std::wstring name;
    DWORD merit = 0;
    std::vector<RegisteredPin> pins;
};

// "HKEY_CLASSES_ROOT\CLSID\{category}\Instance".
std::wstring FilterInstancesPath(REFGUID category);

// Writes filter as the entry instance below category, in place of any
// entry of that name.
void WriteFilterEntry(CRegistryKey& root, REFGUID category, const std::wstring& instance,
                      const RegisteredFilter& filter);

// The entries below category as the registry file has them, in file order.
// The file's failures (RegistryFile.h), or ERROR_BADDB for an entry that
// does not read, with problem (which may be null) naming it and saying why.
[[nodiscard]] LONG ReadFilterEntries(REFGUID category, std::vector<RegisteredFilter>& filters, std::string* problem);

// "{XXXXXXXX-...}" of guid.
std::wstring GuidText(REFGUID guid);
