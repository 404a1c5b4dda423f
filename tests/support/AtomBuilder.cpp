#include "tests/support/AtomBuilder.h"

#include <stdexcept>

AtomBuilder& AtomBuilder::U8(uint8_t value)
{
    m_bytes.push_back(value);
    return *this;
}

AtomBuilder& AtomBuilder::U16(uint16_t value)
{
    return U8(static_cast<uint8_t>(value >> 8)).U8(static_cast<uint8_t>(value));
}

AtomBuilder& AtomBuilder::U32(uint32_t value)
{
    return U16(static_cast<uint16_t>(value >> 16)).U16(static_cast<uint16_t>(value));
}

AtomBuilder& AtomBuilder::U64(uint64_t value)
{
    return U32(static_cast<uint32_t>(value >> 32)).U32(static_cast<uint32_t>(value));
}

AtomBuilder& AtomBuilder::Code(uint32_t fourcc)
{
    for (int i = 0; i < 4; ++i)
        U8(static_cast<uint8_t>(fourcc >> (8 * i)));
    return *this;
}

AtomBuilder& AtomBuilder::Zeros(size_t count)
{
    m_bytes.resize(m_bytes.size() + count, 0);
    return *this;
}

AtomBuilder& AtomBuilder::Append(const std::vector<BYTE>& bytes)
{
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return *this;
}

AtomBuilder& AtomBuilder::Begin(uint32_t type)
{
    m_open.push_back({m_bytes.size(), false});
    return U32(0).Code(type);
}

AtomBuilder& AtomBuilder::BeginExtended(uint32_t type)
{
    m_open.push_back({m_bytes.size(), true});
    return U32(1).Code(type).U64(0);
}

AtomBuilder& AtomBuilder::End()
{
    if (m_open.empty())
        throw std::logic_error("AtomBuilder::End without an open atom");
    return EndWithSize(m_bytes.size() - m_open.back().start);
}

AtomBuilder& AtomBuilder::EndWithSize(uint64_t declaredSize)
{
    if (m_open.empty())
        throw std::logic_error("AtomBuilder::EndWithSize without an open atom");
    PatchSize(m_open.back(), declaredSize);
    m_open.pop_back();
    return *this;
}

void AtomBuilder::PatchSize(const Open& atom, uint64_t size)
{
    const size_t at = atom.extended ? atom.start + 8 : atom.start;
    const int bytes = atom.extended ? 8 : 4;
    for (int i = 0; i < bytes; ++i)
        m_bytes[at + i] = static_cast<BYTE>(size >> (8 * (bytes - 1 - i)));
}

const std::vector<BYTE>& AtomBuilder::Bytes() const
{
    if (!m_open.empty())
        throw std::logic_error("AtomBuilder::Bytes with an atom still open");
    return m_bytes;
}
