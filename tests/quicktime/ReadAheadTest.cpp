// The reader reads ahead in blocks; these tests hold it to the results of one
// source read per field, and to few source reads.
#include <gtest/gtest.h>

#include <random>

#include "quicktime/FourCC.h"
#include "quicktime/QTParser.h"
#include "tests/support/AtomBuilder.h"
#include "tests/support/TestByteSource.h"

namespace
{
constexpr uint32_t kAbcd = MakeFourCC('a', 'b', 'c', 'd');

// Random bytes with plausible atom sizes planted here and there, so that
// GetNextAtom meets valid, invalid and extended headers.
std::vector<BYTE> RandomFile(std::mt19937& rng, size_t size)
{
    std::vector<BYTE> bytes(size);
    for (BYTE& b : bytes)
        b = static_cast<BYTE>(rng());
    for (size_t i = 0; i + 16 <= size; i += 1 + rng() % 24)
    {
        const uint32_t small = rng() % 48;
        const bool extended = rng() % 5 == 0;
        const uint64_t value = extended ? 1 : small;
        for (int k = 0; k < 4; ++k)
            bytes[i + k] = static_cast<BYTE>(value >> (8 * (3 - k)));
        if (extended)
            for (int k = 0; k < 8; ++k)
                bytes[i + 8 + k] = static_cast<BYTE>(k == 7 ? small : 0);
    }
    return bytes;
}

// Runs the same random operation on both readers and compares everything
// they report.
void ExpectSameStep(QTParser& expected, QTParser& actual, std::mt19937& ops)
{
    const int op = static_cast<int>(ops() % 7);
    switch (op)
    {
    case 0:
    {
        uint32_t e = 1, a = 2;
        ASSERT_EQ(expected.ReadUInt32(e), actual.ReadUInt32(a));
        ASSERT_EQ(e, a);
        break;
    }
    case 1:
    {
        uint64_t e = 1, a = 2;
        ASSERT_EQ(expected.ReadUInt64(e), actual.ReadUInt64(a));
        ASSERT_EQ(e, a);
        break;
    }
    case 2:
    {
        const LONG count = static_cast<LONG>(ops() % 40);
        std::vector<BYTE> e(count + 1, 0xAA), a(count + 1, 0xAA);
        const LONGLONG result = expected.ReadBytes(e.data(), count);
        ASSERT_EQ(result, actual.ReadBytes(a.data(), count));
        if (result > 0)
        {
            ASSERT_EQ(e, a);
        }
        break;
    }
    case 3:
    {
        const LONGLONG count = ops() % 30;
        ASSERT_EQ(expected.Skip(count), actual.Skip(count));
        break;
    }
    case 4:
        ASSERT_EQ(expected.SkipRestOfAtom(), actual.SkipRestOfAtom());
        break;
    default:
    {
        LONGLONG es = 1, as = 2, ep = 1, ap = 2;
        uint32_t en = 1, an = 2;
        ASSERT_EQ(expected.GetNextAtom(es, en, ep), actual.GetNextAtom(as, an, ap));
        ASSERT_EQ(es, as);
        ASSERT_EQ(en, an);
        ASSERT_EQ(ep, ap);
        break;
    }
    }
    ASSERT_EQ(expected.GetCursor(), actual.GetCursor());
    ASSERT_EQ(expected.GetAtomStart(), actual.GetAtomStart());
    ASSERT_EQ(expected.GetAtomSize(), actual.GetAtomSize());
}
} // namespace

TEST(QTParserReadAhead, SameResultsAsOneReadPerField)
{
    std::mt19937 rng(20240611);
    for (int round = 0; round < 400; ++round)
    {
        const size_t fileSize = rng() % 600;
        CTestByteSource source(RandomFile(rng, fileSize));
        // Regions inside the file, straddling its end, past it, and unbounded.
        const LONGLONG start = static_cast<LONGLONG>(rng() % (fileSize + 20));
        const ULONGLONG size = rng() % 4 == 0 ? 0 : rng() % (fileSize + 60);
        const unsigned opsSeed = static_cast<unsigned>(rng());
        for (LONG block : {2, 3, 5, 16, 64, 200, QTParser::kDefaultBlockSize})
        {
            SCOPED_TRACE(testing::Message() << "round " << round << " start " << start << " size " << size
                                            << " file " << fileSize << " block " << block);
            QTParser expected(&source, start, kAbcd, size, 1);
            QTParser actual(&source, start, kAbcd, size, block);
            std::mt19937 ops(opsSeed);
            for (int step = 0; step < 80; ++step)
            {
                ExpectSameStep(expected, actual, ops);
                if (testing::Test::HasFatalFailure())
                    return;
            }
        }
    }
}

TEST(QTParserReadAhead, BlocksNeverReachPastTheRegionEnd)
{
    AtomBuilder b;
    b.Zeros(100).Begin(kAbcd).U32(1).U32(2).U32(3).End().Zeros(1000);
    CTestByteSource source(b.Bytes());
    QTParser reader(&source, 100, kAbcd, 20);
    uint32_t value = 0;
    for (uint32_t expected = 1; expected <= 3; ++expected)
    {
        EXPECT_EQ(4, reader.ReadUInt32(value));
        EXPECT_EQ(expected, value);
    }
    EXPECT_EQ(-1, reader.ReadUInt32(value));
    ASSERT_EQ(1u, source.ReadCount()); // one block for the header and all three fields
    EXPECT_EQ(100, source.Reads()[0].position);
    EXPECT_EQ(20, source.Reads()[0].length);
}

TEST(QTParserReadAhead, AMillionFieldsTakeAHandfulOfReads)
{
    constexpr uint32_t kCount = 1000000;
    AtomBuilder b;
    b.Begin(kAbcd);
    for (uint32_t i = 0; i < kCount; ++i)
        b.U32(i * 7);
    b.End();
    const std::vector<BYTE> whole = b.Bytes();

    // The whole table present; then the same atom cut short at 60% of the
    // file, where the reads must stop exactly at the last whole field.
    for (const size_t fileSize : {whole.size(), whole.size() * 3 / 5})
    {
        SCOPED_TRACE(fileSize);
        CTestByteSource source(std::vector<BYTE>(whole.begin(), whole.begin() + fileSize));
        QTParser reader(&source, 0, kAbcd, whole.size());
        uint32_t value = 0;
        uint32_t read = 0;
        while (read < kCount && reader.ReadUInt32(value) == 4)
        {
            if (value != read * 7)
                break;
            ++read;
        }
        EXPECT_EQ((fileSize - 8) / 4, read);
        EXPECT_LT(source.ReadCount(), 200u);
    }
}
