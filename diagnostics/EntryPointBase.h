// The abstract base of the exported tracer class CEntryPoint (EntryPoint.h):
// what a method's entry holds and the six virtual operations, in the order of
// their slots. Derive from CEntryPoint, not from this class.
//
// A tracer is a local object of one method on one thread; it is never
// deleted through a base pointer, so no destructor is virtual.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstddef>
#include <cstdint>

#include "framework/Export.h"

class CEntryPoint;

// Raises a failure from a traced method (RaiseError.h); declared here to be a friend.
[[noreturn]] void RaiseError(CEntryPoint& tracer, long hr, const wchar_t* file, int line, const wchar_t* format,
                             ...);

// Text sizes in wide characters, terminator included; longer text is cut.
constexpr size_t kEntryNameChars = 128;
constexpr size_t kSourceFileChars = 32;
constexpr size_t kMessageChars = 512;
constexpr size_t kSystemEventMessageChars = 1024;
// Error and message text goes to the journal in pieces of this many characters.
constexpr size_t kJournalPieceChars = 127;

class QTP_EXPORT CEntryPointBase
{
public:
    virtual long LogEntryPoint() = 0;
    virtual long LogError(long hr, const wchar_t* file, int line, const wchar_t* format, ...) = 0;
    // Writes one record to the system's event log; S_OK, or E_FAIL when the
    // event source cannot be opened or the event cannot be reported.
    virtual long LogSystemEvent(const wchar_t* source, WORD type, long hr, const wchar_t* file, int line,
                                const wchar_t* format, ...);
    virtual int LogMsg(const wchar_t* format, ...) = 0;
    virtual int LogOwnerInfo(long a, const wchar_t* b, const wchar_t* c, const wchar_t* d, const wchar_t* e,
                             long f) = 0;
    virtual int Trace(const wchar_t* format, ...) = 0;

    HRESULT Result() const { return static_cast<HRESULT>(m_result); }
    bool Failed() const { return m_result < 0; }
    // Base name of the source file of the last error record; empty when none.
    const wchar_t* SourceFile() const { return m_sourceFile; }
    // Line of the last error record; -1 when none.
    int Line() const { return m_line; }
    bool IsUnlogged() const { return !m_logged; }
    // Sets the result and nothing else (no record, no throw).
    void SetResult(long hr) { m_result = AsResult(hr); }

    const wchar_t* Name() const { return m_name; }
    DWORD StartTick() const { return m_startTick; }
    const SYSTEMTIME& TimeStamp() const { return m_timeStamp; }

protected:
    CEntryPointBase();
    CEntryPointBase(const CEntryPointBase&) = default;
    CEntryPointBase& operator=(const CEntryPointBase&) = default;
    ~CEntryPointBase() = default;

    // Results are 32-bit HRESULTs in a long; a value from a wider long (or an
    // unsigned constant such as 0x80004005) keeps its low 32 bits, as it would
    // where long is 32-bit, so a failure is always negative.
    static long AsResult(long value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

    void FormatNameV(const wchar_t* format, va_list args);
    void TakeTimeStamp();

    wchar_t m_name[kEntryNameChars];
    wchar_t m_sourceFile[kSourceFileChars];
    int32_t m_line;
    DWORD m_startTick;        // GetTickCount at construction, milliseconds
    SYSTEMTIME m_timeStamp;   // local time at the start of the last record written
    BOOL m_logged;            // set once an entry-point, error or system-event record is written
    long m_result;            // HRESULT

private:
    friend void RaiseError(CEntryPoint& tracer, long hr, const wchar_t* file, int line, const wchar_t* format, ...);
};
