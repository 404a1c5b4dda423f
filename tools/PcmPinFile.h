// The sound files of qtgraph extract: integer PCM as the pin's format block
// describes it, little-endian in a WAV file, big-endian (and signed 8-bit)
// in an AIFF file, the bytes as they arrive in both.
#pragma once

#include <cstdint>

#include "tools/PinFile.h"

struct PcmLayout
{
    unsigned channels = 0;
    unsigned sampleRate = 0;    // sample frames per second
    unsigned bitsPerSample = 0; // 8, 16, 24 or 32
};

// RIFF WAVE with a PCM "fmt " chunk: little-endian samples, unsigned if 8-bit.
class CWavePinFile : public CPinFile
{
public:
    explicit CWavePinFile(const PcmLayout& layout) : m_layout(layout) {}

protected:
    std::string Header(uint64_t dataBytes) const override;
    std::string Trailer(uint64_t dataBytes) const override;
    uint64_t MaxDataBytes() const override;

private:
    PcmLayout m_layout;
};

// AIFF ("FORM" "AIFF" with "COMM" and "SSND"): big-endian signed samples.
class CAiffPinFile : public CPinFile
{
public:
    explicit CAiffPinFile(const PcmLayout& layout) : m_layout(layout) {}

protected:
    std::string Header(uint64_t dataBytes) const override;
    std::string Trailer(uint64_t dataBytes) const override;
    uint64_t MaxDataBytes() const override;

private:
    PcmLayout m_layout;
};
