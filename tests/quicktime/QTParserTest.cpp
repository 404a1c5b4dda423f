#include <gtest/gtest.h>

#include "framework/FormatWide.h"
#include "platform/DebugOutput.h"
#include "quicktime/FourCC.h"
#include "quicktime/QTParser.h"
#include "tests/support/AtomBuilder.h"
#include "tests/support/TestByteSource.h"

namespace
{
constexpr uint32_t kAbcd = MakeFourCC('a', 'b', 'c', 'd');

struct Atom
{
    LONGLONG result = 0, size = 0, payload = 0;
    uint32_t name = 0;
};

Atom NextAtom(QTParser& reader)
{
    Atom a;
    a.result = reader.GetNextAtom(a.size, a.name, a.payload);
    return a;
}
} // namespace

TEST(QTParser, AcceptsOnlyValidAtomSizes)
{
    struct Case
    {
        bool extended;
        uint64_t declared;
        LONGLONG expected; // header length, or -1
    };
    const Case cases[] = {
        {false, 8, 8}, {false, 0, -1}, {false, 7, -1}, {true, 16, 16}, {true, 15, -1}, {true, uint64_t{1} << 63, -1},
        // The atom starts at 8: an end past the largest file offset is invalid.
        {true, static_cast<uint64_t>(INT64_MAX), -1}, {true, static_cast<uint64_t>(INT64_MAX) - 8, 16},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "extended " << c.extended << " size " << c.declared);
        AtomBuilder b;
        b.Empty(FourCC::Free);
        (c.extended ? b.BeginExtended(kAbcd) : b.Begin(kAbcd)).Zeros(8).EndWithSize(c.declared);
        CTestByteSource source(b.Bytes());
        QTParser reader(&source, 8, 0, 0);
        const Atom a = NextAtom(reader);
        EXPECT_EQ(c.expected, a.result);
        EXPECT_EQ(c.expected > 0 ? static_cast<LONGLONG>(c.declared) : 0, a.size);
        EXPECT_EQ(c.expected > 0 ? 8 + c.expected : 0, a.payload);
        EXPECT_EQ(c.expected > 0 ? kAbcd : 0, a.name);
    }
}

TEST(QTParser, WalksAtomsToTheEndOfTheFileAndOfTheirParent)
{
    AtomBuilder b;
    b.Begin(FourCC::Moov);
    b.Empty(FourCC::Udta);
    b.Begin(FourCC::Trak).Zeros(4).EndWithSize(100); // claims more than its parent holds
    b.End();
    b.BeginExtended(FourCC::Mdat).Zeros(3).End();
    CTestByteSource source(b.Bytes());

    QTParser top(&source, 0, 0, 0);
    EXPECT_EQ(8, NextAtom(top).result);
    EXPECT_EQ(28, top.SkipRestOfAtom());
    const Atom mdat = NextAtom(top);
    EXPECT_EQ(16, mdat.result);
    EXPECT_EQ(19, mdat.size);
    EXPECT_EQ(44, mdat.payload);
    EXPECT_EQ(19, top.SkipRestOfAtom());
    EXPECT_EQ(-1, NextAtom(top).result); // the end of the file ends the walk
    EXPECT_EQ(0, top.SkipRestOfAtom());  // nothing current: the cursor stays
    EXPECT_EQ(47, top.GetCursor());

    CDebugOutputCapture capture;
    QTParser moov(&source, 0, FourCC::Moov, 28);
    EXPECT_EQ(8, moov.GetCursor()); // the constructor consumed the header
    ASSERT_EQ(FourCC::Udta, NextAtom(moov).name);
    {
        QTParser udta = moov.OpenAtom();
        const size_t reads = source.Reads().size();
        EXPECT_EQ(-1, NextAtom(udta).result);
        EXPECT_EQ(reads, source.Reads().size()); // an empty atom: no read at all
    }
    (void)moov.SkipRestOfAtom();
    const Atom trak = NextAtom(moov);
    EXPECT_EQ(FourCC::Trak, trak.name);
    EXPECT_EQ(100, trak.size);
    EXPECT_EQ(100, moov.SkipRestOfAtom());
    EXPECT_EQ(-1, NextAtom(moov).result);
    // Trace lines with the source, the region, the cursor and the atom read.
    const std::vector<std::wstring> lines = capture.Lines();
    const unsigned address = static_cast<unsigned>(reinterpret_cast<uintptr_t>(&source));
    EXPECT_EQ(FormatWideString(L"QTParser(0x%x, 0x0, moov, 28, 1)", address), lines.at(0));
    EXPECT_EQ(L" GNA: 0x1c, 0x8, 0x1c", lines.at(4));
    EXPECT_EQ(L" QTParser::GetNextAtom(moov) size 8 atom name udta : size = 8", lines.at(5));
}

TEST(QTParser, FieldReadsStopAtTheRegionEnd)
{
    AtomBuilder b;
    b.Begin(kAbcd).U32(256).U32(1).U32(0).U8(0xAB).U8(0xCD).U8(0xEF).End().U32(0x11223344);
    CTestByteSource source(b.Bytes());
    QTParser reader(&source, 0, kAbcd, 23); // 15 payload bytes

    uint32_t u32 = 9;
    uint64_t u64 = 9;
    EXPECT_EQ(-1, reader.Skip(15)); // a skip needs more than its count left
    EXPECT_EQ(4, reader.ReadUInt32(u32));
    EXPECT_EQ(256u, u32);
    EXPECT_EQ(8, reader.ReadUInt64(u64));
    EXPECT_EQ(uint64_t{1} << 32, u64);
    // Three bytes left: neither a 32- nor a 64-bit read fits, the cursor stays.
    EXPECT_EQ(-1, reader.ReadUInt32(u32));
    EXPECT_EQ(0u, u32);
    EXPECT_EQ(-1, reader.ReadUInt64(u64));
    EXPECT_EQ(20, reader.GetCursor());
    EXPECT_EQ(-1, reader.Skip(3));
    EXPECT_EQ(0, reader.Skip(0));
    EXPECT_EQ(0, reader.Skip(2));

    // Past the region end the whole count still comes from the source, but
    // the cursor stops at the end of the region.
    BYTE bytes[5] = {};
    EXPECT_EQ(1, reader.ReadBytes(bytes, 5));
    EXPECT_EQ(0xEF, bytes[0]);
    EXPECT_EQ(0x44, bytes[4]);
    EXPECT_EQ(23, reader.GetCursor());
    EXPECT_EQ(-1, reader.ReadBytes(bytes, 1));
    EXPECT_EQ(-1, reader.Skip(0));
    // One block for the header and every field, never past the region end;
    // then the read of the bytes that straddle it.
    EXPECT_EQ((std::vector<CTestByteSource::Read>{{0, 23}, {22, 5}}), source.Reads());
}

TEST(QTParser, ShortAndFailedSourceReadsFail)
{
    // The region claims more than the file holds: a read reaching past the
    // end of the file fails and leaves the cursor.
    AtomBuilder b;
    b.Begin(kAbcd).U32(5).U16(6).EndWithSize(64);
    CTestByteSource source(b.Bytes());
    QTParser reader(&source, 0, kAbcd, 64);
    uint32_t u32 = 0;
    BYTE bytes[4];
    EXPECT_EQ(4, reader.ReadUInt32(u32));
    EXPECT_EQ(-1, reader.ReadBytes(bytes, 4));
    EXPECT_EQ(-1, reader.ReadUInt32(u32));
    EXPECT_EQ(12, reader.GetCursor());
    EXPECT_EQ(2, reader.ReadBytes(bytes, 2));

    source.FailFromRead(0, E_UNEXPECTED);
    QTParser failed(&source, 0, kAbcd, 64);
    EXPECT_EQ(0, failed.GetAtomSize());
    EXPECT_EQ(-1, failed.ReadUInt32(u32));
    QTParser unconnected(nullptr, 0, 0, 0);
    EXPECT_EQ(-1, NextAtom(unconnected).result);
    EXPECT_EQ(-1, unconnected.Skip(0)); // an unbounded reader cannot skip
}
