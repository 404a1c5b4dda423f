#include "tools/PcmPinFile.h"

namespace
{
// Sizes in both containers are 32-bit; the data is padded to an even length.
constexpr uint64_t kMaxChunkBytes = 0xFFFFFFFFu;
constexpr uint64_t kWaveHeaderBytes = 44;
constexpr uint64_t kAiffHeaderBytes = 54;

void PutLittle(std::string& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void PutBig(std::string& out, uint64_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// An 80-bit IEEE extended number, as AIFF gives its sample rate: sign and
// 15-bit exponent, then a 64-bit mantissa with its integer bit explicit.
void PutExtended(std::string& out, unsigned value)
{
    if (value == 0)
    {
        PutBig(out, 0, 10);
        return;
    }
    int exponent = 31;
    while (!(value & (1u << exponent)))
        --exponent;
    PutBig(out, static_cast<uint64_t>(16383 + exponent), 2);
    PutBig(out, static_cast<uint64_t>(value) << (63 - exponent), 8);
}

unsigned FrameBytes(const PcmLayout& layout)
{
    return layout.channels * (layout.bitsPerSample / 8);
}
} // namespace

std::string CPcmPinFile::WaveHeader(uint64_t dataBytes) const
{
    std::string out = "RIFF";
    PutLittle(out, kWaveHeaderBytes - 8 + dataBytes + (dataBytes & 1), 4);
    out += "WAVEfmt ";
    PutLittle(out, 16, 4);
    PutLittle(out, 1, 2); // WAVE_FORMAT_PCM
    PutLittle(out, m_layout.channels, 2);
    PutLittle(out, m_layout.sampleRate, 4);
    PutLittle(out, static_cast<uint64_t>(m_layout.sampleRate) * FrameBytes(m_layout), 4); // bytes per second
    PutLittle(out, FrameBytes(m_layout), 2);                                              // block align
    PutLittle(out, m_layout.bitsPerSample, 2);
    out += "data";
    PutLittle(out, dataBytes, 4);
    return out;
}

std::string CPcmPinFile::AiffHeader(uint64_t dataBytes) const
{
    const unsigned frameBytes = FrameBytes(m_layout);
    std::string out = "FORM";
    PutBig(out, kAiffHeaderBytes - 8 + dataBytes + (dataBytes & 1), 4);
    out += "AIFFCOMM";
    PutBig(out, 18, 4);
    PutBig(out, m_layout.channels, 2);
    PutBig(out, frameBytes ? dataBytes / frameBytes : 0, 4); // sample frames
    PutBig(out, m_layout.bitsPerSample, 2);
    PutExtended(out, m_layout.sampleRate);
    out += "SSND";
    PutBig(out, 8 + dataBytes, 4);
    PutBig(out, 0, 4); // offset
    PutBig(out, 0, 4); // block size
    return out;
}

std::string CPcmPinFile::Header(uint64_t dataBytes) const
{
    return m_container == Container::Wave ? WaveHeader(dataBytes) : AiffHeader(dataBytes);
}

std::string CPcmPinFile::Trailer(uint64_t dataBytes) const
{
    return (dataBytes & 1) ? std::string(1, '\0') : std::string();
}

uint64_t CPcmPinFile::MaxDataBytes() const
{
    const uint64_t headerBytes = m_container == Container::Wave ? kWaveHeaderBytes : kAiffHeaderBytes;
    return kMaxChunkBytes - (headerBytes - 8) - 1; // the outer chunk's size, with the pad byte
}
