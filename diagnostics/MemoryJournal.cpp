#include "diagnostics/MemoryJournal.h"

std::vector<JournalRecord> CMemoryJournal::Records() const
{
    CAutoLock hold(&m_lock);
    return m_records;
}

void CMemoryJournal::Clear()
{
    CAutoLock hold(&m_lock);
    m_records.clear();
    m_limit = static_cast<size_t>(-1);
}

void CMemoryJournal::RefuseAfter(size_t accepted)
{
    CAutoLock hold(&m_lock);
    m_limit = m_records.size() + accepted;
}

int CMemoryJournal::Write(const JournalRecord& record)
{
    CAutoLock hold(&m_lock);
    if (m_records.size() >= m_limit)
        return 0;
    m_records.push_back(record);
    return 1;
}
