// One journal record as the journals built on CJournalBase receive it.
#pragma once

#include <windows.h>

#include <string>

enum class JournalRecordType
{
    Record,     // JournalWriteRecord: error, message or trace text
    EntryPoint, // JournalWriteEntryPoint: a method the failure passed through
    Owner,      // JournalWriteOwner
};

struct JournalRecord
{
    JournalRecordType type = JournalRecordType::Record;
    int kind = 0;          // JournalKind for records; 0 for the other types
    long result = 0;       // the HRESULT; the chain id for an entry point; a for owner records
    SYSTEMTIME time{};     // local time the tracer took
    DWORD ownerContext = 0;
    std::wstring file;     // source file base name; empty when none
    int line = -1;         // source line; -1 when none
    DWORD elapsedMs = 0;   // milliseconds since the tracer was built
    long chainId = 0;
    std::wstring text;     // text piece, entry-point name, or the owner values
};
