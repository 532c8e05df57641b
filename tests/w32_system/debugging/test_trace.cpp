#include <gtest/gtest.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <regex>
#include <string>
#include <thread>

#include "debug_output_capture.h"
#include "test_support.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/debugging/LxTraceRecord.h"

namespace {

// Records go to the debugger output only, and the option word is restored.
class TraceRecords : public ::testing::Test
{
protected:
    void SetUp() override { m_previous = LX_SetTraceOptions(LX_DIAG_DEBUGOUT); }
    void TearDown() override { LX_SetTraceOptions(unsigned(m_previous)); }

    std::string trace(const char16_t* message)
    {
        m_capture.clear();
        DiagOutputExW_hlp("src/module.cpp", 42);
        DiagOutputExW(u"%s", message);
        return U8(m_capture.last().c_str());
    }

    DebugOutputCapture m_capture;
    int m_previous = 0;
};

bool matches(const std::string& text, const char* pattern)
{
    return std::regex_match(text, std::regex(pattern));
}

TEST_F(TraceRecords, OptionSettersReturnThePreviousWord)
{
    EXPECT_EQ(LX_SetTraceOptions(0), 0);
    EXPECT_EQ(LX_SetTraceOptions(18), LX_DIAG_DEBUGOUT);
    EXPECT_EQ(LX_SetTraceOptions(LX_DIAG_DEBUGOUT), 18);
    EXPECT_EQ(LX_SetFailifOptions(0), 0);
    EXPECT_EQ(LX_SetFailifOptions(16), 16);
}

TEST_F(TraceRecords, PlainRecordGetsWindowZeroAndLineEnd)
{
    EXPECT_TRUE(matches(trace(u"stretch end|absdt|"), R"(\|wndid:0 stretch end\d+\.\d\d\r\n)"));
}

TEST_F(TraceRecords, TagsAreReplaced)
{
    std::string tid = std::to_string(syscall(SYS_gettid));
    struct Case {
        const char16_t* message;
        std::string pattern;
    };
    const Case cases[] = {
        {u"a|b", R"(\|wndid:0 a\|b\r\n)"},
        {u"|nline|", R"(\|wndid:0 42\r\n)"},
        {u"|srcid|", R"(\|wndid:0 src/module\.cpp : 42\r\n)"},
        {u"[|sfile|]", R"(\|wndid:0 \[\]\r\n)"},
        {u"[|adt09|][|adtxx|]", R"(\|wndid:0 \[\]\[\]\r\n)"},
        {u"|thrid|", "\\|wndid:0 " + tid + "\\r\\n"},
        {u"|stime|", R"(\|wndid:0 \d\d:\d\d:\d\d\r\n)"},
        {u"|appnm|", R"(\|wndid:0 w32_system_tests\r\n)"},
        {u"|adt05|", R"(\|wndid:0 \d+\.\d\d\r\n)"},
        {u"ends|", R"(\|wndid:0 ends\|\r\n)"},
        {u"short|ab", R"(\|wndid:0 short\|ab\r\n)"},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(matches(trace(c.message), c.pattern.c_str())) << U8(c.message) << " -> "
                                                                    << trace(c.message);
}

TEST_F(TraceRecords, WindowIdFromThreadId)
{
    std::string tid = std::to_string(syscall(SYS_gettid));
    std::string record = trace(u"|wndid:|thrid| hello");
    EXPECT_EQ(record, "|wndid:" + tid + " hello\r\n");
}

TEST_F(TraceRecords, WindowTimesAreKeptPerWindowId)
{
    // A window id never used before has no previous record.
    EXPECT_EQ(trace(u"|wndid:987654 |wnddt|"), "|wndid:987654 0.00\r\n");
    EXPECT_TRUE(matches(trace(u"|wndid:987654 |wnddt|"), R"(\|wndid:987654 \d+\.\d\d\r\n)"));
    // An overflowing number counts as window 0.
    trace(u"window zero");
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    trace(u"|wndid:987654 again");
    std::smatch m;
    std::string record = trace(u"|wndid:99999999999 |wnddt|");
    ASSERT_TRUE(std::regex_match(record, m, std::regex(R"(\|wndid:99999999999 (\d+\.\d\d)\r\n)")));
    EXPECT_GE(std::stod(m[1]), 25.0);
}

TEST_F(TraceRecords, CounterRestartsWhenUsed)
{
    trace(u"|adt03|");
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    trace(u"other record");
    const auto beforeSecond = std::chrono::steady_clock::now();
    std::string second = trace(u"|adt03|");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(second, m, std::regex(R"(\|wndid:0 (\d+\.\d\d)\r\n)")));
    EXPECT_GE(std::stod(m[1]), 25.0);
    std::string third = trace(u"|adt03|");
    const std::chrono::duration<double, std::milli> sinceSecond = std::chrono::steady_clock::now() - beforeSecond;
    ASSERT_TRUE(std::regex_match(third, m, std::regex(R"(\|wndid:0 (\d+\.\d\d)\r\n)")));
    // Without the restart it would also count the 25+ ms before the second record; a fixed bound
    // instead of the measured time fails on a loaded machine.
    EXPECT_LE(std::stod(m[1]), sinceSecond.count() + 0.01);
}

TEST_F(TraceRecords, LongMessagesAreCutWithEllipsis)
{
    std::u16string message(2000, u'x');
    m_capture.clear();
    DiagOutputExW(message.c_str());
    std::u16string record = m_capture.last();
    ASSERT_EQ(record.size(), 1023u);
    EXPECT_EQ(record.substr(0, 9), u"|wndid:0 ");
    EXPECT_EQ(record.substr(1018), u"...\r\n");
    EXPECT_EQ(record[1017], u'x');
}

TEST_F(TraceRecords, ExistingLineEndIsKept)
{
    EXPECT_EQ(trace(u"done\r\n"), "|wndid:0 done\r\n");
    EXPECT_EQ(trace(u"done\n"), "|wndid:0 done\n\r\n");
}

TEST_F(TraceRecords, FormatsArgumentsAndTimes)
{
    m_capture.clear();
    DiagOutputExW(u"%hs=%d %#.2f %s", "n", 7, 12.5, u"wide");
    EXPECT_EQ(U8(m_capture.last().c_str()), "|wndid:0 n=7 12.50 wide\r\n");
}

TEST_F(TraceRecords, KeepsTheCallersErrno)
{
    errno = ENOENT;
    LX_TRACE(u"record");
    EXPECT_EQ(errno, ENOENT);
    DiagOutputW(u"plain %d", 1);
    DiagOutputA("plain %d", 2);
    EXPECT_EQ(errno, ENOENT);
}

TEST_F(TraceRecords, PlainOutputHasNoTags)
{
    m_capture.clear();
    DiagOutputW(u"value %d|absdt|", 5);
    DiagOutputA("narrow %s", "\xc3\xa9");
    auto texts = m_capture.texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(U8(texts[0].c_str()), "value 5|absdt|");
    EXPECT_EQ(texts[1], u"narrow \u00e9");
}

TEST_F(TraceRecords, SourcePositionIsPerThread)
{
    DiagOutputExW_hlp("main.cpp", 10);
    std::thread([] {
        DiagOutputExW_hlp("worker.cpp", 20);
        EXPECT_EQ(LX_DiagSourceLine(), 20);
    }).join();
    EXPECT_EQ(LX_DiagSourceLine(), 10);
}

} // namespace
