#include "tools/AtomSurvey.h"

#include <algorithm>
#include <map>

#include "quicktime/FourCC.h"
#include "quicktime/QTParser.h"

namespace
{
constexpr size_t kListedTopAtoms = 6;      // named when there is no "moov"
constexpr LONGLONG kVideoDescriptionSize = 86; // fixed part; extension atoms follow
constexpr LONG kPieceEntries = 1024;       // "stts" pairs read at a time

std::string LastOf(const std::string& path)
{
    return path.substr(path.rfind('/') + 1);
}

class CAtomSurvey
{
public:
    CAtomSurvey(IByteSource& source, MovieSurvey& out) : m_source(source), m_out(out) {}

    void Run();

private:
    using Visit = void (CAtomSurvey::*)(QTParser& reader, const std::string& path, uint32_t type);

    // Visits the atoms of reader's region, which ends at end; true when the
    // walk reached that end, false at a header that is not valid.
    bool Children(QTParser& reader, const std::string& path, LONGLONG end, Visit visit);
    // The atom reader's child over the atom it returned last, walked.
    bool Open(QTParser& reader, const std::string& path, Visit visit)
    {
        QTParser child = reader.OpenAtom();
        return Children(child, path, reader.GetAtomStart() + reader.GetAtomSize(), visit);
    }
    void MovieChild(QTParser& reader, const std::string& path, uint32_t type);
    void TrackChild(QTParser& reader, const std::string& path, uint32_t type);
    void MediaChild(QTParser& reader, const std::string& path, uint32_t type);
    void MediaInfoChild(QTParser& reader, const std::string& path, uint32_t type);
    void SampleTableChild(QTParser& reader, const std::string& path, uint32_t type);
    void ReadMvhd(QTParser& reader);
    // Reads the count of a table of entrySize-byte entries; the table's
    // reader stands after it. False (with a finding when it does not fit)
    // when the filter would fail on it.
    bool TableFits(QTParser& table, const std::string& path, const char* entries, LONGLONG entrySize,
                   uint32_t* count);
    // False, with a finding, when count entries of entrySize bytes do not fit
    // in what is left of the table's atom.
    bool Fits(QTParser& table, const std::string& path, const char* entries, LONGLONG entrySize, uint32_t count);
    void ReadStts(QTParser& reader, const std::string& path);
    void ReadStsz(QTParser& reader, const std::string& path);
    void ReadPasp(QTParser& reader);

    SurveyedTrack& Track() { return m_out.tracks.back(); }
    void Add(Finding finding) { m_out.findings.push_back(std::move(finding)); }

    IByteSource& m_source;
    MovieSurvey& m_out;
};

void CAtomSurvey::Run()
{
    // Unbounded: it stops where a read fails at the end of the file.
    QTParser top(&m_source, 0, 0, 0);
    std::string listed;
    size_t count = 0;
    std::vector<Finding> pastFile;
    LONGLONG runaway = -1, runawaySize = 0; // the last atom that runs past the end of the file
    uint32_t runawayType = 0;
    for (;;)
    {
        const LONGLONG at = top.GetCursor();
        LONGLONG size = 0;
        uint32_t type = 0;
        LONGLONG payload = 0;
        if (at >= m_out.fileLength || top.GetNextAtom(size, type, payload) < 1)
            break;
        if (count++ < kListedTopAtoms)
            listed += (listed.empty() ? "'" : "; '") + CodeText(type) + "' at " + GroupedNumber(at) + ", " +
                      GroupedNumber(size) + " bytes";
        const bool past = size > m_out.fileLength - at;
        if (type == FourCC::Moov && m_out.moovOffset < 0)
        {
            m_out.moovOffset = at;
            m_out.moovSize = size;
            if (past)
                Add({FailureKind::MovieCutShort, 0, "moov", at,
                     {{"file_length", ReportValue::Number(m_out.fileLength)},
                      {"declared_size", ReportValue::Number(size)}}});
            m_out.moovWhole = Open(top, "moov", &CAtomSurvey::MovieChild) && !past;
        }
        else if (type == FourCC::Moof)
        {
            if (m_out.fragments++ == 0)
                m_out.firstFragment = at;
        }
        else if (past)
        {
            runaway = at;
            runawayType = type;
            runawaySize = size;
            pastFile.push_back({FailureKind::AtomPastFile, 0, CodeText(type), at,
                                {{"declared_size", ReportValue::Number(size)},
                                 {"missing", ReportValue::Number(at + size - m_out.fileLength)},
                                 {"file_length", ReportValue::Number(m_out.fileLength)}}});
        }
        (void)top.SkipRestOfAtom();
    }
    if (m_out.moovOffset < 0)
    {
        if (count > kListedTopAtoms)
            listed += "; " + GroupedNumber(static_cast<LONGLONG>(count - kListedTopAtoms)) + " more";
        // A movie's own atom running past the end is a movie cut short;
        // anything else is not a movie.
        const uint32_t kMovieAtoms[] = {FourCC::Ftyp, FourCC::Wide, FourCC::Free, FourCC::Mdat, FourCC::Moof};
        const bool cut = runaway >= 0 && std::find(std::begin(kMovieAtoms), std::end(kMovieAtoms), runawayType) !=
                                             std::end(kMovieAtoms);
        m_out.findings = {{cut ? FailureKind::FileEndsBeforeMovie : FailureKind::NotAMovie, 0,
                           cut ? CodeText(runawayType) : std::string(), cut ? runaway : -1,
                           {{"file_length", ReportValue::Number(m_out.fileLength)},
                            {"declared_size", ReportValue::Number(runawaySize)},
                            {"atoms", ReportValue::Text(listed.empty() ? "none" : listed)}}}};
        return;
    }
    m_out.findings.insert(m_out.findings.end(), pastFile.begin(), pastFile.end());
}

bool CAtomSurvey::Children(QTParser& reader, const std::string& path, LONGLONG end, Visit visit)
{
    for (;;)
    {
        const LONGLONG at = reader.GetCursor();
        if (at >= end)
            return true;
        LONGLONG size = 0;
        uint32_t type = 0;
        LONGLONG payload = 0;
        if (reader.GetNextAtom(size, type, payload) < 1)
        {
            // A read past the end of the file is the cut already reported;
            // anything else is a size no atom can have.
            BYTE head[4] = {};
            if (end - at >= 8 && m_out.fileLength - at >= 8 && m_source.ReadOffset(head, at, 4) == S_OK)
                Add({FailureKind::AtomHeaderInvalid, m_out.tracks.empty() ? 0 : Track().index, path, at,
                     {{"parent", ReportValue::Text(LastOf(path))},
                      {"declared_size", ReportValue::Number((LONGLONG{head[0]} << 24) | (head[1] << 16) |
                                                            (head[2] << 8) | head[3])},
                      {"remaining", ReportValue::Number(end - at)}}});
            return false;
        }
        const std::string child = path + "/" + CodeText(type);
        if (size > end - at)
            Add({FailureKind::AtomPastParent, m_out.tracks.empty() ? 0 : Track().index, child, at,
                 {{"declared_size", ReportValue::Number(size)},
                  {"excess", ReportValue::Number(at + size - end)},
                  {"parent", ReportValue::Text(LastOf(path))},
                  {"parent_end", ReportValue::Number(end)}}});
        (this->*visit)(reader, child, type);
        (void)reader.SkipRestOfAtom();
    }
}

void CAtomSurvey::MovieChild(QTParser& reader, const std::string& path, uint32_t type)
{
    if (type == FourCC::Mvhd && m_out.mvhdOffset < 0)
    {
        m_out.mvhdOffset = reader.GetAtomStart();
        QTParser mvhd = reader.OpenAtom();
        ReadMvhd(mvhd);
    }
    else if (type == FourCC::Trak)
    {
        SurveyedTrack track;
        track.index = static_cast<LONG>(m_out.tracks.size() + 1);
        const LONGLONG at = reader.GetAtomStart(), size = reader.GetAtomSize();
        track.cut = size > m_out.fileLength - at;
        m_out.tracks.push_back(track);
        if (track.cut)
            Add({FailureKind::TrackCutShort, track.index, path, at,
                 {{"declared_size", ReportValue::Number(size)},
                  {"missing", ReportValue::Number(at + size - m_out.fileLength)}}});
        (void)Open(reader, path, &CAtomSurvey::TrackChild);
        Track().tablesWhole = Track().tablesFound == 4 && !Track().tableTooLong;
    }
}

void CAtomSurvey::ReadMvhd(QTParser& reader)
{
    uint32_t timeScale = 0, duration = 0;
    m_out.mvhdRead = reader.Skip(12) >= 0 && // version and flags, creation and modification times
                     reader.ReadUInt32(timeScale) >= 0 && reader.ReadUInt32(duration) >= 0 &&
                     reader.Skip(76) >= 0 && // rate, volume, reserved, matrix, preview, poster, selection, current
                     reader.ReadUInt32(m_out.nextTrackId) >= 0;
}

void CAtomSurvey::TrackChild(QTParser& reader, const std::string& path, uint32_t type)
{
    if (type == FourCC::Mdia)
        (void)Open(reader, path, &CAtomSurvey::MediaChild);
}

void CAtomSurvey::MediaChild(QTParser& reader, const std::string& path, uint32_t type)
{
    if (type == FourCC::Minf)
        (void)Open(reader, path, &CAtomSurvey::MediaInfoChild);
}

void CAtomSurvey::MediaInfoChild(QTParser& reader, const std::string& path, uint32_t type)
{
    if (type == FourCC::Vmhd)
        Track().video = true;
    else if (type == FourCC::Smhd)
        Track().sound = true;
    else if (type == FourCC::Stbl)
        (void)Open(reader, path, &CAtomSurvey::SampleTableChild);
}

void CAtomSurvey::SampleTableChild(QTParser& reader, const std::string& path, uint32_t type)
{
    QTParser table = reader.OpenAtom();
    uint32_t count = 0;
    switch (type)
    {
    case FourCC::Stsd:
        if (Track().video)
            ReadPasp(table);
        break;
    case FourCC::Stts: ReadStts(table, path); break;
    case FourCC::Stsc:
        Track().tablesFound += TableFits(table, path, "sample-to-chunk entries", 12, &count) ? 1 : 0;
        break;
    case FourCC::Stsz: ReadStsz(table, path); break;
    case FourCC::Stco:
    case FourCC::Co64:
        Track().chunkTable = type == FourCC::Stco ? "stco" : "co64";
        Track().tablesFound += TableFits(table, path, "chunk offsets", type == FourCC::Stco ? 4 : 8, &count) ? 1 : 0;
        break;
    default: break;
    }
}

bool CAtomSurvey::TableFits(QTParser& table, const std::string& path, const char* entries, LONGLONG entrySize,
                            uint32_t* count)
{
    if (table.Skip(4) < 0 || table.ReadUInt32(*count) < 0) // version and flags, entry count
        return false;
    return Fits(table, path, entries, entrySize, *count);
}

bool CAtomSurvey::Fits(QTParser& table, const std::string& path, const char* entries, LONGLONG entrySize,
                       uint32_t count)
{
    const LONGLONG held = table.GetRemaining();
    if (count <= held / entrySize)
        return true;
    Track().tableTooLong = true;
    Add({FailureKind::TableTooLong, Track().index, path, table.GetAtomStart(),
         {{"count", ReportValue::Number(count)},
          {"entries", ReportValue::Text(entries)},
          {"entry_size", ReportValue::Number(entrySize)},
          {"needed", ReportValue::Number(count * entrySize)},
          {"held", ReportValue::Number(held)}}});
    return false;
}

void CAtomSurvey::ReadStts(QTParser& reader, const std::string& path)
{
    uint32_t count = 0;
    if (!TableFits(reader, path, "time-to-sample entries", 8, &count))
        return;
    // Samples per duration (media time scale units); the table fits its
    // atom, so the map is bounded by the file.
    std::map<uint32_t, ULONGLONG> samples;
    uint32_t pairs[2 * kPieceEntries];
    for (uint32_t done = 0; done < count;)
    {
        const LONG wanted = static_cast<LONG>(std::min<uint32_t>(count - done, kPieceEntries));
        const LONG read = reader.ReadUInt32Array(pairs, 2 * wanted) / 2;
        for (LONG i = 0; i < read; ++i)
        {
            Track().timedSamples += pairs[2 * i];
            samples[pairs[2 * i + 1]] += pairs[2 * i];
        }
        if (read < wanted)
            return; // the file ends inside the table: the cut is reported
        done += static_cast<uint32_t>(read);
    }
    ++Track().tablesFound;
    ULONGLONG most = 0;
    for (const auto& entry : samples)
    {
        if (entry.second > most)
        {
            most = entry.second;
            Track().commonDuration = entry.first;
        }
    }
}

void CAtomSurvey::ReadStsz(QTParser& reader, const std::string& path)
{
    uint32_t sampleSize = 0, count = 0;
    if (reader.Skip(4) < 0 || reader.ReadUInt32(sampleSize) < 0 || reader.ReadUInt32(count) < 0)
        return; // version and flags, sample size, sample count
    // A fixed size, or a sound track's (its description's), reads no size table.
    if (sampleSize != 0 || Track().sound || Fits(reader, path, "sample sizes", 4, count))
        ++Track().tablesFound;
}

void CAtomSurvey::ReadPasp(QTParser& reader)
{
    uint32_t count = 0, size = 0;
    if (reader.Skip(4) < 0 || reader.ReadUInt32(count) < 0 || count == 0) // version and flags, entries
        return;
    const LONGLONG start = reader.GetCursor();
    if (reader.ReadUInt32(size) < 0 || size <= kVideoDescriptionSize)
        return;
    // The description is shaped as an atom: its size, then its format.
    QTParser description(&m_source, start, 0, size);
    if (description.Skip(kVideoDescriptionSize - 8) < 0)
        return;
    LONGLONG atomSize = 0;
    uint32_t type = 0;
    LONGLONG payload = 0;
    while (description.GetNextAtom(atomSize, type, payload) >= 1)
    {
        if (type == FourCC::Pasp)
        {
            QTParser pasp = description.OpenAtom();
            if (pasp.ReadUInt32(Track().hSpacing) >= 0 && pasp.ReadUInt32(Track().vSpacing) >= 0)
                Track().paspOffset = description.GetAtomStart();
            return;
        }
        (void)description.SkipRestOfAtom();
    }
}
} // namespace

MovieSurvey SurveyMovie(IByteSource& source, LONGLONG fileLength)
{
    MovieSurvey survey;
    survey.fileLength = fileLength;
    CAtomSurvey(source, survey).Run();
    return survey;
}
