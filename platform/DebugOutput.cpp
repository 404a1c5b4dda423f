#include "platform/DebugOutput.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>

#include "framework/Utf8.h"

namespace {

// Writes lines to stderr or to a file, for QTP_DEBUG_OUTPUT.
class CStreamListener : public IDebugOutputListener
{
public:
    explicit CStreamListener(FILE* stream, bool owned) : m_stream(stream), m_owned(owned) {}
    ~CStreamListener()
    {
        if (m_owned)
            std::fclose(m_stream);
    }
    void OnDebugString(const wchar_t* text) override
    {
        const std::string utf8 = WideToUtf8(text);
        std::lock_guard<std::mutex> hold(m_lock);
        std::fwrite(utf8.data(), 1, utf8.size(), m_stream);
        if (utf8.empty() || utf8.back() != '\n')
            std::fputc('\n', m_stream);
        std::fflush(m_stream);
    }

private:
    std::mutex m_lock;
    FILE* m_stream;
    bool m_owned;
};

class CDebugSink
{
public:
    CDebugSink()
    {
        const char* target = std::getenv("QTP_DEBUG_OUTPUT");
        if (!target || !*target)
            return;
        if (std::strcmp(target, "stderr") == 0)
            m_stream.reset(new CStreamListener(stderr, false));
        else if (FILE* f = std::fopen(target, "a"))
            m_stream.reset(new CStreamListener(f, true));
        if (m_stream)
            Add(m_stream.get());
    }

    void Add(IDebugOutputListener* listener)
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_listeners.push_back(listener);
        m_count.store(static_cast<int>(m_listeners.size()), std::memory_order_release);
    }

    void Remove(IDebugOutputListener* listener)
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener), m_listeners.end());
        m_count.store(static_cast<int>(m_listeners.size()), std::memory_order_release);
    }

    bool Wanted() const { return m_count.load(std::memory_order_acquire) > 0; }

    void Write(const wchar_t* text)
    {
        std::lock_guard<std::mutex> hold(m_lock);
        for (IDebugOutputListener* listener : m_listeners)
            listener->OnDebugString(text);
    }

private:
    std::mutex m_lock;
    std::vector<IDebugOutputListener*> m_listeners; // not owned
    std::atomic<int> m_count{0};
    std::unique_ptr<CStreamListener> m_stream;
};

CDebugSink& Sink()
{
    static CDebugSink sink;
    return sink;
}

} // namespace

void AddDebugOutputListener(IDebugOutputListener* listener)
{
    if (listener)
        Sink().Add(listener);
}

void RemoveDebugOutputListener(IDebugOutputListener* listener)
{
    Sink().Remove(listener);
}

bool IsDebugOutputWanted()
{
    return Sink().Wanted();
}

void OutputDebugStringW(LPCWSTR text)
{
    CDebugSink& sink = Sink();
    if (!text || !sink.Wanted())
        return;
    sink.Write(text);
}

CDebugOutputCapture::CDebugOutputCapture()
{
    AddDebugOutputListener(this);
}

CDebugOutputCapture::~CDebugOutputCapture()
{
    RemoveDebugOutputListener(this);
}

void CDebugOutputCapture::OnDebugString(const wchar_t* text)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_lines.emplace_back(text);
}

std::vector<std::wstring> CDebugOutputCapture::Lines() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_lines;
}

std::wstring CDebugOutputCapture::Text() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    std::wstring all;
    for (const std::wstring& line : m_lines)
        all += line;
    return all;
}

bool CDebugOutputCapture::Contains(const std::wstring& fragment) const
{
    return Count(fragment) > 0;
}

size_t CDebugOutputCapture::Count(const std::wstring& fragment) const
{
    std::lock_guard<std::mutex> hold(m_lock);
    size_t n = 0;
    for (const std::wstring& line : m_lines)
        if (line.find(fragment) != std::wstring::npos)
            ++n;
    return n;
}

void CDebugOutputCapture::Clear()
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_lines.clear();
}
