#include <gtest/gtest.h>

#include <algorithm>

#include "platform/DebugOutput.h"
#include "quicktime/FourCC.h"
#include "tests/support/MovieAtoms.h"

namespace
{
// A video track (ID 7) whose "stbl" children write puts down.
template <typename Write>
TrackLayout Video(Write write)
{
    return {QTTrackKind::Video, 7, 2500, 28, Atoms(write)};
}

// The sample tables: type, 32-bit fields before the count (after version and
// flags), 32-bit fields per entry.
const std::tuple<uint32_t, uint32_t, uint32_t> kTables[] = {
    {FourCC::Stts, 0, 2}, {FourCC::Stsc, 0, 3}, {FourCC::Stsz, 1, 1}, {FourCC::Stco, 0, 1}, {FourCC::Co64, 0, 2},
};
} // namespace

TEST(SampleTables, ChunkOffsetsAndSamplesPerChunkAsTheChunkAdvances)
{
    CDebugOutputCapture capture;
    ParsedTrack p(Video([](AtomBuilder& b) {
        AddStsc(b, {{2, 6, 1}, {4, 3, 1}, {9, -2u, 1}});
        AddStco(b, {48, 0x80000000u, 0xFFFFFFFFu, 7, 8});
    }));
    EXPECT_EQ(6, p.track.GetSampleTables().maxSamplesPerChunk); // signed: -2 is no maximum
    std::vector<std::pair<LONGLONG, LONG>> chunks;
    for (int i = 0; i < 6; ++i, p.track.NextChunk())
        chunks.emplace_back(p.track.GetCurrentCO(), p.track.GetSamplesInCurrentChunk());
    // Samples per chunk from the last entry not above the chunk: none before
    // the first entry; a chunk past the offsets keeps the figure.
    const std::vector<std::pair<LONGLONG, LONG>> expected = {
        {48, -1}, {0x80000000LL, 6}, {0xFFFFFFFFLL, 6}, {7, 3}, {8, 3}, {-1, 3}};
    EXPECT_EQ(expected, chunks);
    EXPECT_TRUE(capture.Contains(L"GetCurrentCO 6 is out of range [1 - 5]\n"));

    // Entries out of order: the entry before the first one beyond the chunk,
    // as the lookup keeps its place from chunk to chunk.
    ParsedTrack unordered(Video([](AtomBuilder& b) { AddStsc(b, {{3, 5, 1}, {2, 7, 1}, {6, 4, 1}}); }));
    std::vector<LONG> perChunk;
    for (int i = 0; i < 7; ++i, unordered.track.NextChunk())
        perChunk.push_back(unordered.track.GetSamplesInCurrentChunk());
    EXPECT_EQ((std::vector<LONG>{-1, -1, -1, 7, 7, 7, 4}), perChunk); // chunks 0 (no offsets) to 6

    // 64-bit offsets come whole; the last table read wins.
    ParsedTrack wide(Video([](AtomBuilder& b) {
        AddStco(b, {1, 2, 3});
        AddCo64(b, {LONGLONG{5} << 30});
    }));
    EXPECT_EQ(1, wide.track.GetSampleTables().chunkCount);
    EXPECT_EQ(LONGLONG{5} << 30, wide.track.GetCurrentCO());
}

TEST(SampleTables, SampleSizesFixedOrFromTheTable)
{
    ParsedTrack fixed(Video([](AtomBuilder& b) { AddStsz(b, 1000, {}, 300); }));
    ParsedTrack table(Video([](AtomBuilder& b) { AddStsz(b, 0, {1000, 0xFFFFFFFF, 900}); }));
    // A sound track keeps its bytes per sample and never reads the table.
    ParsedTrack sound({QTTrackKind::Sound, 7, 48000, 28, Atoms([](AtomBuilder& b) {
                           AddStsd(b, SoundDescription({}));
                           AddStsz(b, 1, {1000, 1200});
                       })});
    std::vector<LONG> sizes; // of samples 0 to 4, -1 where unknown
    for (const ParsedTrack* p : {&fixed, &table, &sound})
        for (LONG index = 0; index <= 4; ++index)
            sizes.push_back(p->track.GetSampleSize(index));
    EXPECT_EQ((std::vector<LONG>{1000, 1000, 1000, 1000, 1000, -1, 1000, -1, 900, -1, 2, 2, 2, 2, 2}), sizes);
    EXPECT_EQ(1000, table.track.GetSampleTables().maxSampleSize); // signed: -1 is no maximum
    EXPECT_EQ(2, sound.track.GetSampleTables().maxSampleSize);
    EXPECT_TRUE(fixed.track.GetSampleTables().fixedSize && sound.track.GetSampleTables().fixedSize);
    EXPECT_FALSE(table.track.GetSampleTables().fixedSize);
}

TEST(SampleTables, CurrentSampleSizeRules)
{
    using Stts = std::vector<std::pair<uint32_t, uint32_t>>;
    const auto parse = [](const Stts& stts, uint32_t sampleSize) {
        return ParsedTrack(Video([&](AtomBuilder& b) {
            AddStts(b, stts);
            AddStsz(b, sampleSize, sampleSize ? std::vector<uint32_t>{} : std::vector<uint32_t>{1000, 1200, 900}, 3);
        }));
    };
    const Stts one = {{3, 100}}, two = {{1, 100}, {2, 200}};
    CDebugOutputCapture capture;
    // One time-to-sample entry: the track's sample size, 0 with a size table.
    EXPECT_EQ(0, parse(one, 0).track.GetCurrentSampleSize());
    EXPECT_EQ(800, parse(one, 800).track.GetCurrentSampleSize());
    // Otherwise the current sample's size from the table; none with a fixed size.
    EXPECT_EQ(-1, parse(two, 800).track.GetCurrentSampleSize());
    EXPECT_EQ(-1, parse({}, 800).track.GetCurrentSampleSize());
    ParsedTrack p = parse(two, 0);
    std::vector<LONG> sizes;
    for (int i = 0; i < 4; ++i, p.track.AdvanceSamples(1))
        sizes.push_back(p.track.GetCurrentSampleSize());
    EXPECT_EQ((std::vector<LONG>{1000, 1200, 900, -1}), sizes);
    EXPECT_EQ(2u, capture.Count(L"GetCurrentSample: Error: only 1 entry, but not Fixed sized samples\n"));
    EXPECT_EQ(1u, capture.Count(L"GetCurrentSampleSize: returning 900 [3]\n"));
    EXPECT_EQ(1u, capture.Count(L"GetCurrentSample: Error: index is too big (4 > 3)\n"));
}

TEST(SampleTables, CountsTheAtomCannotHoldFailBeforeAllocating)
{
    for (const auto& [type, prefix, fields] : kTables)
    {
        for (const uint32_t count : {4u, 0x7FFFFFFFu, 0xFFFFFFFFu})
        {
            SCOPED_TRACE(std::wstring(FourCCToWide(type).c_str()) + L" " + std::to_wstring(count));
            ParsedTrack p(Video([&, type = type, prefix = prefix, fields = fields](AtomBuilder& b) {
                b.Begin(type).U32(0).Zeros(4 * size_t{prefix}).U32(count);
                b.Zeros(12 * size_t{fields}).End(); // room for three entries
            }));
            EXPECT_EQ(E_FAIL, p.result);
            const QTSampleTables& t = p.track.GetSampleTables();
            EXPECT_EQ(0, t.timeToSampleCount + t.sampleToChunkCount + t.chunkCount);
            EXPECT_EQ(0u, t.sampleToChunk.capacity() + t.sampleSizes.capacity() + t.chunkOffsets.capacity());
        }
    }

    // Offsets whose atom claims 16 GiB in a small file: the count fits the
    // claim, the file ends, and memory stays small; the track gets no chunk.
    ParsedTrack lying(Video([](AtomBuilder& b) {
        b.BeginExtended(FourCC::Co64).U32(0).U32(0x7FFFFFF0u).U64(48).EndWithSize(LONGLONG{16} << 30);
    }));
    EXPECT_EQ(E_FAIL, lying.result);
    EXPECT_EQ((std::vector<ULONGLONG>{48}), lying.track.GetSampleTables().chunkOffsets);
    EXPECT_LE(lying.track.GetSampleTables().chunkOffsets.capacity(), size_t{4} << 20);
    EXPECT_EQ(-1, lying.track.GetCurrentCO());
}

TEST(SampleTables, LongTablesCutByTheFileEndKeepTheWholeEntriesBeforeTheCut)
{
    constexpr uint32_t kEntries = 2500; // several of the pieces a table is read in
    for (const auto& [type, prefix, perEntry] : kTables)
    {
        const uint32_t all = kEntries * perEntry;
        for (const uint32_t present : {0u, 1u, 1024 * perEntry - 1, 1024 * perEntry, 2047 * perEntry + 1, all - 1, all})
        {
            SCOPED_TRACE(std::wstring(FourCCToWide(type).c_str()) + L" " + std::to_wstring(present));
            std::vector<uint32_t> fields(present);
            for (uint32_t i = 0; i < present; ++i)
                fields[i] = (i * 2654435761u) >> 1; // below 2^31: signed sizes keep their value
            CDebugOutputCapture capture;
            ParsedTrack p(Video([&, type = type, prefix = prefix](AtomBuilder& b) { // the file ends inside the table
                b.Begin(type).U32(0).Zeros(4 * size_t{prefix}).U32(kEntries);
                for (const uint32_t field : fields)
                    b.U32(field);
                b.EndWithSize(16 + 4 * (uint64_t{prefix} + all));
            }));
            EXPECT_EQ(present == all ? S_OK : E_FAIL, p.result);

            // What the track holds, as 32-bit fields in file order ("stts" is only counted).
            const QTSampleTables& t = p.track.GetSampleTables();
            std::vector<uint32_t> held;
            for (const QTSampleToChunk& e : t.sampleToChunk)
                held.insert(held.end(), {static_cast<uint32_t>(e.firstChunk), static_cast<uint32_t>(e.samplesPerChunk),
                                         static_cast<uint32_t>(e.descriptionId)});
            held.insert(held.end(), t.sampleSizes.begin(), t.sampleSizes.end());
            for (const ULONGLONG offset : t.chunkOffsets)
            {
                if (type == FourCC::Co64)
                    held.push_back(static_cast<uint32_t>(offset >> 32));
                held.push_back(static_cast<uint32_t>(offset));
            }
            fields.resize(type == FourCC::Stts ? 0 : present / perEntry * perEntry);
            if (type == FourCC::Stsc && present == all) // the end entry follows a whole table
                fields.insert(fields.end(), {0x7FFFFFFF, 0, 0});
            EXPECT_EQ(fields, held);
            const bool sized = type == FourCC::Stsz && !fields.empty();
            EXPECT_EQ(sized ? static_cast<LONG>(*std::max_element(fields.begin(), fields.end())) : 0, t.maxSampleSize);
            EXPECT_EQ(-1, p.track.GetSampleSize(static_cast<LONG>(t.sampleSizes.size()) + 1)); // counted, not read
            // Only the first ten entries of "stsc" and "stsz" are traced, whatever the pieces.
            const std::vector<std::wstring> lines = capture.Lines();
            const bool traced = type == FourCC::Stsc || type == FourCC::Stsz;
            EXPECT_EQ(traced ? std::min<long>(10, present / perEntry) : 0,
                      std::count_if(lines.begin(), lines.end(), [](auto& line) { return line.rfind(L"     STS", 0) == 0; }));
        }
    }
}
