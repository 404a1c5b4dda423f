// The stand-in headers must give the platform's layouts and values: format
// blocks are copied byte for byte between filters, and result codes are
// compared against the platform's.
#include <dshow.h>
#include <dvdmedia.h>
#include <mmreg.h>

#include <cstddef>
#include <cstring>
#include <type_traits>
#include <gtest/gtest.h>

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

namespace {

uint32_t FourCC(const char (&code)[5])
{
    return static_cast<uint32_t>(static_cast<uint8_t>(code[0])) |
           static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(code[3])) << 24;
}

TEST(PlatformHeaders, ResultCodesKeepTheirSignOnEveryPlatform)
{
    EXPECT_TRUE(FAILED(VFW_E_NOT_COMMITTED));
    EXPECT_TRUE(FAILED(VFW_E_TYPE_NOT_ACCEPTED));
    EXPECT_TRUE(FAILED(VFW_E_NO_ACCEPTABLE_TYPES));
    EXPECT_TRUE(SUCCEEDED(VFW_S_NO_MORE_ITEMS));
    EXPECT_EQ(static_cast<uint32_t>(VFW_E_NOT_COMMITTED), 0x80040211u);
    EXPECT_EQ(static_cast<uint32_t>(VFW_E_TYPE_NOT_ACCEPTED), 0x8004022Au);
    EXPECT_EQ(static_cast<uint32_t>(VFW_E_NO_ACCEPTABLE_TYPES), 0x80040207u);
    EXPECT_EQ(static_cast<uint32_t>(VFW_S_NO_MORE_ITEMS), 0x00040103u);
    EXPECT_EQ(EC_STREAM_ERROR_STOPPED, 0x06);
}

TEST(PlatformHeaders, FourCharacterCodeSubtypesCarryTheCodeInTheirFirstField)
{
    EXPECT_EQ(MEDIASUBTYPE_dvsd.Data1, FourCC("dvsd"));
    EXPECT_EQ(MEDIASUBTYPE_dvhd.Data1, FourCC("dvhd"));
    EXPECT_EQ(MEDIATYPE_Video.Data1, FourCC("vids"));
    EXPECT_EQ(MEDIATYPE_Audio.Data1, FourCC("auds"));
    // The rest of every such identifier is the same fixed tail.
    EXPECT_EQ(0, std::memcmp(&MEDIASUBTYPE_dvsd.Data2, &MEDIASUBTYPE_PCM.Data2, sizeof(GUID) - 4));
    EXPECT_NE(MEDIASUBTYPE_None, MEDIASUBTYPE_NULL);
    EXPECT_NE(TIME_FORMAT_MEDIA_TIME, TIME_FORMAT_BYTE);
}

} // namespace
