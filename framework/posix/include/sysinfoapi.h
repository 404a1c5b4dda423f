// Native stand-in: time and tick count (GetTickCount, GetLocalTime, SYSTEMTIME).
#pragma once
