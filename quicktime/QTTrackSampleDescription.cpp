// The track's first sample description ("stsd"): data format and the video,
// sound or timecode parameters of the track's kind. Offsets in the comments
// count from the start of that description. A skip that cannot be made leaves
// the reader where it is, as everywhere in this parser; the read that follows
// decides.
#include "framework/DebugPrint.h"
#include "quicktime/AtomWalk.h"
#include "quicktime/QTTrack.h"

namespace
{
// Fixed part of a video description (up to the end of the color table ID);
// extension atoms follow only in a longer one.
constexpr LONG kVideoDescriptionSize = 86;
// A version 1 sound description this long has room for extension atoms.
constexpr LONG kSoundExtensionsMinSize = 56;

constexpr LONG High16(uint32_t word)
{
    return static_cast<LONG>(word >> 16);
}

constexpr LONG Low16(uint32_t word)
{
    return static_cast<LONG>(word & 0xFFFF);
}

// The display aspect a pixel spacing pair stands for; false for pairs not known.
bool PictureAspectOf(uint32_t hSpacing, uint32_t vSpacing, DWORD& x, DWORD& y)
{
    struct Entry
    {
        uint32_t h, v;
        DWORD x, y;
    };
    static const Entry kAspects[] = {
        {10, 11, 4, 3}, // NTSC 4:3
        {59, 54, 4, 3}, // PAL 4:3
        {4, 3, 16, 9},  // 1440-wide HD
        {40, 33, 16, 9}, // NTSC 16:9
    };
    for (const Entry& e : kAspects)
    {
        if (e.h == hSpacing && e.v == vSpacing)
        {
            x = e.x;
            y = e.y;
            return true;
        }
    }
    return false;
}

// Reads a 32-bit atom size and, when it is at least minSize, the atom's type.
// matched: both were read and the type is the one expected. E_FAIL when a
// read fails.
HRESULT ReadAtomHead(QTParser& reader, uint32_t minSize, uint32_t type, uint32_t& size, bool& matched)
{
    matched = false;
    if (reader.ReadUInt32(size) < 0)
        return E_FAIL;
    if (size < minSize)
        return S_OK;
    BYTE name[4] = {};
    if (reader.ReadBytes(name, 4) < 0)
        return E_FAIL;
    matched = FourCCFromBytes(name) == type;
    return S_OK;
}
} // namespace

HRESULT QTTrack::ParseStsd(QTParser& reader)
{
    (void)reader.Skip(4); // version and flags
    uint32_t count = 0;
    uint32_t size = 0;
    BYTE format[4] = {};
    if (reader.ReadUInt32(count) < 0 || reader.ReadUInt32(size) < 0 || reader.ReadBytes(format, 4) < 0)
        return E_FAIL;
    m_description.count = count;
    m_description.size = static_cast<LONG>(size);
    m_description.formatCode = FourCCFromBytes(format);

    HRESULT hr = S_OK;
    switch (m_kind)
    {
    case QTTrackKind::Video: hr = ParseVideoDescription(reader); break;
    case QTTrackKind::Sound: hr = ParseSoundDescription(reader); break;
    case QTTrackKind::Timecode: hr = ParseTimecodeDescription(reader); break;
    case QTTrackKind::None: break;
    }
    if (FAILED(hr))
        return hr;
    SetMediaType();
    return S_OK;
}

HRESULT QTTrack::ParseVideoDescription(QTParser& reader)
{
    (void)reader.Skip(24); // reserved, data reference index, version, revision, vendor, temporal and spatial quality
    uint32_t size = 0; // at 32: width (high half), height (low half)
    if (reader.ReadUInt32(size) < 0)
        return E_FAIL;
    DebugPrintW(L"      STTD (0x%x): Width %d\n", 24, static_cast<int>(size));
    m_video.height = static_cast<DWORD>(Low16(size));
    DebugPrintW(L"      STTD: Height %d\n", static_cast<int>(size));
    m_video.width = static_cast<DWORD>(High16(size));

    if (m_description.size > kVideoDescriptionSize)
    {
        (void)reader.Skip(50); // resolutions, data size, frame count, compressor name, depth, color table ID
        // The extension atoms run to the end of "stsd". An unreadable "pasp"
        // leaves the aspect as it was and does not fail the description.
        static const QTAtomHandler<QTTrack> kExtensions[] = {
            {FourCC::Pasp, &QTTrack::ParsePasp},
        };
        (void)WalkAtoms(reader, *this, kExtensions);
    }
    return S_OK;
}

HRESULT QTTrack::ParsePasp(QTParser& reader)
{
    uint32_t hSpacing = 0;
    uint32_t vSpacing = 0;
    if (reader.ReadUInt32(hSpacing) < 0 || reader.ReadUInt32(vSpacing) < 0)
        return E_FAIL;
    DebugPrintW(L"        PASP: %d %d\n", static_cast<int>(hSpacing), static_cast<int>(vSpacing));
    (void)PictureAspectOf(hSpacing, vSpacing, m_video.pictureAspectX, m_video.pictureAspectY);
    return S_OK;
}

HRESULT QTTrack::ParseSoundDescription(QTParser& reader)
{
    (void)reader.Skip(8); // reserved, data reference index
    uint32_t word = 0;
    if (reader.ReadUInt32(word) < 0) // at 16: version, revision
        return E_FAIL;
    const LONG version = High16(word);
    (void)reader.Skip(4); // vendor
    if (reader.ReadUInt32(word) < 0) // at 24: channels, sample size in bits
        return E_FAIL;
    m_sound.channels = static_cast<DWORD>(High16(word));
    m_sound.bytesPerSample = static_cast<DWORD>(Low16(word) / 8);
    m_tables.sampleSize = static_cast<LONG>(m_sound.bytesPerSample);
    if (reader.ReadUInt32(word) < 0) // at 28: compression ID, packet size
        return E_FAIL;
    const LONG compressionId = High16(word);
    DebugPrintW(L"&&&&&&&&&&&&&&&&&& compID = 0x%x, pktSz = 0x%x\n", static_cast<unsigned>(compressionId),
                static_cast<unsigned>(Low16(word)));

    constexpr LONG kVariableCompression = 0xFFFE; // -2 as 16 bits
    if (version != 0 && compressionId == kVariableCompression)
    {
        // The 16.16 rate field cannot hold every rate; the media time scale is the rate.
        m_sound.sampleRate = m_mediaTimeScale;
        (void)reader.Skip(8); // 16.16 sample rate; samples per packet (v1) or structure size (v2)
    }
    else
    {
        if (reader.ReadUInt32(word) < 0) // at 32: sample rate, unsigned 16.16
            return E_FAIL;
        m_sound.sampleRate = static_cast<DWORD>(High16(word));
        if (version != 0)
            (void)reader.Skip(4); // samples per packet (v1) or structure size (v2)
    }
    if (version == 1)
        return ParseSoundVersion1(reader);
    if (version == 2)
        return ParseSoundVersion2(reader);
    return S_OK;
}

HRESULT QTTrack::ParseSoundVersion1(QTParser& reader)
{
    uint32_t bytesPerPacket = 0; // at 40
    if (reader.ReadUInt32(bytesPerPacket) < 0)
        return E_FAIL;
    m_sound.bytesPerSample = bytesPerPacket & 0x7FFFFFFF;
    m_tables.sampleSize = static_cast<LONG>(m_sound.bytesPerSample);
    (void)reader.Skip(8); // bytes per frame, bytes per sample
    if (m_description.size < kSoundExtensionsMinSize)
        return S_OK;
    return ParseLittleEndianExtension(reader);
}

HRESULT QTTrack::ParseLittleEndianExtension(QTParser& reader)
{
    // At 52: "wave" holding "frma" (the wrapped integer format) and "enda"
    // (its byte order), read strictly in this order. Anything else there ends
    // the search without error.
    uint32_t size = 0;
    bool matched = false;
    if (FAILED(ReadAtomHead(reader, 8, FourCC::Wave, size, matched)))
        return E_FAIL;
    if (!matched || size < 16)
        return S_OK;
    if (FAILED(ReadAtomHead(reader, 12, FourCC::Frma, size, matched)))
        return E_FAIL;
    if (!matched)
        return S_OK;
    BYTE wrapped[4] = {};
    if (reader.ReadBytes(wrapped, 4) < 0)
        return E_FAIL;
    const uint32_t wrappedCode = FourCCFromBytes(wrapped);
    if (wrappedCode != FourCC::In32 && wrappedCode != FourCC::In24)
        return S_OK;
    if (FAILED(ReadAtomHead(reader, 10, FourCC::Enda, size, matched)))
        return E_FAIL;
    if (!matched)
        return S_OK;
    uint32_t word = 0; // the 16-bit flag, then whatever follows "enda"
    if (reader.ReadUInt32(word) < 0)
        return E_FAIL;
    // Little-endian integers go out under the reversed code ("42ni", "23ni").
    if ((word >> 16) > 0)
        m_description.formatCode = ReverseFourCC(m_description.formatCode);
    return S_OK;
}

HRESULT QTTrack::ParseSoundVersion2(QTParser& reader)
{
    (void)reader.Skip(8); // sample rate, 64-bit float
    uint32_t channels = 0; // at 48
    if (reader.ReadUInt32(channels) < 0)
        return E_FAIL;
    const LONG count = static_cast<LONG>(channels);
    if (count <= 0 || count > 2)
        return E_FAIL;
    m_sound.channels = channels;
    (void)reader.Skip(4); // reserved constant
    uint32_t bits = 0; // at 56: bits per channel
    if (reader.ReadUInt32(bits) < 0)
        return E_FAIL;
    m_sound.bytesPerSample = static_cast<DWORD>(Low16(bits) / 8);
    m_tables.sampleSize = static_cast<LONG>(m_sound.bytesPerSample);
    return S_OK;
}

HRESULT QTTrack::ParseTimecodeDescription(QTParser& reader)
{
    (void)reader.Skip(12); // reserved, data reference index, reserved
    uint32_t flags = 0;
    uint32_t timeScale = 0; // read, not kept: the media time scale serves
    uint32_t frameDuration = 0;
    BYTE frames = 0;
    if (reader.ReadUInt32(flags) < 0 || reader.ReadUInt32(timeScale) < 0 || reader.ReadUInt32(frameDuration) < 0 ||
        reader.ReadBytes(&frames, 1) < 0)
        return E_FAIL;
    m_timecode.flags = flags;
    m_timecode.frameDuration = frameDuration;
    m_timecode.frameCount = static_cast<int8_t>(frames);
    return S_OK;
}
