#include "tools/FailureWords.h"

#include <comdef.h>

#include <algorithm>

#include "diagnostics/Journal.h"
#include "framework/posix/Utf8.h"

namespace
{
std::wstring Trimmed(const std::wstring& text)
{
    const size_t end = text.find_last_not_of(L" \t\r\n.");
    const size_t begin = text.find_first_not_of(L" \t\r\n");
    return end == std::wstring::npos ? std::wstring() : text.substr(begin, end - begin + 1);
}

// The error texts, pieces of one chain joined in the order written.
std::vector<std::wstring> ErrorTexts(const std::vector<JournalRecord>& records)
{
    std::vector<long> chains;
    std::vector<std::wstring> texts;
    for (const JournalRecord& record : records)
    {
        if (record.type != JournalRecordType::Record || record.kind != JOURNAL_KIND_ERROR)
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
        return "the file does not exist";
    if (hr == HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED))
        return "permission denied";
    const _com_error error(hr);
    return WideToUtf8(Trimmed(error.ErrorMessage()));
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
        words += (words.empty() ? "" : "; ") + WideToUtf8(reason);
    if (!words.empty())
        return words;
    words = ResultWords(hr);
    for (const JournalRecord& record : records)
        if (record.type == JournalRecordType::EntryPoint)
            return words + " in " + WideToUtf8(record.text) + ", which recorded no reason";
    return words;
}
