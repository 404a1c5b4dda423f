// The text of an event-log record: for an error event (type 1) the message,
// the method and the place of the failure on three lines; for any other type
// the message alone.
#pragma once

#include <windows.h>

#include <string>

std::wstring ComposeSystemEventText(WORD type, const wchar_t* message, const wchar_t* entryName,
                                    const wchar_t* file, int line, long hr);
