#include "diagnostics/EntryPoint.h"

#include <algorithm>
#include <cwchar>

#include "diagnostics/Journal.h"
#include "framework/FormatWide.h"

CEntryPoint::CEntryPoint() : m_ownerContext(0), m_chainId(0)
{
}

CEntryPoint::CEntryPoint(const wchar_t* format, ...) : m_ownerContext(0), m_chainId(0)
{
    va_list args;
    va_start(args, format);
    FormatNameV(format, args);
    va_end(args);
}

CEntryPoint::CEntryPoint(const CEntryPoint& other) = default;

CEntryPoint& CEntryPoint::operator=(const CEntryPoint& other) = default;

CEntryPoint& CEntryPoint::operator=(long hr)
{
    m_result = AsResult(hr);
    m_chainId = m_result;
    if (m_result < 0)
    {
        (void)LogEntryPoint();
        throw static_cast<long>(m_result);
    }
    return *this;
}

long CEntryPoint::LogEntryPoint()
{
    TakeTimeStamp();
    m_logged = TRUE;
    JournalWriteEntryPoint(m_result, m_timeStamp, m_name);
    return S_OK;
}

long CEntryPoint::LogError(long hr, const wchar_t* file, int line, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const long result = LogErrorV(hr, file, line, format, args);
    va_end(args);
    return result;
}

long CEntryPoint::LogErrorV(long hr, const wchar_t* file, int line, const wchar_t* format, va_list args)
{
    TakeTimeStamp();
    m_result = AsResult(hr);
    m_logged = TRUE;
    m_line = line;
    const DWORD elapsedMs = GetTickCount() - m_startTick; // unsigned: right across the tick count's wrap
    wchar_t message[kMessageChars];
    (void)FormatWideV(message, kMessageChars, format, args);
    StoreSourceFile(file);
    m_chainId = AsResult(JournalNewChain(m_result));
    (void)WritePieces(m_result, JOURNAL_KIND_ERROR, elapsedMs, message, false);
    JournalWriteEntryPoint(m_chainId, m_timeStamp, m_name);
    m_result = m_chainId;
    return S_OK;
}

int CEntryPoint::LogMsg(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const int written = LogTextV(JOURNAL_KIND_MESSAGE, format, args);
    va_end(args);
    return written;
}

int CEntryPoint::Trace(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const int written = LogTextV(JOURNAL_KIND_TRACE, format, args);
    va_end(args);
    return written;
}

int CEntryPoint::LogTextV(int kind, const wchar_t* format, va_list args)
{
    TakeTimeStamp();
    wchar_t message[kMessageChars];
    (void)FormatWideV(message, kMessageChars, format, args);
    m_chainId = AsResult(JournalNewChain(E_FAIL));
    return WritePieces(0, kind, 0, message, true);
}

int CEntryPoint::LogOwnerInfo(long a, const wchar_t* b, const wchar_t* c, const wchar_t* d, const wchar_t* e, long f)
{
    TakeTimeStamp();
    return JournalWriteOwner(a, m_timeStamp, b, c, d, e, f);
}

void CEntryPoint::StoreSourceFile(const wchar_t* file)
{
    if (!file)
    {
        m_sourceFile[0] = L'\0';
        return;
    }
    const wchar_t* name = std::wcsrchr(file, L'\\');
    name = name ? name + 1 : file;
    const size_t length = std::min(std::wcslen(name), kSourceFileChars - 1);
    // file may be this entry's own source file (a catch clause passes it back).
    std::wmemmove(m_sourceFile, name, length);
    m_sourceFile[length] = L'\0';
}

int CEntryPoint::WritePieces(long result, int kind, DWORD elapsedMs, const wchar_t* message, bool stopAtRefusal)
{
    const size_t length = std::wcslen(message);
    for (size_t at = 0; at < length; at += kJournalPieceChars)
    {
        wchar_t piece[kJournalPieceChars + 1];
        const size_t count = std::min(kJournalPieceChars, length - at);
        std::wmemcpy(piece, message + at, count);
        piece[count] = L'\0';
        const int written = JournalWriteRecord(result, m_timeStamp, m_ownerContext, kind, m_sourceFile, m_line,
                                               elapsedMs, piece, m_chainId);
        if (!written && stopAtRefusal)
            return 0;
    }
    return 1;
}
