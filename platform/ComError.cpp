#include <comdef.h>

#include <cwchar>

namespace {

// The texts the platform's message table gives for the common results, so
// both builds log the same words for them.
struct SystemMessage
{
    HRESULT hr;
    const wchar_t* text;
};

const SystemMessage kSystemMessages[] = {
    {E_NOTIMPL, L"Not implemented"},
    {E_NOINTERFACE, L"No such interface supported"},
    {E_POINTER, L"Invalid pointer"},
    {E_ABORT, L"Operation aborted"},
    {E_FAIL, L"Unspecified error"},
    {E_UNEXPECTED, L"Catastrophic failure"},
    {E_ACCESSDENIED, L"Access is denied."},
    {E_HANDLE, L"The handle is invalid."},
    {E_OUTOFMEMORY, L"Not enough memory resources are available to complete this operation."},
    {E_INVALIDARG, L"The parameter is incorrect."},
    {HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), L"The system cannot find the file specified."},
    {CLASS_E_NOAGGREGATION, L"Class does not support aggregation (or class object is remote)"},
    {CLASS_E_CLASSNOTAVAILABLE, L"ClassFactory cannot supply requested class"},
};

const wchar_t* FindSystemMessage(HRESULT hr)
{
    for (const SystemMessage& m : kSystemMessages)
        if (m.hr == hr)
            return m.text;
    return nullptr;
}

} // namespace

_com_error::_com_error(HRESULT hr) noexcept : m_hr(hr), m_message{}
{
    const size_t count = sizeof(m_message) / sizeof(m_message[0]);
    if (const wchar_t* text = FindSystemMessage(hr))
    {
        std::wcsncpy(m_message, text, count - 1);
        return;
    }
    // Formatting these short texts cannot run out of room; should it fail
    // anyway the message stays empty rather than escaping a noexcept.
    try
    {
        if (const WORD code = WCode())
            std::swprintf(m_message, count, L"IDispatch error #%d", static_cast<int>(code));
        else
            std::swprintf(m_message, count, L"Unknown error 0x%0X", static_cast<unsigned>(hr));
    }
    catch (...)
    {
        m_message[0] = L'\0';
    }
}

WORD _com_error::WCode() const noexcept
{
    const uint32_t value = static_cast<uint32_t>(m_hr);
    return value > 0x80040200u && value <= 0x8004FFFFu ? static_cast<WORD>(value - 0x80040200u) : 0;
}

void _com_issue_error(HRESULT hr)
{
    throw _com_error(hr);
}
