// Memory figures and the document-size test.
#include <sys/resource.h>
#include <sys/sysinfo.h>

#include <fstream>

#include "debugging/debug_output_capture.h"
#include "debugging/log_sandbox.h"
#include "test_support.h"
#include "w32_system/LxMemoryFigures.h"
#include "w32_system/LxSysInfo.h"
#include "w32_system/debugging/LxDiag.h"

namespace
{

constexpr uint64_t GiB = uint64_t(1) << 30;

TEST(MemoryStatus, TotalsAreTheKernelsFigures)
{
    uint64_t totalPhysical = 0, availablePhysical = 0, totalVirtual = 0, availableVirtual = 0,
             totalSwap = 0, availableSwap = 0;
    EXPECT_EQ(LX_GetMemoryStatus(&totalPhysical, &availablePhysical, &totalVirtual,
                                 &availableVirtual, &totalSwap, &availableSwap),
              0);
    struct sysinfo kernel;
    ASSERT_EQ(sysinfo(&kernel), 0);
    EXPECT_EQ(totalPhysical, uint64_t(kernel.totalram) * kernel.mem_unit);
    EXPECT_EQ(totalSwap, uint64_t(kernel.totalswap) * kernel.mem_unit);
    EXPECT_GT(availablePhysical, 0u);
    EXPECT_LE(availablePhysical, totalPhysical);
    EXPECT_LE(availableSwap, totalSwap);

    struct rlimit limit;
    ASSERT_EQ(getrlimit(RLIMIT_AS, &limit), 0);
    EXPECT_EQ(totalVirtual,
              limit.rlim_cur == RLIM_INFINITY ? 0x7FFFFFFFF000ull : uint64_t(limit.rlim_cur));
    EXPECT_GT(availableVirtual, 0u);
    EXPECT_LT(availableVirtual, totalVirtual);
}

TEST(MemoryStatus, EveryOutputMayBeNull)
{
    uint64_t totalSwap = 1;
    EXPECT_EQ(LX_GetMemoryStatus(nullptr, nullptr, nullptr, nullptr, &totalSwap, nullptr), 0);
    EXPECT_EQ(LX_GetMemoryStatus(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
}

TEST(MemoryStatus, ProcFields)
{
    const std::string text = "MemTotalX:   1 kB\nMemTotal:       16 kB\nHugePages_Total:       3\n"
                             "VmSwap:\t       0 kB\nBroken:  kB\nLast: 5 kB";
    const struct {
        const char* name;
        bool found;
        uint64_t value;
    } cases[] = {
        {"MemTotal", true, 16384}, {"HugePages_Total", true, 3}, {"VmSwap", true, 0},
        {"Last", true, 5120},      {"Broken", false, 0},         {"Missing", false, 0},
        {"Mem", false, 0},
    };
    for (const auto& c : cases) {
        uint64_t value = 0;
        EXPECT_EQ(LX_ProcField(text, c.name, &value), c.found) << c.name;
        if (c.found) {
            EXPECT_EQ(value, c.value) << c.name;
        }
    }
}

TEST(DocumentSize, RulesOverGivenFigures)
{
    // ui64TotalPhysical, ui64TotalSwap and ui64ProcessUsed are what the rules read.
    const struct {
        uint64_t size, physical, swap, used;
        bool exceeds;
        uint64_t excess;
    } cases[] = {
        {1000000001, 64 * GiB, 0, 0, true, 0},
        {1000000000, 64 * GiB, 0, 0, false, 0},
        {536870913, 1 * GiB, 0, 0, true, 0},
        {536870912, 1 * GiB, 0, 0, false, 0},
        // The process's use against 0.75 x (physical + swap), here 1.5 GiB.
        {1000, 1 * GiB, 1 * GiB, 3 * GiB / 2, false, 0},
        {1000, 1 * GiB, 1 * GiB, 3 * GiB / 2 + 1, true, 1},
        {1000, 1 * GiB, 1 * GiB, 2 * GiB, true, GiB / 2},
        {0, 0, 0, 0, false, 0},
    };
    for (const auto& c : cases) {
        SLxMemoryFigures figures{};
        figures.ui64TotalPhysical = c.physical;
        figures.ui64TotalSwap = c.swap;
        figures.ui64ProcessUsed = c.used;
        uint64_t excess = 12345;
        EXPECT_EQ(LX_DocumentExceedsMemory(c.size, figures, &excess), c.exceeds) << c.size;
        EXPECT_EQ(excess, c.excess) << c.size;
        EXPECT_EQ(LX_DocumentExceedsMemory(c.size, figures, nullptr), c.exceeds) << c.size;
    }
}

TEST(DocumentSize, OnThisMachine)
{
    // This test process is far smaller than three quarters of memory and swap.
    uint64_t excess = 12345;
    EXPECT_FALSE(LX_CheckSingleDocumentSizeOverflow(1000, &excess, false));
    EXPECT_EQ(excess, 0u);
    EXPECT_TRUE(LX_CheckSingleDocumentSizeOverflow(1000000001, &excess, false));
    EXPECT_EQ(excess, 0u);
}

class DocumentSizeTrace : public ::testing::Test
{
  protected:
    void SetUp() override { m_traceOptions = LX_SetTraceOptions(LX_DIAG_DEBUGOUT); }
    void TearDown() override { LX_SetTraceOptions(unsigned(m_traceOptions)); }

    std::vector<std::string> memoryRecords()
    {
        std::vector<std::string> records;
        for (const std::u16string& t : m_capture.texts())
            records.push_back(U8(t.c_str()));
        return records;
    }

    LogSandbox m_log;
    int m_traceOptions = 0;
    DebugOutputCapture m_capture;
};

TEST_F(DocumentSizeTrace, DetailLogGetsTheFiguresAndTheLimit)
{
    std::filesystem::create_directories(m_log.logFolder());
    std::ofstream(m_log.logFolder() / "lxappdetail.log").put('\0');
    ASSERT_TRUE(CLxLogFile::Detail());
    uint64_t totalPhysical = 0, totalSwap = 0;
    LX_GetMemoryStatus(&totalPhysical, nullptr, nullptr, nullptr, &totalSwap, nullptr);

    LX_CheckSingleDocumentSizeOverflow(1000, nullptr, true);
    std::vector<std::string> records = memoryRecords();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(
        records[0].rfind("|wndid:0 Physical Memory: " + std::to_string(totalPhysical) + " (", 0),
        0u);
    EXPECT_EQ(records[1].rfind("|wndid:0 Virtual Memory: ", 0), 0u);
    EXPECT_EQ(records[2].rfind("|wndid:0 Page File: " + std::to_string(totalSwap) + " (", 0), 0u);
    EXPECT_EQ(records[3], "|wndid:0 " + std::to_string(totalPhysical + totalSwap) + "\r\n");

    m_capture.clear();
    LX_CheckSingleDocumentSizeOverflow(1000, nullptr, false);
    EXPECT_TRUE(memoryRecords().empty());
}

TEST_F(DocumentSizeTrace, NormalLogGetsNothing)
{
    ASSERT_FALSE(CLxLogFile::Detail());
    LX_CheckSingleDocumentSizeOverflow(1000, nullptr, true);
    EXPECT_TRUE(memoryRecords().empty());
}

} // namespace
