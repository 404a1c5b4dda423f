#include <objbase.h>

#include <cstdlib>

LPVOID CoTaskMemAlloc(SIZE_T cb)
{
    // A zero-byte request still yields a distinct block, as on the platform.
    return std::malloc(cb == 0 ? 1 : cb);
}

void CoTaskMemFree(LPVOID pv)
{
    std::free(pv);
}
