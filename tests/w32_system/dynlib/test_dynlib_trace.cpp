// What loading reports: detail-mode trace records and assertion reports.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "../debugging/debug_output_capture.h"
#include "../debugging/log_sandbox.h"
#include "test_support.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/debugging/LxLogFile.h"
#include "w32_system/dynlib/LxDynLib.h"

namespace fs = std::filesystem;

namespace {

class DynLibReports : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_traceOptions = LX_SetTraceOptions(LX_DIAG_DEBUGOUT);
        m_failifOptions = LX_SetFailifOptions(LX_DIAG_DEBUGOUT);
    }
    void TearDown() override
    {
        LX_SetTraceOptions(unsigned(m_traceOptions));
        LX_SetFailifOptions(unsigned(m_failifOptions));
    }

    void enableDetailLog()
    {
        fs::path folder = m_log.logFolder();
        fs::create_directories(folder);
        std::ofstream(folder / "lxappdetail.log").put('\0');
        ASSERT_TRUE(CLxLogFile::Detail());
    }

    bool saw(const std::string& text)
    {
        for (const std::u16string& t : m_capture.texts())
            if (U8(t.c_str()).find(text) != std::string::npos)
                return true;
        return false;
    }

    LogSandbox m_log;
    int m_traceOptions = 0, m_failifOptions = 0;
    DebugOutputCapture m_capture;
};

TEST_F(DynLibReports, DetailLogRecordsLoadsWithTheCallersPath)
{
    enableDetailLog();
    std::u16string path = U16(LXTEST_SECTIONS_MODULE);
    LX_HMODULE module = LX_LoadLibrary(path.c_str());
    ASSERT_NE(module, nullptr);
    EXPECT_TRUE(saw("LX_LoadLibrary(\"" + std::string(LXTEST_SECTIONS_MODULE) + "\") : OK"));
    LX_UnloadLibrary(module);

    EXPECT_EQ(LX_LoadLibrary(u"/nonexistent/libnothing.so"), nullptr);
    EXPECT_TRUE(saw("LX_LoadLibrary(\"/nonexistent/libnothing.so\") : Failed"));
}

TEST_F(DynLibReports, NormalLogRecordsNothing)
{
    ASSERT_FALSE(CLxLogFile::Detail());
    LX_HMODULE module = LX_LoadLibrary(U16(LXTEST_SECTIONS_MODULE).c_str());
    ASSERT_NE(module, nullptr);
    LX_UnloadLibrary(module);
    EXPECT_FALSE(saw("LX_LoadLibrary"));
}

TEST_F(DynLibReports, MisuseIsReported)
{
    EXPECT_EQ(LX_LoadLibrary(u""), nullptr);
    EXPECT_TRUE(saw("Expression : filename==NULL || *filename==0\r\n"
                    "LX_LoadLibrary: Library filename must not be empty."));
    EXPECT_EQ(LX_UnloadLibrary(nullptr), -4);
    EXPECT_TRUE(saw("Expression : lib==NULL\r\nLX_UnloadLibrary: Wrong library handle."));
    EXPECT_EQ(LX_GetSymbol(nullptr, "x"), nullptr);
    EXPECT_TRUE(saw("LX_GetSymbol: Wrong library handle."));
}

} // namespace
