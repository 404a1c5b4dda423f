// The native build's debugger output: a process-wide sink behind
// OutputDebugStringW. Lines go to every registered listener; with none
// registered (the normal case) OutputDebugStringW and DebugPrintW return at
// once. QTP_DEBUG_OUTPUT=stderr, or =<file path>, adds a listener at start-up
// that writes the lines as UTF-8 for a person watching.
//
// To listen, derive from IDebugOutputListener and register; or, in tests, hold
// a CDebugOutputCapture for the scope in which lines are wanted.
#pragma once

#include <mutex>
#include <string>
#include <vector>

class IDebugOutputListener
{
public:
    // Called on the writing thread, one call per OutputDebugStringW.
    virtual void OnDebugString(const wchar_t* text) = 0;

protected:
    ~IDebugOutputListener() = default;
};

// Listeners are not owned; remove one before destroying it.
void AddDebugOutputListener(IDebugOutputListener* listener);
void RemoveDebugOutputListener(IDebugOutputListener* listener);

// True while at least one listener is registered.
bool IsDebugOutputWanted();

// Records every line written while it exists (thread-safe).
class CDebugOutputCapture : public IDebugOutputListener
{
public:
    CDebugOutputCapture();
    ~CDebugOutputCapture();
    CDebugOutputCapture(const CDebugOutputCapture&) = delete;
    CDebugOutputCapture& operator=(const CDebugOutputCapture&) = delete;

    void OnDebugString(const wchar_t* text) override;

    std::vector<std::wstring> Lines() const;
    // All lines concatenated, as a debugger would show them.
    std::wstring Text() const;
    bool Contains(const std::wstring& fragment) const;
    size_t Count(const std::wstring& fragment) const;
    void Clear();

private:
    mutable std::mutex m_lock;
    std::vector<std::wstring> m_lines;
};
