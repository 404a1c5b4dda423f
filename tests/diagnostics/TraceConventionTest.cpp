// The method convention end to end: each kind of failure three calls deep,
// the catch clauses on entries that logged before or not, and the source
// file the macros supply.
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
};

// A failure leaves one chain: an error record where it was raised or caught
// (none for an assigned failure, logged already by the assignment), then one
// entry-point record per method on the way up, innermost first. The caller
// gets the chain id, which leads back to the cause.
TEST_F(TraceConventionTest, FailureThreeCallsDeepLeavesOneChainInnermostFirst)
{
    // The error record's text; null for none.
    EXPECT_EQ(S_FALSE, CTracedChain().Outer(ChainFailure::None)); // successes neither log nor throw
    EXPECT_TRUE(journal.Records().empty());
    const struct { ChainFailure failure; HRESULT root; const wchar_t* error; } cases[] = {
        {ChainFailure::Raise, E_INVALIDARG, L"Sample 7 of track 2 is out of range"},
        {ChainFailure::Assign, E_OUTOFMEMORY, nullptr},
        {ChainFailure::Foreign, E_FAIL, L"Unknown error"},
        {ChainFailure::ComError, E_NOTIMPL, L"Not implemented"},
    };
    const wchar_t* names[] = {L"CTracedChain::Inner", L"CTracedChain::Middle", L"CTracedChain::Outer"};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(static_cast<int>(c.failure));
        journal.Clear();
        CTracedChain chain;
        const HRESULT result = chain.Outer(c.failure);
        EXPECT_EQ(c.root, JournalChainError(result));
        const auto records = journal.Records();
        const size_t errors = c.error ? 1 : 0;
        ASSERT_EQ(errors + 3, records.size());
        for (size_t i = 0; i < records.size(); ++i)
        {
            EXPECT_EQ(result, records[i].chainId);
            if (i >= errors)
            {
                EXPECT_EQ(JournalRecordType::EntryPoint, records[i].type);
                EXPECT_EQ(names[i - errors], records[i].text);
            }
        }
        if (!c.error)
            continue;
        EXPECT_NE(c.root, result); // a new chain, not the cause itself
        EXPECT_EQ(JOURNAL_KIND_ERROR, records[0].kind);
        EXPECT_EQ(static_cast<long>(c.root), records[0].result);
        EXPECT_GE(records[0].time.wYear, 2020);
        EXPECT_LT(records[0].elapsedMs, 60000u);
        EXPECT_EQ(c.error, records[0].text);
        EXPECT_EQ(L"TracedChain", records[0].file);
        if (c.failure == ChainFailure::Raise)
            EXPECT_EQ(chain.raiseLine, records[0].line);
        else
            EXPECT_GT(records[0].line, chain.raiseLine); // the handler's own line
    }
}

enum Throw { Raised, Long, ComError, Other };

HRESULT ThrowIntoClauses(CEntryPoint& tracer, Throw what)
{
    try
    {
        if (what == Raised)
            RaiseError(tracer, E_ABORT, L"a\\b\\raised.cpp", 41, L"first");
        if (what == Long)
            throw static_cast<long>(E_HANDLE);
        if (what == ComError)
            throw _com_error(static_cast<HRESULT>(0x80040265));
        throw 5;
    }
    QTP_CATCH_ALL(tracer)
    return tracer.Result();
}

// catch (long) logs only an entry not logged yet; the _com_error and catch-all
// clauses log whatever the entry did before, at the place it recorded. (An
// unlogged entry meeting the other two: see the chains above.)
TEST_F(TraceConventionTest, ClausesLogAtTheRecordedPlaceOrTheHandlers)
{
    const struct { bool raisedBefore; Throw what; HRESULT root; const wchar_t* error; } cases[] = {
        {false, Long, E_HANDLE, L"Unknown error"},
        {true, Long, E_HANDLE, nullptr},
        {true, ComError, static_cast<HRESULT>(0x80040265), L"IDispatch error #101"},
        {true, Other, E_FAIL, L"Unknown error"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        journal.Clear();
        CEntryPoint tracer(L"T::M");
        if (c.raisedBefore)
            (void)ThrowIntoClauses(tracer, Raised);
        const size_t before = journal.Records().size();
        const HRESULT result = ThrowIntoClauses(tracer, c.what);
        EXPECT_EQ(c.root, JournalChainError(result));
        const auto records = journal.Records();
        ASSERT_EQ(before + (c.error ? 2 : 0), records.size());
        if (!c.error)
            continue;
        const JournalRecord& error = records[before];
        EXPECT_EQ(c.error, error.text);
        EXPECT_EQ(static_cast<long>(c.root), error.result);
        EXPECT_EQ(result, error.chainId);
        EXPECT_EQ(c.raisedBefore ? L"raised.cpp" : L"TraceConventionTest", error.file);
        EXPECT_EQ(c.raisedBefore, error.line == 41);
    }
}

TEST(SourceFileName, KeepsTheBaseNameWithoutFoldersOrExtension)
{
    EXPECT_STREQ(L"RZQTFileParser", MakeSourceBaseName(L"/src/filter/RZQTFileParser.cpp").text);
    EXPECT_STREQ(L"outpin", MakeSourceBaseName(L"C:\\src/pins\\outpin.cpp").text);
    EXPECT_STREQ(L"a.b", MakeSourceBaseName(L"x/a.b.cpp").text);
    EXPECT_STREQ(L"Makefile", MakeSourceBaseName(L"Makefile").text);
    EXPECT_STREQ(L".hidden", MakeSourceBaseName(L"dir/.hidden").text);
    EXPECT_STREQ(L"", MakeSourceBaseName(L"dir/").text);
    EXPECT_STREQ(L"TraceConventionTest", QTP_SOURCE_FILE);
}

} // namespace
