#include "tools/ExtractCommand.h"

#include <dshow.h>
#include <mmreg.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>

#include "framework/CMediaType.h"
#include "quicktime/QTMediaGuids.h"
#include "tools/MediaTypeNames.h"
#include "tools/FailureWords.h"
#include "tools/MovieCommand.h"
#include "tools/PcmPinFile.h"
#include "tools/RunCommand.h"
#include "tools/TimecodeText.h"
#include "tools/sink/WritingSink.h"

namespace
{
// What extract makes of one connected pin.
struct PinOutput
{
    const RunPin* pin = nullptr; // not owned: the run's
    CWritingSink* sink = nullptr; // not owned: the run holds it
    std::string extension;        // empty: no file
    std::string why;              // why no file
    std::unique_ptr<CPinFile> file; // before the run, until the sink takes it
    bool timecode = false;
    TimecodeFormatBlock timecodeBlock{};
    std::string path;
};

// The four-character code of a subtype made from one, else 0.
uint32_t FourCCOf(const GUID& subtype)
{
    const GUID base = FourCCGuid(0);
    return std::memcmp(&subtype.Data2, &base.Data2, sizeof(GUID) - sizeof(subtype.Data1)) == 0 ? subtype.Data1 : 0;
}

bool IsDv(const GUID& subtype)
{
    // Every "dv.." code is DV: its frames carry their own DIF headers.
    return subtype == MEDIASUBTYPE_dvsd || (FourCCOf(subtype) & 0xFFFF) == MakeFourCC('d', 'v', 0, 0);
}

// The PCM file for a sound pin's media type, or null with *why.
std::unique_ptr<CPinFile> PcmFileFor(const AM_MEDIA_TYPE& type, std::string* extension, std::string* why)
{
    if (type.formattype != FORMAT_WaveFormatEx || type.cbFormat < 16 || !type.pbFormat)
    {
        *why = "its sound has no WAVEFORMATEX format block";
        return nullptr;
    }
    WAVEFORMATEX format;
    std::memset(&format, 0, sizeof format);
    std::memcpy(&format, type.pbFormat, std::min<size_t>(type.cbFormat, sizeof format));
    const PcmLayout layout{format.nChannels, format.nSamplesPerSec, format.wBitsPerSample};
    const unsigned bits = layout.bitsPerSample;
    if (layout.channels == 0 || layout.sampleRate == 0 || (bits != 8 && bits != 16 && bits != 24 && bits != 32) ||
        format.nBlockAlign != layout.channels * bits / 8)
    {
        *why = "its format block is not integer PCM (" + std::to_string(layout.channels) + " channels, " +
               std::to_string(bits) + " bits, block of " + std::to_string(format.nBlockAlign) + " bytes)";
        return nullptr;
    }
    const uint32_t code = type.subtype == MEDIASUBTYPE_PCM ? 0 : FourCCOf(type.subtype);
    const bool little = type.subtype == MEDIASUBTYPE_PCM || code == MakeFourCC('s', 'o', 'w', 't') ||
                        code == ReverseFourCC(FourCC::In24) || code == ReverseFourCC(FourCC::In32);
    const bool big = code == MakeFourCC('t', 'w', 'o', 's') || code == FourCC::In24 || code == FourCC::In32;
    const bool unsigned8 = code == MakeFourCC('r', 'a', 'w', ' ') && bits == 8;
    // 8-bit WAV is unsigned, 8-bit AIFF signed: signed bytes go to AIFF.
    if (unsigned8 || (little && bits > 8))
    {
        *extension = "wav";
        return std::make_unique<CPcmPinFile>(CPcmPinFile::Container::Wave, layout);
    }
    if (big || little)
    {
        *extension = "aif";
        return std::make_unique<CPcmPinFile>(CPcmPinFile::Container::Aiff, layout);
    }
    *why = "its sound is not integer PCM";
    return nullptr;
}

void PlanFor(const AM_MEDIA_TYPE& type, PinOutput* plan)
{
    if (type.majortype == MEDIATYPE_Video && IsDv(type.subtype))
    {
        plan->extension = "dv";
        plan->file = std::make_unique<CPinFile>();
    }
    else if (type.majortype == MEDIATYPE_Audio)
    {
        plan->file = PcmFileFor(type, &plan->extension, &plan->why);
    }
    else if (type.formattype == FORMAT_QTTimecode && type.cbFormat >= sizeof(TimecodeFormatBlock) && type.pbFormat)
    {
        plan->extension = "timecode.txt";
        plan->timecode = true;
        std::memcpy(&plan->timecodeBlock, type.pbFormat, sizeof plan->timecodeBlock);
    }
    else
    {
        const char* name = MediaGuidName(type.subtype);
        plan->why = "extract writes DV video, integer PCM and timecode only, not " +
                    (name ? std::string(name) : GuidString(type.subtype));
    }
}

void Plan(IPin& output, PinOutput* plan)
{
    AM_MEDIA_TYPE type{};
    if (FAILED(output.ConnectionMediaType(&type)))
    {
        plan->why = "it has no connection media type";
        return;
    }
    PlanFor(type, plan);
    FreeMediaType(type);
}

bool WriteTimecode(PinOutput& plan, std::string* problem)
{
    CPinFile file;
    const std::string text = TimecodeText(plan.timecodeBlock);
    const bool written = file.Open(plan.path) &&
                         file.Write(reinterpret_cast<const BYTE*>(text.data()), text.size()) && file.Finish();
    *problem = file.Problem();
    return written;
}

int Extract(CMovieGraph& graph, const CTeeJournal& journal, const QtGraphOptions& options, std::ostream& out,
            std::ostream& err, bool terminal)
{
    if (!PinsExist(graph, options, err))
        return 2;
    CMovieRun run(graph);
    std::vector<ComPtr<CWritingSink>> sinks; // in the order of run.Pins()
    run.UseSinks([&sinks](CSinkFilter** ppSink) {
        ComPtr<CWritingSink> sink;
        const HRESULT hr = CWritingSink::Create(sink.ReleaseAndGetAddressOf());
        if (FAILED(hr))
            return hr;
        sinks.push_back(sink);
        *ppSink = sink.Detach();
        return S_OK;
    });
    const HRESULT hr = run.ConnectSinks(options.pins, options.allPins, SampleHash::None, false);
    if (FAILED(hr))
    {
        WriteFailure(err, "cannot connect a sink in " + options.file, hr, journal.Records(),
                     StructuralErrors(options.file), options.verbose);
        return 1;
    }
    const std::filesystem::path folder = std::filesystem::u8path(options.outdir);
    const std::string stem = std::filesystem::u8path(options.file).stem().u8string();
    const std::vector<ComPtr<IPin>> outputs = graph.OutputPins();
    std::vector<PinOutput> plans(run.Pins().size());
    for (size_t i = 0; i < plans.size(); ++i)
    {
        PinOutput& plan = plans[i];
        plan.pin = &run.Pins()[i];
        plan.sink = sinks[i].Get();
        Plan(*outputs[static_cast<size_t>(plan.pin->index)].Get(), &plan);
        if (plan.extension.empty())
        {
            err << "qtgraph: pin " << plan.pin->index << " (" << plan.pin->name << ") gets no file: " << plan.why
                << '\n';
            continue;
        }
        plan.path = (folder / std::filesystem::u8path(stem + '.' + std::to_string(plan.pin->index) + '.' +
                                                      plan.extension))
                        .u8string();
        std::error_code error;
        if (!options.force && std::filesystem::exists(std::filesystem::u8path(plan.path), error))
        {
            err << "qtgraph: " << plan.path << " is already there (--force overwrites it)\n";
            return 1;
        }
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (PinOutput& plan : plans)
    {
        if (!plan.file)
            continue;
        if (!plan.file->Open(plan.path))
        {
            err << "qtgraph: " << plan.file->Problem() << '\n';
            return 1;
        }
        plan.sink->SetFile(std::move(plan.file));
    }
    const RunOutcome outcome = PlayWithProgress(run, graph, journal, options, "extract of " + options.file + " failed",
                                                err, terminal);
    if (FAILED(outcome.result))
    {
        for (const PinOutput& plan : plans)
            if (plan.sink->File() && !plan.sink->File()->Problem().empty())
                err << "qtgraph: " << plan.sink->File()->Problem() << '\n';
        return 1;
    }
    for (PinOutput& plan : plans)
    {
        std::string problem;
        CPinFile* const file = plan.sink->File();
        const bool written = plan.timecode ? WriteTimecode(plan, &problem) : !file || file->Finish();
        if (!written)
        {
            err << "qtgraph: " << (file ? file->Problem() : problem) << '\n';
            return 1;
        }
        if (plan.extension.empty())
            continue;
        out << "pin " << plan.pin->index << "  " << plan.path << "  ";
        if (plan.timecode)
            out << "starts at " << TimecodeOfFrame(plan.timecodeBlock.startFrame, plan.timecodeBlock.framesPerSecond,
                                                    plan.timecodeBlock.dropFrame != 0)
                << '\n';
        else
            out << plan.sink->Records().Totals().samples << " samples, " << file->DataBytes() << " bytes\n";
    }
    return 0;
}
} // namespace

int ExtractCommand(const QtGraphOptions& options, std::ostream& out, std::ostream& err, bool terminal)
{
    return RunOnMovie(options.file, options.verbose, err, [&](CMovieGraph& graph, const CTeeJournal& journal) {
        return Extract(graph, journal, options, out, err, terminal);
    });
}
