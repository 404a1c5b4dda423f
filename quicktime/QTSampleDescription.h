// What the first sample description ("stsd") of a track says about how its
// samples are coded. Which of the per-kind parts is filled depends on the
// track kind; the others keep their starting values.
#pragma once

#include <windows.h>

#include <cstdint>

struct QTSampleDescription
{
    DWORD count = 0;         // entries in "stsd" (only the first is read)
    LONG size = 0;           // bytes of the first description
    uint32_t formatCode = 0; // data format, first character in the lowest byte
};

struct QTVideoFormat
{
    DWORD width = 0;  // pixels
    DWORD height = 0; // pixels
    // Display (not pixel) aspect ratio, 4:3 or 16:9; 0:0 when the file gives
    // none that is recognised.
    DWORD pictureAspectX = 0;
    DWORD pictureAspectY = 0;
};

struct QTSoundFormat
{
    DWORD channels = 1;
    DWORD bytesPerSample = 0;
    DWORD sampleRate = 0; // samples per second, integer part
};

struct QTTimecodeFormat
{
    DWORD flags = 0;
    DWORD frameDuration = 0; // in the timecode's own time scale units
    LONG frameCount = 0;     // frames per second, a signed 8-bit value widened
};
