// The text form of a journal record: one line of nine tab-separated columns,
//
//   time  kind  result  chain  file  line  elapsed  owner  text
//
// time "YYYY-MM-DD hh:mm:ss.mmm" (local); kind "error", "message", "trace",
// "entry" (a method the failure passed through), "owner", or "kind<n>";
// result and chain as 0x%08X; elapsed as "<n>ms"; "-" where a column does not
// apply. Tabs, line breaks, other control characters and backslashes in the
// file and text columns are escaped (\t \n \r \xHH \\), so a record is always
// one line. No line feed at the end.
#pragma once

#include <string>

#include "diagnostics/JournalRecord.h"

std::wstring FormatJournalLine(const JournalRecord& record);
