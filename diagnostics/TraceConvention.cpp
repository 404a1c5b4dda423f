#include "diagnostics/TraceConvention.h"

namespace {

const wchar_t kUnknownError[] = L"Unknown error";

// Logs hr with text at the tracer's recorded place when it has one, else at
// the handler's. Logging must not throw out of a catch clause: a journal or
// memory failure here leaves the result set and nothing logged.
void LogAtRecordedPlace(CEntryPoint& tracer, long hr, const wchar_t* file, int line, const wchar_t* text) noexcept
{
    try
    {
        // LogError copies the file name before it overwrites its own.
        if (tracer.Line() != -1)
            (void)tracer.LogError(hr, tracer.SourceFile(), tracer.Line(), L"%s", text);
        else
            (void)tracer.LogError(hr, file, line, L"%s", text);
    }
    catch (...)
    {
        tracer.SetResult(hr);
    }
}

} // namespace

void HandleCaughtResult(CEntryPoint& tracer, long error, const wchar_t* file, int line) noexcept
{
    tracer.SetResult(error);
    if (tracer.IsUnlogged())
        LogAtRecordedPlace(tracer, tracer.Result(), file, line, kUnknownError);
}

void HandleCaughtComError(CEntryPoint& tracer, const _com_error& error, const wchar_t* file, int line) noexcept
{
    tracer.SetResult(error.Error());
    const wchar_t* message = error.ErrorMessage();
    LogAtRecordedPlace(tracer, error.Error(), file, line, message ? message : L"");
}

void HandleCaughtUnknown(CEntryPoint& tracer, const wchar_t* file, int line) noexcept
{
    tracer.SetResult(E_FAIL);
    LogAtRecordedPlace(tracer, E_FAIL, file, line, kUnknownError);
}
