#include <gtest/gtest.h>

#include <functional>

#include "framework/posix/DebugOutput.h"
#include "quicktime/FourCC.h"
#include "tests/support/MovieAtoms.h"

namespace
{
using Writer = std::function<void(AtomBuilder&)>;

std::vector<BYTE> Atoms(const Writer& write)
{
    AtomBuilder b;
    write(b);
    return b.Bytes();
}

TrackLayout Video(const Writer& stbl)
{
    return {QTTrackKind::Video, 7, 2500, 28, Atoms(stbl)};
}

// Samples per chunk of chunks 1, 2, ... as the track advances.
std::vector<LONG> SamplesPerChunk(QTTrack& track, int chunks)
{
    std::vector<LONG> result;
    for (int i = 0; i < chunks; ++i, track.NextChunk())
        result.push_back(track.GetSamplesInCurrentChunk());
    return result;
}
} // namespace

TEST(SampleTables, SamplesPerChunkComeFromTheLastEntryNotAboveTheChunk)
{
    using Entries = std::vector<std::array<uint32_t, 3>>;
    const std::pair<Entries, std::vector<LONG>> cases[] = {
        // Chunks past the chunk count keep the last entry's figure.
        {{{1, 10, 1}, {5, 4, 1}}, {10, 10, 10, 10, 4, 4, 4, 4}},
        {{{2, 6, 1}}, {-1, 6, 6}},
        {{}, {-1, -1}},
        // Entries out of order: the entry before the first one above the chunk.
        {{{1, 3, 1}, {4, 9, 1}, {2, 5, 1}}, {3, 3, 3, 5, 5}},
    };
    for (const auto& [entries, expected] : cases)
    {
        SCOPED_TRACE(expected.size());
        ParsedTrack p(Video([&](AtomBuilder& b) {
            AddStsc(b, entries);
            AddStco(b, {100, 200, 300, 400, 500, 600});
        }));
        ASSERT_EQ(S_OK, p.result);
        EXPECT_EQ(1, p.track.GetCurrentChunkIndex());
        EXPECT_EQ(expected, SamplesPerChunk(p.track, static_cast<int>(expected.size())));
    }
    ParsedTrack p(Video([](AtomBuilder& b) { AddStsc(b, {{1, 10, 1}, {5, 4, 1}, {7, -2u, 1}}); }));
    EXPECT_EQ(10, p.track.GetSampleTables().maxSamplesPerChunk); // signed: -2 is not a maximum
    EXPECT_EQ(-1, p.track.GetSamplesInCurrentChunk());            // no offsets: current chunk 0
}

TEST(SampleTables, ChunkOffsetsAsTheChunkAdvances)
{
    {
        CDebugOutputCapture capture;
        ParsedTrack p(Video([](AtomBuilder& b) { AddStco(b, {48, 0x80000000u, 0xFFFFFFFFu}); }));
        std::vector<LONGLONG> offsets;
        for (int i = 0; i < 4; ++i, p.track.NextChunk())
            offsets.push_back(p.track.GetCurrentCO());
        EXPECT_EQ((std::vector<LONGLONG>{48, 0x80000000LL, 0xFFFFFFFFLL, -1}), offsets);
        EXPECT_EQ(1u, capture.Count(L"GetCurrentCO 4 is out of range [1 - 3]\n"));
        EXPECT_EQ(1u, capture.Count(L"++++ stcoex starts 3\n"));
    }
    {
        // 64-bit offsets come whole; the last offset table read wins.
        ParsedTrack p(Video([](AtomBuilder& b) {
            AddStco(b, {1, 2, 3});
            AddCo64(b, {LONGLONG{5} << 30, (LONGLONG{1} << 40) + 7});
        }));
        EXPECT_EQ(2, p.track.GetSampleTables().chunkCount);
        EXPECT_EQ(LONGLONG{5} << 30, p.track.GetCurrentCO());
        p.track.NextChunk();
        EXPECT_EQ((LONGLONG{1} << 40) + 7, p.track.GetCurrentCO());
    }
    {
        // Without offsets the track has no chunk at all.
        CDebugOutputCapture capture;
        ParsedTrack p(Video([](AtomBuilder& b) { AddStsc(b, {{1, 1, 1}}); }));
        EXPECT_EQ(0, p.track.GetCurrentChunkIndex());
        EXPECT_EQ(-1, p.track.GetCurrentCO());
        EXPECT_TRUE(capture.Contains(L"GetCurrentCO 0 is out of range [1 - 0]\n"));
    }
}

TEST(SampleTables, SampleSizesFixedOrFromTheTable)
{
    struct Case
    {
        QTTrackKind kind;
        uint32_t sampleSize, count;
        std::vector<uint32_t> sizes;
        std::vector<LONG> expected; // GetSampleSize(0), (1), ... 
        LONG max;
    };
    const Case cases[] = {
        {QTTrackKind::Video, 1000, 300, {}, {1000, 1000, 1000}, 1000},
        {QTTrackKind::Video, 0, 0, {1000, 1200, 900}, {-1, 1000, 1200, 900, -1}, 1200},
        {QTTrackKind::Video, 0, 0, {5, 0xFFFFFFFF}, {-1, 5, -1, -1}, 5}, // signed maximum
        // A sound track keeps its bytes per sample and never reads the table.
        {QTTrackKind::Sound, 1, 0, {1000, 1200}, {2, 2, 2, 2}, 2},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(&c - cases);
        ParsedTrack p({c.kind, 7, 48000, 28, Atoms([&](AtomBuilder& b) {
                           if (c.kind == QTTrackKind::Sound)
                               AddStsd(b, SoundDescription({}));
                           AddStsz(b, c.sampleSize, c.sizes, c.count);
                       })});
        ASSERT_EQ(S_OK, p.result);
        for (size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_EQ(c.expected[i], p.track.GetSampleSize(static_cast<LONG>(i == 3 && c.count ? 301 : i))) << i;
        const QTSampleTables& tables = p.track.GetSampleTables();
        EXPECT_EQ(c.max, tables.maxSampleSize);
        EXPECT_EQ(c.sampleSize != 0, tables.fixedSize);
        EXPECT_EQ(c.sampleSize != 0 ? 0u : c.sizes.size(), tables.sampleSizes.size());
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
    const std::vector<uint32_t> sizes = {1000, 1200, 900};
    const Case cases[] = {
        {{{3, 100}}, 0, 0, 0, nullptr}, // one entry: the track's sample size, 0 with a table
        {{{3, 100}}, 800, 0, 800, nullptr},
        {{{1, 100}, {2, 200}}, 0, 0, 1000, L"GetCurrentSampleSize: returning 1000 [1]\n"},
        {{{1, 100}, {2, 200}}, 0, 2, 900, L"GetCurrentSampleSize: returning 900 [3]\n"},
        {{{1, 100}, {2, 200}}, 0, 3, -1, L"GetCurrentSample: Error: index is too big (4 > 3)\n"},
        {{{1, 100}, {2, 200}}, 0, -1, -1, L"GetCurrentSample: Error: index is too big (0 > 3)\n"},
        {{{1, 100}, {2, 200}}, 800, 0, -1, L"GetCurrentSample: Error: only 1 entry, but not Fixed sized samples\n"},
        {{}, 0, 1, 1200, L"GetCurrentSampleSize: returning 1200 [2]\n"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(&c - cases);
        ParsedTrack p(Video([&](AtomBuilder& b) {
            AddStts(b, c.stts);
            AddStsz(b, c.sampleSize, c.sampleSize ? std::vector<uint32_t>{} : sizes, 3);
        }));
        p.track.AdvanceSamples(c.advance);
        EXPECT_EQ(1 + c.advance, p.track.GetCurrentSampleIndex());
        CDebugOutputCapture capture;
        EXPECT_EQ(c.expected, p.track.GetCurrentSampleSize());
        EXPECT_EQ(c.trace ? std::vector<std::wstring>{c.trace} : std::vector<std::wstring>{}, capture.Lines());
    }
}

TEST(SampleTables, CountsThatTheAtomCannotHoldFailBeforeAllocating)
{
    struct Case
    {
        uint32_t type;
        int prefix;       // 32-bit fields before the count (after version and flags)
        int entryFields;  // 32-bit fields per entry
    };
    const Case cases[] = {
        {FourCC::Stts, 0, 2}, {FourCC::Stsc, 0, 3}, {FourCC::Stsz, 1, 1}, {FourCC::Stco, 0, 1}, {FourCC::Co64, 0, 2},
    };
    for (const Case& c : cases)
    {
        for (const uint32_t count : {4u, 0x7FFFFFFFu, 0xFFFFFFFFu})
        {
            SCOPED_TRACE(std::wstring(FourCCToWide(c.type).c_str()) + L" " + std::to_wstring(count));
            // Room for three entries only.
            ParsedTrack p(Video([&](AtomBuilder& b) {
                b.Begin(c.type).U32(0);
                for (int i = 0; i < c.prefix; ++i)
                    b.U32(0);
                b.U32(count).Zeros(3 * 4 * static_cast<size_t>(c.entryFields)).End();
            }));
            EXPECT_EQ(E_FAIL, p.result);
            const QTSampleTables& tables = p.track.GetSampleTables();
            EXPECT_EQ(0, tables.timeToSampleCount + tables.sampleToChunkCount + tables.chunkCount);
            EXPECT_EQ(0u, tables.sampleToChunk.capacity() + tables.sampleSizes.capacity() +
                              tables.chunkOffsets.capacity());
        }
    }
}

TEST(SampleTables, TablesCutShortFailAndKeepWhatWasRead)
{
    {
        // The file ends two sizes into a table of five.
        ParsedTrack p(Video([](AtomBuilder& b) {
            AddStco(b, {48});
            b.Begin(FourCC::Stsz).U32(0).U32(0).U32(5).U32(10).U32(20).EndWithSize(40);
        }));
        EXPECT_EQ(E_FAIL, p.result);
        const QTSampleTables& tables = p.track.GetSampleTables();
        EXPECT_EQ(5, tables.sampleCount);
        EXPECT_EQ((std::vector<LONG>{10, 20}), tables.sampleSizes);
        EXPECT_EQ(20, p.track.GetSampleSize(2));
        EXPECT_EQ(-1, p.track.GetSampleSize(3)); // counted but never read
        EXPECT_EQ(48, p.track.GetCurrentCO());
    }
    {
        // An offset table whose atom claims 16 GiB in a file of a few bytes:
        // the count fits the claim, the file ends, memory stays small.
        AtomBuilder stbl;
        stbl.BeginExtended(FourCC::Co64).U32(0).U32(0x7FFFFFF0u).U64(48).EndWithSize(LONGLONG{16} << 30);
        ParsedTrack p({QTTrackKind::Video, 7, 2500, 28, stbl.Bytes()});
        EXPECT_EQ(E_FAIL, p.result);
        const QTSampleTables& tables = p.track.GetSampleTables();
        EXPECT_EQ((std::vector<ULONGLONG>{48}), tables.chunkOffsets);
        EXPECT_LE(tables.chunkOffsets.capacity() * sizeof(ULONGLONG), size_t{16} << 20);
        EXPECT_EQ(0, p.track.GetCurrentChunkIndex()); // not ready: no chunk is served
        EXPECT_EQ(-1, p.track.GetCurrentCO());
    }
}

TEST(SampleTables, TraceLines)
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
    ASSERT_EQ(S_OK, p.result);
    std::vector<std::wstring> lines;
    for (const std::wstring& line : capture.Lines())
        if (line.find(L"STS") != std::wstring::npos || line.find(L"STTS") != std::wstring::npos)
            lines.push_back(line);
    std::vector<std::wstring> expected = {L"      STTS: 2\n", L"        STTS: 3 100\n", L"        STTS: 9 200\n"};
    for (int i = 1; i <= 10; ++i)
        expected.push_back(L"     STSC(7) - " + std::to_wstring(i) + L" " + std::to_wstring(i) + L" 1\n");
    expected.push_back(L"  =======1  STSZ 0 12\n");
    for (int i = 1; i <= 10; ++i)
        expected.push_back(L"     STSZ(7) - " + std::to_wstring(100 * i) + L"\n");
    expected.push_back(L"  =======2  STSZ 1200\n");
    EXPECT_EQ(expected, lines);
    EXPECT_EQ(12, p.track.GetSampleTables().maxSamplesPerChunk);
}
