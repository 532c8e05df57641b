// The tracing window: routing of trace records by window id, columns, the
// single-listener lock and the process-wide framework.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <thread>

#include "../test_fileapi_support.h"
#include "test_support.h"
#include "w32_system/debugging/LxDebugOutput.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/debugging/LxTraceWindow.h"
#include "w32_system/debugging/LxTraceWindowInternal.h"
#include "w32_system/debugging/LxTraceWindowLock.h"

namespace
{

using Line = std::vector<std::u16string>;
using Lines = std::vector<Line>;

// Each test has a framework of its own, with its lock file in a runtime
// folder of its own, so that test programs running side by side do not see
// each other's listener.
class TraceWindow : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_traceOptions = LX_SetTraceOptions(LX_DIAG_DEBUGOUT);
        m_framework = DiagOutputWnd(nullptr, true);
        ASSERT_NE(m_framework, nullptr);
    }
    void TearDown() override
    {
        LX_DestroyDebugFramework();
        LX_SetTraceOptions(unsigned(m_traceOptions));
    }

    ScopedTempDir m_runtime;
    ScopedEnv m_runtimeEnv{"XDG_RUNTIME_DIR", m_runtime.path().c_str()};
    int m_traceOptions = 0;
    CDebugFramework* m_framework = nullptr;
};

TEST_F(TraceWindow, FirstRecordRenamesTheFirstWindowAndLaterIdsOpenNewOnes)
{
    ASSERT_TRUE(m_framework->IsListening());
    EXPECT_EQ(m_framework->GetWindowIds(), std::vector<int>{0});
    EXPECT_EQ(m_framework->GetWindowTitle(0), u"Tracing Window ID: 0");
    EXPECT_EQ(m_framework->GetColumnCount(0), 8);

    LX_TRACE(u"|wndid:7 first");
    EXPECT_EQ(m_framework->GetWindowIds(), std::vector<int>{7});
    EXPECT_EQ(m_framework->GetWindowTitle(7), u"Tracing Window ID: 7");
    EXPECT_EQ(m_framework->GetLines(7), (Lines{{u"0", u" first  "}}));

    LX_TRACE(u"|wndid:8 second");
    LX_TRACE(u"|wndid:7 third");
    EXPECT_EQ(m_framework->GetWindowIds(), (std::vector<int>{7, 8}));
    EXPECT_EQ(m_framework->GetLines(8), (Lines{{u"0", u" second  "}}));
    EXPECT_EQ(m_framework->GetLines(7), (Lines{{u"0", u" first  "}, {u"1", u" third  "}}));

    // Records without an id of their own go to window 0, which opens anew.
    LX_TRACE(u"plain");
    EXPECT_EQ(m_framework->GetWindowTitle(0), u"Tracing Window ID: 0");
    EXPECT_EQ(m_framework->GetLines(0), (Lines{{u"0", u" plain  "}}));
}

TEST_F(TraceWindow, RoutingOfTexts)
{
    const struct {
        const char16_t* text;
        int windowId;
        Line line;
    } cases[] = {
        {u"|wndid:3 a\tb\tc", 3, {u"0", u" a", u"b", u"c"}},
        {u"|wndid:3 x\r\ny\r\n", 3, {u"1", u" x  y  "}},
        {u"|wndid:-2 negative", -2, {u"0", u" negative"}},
        {u"|wndid:12", 12, {u"0", u""}},
        {u"|wndid:12rest", 12, {u"1", u"rest"}},
        {u"|wndid:12rest and more", 12, {u"2", u" and more"}},
        {u"|wndid:x words", 0, {u"0", u" words"}},
    };
    for (const auto& c : cases) {
        LX_OutputDebugString(c.text);
        Lines lines = m_framework->GetLines(c.windowId);
        ASSERT_FALSE(lines.empty()) << U8(c.text);
        EXPECT_EQ(lines.back(), c.line) << U8(c.text);
    }
}

TEST_F(TraceWindow, TextsWithoutTheTagAreDropped)
{
    for (const char16_t* text : {u"no tag", u" |wndid:3 late tag", u"|wndid", u"", u"|WNDID:3 x"})
        LX_OutputDebugString(text);
    DiagOutputW(u"untagged %d", 5);
    m_framework->AddItem(nullptr);
    EXPECT_EQ(m_framework->GetWindowIds(), std::vector<int>{0});
    EXPECT_TRUE(m_framework->GetLines(0).empty());
}

TEST_F(TraceWindow, LinesWithMoreFieldsAddColumns)
{
    LX_OutputDebugString(u"|wndid:4 1\t2\t3\t4\t5\t6\t7");
    EXPECT_EQ(m_framework->GetColumnCount(4), 8);
    LX_OutputDebugString(u"|wndid:4 1\t2\t3\t4\t5\t6\t7\t8\t9\t10");
    EXPECT_EQ(m_framework->GetColumnCount(4), 11);
    LX_OutputDebugString(u"|wndid:4 short");
    EXPECT_EQ(m_framework->GetColumnCount(4), 11);
    EXPECT_EQ(m_framework->GetLines(4).back(), (Line{u"2", u" short"}));
    EXPECT_EQ(m_framework->GetColumnCount(99), 0);
    EXPECT_TRUE(m_framework->GetLines(99).empty());
    EXPECT_TRUE(m_framework->GetWindowTitle(99).empty());
}

TEST_F(TraceWindow, LongTextsAreCut)
{
    std::u16string text = u"|wndid:5 " + std::u16string(3000, u'z');
    LX_OutputDebugString(text.c_str());
    // 1024 units of text, less the tag, its number and the blank.
    EXPECT_EQ(m_framework->GetLines(5).at(0).at(1), u" " + std::u16string(1024 - 9, u'z'));
}

TEST_F(TraceWindow, ExplicitWindowsAndTheInitialClaim)
{
    m_framework->CreateDebugWindow(20);
    m_framework->CreateDebugWindow(20);
    EXPECT_EQ(m_framework->GetWindowIds(), (std::vector<int>{0, 20}));
    // The first routed record for an unknown id claims the first window.
    LX_OutputDebugString(u"|wndid:30 claimed");
    EXPECT_EQ(m_framework->GetWindowIds(), (std::vector<int>{20, 30}));
    LX_OutputDebugString(u"|wndid:20 kept");
    EXPECT_EQ(m_framework->GetLines(20), (Lines{{u"0", u" kept"}}));
}

TEST_F(TraceWindow, RecordsFromSeveralThreadsAreAllKept)
{
    constexpr int kThreads = 4, kEach = 100;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t)
        writers.emplace_back([] {
            for (int i = 0; i < kEach; ++i)
                LX_OutputDebugString(u"|wndid:6 line");
        });
    for (std::thread& w : writers)
        w.join();
    Lines lines = m_framework->GetLines(6);
    ASSERT_EQ(lines.size(), size_t(kThreads * kEach));
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i][0], U16(std::to_string(i).c_str()));
}

TEST_F(TraceWindow, SecondListenerIsRefused)
{
    // Another listener holds the lock (a second open of the file is told
    // apart just as another process would be).
    LX_DestroyDebugFramework();
    int other = open(LX_TraceListenerLockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);

    m_framework = DiagOutputWnd(nullptr, false);
    ASSERT_NE(m_framework, nullptr);
    EXPECT_FALSE(m_framework->IsListening());
    LX_OutputDebugString(u"|wndid:0 not heard");
    EXPECT_TRUE(m_framework->GetLines(0).empty());

    // Once the other listener is gone, a new framework listens.
    close(other);
    m_framework = DiagOutputWnd(nullptr, true);
    ASSERT_NE(m_framework, nullptr);
    EXPECT_TRUE(m_framework->IsListening());
}

TEST_F(TraceWindow, LockFileLivesInTheRuntimeFolder)
{
    const std::string expected =
        m_runtime.path().string() + "/strata9-tracing-" + std::to_string(getuid()) + ".lock";
    EXPECT_EQ(LX_TraceListenerLockPath(), expected);
    ScopedEnv noRuntime("XDG_RUNTIME_DIR", nullptr);
    EXPECT_EQ(LX_TraceListenerLockPath(),
              "/tmp/strata9-tracing-" + std::to_string(getuid()) + ".lock");
}

TEST_F(TraceWindow, RecreateStartsAFreshFramework)
{
    LX_OutputDebugString(u"|wndid:0 before");
    EXPECT_EQ(DiagOutputWnd(nullptr, false), m_framework);
    EXPECT_EQ(m_framework->GetLines(0).size(), 1u);
    m_framework = DiagOutputWnd(nullptr, true);
    ASSERT_NE(m_framework, nullptr);
    EXPECT_TRUE(m_framework->IsListening());
    EXPECT_TRUE(m_framework->GetLines(0).empty());
    LX_OutputDebugString(u"|wndid:0 after");
    EXPECT_EQ(m_framework->GetLines(0).size(), 1u);
}

} // namespace
