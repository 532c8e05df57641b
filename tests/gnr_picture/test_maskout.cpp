// Mask-out: the six kernels against a plain loop over the geometries of the
// kernel suite, and the dispatcher's choice and checks.
#include "gnr_picture/picmemAPI/LxMaskOutKernels.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/kernel_test_support.h"

namespace kerneltest
{
namespace
{

constexpr PicFormat k1x8{1, 1}, k3x8{3, 1}, k5x8{5, 1}, k2x8{2, 1};
constexpr PicFormat k1x16{1, 2}, k3x16{3, 2}, k4x16{4, 2};

// High bits beyond the sample show that only the low 8 or 16 are used.
constexpr uint32_t kMask8 = 0xABCD0F5Au, kMask16 = 0x1234F0A5u;

template <uint32_t Mask> int refMaskOut(Ctx& c)
{
    const uint32_t mask = lowBits(Mask, c.dst.sampleBytes());
    c.eachPixel([&](uint32_t x, uint32_t y) {
        for (uint32_t k = 0; k < c.dst.comps(); ++k)
            c.expected.put(x, y, k, c.dst.get(x, y, k) & mask);
    });
    return 0;
}

template <int (*Kernel)(void*, uint32_t, uint32_t, uint32_t, uint32_t), uint32_t Mask>
int runFixed(Ctx& c)
{
    return Kernel(c.dst.data(), c.dst.pitch(), Mask, c.width, c.count);
}

template <int (*Kernel)(void*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t), uint32_t Mask>
int runN(Ctx& c)
{
    return Kernel(c.dst.data(), c.dst.pitch(), Mask, c.dst.comps(), c.width, c.count);
}

const KernelCase kMaskOutCases[] = {
    {"maskout_1x8", k1x8, k1x8, 8, {}, 0, runFixed<maskout_1x8, kMask8>, refMaskOut<kMask8>, true},
    {"maskout_3x8", k3x8, k3x8, 8, {}, 0, runFixed<maskout_3x8, kMask8>, refMaskOut<kMask8>, true},
    {"maskout_Nx8", k5x8, k5x8, 8, {}, 0, runN<maskout_Nx8, kMask8>, refMaskOut<kMask8>, true},
    {"maskout_Nx8_2", k2x8, k2x8, 8, {}, 0, runN<maskout_Nx8, kMask8>, refMaskOut<kMask8>, true},
    {"maskout_1x16",
     k1x16,
     k1x16,
     16,
     {},
     0,
     runFixed<maskout_1x16, kMask16>,
     refMaskOut<kMask16>,
     true},
    {"maskout_3x16",
     k3x16,
     k3x16,
     16,
     {},
     0,
     runFixed<maskout_3x16, kMask16>,
     refMaskOut<kMask16>,
     true},
    {"maskout_Nx16",
     k4x16,
     k4x16,
     16,
     {},
     0,
     runN<maskout_Nx16, kMask16>,
     refMaskOut<kMask16>,
     true},
    {"maskout_zero", k3x8, k3x8, 8, {}, 0, runFixed<maskout_3x8, 0>, refMaskOut<0>, true},
};

KERNEL_CASES(MaskOut, kMaskOutCases);

// The dispatcher on one small window of every format it serves: the
// component count and depth choose the kernel, padding and tail stay.
struct DispatchCase {
    uint32_t comps;
    uint32_t bits;
    uint32_t mask;
};

class MaskOutDispatch : public ::testing::TestWithParam<DispatchCase>
{
};

TEST_P(MaskOutDispatch, MasksEverySampleOfTheWindow)
{
    const DispatchCase& dc = GetParam();
    const uint32_t bytes = dc.bits <= 8 ? 1 : 2;
    std::mt19937 rng(dc.comps * 100 + dc.bits);
    TestPicture pic({dc.comps, bytes}, 5, 3, 3);
    pic.fill(rng, dc.bits);
    TestPicture expected = pic;
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x)
            for (uint32_t k = 0; k < dc.comps; ++k)
                expected.put(x, y, k, pic.get(x, y, k) & dc.mask);

    EXPECT_EQ(CLxPicMemAPI::MaskOut(pic.data(), pic.pitch(), dc.mask, dc.comps, dc.bits, 5, 16), 0);
    EXPECT_EQ(pic.bytes(), expected.bytes());
}

INSTANTIATE_TEST_SUITE_P(Formats, MaskOutDispatch,
                         ::testing::Values(DispatchCase{1, 8, 0xF0}, DispatchCase{3, 8, 0x3C},
                                           DispatchCase{4, 8, 0x81}, DispatchCase{1, 5, 0x1E},
                                           DispatchCase{1, 12, 0xFFF0}, DispatchCase{3, 16, 0x0FF0},
                                           DispatchCase{2, 10, 0x3A5},
                                           DispatchCase{3, 8, 0xFFFFFFFF}, DispatchCase{3, 12, 0}));

TEST(MaskOutExamples, HighNibbleOfAnEightBitSample)
{
    uint8_t pixel = 0x3C;
    EXPECT_EQ(CLxPicMemAPI::MaskOut(&pixel, 1, 0xF0, 1, 8, 1, 1), 0);
    EXPECT_EQ(pixel, 0x30);
}

TEST(MaskOutExamples, ClearsTheLowBitsOfATwelveBitPicture)
{
    uint16_t line[3] = {0x0FFF, 0x0123, 0x000F};
    EXPECT_EQ(CLxPicMemAPI::MaskOut(line, sizeof line, 0xFFF0, 1, 12, 3, 3), 0);
    EXPECT_EQ(line[0], 0x0FF0);
    EXPECT_EQ(line[1], 0x0120);
    EXPECT_EQ(line[2], 0x0000);
}

TEST(MaskOutExamples, RefusedFormatsAndArguments)
{
    uint8_t pixels[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const uint8_t before[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(CLxPicMemAPI::MaskOut(pixels, 8, 0, 1, 24, 2, 2), -2);
    EXPECT_EQ(CLxPicMemAPI::MaskOut(pixels, 8, 0, 1, 32, 2, 2), -2);
    EXPECT_EQ(CLxPicMemAPI::MaskOut(pixels, 8, 0, 1, 17, 2, 2), -2);
    EXPECT_EQ(CLxPicMemAPI::MaskOut(pixels, 8, 0, 1, 0, 2, 2), -2);
    EXPECT_EQ(CLxPicMemAPI::MaskOut(pixels, 8, 0, 0, 8, 2, 2), -4);
    EXPECT_EQ(CLxPicMemAPI::MaskOut(nullptr, 8, 0, 1, 8, 2, 2), -4);
    EXPECT_EQ(std::memcmp(pixels, before, 8), 0);
    // An empty window is success before anything else is looked at.
    EXPECT_EQ(CLxPicMemAPI::MaskOut(nullptr, 0, 0, 0, 99, 0, 5), 0);
    EXPECT_EQ(CLxPicMemAPI::MaskOut(nullptr, 0, 0, 0, 99, 5, 0), 0);
}

} // namespace
} // namespace kerneltest
