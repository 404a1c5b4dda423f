#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <functional>

#include "framework/posix/DebugOutput.h"
#include "quicktime/FourCC.h"
#include "tests/support/MovieAtoms.h"

namespace
{
// A video track (ID 7) whose "stbl" children stbl writes.
TrackLayout Video(const std::function<void(AtomBuilder&)>& stbl)
{
    AtomBuilder b;
    stbl(b);
    return {QTTrackKind::Video, 7, 2500, 28, b.Bytes()};
}
} // namespace

TEST(SampleTables, SamplesPerChunkComeFromTheLastEntryNotAboveTheChunk)
{
    using Entries = std::vector<std::array<uint32_t, 3>>;
    const std::pair<Entries, std::vector<LONG>> cases[] = {
        // Chunks past the chunk count (6) keep the last entry's figure.
        {{{1, 10, 1}, {5, 4, 1}}, {10, 10, 10, 10, 4, 4, 4, 4}},
        {{{2, 6, 1}}, {-1, 6, 6}},
        {{}, {-1, -1}},
    };
    for (const auto& [entries, expected] : cases)
    {
        ParsedTrack p(Video([&](AtomBuilder& b) {
            AddStsc(b, entries);
            AddStco(b, {100, 200, 300, 400, 500, 600});
        }));
        std::vector<LONG> perChunk;
        for (size_t i = 0; i < expected.size(); ++i, p.track.NextChunk())
            perChunk.push_back(p.track.GetSamplesInCurrentChunk());
        EXPECT_EQ(expected, perChunk);
    }
    ParsedTrack p(Video([](AtomBuilder& b) { AddStsc(b, {{1, 10, 1}, {7, -2u, 1}}); }));
    EXPECT_EQ(10, p.track.GetSampleTables().maxSamplesPerChunk); // signed: -2 is no maximum
    EXPECT_EQ(-1, p.track.GetSamplesInCurrentChunk());            // no offsets: chunk 0
}

TEST(SampleTables, ChunkOffsetsAsTheChunkAdvances)
{
    CDebugOutputCapture capture;
    ParsedTrack p(Video([](AtomBuilder& b) { AddStco(b, {48, 0x80000000u, 0xFFFFFFFFu}); }));
    std::vector<LONGLONG> offsets;
    for (int i = 0; i < 4; ++i, p.track.NextChunk())
        offsets.push_back(p.track.GetCurrentCO());
    EXPECT_EQ((std::vector<LONGLONG>{48, 0x80000000LL, 0xFFFFFFFFLL, -1}), offsets);
    EXPECT_TRUE(capture.Contains(L"GetCurrentCO 4 is out of range [1 - 3]\n"));

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
    struct Case
    {
        QTTrackKind kind;
        uint32_t sampleSize, count;
        std::vector<uint32_t> sizes;
        std::vector<LONG> expected; // GetSampleSize of indices 0, 1, 2, 3, 301
        LONG max;
    };
    const Case cases[] = {
        {QTTrackKind::Video, 1000, 300, {}, {1000, 1000, 1000, 1000, 1000}, 1000},
        {QTTrackKind::Video, 0, 0, {1000, 1200, 900}, {-1, 1000, 1200, 900, -1}, 1200},
        {QTTrackKind::Video, 0, 0, {5, 0xFFFFFFFF}, {-1, 5, -1, -1, -1}, 5}, // signed maximum
        // A sound track keeps its bytes per sample and never reads the table.
        {QTTrackKind::Sound, 1, 0, {1000, 1200}, {2, 2, 2, 2, 2}, 2},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(&c - cases);
        AtomBuilder b;
        AddStsd(b, SoundDescription({})); // read by the sound track only
        AddStsz(b, c.sampleSize, c.sizes, c.count);
        ParsedTrack p({c.kind, 7, 48000, 28, b.Bytes()});
        ASSERT_EQ(S_OK, p.result);
        std::vector<LONG> sizes;
        for (const LONG index : {0, 1, 2, 3, 301})
            sizes.push_back(p.track.GetSampleSize(index));
        EXPECT_EQ(c.expected, sizes);
        EXPECT_EQ(c.max, p.track.GetSampleTables().maxSampleSize);
        EXPECT_EQ(c.sampleSize != 0, p.track.GetSampleTables().fixedSize);
    }
}

TEST(SampleTables, CurrentSampleSizeRules)
{
    struct Case
    {
        std::vector<std::pair<uint32_t, uint32_t>> stts;
        uint32_t sampleSize;
        LONG advance; // samples passed before asking
        LONG expected;
        const wchar_t* trace;
    };
    const Case cases[] = {
        {{{3, 100}}, 0, 0, 0, nullptr}, // one entry: the track's sample size, 0 with a table
        {{{3, 100}}, 800, 0, 800, nullptr},
        {{{1, 100}, {2, 200}}, 0, 0, 1000, L"GetCurrentSampleSize: returning 1000 [1]\n"},
        {{{1, 100}, {2, 200}}, 0, 2, 900, L"GetCurrentSampleSize: returning 900 [3]\n"},
        {{{1, 100}, {2, 200}}, 0, 3, -1, L"GetCurrentSample: Error: index is too big (4 > 3)\n"},
        {{{1, 100}, {2, 200}}, 800, 0, -1, L"GetCurrentSample: Error: only 1 entry, but not Fixed sized samples\n"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(&c - cases);
        ParsedTrack p(Video([&](AtomBuilder& b) {
            AddStts(b, c.stts);
            AddStsz(b, c.sampleSize, c.sampleSize ? std::vector<uint32_t>{} : std::vector<uint32_t>{1000, 1200, 900}, 3);
        }));
        p.track.AdvanceSamples(c.advance);
        CDebugOutputCapture capture;
        EXPECT_EQ(c.expected, p.track.GetCurrentSampleSize());
        EXPECT_EQ(c.trace ? std::vector<std::wstring>{c.trace} : std::vector<std::wstring>{}, capture.Lines());
    }
}

TEST(SampleTables, CountsTheAtomCannotHoldFailBeforeAllocating)
{
    // type, 32-bit fields before the count (after version and flags), per entry
    const std::tuple<uint32_t, int, int> cases[] = {
        {FourCC::Stts, 0, 2}, {FourCC::Stsc, 0, 3}, {FourCC::Stsz, 1, 1}, {FourCC::Stco, 0, 1}, {FourCC::Co64, 0, 2},
    };
    for (const auto& [type, prefix, fields] : cases)
    {
        for (const uint32_t count : {4u, 0x7FFFFFFFu, 0xFFFFFFFFu})
        {
            SCOPED_TRACE(std::wstring(FourCCToWide(type).c_str()) + L" " + std::to_wstring(count));
            ParsedTrack p(Video([&](AtomBuilder& b) { // room for three entries
                b.Begin(type).U32(0).Zeros(4 * static_cast<size_t>(prefix)).U32(count);
                b.Zeros(12 * static_cast<size_t>(fields)).End();
            }));
            EXPECT_EQ(E_FAIL, p.result);
            const QTSampleTables& t = p.track.GetSampleTables();
            EXPECT_EQ(0, t.timeToSampleCount + t.sampleToChunkCount + t.chunkCount);
            EXPECT_EQ(0u, t.sampleToChunk.capacity() + t.sampleSizes.capacity() + t.chunkOffsets.capacity());
        }
    }
}

TEST(SampleTables, TablesCutShortFailAndKeepWhatWasRead)
{
    // The file ends two sizes into a table of five.
    ParsedTrack cut(Video([](AtomBuilder& b) {
        AddStco(b, {48});
        b.Begin(FourCC::Stsz).U32(0).U32(0).U32(5).U32(10).U32(20).EndWithSize(40);
    }));
    EXPECT_EQ(E_FAIL, cut.result);
    EXPECT_EQ(5, cut.track.GetSampleTables().sampleCount);
    EXPECT_EQ(20, cut.track.GetSampleSize(2));
    EXPECT_EQ(-1, cut.track.GetSampleSize(3)); // counted but never read
    EXPECT_EQ(48, cut.track.GetCurrentCO());

    // Offsets whose atom claims 16 GiB in a small file: the count fits the
    // claim, the file ends, and memory stays small; the track gets no chunk.
    AtomBuilder b;
    b.BeginExtended(FourCC::Co64).U32(0).U32(0x7FFFFFF0u).U64(48).EndWithSize(LONGLONG{16} << 30);
    ParsedTrack lying({QTTrackKind::Video, 7, 2500, 28, b.Bytes()});
    EXPECT_EQ(E_FAIL, lying.result);
    EXPECT_EQ((std::vector<ULONGLONG>{48}), lying.track.GetSampleTables().chunkOffsets);
    EXPECT_LE(lying.track.GetSampleTables().chunkOffsets.capacity(), size_t{4} << 20);
    EXPECT_EQ(-1, lying.track.GetCurrentCO());
}

TEST(SampleTables, OnlyTheFirstTenEntriesAreTraced)
{
    std::vector<std::array<uint32_t, 3>> stsc;
    std::vector<uint32_t> sizes;
    for (uint32_t i = 1; i <= 12; ++i)
    {
        stsc.push_back({i, i, 1});
        sizes.push_back(100 * i);
    }
    CDebugOutputCapture capture;
    ParsedTrack p(Video([&](AtomBuilder& b) {
        AddStts(b, {{3, 100}, {9, 200}});
        AddStsc(b, stsc);
        AddStsz(b, 0, sizes);
    }));
    for (const auto& [line, count] : std::vector<std::pair<const wchar_t*, size_t>>{
             {L"      STTS: 2\n", 1}, {L"        STTS: 9 200\n", 1}, {L"     STSC(7) - 10 10 1\n", 1},
             {L"     STSC(7) - 11 11 1\n", 0}, {L"  =======1  STSZ 0 12\n", 1}, {L"     STSZ(7) - 1000\n", 1},
             {L"     STSZ(7) - 1100\n", 0}, {L"  =======2  STSZ 1200\n", 1}})
        EXPECT_EQ(count, capture.Count(line)) << line;
}

namespace
{
// The 32-bit fields a track holds of the table of the given type, in file
// order; those of "stts" as its trace lines show them.
std::vector<uint32_t> HeldFields(uint32_t type, const QTTrack& track, const CDebugOutputCapture& capture)
{
    const QTSampleTables& t = track.GetSampleTables();
    std::vector<uint32_t> fields;
    if (type == FourCC::Stts)
    {
        for (const std::wstring& line : capture.Lines())
        {
            unsigned samples = 0, duration = 0;
            if (std::swscanf(line.c_str(), L"        STTS: %u %u\n", &samples, &duration) == 2)
                fields.insert(fields.end(), {samples, duration});
        }
    }
    for (const QTSampleToChunk& e : t.sampleToChunk)
        if (e.firstChunk != 0x7FFFFFFF)
            fields.insert(fields.end(), {static_cast<uint32_t>(e.firstChunk), static_cast<uint32_t>(e.samplesPerChunk),
                                         static_cast<uint32_t>(e.descriptionId)});
    for (const LONG size : t.sampleSizes)
        fields.push_back(static_cast<uint32_t>(size));
    for (const ULONGLONG offset : t.chunkOffsets)
    {
        if (type == FourCC::Co64)
            fields.push_back(static_cast<uint32_t>(offset >> 32));
        fields.push_back(static_cast<uint32_t>(offset));
    }
    return fields;
}
} // namespace

TEST(SampleTables, LongTablesCutByTheFileEndKeepTheWholeEntriesBeforeTheCut)
{
    constexpr uint32_t kEntries = 2500; // several of the pieces a table is read in
    // type, 32-bit fields before the count (after version and flags), per entry
    const std::tuple<uint32_t, uint32_t, uint32_t> cases[] = {
        {FourCC::Stts, 0, 2}, {FourCC::Stsc, 0, 3}, {FourCC::Stsz, 1, 1}, {FourCC::Stco, 0, 1}, {FourCC::Co64, 0, 2},
    };
    for (const auto& [type, prefix, perEntry] : cases)
    {
        const uint32_t all = kEntries * perEntry;
        for (const uint32_t present : {0u, 1u, 1024 * perEntry - 1, 1024 * perEntry, 2047 * perEntry + 1, all - 1, all})
        {
            SCOPED_TRACE(std::wstring(FourCCToWide(type).c_str()) + L" " + std::to_wstring(present));
            std::vector<uint32_t> fields(present);
            for (uint32_t i = 0; i < present; ++i)
                fields[i] = (i * 2654435761u) >> 1; // below 2^31: traced "%d" reads back the same
            CDebugOutputCapture capture;
            ParsedTrack p(Video([&](AtomBuilder& b) { // the file ends inside the table
                b.Begin(type).U32(0).Zeros(4 * size_t{prefix}).U32(kEntries);
                for (const uint32_t field : fields)
                    b.U32(field);
                b.EndWithSize(16 + 4 * (uint64_t{prefix} + all));
            }));
            EXPECT_EQ(present == all ? S_OK : E_FAIL, p.result);
            fields.resize(present / perEntry * perEntry);
            EXPECT_EQ(fields, HeldFields(type, p.track, capture));
            const QTSampleTables& t = p.track.GetSampleTables();
            const bool ended = !t.sampleToChunk.empty() && t.sampleToChunk.back().firstChunk == 0x7FFFFFFF;
            EXPECT_EQ(type == FourCC::Stsc && present == all, ended);
            const bool sized = type == FourCC::Stsz && !fields.empty();
            EXPECT_EQ(sized ? static_cast<LONG>(*std::max_element(fields.begin(), fields.end())) : 0, t.maxSampleSize);
        }
    }
}
