// The timecode pin's format type and block, as a downstream filter (or
// qtgraph) reads them.
#pragma once

#include <windows.h>

// {B2ED09DE-1976-4B60-A9FD-D1FC309CA6C0}: the format type of a timecode pin.
inline constexpr GUID FORMAT_QTTimecode = {
    0xB2ED09DE, 0x1976, 0x4B60, {0xA9, 0xFD, 0xD1, 0xFC, 0x30, 0x9C, 0xA6, 0xC0}};

// The timecode pin's format block, 40 bytes in host byte order.
struct TimecodeFormatBlock
{
    DWORD version;         // 1
    DWORD dropFrame;       // 1 when the track's drop-frame flag (0x1) is set
    DWORD countingMode;    // 1 when the track's counter flag (0x8) is set, else 2
    DWORD padding;         // aligns the next field
    LONGLONG timeScale;    // the track's media time scale, units per second
    LONGLONG frameDuration; // timecode time-scale units per frame
    LONG framesPerSecond;  // the track's frame count
    DWORD startFrame;      // the first timecode value, read from the file
};
static_assert(sizeof(TimecodeFormatBlock) == 40, "the timecode format block is 40 bytes");
