// CMediaType and the AM_MEDIA_TYPE helpers: deep copies, ownership of the
// format block and pUnk, comparisons and partial matches.
#include <gtest/gtest.h>

#include <cstring>

#include "framework/CMediaType.h"

namespace {

class CountedUnknown : public IUnknown
{
public:
    STDMETHODIMP QueryInterface(REFIID, void** ppv) override
    {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    ULONG refs = 1;
};

CMediaType Formatted(const GUID& sub, const char* bytes)
{
    CMediaType type(&MEDIATYPE_Video);
    type.SetSubtype(&sub);
    type.SetFormatType(&FORMAT_VideoInfo);
    EXPECT_TRUE(type.SetFormat(reinterpret_cast<const BYTE*>(bytes), static_cast<ULONG>(std::strlen(bytes))));
    return type;
}

TEST(CMediaTypeTest, CopiesAreDeepAndOwnTheirReferences)
{
    CountedUnknown unk;
    CMediaType original = Formatted(MEDIASUBTYPE_dvsd, "abcdef");
    original.pUnk = &unk;
    unk.AddRef(); // the type's own reference
    {
        CMediaType copy(original);
        EXPECT_EQ(unk.refs, 3u);
        ASSERT_NE(copy.Format(), original.Format());
        EXPECT_TRUE(copy == original);
        copy.Format()[0] = 'X';
        EXPECT_FALSE(copy == original) << "format bytes are compared";
        EXPECT_EQ(original.Format()[0], 'a');

        AM_MEDIA_TYPE* created = CreateMediaType(&original);
        ASSERT_NE(created, nullptr);
        EXPECT_EQ(unk.refs, 4u);
        DeleteMediaType(created);
        EXPECT_EQ(unk.refs, 3u);

        copy.InitMediaType();
        EXPECT_EQ(unk.refs, 2u);
        EXPECT_EQ(copy.pUnk, nullptr);
    }
    EXPECT_EQ(unk.refs, 2u);
    original.InitMediaType();
    EXPECT_EQ(unk.refs, 1u);
}

TEST(CMediaTypeTest, MatchesPartialLooksOnlyAtWhatIsGiven)
{
    const CMediaType full = Formatted(MEDIASUBTYPE_dvsd, "abc");
    CMediaType partial(&MEDIATYPE_Video);
    EXPECT_TRUE(full.MatchesPartial(&partial));
    partial.SetSubtype(&MEDIASUBTYPE_dvhd);
    EXPECT_FALSE(full.MatchesPartial(&partial));
    partial.SetSubtype(&GUID_NULL);
    partial.SetFormatType(&FORMAT_VideoInfo);
    EXPECT_FALSE(full.MatchesPartial(&partial)) << "a format type given means its bytes must match too";
    ASSERT_TRUE(partial.SetFormat(full.Format(), full.FormatLength()));
    EXPECT_TRUE(full.MatchesPartial(&partial));
    EXPECT_FALSE(full.IsPartiallySpecified());
    EXPECT_TRUE(CMediaType(&MEDIATYPE_Video).IsPartiallySpecified());
}

TEST(CMediaTypeTest, FormatBufferResizing)
{
    CMediaType type = Formatted(MEDIASUBTYPE_dvsd, "abcdef");
    BYTE* grown = type.ReallocFormatBuffer(10);
    ASSERT_NE(grown, nullptr);
    EXPECT_EQ(type.FormatLength(), 10u);
    EXPECT_EQ(std::memcmp(grown, "abcdef", 6), 0) << "the leading bytes survive";
    ASSERT_NE(type.ReallocFormatBuffer(2), nullptr);
    EXPECT_EQ(std::memcmp(type.Format(), "ab", 2), 0);
    ASSERT_NE(type.AllocFormatBuffer(0), nullptr);
    EXPECT_EQ(type.FormatLength(), 0u);
}

} // namespace
