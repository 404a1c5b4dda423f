// The event-log record of a tracer, and the platform pieces diagnostics
// stands on: _com_error message texts, local time and ticks.
#include <gtest/gtest.h>

#include <comdef.h>

#include <ctime>

#include "diagnostics/EntryPoint.h"
#include "platform/EventLog.h"

namespace {

TEST(SystemEvent, OneEventNamesTheMethodAndPlaceOfAnErrorAndFailsWhenTheLogDoes)
{
    CEventLogCapture capture;
    CEntryPoint tracer(L"CRZQTFileParser::Run");
    EXPECT_EQ(S_OK, tracer.LogSystemEvent(L"Ostrivel", EVENTLOG_ERROR_TYPE, E_FAIL, L"RZQTFileParser", 9,
                                          L"%d tracks", 3));
    EXPECT_EQ(E_FAIL, tracer.Result());
    EXPECT_FALSE(tracer.IsUnlogged());
    // Any other type: the message alone, cut to 1023 characters.
    const std::wstring longMessage(2000, L'w');
    EXPECT_EQ(S_OK, tracer.LogSystemEvent(L"Ostrivel", EVENTLOG_INFORMATION_TYPE, S_OK, nullptr, 0, L"%s",
                                          longMessage.c_str()));
    auto events = capture.Events();
    ASSERT_EQ(2u, events.size());
    EXPECT_EQ(L"Ostrivel", events[0].source);
    EXPECT_EQ(EVENTLOG_ERROR_TYPE, events[0].type);
    EXPECT_EQ(L"3 tracks\r\n  ->CRZQTFileParser::Run\r\nRZQTFileParser(9) : Error 0x80004005", events[0].text);
    EXPECT_EQ(std::wstring(1023, L'w'), events[1].text);

    EXPECT_EQ(E_FAIL, tracer.LogSystemEvent(nullptr, EVENTLOG_ERROR_TYPE, E_FAIL, L"f", 1, L"m"));
    capture.SetRefuse(true);
    EXPECT_EQ(E_FAIL, tracer.LogSystemEvent(L"Ostrivel", EVENTLOG_WARNING_TYPE, E_FAIL, L"f", 1, L"m"));
    EXPECT_EQ(2u, capture.Events().size());
}

TEST(ComError, MessageTextFollowsThePlatformRule)
{
    const struct { uint32_t hr; const wchar_t* text; } cases[] = {
        {0x80004005, L"Unspecified error"},
        {0x80070057, L"The parameter is incorrect."},
        // No system text: the IDispatch range above 0x80040200, else the value.
        {0x80040201, L"IDispatch error #1"},
        {0x8004FFFF, L"IDispatch error #65023"},
        {0x80040200, L"Unknown error 0x80040200"},
        {0x80050000, L"Unknown error 0x80050000"},
        {0x1234, L"Unknown error 0x1234"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.text, _com_error(static_cast<HRESULT>(c.hr)).ErrorMessage());
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
    EXPECT_LT(static_cast<DWORD>(GetTickCount64()) - before, 1000u); // one clock, the 32-bit count its low part
}

} // namespace
