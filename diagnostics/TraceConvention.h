// The shape of every traced method of the filter and its pins:
//
//   HRESULT CInputPin::CheckMediaType(const CMediaType* pmt)
//   {
//       CTraceEntry tracer(L"CInputPin::CheckMediaType");
//       DebugPrintW(L"...trace line...\n");
//       try
//       {
//           if (!pmt)
//               tracer = E_POINTER;                 // a failure throws from here
//           tracer = Callee();                       // so does a failing call
//           if (pmt->majortype != MEDIATYPE_Stream)
//               QTP_RAISE(tracer, E_FAIL, L"Major type %s refused", name);
//       }
//       QTP_CATCH_ALL(tracer)
//       return tracer.Result();
//   }
//
// QTP_CATCH_ALL is the three catch clauses; each sets the tracer's result:
//   - catch (long): the thrown value; an entry not yet logged writes
//     "Unknown error" (a failure already logged writes nothing more);
//   - catch (_com_error&): the exception's HRESULT, logged with its message,
//     logged or not;
//   - catch (...): E_FAIL, logged as "Unknown error".
// They log with the tracer's recorded file and line when it has a line, else
// with this source file and the line of QTP_CATCH_ALL, and never throw.
#pragma once

#include <comdef.h>

#include "diagnostics/Journal.h"
#include "diagnostics/RaiseError.h"
#include "diagnostics/SourceFileName.h"
#include "diagnostics/TraceEntry.h"

// Raises the method's own failure hr with a printf-style message.
#define QTP_RAISE(tracer, hr, ...) RaiseError((tracer), (hr), QTP_SOURCE_FILE, __LINE__, __VA_ARGS__)

#define QTP_CATCH_ALL(tracer)                                                                                   \
    catch (long qtpCaught)                                                                                      \
    {                                                                                                           \
        HandleCaughtResult((tracer), qtpCaught, QTP_SOURCE_FILE, __LINE__);                                     \
    }                                                                                                           \
    catch (const _com_error& qtpCaught)                                                                         \
    {                                                                                                           \
        HandleCaughtComError((tracer), qtpCaught, QTP_SOURCE_FILE, __LINE__);                                   \
    }                                                                                                           \
    catch (...)                                                                                                 \
    {                                                                                                           \
        HandleCaughtUnknown((tracer), QTP_SOURCE_FILE, __LINE__);                                               \
    }

// The bodies of the three clauses; file and line are the handler's own.
void HandleCaughtResult(CEntryPoint& tracer, long error, const wchar_t* file, int line) noexcept;
void HandleCaughtComError(CEntryPoint& tracer, const _com_error& error, const wchar_t* file, int line) noexcept;
void HandleCaughtUnknown(CEntryPoint& tracer, const wchar_t* file, int line) noexcept;
