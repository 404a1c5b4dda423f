#include "diagnostics/Journal.h"

#include <atomic>

#include "diagnostics/FileJournal.h"

namespace {

std::atomic<IJournal*> g_installed{nullptr}; // not owned

IJournal& DefaultJournal()
{
    // Never destroyed: threads may still write while the process exits.
    static CFileJournal* journal = new CFileJournal();
    return *journal;
}

} // namespace

IJournal& CurrentJournal()
{
    IJournal* installed = g_installed.load(std::memory_order_acquire);
    return installed ? *installed : DefaultJournal();
}

CJournalScope::CJournalScope(IJournal& journal)
    : m_previous(g_installed.exchange(&journal, std::memory_order_acq_rel))
{
}

CJournalScope::~CJournalScope()
{
    g_installed.store(m_previous, std::memory_order_release);
}

// A failing journal must not turn into a failing method: every call below
// swallows what the journal throws and reports "not written".

int JournalWriteRecord(long result, SYSTEMTIME time, DWORD ownerContext, int kind, const wchar_t* file, int line,
                       DWORD elapsedMs, const wchar_t* text, long chainId) noexcept
{
    try
    {
        return CurrentJournal().WriteRecord(result, time, ownerContext, kind, file, line, elapsedMs, text, chainId);
    }
    catch (...)
    {
        return 0;
    }
}

void JournalWriteEntryPoint(long resultOrChainId, SYSTEMTIME time, const wchar_t* name) noexcept
{
    try
    {
        CurrentJournal().WriteEntryPoint(resultOrChainId, time, name);
    }
    catch (...)
    {
    }
}

long JournalNewChain(long hr) noexcept
{
    try
    {
        return CurrentJournal().NewChain(hr);
    }
    catch (...)
    {
        return hr; // no chain: the failure travels as itself
    }
}

HRESULT JournalChainError(long chainId) noexcept
{
    try
    {
        return CurrentJournal().ChainError(chainId);
    }
    catch (...)
    {
        return static_cast<HRESULT>(chainId);
    }
}

int JournalWriteOwner(long a, SYSTEMTIME time, const wchar_t* b, const wchar_t* c, const wchar_t* d,
                      const wchar_t* e, long f) noexcept
{
    try
    {
        return CurrentJournal().WriteOwner(a, time, b, c, d, e, f);
    }
    catch (...)
    {
        return 0;
    }
}
