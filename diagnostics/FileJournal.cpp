#include "diagnostics/FileJournal.h"

#include <cstdio>
#include <cstdlib>

#include "diagnostics/JournalLine.h"
#include "framework/UserPaths.h"

namespace {

const char kApplication[] = "ostrivel-qtparser";
const char kFileName[] = "journal.log";
const char kStandardError[] = "stderr";

} // namespace

CFileJournal::CFileJournal() : m_useDefault(true)
{
}

CFileJournal::CFileJournal(std::vector<std::string> candidates) : m_candidates(std::move(candidates))
{
}

std::vector<std::string> CFileJournal::DefaultCandidates()
{
    const char* chosen = std::getenv("QTP_JOURNAL");
    if (chosen && *chosen)
        return {chosen};
    std::vector<std::string> candidates;
    const std::string state = UserStateDirectory(kApplication);
    if (!state.empty())
        candidates.push_back(state + "/" + kFileName);
    const std::string temporary = UserTemporaryDirectory(kApplication);
    if (!temporary.empty())
        candidates.push_back(temporary + "/" + kFileName);
    return candidates;
}

std::string CFileJournal::Path() const
{
    CAutoLock hold(&m_lock);
    return m_path;
}

void CFileJournal::OpenFirstCandidate()
{
    m_opened = true;
    if (m_useDefault)
        m_candidates = DefaultCandidates();
    for (const std::string& candidate : m_candidates)
    {
        if (candidate == kStandardError)
        {
            m_file.OpenStandardError();
            m_path = candidate;
            return;
        }
        if (m_file.Open(candidate))
        {
            m_path = candidate;
            return;
        }
    }
    std::string tried;
    for (const std::string& candidate : m_candidates)
        tried += (tried.empty() ? "" : ", ") + candidate;
    std::fprintf(stderr, "%s: cannot open the error journal (%s); its records are dropped\n", kApplication,
                 tried.empty() ? "no place for it" : tried.c_str());
}

int CFileJournal::Write(const JournalRecord& record)
{
    const std::wstring line = FormatJournalLine(record) + L'\n';
    CAutoLock hold(&m_lock);
    if (!m_opened)
        OpenFirstCandidate();
    if (!m_file.IsOpen())
        return 0;
    return m_file.Append(line) ? 1 : 0;
}
