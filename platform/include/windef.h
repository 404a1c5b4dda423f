// Native stand-in for <windef.h>: rectangles (32-bit signed edges, right and
// bottom exclusive).
#pragma once

typedef struct tagRECT
{
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECT, *PRECT, *LPRECT;
typedef const RECT* LPCRECT;
