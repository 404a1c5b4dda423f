// The sound files of qtgraph extract: integer PCM as the pin's format block
// describes it, the bytes as they arrive, in a WAV file (little-endian
// samples, unsigned if 8-bit) or an AIFF file (big-endian signed samples).
#pragma once

#include <cstdint>

#include "tools/PinFile.h"

struct PcmLayout
{
    unsigned channels = 0;
    unsigned sampleRate = 0;    // sample frames per second
    unsigned bitsPerSample = 0; // 8, 16, 24 or 32
};

class CPcmPinFile : public CPinFile
{
public:
    enum class Container
    {
        Wave, // RIFF WAVE with a PCM "fmt " chunk
        Aiff, // "FORM" "AIFF" with "COMM" and "SSND"
    };
    CPcmPinFile(Container container, const PcmLayout& layout) : m_container(container), m_layout(layout) {}

protected:
    std::string Header(uint64_t dataBytes) const override;
    // The pad byte that keeps the data chunk's length even.
    std::string Trailer(uint64_t dataBytes) const override;
    // What the 32-bit chunk sizes can describe.
    uint64_t MaxDataBytes() const override;

private:
    std::string WaveHeader(uint64_t dataBytes) const;
    std::string AiffHeader(uint64_t dataBytes) const;

    Container m_container;
    PcmLayout m_layout;
};
