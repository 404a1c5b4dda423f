// A journal that passes every record on to another journal and keeps a copy
// in memory: a tool can show a failure's records to its user while they still
// reach the journal file. Chains are the next journal's, so a chain id reads
// the same in both places and resolves after the tee is gone. Thread-safe
// when the next journal is.
#pragma once

#include <vector>

#include "diagnostics/MemoryJournal.h"

class CTeeJournal : public IJournal
{
public:
    explicit CTeeJournal(IJournal& next) : m_next(next) {} // not owned
    ~CTeeJournal() = default;

    // The copies, oldest first.
    std::vector<JournalRecord> Records() const { return m_copy.Records(); }

    int WriteRecord(long result, SYSTEMTIME time, DWORD ownerContext, int kind, const wchar_t* file, int line,
                    DWORD elapsedMs, const wchar_t* text, long chainId) override;
    void WriteEntryPoint(long resultOrChainId, SYSTEMTIME time, const wchar_t* name) override;
    long NewChain(long hr) override { return m_next.NewChain(hr); }
    HRESULT ChainError(long chainId) override { return m_next.ChainError(chainId); }
    int WriteOwner(long a, SYSTEMTIME time, const wchar_t* b, const wchar_t* c, const wchar_t* d, const wchar_t* e,
                   long f) override;

private:
    IJournal& m_next;
    CMemoryJournal m_copy;
};
