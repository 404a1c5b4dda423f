// Native stand-in for <winerror.h>: HRESULT values as the platform defines them.
// HRESULT is a signed 32-bit integer here too, so every failure is negative.
#pragma once

#include <cstdint>

typedef int32_t HRESULT;
typedef int32_t SCODE;

#define MAKE_HRESULT_VALUE(v) (static_cast<HRESULT>(static_cast<uint32_t>(v)))

#define SUCCEEDED(hr) (static_cast<HRESULT>(hr) >= 0)
#define FAILED(hr) (static_cast<HRESULT>(hr) < 0)

#define S_OK MAKE_HRESULT_VALUE(0x00000000)
#define S_FALSE MAKE_HRESULT_VALUE(0x00000001)
#define E_NOTIMPL MAKE_HRESULT_VALUE(0x80004001)
#define E_NOINTERFACE MAKE_HRESULT_VALUE(0x80004002)
#define E_POINTER MAKE_HRESULT_VALUE(0x80004003)
#define E_ABORT MAKE_HRESULT_VALUE(0x80004004)
#define E_FAIL MAKE_HRESULT_VALUE(0x80004005)
#define E_UNEXPECTED MAKE_HRESULT_VALUE(0x8000FFFF)
#define E_ACCESSDENIED MAKE_HRESULT_VALUE(0x80070005)
#define E_HANDLE MAKE_HRESULT_VALUE(0x80070006)
#define E_OUTOFMEMORY MAKE_HRESULT_VALUE(0x8007000E)
#define E_INVALIDARG MAKE_HRESULT_VALUE(0x80070057)
#define CLASS_E_NOAGGREGATION MAKE_HRESULT_VALUE(0x80040110)
#define CLASS_E_CLASSNOTAVAILABLE MAKE_HRESULT_VALUE(0x80040111)
#define REGDB_E_CLASSNOTREG MAKE_HRESULT_VALUE(0x80040154)
#define CO_E_NOTINITIALIZED MAKE_HRESULT_VALUE(0x800401F0)
#define CO_E_CLASSSTRING MAKE_HRESULT_VALUE(0x800401F3)
#define CO_E_ERRORINDLL MAKE_HRESULT_VALUE(0x800401F9)

#define FACILITY_WIN32 7
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_READ_FAULT 30L
#define ERROR_INVALID_DATA 13L
#define ERROR_DISK_FULL 112L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_PROC_NOT_FOUND 127L
#define ERROR_BAD_PATHNAME 161L
#define ERROR_BAD_EXE_FORMAT 193L
#define ERROR_MORE_DATA 234L
#define ERROR_BADDB 1009L
#define ERROR_CANTREAD 1012L
#define ERROR_CANTWRITE 1013L
#define ERROR_KEY_DELETED 1018L

// A Win32 error number greater than 0 becomes 0x8007xxxx with its low 16 bits;
// 0 and negative numbers (already HRESULTs) pass unchanged.
inline HRESULT HRESULT_FROM_WIN32(unsigned long x)
{
    return static_cast<HRESULT>(static_cast<int32_t>(x) <= 0
                                    ? static_cast<uint32_t>(x)
                                    : ((static_cast<uint32_t>(x) & 0x0000FFFFu) | (FACILITY_WIN32 << 16) | 0x80000000u));
}
