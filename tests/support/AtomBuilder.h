// Builds QuickTime bytes in memory, atom by atom: big-endian fields, nested
// atoms whose sizes are filled in when they are closed, 64-bit extended
// sizes, and atoms that lie about their size.
//
//     AtomBuilder b;
//     b.Begin(FourCC::Moov);
//     b.Begin(FourCC::Mvhd).U32(0).Zeros(8).U32(600).U32(0).Zeros(76).U32(2).End();
//     CMemoryByteSource source(b.End().Bytes());
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

class AtomBuilder
{
public:
    // value as count big-endian bytes.
    AtomBuilder& BigEndian(uint64_t value, int count);
    AtomBuilder& U8(uint8_t value) { return BigEndian(value, 1); }
    AtomBuilder& U16(uint16_t value) { return BigEndian(value, 2); }
    AtomBuilder& U32(uint32_t value) { return BigEndian(value, 4); }
    AtomBuilder& U64(uint64_t value) { return BigEndian(value, 8); }
    // Four type bytes, first character first.
    AtomBuilder& Code(uint32_t fourcc);
    AtomBuilder& Zeros(size_t count);
    AtomBuilder& Append(const std::vector<BYTE>& bytes);

    // Opens an atom with a 32-bit size, or with size 1 and a 64-bit extended
    // size; End writes the size it came to.
    AtomBuilder& Begin(uint32_t type);
    AtomBuilder& BeginExtended(uint32_t type);
    AtomBuilder& End() { return EndWithSize(m_bytes.size() - m_open.back().start); }
    // Closes the atom, declaring the given size instead of the real one.
    AtomBuilder& EndWithSize(uint64_t declaredSize);
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
    std::vector<BYTE> m_bytes;
    std::vector<Open> m_open;
};

// The bytes write(builder) produces: Atoms([](AtomBuilder& b) { AddStco(b, {48}); }).
template <typename Write>
std::vector<BYTE> Atoms(Write write)
{
    AtomBuilder b;
    write(b);
    return b.Bytes();
}
