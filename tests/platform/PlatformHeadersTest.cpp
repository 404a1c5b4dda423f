// The stand-in headers must give the platform's layouts: format blocks are
// copied byte for byte between filters.
#include <dshow.h>
#include <dvdmedia.h>
#include <mmreg.h>

#include <cstddef>
#include <type_traits>

static_assert(sizeof(BITMAPINFOHEADER) == 40);
static_assert(sizeof(VIDEOINFOHEADER) == 88);
static_assert(sizeof(VIDEOINFOHEADER2) == 112);
static_assert(offsetof(VIDEOINFOHEADER2, bmiHeader) == 72);
static_assert(offsetof(VIDEOINFOHEADER2, AvgTimePerFrame) == 40);
static_assert(sizeof(WAVEFORMATEX) == 18);
static_assert(offsetof(WAVEFORMATEX, cbSize) == 16);
static_assert(sizeof(ALLOCATOR_PROPERTIES) == 16);
static_assert(sizeof(LONG) == 4 && sizeof(HRESULT) == 4 && sizeof(REFERENCE_TIME) == 8);
static_assert(std::is_same_v<TCHAR, wchar_t>, "the filter is built for UNICODE");

