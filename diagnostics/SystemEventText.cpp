#include "diagnostics/SystemEventText.h"

#include "framework/FormatWide.h"

std::wstring ComposeSystemEventText(WORD type, const wchar_t* message, const wchar_t* entryName,
                                    const wchar_t* file, int line, long hr)
{
    message = message ? message : L"";
    if (type != EVENTLOG_ERROR_TYPE)
        return message;
    return FormatWideString(L"%s\r\n  ->%s\r\n%s(%d) : Error 0x%x", message, entryName ? entryName : L"",
                            file ? file : L"", line, static_cast<unsigned>(static_cast<uint32_t>(hr)));
}
