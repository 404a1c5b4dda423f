#include "tools/PinFile.h"

#include <cstdio>
#include <filesystem>
#include <limits>

namespace
{
std::filesystem::path PathOf(const std::string& utf8)
{
    return std::filesystem::u8path(utf8);
}
} // namespace

CPinFile::~CPinFile()
{
    if (m_temporary.empty() || m_finished)
        return;
    m_file.close();
    std::error_code error;
    std::filesystem::remove(PathOf(m_temporary), error); // nothing more to do when it cannot go
}

bool CPinFile::Open(const std::string& path)
{
    m_path = path;
    m_temporary = path + ".part";
    m_file.open(PathOf(m_temporary), std::ios::binary | std::ios::trunc);
    if (!m_file)
        return Fail("cannot create " + m_temporary);
    const std::string header = Header(0);
    if (!m_file.write(header.data(), static_cast<std::streamsize>(header.size())))
        return Fail("cannot write " + m_temporary);
    return true;
}

bool CPinFile::Write(const BYTE* data, size_t size)
{
    if (size > MaxDataBytes() - m_dataBytes)
        return Fail(m_path + " cannot hold more than " + std::to_string(MaxDataBytes()) + " bytes of data");
    if (!m_file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size)))
        return Fail("cannot write " + m_temporary);
    m_dataBytes += size;
    return true;
}

bool CPinFile::Finish()
{
    const std::string trailer = Trailer(m_dataBytes);
    const std::string header = Header(m_dataBytes);
    m_file.write(trailer.data(), static_cast<std::streamsize>(trailer.size()));
    m_file.seekp(0);
    m_file.write(header.data(), static_cast<std::streamsize>(header.size()));
    m_file.close();
    if (!m_file)
        return Fail("cannot write " + m_temporary);
    std::error_code error;
    std::filesystem::remove(PathOf(m_path), error); // Windows renames over no file
    std::filesystem::rename(PathOf(m_temporary), PathOf(m_path), error);
    if (error)
        return Fail("cannot rename " + m_temporary + " to " + m_path + ": " + error.message());
    m_finished = true;
    return true;
}

std::string CPinFile::Header(uint64_t) const
{
    return {};
}

std::string CPinFile::Trailer(uint64_t) const
{
    return {};
}

uint64_t CPinFile::MaxDataBytes() const
{
    return std::numeric_limits<uint64_t>::max();
}

bool CPinFile::Fail(const std::string& what)
{
    if (m_problem.empty())
        m_problem = what;
    return false;
}
