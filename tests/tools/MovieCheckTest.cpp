// What qtgraph says about malformed movies, one table of them built atom by
// atom: the failure kind `qtgraph check` must name, the numbers its words
// must quote, its exit status, and what `qtgraph run` makes of the same file
// (refused, failed, or played with the structural errors as warnings).
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "quicktime/FourCC.h"
#include "tests/support/MovieAtoms.h"
#include "tests/tools/QtGraphHarness.h"
#include "tools/FailureKinds.h"

namespace
{
constexpr uint32_t kFrameBytes = 1000;
constexpr uint32_t kMdat = 24;     // first media byte: after "ftyp" (16 bytes) and the "mdat" header
constexpr uint32_t kScale = 2997;  // movie and media time scale, so no track's differs
constexpr uint32_t kFarAway = 900000; // an offset past the end of every movie here

// A video track's sample table: 'dvc ' 720x480 with the extension atoms, three
// frames of kFrameBytes, one per chunk, back to back in "mdat".
struct VideoTables
{
    std::vector<std::pair<uint32_t, uint32_t>> stts = {{3, 100}};
    std::vector<std::array<uint32_t, 3>> stsc = {{1, 1, 1}};
    std::vector<uint32_t> offsets = {kMdat, kMdat + kFrameBytes, kMdat + 2 * kFrameBytes};
    std::vector<BYTE> extensions = {};
    uint32_t chunkCount = 0;                     // declared, when not offsets.size()
    std::function<void(AtomBuilder&)> more = {}; // atoms after the tables
};

std::vector<BYTE> Stbl(const VideoTables& t)
{
    return Atoms([&](AtomBuilder& b) {
        AddStsd(b, VideoDescription(FourCC::Dvc, 720, 480, t.extensions));
        AddStts(b, t.stts);
        AddStsc(b, t.stsc);
        AddStsz(b, 0, {kFrameBytes, kFrameBytes, kFrameBytes});
        b.Begin(FourCC::Stco).U32(0).U32(t.chunkCount ? t.chunkCount : static_cast<uint32_t>(t.offsets.size()));
        for (const uint32_t offset : t.offsets)
            b.U32(offset);
        b.End();
        if (t.more)
            t.more(b);
    });
}

VideoTables Tables(const std::function<void(VideoTables&)>& change)
{
    VideoTables tables;
    change(tables);
    return tables;
}

TrackLayout Video(const VideoTables& tables = {}, uint32_t scale = kScale)
{
    return {QTTrackKind::Video, 1, scale, 28, Stbl(tables)};
}

// Stereo 16-bit sound: three chunks of 250 sample frames after the video,
// or the chunks given.
TrackLayout Sound(std::vector<std::array<uint32_t, 3>> stsc = {{1, 250, 1}},
                  std::vector<std::pair<uint32_t, uint32_t>> stts = {{750, 1}})
{
    return {QTTrackKind::Sound, 2, kScale, 28, Atoms([&](AtomBuilder& b) {
                AddStsd(b, SoundDescription({}));
                AddStts(b, stts);
                AddStsc(b, stsc);
                AddStsz(b, 1, {}, 750);
                AddStco(b, {kMdat + 3000, kMdat + 4000, kMdat + 5000});
            })};
}

// The timecode's one sample at offset, or no chunk at all when offset is 0.
TrackLayout Timecode(uint32_t offset, uint32_t scale = kScale)
{
    return {QTTrackKind::Timecode, 3, scale, 28, Atoms([&](AtomBuilder& b) {
                AddStsd(b, TimecodeDescription(0, 100, 30));
                AddStts(b, {{1, 100}});
                AddStsc(b, {{1, 1, 1}});
                AddStsz(b, 4, {}, 1);
                AddStco(b, offset ? std::vector<uint32_t>{offset} : std::vector<uint32_t>{});
            })};
}

// "ftyp", an "mdat" of 6000 bytes (the media of Video and Sound), the movie.
std::vector<BYTE> MovieOf(const std::vector<BYTE>& moov, std::vector<BYTE> after = {})
{
    AtomBuilder b;
    b.Begin(FourCC::Ftyp).Code(MakeFourCC('q', 't', ' ', ' ')).U32(0x200).End();
    b.Begin(FourCC::Mdat).Zeros(6000).End();
    return b.Append(moov).Append(after).Bytes();
}

std::vector<BYTE> MovieOf(const std::vector<TrackLayout>& tracks, uint32_t nextTrackId = 0, uint32_t scale = kScale)
{
    return MovieOf(MakeMoov(tracks, scale, 300, nextTrackId));
}

// A movie of one video track whose tables are changed.
std::vector<BYTE> VideoMovie(const std::function<void(VideoTables&)>& change, uint32_t scale = kScale)
{
    return MovieOf({Video(Tables(change), scale)});
}

std::vector<BYTE> Cut(std::vector<BYTE> bytes, size_t length)
{
    bytes.resize(length);
    return bytes;
}

size_t MoovStart(const std::vector<BYTE>& movie)
{
    return movie.size() - MakeMoov({Video(), Sound(), Timecode(kMdat)}, kScale, 300).size();
}

// What `qtgraph run` does with the movie.
enum class Play
{
    Refused,    // "cannot parse": the first error's words
    Fails,      // "run of ... failed": the error's words
    Warns,      // plays; the structural errors follow as warnings
    Plays,      // plays; nothing on standard error
};

struct Malformed
{
    const char* name;
    std::vector<BYTE> bytes;
    const char* kind;                 // the failure kind check names
    std::vector<std::string> quotes;  // what its words must quote
    int checkStatus;
    Play play;
    const char* runOut = nullptr;     // a line the run's report must hold; none: no "empty pins" when it plays
};

// The movie atom first, then the media cut short after the first frame.
Malformed CutMedia()
{
    const std::vector<BYTE> moov = MakeMoov({Video()}, kScale, 300); // the same size with any offsets
    const uint32_t first = static_cast<uint32_t>(16 + moov.size() + 8);
    AtomBuilder b;
    b.Begin(FourCC::Ftyp).Code(MakeFourCC('q', 't', ' ', ' ')).U32(0x200).End();
    b.Append(MakeMoov({Video(Tables([&](VideoTables& t) {
                              t.offsets = {first, first + kFrameBytes, first + 2 * kFrameBytes};
                          }))},
                      kScale, 300));
    b.Begin(FourCC::Mdat).Zeros(3 * kFrameBytes).End();
    return {"cut inside the media", Cut(b.Bytes(), first + kFrameBytes), "atom-past-file",
            {"the 'mdat' atom at " + GroupedNumber(first - 8) +
             " declares 3,008 bytes, 2,000 more than the file holds"},
            2, Play::Fails};
}
std::vector<Malformed> MalformedMovies()
{
    const std::vector<BYTE> whole = MovieOf({Video(), Sound(), Timecode(kMdat)});
    const size_t moov = MoovStart(whole);
    const std::vector<BYTE> halfMoov = Cut(whole, moov + (whole.size() - moov) / 2);
    const size_t trak2 = moov + 8 + Atoms([](AtomBuilder& b) { AddMvhd(b, kScale, 300, 4); }).size() +
                         Atoms([](AtomBuilder& b) { AddTrak(b, Video()); }).size();
    AtomBuilder fragment;
    fragment.Begin(FourCC::Moof).Zeros(16).End();
    AtomBuilder mdatFirst;
    mdatFirst.Begin(FourCC::Ftyp).Code(MakeFourCC('q', 't', ' ', ' ')).U32(0x200).End();
    mdatFirst.Begin(FourCC::Mdat).Zeros(100).EndWithSize(100000);
    AtomBuilder noHeader;
    noHeader.Begin(FourCC::Moov).Begin(FourCC::Free).Zeros(8).End().End();
    const std::string text = "this is no movie\n";
    return {
        {"a text file", std::vector<BYTE>(text.begin(), text.end()), "not-a-movie",
         {"of its 17 bytes (' is ' at 0, 1,952,999,795 bytes)"}, 2, Play::Refused},
        {"cut inside mdat, before the movie", mdatFirst.Bytes(), "file-ends-before-movie",
         {"ends at byte 124 inside the 'mdat' atom that starts at 16 and declares 100,000 bytes"}, 2, Play::Refused},
        {"half a movie atom", halfMoov, "movie-cut-short",
         {"ends at byte " + GroupedNumber(halfMoov.size()) + " inside the 'moov' atom that starts at " +
          GroupedNumber(moov) + " and declares " + GroupedNumber(whole.size() - moov) + " bytes"},
         2, Play::Warns},
        {"half a movie atom", halfMoov, "tracks-missing", {"declares 3 tracks (next track ID 4) but only 2"}, 2,
         Play::Warns},
        {"half a movie atom", halfMoov, "track-cut-short", {"track 2's 'trak' atom at " + GroupedNumber(trak2)}, 2,
         Play::Warns},
        CutMedia(),
        {"an atom past its parent", VideoMovie([](VideoTables& t) {
             t.more = [](AtomBuilder& b) { b.Begin(FourCC::Free).Zeros(8).EndWithSize(16 + 500); };
         }),
         "atom-past-parent", {"500 more than its parent 'stbl'"}, 2, Play::Warns},
        {"an atom of size 3", VideoMovie([](VideoTables& t) {
             t.more = [](AtomBuilder& b) { b.U32(3).Code(FourCC::Free).Zeros(12); };
         }),
         "atom-header-invalid", {"declares size 3", "last 20 bytes of 'stbl'"}, 2, Play::Warns},
        {"2^28 chunk offsets in a few bytes", VideoMovie([](VideoTables& t) { t.chunkCount = 1u << 28; }),
         "table-too-long",
         {"declares 268,435,456 chunk offsets of 4 bytes (1,073,741,824 bytes) but holds 12"}, 2, Play::Warns,
         "empty pins     0"},
        {"a track of text", MovieOf({{QTTrackKind::None, 1, kScale, 28, Atoms([](AtomBuilder& b) {
                                          AddStsd(b, Atoms([](AtomBuilder& d) {
                                                      d.Begin(FourCC::Text).Zeros(8).End();
                                                  }));
                                      })}}),
         "no-media-type", {"format 'text', code 0x74786574"}, 1, Play::Plays, "empty pins     0"},
        {"a chunk past the end", VideoMovie([](VideoTables& t) { t.offsets[2] = kFarAway; }),
         "chunk-past-end", {"chunk 3 at offset 900,000 holds 1,000 bytes"}, 2, Play::Fails},
        {"a sound chunk without samples", MovieOf({Video(), Sound({{1, 250, 1}, {2, 0, 1}})}), "sound-chunk-empty",
         {"track 2 chunk 2 at offset 4,024", "with 2 chunks of the movie not played"}, 1, Play::Plays},
        {"sound timed in two runs", MovieOf({Video(), Sound({{1, 250, 1}}, {{500, 1}, {250, 1}})}),
         "sound-chunk-unsized", {"track 2 chunk 1 at offset 3,024", "of 250 samples", "2 'stts' entries"}, 2,
         Play::Fails},
        {"tables that disagree", VideoMovie([](VideoTables& t) { t.stts = {{4, 100}}; }), "tables-disagree",
         {"'stts' times 4 samples, 'stsz' sizes 3 and 'stsc' places 3 in the 3 chunks of 'stco'"}, 1, Play::Plays},
        {"ffmpeg's NTSC time scale", VideoMovie([](VideoTables& t) { t.stts = {{3, 1001}}; }, 30000),
         "frame-rate-from-time-scale",
         {"scale 30,000", "takes 300 frames per second", "durations of 1,001 give 29.97", "stamps each frame 33,333",
          "instead of 333,666"},
         1, Play::Plays},
        {"pixel aspect 32:27", VideoMovie([](VideoTables& t) { t.extensions = PaspAtom(32, 27); }),
         "pixel-aspect-unknown",
         {"pixel aspect 32:27", "display aspect is 16:9, the pin offers 4:3"}, 1, Play::Plays},
        {"pixel aspect 8:9", VideoMovie([](VideoTables& t) { t.extensions = PaspAtom(8, 9); }),
         "pixel-aspect-outside-table",
         {"pixel aspect 8:9", "the pin offers 4:3"}, 0, Play::Plays},
        {"a track time scale of its own", MovieOf({Video()}, 0, 600), "track-time-scale",
         {"media time scale 2,997 differs from the movie's 600"}, 0, Play::Plays},
        {"movie fragments", MovieOf(MakeMoov({Video()}, kScale, 300), fragment.Bytes()), "fragmented",
         {"1 'moof' atoms, the first at " + GroupedNumber(MovieOf({Video()}).size())}, 1, Play::Plays},
        {"a chunk read twice", VideoMovie([](VideoTables& t) { t.offsets = {kMdat, kMdat, kMdat + kFrameBytes}; }),
         "chunks-overlap",
         {"track 1 chunk 2 at offset 24 (1,000 bytes) overlaps track 1 chunk 1 at offset 24"}, 1, Play::Plays},
        {"video and timecode time scales differ", MovieOf({Video(), Timecode(kMdat, 3000)}),
         "video-timecode-time-scales", {"time scale 2,997 and timecode track 2 3,000"}, 2, Play::Refused},
        {"a timecode past the end", MovieOf({Video(), Timecode(kFarAway)}), "timecode-unreadable",
         {"read at offset 900,000"}, 1, Play::Plays},
        {"a timecode without a chunk", MovieOf({Video(), Timecode(0)}), "timecode-without-chunk",
         {"timecode track 2 has no chunk offset", "(0 chunks)"}, 2, Play::Refused},
        {"next track ID 1", MovieOf({Video()}, 1), "no-tracks-declared", {"next track ID 1"}, 2, Play::Refused},
        {"movie time scale 0", MovieOf({Video()}, 0, 0), "movie-time-scale-zero", {"time scale 0"}, 2,
         Play::Refused},
        {"no movie header", MovieOf(noHeader.Bytes()), "movie-header-unreadable", {"'moov' atom at 6,024"}, 2,
         Play::Refused},
        {"more tracks than declared", MovieOf({Video(), Sound()}, 2), "tracks-beyond-declared",
         {"holds 2 tracks but its header declares 1 (next track ID 2)"}, 1, Play::Plays},
    };
}

} // namespace

TEST(MovieCheck, EachMalformedMovieIsNamedWithItsNumbers)
{
    RegisterModuleOnce();
    for (const Malformed& movie : MalformedMovies())
    {
        SCOPED_TRACE(movie.name);
        const std::string path = WriteTempFile("check_movie.mov", movie.bytes);
        const QtGraphRun check = QtGraph({"check", path});
        EXPECT_EQ(movie.checkStatus, check.status) << check.out;
        const QtGraphRun json = QtGraph({"check", "--json", path});
        EXPECT_EQ(movie.checkStatus, json.status);
        EXPECT_NE(std::string::npos, json.out.find("\"kind\":\"" + std::string(movie.kind) + "\"")) << json.out;
        for (const std::string& quote : movie.quotes)
            EXPECT_NE(std::string::npos, check.out.find(quote)) << quote << "\n" << check.out;

        const QtGraphRun run = QtGraph({"run", "--no-hash", path});
        const std::string firstLine = run.err.substr(0, run.err.find('\n'));
        const std::string& where = movie.play == Play::Warns ? run.err : firstLine;
        for (const std::string& quote : movie.play == Play::Plays ? std::vector<std::string>{} : movie.quotes)
            EXPECT_NE(std::string::npos, where.find(quote)) << quote << "\n" << run.err;
        EXPECT_EQ(std::string::npos, run.err.find("recorded no reason")) << run.err;
        switch (movie.play)
        {
        case Play::Refused: EXPECT_EQ(0u, run.err.find("qtgraph: cannot parse " + path + ": HRESULT 0x")); break;
        case Play::Fails:
            EXPECT_TRUE(run.err.find("qtgraph: run of " + path + " failed: HRESULT 0x") == 0 ||
                        run.err.find("qtgraph: cannot connect a sink in " + path + ": HRESULT 0x") == 0)
                << run.err;
            break;
        case Play::Warns: EXPECT_EQ(0u, run.err.find("qtgraph: warning: ")) << run.err; break;
        case Play::Plays: EXPECT_EQ("", run.err); break;
        }
        EXPECT_EQ(movie.play == Play::Refused || movie.play == Play::Fails ? 1 : 0, run.status) << run.err;
        if (movie.runOut)
        {
            EXPECT_NE(std::string::npos, run.out.find(movie.runOut)) << run.out;
        }
        else if (movie.play == Play::Plays) // every pin received samples, or is a timecode pin
        {
            EXPECT_EQ(std::string::npos, run.out.find("empty pins")) << run.out;
        }
        std::remove(path.c_str());
    }
}
