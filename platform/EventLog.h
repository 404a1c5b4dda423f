// The native build's event log: RegisterEventSourceW, ReportEventW and
// DeregisterEventSource write to the system log (syslog, facility user, the
// source's name before the text). While a CEventLogCapture exists, events go
// to it instead of the system log, so tests can read them back.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

struct EventLogEntry
{
    std::wstring source;
    WORD type = 0;
    std::wstring text; // the event's strings joined with line feeds
};

class CEventLogCapture
{
public:
    CEventLogCapture();
    ~CEventLogCapture();
    CEventLogCapture(const CEventLogCapture&) = delete;
    CEventLogCapture& operator=(const CEventLogCapture&) = delete;

    // Makes ReportEventW fail (FALSE) while set, as a full or closed log would.
    void SetRefuse(bool refuse);
    bool Refuses() const;

    void Add(EventLogEntry entry);
    std::vector<EventLogEntry> Events() const;

private:
    mutable std::mutex m_lock;
    std::vector<EventLogEntry> m_events;
    bool m_refuse = false;
};
