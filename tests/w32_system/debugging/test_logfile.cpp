#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "log_sandbox.h"
#include "test_support.h"
#include "w32_system/debugging/LxLogFile.h"
#include "w32_system/debugging/LxLogFileHooks.h"

namespace fs = std::filesystem;

namespace {

// Each test gets its own data home, so the log folder starts empty.
class LogFile : public ::testing::Test
{
protected:
    void SetUp() override { fs::create_directories(logFolder()); }
    void TearDown() override
    {
        CLxLogFile::EnableLog(true);
        LX_SimulateMainWindow(false);
        LX_SetSettingsFolderOverride(nullptr);
    }

    fs::path logFolder() const { return m_log.logFolder(); }
    static std::u16string readUtf16(const fs::path& path) { return LogSandbox::readUtf16(path); }

    static void writeFile(const fs::path& path, size_t size, char fill = 'a')
    {
        std::ofstream out(path, std::ios::binary);
        out << std::string(size, fill);
    }

    LogSandbox m_log;
};

TEST_F(LogFile, NewLogBeginsWithSessionHeader)
{
    ASSERT_EQ(LX_Log(u"first line\r\n"), 0);
    CLxLogFile::CloseLog();
    std::u16string text = readUtf16(logFolder() / "lxapp.log");
    // No byte-order mark: the file starts with the header's CR LF.
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(0, 2), u"\r\n");
    std::string utf8 = U8(text.c_str());
    EXPECT_NE(utf8.find(" *****  Log session started.\r\n"), std::string::npos) << utf8;
    EXPECT_NE(utf8.find(" ***** first line\r\n"), std::string::npos) << utf8;
    EXPECT_FALSE(CLxLogFile::Detail());
}

TEST_F(LogFile, TimeStringHasTheRuntimeForm)
{
    ASSERT_EQ(LX_Log(u"x\r\n"), 0);
    CLxLogFile::CloseLog();
    std::string utf8 = U8(readUtf16(logFolder() / "lxapp.log").c_str());
    const std::string pattern =
        R"(\r\n[A-Z][a-z]{2} [A-Z][a-z]{2} \d\d \d\d:\d\d:\d\d \d{4} \*\*\*\*\*  Log session started\.\r\n)"
        R"([A-Z][a-z]{2} [A-Z][a-z]{2} \d\d \d\d:\d\d:\d\d \d{4} \*\*\*\*\* x\r\n)";
    EXPECT_TRUE(std::regex_match(utf8, std::regex(pattern))) << utf8;
}

TEST_F(LogFile, EachOpeningAppendsASession)
{
    ASSERT_EQ(LX_Log(u"one\r\n"), 0);
    CLxLogFile::CloseLog();
    ASSERT_EQ(LX_Log(u"two\r\n"), 0);
    CLxLogFile::CloseLog();
    std::string utf8 = U8(readUtf16(logFolder() / "lxapp.log").c_str());
    size_t first = utf8.find("Log session started.");
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(utf8.find("Log session started.", first + 1), std::string::npos);
}

TEST_F(LogFile, DetailModeWhenTheDetailLogExists)
{
    writeFile(logFolder() / "lxappdetail.log", 0);
    EXPECT_TRUE(CLxLogFile::Detail());
    EXPECT_EQ(CLxLogFile::Log(u"detail\r\n", -1), 0);
    EXPECT_EQ(CLxLogFile::Log(u"normal\r\n", 0), 0);
    std::string name = U8(CLxLogFile::GetLogFilename());
    EXPECT_EQ(fs::path(name).filename(), "lxappdetail.log");
    CLxLogFile::CloseLog();
    EXPECT_FALSE(fs::exists(logFolder() / "lxapp.log"));
    std::string utf8 = U8(readUtf16(logFolder() / "lxappdetail.log").c_str());
    EXPECT_NE(utf8.find("detail\r\n"), std::string::npos);
    EXPECT_NE(utf8.find("normal\r\n"), std::string::npos);
}

TEST_F(LogFile, DetailLevelIsRefusedByTheNormalLog)
{
    EXPECT_EQ(CLxLogFile::Log(u"detail\r\n", -1), -9);
    EXPECT_EQ(CLxLogFile::Log(u"normal\r\n", 0), 0);
    EXPECT_EQ(CLxLogFile::Log(nullptr, 0), -4);
}

TEST_F(LogFile, OversizedLogIsEmptiedOnOpen)
{
    struct Case {
        size_t size;
        bool emptied;
    };
    for (Case c : {Case{1048577, true}, Case{1048576, false}}) {
        CLxLogFile::CloseLog();
        writeFile(logFolder() / "lxapp.log", c.size);
        ASSERT_EQ(LX_Log(u"after\r\n"), 0);
        CLxLogFile::CloseLog();
        uintmax_t size = fs::file_size(logFolder() / "lxapp.log");
        if (c.emptied)
            EXPECT_LT(size, 1000u);
        else
            EXPECT_GT(size, c.size);
    }
}

TEST_F(LogFile, LogPastTwiceTheLimitIsEmptiedWhileWriting)
{
    // Kept at opening (exactly the limit), then grown by full lines of 511
    // units (1022 bytes) past 2 MiB.
    writeFile(logFolder() / "lxapp.log", 1048576);
    const std::u16string line = std::u16string(600, u'z') + u"\r\n";
    uintmax_t largest = 0;
    bool emptied = false;
    for (int i = 0; i < 1100 && !emptied; ++i) {
        ASSERT_EQ(LX_Log(line.c_str()), 0);
        uintmax_t size = fs::file_size(logFolder() / "lxapp.log");
        emptied = size < largest;
        largest = std::max(largest, size);
    }
    EXPECT_TRUE(emptied);
    EXPECT_LE(largest, 2097152u + 1022u);
    // The line that found the file too large is the first of the new file.
    EXPECT_EQ(fs::file_size(logFolder() / "lxapp.log"), 1022u);
}

TEST_F(LogFile, LinesAreCutAt511Units)
{
    std::u16string longText(2000, u'y');
    ASSERT_EQ(LX_Log(longText.c_str()), 0);
    CLxLogFile::CloseLog();
    std::u16string text = readUtf16(logFolder() / "lxapp.log");
    size_t headerEnd = text.find(u"started.\r\n");
    ASSERT_NE(headerEnd, std::u16string::npos);
    std::u16string line = text.substr(headerEnd + 10);
    EXPECT_EQ(line.size(), 511u);
    EXPECT_EQ(line.back(), u'y');
}

TEST_F(LogFile, SettingsFileNamesTheFolder)
{
    ScopedTempDir program;
    std::u16string xml = u"<variant version=\"1.0\"><wsAppFolder runtype=\"CLxStringW\" "
                         u"value=\"Vadi\\Logs\"/></variant>";
    {
        std::ofstream out(program.path() / "SetupOptions.xml", std::ios::binary);
        for (char16_t c : xml)
            out.put(char(c & 0xFF)).put(char(c >> 8));
    }
    LX_SetSettingsFolderOverride(program.u16().c_str());
    ASSERT_EQ(LX_Log(u"moved\r\n"), 0);
    CLxLogFile::CloseLog();
    EXPECT_TRUE(fs::exists(m_log.home() / "Vadi" / "Logs" / "lxapp.log"));
    EXPECT_FALSE(fs::exists(logFolder() / "lxapp.log"));
}

TEST_F(LogFile, SettingsFileWithoutTheValueKeepsTheDefault)
{
    ScopedTempDir program;
    {
        // Odd length and no closing quote: the search stays inside the file.
        std::ofstream out(program.path() / "SetupOptions.xml", std::ios::binary);
        out << "<wsAppFolder runtype=\"CLxStringW\" value=\"x";
    }
    LX_SetSettingsFolderOverride(program.u16().c_str());
    ASSERT_EQ(LX_Log(u"kept\r\n"), 0);
    CLxLogFile::CloseLog();
    EXPECT_TRUE(fs::exists(logFolder() / "lxapp.log"));
}

TEST_F(LogFile, DisabledLogWritesNothing)
{
    CLxLogFile::EnableLog(false);
    EXPECT_EQ(LX_Log(u"nothing\r\n"), -9);
    EXPECT_EQ(CLxLogFile::GetLogFilename(), nullptr);
    CLxLogFile::EnableLog(true);
    EXPECT_EQ(LX_Log(u"something\r\n"), 0);
}

TEST_F(LogFile, MainWindowKeepsTheLogClosedUntilCloseLog)
{
    // A failed opening leaves no instance and the closed flag clear, as at
    // process start: make the log folder impossible to create.
    setenv("XDG_DATA_HOME", (m_log.home() / "file").c_str(), 1);
    writeFile(m_log.home() / "file", 1);
    EXPECT_EQ(LX_Log(u"no folder\r\n"), -9);
    setenv("XDG_DATA_HOME", m_log.home().c_str(), 1);

    LX_SimulateMainWindow(true);
    EXPECT_EQ(LX_Log(u"hidden\r\n"), -9);
    CLxLogFile::CloseLog();
    EXPECT_EQ(LX_Log(u"visible\r\n"), 0);
}

TEST_F(LogFile, KeepsTheCallersErrno)
{
    errno = EACCES;
    LX_Log(u"x\r\n");
    EXPECT_EQ(errno, EACCES);
}

} // namespace
