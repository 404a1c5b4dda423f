#include "tools/MediaTypeNames.h"

#include <objbase.h>
#include <uuids.h>

#include "pins/TimecodeFormat.h"
#include "tools/WideText.h"

namespace
{
struct NamedGuid
{
    const GUID* guid;
    const char* name;
};

// The platform's names for the GUIDs a track's media type can hold: the
// fixed ones, the four-character codes the platform names itself, and the
// format types of the output pins (the timecode one is this filter's own);
// and those of the types the filter registers its pins with.
const NamedGuid kNames[] = {
    {&GUID_NULL, "GUID_NULL"},
    {&MEDIATYPE_Video, "MEDIATYPE_Video"},
    {&MEDIATYPE_Audio, "MEDIATYPE_Audio"},
    {&MEDIATYPE_Timecode, "MEDIATYPE_Timecode"},
    {&MEDIATYPE_Text, "MEDIATYPE_Text"},
    {&MEDIATYPE_Stream, "MEDIATYPE_Stream"},
    {&MEDIASUBTYPE_None, "MEDIASUBTYPE_None"},
    {&MEDIASUBTYPE_MPEG2_VIDEO, "MEDIASUBTYPE_MPEG2_VIDEO"},
    {&MEDIASUBTYPE_MPEG1AudioPayload, "MEDIASUBTYPE_MPEG1AudioPayload"},
    {&MEDIASUBTYPE_DOLBY_AC3, "MEDIASUBTYPE_DOLBY_AC3"},
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
    wchar_t text[40];
    return StringFromGUID2(guid, text, 40) ? ToUtf8(text) : std::string();
}

const char* MediaGuidName(const GUID& guid)
{
    for (const NamedGuid& named : kNames)
        if (IsEqualGUID(*named.guid, guid))
            return named.name;
    return nullptr;
}
