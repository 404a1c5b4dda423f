// A registry file of the test's own: QTP_REGISTRY names a file in a new
// temporary folder for the object's lifetime, and the folder goes with it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class CTempRegistry
{
public:
    CTempRegistry()
    {
        if (const char* previous = std::getenv("QTP_REGISTRY"))
            m_previous = previous;
        EXPECT_NE(nullptr, mkdtemp(&m_folder[0]));
        ::setenv("QTP_REGISTRY", Path().c_str(), 1);
    }
    ~CTempRegistry()
    {
        if (m_previous.empty())
            ::unsetenv("QTP_REGISTRY");
        else
            ::setenv("QTP_REGISTRY", m_previous.c_str(), 1);
        std::filesystem::remove_all(m_folder);
    }
    CTempRegistry(const CTempRegistry&) = delete;
    CTempRegistry& operator=(const CTempRegistry&) = delete;

    std::string Path() const { return m_folder + "/registry.reg"; }
    const std::string& Folder() const { return m_folder; }

    // The file as it is now; empty when there is none.
    std::string Text() const
    {
        std::ifstream in(Path(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void Write(const std::string& text) const { std::ofstream(Path(), std::ios::binary) << text; }

private:
    std::string m_folder = ::testing::TempDir() + "qtp-registry-XXXXXX";
    std::string m_previous;
};
