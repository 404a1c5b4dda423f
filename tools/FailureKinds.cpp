#include "tools/FailureKinds.h"

#include <cstdio>
#include <cstring>
#include <ostream>

#include "tools/ReportWriter.h"

namespace
{
struct KindEntry
{
    FailureKind kind;
    Severity severity;
    const char* name;
    // {value} is the finding's value of that name; {track}, {atom} (the last
    // atom of the path) and {offset} are the finding's own.
    const char* words;
};

// clang-format off
const KindEntry kKinds[] = {
    {FailureKind::FileMissing, Severity::Error, "file-missing", "the file does not exist"},
    {FailureKind::PermissionDenied, Severity::Error, "permission-denied", "permission denied"},
    {FailureKind::NotAMovie, Severity::Error, "not-a-movie",
     "not a QuickTime movie: no 'moov' atom among the top-level atoms of its {file_length} bytes ({atoms})"},
    {FailureKind::FileEndsBeforeMovie, Severity::Error, "file-ends-before-movie",
     "the file ends at byte {file_length} inside the '{atom}' atom that starts at {offset} and declares "
     "{declared_size} bytes, before any 'moov' atom: cut short or still being written ({atoms})"},
    {FailureKind::MovieCutShort, Severity::Error, "movie-cut-short",
     "the file ends at byte {file_length} inside the 'moov' atom that starts at {offset} and declares "
     "{declared_size} bytes: cut short or still being written"},
    {FailureKind::AtomPastFile, Severity::Error, "atom-past-file",
     "the '{atom}' atom at {offset} declares {declared_size} bytes, {missing} more than the file holds (it ends at "
     "byte {file_length}): cut short or still being written"},
    {FailureKind::AtomPastParent, Severity::Error, "atom-past-parent",
     "the '{atom}' atom at {offset} declares {declared_size} bytes, {excess} more than its parent '{parent}' holds "
     "(it ends at byte {parent_end})"},
    {FailureKind::AtomHeaderInvalid, Severity::Error, "atom-header-invalid",
     "the atom header at {offset} inside '{parent}' declares size {declared_size}, which no atom can have: the last "
     "{remaining} bytes of '{parent}' are not read"},
    {FailureKind::MovieHeaderUnreadable, Severity::Error, "movie-header-unreadable",
     "the 'moov' atom at {offset} has no movie header ('mvhd') that can be read: the filter refuses the movie"},
    {FailureKind::NoTracksDeclared, Severity::Error, "no-tracks-declared",
     "the movie header ('mvhd' at {offset}) gives next track ID 1, which declares no tracks: the filter refuses "
     "the movie"},
    {FailureKind::MovieTimeScaleZero, Severity::Error, "movie-time-scale-zero",
     "the movie header ('mvhd' at {offset}) gives time scale 0: the filter refuses a movie whose duration has no "
     "unit"},
    {FailureKind::TracksMissing, Severity::Error, "tracks-missing",
     "the movie header declares {declared} tracks (next track ID {next_track_id}) but only {found} could be read: "
     "the filter offers {found} and the others are silently missing"},
    {FailureKind::TracksBeyondDeclared, Severity::Warning, "tracks-beyond-declared",
     "the movie holds {found} tracks but its header declares {declared} (next track ID {next_track_id}): the filter "
     "offers only the first {declared}"},
    {FailureKind::TableTooLong, Severity::Error, "table-too-long",
     "track {track}'s '{atom}' atom at {offset} declares {count} {entries} of {entry_size} bytes ({needed} bytes) "
     "but holds {held}: the track keeps only what came before it"},
    {FailureKind::NoMediaType, Severity::Warning, "no-media-type",
     "track {track} (format '{format}', code {format_code}) is neither video, sound nor timecode (no 'vmhd', 'smhd' "
     "or timecode 'gmhd'): the filter offers its pin with no media type and streams nothing on it"},
    {FailureKind::TimecodeUnreadable, Severity::Warning, "timecode-unreadable",
     "timecode track {track}'s first value is read at offset {chunk_offset}, past the end of the file "
     "({file_length} bytes): the pin's timecode starts at 0"},
    {FailureKind::TimecodeWithoutChunk, Severity::Error, "timecode-without-chunk",
     "timecode track {track} has no chunk offset to read its first value at ({chunks} chunks): the filter refuses "
     "the movie"},
    {FailureKind::TrackCutShort, Severity::Error, "track-cut-short",
     "track {track}'s 'trak' atom at {offset} declares {declared_size} bytes, {missing} of them past the end of "
     "the file: the filter offers what was read of it"},
    {FailureKind::VideoTimecodeScales, Severity::Error, "video-timecode-time-scales",
     "video track {video_track} has media time scale {video_time_scale} and timecode track {timecode_track} "
     "{timecode_time_scale}: the filter refuses a movie whose video and timecode time scales differ"},
    {FailureKind::ChunkPastEnd, Severity::Error, "chunk-past-end",
     "track {track} chunk {chunk} at offset {chunk_offset} holds {bytes} bytes and ends at byte {chunk_end}, past "
     "the end of the file ({file_length} bytes): a run fails there"},
    {FailureKind::SoundChunkEmpty, Severity::Warning, "sound-chunk-empty",
     "track {track} chunk {chunk} at offset {chunk_offset} is a sound chunk without samples: the pump ends every "
     "stream there, with {chunks_left} chunks of the movie not played"},
    {FailureKind::SoundChunkUnsized, Severity::Error, "sound-chunk-unsized",
     "track {track} chunk {chunk} at offset {chunk_offset} is a sound chunk of {samples} samples whose bytes the "
     "filter cannot size ({time_to_sample_entries} 'stts' entries where it sizes sound by one, {channels} channels "
     "of {sample_size} bytes): a run fails there"},
    {FailureKind::TablesDisagree, Severity::Warning, "tables-disagree",
     "track {track}'s sample tables disagree: 'stts' times {stts_samples} samples, 'stsz' sizes {stsz_samples} and "
     "'stsc' places {stsc_samples} in the {chunks} chunks of '{chunk_table}'"},
    {FailureKind::FrameRateFromScale, Severity::Warning, "frame-rate-from-time-scale",
     "track {track}'s media time scale {time_scale} is not frames per second x 100: the filter takes {filter_rate} "
     "frames per second from it, but its 'stts' durations of {duration} give {movie_rate}; the pump stamps each "
     "frame {stamped_frame} (100-ns units) instead of {movie_frame}"},
    {FailureKind::PixelAspectUnknown, Severity::Warning, "pixel-aspect-unknown",
     "track {track}'s pixel aspect {h_spacing}:{v_spacing} ('pasp' at {offset}) is not one the filter knows: the "
     "movie's display aspect is {movie_aspect}, the pin offers {pin_aspect}"},
    {FailureKind::PixelAspectOutsideTable, Severity::Note, "pixel-aspect-outside-table",
     "track {track}'s pixel aspect {h_spacing}:{v_spacing} ('pasp' at {offset}) is not one the filter knows, but "
     "the pin offers {pin_aspect}, the movie's display aspect too"},
    {FailureKind::TrackTimeScale, Severity::Note, "track-time-scale",
     "track {track}'s media time scale {track_time_scale} differs from the movie's {movie_time_scale}"},
    {FailureKind::Fragmented, Severity::Warning, "fragmented",
     "the movie is fragmented: {fragments} 'moof' atoms, the first at {offset}, hold media the filter does not "
     "stream; it plays only what the 'moov' tables hold"},
    {FailureKind::ChunksOverlap, Severity::Warning, "chunks-overlap",
     "track {track} chunk {chunk} at offset {chunk_offset} ({bytes} bytes) overlaps track {other_track} chunk "
     "{other_chunk} at offset {other_offset}: those bytes are delivered twice ({overlaps} overlaps in all)"},
};
// clang-format on

const KindEntry& EntryOf(FailureKind kind)
{
    for (const KindEntry& entry : kKinds)
        if (entry.kind == kind)
            return entry;
    return kKinds[0]; // every kind has an entry; this is never reached
}

std::string ValueText(const ReportValue& value)
{
    if (value.kind == ReportValue::Kind::Number)
        return GroupedNumber(value.number);
    if (value.kind != ReportValue::Kind::Real)
        return ReportText(value);
    char text[32]; // rates: 29.97, 23.976, 300
    std::snprintf(text, sizeof text, "%.5g", value.real);
    return text;
}

std::string LastAtom(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Placeholder(const Finding& finding, const std::string& name)
{
    if (name == "track")
        return GroupedNumber(finding.track);
    if (name == "atom")
        return LastAtom(finding.atom);
    if (name == "offset")
        return GroupedNumber(finding.offset);
    for (const FindingValue& value : finding.values)
        if (name == value.name)
            return ValueText(value.value);
    return "{" + name + "}"; // a value the finding lacks shows as its name
}
} // namespace

std::string CodeText(uint32_t code)
{
    std::string text;
    for (int i = 0; i < 4; ++i)
    {
        const char c = static_cast<char>((code >> (8 * i)) & 0xFF);
        text += c >= 0x20 && c < 0x7F ? c : '?';
    }
    return text;
}

std::string GroupedNumber(LONGLONG number)
{
    const ULONGLONG magnitude = number < 0 ? 0 - static_cast<ULONGLONG>(number) : static_cast<ULONGLONG>(number);
    const std::string digits = std::to_string(magnitude);
    std::string text = number < 0 ? "-" : "";
    for (size_t i = 0; i < digits.size(); ++i)
    {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += ',';
        text += digits[i];
    }
    return text;
}

Severity SeverityOf(FailureKind kind)
{
    return EntryOf(kind).severity;
}

const char* SeverityName(Severity severity)
{
    switch (severity)
    {
    case Severity::Error: return "error";
    case Severity::Warning: return "warning";
    case Severity::Note: break;
    }
    return "note";
}

const char* KindName(FailureKind kind)
{
    return EntryOf(kind).name;
}

std::string FindingText(const Finding& finding)
{
    std::string text;
    for (const char* c = EntryOf(finding.kind).words; *c;)
    {
        const char* close = *c == '{' ? std::strchr(c, '}') : nullptr;
        if (!close)
        {
            text += *c++;
            continue;
        }
        text += Placeholder(finding, std::string(c + 1, close));
        c = close + 1;
    }
    return text;
}

void WriteFindingJson(const Finding& finding, std::ostream& out)
{
    out << "{\"severity\":\"" << SeverityName(SeverityOf(finding.kind)) << "\",\"kind\":\"" << KindName(finding.kind)
        << "\",\"track\":";
    if (finding.track > 0)
        out << finding.track;
    else
        out << "null";
    out << ",\"atom\":" << (finding.atom.empty() ? "null" : JsonQuote(finding.atom)) << ",\"offset\":";
    if (finding.offset >= 0)
        out << finding.offset;
    else
        out << "null";
    out << ",\"message\":" << JsonQuote(FindingText(finding)) << ",\"values\":{";
    for (size_t i = 0; i < finding.values.size(); ++i)
    {
        const ReportValue& value = finding.values[i].value;
        out << (i > 0 ? "," : "") << JsonQuote(finding.values[i].name) << ':'
            << (value.kind == ReportValue::Kind::Text ? JsonQuote(value.text) : ReportText(value));
    }
    out << "}}";
}
