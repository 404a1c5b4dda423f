// Native stand-in for <amvideo.h>: the FORMAT_VideoInfo format block.
#pragma once

#include "strmif.h"

// 88 bytes; palette or colour masks, when any, follow bmiHeader.
typedef struct tagVIDEOINFOHEADER
{
    RECT rcSource;
    RECT rcTarget;
    DWORD dwBitRate;      // bits per second
    DWORD dwBitErrorRate; // bit errors per second
    REFERENCE_TIME AvgTimePerFrame;
    BITMAPINFOHEADER bmiHeader;
} VIDEOINFOHEADER;
