#include "platform/EventLog.h"

#include <syslog.h>

#include <memory>
#include <set>

#include "framework/Utf8.h"

namespace {

// What an event source handle points to.
struct EventSource
{
    std::wstring name;
};

// Live event sources and captures; one lock for both.
struct EventLogState
{
    std::mutex lock;
    std::set<EventSource*> sources;       // owned; freed by DeregisterEventSource
    std::vector<CEventLogCapture*> captures; // not owned; the latest takes the events
};

EventLogState& State()
{
    static EventLogState state;
    return state;
}

int SyslogPriority(WORD type)
{
    switch (type)
    {
    case EVENTLOG_ERROR_TYPE:
        return LOG_ERR;
    case EVENTLOG_WARNING_TYPE:
    case EVENTLOG_AUDIT_FAILURE:
        return LOG_WARNING;
    default:
        return LOG_INFO;
    }
}

} // namespace

CEventLogCapture::CEventLogCapture()
{
    std::lock_guard<std::mutex> hold(State().lock);
    State().captures.push_back(this);
}

CEventLogCapture::~CEventLogCapture()
{
    std::lock_guard<std::mutex> hold(State().lock);
    auto& captures = State().captures;
    for (auto it = captures.begin(); it != captures.end(); ++it)
        if (*it == this)
        {
            captures.erase(it);
            break;
        }
}

void CEventLogCapture::SetRefuse(bool refuse)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_refuse = refuse;
}

bool CEventLogCapture::Refuses() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_refuse;
}

void CEventLogCapture::Add(EventLogEntry entry)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_events.push_back(std::move(entry));
}

std::vector<EventLogEntry> CEventLogCapture::Events() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_events;
}

HANDLE RegisterEventSourceW(LPCWSTR serverName, LPCWSTR sourceName)
{
    if (serverName && *serverName)
    {
        SetLastError(ERROR_ACCESS_DENIED); // no remote machines here
        return nullptr;
    }
    if (!sourceName || !*sourceName)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::unique_ptr<EventSource> source(new (std::nothrow) EventSource);
    if (!source)
    {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    source->name = sourceName;
    std::lock_guard<std::mutex> hold(State().lock);
    State().sources.insert(source.get());
    return source.release();
}

BOOL ReportEventW(HANDLE eventLog, WORD type, WORD /*category*/, DWORD /*eventId*/, PSID /*userSid*/,
                  WORD numStrings, DWORD /*dataSize*/, LPCWSTR* strings, LPVOID /*rawData*/)
{
    if (numStrings > 0 && !strings)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::wstring text;
    for (WORD i = 0; i < numStrings; ++i)
    {
        if (i > 0)
            text += L'\n';
        if (strings[i])
            text += strings[i];
    }
    EventLogState& state = State();
    std::lock_guard<std::mutex> hold(state.lock);
    auto found = state.sources.find(static_cast<EventSource*>(eventLog));
    if (found == state.sources.end())
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!state.captures.empty())
    {
        CEventLogCapture* capture = state.captures.back();
        if (capture->Refuses())
            return FALSE;
        capture->Add(EventLogEntry{(*found)->name, type, std::move(text)});
        return TRUE;
    }
    // The application's own openlog() settings stay untouched: the source
    // goes into the message instead of the identity.
    syslog(LOG_USER | SyslogPriority(type), "%s: %s", WideToUtf8((*found)->name).c_str(),
           WideToUtf8(text).c_str());
    return TRUE;
}

BOOL DeregisterEventSource(HANDLE eventLog)
{
    EventSource* source = static_cast<EventSource*>(eventLog);
    {
        std::lock_guard<std::mutex> hold(State().lock);
        if (State().sources.erase(source) == 0)
        {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
    }
    delete source;
    return TRUE;
}
