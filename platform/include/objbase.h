// Native stand-in for <objbase.h>: the COM interfaces, task memory and the
// COM runtime calls of an in-process client.
// Media-type format blocks and strings handed across interfaces are allocated
// with CoTaskMemAlloc and freed by the receiver with CoTaskMemFree.
#pragma once

#include "objidl.h"
#include "unknwn.h"

typedef WCHAR OLECHAR;
typedef OLECHAR* LPOLESTR;
typedef const OLECHAR* LPCOLESTR;

// Null when the memory is not available; a size of 0 still gives a block.
LPVOID CoTaskMemAlloc(SIZE_T cb);
// Accepts null.
void CoTaskMemFree(LPVOID pv);

// The entry points of an in-process server module.
typedef HRESULT (*LPFNGETCLASSOBJECT)(REFCLSID, REFIID, LPVOID*);
typedef HRESULT (*LPFNCANUNLOADNOW)();

typedef enum tagCLSCTX
{
    CLSCTX_INPROC_SERVER = 0x1,
    CLSCTX_INPROC_HANDLER = 0x2,
    CLSCTX_LOCAL_SERVER = 0x4,
    CLSCTX_ALL = 0x17
} CLSCTX;

typedef enum tagCOINIT
{
    COINIT_MULTITHREADED = 0x0,
    COINIT_APARTMENTTHREADED = 0x2
} COINIT;

// Each thread that creates objects initialises COM first: S_OK the first
// time, S_FALSE after; every success is matched by one CoUninitialize.
HRESULT CoInitialize(LPVOID reserved);
HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit);
void CoUninitialize();

// Creates an object of clsid: one the runtime provides itself (the filter
// graph, the file source, the memory allocator and the filter mapper:
// CLSID_FilterGraph, CLSID_AsyncReader, CLSID_MemoryAllocator,
// CLSID_FilterMapper2), else one of the registered in-process server
// (HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32), whose module is loaded
// once and asked for the class factory with DllGetClassObject; then the
// factory's CreateInstance. REGDB_E_CLASSNOTREG for a class that is not
// registered (or without CLSCTX_INPROC_SERVER), CO_E_NOTINITIALIZED on a
// thread without CoInitialize, 0x8007007E or 0x800700C1 when the module will
// not load, CO_E_ERRORINDLL when it has no DllGetClassObject, the registry's
// failure as an HRESULT (a damaged registry file: 0x800703F1).
HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID riid, LPVOID* ppv);
// Unloads each module loaded by the calls above whose DllCanUnloadNow
// answers S_OK.
void CoFreeUnusedLibraries();

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (upper case, 39 characters with
// the terminator): the characters written, or 0 when size is too small.
int StringFromGUID2(REFGUID guid, LPOLESTR text, int size);
// The reverse, braces required, either case. CO_E_CLASSSTRING otherwise.
HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid);
