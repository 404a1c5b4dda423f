#include <gtest/gtest.h>

#include "quicktime/FourCC.h"
#include "quicktime/QTMovie.h"
#include "tests/support/MovieAtoms.h"
#include "tests/support/TestByteSource.h"

namespace
{
const std::vector<TrackLayout> kDvMovie = {
    {QTTrackKind::Video, 1, 2997},
    {QTTrackKind::Sound, 2, 48000},
    {QTTrackKind::Timecode, 3, 2997},
};

// A movie parsed from bytes in memory.
struct ParsedMovie
{
    explicit ParsedMovie(std::vector<BYTE> bytes) : source(std::move(bytes)), result(movie.ParseMovie()) {}
    CTestByteSource source;
    QTMovie movie{&source};
    HRESULT result;
};

// Bytes at the start of the file and more at tailPosition, zeros between: a
// file with a media data atom of several gigabytes, without the gigabytes.
class CSparseSource final : public IByteSource
{
public:
    CSparseSource(std::vector<BYTE> head, LONGLONG tailPosition, std::vector<BYTE> tail)
        : m_head(std::move(head)), m_tailPosition(tailPosition), m_tail(std::move(tail))
    {
    }
    HRESULT ReadOffset(BYTE* buffer, LONGLONG position, LONG length) override
    {
        const LONGLONG end = m_tailPosition + static_cast<LONGLONG>(m_tail.size());
        LONG done = 0;
        for (LONGLONG at = position; done < length && at < end; ++at, ++done)
            buffer[done] = at >= m_tailPosition ? m_tail[static_cast<size_t>(at - m_tailPosition)]
                           : at < static_cast<LONGLONG>(m_head.size()) ? m_head[static_cast<size_t>(at)] : 0;
        return done == length ? S_OK : S_FALSE;
    }

private:
    std::vector<BYTE> m_head;
    LONGLONG m_tailPosition;
    std::vector<BYTE> m_tail;
};
} // namespace

TEST(Movie, StepsOverAHugeMediaDataAtomUnread)
{
    constexpr LONGLONG kMdatSize = LONGLONG{5} << 30; // 5 GiB
    AtomBuilder head;
    head.Begin(FourCC::Ftyp).U32(0).End().BeginExtended(FourCC::Mdat).Zeros(16).EndWithSize(kMdatSize);
    CSparseSource source(head.Bytes(), 12 + kMdatSize, MakeMoov({{QTTrackKind::Sound, 1, 44100}}));
    QTMovie movie(&source);
    ASSERT_EQ(S_OK, movie.ParseMovie());
    ASSERT_EQ(1, movie.GetTrackCount());
    EXPECT_EQ(44100u, movie.GetTrack(1)->GetMediaTimeScale());
}

TEST(Movie, MoovWalkAndMovieHeaderCases)
{
    AtomBuilder twoMoovs;
    twoMoovs.Begin(FourCC::Free).Zeros(3).End();
    twoMoovs.Append(MakeMoov({{QTTrackKind::Video, 1, 2500}}, 600)).Append(MakeMoov(kDvMovie, 1000));
    AtomBuilder noMoov;
    noMoov.Begin(FourCC::Ftyp).U32(0).End().Begin(FourCC::Mdat).Zeros(40).End();
    AtomBuilder cutHeader; // ends two bytes after the duration: the skip to the next track ID fails, then its read
    cutHeader.Begin(FourCC::Moov).Begin(FourCC::Mvhd).U32(0).Zeros(8).U32(600).U32(10).U16(0).End().End();
    AtomBuilder noHeader; // a malformed "trak" ends the walk and keeps the tracks before it
    noHeader.Begin(FourCC::Moov);
    AddTrak(noHeader, {QTTrackKind::Sound, 4, 8000});
    noHeader.Begin(FourCC::Trak).Zeros(4).EndWithSize(5);
    AddTrak(noHeader, {QTTrackKind::Video, 5, 2500});
    AtomBuilder manyTracks; // user data shorter than its three words is harmless
    manyTracks.Begin(FourCC::Moov);
    for (size_t i = 0; i < Movie::kMaxTracks + 5; ++i)
        manyTracks.Empty(FourCC::Trak);
    manyTracks.Empty(FourCC::Udta);

    const struct
    {
        std::vector<BYTE> bytes;
        HRESULT result;
        DWORD timeScale;
        LONG declared, tracks;
    } cases[] = {
        {twoMoovs.Bytes(), S_OK, 600, 1, 1}, // the first "moov" only
        {noMoov.Bytes(), E_FAIL, 0, 0, 0},
        {{}, E_FAIL, 0, 0, 0},
        {MakeMoov(kDvMovie, 600, 0, 3), S_OK, 600, 2, 3}, // next track ID 3: declared 2, all three held
        {MakeMoov(kDvMovie, 0), S_OK, 0, 3, 3},
        {MakeMoov(kDvMovie, 600, 0, 1), E_FAIL, 600, 0, 0}, // next track ID 1 fails, even with tracks following
        {cutHeader.Bytes(), E_FAIL, 600, 0, 0},
        {noHeader.End().Bytes(), S_OK, 0, 0, 1},
        {manyTracks.End().Bytes(), S_OK, 0, 0, static_cast<LONG>(Movie::kMaxTracks)},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(&c - cases);
        ParsedMovie p(c.bytes);
        EXPECT_EQ(c.result, p.result);
        EXPECT_EQ(c.timeScale, p.movie.GetTimeScale());
        EXPECT_EQ(c.declared, p.movie.GetDeclaredTrackCount());
        ASSERT_EQ(c.tracks, p.movie.GetTrackCount());
        EXPECT_EQ(nullptr, p.movie.GetTrack(0));
        EXPECT_EQ(nullptr, p.movie.GetTrack(c.tracks + 1));
        EXPECT_EQ(c.tracks == 3, p.movie.CountVideoTracks() * p.movie.CountAudioTracks() * p.movie.CountTimecodeTracks());
    }
    EXPECT_EQ(4u, ParsedMovie(noHeader.Bytes()).movie.GetTrack(1)->GetTrackId());
}

TEST(Movie, ASecondParseGivesExactlyTheCurrentFilesTracks)
{
    ParsedMovie p(MakeMovie(kDvMovie));
    ASSERT_EQ(S_OK, p.movie.ParseMovie());
    EXPECT_EQ(3, p.movie.GetTrackCount());

    // The next connection brings another file: only its tracks remain, and
    // the header fields come from it alone.
    AtomBuilder b;
    b.Begin(FourCC::Moov);
    AddTrak(b, {QTTrackKind::Sound, 9, 44100});
    p.source.Replace(b.End().Bytes());
    ASSERT_EQ(S_OK, p.movie.ParseMovie());
    ASSERT_EQ(1, p.movie.GetTrackCount());
    EXPECT_EQ(9u, p.movie.GetTrack(1)->GetTrackId());
    EXPECT_EQ(0u, p.movie.GetTimeScale());

    p.source.Replace({});
    EXPECT_EQ(E_FAIL, p.movie.ParseMovie());
    EXPECT_EQ(0, p.movie.GetTrackCount());
}
