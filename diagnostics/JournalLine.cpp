#include "diagnostics/JournalLine.h"

#include "diagnostics/Journal.h"

#include "framework/FormatWide.h"

namespace {

const wchar_t kSeparator = L'\t';

void AppendEscaped(std::wstring& out, const std::wstring& text)
{
    for (wchar_t c : text)
    {
        switch (c)
        {
        case L'\\':
            out += L"\\\\";
            break;
        case L'\t':
            out += L"\\t";
            break;
        case L'\n':
            out += L"\\n";
            break;
        case L'\r':
            out += L"\\r";
            break;
        default:
            if (c < 0x20 || c == 0x7F)
                out += FormatWideString(L"\\x%02X", static_cast<unsigned>(c));
            else
                out += c;
            break;
        }
    }
}

std::wstring KindName(const JournalRecord& record)
{
    switch (record.type)
    {
    case JournalRecordType::EntryPoint:
        return L"entry";
    case JournalRecordType::Owner:
        return L"owner";
    case JournalRecordType::Record:
        break;
    }
    switch (record.kind)
    {
    case JOURNAL_KIND_ERROR:
        return L"error";
    case JOURNAL_KIND_MESSAGE:
        return L"message";
    case JOURNAL_KIND_TRACE:
        return L"trace";
    default:
        return FormatWideString(L"kind%d", record.kind);
    }
}

std::wstring Hex(long value)
{
    return FormatWideString(L"0x%08X", static_cast<unsigned>(static_cast<uint32_t>(value)));
}

} // namespace

std::wstring FormatJournalLine(const JournalRecord& record)
{
    const SYSTEMTIME& t = record.time;
    std::wstring line = FormatWideString(L"%04u-%02u-%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth, t.wDay, t.wHour,
                                         t.wMinute, t.wSecond, t.wMilliseconds);
    line += kSeparator;
    line += KindName(record);
    line += kSeparator;
    line += Hex(record.result);
    line += kSeparator;
    if (record.type == JournalRecordType::Owner)
    {
        line += L"-\t-\t-\t-\t-\t";
    }
    else if (record.type == JournalRecordType::EntryPoint)
    {
        line += Hex(record.chainId);
        line += L"\t-\t-\t-\t-\t";
    }
    else
    {
        line += Hex(record.chainId);
        line += kSeparator;
        if (record.file.empty())
            line += L'-';
        else
            AppendEscaped(line, record.file);
        line += FormatWideString(L"\t%d\t%ums\t%u\t", record.line, static_cast<unsigned>(record.elapsedMs),
                                 static_cast<unsigned>(record.ownerContext));
    }
    AppendEscaped(line, record.text);
    return line;
}
