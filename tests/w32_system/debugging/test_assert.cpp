#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <string>

#include "debug_output_capture.h"
#include "log_sandbox.h"
#include "test_support.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/debugging/LxLogFile.h"
#include "w32_system/debugging/LxTraceRecord.h"

namespace fs = std::filesystem;

namespace {

class AssertionReports : public ::testing::Test
{
protected:
    std::string logText() { return m_log.logText(); }

    LogSandbox m_log;
    DebugOutputCapture m_capture;
};

TEST_F(AssertionReports, WideReportReachesTheDebuggerOutput)
{
    errno = ENOENT;
    EXPECT_EQ(DiagAssertW(LX_DIAG_DEBUGOUT, u"p==NULL", u"Bad pointer.", "dir/file.cpp", 12), 1u);
    EXPECT_EQ(errno, ENOENT);
    std::string report = U8(m_capture.last().c_str());
    EXPECT_EQ(report.rfind("*** Debug Assertion Failed!\r\nProgram : /", 0), 0u) << report;
    EXPECT_NE(report.find("\r\nFile : dir/file.cpp\r\nLine : 12\r\nExpression : p==NULL\r\n"
                          "Bad pointer.\r\nLast Error (0x00000002) : No such file or directory\r\n"),
              std::string::npos)
        << report;
}

TEST_F(AssertionReports, TextWithoutMessageHasNoMessageLine)
{
    errno = 0;
    DiagAssertW(LX_DIAG_DEBUGOUT, u"x", nullptr, "f.cpp", 3);
    std::string report = U8(m_capture.last().c_str());
    EXPECT_NE(report.find("Expression : x\r\nLast Error (0x00000000) : "), std::string::npos) << report;
    DiagAssertA(LX_DIAG_DEBUGOUT, "y", nullptr, "g.cpp", 4);
    report = U8(m_capture.last().c_str());
    EXPECT_NE(report.find("File : g.cpp\r\nLine : 4\r\nExpression : y\r\nLast Error"), std::string::npos)
        << report;
}

TEST_F(AssertionReports, DefaultOutletIsTheLogFileAlone)
{
    ASSERT_EQ(LX_SetFailifOptions(16), 16);
    EXPECT_EQ(DiagAssertA(0, "a>b", "narrow \xc3\xa9", "n.cpp", 7), 0u);
    EXPECT_TRUE(m_capture.texts().empty());
    std::string log = logText();
    EXPECT_NE(log.find("Debug Assertion Failed!"), std::string::npos) << log;
    EXPECT_NE(log.find("Expression : a>b\r\nnarrow \xc3\xa9\r\n"), std::string::npos) << log;
}

TEST_F(AssertionReports, FailifOptionsChooseTheOutlets)
{
    int previous = LX_SetFailifOptions(LX_DIAG_DEBUGOUT);
    DiagAssertW(0, u"c", u"m", "o.cpp", 1);
    LX_SetFailifOptions(unsigned(previous));
    EXPECT_EQ(m_capture.texts().size(), 1u);
    EXPECT_EQ(logText().find("Debug Assertion Failed!"), std::string::npos);
}

TEST_F(AssertionReports, MessageBoxAnswersIgnore)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(DiagAssertA(LX_DIAG_MSGBOX, "e", "m", "s.cpp", 9), 0u);
    EXPECT_EQ(DiagAssertReport(LX_DIAG_MSGBOX, u"text", 2), 0u);
    std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find("ASSERTION FAILURE..."), std::string::npos);
    EXPECT_NE(shown.find("Expression : e"), std::string::npos);
}

TEST_F(AssertionReports, StackTraceIsAppended)
{
    DiagAssertReport(LX_DIAG_DEBUGOUT | LX_DIAG_STACKTRACE, u"with trace", 1);
    std::string report = U8(m_capture.last().c_str());
    size_t at = report.find("with trace\r\nLast Error");
    ASSERT_NE(at, std::string::npos);
    std::string trace = report.substr(report.find("\r\n", at + 12) + 2);
    EXPECT_EQ(trace.rfind("0x", 0), 0u) << report;
    EXPECT_NE(trace.find(": "), std::string::npos);
    EXPECT_EQ(trace.back(), '\n');
}

TEST_F(AssertionReports, EventLogSwitchesItselfOffWithoutItsModule)
{
    ASSERT_TRUE(LX_DiagEventLogEnabled());
    DiagAssertReport(LX_DIAG_EVENTLOG, u"event", 1);
    EXPECT_FALSE(LX_DiagEventLogEnabled());
}

TEST_F(AssertionReports, LongTextsAreBounded)
{
    std::u16string expression(5000, u'e');
    DiagAssertW(LX_DIAG_DEBUGOUT, expression.c_str(), expression.c_str(), "f.cpp", 1);
    EXPECT_LT(m_capture.last().size(), 4096u + 4);
}

} // namespace

namespace {

// Reports for the debugger output alone are built only while someone
// listens there; the outlets that do listen still get every report.
TEST(AssertionReportsUnheard, DebuggerOutputCountsOnlyWithASink)
{
    if (LX_DebugOutputListened())
        GTEST_SKIP() << "the debugger output is echoed to stderr in this run";
    EXPECT_EQ(DiagAssertW(LX_DIAG_DEBUGOUT | LX_DIAG_STACKTRACE, u"unheard", nullptr, "f.cpp", 1),
              1u);
    {
        DebugOutputCapture capture;
        EXPECT_TRUE(LX_DebugOutputListened());
        {
            DebugOutputCapture second;
            EXPECT_TRUE(LX_DebugOutputListened());
        }
        EXPECT_TRUE(LX_DebugOutputListened());
        DiagAssertW(LX_DIAG_DEBUGOUT, u"heard", nullptr, "f.cpp", 2);
        ASSERT_EQ(capture.texts().size(), 1u);
        EXPECT_NE(U8(capture.last().c_str()).find("Expression : heard"), std::string::npos);
    }
    EXPECT_FALSE(LX_DebugOutputListened());

    // The log file still gets a report that the debugger output would not.
    LogSandbox log;
    DiagAssertW(LX_DIAG_DEBUGOUT | LX_DIAG_LOGFILE, u"logged", nullptr, "f.cpp", 3);
    EXPECT_NE(log.logText().find("Expression : logged"), std::string::npos);
}

} // namespace
