#include "diagnostics/JournalBase.h"

#include "framework/FormatWide.h"

namespace {

const wchar_t* OrEmpty(const wchar_t* text)
{
    return text ? text : L"";
}

} // namespace

int CJournalBase::WriteRecord(long result, SYSTEMTIME time, DWORD ownerContext, int kind, const wchar_t* file,
                              int line, DWORD elapsedMs, const wchar_t* text, long chainId)
{
    JournalRecord record;
    record.type = JournalRecordType::Record;
    record.kind = kind;
    record.result = result;
    record.time = time;
    record.ownerContext = ownerContext;
    record.file = OrEmpty(file);
    record.line = line;
    record.elapsedMs = elapsedMs;
    record.chainId = chainId;
    record.text = OrEmpty(text);
    return Write(record);
}

void CJournalBase::WriteEntryPoint(long resultOrChainId, SYSTEMTIME time, const wchar_t* name)
{
    JournalRecord record;
    record.type = JournalRecordType::EntryPoint;
    record.result = resultOrChainId;
    record.chainId = resultOrChainId;
    record.time = time;
    record.text = OrEmpty(name);
    (void)Write(record);
}

long CJournalBase::NewChain(long hr)
{
    return m_chains.NewChain(hr);
}

HRESULT CJournalBase::ChainError(long chainId)
{
    return m_chains.ChainError(chainId);
}

int CJournalBase::WriteOwner(long a, SYSTEMTIME time, const wchar_t* b, const wchar_t* c, const wchar_t* d,
                             const wchar_t* e, long f)
{
    JournalRecord record;
    record.type = JournalRecordType::Owner;
    record.result = a;
    record.time = time;
    // The meaning of the values is the caller's; they are kept side by side.
    record.text = FormatWideString(L"%s | %s | %s | %s | %ld", OrEmpty(b), OrEmpty(c), OrEmpty(d), OrEmpty(e),
                                   static_cast<int32_t>(f));
    return Write(record);
}
