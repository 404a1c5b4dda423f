#include "tools/MediaTypeNames.h"

#include <uuids.h>

#include "pins/outpin.h"

#include <cstdio>

namespace
{
struct NamedGuid
{
    const GUID* guid;
    const char* name;
};

// The platform's names for the GUIDs a track's media type can hold: the
// fixed ones, the four-character codes the platform names itself, and the
// format types of the output pins (the timecode one is this filter's own).
const NamedGuid kNames[] = {
    {&GUID_NULL, "GUID_NULL"},
    {&MEDIATYPE_Video, "MEDIATYPE_Video"},
    {&MEDIATYPE_Audio, "MEDIATYPE_Audio"},
    {&MEDIATYPE_Timecode, "MEDIATYPE_Timecode"},
    {&MEDIATYPE_Text, "MEDIATYPE_Text"},
    {&MEDIASUBTYPE_None, "MEDIASUBTYPE_None"},
    {&MEDIASUBTYPE_dvsd, "MEDIASUBTYPE_dvsd"},
    {&MEDIASUBTYPE_dvhd, "MEDIASUBTYPE_dvhd"},
    {&MEDIASUBTYPE_dvsl, "MEDIASUBTYPE_dvsl"},
    {&MEDIASUBTYPE_YUY2, "MEDIASUBTYPE_YUY2"},
    {&MEDIASUBTYPE_PCM, "MEDIASUBTYPE_PCM"},
    {&FORMAT_None, "FORMAT_None"},
    {&FORMAT_VideoInfo2, "FORMAT_VideoInfo2"},
    {&FORMAT_WaveFormatEx, "FORMAT_WaveFormatEx"},
    {&FORMAT_QTTimecode, "FORMAT_QTTimecode"},
};
} // namespace

std::string GuidString(const GUID& guid)
{
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
                  guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}

const char* MediaGuidName(const GUID& guid)
{
    for (const NamedGuid& named : kNames)
        if (IsEqualGUID(*named.guid, guid))
            return named.name;
    return nullptr;
}
