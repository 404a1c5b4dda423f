// The file journal: readable one-line records, a readable chain for a failure
// three calls deep, concurrent writers, and places that cannot be opened.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "diagnostics/FileJournal.h"
#include "diagnostics/JournalLine.h"
#include "tests/diagnostics/TracedChain.h"

namespace {

// A fresh folder under the test temporary folder, removed afterwards.
class CTemporaryFolder
{
public:
    CTemporaryFolder()
    {
        std::string pattern = ::testing::TempDir() + "qtp-journal-XXXXXX";
        m_path = mkdtemp(&pattern[0]) ? pattern : std::string();
    }
    ~CTemporaryFolder()
    {
        if (!m_path.empty())
            (void)std::system(("rm -rf '" + m_path + "'").c_str());
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

std::vector<std::string> ReadLines(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> Columns(const std::string& line)
{
    std::vector<std::string> columns;
    std::stringstream in(line);
    for (std::string column; std::getline(in, column, '\t');)
        columns.push_back(column);
    return columns;
}

enum Column
{
    Time, Kind, Result, Chain, File, Line, Elapsed, Owner, Text, ColumnCount
};

class FileJournalTest : public ::testing::Test
{
protected:
    CTemporaryFolder folder;
};

TEST_F(FileJournalTest, FailureThreeCallsDeepLeavesAReadableChain)
{
    const std::string path = folder.Path() + "/logs/journal.log"; // the folder is made on the first record
    CFileJournal journal({path});
    CJournalScope scope(journal);
    CTracedChain chain;
    const HRESULT result = chain.Outer(ChainFailure::Raise);

    EXPECT_EQ(path, journal.Path());
    const auto lines = ReadLines(path);
    ASSERT_EQ(4u, lines.size());
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : lines)
    {
        rows.push_back(Columns(line));
        ASSERT_EQ(static_cast<size_t>(ColumnCount), rows.back().size()) << line;
        EXPECT_EQ(23u, rows.back()[Time].size()) << line; // YYYY-MM-DD hh:mm:ss.mmm
    }
    char chainText[16];
    std::snprintf(chainText, sizeof chainText, "0x%08X", static_cast<unsigned>(result));
    EXPECT_EQ("error", rows[0][Kind]);
    EXPECT_EQ("0x80070057", rows[0][Result]);
    EXPECT_EQ(chainText, rows[0][Chain]);
    EXPECT_EQ("TracedChain", rows[0][File]);
    EXPECT_EQ(std::to_string(chain.raiseLine), rows[0][Line]);
    EXPECT_EQ('s', rows[0][Elapsed].back());
    EXPECT_EQ("Sample 7 of track 2 is out of range", rows[0][Text]);
    const char* names[] = {"CTracedChain::Inner", "CTracedChain::Middle", "CTracedChain::Outer"};
    for (size_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ("entry", rows[i + 1][Kind]);
        EXPECT_EQ(chainText, rows[i + 1][Chain]);
        EXPECT_EQ(names[i], rows[i + 1][Text]);
    }
}

TEST_F(FileJournalTest, TextThatWouldBreakTheLineIsEscaped)
{
    JournalRecord record;
    record.kind = JOURNAL_KIND_MESSAGE;
    record.file = L"we\tird";
    record.text = L"a\tb\nc\rd\\e\x01\x00e9";
    const std::wstring line = FormatJournalLine(record);
    EXPECT_EQ(std::wstring::npos, line.find(L'\n'));
    EXPECT_NE(std::wstring::npos, line.find(L"\tmessage\t"));
    EXPECT_NE(std::wstring::npos, line.find(L"\twe\\tird\t"));
    EXPECT_NE(std::wstring::npos, line.find(L"\ta\\tb\\nc\\rd\\\\e\\x01\x00e9"));
    record.kind = 9;
    EXPECT_NE(std::wstring::npos, FormatJournalLine(record).find(L"\tkind9\t"));
}

TEST_F(FileJournalTest, ConcurrentWritersNeverInterleaveRecords)
{
    const std::string path = folder.Path() + "/journal.log";
    CFileJournal journal({path});
    CJournalScope scope(journal);
    const int threads = 8;
    const int perThread = 400;
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t)
        writers.emplace_back([t] {
            CEntryPoint tracer(L"Writer::%d", t);
            for (int i = 0; i < perThread; ++i)
                (void)tracer.LogMsg(L"thread %d record %d %s", t, i, std::wstring(90, L'x').c_str());
        });
    for (std::thread& w : writers)
        w.join();

    const auto lines = ReadLines(path);
    ASSERT_EQ(static_cast<size_t>(threads * perThread), lines.size());
    std::set<std::string> seen;
    for (const std::string& line : lines)
    {
        const auto columns = Columns(line);
        ASSERT_EQ(static_cast<size_t>(ColumnCount), columns.size()) << line;
        ASSERT_EQ("message", columns[Kind]) << line;
        int t = -1, i = -1;
        ASSERT_EQ(2, std::sscanf(columns[Text].c_str(), "thread %d record %d", &t, &i)) << line;
        ASSERT_EQ(std::string(90, 'x'), columns[Text].substr(columns[Text].size() - 90)) << line;
        seen.insert(std::to_string(t) + "/" + std::to_string(i));
    }
    EXPECT_EQ(lines.size(), seen.size());
}

TEST_F(FileJournalTest, UnopenablePlaceDropsRecordsWithoutFailing)
{
    CFileJournal journal({folder.Path() + "/not-a-folder/journal.log"});
    std::ofstream(folder.Path() + "/not-a-folder") << "a file in the way";
    CJournalScope scope(journal);
    ::testing::internal::CaptureStderr();
    CTracedChain chain;
    const HRESULT result = chain.Outer(ChainFailure::Raise);
    EXPECT_EQ(0, journal.WriteRecord(0, SYSTEMTIME{}, 0, JOURNAL_KIND_TRACE, L"", -1, 0, L"x", 0));
    const std::string complaint = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(E_INVALIDARG, JournalChainError(result)); // chains work without a file
    EXPECT_EQ("", journal.Path());
    EXPECT_NE(std::string::npos, complaint.find("not-a-folder/journal.log"));
    EXPECT_EQ(complaint.find('\n'), complaint.size() - 1); // said once
}

TEST_F(FileJournalTest, NextCandidateIsUsedWhenTheFirstCannotOpen)
{
    const std::string good = folder.Path() + "/second.log";
    CFileJournal journal({"/proc/no/such/journal.log", good});
    EXPECT_EQ(1, journal.WriteRecord(E_FAIL, SYSTEMTIME{}, 0, JOURNAL_KIND_ERROR, L"f", 1, 2, L"x", E_FAIL));
    EXPECT_EQ(good, journal.Path());
    EXPECT_EQ(1u, ReadLines(good).size());
}

// Sets an environment variable for the scope of a test; single-threaded use only.
class CEnvironment
{
public:
    CEnvironment(const char* name, const char* value) : m_name(name)
    {
        const char* old = std::getenv(name);
        m_had = old != nullptr;
        if (old)
            m_old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~CEnvironment()
    {
        if (m_had)
            setenv(m_name, m_old.c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had = false;
    std::string m_old;
};

TEST_F(FileJournalTest, DefaultPlaceFollowsQtpJournalThenTheUserStateFolder)
{
    {
        CEnvironment journal("QTP_JOURNAL", "/somewhere/mine.log");
        EXPECT_EQ(std::vector<std::string>{"/somewhere/mine.log"}, CFileJournal::DefaultCandidates());
    }
    CEnvironment noJournal("QTP_JOURNAL", nullptr);
    CEnvironment tmp("TMPDIR", folder.Path().c_str());
    {
        CEnvironment state("XDG_STATE_HOME", "/state");
        const auto candidates = CFileJournal::DefaultCandidates();
        ASSERT_EQ(2u, candidates.size());
        EXPECT_EQ("/state/ostrivel-qtparser/journal.log", candidates[0]);
        EXPECT_EQ(0u, candidates[1].find(folder.Path() + "/ostrivel-qtparser-"));
    }
    CEnvironment noState("XDG_STATE_HOME", nullptr);
    CEnvironment home("HOME", "/home/someone");
    EXPECT_EQ("/home/someone/.local/state/ostrivel-qtparser/journal.log", CFileJournal::DefaultCandidates()[0]);
    CEnvironment noHome("HOME", nullptr);
    const auto candidates = CFileJournal::DefaultCandidates();
    ASSERT_EQ(1u, candidates.size());
    EXPECT_EQ(0u, candidates[0].find(folder.Path()));
}

} // namespace
