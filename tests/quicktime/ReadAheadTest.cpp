// The reader reads ahead in blocks; these tests hold it, its array reads
// included, to the results of one source read per field, and to few source reads.
#include <gtest/gtest.h>

#include <random>

#include "quicktime/FourCC.h"
#include "quicktime/QTParser.h"
#include "tests/support/AtomBuilder.h"
#include "tests/support/TestByteSource.h"

namespace
{
constexpr uint32_t kAbcd = MakeFourCC('a', 'b', 'c', 'd');

// Random bytes with atom sizes (small, or 1 with a small extended size)
// planted here and there, so that GetNextAtom meets valid and invalid headers.
std::vector<BYTE> RandomFile(std::mt19937& rng, size_t size)
{
    std::vector<BYTE> bytes(size);
    for (BYTE& b : bytes)
        b = static_cast<BYTE>(rng());
    for (size_t i = 0; i + 16 <= size; i += 1 + rng() % 24)
    {
        const bool extended = rng() % 5 == 0;
        std::fill(bytes.begin() + i, bytes.begin() + i + 3, BYTE{0});      // size, high bytes
        std::fill(bytes.begin() + i + 8, bytes.begin() + i + 15, BYTE{0}); // extended size, high bytes
        bytes[i + 3] = static_cast<BYTE>(extended ? 1 : rng() % 48);
        bytes[i + 15] = static_cast<BYTE>(rng() % 48);
    }
    return bytes;
}

// count fields in one array read, or (reference) one ReadUInt32/ReadUInt64
// call each up to the first failure: the number read, then the values up to
// the one at the failure (left 0).
std::vector<LONGLONG> ReadFields(QTParser& r, LONG count, bool wide, bool reference)
{
    std::vector<uint32_t> v32(static_cast<size_t>(count), 1);
    std::vector<uint64_t> v64(static_cast<size_t>(count), 1);
    LONG read = 0;
    if (!reference)
        read = wide ? r.ReadUInt64Array(v64.data(), count) : r.ReadUInt32Array(v32.data(), count);
    while (reference && read < count && (wide ? r.ReadUInt64(v64[read]) == 8 : r.ReadUInt32(v32[read]) == 4))
        ++read;
    std::vector<LONGLONG> seen{read};
    for (LONG i = 0; i < std::min(read + 1, count); ++i)
        seen.push_back(wide ? static_cast<LONGLONG>(v64[static_cast<size_t>(i)]) : v32[static_cast<size_t>(i)]);
    return seen;
}

// Runs operation op (0 to 8) and returns everything the reader reports about it.
std::vector<LONGLONG> Step(QTParser& r, unsigned op, unsigned arg, bool reference)
{
    std::vector<LONGLONG> seen;
    uint32_t v32 = 1;
    uint64_t v64 = 1;
    LONGLONG size = 1, payload = 1;
    std::vector<BYTE> bytes(arg % 40 + 1, 0xAA);
    switch (op)
    {
    case 0: seen = {r.ReadUInt32(v32), v32}; break;
    case 1: seen = {r.ReadUInt64(v64), static_cast<LONGLONG>(v64)}; break;
    case 2:
        seen = {r.ReadBytes(bytes.data(), static_cast<LONG>(arg % 40))};
        if (seen[0] > 0)
            seen.insert(seen.end(), bytes.begin(), bytes.end());
        break;
    case 3: seen = {r.Skip(arg % 30)}; break;
    case 4: seen = {r.SkipRestOfAtom()}; break;
    case 7:
    case 8: seen = ReadFields(r, static_cast<LONG>(arg % 70), op == 8, reference); break;
    default: seen = {r.GetNextAtom(size, v32, payload), size, v32, payload};
    }
    seen.insert(seen.end(), {r.GetCursor(), r.GetAtomStart(), r.GetAtomSize()});
    return seen;
}

// Runs the same random operations (pick maps a random number to one) on a
// reader making one exact read per field and on readers with blocks of
// several sizes, over regions inside random files, straddling their end,
// past it, and unbounded.
void ExpectSameResultsAsOneReadPerField(unsigned seed, int rounds, int steps, unsigned (*pick)(unsigned))
{
    std::mt19937 rng(seed);
    for (int round = 0; round < rounds; ++round)
    {
        const size_t fileSize = rng() % 600;
        CTestByteSource source(RandomFile(rng, fileSize));
        const LONGLONG start = static_cast<LONGLONG>(rng() % (fileSize + 20));
        const ULONGLONG size = rng() % 4 == 0 ? 0 : rng() % (fileSize + 60);
        const unsigned opsSeed = static_cast<unsigned>(rng());
        for (LONG block : {2, 3, 5, 16, 64, 200, QTParser::kDefaultBlockSize})
        {
            SCOPED_TRACE(testing::Message() << "round " << round << " block " << block);
            QTParser expected(&source, start, kAbcd, size, 1); // 1: one exact read per field
            QTParser actual(&source, start, kAbcd, size, block);
            std::mt19937 ops(opsSeed);
            for (int step = 0; step < steps; ++step)
            {
                const unsigned op = pick(static_cast<unsigned>(ops())), arg = static_cast<unsigned>(ops());
                ASSERT_EQ(Step(expected, op, arg, true), Step(actual, op, arg, false)) << "step " << step;
            }
        }
    }
}
} // namespace

TEST(QTParserReadAhead, SameResultsAsOneReadPerField)
{
    ExpectSameResultsAsOneReadPerField(20240611, 400, 80, [](unsigned op) { return op % 9; });
    // Mostly array reads (7, 8), with byte reads (2) and skips (3) that shift
    // the cursor against the blocks; few steps, as they soon reach the end.
    ExpectSameResultsAsOneReadPerField(20250302, 1500, 6, [](unsigned op) {
        constexpr unsigned kArrayHeavy[] = {7, 8, 7, 8, 2, 3};
        return kArrayHeavy[op % 6];
    });
}

TEST(QTParserReadAhead, AMillionFieldsTakeAHandfulOfReads)
{
    constexpr uint32_t kCount = 1000000;
    AtomBuilder b;
    b.Begin(kAbcd);
    for (uint32_t i = 0; i < kCount; ++i)
        b.U32(i * 7);
    const std::vector<BYTE> whole = b.End().Bytes();

    // Half the table in one array read, the rest one field at a time: from the
    // whole atom, then from the atom cut at 60% of the file, where the reads
    // must stop exactly after the last whole field.
    for (const size_t fileSize : {whole.size(), whole.size() * 3 / 5})
    {
        SCOPED_TRACE(fileSize);
        CTestByteSource source(std::vector<BYTE>(whole.begin(), whole.begin() + fileSize));
        QTParser reader(&source, 0, kAbcd, whole.size());
        std::vector<uint32_t> values(kCount / 2);
        ASSERT_EQ(static_cast<LONG>(kCount / 2), reader.ReadUInt32Array(values.data(), kCount / 2));
        uint32_t read = 0;
        while (read < kCount / 2 && values[read] == read * 7)
            ++read;
        for (uint32_t value = 0; read < kCount && reader.ReadUInt32(value) == 4 && value == read * 7;)
            ++read;
        EXPECT_EQ((fileSize - 8) / 4, read);
        EXPECT_LT(source.Reads().size(), 80u); // 64 KiB blocks; a short one is not retried whole
    }
}
