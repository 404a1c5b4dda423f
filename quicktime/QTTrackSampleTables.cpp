// The track's sample tables ("stts", "stsc", "stsz", "stco", "co64") and its
// position in them: which chunk comes next, where it lies, how many samples
// it holds and how large they are.
#include <algorithm>
#include <new>

#include "framework/DebugPrint.h"
#include "quicktime/QTTrack.h"

namespace
{
// Only this many entries of "stsc" and "stsz" are traced.
constexpr uint32_t kTracedEntries = 10;
// First chunk of the entry that ends the sample-to-chunk table.
constexpr LONG kEndOfTableChunk = 0x7FFFFFFF;
// A table is reserved up front up to this size; a larger one grows as its
// entries are read, so a count that a lying atom size lets through costs no
// more memory than the entries the file really holds.
constexpr size_t kMaxReservedBytes = size_t{16} << 20;

// True when count entries (and extra more held in memory) fit in what is left
// of the atom, and the table's length fits a signed 32-bit count.
bool TableFits(const QTParser& reader, uint32_t count, LONGLONG entrySize, uint32_t extra = 0)
{
    return count <= static_cast<uint32_t>(INT32_MAX) - extra &&
           static_cast<LONGLONG>(count) <= reader.GetRemaining() / entrySize;
}

// Runs grow, which allocates memory for a table; false when memory runs out
// (a vector's reserve or insert then leaves the table as it was).
template <typename Grow>
bool TryGrow(Grow grow)
{
    try
    {
        grow();
        return true;
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
}

// Empties the table and reserves room for count entries; false when that
// memory cannot be had.
template <typename Entry>
bool PrepareTable(std::vector<Entry>& table, size_t count)
{
    return TryGrow([&] {
        std::vector<Entry>().swap(table);
        table.reserve(std::min(count, kMaxReservedBytes / sizeof(Entry)));
    });
}

[[nodiscard]] LONG ReadFields(QTParser& reader, uint32_t* fields, LONG count)
{
    return reader.ReadUInt32Array(fields, count);
}

[[nodiscard]] LONG ReadFields(QTParser& reader, uint64_t* fields, LONG count)
{
    return reader.ReadUInt64Array(fields, count);
}

// Reads a table of count entries of kFields fields each, a piece at a time,
// and hands each piece of whole entries to take(fields, entries, first), first
// being the 0-based index of the piece's first entry. True when all count
// entries came; false where a field read failed, after the whole entries
// before it were handed over, or where take returned false.
template <LONG kFields, typename Field, typename Take>
bool ReadTable(QTParser& reader, uint32_t count, Take take)
{
    constexpr LONG kPieceEntries = 1024;
    Field fields[kPieceEntries * kFields];
    for (uint32_t first = 0; first < count;)
    {
        const LONG wanted = static_cast<LONG>(std::min<uint32_t>(count - first, kPieceEntries));
        const LONG entries = ReadFields(reader, fields, wanted * kFields) / kFields;
        if (!take(static_cast<const Field*>(fields), entries, first) || entries < wanted)
            return false;
        first += static_cast<uint32_t>(entries);
    }
    return true;
}

// Entries of a piece that begins at entry first and are traced.
LONG TracedEntries(LONG entries, uint32_t first)
{
    return first >= kTracedEntries ? 0 : std::min(entries, static_cast<LONG>(kTracedEntries - first));
}

// True when a 1-based index lies within a table's declared count and within
// the entries read of it (fewer when the table was cut short).
bool InTable(LONG index, LONG count, size_t held)
{
    return index >= 1 && index <= count && static_cast<size_t>(index) <= held;
}

// Wrap-around addition: positions only move forward in any file that makes
// sense, and a hostile one must not make them overflow.
LONG AddWrapping(LONG a, LONG b)
{
    return static_cast<LONG>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
} // namespace

HRESULT QTTrack::ParseStts(QTParser& reader)
{
    (void)reader.Skip(4); // version and flags
    uint32_t count = 0;
    if (reader.ReadUInt32(count) < 0)
        return E_FAIL;
    DebugPrintW(L"      STTS: %d\n", static_cast<int>(count));
    if (!TableFits(reader, count, 8))
        return E_FAIL;
    m_tables.timeToSampleCount = static_cast<LONG>(count);
    // The pairs are traced only: formatting a million of them for nobody
    // would be most of the parse, so the loop asks once whether anyone listens.
    const bool listened = IsDebugPrintListened();
    const bool read = ReadTable<2, uint32_t>(reader, count, [&](const uint32_t* fields, LONG entries, uint32_t) {
        for (LONG i = 0; listened && i < entries; ++i) // samples, duration (media time scale units)
            DebugPrintW(L"        STTS: %d %d\n", static_cast<int>(fields[2 * i]), static_cast<int>(fields[2 * i + 1]));
        return true;
    });
    return read ? S_OK : E_FAIL;
}

HRESULT QTTrack::ParseStsc(QTParser& reader)
{
    (void)reader.Skip(4); // version and flags
    uint32_t count = 0;
    if (reader.ReadUInt32(count) < 0)
        return E_FAIL;
    if (!TableFits(reader, count, 12, 1) || !PrepareTable(m_tables.sampleToChunk, size_t{count} + 1))
        return E_FAIL;
    m_tables.sampleToChunkCount = static_cast<LONG>(count);
    m_tables.maxSamplesPerChunk = 0;
    std::vector<QTSampleToChunk>& table = m_tables.sampleToChunk;
    const bool read = ReadTable<3, uint32_t>(reader, count, [&](const uint32_t* fields, LONG entries, uint32_t first) {
        const size_t firstNew = table.size();
        const bool appended = TryGrow([&] {
            for (const uint32_t* entry = fields; entry != fields + 3 * entries; entry += 3)
                table.push_back({static_cast<LONG>(entry[0]), static_cast<LONG>(entry[1]), static_cast<LONG>(entry[2])});
        });
        for (size_t i = firstNew; i < table.size(); ++i) // signed maximum
            m_tables.maxSamplesPerChunk = std::max(m_tables.maxSamplesPerChunk, table[i].samplesPerChunk);
        const size_t tracedEnd = std::min(table.size(), firstNew + static_cast<size_t>(TracedEntries(entries, first)));
        for (size_t i = firstNew; i < tracedEnd; ++i)
        {
            const QTSampleToChunk& entry = table[i];
            DebugPrintW(L"     STSC(%d) - %d %d %d\n", static_cast<int>(m_trackId), entry.firstChunk,
                        entry.samplesPerChunk, entry.descriptionId);
        }
        return appended;
    });
    if (!read)
        return E_FAIL;
    return TryGrow([&] { table.push_back({kEndOfTableChunk, 0, 0}); }) ? S_OK : E_FAIL;
}

HRESULT QTTrack::ParseStsz(QTParser& reader)
{
    (void)reader.Skip(4); // version and flags
    uint32_t size = 0;
    if (reader.ReadUInt32(size) < 0)
        return E_FAIL;
    // A sound track's sample size is the bytes per sample of its description.
    if (!IsAudio())
        m_tables.sampleSize = static_cast<LONG>(size);
    m_tables.fixedSize = m_tables.sampleSize != 0;
    uint32_t count = 0;
    if (reader.ReadUInt32(count) < 0)
        return E_FAIL;
    m_tables.sampleCount = static_cast<LONG>(count);
    DebugPrintW(L"  =======1  STSZ %d %d\n", m_tables.sampleSize, m_tables.sampleCount);
    if (m_tables.fixedSize)
    {
        m_tables.maxSampleSize = m_tables.sampleSize;
        return S_OK; // no size table is read, even where one follows
    }

    m_tables.maxSampleSize = 0;
    if (!TableFits(reader, count, 4) || !PrepareTable(m_tables.sampleSizes, count))
        return E_FAIL;
    std::vector<LONG>& sizes = m_tables.sampleSizes;
    const bool read = ReadTable<1, uint32_t>(reader, count, [&](const uint32_t* fields, LONG entries, uint32_t first) {
        if (entries == 0 || !TryGrow([&] { sizes.insert(sizes.end(), fields, fields + entries); }))
            return false;
        const auto firstNew = sizes.end() - entries; // bytes; the largest is taken signed
        m_tables.maxSampleSize = std::max(m_tables.maxSampleSize, *std::max_element(firstNew, sizes.end()));
        for (LONG i = 0; i < TracedEntries(entries, first); ++i)
            DebugPrintW(L"     STSZ(%d) - %d\n", static_cast<int>(m_trackId), firstNew[i]);
        return true;
    });
    if (!read)
        return E_FAIL;
    DebugPrintW(L"  =======2  STSZ %d\n", m_tables.maxSampleSize);
    return S_OK;
}

HRESULT QTTrack::ParseStco(QTParser& reader)
{
    return ParseChunkOffsets(reader, false);
}

HRESULT QTTrack::ParseCo64(QTParser& reader)
{
    return ParseChunkOffsets(reader, true);
}

// "stco" (32-bit offsets, widened without sign) or "co64" (64-bit offsets);
// the last of the two read is the track's chunk offset table.
HRESULT QTTrack::ParseChunkOffsets(QTParser& reader, bool wide)
{
    (void)reader.Skip(4); // version and flags
    uint32_t count = 0;
    if (reader.ReadUInt32(count) < 0)
        return E_FAIL;
    if (!TableFits(reader, count, wide ? 8 : 4) || !PrepareTable(m_tables.chunkOffsets, count))
        return E_FAIL;
    m_tables.chunkCount = static_cast<LONG>(count);
    DebugPrintW(L"++++ stcoex starts %d\n", static_cast<int>(count));
    // Offsets are absolute file positions; 32-bit ones are widened without sign.
    std::vector<ULONGLONG>& offsets = m_tables.chunkOffsets;
    const auto append = [&offsets](const auto* fields, LONG entries, uint32_t) {
        return TryGrow([&] { offsets.insert(offsets.end(), fields, fields + entries); });
    };
    const bool read = wide ? ReadTable<1, uint64_t>(reader, count, append) : ReadTable<1, uint32_t>(reader, count, append);
    if (!read)
        return E_FAIL;
    m_tables.currentChunk = 1;
    return S_OK;
}

LONG QTTrack::GetSampleSize(LONG index) const
{
    if (m_tables.sampleSize != 0)
        return m_tables.sampleSize;
    if (!InTable(index, m_tables.sampleCount, m_tables.sampleSizes.size()))
        return -1;
    return m_tables.sampleSizes[static_cast<size_t>(index - 1)];
}

LONG QTTrack::GetCurrentSampleSize() const
{
    if (m_tables.timeToSampleCount == 1)
        return m_tables.sampleSize;
    if (m_tables.sampleSize != 0)
    {
        DebugPrintW(L"GetCurrentSample: Error: only 1 entry, but not Fixed sized samples\n");
        return -1;
    }
    const LONG current = m_tables.currentSample;
    if (!InTable(current, m_tables.sampleCount, m_tables.sampleSizes.size()))
    {
        DebugPrintW(L"GetCurrentSample: Error: index is too big (%d > %d)\n", current, m_tables.sampleCount);
        return -1;
    }
    const LONG size = m_tables.sampleSizes[static_cast<size_t>(current - 1)];
    DebugPrintW(L"GetCurrentSampleSize: returning %d [%d]\n", size, current);
    return size;
}

LONG QTTrack::GetSamplesInCurrentChunk() const
{
    // The entry with the largest first chunk not above the current chunk; the
    // end entry lets a chunk past the last one keep the last entry's figure.
    // That is the entry before the first one whose first chunk lies beyond
    // the current chunk. Every entry before the one found for an earlier
    // chunk lies at or below that chunk, so while the chunk only grows the
    // search goes on from there: the table is walked once per pass over the
    // movie, not once per chunk.
    const std::vector<QTSampleToChunk>& table = m_tables.sampleToChunk;
    const LONG chunk = m_tables.currentChunk;
    SampleToChunkCursor& cursor = m_tables.sampleToChunkCursor;
    if (chunk < cursor.chunk || cursor.next > table.size())
        cursor = {};
    size_t i = cursor.next;
    while (i < table.size() && table[i].firstChunk <= chunk)
        ++i;
    cursor = {chunk, i};
    if (i == table.size())
        return -1;
    return i == 0 ? -1 : table[i - 1].samplesPerChunk;
}

LONGLONG QTTrack::GetCurrentCO() const
{
    const LONG chunk = m_tables.currentChunk;
    if (!InTable(chunk, m_tables.chunkCount, m_tables.chunkOffsets.size()))
    {
        DebugPrintW(L"GetCurrentCO %d is out of range [1 - %d]\n", chunk, m_tables.chunkCount);
        return -1;
    }
    return static_cast<LONGLONG>(m_tables.chunkOffsets[static_cast<size_t>(chunk - 1)]);
}

void QTTrack::AdvanceSamples(LONG count)
{
    m_tables.currentSample = AddWrapping(m_tables.currentSample, count);
}

void QTTrack::NextChunk()
{
    m_tables.currentChunk = AddWrapping(m_tables.currentChunk, 1);
}
