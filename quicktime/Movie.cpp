#include "quicktime/Movie.h"

#include <new>

#include "framework/DebugPrint.h"
#include "quicktime/AtomWalk.h"

Movie::~Movie()
{
    DebugPrintW(L"Movie::~Movie");
    for (size_t i = 0; i < m_tracks.size(); ++i)
    {
        DebugPrintW(L"Movie:~Movie() deleting trak %d\n", static_cast<int>(i + 1));
        m_tracks[i].reset();
    }
}

void Movie::Clear()
{
    m_tracks.clear();
    m_moovReader.reset();
    m_timeScale = 0;
    m_duration = 0;
    m_declaredTrackCount = 0;
}

HRESULT Movie::ParseMovie(std::unique_ptr<QTParser> moovReader)
{
    m_moovReader = std::move(moovReader);
    DebugPrintW(L"++++++ParseMovie++++++++  0x%x", static_cast<unsigned>(reinterpret_cast<uintptr_t>(m_moovReader.get())));
    if (!m_moovReader)
        return E_FAIL;
    static const QTAtomHandler<Movie> kChildren[] = {
        {FourCC::Mvhd, &Movie::ParseMvhd, QTAtomAccess::Open, L"++++++ParseMvhd++++++++"},
        {FourCC::Trak, &Movie::ParseTrak, QTAtomAccess::Open, L"++++++ParseTrak++++++++"},
        {FourCC::Udta, &Movie::ParseUdta, QTAtomAccess::Open, L"++++++ParseUdta++++++++"},
    };
    return WalkAtoms(*m_moovReader, *this, kChildren);
}

HRESULT Movie::ParseMvhd(QTParser& reader)
{
    (void)reader.Skip(12); // version and flags, creation and modification times
    uint32_t timeScale = 0;
    if (reader.ReadUInt32(timeScale) < 0)
        return E_FAIL;
    if (timeScale == 0)
        DebugPrintW(L"ParseMvhd: bad time scale = 0");
    m_timeScale = timeScale;
    uint32_t duration = 0;
    if (reader.ReadUInt32(duration) < 0)
        return E_FAIL;
    m_duration = duration;
    (void)reader.Skip(76); // preferred rate and volume, reserved, matrix, preview, poster, selection and current times
    uint32_t nextTrackId = 0;
    if (reader.ReadUInt32(nextTrackId) < 0)
        return E_FAIL;
    if (nextTrackId == 1)
    {
        DebugPrintW(L"ParseMvhd: Track count is 1, no tracks");
        return E_FAIL;
    }
    m_declaredTrackCount = static_cast<LONG>(nextTrackId - 1);
    return S_OK;
}

HRESULT Movie::ParseTrak(QTParser& reader)
{
    // A track whose parse fails part-way is kept with what was read; a track
    // never fails the movie.
    if (m_tracks.size() >= kMaxTracks)
        return S_OK;
    std::unique_ptr<QTTrack> track(new (std::nothrow) QTTrack(reader));
    if (!track)
        return S_OK;
    try
    {
        m_tracks.push_back(std::move(track));
    }
    catch (const std::bad_alloc&)
    {
        // E_OUTOFMEMORY from the append: the track is not held.
    }
    return S_OK;
}

HRESULT Movie::ParseUdta(QTParser& reader)
{
    // Three words of user data are read and discarded; user data never fails.
    uint32_t word = 0;
    for (int i = 0; i < 3; ++i)
        (void)reader.ReadUInt32(word);
    return S_OK;
}

QTTrack* Movie::GetTrack(LONG index) const
{
    if (index < 1 || index > GetTrackCount())
        return nullptr;
    return m_tracks[static_cast<size_t>(index - 1)].get();
}

LONG Movie::CountTracks(QTTrackKind kind) const
{
    LONG count = 0;
    for (const auto& track : m_tracks)
        count += track->GetKind() == kind ? 1 : 0;
    return count;
}
