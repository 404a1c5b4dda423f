// The platform pieces diagnostics stands on: event-log records, _com_error
// message texts, local time and the tick count.
#include <gtest/gtest.h>

#include <comdef.h>

#include <ctime>

#include "diagnostics/EntryPoint.h"
#include "diagnostics/SystemEventText.h"
#include "framework/Win32Result.h"
#include "framework/posix/EventLog.h"

namespace {

TEST(SystemEvent, ErrorEventsNameTheMethodAndPlace)
{
    EXPECT_EQ(L"disk gone\r\n  ->CInputPin::ReadOffset\r\nC:\\src\\inpin.cpp(41) : Error 0x80070015",
              ComposeSystemEventText(EVENTLOG_ERROR_TYPE, L"disk gone", L"CInputPin::ReadOffset",
                                     L"C:\\src\\inpin.cpp", 41, static_cast<long>(0x80070015)));
    EXPECT_EQ(L"just so", ComposeSystemEventText(EVENTLOG_WARNING_TYPE, L"just so", L"X::Y", L"f", 1, E_FAIL));
}

TEST(SystemEvent, LogSystemEventReportsOneEventAndFailsWhenTheLogDoes)
{
    CEventLogCapture capture;
    CEntryPoint tracer(L"CRZQTFileParser::Run");
    EXPECT_EQ(S_OK, tracer.LogSystemEvent(L"Ostrivel", EVENTLOG_ERROR_TYPE, E_FAIL, L"RZQTFileParser", 9,
                                          L"%d tracks", 3));
    EXPECT_EQ(E_FAIL, tracer.Result());
    EXPECT_FALSE(tracer.IsUnlogged());
    auto events = capture.Events();
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(L"Ostrivel", events[0].source);
    EXPECT_EQ(EVENTLOG_ERROR_TYPE, events[0].type);
    EXPECT_EQ(L"3 tracks\r\n  ->CRZQTFileParser::Run\r\nRZQTFileParser(9) : Error 0x80004005", events[0].text);

    const std::wstring longMessage(2000, L'w');
    EXPECT_EQ(S_OK, tracer.LogSystemEvent(L"Ostrivel", EVENTLOG_INFORMATION_TYPE, S_OK, nullptr, 0, L"%s",
                                          longMessage.c_str()));
    events = capture.Events();
    ASSERT_EQ(2u, events.size());
    EXPECT_EQ(std::wstring(1023, L'w'), events[1].text);

    EXPECT_EQ(E_FAIL, tracer.LogSystemEvent(nullptr, EVENTLOG_ERROR_TYPE, E_FAIL, L"f", 1, L"m"));
    EXPECT_EQ(E_FAIL, tracer.LogSystemEvent(L"", EVENTLOG_ERROR_TYPE, E_FAIL, L"f", 1, L"m"));
    capture.SetRefuse(true);
    EXPECT_EQ(E_FAIL, tracer.LogSystemEvent(L"Ostrivel", EVENTLOG_WARNING_TYPE, E_FAIL, L"f", 1, L"m"));
    EXPECT_EQ(2u, capture.Events().size());
}

TEST(SystemEvent, EventSourceHandlesAreChecked)
{
    EXPECT_EQ(nullptr, RegisterEventSourceW(L"\\\\elsewhere", L"Ostrivel"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    int notAHandle = 0;
    LPCWSTR strings[1] = {L"x"};
    EXPECT_FALSE(ReportEventW(&notAHandle, EVENTLOG_ERROR_TYPE, 0, 0, nullptr, 1, 0, strings, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    HANDLE log = RegisterEventSourceW(nullptr, L"Ostrivel");
    ASSERT_NE(nullptr, log);
    EXPECT_TRUE(DeregisterEventSource(log));
    EXPECT_FALSE(DeregisterEventSource(log)); // closed twice
}

TEST(ComError, MessageTextFollowsThePlatformRule)
{
    EXPECT_STREQ(L"Unspecified error", _com_error(E_FAIL).ErrorMessage());
    EXPECT_STREQ(L"The parameter is incorrect.", _com_error(E_INVALIDARG).ErrorMessage());
    // No system text: the IDispatch range above 0x80040200, else the value.
    EXPECT_STREQ(L"IDispatch error #1", _com_error(static_cast<HRESULT>(0x80040201)).ErrorMessage());
    EXPECT_STREQ(L"IDispatch error #65023", _com_error(static_cast<HRESULT>(0x8004FFFF)).ErrorMessage());
    EXPECT_STREQ(L"Unknown error 0x80040200", _com_error(static_cast<HRESULT>(0x80040200)).ErrorMessage());
    EXPECT_STREQ(L"Unknown error 0x80050000", _com_error(static_cast<HRESULT>(0x80050000)).ErrorMessage());
    EXPECT_STREQ(L"Unknown error 0x1234", _com_error(static_cast<HRESULT>(0x1234)).ErrorMessage());
    EXPECT_EQ(0, _com_error(static_cast<HRESULT>(0x80040200)).WCode());
    try
    {
        _com_issue_error(E_POINTER);
    }
    catch (const _com_error& e)
    {
        EXPECT_EQ(E_POINTER, e.Error());
        EXPECT_STREQ(L"Invalid pointer", e.ErrorMessage());
    }
}

TEST(Win32Pieces, LastErrorBecomesAnHResultByTheOneRule)
{
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(E_ACCESSDENIED, HResultFromLastError());
    SetLastError(0x12345); // only the low 16 bits survive
    EXPECT_EQ(static_cast<HRESULT>(0x80072345), HResultFromLastError());
    SetLastError(0);
    EXPECT_EQ(S_OK, HResultFromLastError());
    SetLastError(static_cast<DWORD>(E_FAIL)); // already an HRESULT
    EXPECT_EQ(E_FAIL, HResultFromLastError());
}

TEST(Win32Pieces, LocalTimeAndTickCountAgreeWithTheClock)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    SYSTEMTIME t{};
    GetLocalTime(&t);
    EXPECT_EQ(local.tm_year + 1900, t.wYear);
    EXPECT_EQ(local.tm_mon + 1, t.wMonth);
    EXPECT_EQ(local.tm_wday, t.wDayOfWeek);
    EXPECT_LT(t.wMilliseconds, 1000);

    const DWORD before = GetTickCount();
    const ULONGLONG before64 = GetTickCount64();
    EXPECT_LT(static_cast<DWORD>(before64) - before, 1000u); // one clock, the 32-bit count is its low part
    EXPECT_LE(before64, GetTickCount64());
    EXPECT_LT(static_cast<DWORD>(GetTickCount() - before), 10000u);
}

} // namespace
