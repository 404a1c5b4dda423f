// The registration data a filter module describes itself with, as the SDK
// names it: the filter, its pins and their media types, in the shapes the
// filter mapper takes (REGPINTYPES, REGFILTERPINS).
#pragma once

#include <windows.h>

#include <dshow.h>

typedef REGPINTYPES AMOVIESETUP_MEDIATYPE, *PAMOVIESETUP_MEDIATYPE, *LPAMOVIESETUP_MEDIATYPE;
typedef REGFILTERPINS AMOVIESETUP_PIN, *PAMOVIESETUP_PIN, *LPAMOVIESETUP_PIN;

typedef struct _AMOVIESETUP_FILTER
{
    const CLSID* clsID;
    const WCHAR* strName;
    DWORD dwMerit; // MERIT_*
    UINT nPins;
    const AMOVIESETUP_PIN* lpPin; // nPins entries
} AMOVIESETUP_FILTER, *PAMOVIESETUP_FILTER, *LPAMOVIESETUP_FILTER;
