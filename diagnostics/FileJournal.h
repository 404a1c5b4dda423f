// The default journal: appends one line per record (JournalLine.h) to a text
// file, UTF-8. The file is opened on the first record, trying each candidate
// path in turn; when none opens, one line says so on standard error and the
// records go nowhere (writes return 0), without ever failing a method.
// Thread-safe: a record is one append under a lock, and the file is opened for
// appending, so neither threads nor processes interleave records.
#pragma once

#include <string>
#include <vector>

#include "diagnostics/JournalBase.h"
#include "framework/AppendFile.h"
#include "framework/CCritSec.h"

class CFileJournal : public CJournalBase
{
public:
    // The default places (DefaultCandidates), worked out at the first record.
    CFileJournal();
    // candidates: file paths (UTF-8), or "stderr" for the standard error.
    explicit CFileJournal(std::vector<std::string> candidates);
    ~CFileJournal() = default;

    // Where a person finds the records: $QTP_JOURNAL when set; else
    // <user state folder>/ostrivel-qtparser/journal.log, then
    // <user temporary folder>/journal.log (see framework/UserPaths.h).
    static std::vector<std::string> DefaultCandidates();

    // The path records go to: empty before the first record and when no
    // candidate could be opened.
    std::string Path() const;

protected:
    int Write(const JournalRecord& record) override;

private:
    void OpenFirstCandidate();

    mutable CCritSec m_lock;
    std::vector<std::string> m_candidates;
    CAppendFile m_file;
    std::string m_path;
    bool m_useDefault = false;
    bool m_opened = false; // an open was tried
};
