#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/support/MovieAtoms.h"
#include "tools/QtGraph.h"
#include "tools/ReportWriter.h"

namespace
{
struct QtGraphRun
{
    int status;
    std::string out, err;
};

QtGraphRun QtGraph(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int status = RunQtGraph(args, out, err);
    return {status, out.str(), err.str()};
}

std::string WriteTempFile(const std::string& name, const std::vector<BYTE>& bytes)
{
    const std::string path = testing::TempDir() + name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}
} // namespace

TEST(QtGraph, InfoAsTableAndAsJson)
{
    const std::string path = WriteTempFile("qtgraph_info.mov", MakeMovie({{QTTrackKind::Video, 1, 2500},
                                                                          {QTTrackKind::Sound, 2, 48000},
                                                                          {QTTrackKind::Timecode, 3, 2500},
                                                                          {QTTrackKind::None, 12, 600}},
                                                                         600, 282));
    QtGraphRun run = QtGraph({"info", path});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.err);
    EXPECT_EQ("time scale            600\n"
              "duration              282\n"
              "declared track count  4\n"
              "\n"
              "index  id  kind      media time scale\n"
              "    1   1  video                 2500\n"
              "    2   2  sound                48000\n"
              "    3   3  timecode              2500\n"
              "    4  12  none                   600\n",
              run.out);

    run = QtGraph({"info", path, "--json"});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("{\"time_scale\":600,\"duration\":282,\"declared_track_count\":4,\"tracks\":["
              "{\"index\":1,\"id\":1,\"kind\":\"video\",\"media_time_scale\":2500},"
              "{\"index\":2,\"id\":2,\"kind\":\"sound\",\"media_time_scale\":48000},"
              "{\"index\":3,\"id\":3,\"kind\":\"timecode\",\"media_time_scale\":2500},"
              "{\"index\":4,\"id\":12,\"kind\":\"none\",\"media_time_scale\":600}]}\n",
              run.out);
    std::remove(path.c_str());
}

TEST(QtGraph, TheBundledSample)
{
    const char* root = std::getenv("QTP_SOURCE_DIR");
    ASSERT_NE(nullptr, root);
    const QtGraphRun run = QtGraph({"info", "--json", std::string(root) + "/samples/sample.mov"});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("{\"time_scale\":1000,\"duration\":468,\"declared_track_count\":3,\"tracks\":["
              "{\"index\":1,\"id\":1,\"kind\":\"video\",\"media_time_scale\":2997},"
              "{\"index\":2,\"id\":2,\"kind\":\"sound\",\"media_time_scale\":48000},"
              "{\"index\":3,\"id\":3,\"kind\":\"timecode\",\"media_time_scale\":2997}]}\n",
              run.out);
}

TEST(QtGraph, ErrorsGiveOneLineAndAnExitStatus)
{
    const std::string garbage = WriteTempFile("qtgraph_garbage.mov", {'n', 'o', 't', ' ', 'a', ' ', 'm', 'o', 'v'});
    QtGraphRun run = QtGraph({"info", garbage});
    EXPECT_EQ(1, run.status);
    EXPECT_EQ("", run.out);
    EXPECT_EQ("qtgraph: cannot parse " + garbage + ": HRESULT 0x80004005\n", run.err);
    std::remove(garbage.c_str());

    run = QtGraph({"info", "--json", "/nonexistent/qtp.mov"});
    EXPECT_EQ(1, run.status);
    EXPECT_EQ("qtgraph: cannot open /nonexistent/qtp.mov: HRESULT 0x80070002\n", run.err);

    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"info"}, {"list", "a.mov"}, {"info", "a.mov", "b.mov"}, {"info", "--csv", "a.mov"}})
    {
        run = QtGraph(args);
        EXPECT_EQ(2, run.status);
        EXPECT_EQ("usage: qtgraph info [--json] FILE\n", run.err);
    }
}

TEST(QtGraph, JsonStringsAreEscaped)
{
    EXPECT_EQ("\"a\\\"b\\\\c\\n\\t\\u0001\\u001f d\"", JsonQuote("a\"b\\c\n\t\x01\x1f d"));
}
