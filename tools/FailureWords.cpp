#include "tools/FailureWords.h"

#include <comdef.h>

#include <algorithm>
#include <cstdio>

#include "diagnostics/Journal.h"
#include "diagnostics/JournalLine.h"
#include "tools/WideText.h"

namespace
{
std::wstring Trimmed(const std::wstring& text)
{
    const size_t end = text.find_last_not_of(L" \t\r\n.");
    const size_t begin = text.find_first_not_of(L" \t\r\n");
    return end == std::wstring::npos ? std::wstring() : text.substr(begin, end - begin + 1);
}

// The error texts, pieces of one chain joined in the order written. An error
// whose result is an earlier chain's id is that failure caught again further
// up (a catch-all's "Unknown error"): no reason of its own.
std::vector<std::wstring> ErrorTexts(const std::vector<JournalRecord>& records)
{
    std::vector<long> chains;
    std::vector<std::wstring> texts;
    for (const JournalRecord& record : records)
    {
        if (record.type != JournalRecordType::Record || record.kind != JOURNAL_KIND_ERROR ||
            (record.result != record.chainId &&
             std::find(chains.begin(), chains.end(), record.result) != chains.end()))
            continue;
        const auto chain = std::find(chains.begin(), chains.end(), record.chainId);
        if (chain != chains.end())
        {
            texts[static_cast<size_t>(chain - chains.begin())] += record.text;
            continue;
        }
        chains.push_back(record.chainId);
        texts.push_back(record.text);
    }
    return texts;
}
} // namespace

std::string ResultWords(HRESULT hr)
{
    if (hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND))
        return FindingText({FailureKind::FileMissing, 0, {}, -1, {}});
    if (hr == HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED))
        return FindingText({FailureKind::PermissionDenied, 0, {}, -1, {}});
    const _com_error error(hr);
    return ToUtf8(Trimmed(error.ErrorMessage()));
}

std::string FailureWords(HRESULT hr, const std::vector<JournalRecord>& records)
{
    std::vector<std::wstring> reasons;
    for (const std::wstring& text : ErrorTexts(records))
    {
        const std::wstring reason = Trimmed(text);
        if (!reason.empty() && std::find(reasons.begin(), reasons.end(), reason) == reasons.end())
            reasons.push_back(reason);
    }
    std::string words;
    for (const std::wstring& reason : reasons)
        words += (words.empty() ? "" : "; ") + ToUtf8(reason);
    if (!words.empty())
        return words;
    words = ResultWords(hr);
    for (const JournalRecord& record : records)
        if (record.type == JournalRecordType::EntryPoint)
            return words + " in " + ToUtf8(record.text) + ", which recorded no reason";
    return words;
}

std::string HresultText(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(hr));
    return text;
}

void WriteFailure(std::ostream& err, const std::string& what, HRESULT hr, const std::vector<JournalRecord>& records,
                  const std::vector<Finding>& errors, bool verbose)
{
    const HRESULT root = JournalChainError(hr);
    err << "qtgraph: " << what << ": HRESULT " << HresultText(root);
    if (root != hr)
        err << " (journal chain " << HresultText(hr) << ')';
    err << ": " << (errors.empty() ? FailureWords(root, records) : FindingText(errors[0])) << '\n';
    for (size_t i = 1; i < errors.size(); ++i)
        err << "  " << FindingText(errors[i]) << '\n';
    for (size_t i = 0; verbose && i < records.size(); ++i)
        err << "  " << ToUtf8(FormatJournalLine(records[i])) << '\n';
}

void WriteStructuralWarnings(std::ostream& err, const std::vector<Finding>& errors)
{
    for (const Finding& error : errors)
        err << "qtgraph: warning: " << FindingText(error) << '\n';
}
