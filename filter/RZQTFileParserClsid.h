// The parser filter's class identifier, for whoever creates it by class
// without knowing the class itself (applications, qtgraph).
#pragma once

#include <guiddef.h>

// {5E2B7C41-9A3D-4F6E-B817-2C4D9E0A6F13}
inline constexpr GUID CLSID_RZQTFileParser = {
    0x5E2B7C41, 0x9A3D, 0x4F6E, {0xB8, 0x17, 0x2C, 0x4D, 0x9E, 0x0A, 0x6F, 0x13}};
