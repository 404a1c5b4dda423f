// A file of the given bytes under /tmp with a unique name, removed with the
// object.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/Utf8.h"

struct TempFile
{
    explicit TempFile(const std::vector<unsigned char>& data)
    {
        char name[] = "/tmp/qtp-test-XXXXXX";
        const int fd = ::mkstemp(name);
        EXPECT_GE(fd, 0);
        path = name;
        EXPECT_EQ(::write(fd, data.data(), data.size()), static_cast<ssize_t>(data.size()));
        ::close(fd);
    }
    ~TempFile() { std::remove(path.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    std::wstring WidePath() const { return Utf8ToWide(path); }

    std::string path;
};
