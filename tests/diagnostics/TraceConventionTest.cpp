// The method convention end to end: failures raised or assigned several calls
// deep, the three catch clauses, and the source file the macros supply.
#include <gtest/gtest.h>

#include <string>

#include "diagnostics/MemoryJournal.h"
#include "diagnostics/TraceConvention.h"
#include "tests/diagnostics/TracedChain.h"

namespace {

class TraceConventionTest : public ::testing::Test
{
protected:
    CMemoryJournal journal;
    CJournalScope scope{journal};
    CTracedChain chain;
};

TEST_F(TraceConventionTest, SuccessLeavesNoRecord)
{
    EXPECT_EQ(S_FALSE, chain.Outer(ChainFailure::None));
    EXPECT_TRUE(journal.Records().empty());
}

TEST_F(TraceConventionTest, FailureRaisedThreeCallsDeepLeavesOneChainInnermostFirst)
{
    const HRESULT result = chain.Outer(ChainFailure::Raise);
    const auto records = journal.Records();
    ASSERT_EQ(4u, records.size());

    const JournalRecord& error = records[0];
    EXPECT_EQ(JournalRecordType::Record, error.type);
    EXPECT_EQ(JOURNAL_KIND_ERROR, error.kind);
    EXPECT_EQ(static_cast<long>(E_INVALIDARG), error.result);
    EXPECT_EQ(L"Sample 7 of track 2 is out of range", error.text);
    EXPECT_EQ(L"TracedChain", error.file);
    EXPECT_EQ(chain.raiseLine, error.line);

    const wchar_t* expectedNames[] = {L"CTracedChain::Inner", L"CTracedChain::Middle", L"CTracedChain::Outer"};
    for (size_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(JournalRecordType::EntryPoint, records[i + 1].type);
        EXPECT_EQ(expectedNames[i], records[i + 1].text);
        EXPECT_EQ(error.chainId, records[i + 1].chainId);
    }
    // The failure reaches the caller as its chain id, which leads back to the cause.
    EXPECT_EQ(error.chainId, result);
    EXPECT_LT(result, 0);
    EXPECT_EQ(E_INVALIDARG, JournalChainError(result));
}

TEST_F(TraceConventionTest, AssignedFailureWritesOnlyEntryRecordsAndReturnsItself)
{
    EXPECT_EQ(E_OUTOFMEMORY, chain.Outer(ChainFailure::Assign));
    const auto records = journal.Records();
    ASSERT_EQ(3u, records.size()); // catch (long) adds no error record for a logged entry
    for (const JournalRecord& r : records)
    {
        EXPECT_EQ(JournalRecordType::EntryPoint, r.type);
        EXPECT_EQ(static_cast<long>(E_OUTOFMEMORY), r.chainId);
    }
    EXPECT_EQ(E_OUTOFMEMORY, JournalChainError(E_OUTOFMEMORY));
}

TEST_F(TraceConventionTest, ForeignExceptionBecomesUnknownErrorAtTheHandler)
{
    const HRESULT result = chain.Inner(ChainFailure::Foreign);
    const auto records = journal.Records();
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ(static_cast<long>(E_FAIL), records[0].result);
    EXPECT_EQ(L"Unknown error", records[0].text);
    EXPECT_EQ(L"TracedChain", records[0].file); // the handler's own place
    EXPECT_GT(records[0].line, 0);
    EXPECT_EQ(E_FAIL, JournalChainError(result));
}

TEST_F(TraceConventionTest, ComErrorIsLoggedWithItsMessage)
{
    const HRESULT result = chain.Middle(ChainFailure::ComError);
    const auto records = journal.Records();
    ASSERT_EQ(3u, records.size());
    EXPECT_EQ(static_cast<long>(E_NOTIMPL), records[0].result);
    EXPECT_EQ(L"Not implemented", records[0].text);
    EXPECT_EQ(L"CTracedChain::Inner", records[1].text);
    EXPECT_EQ(L"CTracedChain::Middle", records[2].text);
    EXPECT_EQ(E_NOTIMPL, JournalChainError(result));
}

// The clauses on their own, for entries in the states a method can leave them.
HRESULT ThrowIntoClauses(CEntryPoint& tracer, int what)
{
    try
    {
        if (what == 0)
            throw static_cast<long>(E_HANDLE); // a thrown long that nobody logged
        if (what == 1)
            RaiseError(tracer, E_ABORT, L"a\\b\\raised.cpp", 41, L"first");
        if (what == 2)
            throw _com_error(static_cast<HRESULT>(0x80040265));
        throw 5;
    }
    QTP_CATCH_ALL(tracer)
    return tracer.Result();
}

TEST_F(TraceConventionTest, UnloggedLongIsLoggedAsUnknownError)
{
    CEntryPoint tracer(L"T::Unlogged");
    const HRESULT result = ThrowIntoClauses(tracer, 0);
    const auto records = journal.Records();
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ(static_cast<long>(E_HANDLE), records[0].result);
    EXPECT_EQ(L"Unknown error", records[0].text);
    EXPECT_EQ(E_HANDLE, JournalChainError(result));
}

TEST_F(TraceConventionTest, ComErrorAfterALoggedErrorLogsAgainAtTheRecordedPlace)
{
    CEntryPoint tracer(L"T::Twice");
    (void)ThrowIntoClauses(tracer, 1);
    ASSERT_EQ(2u, journal.Records().size());
    const HRESULT result = ThrowIntoClauses(tracer, 2);
    const auto records = journal.Records();
    ASSERT_EQ(4u, records.size());
    EXPECT_EQ(L"IDispatch error #101", records[2].text); // 0x80040265 - 0x80040200
    EXPECT_EQ(L"raised.cpp", records[2].file);
    EXPECT_EQ(41, records[2].line);
    EXPECT_NE(records[0].chainId, records[2].chainId);
    EXPECT_EQ(static_cast<HRESULT>(0x80040265), JournalChainError(result));
}

TEST_F(TraceConventionTest, CatchAllLogsEvenALoggedEntry)
{
    CEntryPoint tracer(L"T::Any");
    (void)ThrowIntoClauses(tracer, 1);
    const HRESULT result = ThrowIntoClauses(tracer, 3);
    const auto records = journal.Records();
    ASSERT_EQ(4u, records.size());
    EXPECT_EQ(static_cast<long>(E_FAIL), records[2].result);
    EXPECT_EQ(L"Unknown error", records[2].text);
    EXPECT_EQ(E_FAIL, JournalChainError(result));
}

TEST_F(TraceConventionTest, RaisedMessageIsFinishedTextAndCut)
{
    CEntryPoint tracer;
    const std::wstring longText(600, L'%');
    EXPECT_THROW(RaiseError(tracer, E_FAIL, L"f", 1, L"%s", longText.c_str()), long);
    const auto records = journal.Records();
    ASSERT_EQ(6u, records.size()); // 511 characters: five pieces and the entry
    EXPECT_EQ(std::wstring(3, L'%'), records[4].text);
}

TEST(SourceFileName, KeepsTheBaseNameWithoutFoldersOrExtension)
{
    EXPECT_STREQ(L"RZQTFileParser", MakeSourceBaseName(L"/src/filter/RZQTFileParser.cpp").text);
    EXPECT_STREQ(L"inpin", MakeSourceBaseName(L"C:\\src\\pins\\inpin.cpp").text);
    EXPECT_STREQ(L"outpin", MakeSourceBaseName(L"pins/sub\\outpin.cpp").text);
    EXPECT_STREQ(L"a.b", MakeSourceBaseName(L"x/a.b.cpp").text);
    EXPECT_STREQ(L"Makefile", MakeSourceBaseName(L"Makefile").text);
    EXPECT_STREQ(L".hidden", MakeSourceBaseName(L"dir/.hidden").text);
    EXPECT_STREQ(L"", MakeSourceBaseName(L"dir/").text);
    EXPECT_STREQ(L"TraceConventionTest", QTP_SOURCE_FILE);
}

} // namespace
