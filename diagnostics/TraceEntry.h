// CTraceEntry: the tracer a method builds, a CEntryPoint named by its
// constructor; everything else is CEntryPoint's.
#pragma once

#include "diagnostics/EntryPoint.h"

class CTraceEntry : public CEntryPoint
{
public:
    // The name formatted printf-style, e.g. CTraceEntry(L"CInputPin::CheckMediaType").
    explicit CTraceEntry(const wchar_t* format, ...);
    CTraceEntry(const CTraceEntry&) = default;
    CTraceEntry& operator=(const CTraceEntry&) = default;
    ~CTraceEntry() = default;

    // As CEntryPoint's: records hr; a failure writes the entry-point record
    // and is thrown as long.
    CTraceEntry& operator=(long hr)
    {
        CEntryPoint::operator=(hr);
        return *this;
    }
};
