// CRefTime: a REFERENCE_TIME (signed 64-bit, 100-ns units) with the SDK's
// helpers, as CBaseFilter keeps its stream start time.
#pragma once

#include <windows.h>

#include <strmif.h>

class CRefTime
{
public:
    static const LONGLONG UnitsPerMillisecond = 10000;

    REFERENCE_TIME m_time = 0; // 100-ns units

    CRefTime() = default;
    // From milliseconds.
    explicit CRefTime(LONG msecs) : m_time(static_cast<REFERENCE_TIME>(msecs) * UnitsPerMillisecond) {}
    CRefTime(REFERENCE_TIME rt) : m_time(rt) {}

    operator REFERENCE_TIME() const { return m_time; }
    CRefTime& operator=(const REFERENCE_TIME& rt)
    {
        m_time = rt;
        return *this;
    }
    CRefTime& operator+=(const CRefTime& rt)
    {
        m_time += rt.m_time;
        return *this;
    }
    CRefTime& operator-=(const CRefTime& rt)
    {
        m_time -= rt.m_time;
        return *this;
    }

    // Whole milliseconds, truncated toward zero.
    LONG Millisecs() const { return static_cast<LONG>(m_time / UnitsPerMillisecond); }
    LONGLONG GetUnits() const { return m_time; }
};
