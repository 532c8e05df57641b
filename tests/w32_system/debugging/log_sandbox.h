// Points the log file at a fresh data home for the life of one test.
#pragma once

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "test_support.h"
#include "w32_system/debugging/LxLogFile.h"

class LogSandbox
{
public:
    LogSandbox()
    {
        CLxLogFile::CloseLog();
        const char* saved = getenv("XDG_DATA_HOME");
        m_savedHome = saved ? saved : "";
        setenv("XDG_DATA_HOME", m_home.path().c_str(), 1);
    }
    ~LogSandbox()
    {
        CLxLogFile::CloseLog();
        setenv("XDG_DATA_HOME", m_savedHome.c_str(), 1);
    }

    const std::filesystem::path& home() const { return m_home.path(); }
    std::filesystem::path logFolder() const
    {
        return home() / "Veltmarshoptronica" / "TORVEL5.30";
    }

    // The UTF-16LE text of a file, unit by unit.
    static std::u16string readUtf16(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::u16string text;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
            text += char16_t(uint8_t(bytes[i]) | uint8_t(bytes[i + 1]) << 8);
        return text;
    }

    // Closes the log and gives the normal log's text as UTF-8.
    std::string logText() const
    {
        CLxLogFile::CloseLog();
        return U8(readUtf16(logFolder() / "lxapp.log").c_str());
    }

private:
    ScopedTempDir m_home;
    std::string m_savedHome;
};
