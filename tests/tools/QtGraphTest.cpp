#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "diagnostics/MemoryJournal.h"
#include "quicktime/FourCC.h"
#include "tests/support/MovieAtoms.h"
#include "tests/tools/QtGraphHarness.h"
#include "tools/ParserModule.h"
#include "tools/QtGraph.h"
#include "tools/QtGraphOptions.h"
#include "tools/ReportWriter.h"
#include "tools/sink/Md5.h"

namespace
{
// The qtgraph program built beside this test, run by the shell with the
// environment assignments and the arguments (quoted as the shell wants them);
// its exit status, standard error in *err.
int RunQtGraphProgram(const std::string& environment, const std::string& arguments, std::string* err)
{
    char self[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    const std::string exe = std::string(self, length > 0 ? static_cast<size_t>(length) : 0);
    const std::string errPath = testing::TempDir() + "qtgraph_program.err";
    const std::string program = exe.substr(0, exe.rfind('/') + 1) + "qtgraph";
    const int status =
        std::system((environment + " '" + program + "' " + arguments + " >/dev/null 2>'" + errPath + "'").c_str());
    *err = ReadFile(errPath);
    std::remove(errPath.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
} // namespace

TEST(QtGraph, InfoAndChunksAsTextAndAsJson)
{
    RegisterModuleOnce();
    const std::vector<BYTE> video = Atoms([](AtomBuilder& b) {
        AddStsd(b, VideoDescription(FourCC::Dv5n, 1440, 1080, PaspAtom(4, 3)));
        AddStsc(b, {{1, 2, 1}, {2, 1, 1}});
        AddStsz(b, 0, {1000, 1200, 900});
        AddStco(b, {48, 2248});
    });
    const std::vector<BYTE> sound = Atoms([](AtomBuilder& b) {
        AddStsd(b, SoundDescription({}));
        AddStts(b, {{2000, 1}});
        AddStsc(b, {{1, 1000, 1}, {2, 0, 1}});
        AddStco(b, {2000, 5000, 9000});
    });
    // Next track ID 3: the third track is beyond the declared count, gets no
    // pin and is not read.
    const std::vector<BYTE> moov =
        MakeMoov({{QTTrackKind::Video, 1, 2500, 28, video}, {QTTrackKind::Sound, 2, 48000, 28, sound},
                  {QTTrackKind::Video, 7, 2997, 28, StandardStbl(QTTrackKind::Video, 30)}},
                 600, 282, 3);
    // Room behind the movie for the chunks the tables point at.
    const std::string path = WriteTempFile("qtgraph_test.mov", Atoms([&](AtomBuilder& b) {
                                               b.Append(moov).Begin(MakeFourCC('f', 'r', 'e', 'e')).Zeros(8000).End();
                                           }));
    QtGraphRun run = QtGraph({"info", path});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.err);
    EXPECT_EQ(0u, run.out.find("time scale               600\n"
                               "duration                 282\n"
                               "declared track count     2\n"
                               "\n"
                               "index                    1\n"
                               "id                       1\n"
                               "kind                     video\n"
                               "media time scale         2500\n"
                               "format                   'dv5n'\n"
                               "format code              0x6E357664\n"
                               "frame size               1440 x 1080\n"
                               "picture aspect           16:9\n"));
    for (const char* line : {"\nmajor type               MEDIATYPE_Video\n"
                             "subtype                  {6E357664-0000-0010-8000-00AA00389B71}\n"
                             "frame rate               25\n"
                             "bit rate                 50 Mbit/s\n",
                             "\nmax samples per chunk    2\n\nindex                    2\n", "\nindex                    3\n",
                             // The pins as a downstream filter sees them; none for the third track.
                             "\n\npin                      0\n"
                             "name                     dv5n stream-6e357664-1\n"
                             "major type               MEDIATYPE_Video\n"
                             "subtype                  {6E357664-0000-0010-8000-00AA00389B71}\n"
                             "format type              FORMAT_VideoInfo2\n"
                             "format size              112\n"
                             "buffer size              1200\n"
                             "frame size               1440 x 1080\n"
                             "avg time per frame       400000\n"
                             "interlace flags          0x0\n"
                             "picture aspect           16:9\n"
                             "bit rate                 50000000\n\n"
                             "pin                      1\n"
                             "name                     twos stream-736f7774-2\n"})
        EXPECT_NE(std::string::npos, run.out.find(line)) << line;
    EXPECT_EQ(std::string::npos, run.out.find("\npin                      2\n"));

    // JSON: every key in its documented order.
    run = QtGraph({"info", path, "--json"});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ(0u, run.out.find(
                      "{\"time_scale\":600,\"duration\":282,\"declared_track_count\":2,\"tracks\":["
                      "{\"index\":1,\"id\":1,\"kind\":\"video\",\"media_time_scale\":2500,\"format\":\"dv5n\","
                      "\"format_code\":1848997476,\"width\":1440,\"height\":1080,\"aspect_x\":16,\"aspect_y\":9,"
                      "\"channels\":1,\"bytes_per_sample\":0,\"sample_rate\":0,\"timecode_flags\":0,"
                      "\"timecode_frame_duration\":0,\"timecode_frame_count\":0,"
                      "\"major_type\":\"{73646976-0000-0010-8000-00AA00389B71}\",\"major_type_name\":\"MEDIATYPE_Video\","
                      "\"subtype\":\"{6E357664-0000-0010-8000-00AA00389B71}\",\"subtype_name\":null,"
                      "\"frame_rate\":25,\"bit_rate\":50,\"sample_count\":3,\"sample_size\":0,\"max_sample_size\":1200,"
                      "\"chunk_count\":2,\"max_samples_per_chunk\":2},"
                      "{\"index\":2,\"id\":2,\"kind\":\"sound\","));
    const size_t pins = run.out.find("\"max_samples_per_chunk\":1}],\"pins\":[");
    ASSERT_NE(std::string::npos, pins) << run.out;
    EXPECT_EQ("{\"index\":0,\"name\":\"dv5n stream-6e357664-1\","
              "\"major_type\":\"{73646976-0000-0010-8000-00AA00389B71}\",\"major_type_name\":\"MEDIATYPE_Video\","
              "\"subtype\":\"{6E357664-0000-0010-8000-00AA00389B71}\",\"subtype_name\":null,"
              "\"format_type\":\"{F72A76A0-EB0A-11D0-ACE4-0000C0CC16BA}\",\"format_type_name\":\"FORMAT_VideoInfo2\","
              "\"format_size\":112,\"buffer_size\":1200,\"format\":{\"width\":1440,\"height\":1080,"
              "\"avg_time_per_frame\":400000,\"interlace_flags\":0,\"aspect_x\":16,\"aspect_y\":9,\"bit_rate\":50000000}},"
              "{\"index\":1,\"name\":\"twos stream-736f7774-2\","
              "\"major_type\":\"{73647561-0000-0010-8000-00AA00389B71}\",\"major_type_name\":\"MEDIATYPE_Audio\","
              "\"subtype\":\"{736F7774-0000-0010-8000-00AA00389B71}\",\"subtype_name\":null,"
              "\"format_type\":\"{05589F81-C356-11CE-BF01-00AA0055595A}\",\"format_type_name\":\"FORMAT_WaveFormatEx\","
              "\"format_size\":18,\"buffer_size\":4000,\"format\":{\"format_tag\":1,\"channels\":2,"
              "\"samples_per_second\":48000,\"bits_per_sample\":16,\"block_align\":4,\"avg_bytes_per_second\":192000}}]}\n",
              run.out.substr(pins + 36));

    run = QtGraph({"chunks", path});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("track  chunk        offset  samples  sizes\n"
              "    1      1            48        2  1000 1200\n"
              "    2      1          2000     1000  4000\n"
              "    1      2          2248        1  900\n"
              "stop: track 2 chunk 2 has 0 samples; the pump ends here\n",
              run.out);
    run = QtGraph({"chunks", "--json", path});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("[\n"
              "{\"track\":1,\"chunk\":1,\"offset\":48,\"samples\":2,\"sizes\":[1000,1200]},\n"
              "{\"track\":2,\"chunk\":1,\"offset\":2000,\"samples\":1000,\"sizes\":[4000]},\n"
              "{\"track\":1,\"chunk\":2,\"offset\":2248,\"samples\":1,\"sizes\":[900]}\n"
              "]\n",
              run.out);
    std::remove(path.c_str());

    // Without the room, the listing stops where the file ends, as the pump would.
    const std::string bare = WriteTempFile("qtgraph_bare.mov", moov);
    run = QtGraph({"chunks", bare});
    EXPECT_EQ("track  chunk        offset  samples  sizes\n"
              "    1      1            48        2  1000 1200\n"
              "stop: track 2 chunk 1 reads past the end of the file (1614 bytes); the pump fails there\n",
              run.out);
    std::remove(bare.c_str());
}

TEST(QtGraph, ErrorsGiveOneLineAndAnExitStatus)
{
    RegisterModuleOnce();
    const std::string garbage = WriteTempFile("qtgraph_garbage.mov", {'n', 'o', 't', ' ', 'a', ' ', 'm', 'o', 'v'});
    QtGraphRun run = QtGraph({"info", garbage});
    EXPECT_EQ(1, run.status);
    EXPECT_EQ("", run.out);
    // qtgraph's own words for what is wrong with the file, on one line; the
    // journal's records of the failure only with --verbose.
    const std::string failure = "qtgraph: cannot parse " + garbage +
                                ": HRESULT 0x80004005: not a QuickTime movie: no 'moov' atom among the top-level "
                                "atoms of its 9 bytes ('a mo' at 0, 1,852,797,984 bytes)\n";
    EXPECT_EQ(failure, run.err);
    run = QtGraph({"info", "--verbose", garbage});
    EXPECT_EQ(0u, run.err.find(failure)) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("\tentry\t0x80004005\t", failure.size())) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("\tCRZQTFileParser::InitToRcv\n", failure.size())) << run.err;
    std::remove(garbage.c_str());

    run = QtGraph({"info", "--json", "/nonexistent/qtp.mov"});
    EXPECT_EQ(1, run.status);
    EXPECT_EQ("qtgraph: cannot open /nonexistent/qtp.mov: HRESULT 0x80070002: the file does not exist\n", run.err);

    // The filter's error text explains the failure, and its records reach
    // the journal file too.
    const std::string mismatch = WriteTempFile(
        "qtgraph_mismatch.mov", MakeMovie({{QTTrackKind::Video, 1, 2997, 28, StandardStbl(QTTrackKind::Video)},
                                          {QTTrackKind::Timecode, 2, 3000, 28, StandardStbl(QTTrackKind::Timecode)}}));
    const std::string journal = testing::TempDir() + "qtgraph_journal.log";
    std::remove(journal.c_str());
    std::string err;
    EXPECT_EQ(1, RunQtGraphProgram("QTP_JOURNAL='" + journal + "'", "info '" + mismatch + "'", &err));
    const std::string why = "video and timecode have mismatched time scales (2997, 3000)";
    const std::string parse = "qtgraph: cannot parse " + mismatch + ": HRESULT 0x80004005 (journal chain 0x";
    EXPECT_EQ(0u, err.find(parse)) << err;
    EXPECT_EQ(parse.size() + 8, err.find("): video track 1 has media time scale 2,997 and timecode track 2 3,000")) << err;
    const std::string logged = ReadFile(journal);
    EXPECT_NE(std::string::npos, logged.find("\terror\t0x80004005\t")) << logged;
    EXPECT_NE(std::string::npos, logged.find(why)) << logged;
    EXPECT_NE(std::string::npos, logged.find("\tCRZQTFileParser::InitToRcv\n")) << logged;
    std::remove(mismatch.c_str());
    std::remove(journal.c_str());

    for (const auto& args : std::vector<std::vector<std::string>>{
             {},
             {"info"},
             {"list", "a.mov"},
             {"info", "a.mov", "b.mov"},
             {"info", "--csv", "a.mov"},
             {"chunks"},
             {"info", "--samples", "a.mov"},
             {"check"},
             {"check", "--verbose", "a.mov"},
             {"run", "--pins", "1,,2", "a.mov"},
             {"run", "--pins", "-1", "a.mov"},
             {"run", "a.mov", "--pins"},
             {"run", "--force", "a.mov"},
             {"extract", "a.mov"},
             {"extract", "--json", "a.mov", "out"},
             {"extract", "a.mov", "out", "more"},
             {"register", "a.so", "b.so"},
             {"unregister", "--json"},
             {"filters", "a.so"}})
    {
        run = QtGraph(args);
        EXPECT_EQ(2, run.status);
        EXPECT_EQ(kQtGraphUsage, run.err);
    }
}

size_t Count(const std::string& text, const std::string& what)
{
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

TEST(QtGraph, RegisterFiltersAndUnregisterAndWhyTheyFail)
{
    RegisterModuleOnce(); // first, so its registry file is not the one below
    const CTempRegistry registry;
    const std::string module = std::filesystem::canonical(DefaultModule()).string();
    const std::string sample = SourcePath("samples/sample.mov");
    QtGraphRun run = QtGraph({"info", sample});
    EXPECT_EQ(1, run.status);
    EXPECT_EQ("qtgraph: the QuickTime parser filter is not registered (registry file " + registry.Path() +
                  "); register it with: qtgraph register " + DefaultModule() + "\n",
              run.err);
    EXPECT_EQ("no filters are registered (registry file " + registry.Path() + ")\n", QtGraph({"filters"}).out);

    for (int time = 0; time < 2; ++time)
    {
        run = QtGraph({"register"});
        EXPECT_EQ(0, run.status) << run.err;
        EXPECT_EQ("DllRegisterServer in " + module + " succeeded (registry file " + registry.Path() + ")\n",
                  run.out);
    }
    run = QtGraph({"filters"});
    EXPECT_EQ(0u, run.out.find("filter              Ostrivel QuickTime File Parser\n"
                               "clsid               {5E2B7C41-9A3D-4F6E-B817-2C4D9E0A6F13}\n"
                               "merit               0x00200000\n"
                               "module              " + module + "\n\n"
                               "pin                 Input\n"))
        << run.out;
    EXPECT_EQ(1u, Count("\n" + run.out, "\nfilter ")) << "registered twice, listed once";
    EXPECT_EQ(2u, Count(run.out, "\npin "));
    EXPECT_EQ(10u, Count(run.out, "\nmedia type "));
    EXPECT_NE(std::string::npos, run.out.find("media type          MEDIATYPE_Audio / {44535342-0000-0010-8000-00AA00389B71}\n"));
    run = QtGraph({"filters", "--json"});
    EXPECT_EQ(0u, run.out.find("[{\"name\":\"Ostrivel QuickTime File Parser\",")) << run.out;
    EXPECT_EQ(2u, Count(run.out, "\"media_types\":"));
    EXPECT_EQ(10u, Count(run.out, "\"major_type\":"));
    EXPECT_EQ(0, QtGraph({"info", sample}).status);

    // Another build of the module registered: every command works through
    // it, the movie's commands say what they say with the module beside.
    const std::string good = registry.Text();
    const std::string other = testing::TempDir() + "other-build/qtparser.so";
    std::filesystem::create_directories(testing::TempDir() + "other-build");
    std::filesystem::copy_file(module, other, std::filesystem::copy_options::overwrite_existing);
    const std::string beside = QtGraph({"chunks", sample}).out;
    std::string elsewhere = good;
    elsewhere.replace(elsewhere.find(module), module.size(), other);
    registry.Write(elsewhere);
    run = QtGraph({"chunks", sample});
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ(beside, run.out);
    EXPECT_EQ(0, QtGraph({"run", "--no-hash", sample}).status);

    const std::string damaged = "Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\A\n";
    registry.Write(damaged);
    const std::string problem = "the registry file " + registry.Path() +
                                " is damaged: line 2: a key line must end with ']'; fix or remove it\n";
    EXPECT_EQ("qtgraph: " + problem, QtGraph({"run", sample}).err);
    EXPECT_EQ("qtgraph: " + problem, QtGraph({"filters", "--json"}).err);
    EXPECT_EQ("qtgraph: DllRegisterServer in " + module + " failed: HRESULT 0x800703f1: " + problem,
              QtGraph({"register"}).err);
    EXPECT_EQ(damaged, registry.Text());

    registry.Write(good);
    EXPECT_EQ(0, QtGraph({"unregister", module}).status);
    EXPECT_EQ(0, QtGraph({"unregister"}).status) << "nothing left to remove";
    EXPECT_EQ("[]\n", QtGraph({"filters", "--json"}).out);
    run = QtGraph({"register", "/no/such/qtparser.so"});
    EXPECT_EQ(1, run.status);
    EXPECT_EQ(0u, run.err.find("qtgraph: cannot load /no/such/qtparser.so: /no/such/qtparser.so: ")) << run.err;
}

TEST(QtGraph, JsonStringsAreEscaped)
{
    EXPECT_EQ("\"a\\\"b\\\\c\\n\\t\\u0001\\u001f d\"", JsonQuote("a\"b\\c\n\t\x01\x1f d"));
}

namespace
{
// The bytes of each track's samples, in the pump's order, from the chunk
// listing of qtgraph chunks --json and the file itself.
std::map<int, std::vector<std::string>> SamplesByTrack(const std::string& path)
{
    const std::string file = ReadFile(path);
    std::map<int, std::vector<std::string>> samples;
    std::istringstream lines(QtGraph({"chunks", "--json", path}).out);
    for (std::string line; std::getline(lines, line);)
    {
        int track = 0;
        long long offset = 0;
        if (std::sscanf(line.c_str(), "{\"track\":%d,\"chunk\":%*d,\"offset\":%lld", &track, &offset) != 2)
            continue;
        std::istringstream sizes(line.substr(line.find("\"sizes\":[") + 9));
        for (long size = 0; sizes >> size; sizes.ignore(1))
        {
            samples[track].push_back(file.substr(static_cast<size_t>(offset), static_cast<size_t>(size)));
            offset += size;
        }
    }
    return samples;
}
} // namespace

// Each pin delivers its track's samples as the file holds them, in order,
// then end of stream; a pin left out gets nothing; a stream error fails the
// command with the filter's words.
TEST(QtGraph, RunDeliversTheListedSamples)
{
    RegisterModuleOnce();
    const std::string sample = SourcePath("samples/sample.mov"); // video, sound, timecode
    const std::map<int, std::vector<std::string>> tracks = SamplesByTrack(sample);
    ASSERT_EQ(2u, tracks.size());
    const std::vector<std::vector<std::string>> runs = {{"run", "--json", "--samples", sample},
                                                        {"run", "--json", "--samples", "--pins", "1", sample}};
    for (const std::vector<std::string>& args : runs)
    {
        const QtGraphRun run = QtGraph(args);
        ASSERT_EQ(0, run.status) << run.err;
        EXPECT_EQ(0u, run.out.find("{\"result\":\"0x00000000\",\"end_event\":\"EC_COMPLETE\","));
        // The graph's duration comes from the pins: the sample is shorter than
        // the one second they count in.
        EXPECT_NE(std::string::npos, run.out.find(",\"duration\":0,\"events\":[")) << run.out;
        const bool all = args.size() == 4;
        EXPECT_EQ(all, run.out.find("{\"index\":0,") != std::string::npos);
        EXPECT_EQ(all, run.out.find("{\"index\":2,\"name\":\"tmcd stream-64636d74-3\"") != std::string::npos);
        EXPECT_EQ(all, run.out.find("\"samples\":0,\"bytes\":0,\"md5\":\"d41d8cd98f00b204e9800998ecf8427e\","
                                    "\"end_of_stream\":true") != std::string::npos);
        for (const auto& [track, samples] : tracks)
        {
            if (!all && track == 1)
                continue;
            size_t at = run.out.find("{\"index\":" + std::to_string(track - 1) + ",");
            ASSERT_NE(std::string::npos, at) << track;
            CMd5 stream;
            size_t bytes = 0;
            for (const std::string& data : samples)
            {
                stream.Update(data.data(), data.size());
                bytes += data.size();
            }
            const std::string counts = "\"samples\":" + std::to_string(samples.size()) + ",\"bytes\":" +
                                       std::to_string(bytes) + ",\"md5\":\"" + CMd5::Hex(stream.Final()) +
                                       "\",\"end_of_stream\":true,";
            EXPECT_EQ(run.out.find("\"samples\":", at), run.out.find(counts, at)) << track;
            for (const std::string& data : samples)
            {
                at = run.out.find("{\"size\":" + std::to_string(data.size()) + ",", at);
                ASSERT_NE(std::string::npos, at);
                at = run.out.find("\"md5\":\"", at) + 7;
                EXPECT_EQ(CMd5::HexOf(data.data(), data.size()), run.out.substr(at, 32)) << track;
            }
        }
    }

    // The chunks lie past the end of this file (and their samples exceed it):
    // the run fails, in qtgraph's words, and with --verbose the filter's own
    // error record of it follows.
    const std::vector<TrackLayout> layouts = {{QTTrackKind::Video, 1, 2997, 28, StandardStbl(QTTrackKind::Video)},
                                              {QTTrackKind::Sound, 2, 48000, 28, StandardStbl(QTTrackKind::Sound)}};
    const std::string cut = WriteTempFile("qtgraph_cut.mov", MakeMovie(layouts));
    const QtGraphRun run = QtGraph({"run", "--json", "--verbose", cut});
    EXPECT_EQ(1, run.status);
    EXPECT_EQ(0u, run.out.find("{\"result\":\"0x80004005\",\"end_event\":\"EC_STREAM_ERROR_STOPPED\",")) << run.out;
    const std::string failure = "qtgraph: run of " + cut + " failed: HRESULT 0x80004005: track 1 chunk 1 at offset 48 "
                                "holds 120,000 bytes and ends at byte 120,048, past the end of the file (1,194 "
                                "bytes): a run fails there\n";
    ASSERT_EQ(0u, run.err.find(failure)) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("\terror\t0x80004005\t", failure.size())) << run.err;
    std::remove(cut.c_str());
}
