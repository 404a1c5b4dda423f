// The GUIDs of the media types tracks offer: the platform's constants, the
// four-character-code GUID rule, and the subtype private to this filter.
#pragma once

#include <windows.h>

#include <uuids.h>

#include <cstdint>

#include "quicktime/FourCC.h"

// {code-0000-0010-8000-00AA00389B71}: the media framework's GUID for a
// four-character code (first character in the lowest byte of Data1).
constexpr GUID FourCCGuid(uint32_t code)
{
    return GUID{code, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}

// Subtype of a QuickTime timecode track, {46435451-0000-0010-8000-00AA00389B71}
// ("QTCF"). Only this filter's timecode pin offers it; the platform has no name for it.
inline constexpr GUID MEDIASUBTYPE_QTTimecode = FourCCGuid(FourCC::Qtcf);
