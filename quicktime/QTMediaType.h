// The media type under which a track's samples are offered, derived from the
// track kind, its format code and its media time scale.
#pragma once

#include <windows.h>

struct QTMediaType
{
    GUID majorType = GUID_NULL;
    GUID subtype = GUID_NULL;
    DWORD bitRate = 0;     // video, megabits per second (25 or 50)
    double frameRate = 0;  // video, frames per second
};
