// Native stand-in for the _com_error exception of <comdef.h>: a COM failure
// carried as an exception, with the platform's message text for its HRESULT.
#pragma once

#include <windows.h>

class _com_error
{
public:
    explicit _com_error(HRESULT hr) noexcept;
    _com_error(const _com_error&) noexcept = default;
    _com_error& operator=(const _com_error&) noexcept = default;
    virtual ~_com_error() = default;

    HRESULT Error() const noexcept { return m_hr; }
    // The IDispatch exception code: the HRESULT minus 0x80040200 for HRESULTs
    // above 0x80040200 up to 0x8004FFFF, else 0.
    WORD WCode() const noexcept;
    // The system's text for the HRESULT without its trailing line break; for
    // one the system has no text for, "IDispatch error #<WCode>" or
    // "Unknown error 0x<HRESULT>". Lives as long as the exception.
    const TCHAR* ErrorMessage() const noexcept { return m_message; }

private:
    HRESULT m_hr;
    wchar_t m_message[96];
};

// Throws _com_error(hr), as the platform's support library does.
[[noreturn]] void _com_issue_error(HRESULT hr);
