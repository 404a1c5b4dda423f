// The error journal: a separate service that keeps the records the tracers
// write (CEntryPoint). Methods call the five Journal* functions below from any
// thread without a lock of their own; they forward to the installed journal,
// by default the file journal (FileJournal.h). A journal that records nothing
// changes no method's result, and these functions never throw.
//
// To replace the journal, implement IJournal (or derive from CJournalBase,
// which keeps the chains) and install it with a CJournalScope.
#pragma once

#include <windows.h>

// Record kinds of JournalWriteRecord.
enum JournalKind : int
{
    JOURNAL_KIND_MESSAGE = 2,
    JOURNAL_KIND_ERROR = 4,
    JOURNAL_KIND_TRACE = 6,
};

class IJournal
{
public:
    // One record; non-zero when it was written.
    virtual int WriteRecord(long result, SYSTEMTIME time, DWORD ownerContext, int kind, const wchar_t* file,
                            int line, DWORD elapsedMs, const wchar_t* text, long chainId) = 0;
    // The record of one method a failure passed through.
    virtual void WriteEntryPoint(long resultOrChainId, SYSTEMTIME time, const wchar_t* name) = 0;
    // A new chain id, unique in the process: a failure HRESULT (negative) when
    // hr is one.
    virtual long NewChain(long hr) = 0;
    // The HRESULT that started the chain; a value that is not a known chain id
    // comes back unchanged.
    virtual HRESULT ChainError(long chainId) = 0;
    // Owner information; the values pass through, the result is returned as is.
    virtual int WriteOwner(long a, SYSTEMTIME time, const wchar_t* b, const wchar_t* c, const wchar_t* d,
                           const wchar_t* e, long f) = 0;

protected:
    ~IJournal() = default;
};

// The journal the functions below use now.
IJournal& CurrentJournal();

// Installs a journal for its lifetime and puts the previous one back after.
// Install before the threads that write start and remove after they end.
class CJournalScope
{
public:
    explicit CJournalScope(IJournal& journal); // not owned
    ~CJournalScope();
    CJournalScope(const CJournalScope&) = delete;
    CJournalScope& operator=(const CJournalScope&) = delete;

private:
    IJournal* m_previous;
};

int JournalWriteRecord(long result, SYSTEMTIME time, DWORD ownerContext, int kind, const wchar_t* file, int line,
                       DWORD elapsedMs, const wchar_t* text, long chainId) noexcept;
void JournalWriteEntryPoint(long resultOrChainId, SYSTEMTIME time, const wchar_t* name) noexcept;
[[nodiscard]] long JournalNewChain(long hr) noexcept;
[[nodiscard]] HRESULT JournalChainError(long chainId) noexcept;
int JournalWriteOwner(long a, SYSTEMTIME time, const wchar_t* b, const wchar_t* c, const wchar_t* d,
                      const wchar_t* e, long f) noexcept;
