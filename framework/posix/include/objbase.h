// Native stand-in for <objbase.h>: the COM interfaces and task memory.
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
