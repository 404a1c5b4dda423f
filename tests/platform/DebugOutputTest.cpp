#include "framework/DebugPrint.h"
#include "platform/DebugOutput.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>


TEST(DebugOutput, ReachesListenersOnlyWhileTheyListen)
{
    OutputDebugStringW(L"before\n");
    {
        CDebugOutputCapture capture;
        EXPECT_TRUE(IsDebugOutputWanted());
        OutputDebugStringW(L"first\n");
        DebugPrintW(L"Track %d: 0x%x [%s] SSz = %d\n", 1, 0x20637664, L"dvc ", 120000);
        EXPECT_EQ(capture.Lines(), (std::vector<std::wstring>{L"first\n", L"Track 1: 0x20637664 [dvc ] SSz = 120000\n"}));
        EXPECT_FALSE(capture.Contains(L"before"));
    }
    CDebugOutputCapture later;
    OutputDebugStringW(L"after\n");
    EXPECT_EQ(later.Count(L"after"), 1u);
}

TEST(DebugOutput, ConcurrentWritersLoseNoLine)
{
    CDebugOutputCapture capture;
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([t] {
            for (int i = 0; i < 200; ++i)
                DebugPrintW(L"writer %d line %d\n", t, i);
        });
    for (std::thread& w : writers)
        w.join();
    EXPECT_EQ(capture.Lines().size(), 800u);
    EXPECT_EQ(capture.Count(L"writer 3 line 199\n"), 1u);
}
