#include "diagnostics/EntryPointBase.h"

#include <memory>
#include <string>

#include "diagnostics/SystemEventText.h"
#include "framework/FormatWide.h"

namespace {

struct EventSourceCloser
{
    void operator()(void* eventLog) const { (void)DeregisterEventSource(eventLog); }
};
using EventSourceHandle = std::unique_ptr<void, EventSourceCloser>;

} // namespace

CEntryPointBase::CEntryPointBase()
    : m_name{}, m_sourceFile{}, m_line(-1), m_startTick(GetTickCount()), m_timeStamp{}, m_logged(FALSE), m_result(0)
{
}

void CEntryPointBase::FormatNameV(const wchar_t* format, va_list args)
{
    (void)FormatWideV(m_name, kEntryNameChars, format, args);
}

void CEntryPointBase::TakeTimeStamp()
{
    GetLocalTime(&m_timeStamp);
}

long CEntryPointBase::LogSystemEvent(const wchar_t* source, WORD type, long hr, const wchar_t* file, int line,
                                     const wchar_t* format, ...)
{
    m_result = AsResult(hr);
    m_logged = TRUE;
    TakeTimeStamp();
    wchar_t message[kSystemEventMessageChars];
    va_list args;
    va_start(args, format);
    (void)FormatWideV(message, kSystemEventMessageChars, format, args);
    va_end(args);
    const std::wstring text = ComposeSystemEventText(type, message, m_name, file, line, m_result);

    EventSourceHandle eventLog(RegisterEventSourceW(nullptr, source));
    if (!eventLog)
        return E_FAIL;
    LPCWSTR strings[1] = {text.c_str()};
    const BOOL reported = ReportEventW(eventLog.get(), type, 0, 0, nullptr, 1, 0, strings, nullptr);
    return reported ? S_OK : E_FAIL;
}
