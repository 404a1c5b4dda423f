// StringFromGUID2 and CLSIDFromString of <objbase.h>.
#include <objbase.h>

#include <cwchar>

#include "platform/HexDigit.h"

namespace {

const size_t kGuidLength = 38; // "{8-4-4-4-12}"

// The value of count hex digits at text, or -1.
long long HexField(const wchar_t* text, int count)
{
    long long value = 0;
    for (int i = 0; i < count; ++i)
    {
        const int digit = HexDigitValue(text[i]);
        if (digit < 0)
            return -1;
        value = value << 4 | digit;
    }
    return value;
}

} // namespace

int StringFromGUID2(REFGUID guid, LPOLESTR text, int size)
{
    if (!text || size < static_cast<int>(kGuidLength + 1))
        return 0;
    std::swprintf(text, static_cast<size_t>(size), L"{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
               static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2],
               guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return static_cast<int>(kGuidLength + 1);
}

HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid)
{
    if (!text || !clsid)
        return E_INVALIDARG;
    if (std::wcslen(text) != kGuidLength || text[0] != L'{' || text[37] != L'}' || text[9] != L'-' ||
        text[14] != L'-' || text[19] != L'-' || text[24] != L'-')
        return CO_E_CLASSSTRING;
    const long long data1 = HexField(text + 1, 8);
    const long long data2 = HexField(text + 10, 4);
    const long long data3 = HexField(text + 15, 4);
    long long bytes[8];
    for (int i = 0; i < 8; ++i)
        bytes[i] = HexField(text + (i < 2 ? 20 + 2 * i : 21 + 2 * i), 2);
    if (data1 < 0 || data2 < 0 || data3 < 0)
        return CO_E_CLASSSTRING;
    GUID guid = {static_cast<uint32_t>(data1), static_cast<uint16_t>(data2), static_cast<uint16_t>(data3), {}};
    for (int i = 0; i < 8; ++i)
    {
        if (bytes[i] < 0)
            return CO_E_CLASSSTRING;
        guid.Data4[i] = static_cast<uint8_t>(bytes[i]);
    }
    *clsid = guid;
    return S_OK;
}
