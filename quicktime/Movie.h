// The parsed "moov" atom: the movie header and one QTTrack per "trak", in
// file order. QTMovie finds the "moov" atom in a file and hands it here.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "quicktime/QTParser.h"
#include "quicktime/QTTrack.h"

class Movie
{
public:
    // More "trak" atoms than this are stepped over: no movie carries that many
    // tracks, and a hostile file must not make the track list grow without bound.
    static constexpr size_t kMaxTracks = 1024;

    Movie() = default;
    Movie(const Movie&) = delete;
    Movie& operator=(const Movie&) = delete;
    virtual ~Movie();

    // Keeps the reader (standing at the "moov" payload) and walks the movie's
    // children. S_OK, also when a malformed header ends the walk early;
    // E_FAIL when "mvhd" cannot be read or declares no tracks.
    [[nodiscard]] HRESULT ParseMovie(std::unique_ptr<QTParser> moovReader);

    // The track at a 1-based index, or null outside 1..GetTrackCount. Owned by
    // the movie.
    QTTrack* GetTrack(LONG index) const;
    LONG GetTrackCount() const { return static_cast<LONG>(m_tracks.size()); }
    LONG CountVideoTracks() const { return CountTracks(QTTrackKind::Video); }
    LONG CountAudioTracks() const { return CountTracks(QTTrackKind::Sound); }
    LONG CountTimecodeTracks() const { return CountTracks(QTTrackKind::Timecode); }

    DWORD GetTimeScale() const { return m_timeScale; } // movie time units per second
    DWORD GetDuration() const { return m_duration; }   // movie time scale units
    // The header's next track ID minus 1; may differ from GetTrackCount.
    LONG GetDeclaredTrackCount() const { return m_declaredTrackCount; }

protected:
    // Back to the state of a new movie: no reader, no tracks, header fields 0.
    void Clear();

private:
    HRESULT ParseMvhd(QTParser& reader);
    HRESULT ParseTrak(QTParser& reader);
    HRESULT ParseUdta(QTParser& reader);
    LONG CountTracks(QTTrackKind kind) const;

    std::unique_ptr<QTParser> m_moovReader;
    DWORD m_timeScale = 0;
    DWORD m_duration = 0;
    LONG m_declaredTrackCount = 0;
    std::vector<std::unique_ptr<QTTrack>> m_tracks;
};
