#include "diagnostics/TeeJournal.h"

int CTeeJournal::WriteRecord(long result, SYSTEMTIME time, DWORD ownerContext, int kind, const wchar_t* file,
                             int line, DWORD elapsedMs, const wchar_t* text, long chainId)
{
    (void)m_copy.WriteRecord(result, time, ownerContext, kind, file, line, elapsedMs, text, chainId);
    return m_next.WriteRecord(result, time, ownerContext, kind, file, line, elapsedMs, text, chainId);
}

void CTeeJournal::WriteEntryPoint(long resultOrChainId, SYSTEMTIME time, const wchar_t* name)
{
    m_copy.WriteEntryPoint(resultOrChainId, time, name);
    m_next.WriteEntryPoint(resultOrChainId, time, name);
}

int CTeeJournal::WriteOwner(long a, SYSTEMTIME time, const wchar_t* b, const wchar_t* c, const wchar_t* d,
                            const wchar_t* e, long f)
{
    (void)m_copy.WriteOwner(a, time, b, c, d, e, f);
    return m_next.WriteOwner(a, time, b, c, d, e, f);
}
