#include "tests/support/AtomBuilder.h"

#include <stdexcept>

AtomBuilder& AtomBuilder::BigEndian(uint64_t value, int count)
{
    for (int i = count - 1; i >= 0; --i)
        m_bytes.push_back(static_cast<BYTE>(value >> (8 * i)));
    return *this;
}

AtomBuilder& AtomBuilder::Code(uint32_t fourcc)
{
    for (int i = 0; i < 4; ++i)
        m_bytes.push_back(static_cast<BYTE>(fourcc >> (8 * i)));
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

AtomBuilder& AtomBuilder::EndWithSize(uint64_t declaredSize)
{
    if (m_open.empty())
        throw std::logic_error("AtomBuilder: no atom open");
    const Open atom = m_open.back();
    m_open.pop_back();
    const int count = atom.extended ? 8 : 4;
    const size_t at = atom.extended ? atom.start + 8 : atom.start;
    for (int i = 0; i < count; ++i)
        m_bytes[at + i] = static_cast<BYTE>(declaredSize >> (8 * (count - 1 - i)));
    return *this;
}

const std::vector<BYTE>& AtomBuilder::Bytes() const
{
    if (!m_open.empty())
        throw std::logic_error("AtomBuilder: an atom is still open");
    return m_bytes;
}
