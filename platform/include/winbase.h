// Native stand-in for the event log of <winbase.h>. Events go to the system
// log (syslog) under the source's name; platform/EventLog.h lets tests
// take them instead.
#pragma once

typedef void* PSID;

#define EVENTLOG_SUCCESS 0x0000
#define EVENTLOG_ERROR_TYPE 0x0001
#define EVENTLOG_WARNING_TYPE 0x0002
#define EVENTLOG_INFORMATION_TYPE 0x0004
#define EVENTLOG_AUDIT_SUCCESS 0x0008
#define EVENTLOG_AUDIT_FAILURE 0x0010

// Opens the event source sourceName on the local machine (serverName null or
// empty). Null with ERROR_INVALID_PARAMETER for a missing source name, and
// with ERROR_ACCESS_DENIED for another machine. Close with DeregisterEventSource.
HANDLE RegisterEventSourceW(LPCWSTR serverName, LPCWSTR sourceName);

// Reports one event: its strings are joined with line feeds into one system
// log message with a priority from type. Category, identifier, user and raw
// data are accepted and not kept. FALSE with ERROR_INVALID_HANDLE for a
// handle not from RegisterEventSourceW, ERROR_INVALID_PARAMETER for missing strings.
BOOL ReportEventW(HANDLE eventLog, WORD type, WORD category, DWORD eventId, PSID userSid, WORD numStrings,
                  DWORD dataSize, LPCWSTR* strings, LPVOID rawData);

BOOL DeregisterEventSource(HANDLE eventLog);
