// CEntryPoint's records against an in-memory journal: assignments, text in
// 127-character pieces after the cut to 511, the source-file rule, chain ids,
// and a journal that refuses records.
#include <gtest/gtest.h>

#include <string>

#include "diagnostics/MemoryJournal.h"
#include "diagnostics/RaiseError.h"

namespace {

class EntryPointTest : public ::testing::Test
{
protected:
    CMemoryJournal journal;
    CJournalScope scope{journal};
};

TEST_F(EntryPointTest, NameIsFormattedAndCutAt127)
{
    EXPECT_STREQ(L"CTrack::Read7", CEntryPoint(L"CTrack::Read%d", 7).Name());
    EXPECT_EQ(std::wstring(127, L'n'), CEntryPoint(L"%s", std::wstring(300, L'n').c_str()).Name());
}

// (Assignments of successes and failures are checked where methods make
// them, in TraceConventionTest.)
TEST_F(EntryPointTest, AnUnsignedFailureConstantFailsAsWhereLongIs32Bit)
{
    CEntryPoint tracer;
    EXPECT_THROW(tracer = 0x80004005UL, long);
    EXPECT_EQ(E_FAIL, tracer.Result());
}

// Every way text reaches the journal: LogError, RaiseError (whose message is
// finished text: its '%' must not be formatted again), LogMsg and Trace.
TEST_F(EntryPointTest, TextIsCutTo511AndWrittenInPiecesOf127)
{
    const struct { size_t length; std::vector<size_t> pieces; } cases[] = {
        {0, {}}, {127, {127}}, {128, {127, 1}}, {600, {127, 127, 127, 127, 3}},
    };
    const int kinds[] = {JOURNAL_KIND_ERROR, JOURNAL_KIND_ERROR, JOURNAL_KIND_MESSAGE, JOURNAL_KIND_TRACE};
    for (const auto& c : cases)
        for (int way = 0; way < 4; ++way)
        {
            journal.Clear();
            std::wstring text;
            for (size_t i = 0; i < c.length; ++i)
                text += L"ab%dc"[i % 5];
            CEntryPoint tracer(L"T::M");
            int written = 1;
            if (way == 0)
                (void)tracer.LogError(E_FAIL, L"f", 1, L"%s", text.c_str());
            if (way == 1)
            {
                EXPECT_THROW(RaiseError(tracer, E_FAIL, L"f", 1, L"%s", text.c_str()), long);
            }
            if (way >= 2)
                written = way == 2 ? tracer.LogMsg(L"%s", text.c_str()) : tracer.Trace(L"%s", text.c_str());
            EXPECT_EQ(1, written);
            auto records = journal.Records();
            if (way < 2) // an error ends with the method's one entry-point record, even without text
            {
                ASSERT_FALSE(records.empty());
                EXPECT_EQ(JournalRecordType::EntryPoint, records.back().type);
                records.pop_back();
            }
            ASSERT_EQ(c.pieces.size(), records.size()) << "length " << c.length << " way " << way;
            std::wstring joined;
            for (size_t i = 0; i < records.size(); ++i)
            {
                EXPECT_EQ(c.pieces[i], records[i].text.size());
                EXPECT_EQ(kinds[way], records[i].kind);
                joined += records[i].text;
            }
            EXPECT_EQ(text.substr(0, 511), joined) << "way " << way;
        }
}

// The records carry the part after the last backslash, at most 31 characters.
TEST_F(EntryPointTest, SourceFileRuleHoldsForEveryErrorRecord)
{
    const wchar_t* cases[][2] = {
        {L"src/pins/outpin.cpp", L"src/pins/outpin.cpp"},
        {L"C:\\src\\pins\\inpin.cpp", L"inpin.cpp"},
        {L"C:\\src\\", L""},
        {L"x\\0123456789012345678901234567890123", L"0123456789012345678901234567890"},
        {nullptr, L""},
    };
    for (const auto& c : cases)
    {
        journal.Clear();
        CEntryPoint tracer;
        (void)tracer.LogError(E_FAIL, c[0], 1, L"x");
        EXPECT_EQ(c[1], journal.Records()[0].file);
    }
}

TEST_F(EntryPointTest, OwnerValuesPassAndAJournalThatRefusesChangesNoResult)
{
    CEntryPoint tracer(L"M::N");
    EXPECT_EQ(1, tracer.LogOwnerInfo(42, L"b", nullptr, L"d", L"e", -7));
    ASSERT_EQ(1u, journal.Records().size());
    EXPECT_EQ(42, journal.Records()[0].result);
    journal.RefuseAfter(1);
    EXPECT_EQ(0, tracer.Trace(L"%s", std::wstring(300, L't').c_str())); // the second piece is refused
    EXPECT_EQ(0, tracer.LogOwnerInfo(1, L"", L"", L"", L"", 0));
    EXPECT_TRUE(tracer.IsUnlogged()); // messages are no errors
    (void)tracer.LogError(E_POINTER, L"f", 3, L"lost");
    EXPECT_EQ(E_POINTER, JournalChainError(tracer.Result()));
}

} // namespace
