// Base of the journals of this module: keeps the chain ids and turns each of
// the write operations into one JournalRecord for Write. Derive and implement
// Write (thread-safe: it is called from every thread).
#pragma once

#include "diagnostics/Journal.h"
#include "diagnostics/JournalChains.h"
#include "diagnostics/JournalRecord.h"

class CJournalBase : public IJournal
{
public:
    int WriteRecord(long result, SYSTEMTIME time, DWORD ownerContext, int kind, const wchar_t* file, int line,
                    DWORD elapsedMs, const wchar_t* text, long chainId) override;
    void WriteEntryPoint(long resultOrChainId, SYSTEMTIME time, const wchar_t* name) override;
    long NewChain(long hr) override;
    HRESULT ChainError(long chainId) override;
    int WriteOwner(long a, SYSTEMTIME time, const wchar_t* b, const wchar_t* c, const wchar_t* d,
                   const wchar_t* e, long f) override;

protected:
    CJournalBase() = default;
    ~CJournalBase() = default;

    // Keeps one record; non-zero when it was kept.
    virtual int Write(const JournalRecord& record) = 0;

private:
    CJournalChains m_chains;
};
