// A forward-only reader over one byte region of a source: the whole file
// (unbounded) or one atom. It splits the region into atoms, reads big-endian
// integers and raw bytes with checks against the region end, and steps over
// the atom it returned last. All positions are absolute byte offsets.
//
// Reading operations return the number of bytes consumed, or -1 on failure
// (out values are then 0). To descend into an atom, create a child reader over
// it (OpenAtom); its constructor consumes the atom's header, so its cursor
// stands at the payload. The parent's cursor stays put until SkipRestOfAtom.
//
// Reads ahead: fields are served from a block read from the source (never past
// the region end), so a table of a million entries costs a handful of source
// reads. When a block read comes back short or fails, the request falls back
// to an exact read of its own bytes, so the results at region and file ends
// are exactly those of one source read per field.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "quicktime/IByteSource.h"

class QTParser
{
public:
    static constexpr LONG kDefaultBlockSize = 64 * 1024;

    // source is not owned and must outlive the reader. name is the code of the
    // atom the region covers (0 for none). regionSize 0 means unbounded;
    // otherwise the constructor reads the header of the atom that begins the
    // region. blockSize bounds the read-ahead (1 reads field by field).
    QTParser(IByteSource* source, LONGLONG regionStart, uint32_t name, ULONGLONG regionSize,
             LONG blockSize = kDefaultBlockSize);
    QTParser(const QTParser&) = delete;
    QTParser& operator=(const QTParser&) = delete;

    // A child reader over the atom last returned by GetNextAtom.
    [[nodiscard]] QTParser OpenAtom() const;

    // Reads the next atom header: 8 or 16 (the header length), or -1 at the
    // region end, at a failed read or for an invalid size.
    [[nodiscard]] LONGLONG GetNextAtom(LONGLONG& atomSize, uint32_t& name, LONGLONG& payloadPosition);
    // Moves the cursor to the end of the current atom; returns its size (0 if none).
    LONGLONG SkipRestOfAtom();

    [[nodiscard]] LONGLONG ReadUInt32(uint32_t& value);
    [[nodiscard]] LONGLONG ReadUInt64(uint64_t& value);
    // count ReadUInt32 (ReadUInt64) calls in one, for tables: fields the block
    // holds are served with one check per block. Returns the number of values
    // read: count, or fewer where one of those calls would have failed; the
    // values, the cursor and the value left 0 at the failure are then those
    // of the calls (a failing ReadUInt64 may have read its high half).
    [[nodiscard]] LONG ReadUInt32Array(uint32_t* values, LONG count);
    [[nodiscard]] LONG ReadUInt64Array(uint64_t* values, LONG count);
    // Reads count bytes; with fewer left in the region (but at least one) all
    // count bytes are still read from the source and the cursor stops at the
    // region end. Returns the bytes the cursor advanced.
    [[nodiscard]] LONGLONG ReadBytes(BYTE* destination, LONG count);
    // 0, or -1 (cursor unchanged) unless more than count bytes are left.
    [[nodiscard]] LONGLONG Skip(LONGLONG count);

    LONGLONG GetAtomStart() const { return m_atomStart; }
    LONGLONG GetAtomSize() const { return m_atomSize; }
    uint32_t GetAtomName() const { return m_atomName; }
    // The code of the atom the region covers (0 for the whole file).
    uint32_t GetName() const { return m_name; }
    LONGLONG GetCursor() const { return m_cursor; }
    // Bytes between the cursor and the region end; INT64_MAX when unbounded.
    LONGLONG GetRemaining() const { return IsBounded() ? std::max<LONGLONG>(m_regionEnd - m_cursor, 0) : INT64_MAX; }

private:
    bool IsBounded() const { return m_regionSize != 0; }
    bool HasRoomFor(LONGLONG count) const;
    // Whole fields of fieldSize bytes at the cursor, at most wanted, that the
    // block holds and the region has room for.
    LONG BufferedFields(LONG fieldSize, LONG wanted) const;
    template <typename Value>
    LONG ReadArray(Value* values, LONG count);
    // True when all count bytes at position came from the source.
    bool Fetch(BYTE* destination, LONGLONG position, LONG count);
    bool FetchBlock(LONGLONG position, LONG count);
    LONG BlockLengthAt(LONGLONG position, LONG count) const;

    IByteSource* m_source; // not owned
    ULONGLONG m_regionSize;
    uint32_t m_name;
    LONGLONG m_regionEnd;   // 0 for an unbounded reader
    LONGLONG m_regionStart;
    LONGLONG m_cursor;
    LONGLONG m_atomSize = 0; // 0 when none, or after SkipRestOfAtom
    LONGLONG m_atomStart = 0;
    LONGLONG m_atomEnd = 0;
    uint32_t m_atomName;

    // Read-ahead block: m_blockLength bytes of the source from m_blockStart.
    LONG m_blockSize;
    std::unique_ptr<BYTE[]> m_block;
    LONG m_blockCapacity = 0;
    LONGLONG m_blockStart = 0;
    LONG m_blockLength = 0;
    // A read ending here came back short: the source holds fewer bytes.
    LONGLONG m_shortReadEnd = INT64_MAX;
};
