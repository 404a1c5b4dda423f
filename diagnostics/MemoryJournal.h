// A journal that keeps its records in memory, for tests: install it with a
// CJournalScope and read Records() afterwards. Thread-safe.
#pragma once

#include <cstddef>
#include <vector>

#include "diagnostics/JournalBase.h"
#include "framework/CCritSec.h"

class CMemoryJournal : public CJournalBase
{
public:
    CMemoryJournal() = default;
    ~CMemoryJournal() = default;

    std::vector<JournalRecord> Records() const;
    // Forgets the records and any RefuseAfter.
    void Clear();
    // Refuses every record (Write returns 0) once `accepted` more have been kept.
    void RefuseAfter(size_t accepted);

protected:
    int Write(const JournalRecord& record) override;

private:
    mutable CCritSec m_lock;
    std::vector<JournalRecord> m_records;
    size_t m_limit = static_cast<size_t>(-1);
};
