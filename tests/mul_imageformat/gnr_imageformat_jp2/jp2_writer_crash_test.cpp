// A writer killed with SIGKILL at a random point: every frame whose call
// had returned is read back lossless-identical. A few seeded cases run
// here; QUELVIX_SOAK=n runs n per shape.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "../gnr_imageformat_qx2/qx2_format_double.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_input_file.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_output_file.h"
#include "test_support.h"

namespace
{

struct Shape {
    uint32_t w, h, comps, tile;
    bool sideFile = false; // written as the QX2 document layer's writer
};

std::vector<uint8_t> CrashFrame(const Shape& s, uint32_t f)
{
    const uint32_t stride = CLxPicBufAPI::CalcWidthBytes(s.w, 8, s.comps, 4);
    std::vector<uint8_t> b(size_t(stride) * s.h, 0);
    for (uint32_t y = 0; y < s.h; ++y)
        for (uint32_t i = 0; i < s.w * s.comps; ++i)
            b[size_t(y) * stride + i] = uint8_t(i * 3 + y * 7 + f * 11 + ((i * y) >> 3));
    return b;
}

// The child: frames until killed, one byte down the pipe per returned frame.
[[noreturn]] void WriteUntilKilled(const std::u16string& path, const Shape& s, int pipeOut)
{
    static qx2test::FormatDouble qxim("QXIM");
    auto* w = new CLxJP2OutputFile(s.sideFile ? &qxim : nullptr, CLxStringW(path.c_str()));
    w->AddRef();
    SLxImageAttributes a{};
    a.uiWidth = s.w;
    a.uiHeight = s.h;
    a.uiComp = s.comps;
    a.uiBpcInMemory = a.uiBpcSignificant = 8;
    a.uiTileWidth = a.uiTileHeight = s.tile;
    w->SetImageAttributes(a);
    for (uint32_t f = 0; f < 1000; ++f) {
        const std::vector<uint8_t> frame = CrashFrame(s, f);
        if (w->SetImageData(f, frame.data(), nullptr, nullptr) != 0)
            _exit(3);
        const char one = 1;
        if (write(pipeOut, &one, 1) != 1)
            _exit(4);
    }
    _exit(0);
}

void RunCase(const Shape& s, uint32_t seed)
{
    ScopedTempDir dir;
    const std::u16string path = dir.u16("crash.jp2");
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(fds[0]);
        WriteUntilKilled(path, s, fds[1]);
    }
    close(fds[1]);
    std::mt19937 rng(seed);
    // Wait for a random number of returned frames, then a random moment.
    const uint32_t atLeast = rng() % 4;
    uint32_t returned = 0;
    char byte;
    while (returned < atLeast && read(fds[0], &byte, 1) == 1)
        ++returned;
    usleep(useconds_t(rng() % 20000));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    while (read(fds[0], &byte, 1) == 1)
        ++returned;
    close(fds[0]);
    if (returned == 0)
        return; // killed before the first frame returned: nothing promised
    SCOPED_TRACE(::testing::Message() << "seed " << seed << ", frames " << returned);
    CLxJP2InputFile in(nullptr, path.c_str());
    SLxImageAttributes a{};
    ASSERT_EQ(in.GetImageAttributes(a), 0);
    // Without side file the virtual component count is written at Close
    // only: a killed writer's components read as frames of one component.
    const uint32_t split = s.sideFile || s.comps == 1 || s.comps == 3 ? 1 : s.comps;
    ASSERT_GE(a.uiSequenceCount, returned * split);
    for (uint32_t f = 0; f < returned; ++f) {
        const std::vector<uint8_t> want = CrashFrame(s, f);
        const uint32_t stride = CLxPicBufAPI::CalcWidthBytes(s.w, 8, s.comps / split, 4);
        const uint32_t wantStride = CLxPicBufAPI::CalcWidthBytes(s.w, 8, s.comps, 4);
        for (uint32_t v = 0; v < split; ++v) {
            std::vector<uint8_t> got(size_t(stride) * s.h);
            ASSERT_EQ(in.GetImageData(f * split + v, got.data(), 0, 0), 0) << "frame " << f;
            bool same = true;
            for (uint32_t y = 0; y < s.h; ++y)
                for (uint32_t i = 0; i < s.w * s.comps / split; ++i) {
                    const uint32_t x = split == 1 ? i : i * s.comps + v;
                    same = same && got[size_t(y) * stride + i] == want[size_t(y) * wantStride + x];
                }
            ASSERT_TRUE(same) << "frame " << f << " component " << v;
        }
    }
}

uint32_t CasesPerShape()
{
    const char* soak = std::getenv("QUELVIX_SOAK");
    return soak && std::atoi(soak) > 0 ? uint32_t(std::atoi(soak)) : 1;
}

} // namespace

class JP2WriterCrash : public ::testing::TestWithParam<Shape>
{
};

TEST_P(JP2WriterCrash, ReturnedFramesSurviveSigkill)
{
    const Shape s = GetParam();
    const uint32_t n = CasesPerShape();
    for (uint32_t i = 0; i < n; ++i) {
        RunCase(s, 1000 * s.comps + s.tile + 7 * s.sideFile + i);
        if (HasFatalFailure())
            return;
    }
}

// Whole frames of 1 and 4 virtual components, tiled and untiled, also with
// the side file.
INSTANTIATE_TEST_SUITE_P(Shapes, JP2WriterCrash,
                         ::testing::Values(Shape{96, 64, 1, 0}, Shape{96, 64, 4, 0},
                                           Shape{300, 260, 1, 256}, Shape{64, 48, 3, 32},
                                           Shape{96, 64, 4, 0, true},
                                           Shape{300, 260, 1, 256, true}));
