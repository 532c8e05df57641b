// Sample pictures filtered with integer kernel matrices, directly and
// through tiled 64-point transforms.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufAPI.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"

namespace
{

struct Picture : SLxPicBuf {
    Picture(uint32_t w, uint32_t h, uint32_t bits, uint32_t comps) : SLxPicBuf{}
    {
        EXPECT_EQ(CLxPicBufAPI::Reinit(this, w, h, 0, bits, comps, true), 0);
    }
    ~Picture() { CLxPicBufAPI::Free(this); }
    Picture(const Picture&) = delete;
    uint32_t get(uint32_t x, uint32_t y, uint32_t c = 0) const
    {
        const uint8_t* line = static_cast<const uint8_t*>(pData) + size_t(y) * uiWidthBytes;
        const size_t i = size_t(x) * uiComps + c;
        if (uiBpc <= 8)
            return line[i];
        uint16_t v;
        std::memcpy(&v, line + 2 * i, 2);
        return v;
    }
    void set(uint32_t x, uint32_t y, uint32_t c, uint32_t v)
    {
        uint8_t* line = static_cast<uint8_t*>(pData) + size_t(y) * uiWidthBytes;
        const size_t i = size_t(x) * uiComps + c;
        if (uiBpc <= 8) {
            line[i] = uint8_t(v);
            return;
        }
        const uint16_t w = uint16_t(v);
        std::memcpy(line + 2 * i, &w, 2);
    }
    template <class F> void fill(F value)
    {
        for (uint32_t y = 0; y < uiHeight; ++y)
            for (uint32_t x = 0; x < uiWidth; ++x)
                for (uint32_t c = 0; c < uiComps; ++c)
                    set(x, y, c, value(x, y, c));
    }
    // Largest difference of any sample from the other picture's.
    uint32_t maxDiff(const Picture& o) const
    {
        uint32_t worst = 0;
        for (uint32_t y = 0; y < uiHeight; ++y)
            for (uint32_t x = 0; x < uiWidth; ++x)
                for (uint32_t c = 0; c < uiComps; ++c)
                    worst = std::max<uint32_t>(
                        worst, uint32_t(std::abs(int64_t(get(x, y, c)) - int64_t(o.get(x, y, c)))));
        return worst;
    }
};

SLxKernelMatrix kernelOf(uint32_t rows, uint32_t cols, std::vector<int32_t> values, int32_t divisor)
{
    SLxKernelMatrix m;
    EXPECT_EQ(SLxKernelMatrix::Alloc(&m, rows, cols), 0);
    for (size_t i = 0; i < values.size() && i < size_t(rows) * cols; ++i)
        m.piValues[i] = values[i];
    m.iDivisor = divisor;
    return m;
}

using Form = int (*)(SLxPicBuf*, const SLxPicBuf*, const SLxKernelMatrix*, bool);
const Form kDirect = &CLxFloatPicBufAPI::Convolution;
const Form kTiled = &CLxFloatPicBufAPI::ConvolutionWithFFT;

struct Random {
    std::mt19937 gen{34};
    int32_t operator()(int32_t lo, int32_t hi)
    {
        return std::uniform_int_distribution<int32_t>(lo, hi)(gen);
    }
};

} // namespace

TEST(FloatKernelConvolution, AveragingKeepsAConstantEdgesIncluded)
{
    const SLxKernelMatrix ones = kernelOf(3, 3, std::vector<int32_t>(9, 1), 9);
    struct Case {
        uint32_t bits, comps, value;
    } cases[] = {{8, 1, 100}, {8, 3, 255}, {12, 3, 4000}, {16, 1, 65535}};
    for (const Case& c : cases)
        for (Form form : {kDirect, kTiled}) {
            Picture src(70, 67, c.bits, c.comps), dst(70, 67, c.bits, c.comps);
            src.fill([&](uint32_t, uint32_t, uint32_t) { return c.value; });
            ASSERT_EQ(form(&dst, &src, &ones, false), 0);
            EXPECT_EQ(dst.maxDiff(src), 0u) << c.bits << " " << c.comps;
        }
}

TEST(FloatKernelConvolution, KernelIsNotFlippedAndEdgesReplicate)
{
    // Only the top-left element: each output is its upper left neighbour.
    const SLxKernelMatrix upLeft = kernelOf(3, 3, {1, 0, 0, 0, 0, 0, 0, 0, 0}, 1);
    for (Form form : {kDirect, kTiled}) {
        Picture src(90, 80, 8, 1), dst(90, 80, 8, 1);
        src.fill([](uint32_t x, uint32_t y, uint32_t) { return (x * 7 + y * 3) % 256; });
        ASSERT_EQ(form(&dst, &src, &upLeft, false), 0);
        for (uint32_t y = 0; y < 80; ++y)
            for (uint32_t x = 0; x < 90; ++x)
                ASSERT_EQ(dst.get(x, y), src.get(x ? x - 1 : 0, y ? y - 1 : 0)) << x << "," << y;
    }
}

TEST(FloatKernelConvolution, TiledEqualsDirectWithinOneStep)
{
    Random rnd;
    struct Case {
        uint32_t w, h, bits, comps, k;
        int32_t divisor;
    } cases[] = {{200, 70, 8, 1, 5, 0},  {200, 70, 8, 3, 3, 9},   {61, 130, 12, 1, 15, 0},
                 {64, 64, 12, 3, 7, 0},  {130, 97, 16, 1, 31, 0}, {33, 20, 8, 1, 1, 1},
                 {150, 66, 8, 1, 63, 0}, {5, 3, 10, 2, 9, 0}};
    for (const Case& c : cases) {
        std::vector<int32_t> values(size_t(c.k) * c.k);
        int64_t sum = 0;
        for (int32_t& v : values)
            sum += v = rnd(-4, 12);
        const SLxKernelMatrix kernel =
            kernelOf(c.k, c.k, values, c.divisor ? c.divisor : int32_t(std::max<int64_t>(sum, 1)));
        Picture src(c.w, c.h, c.bits, c.comps);
        const int32_t top = (1 << c.bits) - 1;
        src.fill([&](uint32_t, uint32_t, uint32_t) { return uint32_t(rnd(0, top)); });
        for (bool stretch : {false, true}) {
            Picture direct(c.w, c.h, c.bits, c.comps), tiled(c.w, c.h, c.bits, c.comps);
            ASSERT_EQ(kDirect(&direct, &src, &kernel, stretch), 0);
            ASSERT_EQ(kTiled(&tiled, &src, &kernel, stretch), 0);
            // Stretching scales the rounding differences up with the range.
            EXPECT_LE(tiled.maxDiff(direct), stretch ? 4u : 1u)
                << c.w << "x" << c.h << " k " << c.k << " stretch " << stretch;
        }
    }
}

namespace
{

bool tiledMatchesDirect()
{
    Random rnd;
    std::vector<int32_t> values(25);
    for (int32_t& v : values)
        v = rnd(0, 9);
    const SLxKernelMatrix kernel = kernelOf(5, 5, values, 100);
    Picture src(130, 70, 8, 1), direct(130, 70, 8, 1), tiled(130, 70, 8, 1);
    src.fill([&](uint32_t, uint32_t, uint32_t) { return uint32_t(rnd(0, 255)); });
    return kTiled(&tiled, &src, &kernel, false) == 0 &&
           kDirect(&direct, &src, &kernel, false) == 0 && tiled.maxDiff(direct) <= 1;
}

} // namespace

TEST(FloatKernelConvolution, TiledNeedsNoInitInAFreshProcess)
{
    // The re-executed test program runs only this statement: nothing has
    // asked for the twiddle tables before.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(tiledMatchesDirect() ? 0 : 1), ::testing::ExitedWithCode(0), "");
}

TEST(FloatKernelConvolution, StoreRoundsAndHoldsToTheDepth)
{
    struct Case {
        uint32_t bits;
        int32_t weight, divisor;
        uint32_t sample, expected;
    } cases[] = {
        {12, 70, 1, 1000, 4095},                         // 70000 held to 12 bits
        {12, -3, 1, 1000, 0},                            // negative
        {8, 1, 2, 5, 3},                                 // 2.5 rounds up
        {8, 1, 0, 7, 7},                                 // divisor 0 counts as 1
        {16, 3, 2, 65535, 65535}, {10, 1, 4, 1023, 256}, // 255.75
    };
    for (const Case& c : cases)
        for (Form form : {kDirect, kTiled}) {
            const SLxKernelMatrix one = kernelOf(1, 1, {c.weight}, c.divisor);
            Picture src(70, 3, c.bits, 1), dst(70, 3, c.bits, 1);
            src.fill([&](uint32_t, uint32_t, uint32_t) { return c.sample; });
            ASSERT_EQ(form(&dst, &src, &one, false), 0);
            // The transforms' rounding may leave a tie just below .5.
            const uint32_t slack = form == kTiled && c.expected == 3 ? 1 : 0;
            for (uint32_t x : {0u, 69u}) {
                EXPECT_LE(dst.get(x, 2), c.expected) << c.bits << " " << c.weight;
                EXPECT_GE(dst.get(x, 2) + slack, c.expected) << c.bits << " " << c.weight;
            }
        }
}

TEST(FloatKernelConvolution, StretchSpreadsToTheFullRange)
{
    Random rnd;
    const SLxKernelMatrix identity = kernelOf(1, 1, {1}, 1);
    for (Form form : {kDirect, kTiled}) {
        Picture src(100, 100, 16, 1), dst(100, 100, 16, 1);
        src.fill([&](uint32_t, uint32_t, uint32_t) { return uint32_t(rnd(20000, 30000)); });
        ASSERT_EQ(form(&dst, &src, &identity, true), 0);
        uint32_t low = 0, high = 0;
        for (uint32_t y = 0; y < 100; ++y)
            for (uint32_t x = 0; x < 100; ++x) {
                low += dst.get(x, y) == 0;
                high += dst.get(x, y) == 65535;
            }
        // About 0.1 % of 10000 at each end.
        EXPECT_GE(low, 5u);
        EXPECT_LE(low, 25u);
        EXPECT_GE(high, 5u);
        EXPECT_LE(high, 25u);
    }
    // A constant lands in the middle of the range.
    for (Form form : {kDirect, kTiled}) {
        Picture src(10, 10, 8, 1), dst(10, 10, 8, 1), middle(10, 10, 8, 1);
        src.fill([](uint32_t, uint32_t, uint32_t) { return 77u; });
        middle.fill([](uint32_t, uint32_t, uint32_t) { return 128u; });
        ASSERT_EQ(form(&dst, &src, &identity, true), 0);
        EXPECT_EQ(dst.maxDiff(middle), 0u);
    }
}

TEST(FloatKernelConvolution, BadInputLeavesTheDestination)
{
    const SLxKernelMatrix good = kernelOf(3, 3, std::vector<int32_t>(9, 1), 9);
    const SLxKernelMatrix even = kernelOf(4, 4, std::vector<int32_t>(16, 1), 16);
    const SLxKernelMatrix tall = kernelOf(5, 3, std::vector<int32_t>(15, 1), 15);
    const SLxKernelMatrix wide = kernelOf(65, 65, std::vector<int32_t>(65 * 65, 1), 1);
    const SLxKernelMatrix empty;
    Picture src(20, 10, 8, 1), other(21, 10, 8, 1), deep(20, 10, 8, 3), twelve(20, 10, 12, 1);
    src.fill([](uint32_t x, uint32_t, uint32_t) { return x; });
    struct Case {
        Form form;
        const SLxPicBuf* source;
        const SLxKernelMatrix* kernel;
        bool nullDst;
        int expected;
    } cases[] = {
        {kDirect, nullptr, &good, false, -9}, {kTiled, nullptr, &good, false, -9},
        {kDirect, &src, nullptr, false, -9},  {kTiled, &src, nullptr, false, -9},
        {kDirect, &src, &good, true, -9},     {kTiled, &src, &good, true, -9},
        {kDirect, &src, &even, false, -9},    {kDirect, &src, &tall, false, -9},
        {kTiled, &src, &tall, false, -9},     {kTiled, &src, &wide, false, -9},
        {kDirect, &src, &empty, false, -9},   {kTiled, &src, &empty, false, -9},
        {kDirect, &other, &good, false, -9},  {kTiled, &deep, &good, false, -9},
        {kDirect, &twelve, &good, false, -9},
    };
    for (const Case& c : cases) {
        Picture dst(20, 10, 8, 1);
        dst.fill([](uint32_t, uint32_t, uint32_t) { return 9u; });
        EXPECT_EQ(c.form(c.nullDst ? nullptr : &dst, c.source, c.kernel, false), c.expected)
            << (&c - cases);
        EXPECT_EQ(dst.get(0, 0), 9u) << (&c - cases);
        EXPECT_EQ(dst.get(19, 9), 9u) << (&c - cases);
    }
    // The direct form takes the wide kernel, which the tiled one refuses.
    Picture dst(20, 10, 8, 1);
    EXPECT_EQ(kDirect(&dst, &src, &wide, false), 0);

    // Empty pictures and depths without a sample layout.
    SLxPicBuf none{};
    EXPECT_EQ(kDirect(&none, &none, &good, false), -9);
    EXPECT_EQ(kTiled(&none, &none, &good, false), -9);
    Picture f32a(4, 4, 32, 1), f32b(4, 4, 32, 1);
    EXPECT_EQ(kDirect(&f32a, &f32b, &good, false), -2);
    EXPECT_EQ(kTiled(&f32a, &f32b, &good, false), -2);
    // A record whose memory is short of its lines.
    Picture shortSrc(20, 10, 8, 1), out(20, 10, 8, 1);
    shortSrc.uiSize = 100;
    EXPECT_EQ(kDirect(&out, &shortSrc, &good, false), -9);
    EXPECT_EQ(kTiled(&out, &shortSrc, &good, false), -9);
}

TEST(FloatKernelConvolution, InstructionSetsGiveTheSameSamples)
{
    Random rnd;
    for (uint32_t k : {1u, 3u, 7u, 15u}) {
        std::vector<int32_t> values(size_t(k) * k);
        for (int32_t& v : values)
            v = rnd(-20, 40);
        const SLxKernelMatrix kernel = kernelOf(k, k, values, 0);
        // Widths around the vector blocks (16 and 32 samples) and a tail.
        for (uint32_t w : {5u, 16u, 37u, 100u}) {
            Picture src(w, 9, 12, 2), plain(w, 9, 12, 2), avx2(w, 9, 12, 2);
            src.fill([&](uint32_t, uint32_t, uint32_t) { return uint32_t(rnd(0, 4095)); });
            const bool was = lxpic::avx2PathsAllowed();
            lxpic::avx2PathsAllowed() = false;
            ASSERT_EQ(kDirect(&plain, &src, &kernel, true), 0);
            lxpic::avx2PathsAllowed() = true;
            ASSERT_EQ(kDirect(&avx2, &src, &kernel, true), 0);
            lxpic::avx2PathsAllowed() = was;
            EXPECT_EQ(avx2.maxDiff(plain), 0u) << "k " << k << " w " << w;
        }
    }
}

TEST(FloatKernelConvolution, InPlaceEqualsSeparatePictures)
{
    Random rnd;
    std::vector<int32_t> values(49);
    for (int32_t& v : values)
        v = rnd(-2, 9);
    const SLxKernelMatrix kernel = kernelOf(7, 7, values, 0);
    for (Form form : {kDirect, kTiled})
        for (bool stretch : {false, true}) {
            Picture src(150, 70, 12, 2), apart(150, 70, 12, 2), shared(150, 70, 12, 2);
            src.fill([&](uint32_t, uint32_t, uint32_t) { return uint32_t(rnd(0, 4095)); });
            std::memcpy(shared.pData, src.pData, src.uiSize);
            ASSERT_EQ(form(&apart, &src, &kernel, stretch), 0);
            ASSERT_EQ(form(&shared, &shared, &kernel, stretch), 0);
            EXPECT_EQ(shared.maxDiff(apart), 0u) << (form == kTiled) << " " << stretch;
        }
}
