#include "quicktime/QTParser.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "framework/DebugPrint.h"
#include "quicktime/FourCC.h"

namespace
{
// Region start + size, held where the end of a huge region cannot overflow.
LONGLONG RegionEnd(LONGLONG start, ULONGLONG size)
{
    if (size == 0)
        return 0;
    const ULONGLONG room = static_cast<ULONGLONG>(INT64_MAX - std::max<LONGLONG>(start, 0));
    return start + static_cast<LONGLONG>(std::min(size, room));
}

// Every big-endian integer of the file becomes a value here.
uint32_t BigEndian32(const BYTE* b)
{
    return (static_cast<uint32_t>(b[0]) << 24) | (static_cast<uint32_t>(b[1]) << 16) |
           (static_cast<uint32_t>(b[2]) << 8) | static_cast<uint32_t>(b[3]);
}

void Decode(const BYTE* b, uint32_t& value)
{
    value = BigEndian32(b);
}

void Decode(const BYTE* b, uint64_t& value)
{
    value = (static_cast<uint64_t>(BigEndian32(b)) << 32) | BigEndian32(b + 4);
}
} // namespace

QTParser::QTParser(IByteSource* source, LONGLONG regionStart, uint32_t name, ULONGLONG regionSize, LONG blockSize)
    : m_source(source),
      m_regionSize(regionSize),
      m_name(name),
      m_regionEnd(RegionEnd(regionStart, regionSize)),
      m_regionStart(regionStart),
      m_cursor(regionStart),
      m_atomName(name),
      m_blockSize(std::max<LONG>(blockSize, 1))
{
    DebugPrintW(L"QTParser(0x%x, 0x%I64x, %s, %I64u, %d)", static_cast<unsigned>(reinterpret_cast<uintptr_t>(source)),
                regionStart, FourCCToWide(name).c_str(), regionSize, 1);
    DebugPrintW(L"   - 0x%I64x, 0x%I64x, 0x%I64x", m_regionEnd, m_cursor, m_regionEnd);
    if (IsBounded())
    {
        // Consume the header of the atom the region covers: the cursor then
        // stands at its payload.
        LONGLONG size = 0;
        uint32_t type = 0;
        LONGLONG payload = 0;
        (void)GetNextAtom(size, type, payload);
    }
}

QTParser QTParser::OpenAtom() const
{
    return QTParser(m_source, m_atomStart, m_atomName, static_cast<ULONGLONG>(m_atomSize), m_blockSize);
}

LONGLONG QTParser::GetNextAtom(LONGLONG& atomSize, uint32_t& name, LONGLONG& payloadPosition)
{
    atomSize = 0;
    name = 0;
    payloadPosition = 0;
    DebugPrintW(L" GNA: 0x%I64x, 0x%I64x, 0x%I64x", m_regionEnd, m_cursor, m_regionEnd);
    if (m_regionEnd > 0 && m_cursor >= m_regionEnd)
        return -1;

    m_atomStart = m_cursor;
    uint32_t size32 = 0;
    if (ReadUInt32(size32) < 0)
        return -1;
    BYTE type[4] = {};
    if (ReadBytes(type, 4) < 0)
        return -1;
    const uint32_t newName = FourCCFromBytes(type);
    DebugPrintW(L" QTParser::GetNextAtom(%s) size %d atom name %s : size = %d", FourCCToWide(m_atomName).c_str(),
                static_cast<int>(size32), FourCCToWide(newName).c_str(), static_cast<int>(size32));

    LONGLONG size = size32;
    LONGLONG headerLength = 8;
    if (size32 == 1)
    {
        uint64_t extended = 0;
        if (ReadUInt64(extended) < 0)
            return -1;
        headerLength = 16;
        if (extended > static_cast<uint64_t>(INT64_MAX) || extended < 16)
            return -1;
        size = static_cast<LONGLONG>(extended);
    }
    // Sizes 0 and 2 to 7 are invalid, and so is an atom whose end cannot be
    // represented as a file offset.
    if (size < 8 || size > INT64_MAX - m_atomStart)
        return -1;

    atomSize = size;
    name = newName;
    payloadPosition = m_cursor;
    m_atomEnd = m_atomStart + size;
    m_atomName = newName;
    m_atomSize = size;
    return headerLength;
}

LONGLONG QTParser::SkipRestOfAtom()
{
    // Without a current atom there is nothing to step over; the cursor never
    // moves backwards.
    if (m_atomSize == 0)
        return 0;
    m_cursor = m_atomEnd;
    const LONGLONG size = m_atomSize;
    m_atomSize = 0;
    return size;
}

bool QTParser::HasRoomFor(LONGLONG count) const
{
    return !IsBounded() || m_regionEnd - m_cursor >= count;
}

LONGLONG QTParser::ReadUInt32(uint32_t& value)
{
    value = 0;
    if (!HasRoomFor(4))
        return -1;
    BYTE b[4];
    if (!Fetch(b, m_cursor, 4))
        return -1;
    Decode(b, value);
    m_cursor += 4;
    return 4;
}

LONGLONG QTParser::ReadUInt64(uint64_t& value)
{
    value = 0;
    if (!HasRoomFor(8))
        return -1;
    uint32_t high = 0;
    uint32_t low = 0;
    if (ReadUInt32(high) != 4 || ReadUInt32(low) != 4)
        return -1;
    value = (static_cast<uint64_t>(high) << 32) | low;
    return 8;
}

LONG QTParser::ReadUInt32Array(uint32_t* values, LONG count)
{
    return ReadArray(values, count);
}

LONG QTParser::ReadUInt64Array(uint64_t* values, LONG count)
{
    return ReadArray(values, count);
}

LONG QTParser::BufferedFields(LONG fieldSize, LONG wanted) const
{
    if (m_cursor < m_blockStart || m_cursor - m_blockStart >= m_blockLength)
        return 0;
    LONGLONG bytes = m_blockStart + m_blockLength - m_cursor;
    if (IsBounded())
        bytes = std::min(bytes, m_regionEnd - m_cursor);
    return static_cast<LONG>(std::clamp<LONGLONG>(bytes / fieldSize, 0, wanted));
}

template <typename Value>
LONG QTParser::ReadArray(Value* values, LONG count)
{
    constexpr LONG kFieldSize = sizeof(Value);
    LONG done = 0;
    while (done < count)
    {
        const LONG buffered = BufferedFields(kFieldSize, count - done);
        if (buffered == 0)
        {
            // The next field lies outside the block, or straddles its end or
            // the region's: one ordinary read, which fetches the next block.
            LONGLONG read = 0;
            if constexpr (kFieldSize == 4)
                read = ReadUInt32(values[done]);
            else
                read = ReadUInt64(values[done]);
            if (read < 0)
                return done;
            ++done;
            continue;
        }
        const BYTE* field = m_block.get() + (m_cursor - m_blockStart);
        Value* const end = values + done + buffered;
        for (Value* value = values + done; value != end; ++value, field += kFieldSize)
            Decode(field, *value);
        m_cursor += LONGLONG{kFieldSize} * buffered;
        done += buffered;
    }
    return done;
}

LONGLONG QTParser::ReadBytes(BYTE* destination, LONG count)
{
    LONGLONG take = count;
    if (IsBounded())
    {
        const LONGLONG remaining = m_regionEnd - m_cursor;
        take = remaining > count ? count : remaining;
    }
    if (take < 1)
        return -1;
    if (!Fetch(destination, m_cursor, count))
        return -1;
    m_cursor += take;
    return take;
}

LONGLONG QTParser::Skip(LONGLONG count)
{
    if (count < 0)
        return -1; // a reader never moves backwards
    const LONGLONG remaining = m_regionEnd - m_cursor;
    if (remaining <= count)
        return -1;
    m_cursor += count;
    return 0;
}

bool QTParser::Fetch(BYTE* destination, LONGLONG position, LONG count)
{
    // No source holds bytes before 0 or past the largest offset.
    if (!m_source || position < 0 || count < 0 || position > INT64_MAX - count)
        return false;
    if (position >= m_blockStart && count <= m_blockLength && position - m_blockStart <= m_blockLength - count)
    {
        std::memcpy(destination, m_block.get() + (position - m_blockStart), static_cast<size_t>(count));
        return true;
    }
    if (FetchBlock(position, count))
    {
        std::memcpy(destination, m_block.get(), static_cast<size_t>(count));
        return true;
    }
    // The exact read this request would make without read-ahead.
    return m_source->ReadOffset(destination, position, count) == S_OK;
}

LONG QTParser::BlockLengthAt(LONGLONG position, LONG count) const
{
    LONGLONG length = m_blockSize;
    if (IsBounded())
        length = std::min(length, m_regionEnd - position);
    length = std::min(length, m_shortReadEnd - 1 - position);
    length = std::min(length, INT64_MAX - position);
    return length < count ? count : static_cast<LONG>(length);
}

bool QTParser::FetchBlock(LONGLONG position, LONG count)
{
    LONG length = BlockLengthAt(position, count);
    // A short block only says that the source ends somewhere inside it:
    // halve the block until one comes whole or it is no larger than the
    // request, which then gets its own exact read.
    while (length > count)
    {
        // The block is about to change: until a read fills it, it holds
        // nothing, even when a larger buffer cannot be had.
        m_blockLength = 0;
        if (length > m_blockCapacity)
        {
            m_block.reset(new (std::nothrow) BYTE[static_cast<size_t>(length)]);
            m_blockCapacity = m_block ? length : 0;
            if (!m_block)
                return false;
        }
        const HRESULT hr = m_source->ReadOffset(m_block.get(), position, length);
        if (hr == S_OK)
        {
            m_blockStart = position;
            m_blockLength = length;
            return true;
        }
        if (hr != S_FALSE)
            return false;
        m_shortReadEnd = position + length;
        length = std::max(count, length / 2);
    }
    return false;
}
