// The file journal: one readable line per record, concurrent writers, and
// the places it tries.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "diagnostics/FileJournal.h"
#include "tests/diagnostics/TracedChain.h"

namespace {

// The file's lines, each split at its tabs.
std::vector<std::vector<std::string>> ReadRows(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(in, line);)
    {
        rows.emplace_back();
        std::stringstream columns(line);
        for (std::string column; std::getline(columns, column, '\t');)
            rows.back().push_back(column);
    }
    return rows;
}

enum Column { Time, Kind, Result, Chain, File, Line, Elapsed, Owner, Text, ColumnCount };

class FileJournalTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(nullptr, mkdtemp(&folder[0])); }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string folder = ::testing::TempDir() + "qtp-journal-XXXXXX";
};

TEST_F(FileJournalTest, FailureGoesToTheFirstPlaceThatOpensAsFourLinesOfOneChain)
{
    const std::string path = folder + "/logs/journal.log"; // the folder is made on the first record
    CFileJournal journal({"/proc/no/such/journal.log", path});
    CJournalScope scope(journal);
    const HRESULT result = CTracedChain().Outer(ChainFailure::Raise);
    EXPECT_EQ(path, journal.Path());
    const auto rows = ReadRows(path);
    ASSERT_EQ(4u, rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
    {
        ASSERT_EQ(static_cast<size_t>(ColumnCount), rows[i].size());
        EXPECT_EQ(i == 0 ? "error" : "entry", rows[i][Kind]);
        EXPECT_EQ(static_cast<unsigned>(result), std::stoul(rows[i][Chain], nullptr, 16));
    }
    EXPECT_EQ(static_cast<unsigned>(E_INVALIDARG), std::stoul(rows[0][Result], nullptr, 16));
    EXPECT_EQ("Sample 7 of track 2 is out of range", rows[0][Text]);
    EXPECT_EQ("CTracedChain::Outer", rows[3][Text]);
}

TEST_F(FileJournalTest, NoPlaceThatOpensDropsRecordsWithoutFailing)
{
    std::ofstream(folder + "/not-a-folder") << "a file in the way";
    CFileJournal journal({folder + "/not-a-folder/journal.log"});
    CJournalScope scope(journal);
    ::testing::internal::CaptureStderr();
    const HRESULT result = CTracedChain().Outer(ChainFailure::Raise);
    EXPECT_EQ(0, journal.WriteRecord(0, SYSTEMTIME{}, 0, JOURNAL_KIND_TRACE, L"", -1, 0, L"x", 0));
    const std::string complaint = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(E_INVALIDARG, JournalChainError(result)); // chains work without a file
    EXPECT_EQ("", journal.Path());
    EXPECT_NE(std::string::npos, complaint.find("not-a-folder/journal.log"));
    EXPECT_EQ(complaint.find('\n'), complaint.size() - 1); // said once
}

// Every record one whole line, its line breaks, tabs and control characters
// escaped, written once; and every message a chain of its own.
TEST_F(FileJournalTest, ConcurrentWritersLeaveOneWholeLinePerRecord)
{
    const std::string path = folder + "/journal.log";
    CFileJournal journal({path});
    CJournalScope scope(journal);
    const std::string tail(90, 'x'); // with the rest, nearly a whole piece
    std::set<std::string> expected;
    std::vector<std::thread> writers;
    for (int t = 0; t < 8; ++t)
    {
        for (int i = 0; i < 400; ++i)
            expected.insert("thread " + std::to_string(t) + "\\trecord " + std::to_string(i) + "\\n\\\\\\x01 " + tail);
        writers.emplace_back([t, &tail] {
            CEntryPoint tracer;
            for (int i = 0; i < 400; ++i)
                (void)tracer.LogMsg(L"thread %d\trecord %d\n\\\x01 %S", t, i, tail.c_str());
        });
    }
    for (std::thread& w : writers)
        w.join();
    std::set<std::string> texts;
    std::set<std::string> chains;
    const auto rows = ReadRows(path);
    for (const auto& row : rows)
    {
        ASSERT_EQ(static_cast<size_t>(ColumnCount), row.size());
        EXPECT_EQ("message", row[Kind]);
        texts.insert(row[Text]);
        chains.insert(row[Chain]);
    }
    EXPECT_EQ(expected.size(), rows.size());
    EXPECT_TRUE(texts == expected);
    EXPECT_EQ(rows.size(), chains.size());
}

// Sets (null: unsets) an environment variable until the end of the scope.
struct CEnvironment
{
    CEnvironment(const char* name, const char* value)
        : name(name), had(std::getenv(name) != nullptr), old(had ? std::getenv(name) : "")
    {
        (void)(value ? setenv(name, value, 1) : unsetenv(name));
    }
    ~CEnvironment() { (void)(had ? setenv(name, old.c_str(), 1) : unsetenv(name)); }

    const char* name;
    bool had;
    std::string old;
};

TEST_F(FileJournalTest, DefaultPlaceIsQtpJournalElseTheUserStateThenTemporaryFolder)
{
    {
        CEnvironment journal("QTP_JOURNAL", "/somewhere/mine.log");
        EXPECT_EQ(std::vector<std::string>{"/somewhere/mine.log"}, CFileJournal::DefaultCandidates());
    }
    CEnvironment noJournal("QTP_JOURNAL", nullptr);
    CEnvironment tmp("TMPDIR", folder.c_str());
    CEnvironment state("XDG_STATE_HOME", "/state");
    const auto candidates = CFileJournal::DefaultCandidates();
    ASSERT_EQ(2u, candidates.size());
    EXPECT_EQ("/state/ostrivel-qtparser/journal.log", candidates[0]);
    EXPECT_EQ(0u, candidates[1].find(folder + "/ostrivel-qtparser-"));
}

} // namespace
