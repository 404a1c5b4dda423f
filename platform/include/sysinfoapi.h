// Native stand-in for <sysinfoapi.h>: local time and the system tick count.
// Included by windows.h after the basic types.
#pragma once

typedef struct _SYSTEMTIME
{
    WORD wYear;
    WORD wMonth;     // 1-based: January is 1
    WORD wDayOfWeek; // 0 is Sunday
    WORD wDay;       // 1-based day of the month
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
} SYSTEMTIME, *PSYSTEMTIME, *LPSYSTEMTIME;

// Milliseconds since the system started, counting time asleep. Wraps after
// 49.7 days, so take durations as unsigned 32-bit differences.
DWORD GetTickCount();
ULONGLONG GetTickCount64();

// The current local date and time, to the millisecond.
void GetLocalTime(LPSYSTEMTIME time);
