#include "quicktime/FourCC.h"

FourCCString FourCCToWide(uint32_t code)
{
    FourCCString s{};
    for (int i = 0; i < 4; ++i)
        s.text[i] = static_cast<wchar_t>((code >> (8 * i)) & 0xFF);
    s.text[4] = L'\0';
    return s;
}
