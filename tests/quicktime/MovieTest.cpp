#include <gtest/gtest.h>

#include <cstring>

#include "framework/posix/DebugOutput.h"
#include "quicktime/FourCC.h"
#include "quicktime/QTMovie.h"
#include "tests/support/MovieAtoms.h"
#include "tests/support/TestByteSource.h"

namespace
{
const std::vector<TrackSpec> kDvMovie = {
    {QTTrackKind::Video, 1, 2997},
    {QTTrackKind::Sound, 2, 48000},
    {QTTrackKind::Timecode, 3, 2997},
};

// A "moov" with a header and the given tracks.
std::vector<BYTE> Moov(uint32_t timeScale, uint32_t nextTrackId, const std::vector<TrackSpec>& tracks)
{
    AtomBuilder b;
    b.Begin(FourCC::Moov);
    AddMvhd(b, timeScale, 470, nextTrackId);
    for (const TrackSpec& t : tracks)
        AddTrak(b, t);
    b.End();
    return b.Bytes();
}

// Bytes at the start of the file and more bytes far into it, nothing between:
// a file with a media data atom of several gigabytes, without the gigabytes.
class CSparseSource final : public IByteSource
{
public:
    CSparseSource(std::vector<BYTE> head, LONGLONG tailPosition, std::vector<BYTE> tail)
        : m_head(std::move(head)), m_tailPosition(tailPosition), m_tail(std::move(tail))
    {
    }
    HRESULT ReadOffset(BYTE* buffer, LONGLONG position, LONG length) override
    {
        if (position < 0 || length < 0)
            return E_INVALIDARG;
        const LONGLONG end = m_tailPosition + static_cast<LONGLONG>(m_tail.size());
        LONG done = 0;
        for (; done < length && position + done < end; ++done)
        {
            const LONGLONG at = position + done;
            const size_t head = static_cast<size_t>(at);
            buffer[done] = at >= m_tailPosition ? m_tail[static_cast<size_t>(at - m_tailPosition)]
                           : head < m_head.size() ? m_head[head]
                                                  : 0;
        }
        return done == length ? S_OK : S_FALSE;
    }

private:
    std::vector<BYTE> m_head;
    LONGLONG m_tailPosition;
    std::vector<BYTE> m_tail;
};
} // namespace

TEST(Movie, ParsesTheHeaderAndTracksOfAMovie)
{
    CTestByteSource source(MakeMovie(kDvMovie, 2997, 1409));
    QTMovie movie(&source);
    ASSERT_EQ(S_OK, movie.ParseMovie());
    EXPECT_EQ(2997u, movie.GetTimeScale());
    EXPECT_EQ(1409u, movie.GetDuration());
    EXPECT_EQ(3, movie.GetDeclaredTrackCount());
    ASSERT_EQ(3, movie.GetTrackCount());
    EXPECT_EQ(1, movie.CountVideoTracks());
    EXPECT_EQ(1, movie.CountAudioTracks());
    EXPECT_EQ(1, movie.CountTimecodeTracks());
    for (LONG i = 1; i <= 3; ++i)
    {
        const QTTrack* track = movie.GetTrack(i);
        ASSERT_NE(nullptr, track);
        EXPECT_EQ(kDvMovie[i - 1].kind, track->GetKind());
        EXPECT_EQ(kDvMovie[i - 1].id, track->GetTrackId());
        EXPECT_EQ(kDvMovie[i - 1].mediaTimeScale, track->GetMediaTimeScale());
    }
    EXPECT_EQ(nullptr, movie.GetTrack(0));
    EXPECT_EQ(nullptr, movie.GetTrack(4));
    EXPECT_EQ(nullptr, movie.GetTrack(-1));
}

TEST(Movie, StepsOverAHugeMediaDataAtomUnread)
{
    constexpr LONGLONG kMdatSize = LONGLONG{5} << 30; // 5 GiB
    AtomBuilder head;
    head.Begin(FourCC::Ftyp).U32(0).End().BeginExtended(FourCC::Mdat).Zeros(16).EndWithSize(kMdatSize);
    const LONGLONG moovAt = 12 + kMdatSize; // after the 12-byte "ftyp"
    CSparseSource source(head.Bytes(), moovAt, Moov(600, 2, {{QTTrackKind::Sound, 1, 44100}}));
    QTMovie movie(&source);
    ASSERT_EQ(S_OK, movie.ParseMovie());
    ASSERT_EQ(1, movie.GetTrackCount());
    EXPECT_EQ(44100u, movie.GetTrack(1)->GetMediaTimeScale());
}

TEST(Movie, UsesTheFirstMoovAndFailsWithoutOne)
{
    AtomBuilder b;
    b.Begin(FourCC::Free).Zeros(3).End();
    b.Append(Moov(600, 2, {{QTTrackKind::Video, 1, 2500}}));
    b.Append(Moov(1000, 3, {{QTTrackKind::Sound, 1, 48000}, {QTTrackKind::Sound, 2, 48000}}));
    CTestByteSource source(b.Bytes());
    QTMovie movie(&source);
    ASSERT_EQ(S_OK, movie.ParseMovie());
    EXPECT_EQ(600u, movie.GetTimeScale());
    ASSERT_EQ(1, movie.GetTrackCount());
    EXPECT_TRUE(movie.GetTrack(1)->IsVideo());

    AtomBuilder none;
    none.Begin(FourCC::Ftyp).U32(0).End().Begin(FourCC::Mdat).Zeros(40).End();
    CTestByteSource noMoov(none.Bytes());
    QTMovie empty(&noMoov);
    EXPECT_EQ(E_FAIL, empty.ParseMovie());
    EXPECT_EQ(0, empty.GetTrackCount());

    CTestByteSource nothing;
    QTMovie emptyFile(&nothing);
    EXPECT_EQ(E_FAIL, emptyFile.ParseMovie());
}

TEST(Movie, DeclaredTrackCountAndHeldTracksDiffer)
{
    // Next track ID 3 with three tracks: declared 2, all three held.
    CTestByteSource source(Moov(600, 3, kDvMovie));
    QTMovie movie(&source);
    ASSERT_EQ(S_OK, movie.ParseMovie());
    EXPECT_EQ(2, movie.GetDeclaredTrackCount());
    ASSERT_EQ(3, movie.GetTrackCount());
    EXPECT_TRUE(movie.GetTrack(3)->IsTimecode());
}

TEST(Movie, MovieHeaderFailures)
{
    {
        CDebugOutputCapture capture;
        CTestByteSource source(Moov(0, 2, {{QTTrackKind::Video, 1, 2997}}));
        QTMovie movie(&source);
        EXPECT_EQ(S_OK, movie.ParseMovie());
        EXPECT_EQ(0u, movie.GetTimeScale());
        EXPECT_EQ(1u, capture.Count(L"ParseMvhd: bad time scale = 0"));
    }
    {
        // Next track ID 1 fails the movie even with tracks following.
        CDebugOutputCapture capture;
        CTestByteSource source(Moov(600, 1, kDvMovie));
        QTMovie movie(&source);
        EXPECT_EQ(E_FAIL, movie.ParseMovie());
        EXPECT_EQ(1u, capture.Count(L"ParseMvhd: Track count is 1, no tracks"));
    }
    {
        // A header that ends two bytes after its duration: the skip to the
        // next track ID fails, and so does the read where it stands.
        AtomBuilder b;
        b.Begin(FourCC::Moov).Begin(FourCC::Mvhd).U32(0).Zeros(8).U32(600).U32(10).U16(0).End().End();
        CTestByteSource source(b.Bytes());
        QTMovie movie(&source);
        EXPECT_EQ(E_FAIL, movie.ParseMovie());
        EXPECT_EQ(600u, movie.GetTimeScale());
    }
    {
        // No header at all: zeros, and the tracks.
        AtomBuilder b;
        b.Begin(FourCC::Moov);
        AddTrak(b, {QTTrackKind::Sound, 4, 8000});
        b.End();
        CTestByteSource source(b.Bytes());
        QTMovie movie(&source);
        EXPECT_EQ(S_OK, movie.ParseMovie());
        EXPECT_EQ(0u, movie.GetTimeScale());
        EXPECT_EQ(0, movie.GetDeclaredTrackCount());
        EXPECT_EQ(1, movie.GetTrackCount());
    }
}

TEST(Movie, AMalformedHeaderInsideMoovKeepsTheTracksBeforeIt)
{
    AtomBuilder b;
    b.Begin(FourCC::Moov);
    AddMvhd(b, 600, 100, 4);
    AddTrak(b, {QTTrackKind::Video, 1, 2500});
    b.Begin(FourCC::Trak).Zeros(4).EndWithSize(5);
    AddTrak(b, {QTTrackKind::Sound, 2, 48000});
    b.End();
    CTestByteSource source(b.Bytes());
    QTMovie movie(&source);
    EXPECT_EQ(S_OK, movie.ParseMovie());
    ASSERT_EQ(1, movie.GetTrackCount());
    EXPECT_TRUE(movie.GetTrack(1)->IsVideo());
}

TEST(Movie, ASecondParseGivesExactlyTheCurrentFilesTracks)
{
    CTestByteSource source(MakeMovie(kDvMovie));
    QTMovie movie(&source);
    ASSERT_EQ(S_OK, movie.ParseMovie());
    ASSERT_EQ(S_OK, movie.ParseMovie());
    EXPECT_EQ(3, movie.GetTrackCount());
    EXPECT_EQ(nullptr, movie.GetTrack(4));

    // The next connection brings another file: only its tracks remain, and
    // the header fields come from it alone.
    AtomBuilder b;
    b.Begin(FourCC::Moov);
    AddTrak(b, {QTTrackKind::Sound, 9, 44100});
    b.End();
    source.Replace(b.Bytes());
    ASSERT_EQ(S_OK, movie.ParseMovie());
    ASSERT_EQ(1, movie.GetTrackCount());
    EXPECT_EQ(9u, movie.GetTrack(1)->GetTrackId());
    EXPECT_EQ(1, movie.GetTrack(1)->GetSampleTables().currentSample);
    EXPECT_EQ(0u, movie.GetTimeScale());
    EXPECT_EQ(0, movie.GetDeclaredTrackCount());

    source.Replace({});
    EXPECT_EQ(E_FAIL, movie.ParseMovie());
    EXPECT_EQ(0, movie.GetTrackCount());
}

TEST(Movie, TraceLinesOfParseAndTeardown)
{
    CTestByteSource source(MakeMovie(kDvMovie));
    CDebugOutputCapture capture;
    {
        QTMovie movie(&source);
        ASSERT_EQ(S_OK, movie.ParseMovie());
    }
    std::vector<std::wstring> lines;
    for (const std::wstring& line : capture.Lines())
        if (line.compare(0, 5, L"Parse") == 0 || line.compare(0, 4, L"<<<<") == 0 || line.compare(0, 2, L"++") == 0 ||
            line.find(L"~") != std::wstring::npos)
            lines.push_back(line.compare(0, 24, L"++++++ParseMovie++++++++") == 0 ? line.substr(0, 24) : line);
    const std::vector<std::wstring> expected = {
        L"ParseMovie XXXXX",
        L"ParseMovie ftyp",
        L"ParseMovie wide",
        L"ParseMovie mdat",
        L"ParseMovie moov",
        L"<<<< Starting to Parse MOOV",
        L"++++++ParseMovie++++++++",
        L"++++++ParseMvhd++++++++",
        L"++++++ParseTrak++++++++",
        L"++++++ParseTrak++++++++",
        L"++++++ParseTrak++++++++",
        L"QTMovie::~QTMovie()\n",
        L"Movie::~Movie",
        L"Movie:~Movie() deleting trak 1\n",
        L"Movie:~Movie() deleting trak 2\n",
        L"Movie:~Movie() deleting trak 3\n",
    };
    EXPECT_EQ(expected, lines);
}

TEST(Movie, HoldsABoundedNumberOfTracks)
{
    AtomBuilder b;
    b.Begin(FourCC::Moov);
    for (size_t i = 0; i < Movie::kMaxTracks + 5; ++i)
        b.Empty(FourCC::Trak);
    b.Empty(FourCC::Udta); // user data shorter than its three words is harmless
    b.End();
    CTestByteSource source(b.Bytes());
    QTMovie movie(&source);
    EXPECT_EQ(S_OK, movie.ParseMovie());
    EXPECT_EQ(static_cast<LONG>(Movie::kMaxTracks), movie.GetTrackCount());
    EXPECT_EQ(0, movie.CountVideoTracks());
}
