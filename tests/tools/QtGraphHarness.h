// Running qtgraph in-process for tests: its status and output, and the files
// it reads and writes.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "diagnostics/MemoryJournal.h"
#include "tests/support/TempRegistry.h"
#include "tools/QtGraph.h"

struct QtGraphRun
{
    int status;
    std::string out, err;
};

inline QtGraphRun QtGraph(const std::vector<std::string>& args)
{
    // The records qtgraph passes on stay here, out of the user's journal file.
    CMemoryJournal journal;
    const CJournalScope scope(journal);
    std::ostringstream out, err;
    const int status = RunQtGraph(args, out, err);
    return {status, out.str(), err.str()};
}

// qtgraph makes the filter from the registered module: the module built
// beside this program, registered once in a registry file of the program's
// own (QTP_REGISTRY, also for the qtgraph processes it starts).
inline void RegisterModuleOnce()
{
    static const CTempRegistry registry;
    static const QtGraphRun registered = QtGraph({"register"});
    ASSERT_EQ(0, registered.status) << registered.err;
}

// A file of the source tree (QTP_SOURCE_DIR, which CTest sets; else the
// working folder). Not from __FILE__: ccache's base folder makes that relative.
inline std::string SourcePath(const std::string& relative)
{
    const char* dir = std::getenv("QTP_SOURCE_DIR");
    return std::string(dir ? dir : ".") + "/" + relative;
}

inline std::string WriteTempFile(const std::string& name, const std::vector<BYTE>& bytes)
{
    const std::string path = testing::TempDir() + name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

inline std::string ReadFile(const std::string& path)
{
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

