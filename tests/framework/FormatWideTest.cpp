#include "framework/FormatWide.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(FormatWide, AcceptsThePlatformConventions)
{
    // 64-bit values through %I64x / %I64u / %I64d, wide strings through %s.
    EXPECT_EQ(FormatWideString(L" GNA: 0x%I64x, 0x%I64x", int64_t(0x123456789A), int64_t(-1)),
              L" GNA: 0x123456789a, 0xffffffffffffffff");
    EXPECT_EQ(FormatWideString(L"%I64u|%I64d", uint64_t(18446744073709551615ull), int64_t(-5)),
              L"18446744073709551615|-5");
    EXPECT_EQ(FormatWideString(L"ParseMovie %s", L"moov"), L"ParseMovie moov");
    EXPECT_EQ(FormatWideString(L"[%S]", "narrow"), L"[narrow]");
    EXPECT_EQ(FormatWideString(L"%c%c", L'd', L'v'), L"dv");
    // "l" on an integer is 32-bit, as for the platform's LONG and HRESULT.
    EXPECT_EQ(FormatWideString(L"Unknown error 0x%0lX", int32_t(0x80004005)), L"Unknown error 0x80004005");
    EXPECT_EQ(FormatWideString(L"%ld %%", int32_t(-7)), L"-7 %");
    EXPECT_EQ(FormatWideString(L"frate %f", 29.97), L"frate 29.970000");
    EXPECT_EQ(FormatWideString(L"%-4d|%04x", 7, 0xab), L"7   |00ab");
}

TEST(FormatWide, CutsToTheBufferAndAlwaysTerminates)
{
    wchar_t buffer[8];
    EXPECT_EQ(FormatWide(buffer, 8, L"%s", L"0123456789"), 7u);
    EXPECT_EQ(std::wstring(buffer), L"0123456");
    EXPECT_EQ(FormatWide(buffer, 1, L"abc"), 0u);
    EXPECT_EQ(buffer[0], L'\0');

    // Longer than any first guess at a buffer: nothing is lost unbounded.
    const std::wstring big(5000, L'x');
    EXPECT_EQ(FormatWideString(L"<%s>", big.c_str()).size(), 5002u);
}
