// CEntryPoint's records: text limits, 127-character pieces, the source-file
// rule, assignments, messages and owner records, against an in-memory journal.
#include <gtest/gtest.h>

#include <string>

#include "diagnostics/EntryPoint.h"
#include "diagnostics/MemoryJournal.h"

namespace {

class EntryPointTest : public ::testing::Test
{
protected:
    std::vector<JournalRecord> Records() const { return journal.Records(); }
    std::vector<JournalRecord> OfType(JournalRecordType type) const
    {
        std::vector<JournalRecord> out;
        for (const JournalRecord& r : journal.Records())
            if (r.type == type)
                out.push_back(r);
        return out;
    }

    CMemoryJournal journal;
    CJournalScope scope{journal};
};

TEST_F(EntryPointTest, ConstructionStartsEmptyAndCutsTheNameAt127)
{
    CEntryPoint empty;
    EXPECT_STREQ(L"", empty.Name());
    EXPECT_STREQ(L"", empty.SourceFile());
    EXPECT_EQ(-1, empty.Line());
    EXPECT_EQ(S_OK, empty.Result());
    EXPECT_TRUE(empty.IsUnlogged());
    EXPECT_EQ(0, empty.ChainId());
    EXPECT_EQ(0u, empty.OwnerContext());

    CEntryPoint named(L"CTrack::Read%d", 7);
    EXPECT_STREQ(L"CTrack::Read7", named.Name());
    CEntryPoint longName(L"%s", std::wstring(300, L'n').c_str());
    EXPECT_EQ(std::wstring(127, L'n'), longName.Name());
    EXPECT_TRUE(Records().empty());
}

TEST_F(EntryPointTest, SuccessAssignmentsNeitherLogNorThrow)
{
    CEntryPoint tracer(L"A::B");
    EXPECT_NO_THROW(tracer = S_OK);
    EXPECT_NO_THROW(tracer = S_FALSE);
    EXPECT_EQ(S_FALSE, tracer.Result());
    EXPECT_EQ(S_FALSE, tracer.ChainId());
    EXPECT_TRUE(tracer.IsUnlogged());
    EXPECT_TRUE(Records().empty());
}

TEST_F(EntryPointTest, FailureAssignmentWritesOneEntryRecordAndThrowsANegativeLong)
{
    CEntryPoint tracer(L"A::B");
    long thrown = 0;
    try
    {
        tracer = E_OUTOFMEMORY;
        ADD_FAILURE() << "a failure must throw";
    }
    catch (long e)
    {
        thrown = e;
    }
    EXPECT_EQ(static_cast<long>(E_OUTOFMEMORY), thrown);
    EXPECT_LT(thrown, 0);
    EXPECT_FALSE(tracer.IsUnlogged());
    const auto records = Records();
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(JournalRecordType::EntryPoint, records[0].type);
    EXPECT_EQ(static_cast<long>(E_OUTOFMEMORY), records[0].result);
    EXPECT_EQ(L"A::B", records[0].text);
}

TEST_F(EntryPointTest, UnsignedFailureConstantStillCountsAsAFailure)
{
    // 0x80004005 written as an unsigned literal is a failure where long is
    // 32-bit; it must be one here too.
    CEntryPoint tracer;
    EXPECT_THROW(tracer = 0x80004005UL, long);
    EXPECT_EQ(E_FAIL, tracer.Result());
    EXPECT_TRUE(tracer.Failed());
}

TEST_F(EntryPointTest, ErrorMessageIsSplitIntoPiecesOf127)
{
    struct Case
    {
        size_t length;
        std::vector<size_t> pieces;
    };
    const Case cases[] = {
        {0, {}}, {1, {1}}, {127, {127}}, {128, {127, 1}}, {254, {127, 127}}, {600, {127, 127, 127, 127, 3}},
    };
    for (const Case& c : cases)
    {
        journal.Clear();
        std::wstring message;
        for (size_t i = 0; i < c.length; ++i)
            message += static_cast<wchar_t>(L'a' + i % 26);
        CEntryPoint tracer(L"T::M");
        EXPECT_EQ(S_OK, tracer.LogError(E_FAIL, L"file.cpp", 12, L"%s", message.c_str()));
        const auto errors = OfType(JournalRecordType::Record);
        ASSERT_EQ(c.pieces.size(), errors.size()) << "length " << c.length;
        std::wstring joined;
        for (size_t i = 0; i < errors.size(); ++i)
        {
            EXPECT_EQ(c.pieces[i], errors[i].text.size()) << "length " << c.length << " piece " << i;
            EXPECT_EQ(JOURNAL_KIND_ERROR, errors[i].kind);
            joined += errors[i].text;
        }
        EXPECT_EQ(message.substr(0, 511), joined);
        // An empty message still writes the entry-point record, last.
        const auto records = Records();
        ASSERT_FALSE(records.empty());
        EXPECT_EQ(JournalRecordType::EntryPoint, records.back().type);
        EXPECT_EQ(1u, OfType(JournalRecordType::EntryPoint).size());
    }
}

TEST_F(EntryPointTest, LogErrorRecordsPlaceTimeAndEndsWithTheChainId)
{
    CEntryPoint tracer(L"CInputPin::ReadOffset");
    tracer.LogError(E_INVALIDARG, L"C:\\src\\pins\\inpin.cpp", 88, L"offset %I64d", static_cast<long long>(-5));
    const auto records = Records();
    ASSERT_EQ(2u, records.size());
    const JournalRecord& error = records[0];
    EXPECT_EQ(static_cast<long>(E_INVALIDARG), error.result);
    EXPECT_EQ(L"inpin.cpp", error.file);
    EXPECT_EQ(88, error.line);
    EXPECT_EQ(L"offset -5", error.text);
    EXPECT_LT(error.chainId, 0);
    EXPECT_NE(static_cast<long>(E_INVALIDARG), error.chainId);
    EXPECT_LT(error.elapsedMs, 60000u);
    EXPECT_EQ(error.chainId, records[1].chainId);
    EXPECT_EQ(error.chainId, records[1].result);
    EXPECT_EQ(L"CInputPin::ReadOffset", records[1].text);

    EXPECT_EQ(error.chainId, tracer.Result());
    EXPECT_EQ(error.chainId, tracer.ChainId());
    EXPECT_EQ(E_INVALIDARG, JournalChainError(tracer.Result()));
    EXPECT_EQ(88, tracer.Line());
    EXPECT_STREQ(L"inpin.cpp", tracer.SourceFile());
    EXPECT_FALSE(tracer.IsUnlogged());
    EXPECT_GE(tracer.TimeStamp().wYear, 2020);
}

TEST_F(EntryPointTest, SourceFileKeepsThePartAfterTheLastBackslashCutTo31)
{
    const struct
    {
        const wchar_t* given;
        const wchar_t* stored;
    } cases[] = {
        {L"outpin", L"outpin"},
        {L"src/pins/outpin.cpp", L"src/pins/outpin.cpp"},
        {L"C:\\src\\", L""},
        {L"a\\b\\RZQTFileParser", L"RZQTFileParser"},
        {L"x\\0123456789012345678901234567890123456789", L"0123456789012345678901234567890"},
        {nullptr, L""},
    };
    for (const auto& c : cases)
    {
        CEntryPoint tracer;
        tracer.LogError(E_FAIL, c.given, 1, L"");
        EXPECT_STREQ(c.stored, tracer.SourceFile());
    }
}

TEST_F(EntryPointTest, CopiesCarryEveryField)
{
    CEntryPoint original(L"Orig::Inal");
    original.LogError(E_FAIL, L"f.cpp", 5, L"x");
    CEntryPoint copy(original);
    CEntryPoint assigned;
    assigned = original;
    for (const CEntryPoint* e : {&copy, &assigned})
    {
        EXPECT_STREQ(original.Name(), e->Name());
        EXPECT_STREQ(L"f.cpp", e->SourceFile());
        EXPECT_EQ(5, e->Line());
        EXPECT_EQ(original.StartTick(), e->StartTick());
        EXPECT_EQ(original.Result(), e->Result());
        EXPECT_EQ(original.ChainId(), e->ChainId());
        EXPECT_FALSE(e->IsUnlogged());
    }
}

TEST_F(EntryPointTest, MessagesAndTracesWritePiecesWithTheirKindAndStopAtARefusal)
{
    CEntryPoint tracer(L"M::N");
    EXPECT_EQ(1, tracer.LogMsg(L"%s", std::wstring(200, L'm').c_str()));
    EXPECT_EQ(1, tracer.Trace(L"t%d", 1));
    EXPECT_EQ(1, tracer.LogMsg(L"")); // no piece to refuse
    auto records = Records();
    ASSERT_EQ(3u, records.size());
    EXPECT_EQ(JOURNAL_KIND_MESSAGE, records[0].kind);
    EXPECT_EQ(127u, records[0].text.size());
    EXPECT_EQ(73u, records[1].text.size());
    EXPECT_EQ(records[0].chainId, records[1].chainId);
    EXPECT_LT(records[0].chainId, 0);
    EXPECT_EQ(0, records[0].result);
    EXPECT_EQ(0u, records[0].elapsedMs);
    EXPECT_EQ(-1, records[0].line);
    EXPECT_EQ(JOURNAL_KIND_TRACE, records[2].kind);
    EXPECT_TRUE(tracer.IsUnlogged()); // messages do not count as logging an error

    journal.Clear();
    journal.RefuseAfter(1);
    EXPECT_EQ(0, tracer.Trace(L"%s", std::wstring(300, L't').c_str()));
    EXPECT_EQ(1u, Records().size()); // the pieces after the refused one are not tried
}

TEST_F(EntryPointTest, OwnerInformationPassesThrough)
{
    CEntryPoint tracer;
    EXPECT_EQ(1, tracer.LogOwnerInfo(42, L"b", nullptr, L"d", L"e", -7));
    journal.RefuseAfter(0);
    EXPECT_EQ(0, tracer.LogOwnerInfo(1, L"", L"", L"", L"", 0));
    const auto records = Records();
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(JournalRecordType::Owner, records[0].type);
    EXPECT_EQ(42, records[0].result);
    EXPECT_EQ(L"b |  | d | e | -7", records[0].text);
}

TEST_F(EntryPointTest, AJournalThatRecordsNothingChangesNoResult)
{
    journal.RefuseAfter(0);
    CEntryPoint tracer;
    tracer.LogError(E_POINTER, L"f", 3, L"lost");
    EXPECT_LT(tracer.Result(), 0);
    EXPECT_EQ(E_POINTER, JournalChainError(tracer.Result()));
}

} // namespace
