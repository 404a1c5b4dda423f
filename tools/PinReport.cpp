#include "tools/PinReport.h"

#include <dvdmedia.h>
#include <mmreg.h>

#include <cstring>

#include "framework/CMediaType.h"
#include "framework/ComPtr.h"
#include "pins/TimecodeFormat.h"
#include "tools/MovieGraph.h"

namespace
{
// The format block as Block, when the type carries one of at least its size;
// copied, since the block need not be aligned for Block.
template <class Block>
bool ReadBlock(const AM_MEDIA_TYPE& type, Block* block)
{
    if (!type.pbFormat || type.cbFormat < sizeof(Block))
        return false;
    std::memcpy(block, type.pbFormat, sizeof(Block));
    return true;
}

std::vector<ReportField> VideoFields(const VIDEOINFOHEADER2& v)
{
    return {
        PairField("frame size", " x ", "width", v.bmiHeader.biWidth, "height", v.bmiHeader.biHeight),
        NumberField("avg time per frame", "avg_time_per_frame", v.AvgTimePerFrame),
        HexField("interlace flags", "interlace_flags", v.dwInterlaceFlags, 1),
        PairField("picture aspect", ":", "aspect_x", v.dwPictAspectRatioX, "aspect_y", v.dwPictAspectRatioY),
        NumberField("bit rate", "bit_rate", v.dwBitRate),
    };
}

std::vector<ReportField> SoundFields(const WAVEFORMATEX& w)
{
    return {
        NumberField("format tag", "format_tag", w.wFormatTag),
        NumberField("channels", "channels", w.nChannels),
        NumberField("samples per second", "samples_per_second", w.nSamplesPerSec),
        NumberField("bits per sample", "bits_per_sample", w.wBitsPerSample),
        NumberField("block align", "block_align", w.nBlockAlign),
        NumberField("avg bytes per second", "avg_bytes_per_second", w.nAvgBytesPerSec),
    };
}

std::vector<ReportField> TimecodeFields(const TimecodeFormatBlock& t)
{
    return {
        NumberField("version", "version", t.version),
        NumberField("drop frame", "drop_frame", t.dropFrame),
        NumberField("counting mode", "counting_mode", t.countingMode),
        NumberField("time scale", "time_scale", t.timeScale),
        NumberField("frame duration", "frame_duration", t.frameDuration),
        NumberField("frames per second", "frames_per_second", t.framesPerSecond),
        NumberField("start frame", "start_frame", t.startFrame),
    };
}

std::vector<ReportField> FormatFields(const AM_MEDIA_TYPE& type)
{
    VIDEOINFOHEADER2 video;
    WAVEFORMATEX sound;
    TimecodeFormatBlock timecode;
    if (type.formattype == FORMAT_VideoInfo2 && ReadBlock(type, &video))
        return VideoFields(video);
    if (type.formattype == FORMAT_WaveFormatEx && ReadBlock(type, &sound))
        return SoundFields(sound);
    if (type.formattype == FORMAT_QTTimecode && ReadBlock(type, &timecode))
        return TimecodeFields(timecode);
    return {};
}

// The first type the pin offers, as the caller frees it; null when none.
AM_MEDIA_TYPE* OfferedType(IPin& pin)
{
    ComPtr<IEnumMediaTypes> types;
    AM_MEDIA_TYPE* type = nullptr;
    ULONG fetched = 0;
    if (FAILED(pin.EnumMediaTypes(types.ReleaseAndGetAddressOf())) || !types || types->Next(1, &type, &fetched) != S_OK)
        return nullptr;
    return type;
}

} // namespace

PinReport BuildPinReport(int index, IPin& pin, LONG bufferSize)
{
    PinReport report;
    report.fields = {NumberField("pin", "index", index), TextField("name", "name", PinName(pin))};
    AM_MEDIA_TYPE* offered = OfferedType(pin);
    const AM_MEDIA_TYPE none{}; // a pin that offers nothing shows GUID_NULL throughout
    const AM_MEDIA_TYPE& type = offered ? *offered : none;
    report.fields.push_back(GuidField("major type", "major_type", "major_type_name", type.majortype));
    report.fields.push_back(GuidField("subtype", "subtype", "subtype_name", type.subtype));
    report.fields.push_back(GuidField("format type", "format_type", "format_type_name", type.formattype));
    report.fields.push_back(NumberField("format size", "format_size", type.cbFormat));
    report.format = FormatFields(type);
    if (offered)
        DeleteMediaType(offered);
    report.fields.push_back(NumberField("buffer size", "buffer_size", bufferSize));
    return report;
}
