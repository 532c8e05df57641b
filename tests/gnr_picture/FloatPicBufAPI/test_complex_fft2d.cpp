// The two-dimensional complex FFT against a naive DFT, impulses, round trips
// and its table reuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <random>
#include <utility>
#include <vector>

#include "gnr_picture/FloatPicBufAPI/LxComplexFFT2D.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

using cd = std::complex<double>;

struct Transform {
    uint32_t h, w;
    float** lines;
    int32_t* ip;
    float* tw;
    Transform(uint32_t h_, uint32_t w_) : h(h_), w(w_)
    {
        lines = lxpic::AllocFloatLines(h, 2 * w);
        ip = static_cast<int32_t*>(lxpic::AllocWords(lxpic::ComplexFFT2DIndexWords(h, w)));
        tw = static_cast<float*>(lxpic::AllocWords(lxpic::ComplexFFT2DTwiddleWords(h, w)));
    }
    ~Transform()
    {
        lxpic::FreeFloatLines(lines);
        CLxAlloc::Free(ip);
        CLxAlloc::Free(tw);
    }
    cd at(uint32_t y, uint32_t x) const { return cd(lines[y][2 * x], lines[y][2 * x + 1]); }
    void run(int sign) { lxpic::ComplexFFT2D(h, 2 * w, sign, lines, ip, tw); }
};

} // namespace

TEST(ComplexFFT2D, ImpulsesOfEightByEight)
{
    for (int sign : {1, -1}) {
        Transform t(8, 8);
        t.lines[0][0] = 1.0f;
        t.run(sign);
        for (uint32_t y = 0; y < 8; ++y)
            for (uint32_t x = 0; x < 8; ++x) {
                EXPECT_NEAR(t.at(y, x).real(), 1.0, 1e-6);
                EXPECT_NEAR(t.at(y, x).imag(), 0.0, 1e-6);
            }
    }
    Transform t(8, 8);
    t.lines[0][2] = 1.0f; // line 0, column 1
    t.run(1);
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t k = 0; k < 8; ++k) {
            EXPECT_NEAR(t.at(y, k).real(), std::cos(2 * M_PI * k / 8), 1e-6);
            EXPECT_NEAR(t.at(y, k).imag(), std::sin(2 * M_PI * k / 8), 1e-6);
        }
}

TEST(ComplexFFT2D, MatchesNaiveDftAndRoundTrips)
{
    struct Size {
        uint32_t h, w;
    } sizes[] = {{1, 1}, {1, 8}, {8, 1}, {4, 16}, {32, 8}, {16, 16}};
    for (const Size& s : sizes) {
        for (int sign : {1, -1}) {
            Transform t(s.h, s.w);
            std::mt19937 gen(s.h * 100 + s.w);
            std::uniform_real_distribution<float> dist(-10.0f, 10.0f);
            for (uint32_t y = 0; y < s.h; ++y)
                for (uint32_t x = 0; x < 2 * s.w; ++x)
                    t.lines[y][x] = dist(gen);
            std::vector<cd> in(size_t(s.h) * s.w);
            for (uint32_t y = 0; y < s.h; ++y)
                for (uint32_t x = 0; x < s.w; ++x)
                    in[size_t(y) * s.w + x] = t.at(y, x);
            t.run(sign);
            double peak = 0;
            std::vector<cd> want(in.size());
            for (uint32_t k1 = 0; k1 < s.h; ++k1)
                for (uint32_t k2 = 0; k2 < s.w; ++k2) {
                    cd sum = 0;
                    for (uint32_t j1 = 0; j1 < s.h; ++j1)
                        for (uint32_t j2 = 0; j2 < s.w; ++j2)
                            sum += in[size_t(j1) * s.w + j2] *
                                   std::polar(1.0, sign * 2 * M_PI *
                                                       (double(j1 * k1 % s.h) / s.h +
                                                        double(j2 * k2 % s.w) / s.w));
                    want[size_t(k1) * s.w + k2] = sum;
                    peak = std::max(peak, std::abs(sum));
                }
            for (uint32_t y = 0; y < s.h; ++y)
                for (uint32_t x = 0; x < s.w; ++x)
                    ASSERT_LE(std::abs(t.at(y, x) - want[size_t(y) * s.w + x]), 1e-5 * peak)
                        << s.h << "x" << s.w << " sign " << sign << " at " << y << "," << x;
            t.run(-sign);
            const double n = double(s.h) * s.w;
            for (uint32_t y = 0; y < s.h; ++y)
                for (uint32_t x = 0; x < s.w; ++x)
                    ASSERT_LE(std::abs(t.at(y, x) / n - in[size_t(y) * s.w + x]), 1e-4);
        }
    }
}

TEST(ComplexFFT2D, TableKeptForSameOrSmallerSizes)
{
    Transform t(16, 16);
    t.run(1);
    const int32_t built = t.ip[0];
    EXPECT_EQ(built, 8); // max(2H, 2W) / 4
    t.run(-1);
    EXPECT_EQ(t.ip[0], built);
    Transform small(4, 4);
    small.lines[0][0] = 1.0f;
    // Reuse the big table for a smaller transform.
    lxpic::ComplexFFT2D(4, 8, 1, small.lines, t.ip, t.tw);
    EXPECT_EQ(t.ip[0], built);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            EXPECT_NEAR(small.at(y, x).real(), 1.0, 1e-6);
}

// The column pass runs in vectors (AVX2 where the processor has it); every
// width, tails included, gives the plain loop's floats.
TEST(ComplexFFT2D, InstructionSetsGiveTheSameFloats)
{
    std::mt19937 gen(15);
    std::uniform_real_distribution<float> d(-10.0f, 10.0f);
    for (auto [h, w] : {std::pair<uint32_t, uint32_t>{8, 1}, {16, 2}, {4, 4}, {32, 64}, {64, 8}})
        for (int sign : {1, -1}) {
            std::vector<float> input(size_t(h) * w * 2);
            for (float& v : input)
                v = d(gen);
            std::vector<float> results[2];
            const bool was = lxpic::avx2PathsAllowed();
            for (int avx2 = 0; avx2 < 2; ++avx2) {
                lxpic::avx2PathsAllowed() = avx2 == 1;
                Transform t(h, w);
                for (uint32_t y = 0; y < h; ++y)
                    std::copy_n(input.data() + size_t(y) * 2 * w, 2 * w, t.lines[y]);
                t.run(sign);
                for (uint32_t y = 0; y < h; ++y)
                    results[avx2].insert(results[avx2].end(), t.lines[y], t.lines[y] + 2 * w);
            }
            lxpic::avx2PathsAllowed() = was;
            EXPECT_EQ(results[0], results[1]) << h << "x" << w << " sign " << sign;
        }
}

namespace
{

// The plain radix-2 loop on n complex numbers at pts, with the table's
// twiddles: what every line and then every column must go through.
void plainRadix2(std::vector<float*>& pts, float sgn, const float* w, uint32_t points)
{
    const uint32_t n = uint32_t(pts.size());
    for (uint32_t i = 0; i < n; ++i) {
        uint32_t j = 0;
        for (uint32_t bit = 1; bit < n; bit *= 2)
            j = j * 2 + ((i & bit) ? 1 : 0);
        if (i < j) {
            std::swap(pts[i][0], pts[j][0]);
            std::swap(pts[i][1], pts[j][1]);
        }
    }
    for (uint32_t l1 = 1; l1 < n; l1 *= 2) {
        const uint32_t stride = points / (2 * l1);
        for (uint32_t j = 0; j < l1; ++j) {
            const float ur = w[2 * j * stride], ui = sgn * w[2 * j * stride + 1];
            for (uint32_t i = j; i < n; i += 2 * l1) {
                float* p = pts[i];
                float* q = pts[i + l1];
                const float tr = ur * q[0] - ui * q[1];
                const float ti = ur * q[1] + ui * q[0];
                q[0] = p[0] - tr;
                q[1] = p[1] - ti;
                p[0] += tr;
                p[1] += ti;
            }
        }
    }
}

} // namespace

// Lines go through the column kernel turned into columns, and stages run in
// pairs: neither may change a single float of the plain loops, on either
// instruction set, for thin, wide, tall and square sizes.
TEST(ComplexFFT2D, EqualsThePlainRadix2LoopsFloatForFloat)
{
    std::mt19937 gen(34);
    std::uniform_real_distribution<float> d(-10.0f, 10.0f);
    for (auto [h, w] : {std::pair<uint32_t, uint32_t>{1, 2},
                        {2, 1},
                        {2, 2},
                        {8, 2},
                        {32, 64},
                        {64, 32},
                        {4, 256},
                        {256, 4},
                        {128, 8},
                        {32, 512},
                        {64, 64},
                        {2048, 64}})
        for (int sign : {1, -1}) {
            std::vector<float> input(size_t(h) * w * 2);
            for (float& v : input)
                v = d(gen);
            const bool was = lxpic::avx2PathsAllowed();
            for (bool avx2 : {false, true}) {
                lxpic::avx2PathsAllowed() = avx2;
                Transform t(h, w);
                for (uint32_t y = 0; y < h; ++y)
                    std::copy_n(input.data() + size_t(y) * 2 * w, 2 * w, t.lines[y]);
                t.run(sign);
                std::vector<float> want = input;
                const uint32_t points = 2 * uint32_t(t.ip[0]);
                for (uint32_t y = 0; y < h; ++y) {
                    std::vector<float*> pts;
                    for (uint32_t x = 0; x < w; ++x)
                        pts.push_back(want.data() + (size_t(y) * w + x) * 2);
                    plainRadix2(pts, sign >= 0 ? 1.0f : -1.0f, t.tw, points);
                }
                for (uint32_t x = 0; x < w; ++x) {
                    std::vector<float*> pts;
                    for (uint32_t y = 0; y < h; ++y)
                        pts.push_back(want.data() + (size_t(y) * w + x) * 2);
                    plainRadix2(pts, sign >= 0 ? 1.0f : -1.0f, t.tw, points);
                }
                for (uint32_t y = 0; y < h; ++y)
                    for (uint32_t x = 0; x < 2 * w; ++x)
                        ASSERT_EQ(t.lines[y][x], want[size_t(y) * 2 * w + x])
                            << h << "x" << w << " sign " << sign << " avx2 " << avx2 << " at " << y
                            << "," << x;
            }
            lxpic::avx2PathsAllowed() = was;
        }
}

namespace
{

// Doubles every value it is handed (exact in float) and counts them.
struct Doubling {
    size_t seen = 0;
    static void run(void* context, float* const* rows, uint32_t h, uint32_t, uint32_t count)
    {
        auto* self = static_cast<Doubling*>(context);
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t k = 0; k < count; ++k)
                rows[y][k] *= 2.0f;
        self->seen += size_t(h) * count;
    }
};

} // namespace

// Work handed the transformed bands sees every value once, whether the
// columns go through bands of scratch (long columns) or stay in place.
TEST(ComplexFFT2D, TransformedBandsSeeEveryValueOnce)
{
    std::mt19937 gen(8);
    std::uniform_real_distribution<float> d(-10.0f, 10.0f);
    for (auto [h, w] : {std::pair<uint32_t, uint32_t>{8, 8}, {1, 16}, {2048, 64}, {4096, 4}})
        for (int sign : {1, -1}) {
            Transform plain(h, w), handed(h, w);
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < 2 * w; ++x)
                    plain.lines[y][x] = handed.lines[y][x] = d(gen);
            plain.run(sign);
            Doubling doubling;
            lxpic::ComplexFFT2D(h, 2 * w, sign, handed.lines, handed.ip, handed.tw,
                                lxpic::TransformedBands{&Doubling::run, &doubling});
            EXPECT_EQ(doubling.seen, size_t(h) * 2 * w) << h << "x" << w;
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < 2 * w; ++x)
                    ASSERT_EQ(handed.lines[y][x], 2.0f * plain.lines[y][x])
                        << h << "x" << w << " sign " << sign << " at " << y << "," << x;
        }
}

namespace
{

// Makes line y from a stored picture and records the order asked.
struct StoredLines {
    const std::vector<float>* values;
    uint32_t lineFloats;
    std::vector<uint32_t> asked;
    static void make(void* context, uint32_t y, float* line)
    {
        auto* self = static_cast<StoredLines*>(context);
        self->asked.push_back(y);
        std::copy_n(self->values->data() + size_t(y) * self->lineFloats, self->lineFloats, line);
    }
    static void nothing(void*, float* const*, uint32_t, uint32_t, uint32_t) {}
};

} // namespace

// Lines made as the transform first needs them give the transform of the
// same lines filled beforehand, each made once and in order, whatever the
// lines held before.
TEST(ComplexFFT2D, MadeLinesEqualLinesFilledBefore)
{
    std::mt19937 gen(12);
    std::uniform_real_distribution<float> d(-10.0f, 10.0f);
    for (auto [h, w] : {std::pair<uint32_t, uint32_t>{8, 8}, {16, 1}, {64, 32}, {2048, 64}})
        for (int sign : {1, -1}) {
            std::vector<float> values(size_t(h) * 2 * w);
            for (float& v : values)
                v = d(gen);
            Transform filled(h, w), made(h, w);
            for (uint32_t y = 0; y < h; ++y) {
                std::copy_n(values.data() + size_t(y) * 2 * w, 2 * w, filled.lines[y]);
                std::fill_n(made.lines[y], 2 * w, 99.0f);
            }
            filled.run(sign);
            StoredLines source{&values, 2 * w, {}};
            lxpic::ComplexFFT2D(h, 2 * w, sign, made.lines, made.ip, made.tw,
                                lxpic::LineSource{&StoredLines::make, &source},
                                lxpic::TransformedBands{&StoredLines::nothing, nullptr});
            ASSERT_EQ(source.asked.size(), size_t(h)) << h << "x" << w;
            for (uint32_t y = 0; y < h; ++y)
                ASSERT_EQ(source.asked[y], y);
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < 2 * w; ++x)
                    ASSERT_EQ(made.lines[y][x], filled.lines[y][x])
                        << h << "x" << w << " sign " << sign << " at " << y << "," << x;
        }
}
