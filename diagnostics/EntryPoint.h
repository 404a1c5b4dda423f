// CEntryPoint: the scoped tracer of one method call, part of the module's
// exported interface. It names the method, takes the HRESULTs the method
// assigns to it (a failure is recorded and thrown as long), and writes the
// method's records to the error journal (Journal.h):
//   - LogError: the error text in 127-character pieces (kind 4), then the
//     method's entry-point record, all under a new chain id, which then
//     becomes the result, so the failure travels up as its chain id;
//   - operator=(failure): one entry-point record under the failure's value,
//     which for a failure from a traced callee is that chain id.
// See TraceConvention.h for the shape of a traced method.
#pragma once

#include "diagnostics/EntryPointBase.h"

class QTP_EXPORT CEntryPoint : public CEntryPointBase
{
public:
    // Empty name, empty source file, line -1, start tick now, result 0, chain id 0.
    CEntryPoint();
    // As above, the name formatted printf-style (at most 127 characters).
    explicit CEntryPoint(const wchar_t* format, ...);
    CEntryPoint(const CEntryPoint& other);
    CEntryPoint& operator=(const CEntryPoint& other);
    // Stores hr as result and chain id; for a failure (negative) writes the
    // entry-point record and throws hr as long. S_OK and S_FALSE never throw.
    CEntryPoint& operator=(long hr);
    ~CEntryPoint() = default;

    long LogEntryPoint() override;
    long LogError(long hr, const wchar_t* file, int line, const wchar_t* format, ...) override;
    int LogMsg(const wchar_t* format, ...) override;
    int LogOwnerInfo(long a, const wchar_t* b, const wchar_t* c, const wchar_t* d, const wchar_t* e,
                     long f) override;
    int Trace(const wchar_t* format, ...) override;

    DWORD OwnerContext() const { return m_ownerContext; }
    long ChainId() const { return m_chainId; }

private:
    long LogErrorV(long hr, const wchar_t* file, int line, const wchar_t* format, va_list args);
    int LogTextV(int kind, const wchar_t* format, va_list args);
    void StoreSourceFile(const wchar_t* file);
    // Writes message in 127-character pieces; with stopAtRefusal, returns 0
    // at the first piece the journal refuses. 1 otherwise.
    int WritePieces(long result, int kind, DWORD elapsedMs, const wchar_t* message, bool stopAtRefusal);

    DWORD m_ownerContext; // passed unchanged with every record; nothing here sets it
    long m_chainId;
};
