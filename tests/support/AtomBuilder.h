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
#include <stdexcept>
#include <vector>

class AtomBuilder
{
public:
    // value as count big-endian bytes.
    AtomBuilder& BigEndian(uint64_t value, int count)
    {
        for (int i = count - 1; i >= 0; --i)
            m_bytes.push_back(static_cast<BYTE>(value >> (8 * i)));
        return *this;
    }
    AtomBuilder& U8(uint8_t value) { return BigEndian(value, 1); }
    AtomBuilder& U16(uint16_t value) { return BigEndian(value, 2); }
    AtomBuilder& U32(uint32_t value) { return BigEndian(value, 4); }
    AtomBuilder& U64(uint64_t value) { return BigEndian(value, 8); }
    // Four type bytes, first character (the lowest byte of the code) first.
    AtomBuilder& Code(uint32_t fourcc)
    {
        return U8(fourcc & 0xFF).U8((fourcc >> 8) & 0xFF).U8((fourcc >> 16) & 0xFF).U8(fourcc >> 24);
    }
    AtomBuilder& Zeros(size_t count)
    {
        m_bytes.resize(m_bytes.size() + count, 0);
        return *this;
    }
    AtomBuilder& Append(const std::vector<BYTE>& bytes)
    {
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
        return *this;
    }

    // Opens an atom with a 32-bit size, or with size 1 and a 64-bit extended
    // size; End writes the size it came to.
    AtomBuilder& Begin(uint32_t type)
    {
        m_open.push_back({m_bytes.size(), false});
        return U32(0).Code(type);
    }
    AtomBuilder& BeginExtended(uint32_t type)
    {
        m_open.push_back({m_bytes.size(), true});
        return U32(1).Code(type).U64(0);
    }
    AtomBuilder& End() { return EndWithSize(m_bytes.size() - m_open.back().start); }
    // Closes the atom, declaring the given size instead of the real one.
    AtomBuilder& EndWithSize(uint64_t declaredSize)
    {
        if (m_open.empty())
            throw std::logic_error("AtomBuilder: no atom open");
        const Open atom = m_open.back();
        m_open.pop_back();
        const int count = atom.extended ? 8 : 4;
        for (int i = 0; i < count; ++i)
            m_bytes[atom.start + (atom.extended ? 8 : 0) + i] = static_cast<BYTE>(declaredSize >> (8 * (count - 1 - i)));
        return *this;
    }
    AtomBuilder& Empty(uint32_t type) { return Begin(type).End(); }

    size_t Size() const { return m_bytes.size(); }
    // The bytes so far; every atom must be closed.
    const std::vector<BYTE>& Bytes() const
    {
        if (!m_open.empty())
            throw std::logic_error("AtomBuilder: an atom is still open");
        return m_bytes;
    }

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
