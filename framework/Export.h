// QTP_EXPORT marks a class or function as part of the module's exported
// interface: exported from the filter DLL on Windows, default visibility in
// the native shared library (which may hide everything else).
#pragma once

#if defined(_WIN32)
#define QTP_EXPORT __declspec(dllexport)
#else
#define QTP_EXPORT __attribute__((visibility("default")))
#endif
