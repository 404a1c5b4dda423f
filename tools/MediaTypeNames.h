// How qtgraph shows media type GUIDs: as {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
// (upper case) and, where the platform has one, by its constant's name.
#pragma once

#include <windows.h>

#include <string>

std::string GuidString(const GUID& guid);
// "MEDIATYPE_Video", "MEDIASUBTYPE_dvsd", "FORMAT_VideoInfo2", "GUID_NULL", ...; null when the
// platform has no name for the GUID.
const char* MediaGuidName(const GUID& guid);
