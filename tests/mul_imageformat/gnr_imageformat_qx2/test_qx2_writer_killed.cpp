// A real crash of the QX2 writer: a child writes frames (with metadata,
// compressed or raw) and is killed with SIGKILL at a random moment. Every
// frame whose SetImageData had returned reads back byte for byte, frames
// never begun are missing, the frame in flight is whole or missing, and a
// second open changes nothing. LXTEST_QX2_KILL_SOAK=N runs N more seeds.
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

#include "gnr_metaformats/LxPictureMetadata.h"
#include "qx2_writer_support.h"

using namespace chunktest;
using namespace qx2test;

namespace
{

SDocSpec SpecFor(uint32_t seed)
{
    return SDocSpec{"Ver2.1",      61, 17, 1 + seed % 3 / 2 * 2, seed % 4 < 2 ? 8u : 12u,
                    seed % 2 == 0, 0};
}

[[noreturn]] void WriteUntilKilled(const std::u16string& path, uint32_t seed, int report)
{
    const SDocSpec s = SpecFor(seed);
    FormatDouble format;
    ILxOutputImageFile* w = nullptr;
    if (LX_OpenQX2OutputFile(&format, path.c_str(), false, &w) != 0)
        _exit(3);
    w->AddRef();
    SLxImageAttributes a = s.Attributes(0);
    a.uiWidthBytes = 0;
    if (w->SetImageAttributes(a) != 0)
        _exit(4);
    for (uint32_t f = 0; f < 100000; ++f) {
        SLxPictureMetadata md;
        md.dTimeMSec = 3.0 * f;
        const std::string frame = ExpectedFrame(s, f);
        if (w->SetImageMetadata(f, md, 0) != 0 ||
            w->SetImageData(f, frame.data(), nullptr, nullptr) != 0)
            _exit(5);
        if (write(report, &f, sizeof f) != sizeof f)
            _exit(6);
    }
    _exit(7);
}

void KillAndCheck(uint32_t seed)
{
    SCOPED_TRACE(seed);
    const SDocSpec s = SpecFor(seed);
    ScopedTempDir dir;
    const std::u16string path = dir.u16("killed.qx2");
    const std::string narrow = (dir.path() / "killed.qx2").string();
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipeFds[0]);
        WriteUntilKilled(path, seed, pipeFds[1]);
    }
    close(pipeFds[1]);
    struct pollfd ready = {pipeFds[0], POLLIN, 0};
    ASSERT_EQ(poll(&ready, 1, 30000), 1);
    std::mt19937 rng(seed);
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 30000));
    ASSERT_EQ(kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped on its own: " << WEXITSTATUS(status);
    uint32_t done = 0, index = 0;
    bool any = false;
    while (read(pipeFds[0], &index, sizeof index) == sizeof index) {
        done = index;
        any = true;
    }
    close(pipeFds[0]);
    ASSERT_TRUE(any);

    FormatDouble format;
    std::string firstRepair;
    for (int pass = 0; pass < 2; ++pass) {
        ReaderRef r;
        ASSERT_EQ(0, LX_OpenQX2InputFile(&format, path.c_str(), &r.p)) << pass;
        r.p->AddRef();
        std::string got(size_t(s.Stride()) * s.height, '\0');
        for (uint32_t f = 0; f <= done; ++f) {
            ASSERT_EQ(0, r->GetImageData(f, &got[0], 0, 0)) << f;
            ASSERT_EQ(ExpectedFrame(s, f), got) << f;
        }
        // The frame in flight: whole or missing, never other bytes.
        if (r->GetImageData(done + 1, &got[0], 0, 0) == 0)
            EXPECT_EQ(ExpectedFrame(s, done + 1), got);
        for (uint32_t f = done + 2; f < done + 5; ++f)
            EXPECT_EQ(-13, r->GetImageData(f, &got[0], 0, 0)) << f;
        r.Reset();
        if (pass == 0)
            firstRepair = ReadFileBytes(narrow);
        else
            EXPECT_TRUE(firstRepair == ReadFileBytes(narrow)) << "the second open changed the file";
    }
}

class KilledQX2Writer : public ::testing::TestWithParam<uint32_t>
{
};

TEST_P(KilledQX2Writer, ReturnedFramesSurvive)
{
    KillAndCheck(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Seeds, KilledQX2Writer, ::testing::Values(11u, 12u, 13u, 14u));

TEST(KilledQX2WriterSoak, ManySeeds)
{
    const char* soak = getenv("LXTEST_QX2_KILL_SOAK");
    if (!soak)
        GTEST_SKIP() << "set LXTEST_QX2_KILL_SOAK=N";
    const uint32_t n = uint32_t(strtoul(soak, nullptr, 10));
    for (uint32_t seed = 1000; seed < 1000 + n && !HasFatalFailure(); ++seed)
        KillAndCheck(seed);
}

} // namespace
