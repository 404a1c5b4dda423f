// Builds QuickTime bytes in memory, atom by atom: big-endian fields, nested
// atoms whose sizes are filled in when they are closed, 64-bit extended
// sizes, and atoms that lie about their size.
//
//     AtomBuilder b;
//     b.Begin(FourCC::Moov);
//     b.Begin(FourCC::Mvhd).U32(0).Zeros(8).U32(600).U32(0).Zeros(76).U32(2).End();
//     b.End();
//     CMemoryByteSource source(b.Bytes());
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

class AtomBuilder
{
public:
    AtomBuilder& U8(uint8_t value);
    AtomBuilder& U16(uint16_t value);
    AtomBuilder& U32(uint32_t value);
    AtomBuilder& U64(uint64_t value);
    // Four type bytes, first character first.
    AtomBuilder& Code(uint32_t fourcc);
    AtomBuilder& Zeros(size_t count);
    AtomBuilder& Append(const std::vector<BYTE>& bytes);

    // Opens an atom with a 32-bit size; End writes the size it came to.
    AtomBuilder& Begin(uint32_t type);
    // Opens an atom with size 1 and a 64-bit extended size.
    AtomBuilder& BeginExtended(uint32_t type);
    AtomBuilder& End();
    // Closes the atom, declaring the given size instead of the real one (the
    // 64-bit field of an extended atom, else the 32-bit field).
    AtomBuilder& EndWithSize(uint64_t declaredSize);
    // A whole atom with an empty payload.
    AtomBuilder& Empty(uint32_t type) { return Begin(type).End(); }

    size_t Size() const { return m_bytes.size(); }
    // The bytes so far; every atom must be closed.
    const std::vector<BYTE>& Bytes() const;

private:
    struct Open
    {
        size_t start;
        bool extended;
    };
    void PatchSize(const Open& atom, uint64_t size);

    std::vector<BYTE> m_bytes;
    std::vector<Open> m_open;
};
