// Known answers of the arithmetic dispatchers on single pixels: clipping at
// the maximum of the call's bits, the wrap by M, the two roundings of the
// division, the refused divisors, the transparency weights, and the checks
// that come before any write.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "gnr_picture/picmemAPI/LxArithKernels.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

using API = CLxPicMemAPI;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// One pixel of up to 6 samples of T.
template <class T> std::vector<T> px(std::initializer_list<uint64_t> v)
{
    std::vector<T> p;
    for (uint64_t s : v)
        p.push_back(T(s));
    return p;
}

// --- Two pictures ---------------------------------------------------------------

template <class T> struct ZipCase {
    const char* name;
    int (*call)(void*, uint32_t, const void*, uint32_t, const void*, uint32_t, uint32_t, uint32_t,
                uint32_t, uint32_t);
    uint32_t bits;
    uint64_t a, b, expected;
};

template <class T> void runZip(const ZipCase<T>& c)
{
    SCOPED_TRACE(c.name);
    const T a = T(c.a), b = T(c.b);
    T d = T(0x5A);
    EXPECT_EQ(c.call(&d, sizeof d, &a, sizeof a, &b, sizeof b, 1, c.bits, 1, 1), 0);
    EXPECT_EQ(uint64_t(d), c.expected);
}

TEST(TwoPictureExamples, SumsAndDifferencesClipAtTheCallsMaximum)
{
    const ZipCase<uint8_t> bytes[] = {
        {"200 + 100", API::AddAndClip, 8, 200, 100, 255},
        {"5 - 9", API::SubAndClip, 8, 5, 9, 0},
        {"max 3 3", API::Max, 8, 3, 3, 3},
        {"min 0 255", API::Min, 8, 0, 255, 0},
    };
    for (const auto& c : bytes)
        runZip(c);
    const ZipCase<uint16_t> words[] = {
        {"12-bit 4000 + 200", API::AddAndClip, 12, 4000, 200, 4095},
        {"16-bit 5 - 9", API::SubAndClip, 16, 5, 9, 0},
        {"16-bit max", API::Max, 16, 65535, 3, 65535},
    };
    for (const auto& c : words)
        runZip(c);
    const ZipCase<uint32_t> dwords[] = {
        {"3e9 + 3e9", API::AddAndClip, 32, 3000000000u, 3000000000u, 4294967295u},
        {"24-bit", API::AddAndClip, 24, (1u << 24) - 10, 20, 16777215},
        {"32-bit 5 - 9", API::SubAndClip, 32, 5, 9, 0},
        {"2^32 - 1 minus 1", API::SubAndClip, 32, 4294967295u, 1, 4294967294u},
    };
    for (const auto& c : dwords)
        runZip(c);
}

TEST(TwoPictureExamples, FiveComponentsAt24BitsMatchTheGeneralMember)
{
    // The 5x32 member against the first five samples of the Nx32 member.
    const uint32_t a[6] = {1, 16777200, 3, 4, 16777215, 6}, b[6] = {9, 100, 3, 0, 1, 2};
    uint32_t five[6] = {0}, six[6] = {0};
    ASSERT_EQ(API::AddAndClip(five, 20, a, 20, b, 20, 5, 24, 1, 1), 0);
    ASSERT_EQ(API::AddAndClip(six, 24, a, 24, b, 24, 6, 24, 1, 1), 0);
    EXPECT_EQ(std::memcmp(five, six, 20), 0);
    EXPECT_EQ(five[5], 0u);
    EXPECT_EQ(five[1], 16777215u);
}

struct SubAddCase {
    uint8_t a, b;
    int32_t constant;
    uint8_t expected;
};

TEST(TwoPictureExamples, DifferencePlusConstantIsLimitedAtBothEnds)
{
    const SubAddCase cases[] = {
        {10, 20, 5, 0},          {100, 20, 200, 255},        {255, 0, -300, 0}, {0, 255, -300, 0},
        {7, 7, 2147483647, 255}, {7, 7, -2147483647 - 1, 0}, // no overflow at the ends
    };
    for (const SubAddCase& c : cases) {
        uint8_t d = 0x5A;
        EXPECT_EQ(API::SubAddConstAndClip(&d, 1, &c.a, 1, &c.b, 1, &c.constant, 1, 8, 1, 1), 0);
        EXPECT_EQ(d, c.expected) << int(c.a) << " - " << int(c.b) << " + " << c.constant;
    }
    uint32_t d32 = 7;
    const uint32_t s32 = 9;
    const int32_t k = 1;
    EXPECT_EQ(API::SubAddConstAndClip(&d32, 4, &s32, 4, &s32, 4, &k, 1, 24, 1, 1), -2);
    EXPECT_EQ(d32, 7u);
}

struct TranspCase {
    uint32_t bits;
    double w1, w2;
    uint32_t a, b, expected;
};

TEST(TwoPictureExamples, TransparencyWeightsBecomeIntegersOnce)
{
    const TranspCase cases[] = {
        {8, 0.5, 0.5, 100, 50, 75},   // 128 x 150 / 255
        {8, 0.5, 0.5, 255, 255, 255}, // 256 limited
        {8, 1.0, 0.0, 77, 200, 77},   // a copy of source 1
        {16, 1.0, 1.0, 65535, 65535, 65535},
        {12, 0.5, 0.5, 4095, 0, 2048},
        // Negative weights: exact signed sums, limited to 0..M.
        {8, 1.0, -0.5, 200, 100, 150}, // (51000 - 12700) / 255
        {8, -1.0, 0.5, 200, 100, 0},
        // Saturated weights keep their sign and the exact sum decides.
        {8, 1e300, -1e300, 10, 5, 255},
        {8, 1e300, -1e300, 5, 10, 0},
        {16, kNaN, 1.0, 1000, 300, 300}, // NaN weighs 0
    };
    for (const TranspCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.bits) + " bits, weights " + std::to_string(c.w1) + " " +
                     std::to_string(c.w2));
        if (c.bits == 8) {
            const uint8_t a = uint8_t(c.a), b = uint8_t(c.b);
            uint8_t d = 0x5A;
            EXPECT_EQ(API::AddTranspAndClip(&d, 1, c.w1, &a, 1, c.w2, &b, 1, 1, 8, 1, 1), 0);
            EXPECT_EQ(d, c.expected);
        } else {
            const uint16_t a = uint16_t(c.a), b = uint16_t(c.b);
            uint16_t d = 0x5A;
            EXPECT_EQ(API::AddTranspAndClip(&d, 2, c.w1, &a, 2, c.w2, &b, 2, 1, c.bits, 1, 1), 0);
            EXPECT_EQ(d, c.expected);
        }
    }
}

// Byte transparency for every pair of samples: the exact signed sum of the
// integer weights divided by 255, limited to 0..255, also for weights
// beyond 1, negative ones and those on either side of 2^22; with the AVX2
// lines and with the baseline.
TEST(TwoPictureExamples, ByteTransparencyOfEveryPairOfSamples)
{
    const double weights[][2] = {{0.3, 0.7},      {0.5, 0.5},      {1.0, 1.0},
                                 {2.5, -1.0},     {-0.2, 1.3},     {0.0, 0.0},
                                 {16448.0, 1.0},  {16449.0, -1.0}, {-16448.0, 16448.0},
                                 {-16449.0, 2.0}, {1e300, -1e300}, {0.001, 0.999}};
    std::vector<uint8_t> a(256 * 256), b(256 * 256), d(256 * 256);
    for (uint32_t i = 0; i < 256 * 256; ++i) {
        a[i] = uint8_t(i % 256);
        b[i] = uint8_t(i / 256);
    }
    const auto integer = [](double weight) {
        const double v = 255.0 * weight + 0.5;
        return v >= 9.2e18 ? int64_t(9.2e18) : v <= -9.2e18 ? int64_t(-9.2e18) : int64_t(v);
    };
    for (const auto& w : weights) {
        const __int128 w1 = integer(w[0]), w2 = integer(w[1]);
        for (bool vector : {true, false}) {
            lxpic::avx2PathsAllowed() = vector;
            const int status = API::AddTranspAndClip(d.data(), 256, w[0], a.data(), 256, w[1],
                                                     b.data(), 256, 1, 8, 256, 256 * 256);
            lxpic::avx2PathsAllowed() = true;
            ASSERT_EQ(status, 0);
            uint32_t wrong = 0;
            for (uint32_t i = 0; i < 256 * 256; ++i) {
                const __int128 q = (a[i] * w1 + b[i] * w2) / 255;
                wrong += d[i] != (q < 0 ? 0 : q > 255 ? 255 : uint8_t(q));
            }
            EXPECT_EQ(wrong, 0u) << "weights " << w[0] << " " << w[1]
                                 << (vector ? "" : ", baseline");
        }
    }
}

// --- Constants ---------------------------------------------------------------------

TEST(ConstantExamples, AdditionClipsOrWraps)
{
    const int32_t ten = 10, minusTen = -10;
    uint8_t p[2] = {250, 0};
    EXPECT_EQ(API::AddConstAndClip(p, 2, p, 2, &ten, 1, 8, 2, 2), 0);
    EXPECT_EQ(px<uint8_t>({255, 10}), std::vector<uint8_t>(p, p + 2));
    uint8_t five = 5;
    EXPECT_EQ(API::AddConstAndClip(&five, 1, &five, 1, &minusTen, 1, 8, 1, 1), 0);
    EXPECT_EQ(five, 0);

    // Two components with -10 and 10: the general member limits at both ends.
    const int32_t pair[2] = {-10, 10};
    uint8_t two[2] = {5, 250};
    EXPECT_EQ(API::AddConstAndClip(two, 2, two, 2, pair, 2, 8, 1, 1), 0);
    EXPECT_EQ(px<uint8_t>({0, 255}), std::vector<uint8_t>(two, two + 2));

    // Three components wrap by M, once.
    const int32_t rotate[3] = {10, -10, 0};
    uint8_t bgr[3] = {250, 3, 7};
    EXPECT_EQ(API::AddConstRotate(bgr, 3, bgr, 3, rotate, 3, 8, 1, 1), 0);
    EXPECT_EQ(px<uint8_t>({5, 248, 7}), std::vector<uint8_t>(bgr, bgr + 3));
    uint8_t gray = 250;
    EXPECT_EQ(API::AddConstRotate(&gray, 1, &gray, 1, &ten, 1, 8, 1, 1), 0);
    EXPECT_EQ(gray, 255);

    // Subtraction of the most negative constant does not overflow.
    const int32_t lowest = std::numeric_limits<int32_t>::min();
    uint16_t w = 3;
    EXPECT_EQ(API::SubConstAndClip(&w, 2, &w, 2, &lowest, 1, 12, 1, 1), 0);
    EXPECT_EQ(w, 4095);
}

// The address the linker gave a member. Read back through a volatile so the
// compiler, which may take two declared functions to be distinct, cannot fold
// the comparison of aliases.
template <class F> void* linkedAddress(F* member)
{
    void* volatile address = reinterpret_cast<void*>(member);
    return address;
}

TEST(ConstantExamples, AddConstRotateNamesTheClippingMembersForOtherCounts)
{
    EXPECT_EQ(linkedAddress(addconstrotate_1x8), linkedAddress(addconstandclip_1x8));
    EXPECT_EQ(linkedAddress(addconstrotate_Nx16), linkedAddress(addconstandclip_Nx16));
    EXPECT_NE(linkedAddress(addconstrotate_3x8), linkedAddress(addconstandclip_3x8));
}

TEST(ConstantExamples, MultiplicationRoundsHalfUp)
{
    struct Case {
        double m;
        uint8_t in, out;
    } cases[] = {{0.5, 3, 2},  {2.0, 255, 255}, {-1.0, 200, 0},
                 {kNaN, 9, 0}, {1e300, 1, 255}, {kInf, 0, 0}}; // 0 x inf is not a number: 0
    for (const Case& c : cases) {
        for (uint32_t comps : {1u, 2u}) { // the table member and the direct member
            uint8_t p[2] = {c.in, c.in};
            const double m[2] = {c.m, c.m};
            EXPECT_EQ(API::MulConstAndClip(p, 2, p, 2, m, comps, 8, 1, 1), 0);
            EXPECT_EQ(p[0], c.out) << c.m << " x " << int(c.in) << ", comps " << comps;
        }
    }
}

TEST(ConstantExamples, DivisionRoundsByMember)
{
    // Two components: the fixed-point member, D = 12288.
    const double three[2] = {3.0, 3.0};
    uint8_t p[2] = {10, 11};
    EXPECT_EQ(API::DivConstAndClip(p, 2, p, 2, three, 2, 8, 1, 1), 0);
    EXPECT_EQ(px<uint8_t>({3, 4}), std::vector<uint8_t>(p, p + 2));
    // One component: the table, trunc(a / 3 + 0.5).
    uint8_t q[2] = {10, 11};
    EXPECT_EQ(API::DivConstAndClip(q, 2, q, 2, three, 1, 8, 2, 2), 0);
    EXPECT_EQ(px<uint8_t>({3, 4}), std::vector<uint8_t>(q, q + 2));

    // 24 bits, 5 components: the same as the first five of 6.
    const double d[6] = {3.0, 0.5, 7.25, 1.0, 1000.0, 2.0};
    const uint32_t a[6] = {10, 16777215, 100000, 5, 999999, 8};
    uint32_t five[6] = {0}, six[6] = {0};
    ASSERT_EQ(API::DivConstAndClip(five, 24, a, 24, d, 5, 24, 1, 1), 0);
    ASSERT_EQ(API::DivConstAndClip(six, 24, a, 24, d, 6, 24, 1, 1), 0);
    EXPECT_EQ(std::memcmp(five, six, 20), 0);
    EXPECT_EQ(five[1], 16777215u); // doubled, limited
    EXPECT_EQ(five[0], 3u);
    uint32_t direct[5] = {0};
    ASSERT_EQ(divconstandclip_5x32(direct, 20, a, 20, d, 5, 24, 1, 1), 0);
    EXPECT_EQ(std::memcmp(direct, five, 20), 0);
}

// The direct byte member for every sample value, over divisors that make
// quotients limited at M, small and large quotients, only zeros, and
// components whose divisors lie far apart; also at 5 bits and with more
// components than a block of lanes holds.
TEST(ConstantExamples, ByteDivisionOfEverySampleValue)
{
    const struct {
        uint32_t comps, bits;
        std::vector<double> divisors;
    } cases[] = {
        {2, 8, {3.0, 7.5}},
        {2, 8, {0.5, 100.0}},
        {2, 8, {1.0, 1.0}},
        {2, 8, {1.0 / 4096, 2.0}},
        {2, 8, {2048.0, 5000.0}},
        {5, 8, {255.0, 0.99, 1.01, 3.3, 0.26}},
        {6, 8, {3.0, 0.7, 2.5, 1.0, 17.3, 0.26}},
        {2, 5, {0.3, 1.7}},
        {70, 8, std::vector<double>(70, 1.5)},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> src(256 * c.comps), dst(256 * c.comps + 1, 0x5A);
        for (uint32_t i = 0; i < src.size(); ++i)
            src[i] = uint8_t(i / c.comps);
        const uint32_t pitch = 256 * c.comps;
        ASSERT_EQ(divconstandclip_Nx8(dst.data(), pitch, src.data(), pitch, c.divisors.data(),
                                      c.comps, c.bits, 256, 256),
                  0);
        const uint64_t max = (1u << c.bits) - 1;
        uint32_t wrong = 0;
        for (uint32_t i = 0; i < src.size(); ++i) {
            const uint64_t d = uint64_t(c.divisors[i % c.comps] * 4096.0 + 0.5);
            wrong += dst[i] != std::min<uint64_t>((src[i] * 4096ull + d / 2) / d, max);
        }
        EXPECT_EQ(wrong, 0u) << c.comps << " components, first divisor " << c.divisors[0];
        EXPECT_EQ(dst.back(), 0x5A);
    }
}

// Every member shape refuses an unsound divisor before it writes.
TEST(ConstantExamples, UnsoundDivisorsAreRefusedBeforeAnyWrite)
{
    struct Shape {
        uint32_t comps, bits;
    } shapes[] = {{1, 8}, {3, 8}, {4, 16}, {2, 8}, {6, 12}, {5, 24}, {6, 32}};
    for (double bad : {-1.0, 0.0, -0.0, kNaN, kInf, -kInf}) {
        for (const Shape& s : shapes) {
            std::vector<uint8_t> pic(4 * 6 * 3, 0x5A);
            const std::vector<uint8_t> before = pic;
            // Only the last component's divisor is bad: nothing may be written.
            double d[6] = {2.0, 2.0, 2.0, 2.0, 2.0, 2.0};
            d[s.comps - 1] = bad;
            const uint32_t pitch = 4 * 6;
            EXPECT_EQ(API::DivConstAndClip(pic.data(), pitch, pic.data(), pitch, d, s.comps, s.bits,
                                           3, 3),
                      -9)
                << bad << " comps " << s.comps << " bits " << s.bits;
            EXPECT_EQ(pic, before);
        }
    }
    // A divisor too small for the fixed point (D = 0) is refused by the
    // direct members; the table members divide by it.
    const double tiny[2] = {1e-6, 1e-6};
    uint8_t p[2] = {1, 0};
    EXPECT_EQ(API::DivConstAndClip(p, 2, p, 2, tiny, 2, 8, 1, 1), -9);
    EXPECT_EQ(API::DivConstAndClip(p, 2, p, 2, tiny, 1, 8, 2, 2), 0);
    EXPECT_EQ(px<uint8_t>({255, 0}), std::vector<uint8_t>(p, p + 2));
    // Huge divisors make every quotient 0 without overflow.
    const double huge[6] = {1e300, 1e300, 1e300, 1e300, 1e300, 1e300};
    uint32_t big[6] = {4294967295u, 1, 2, 3, 4, 5};
    EXPECT_EQ(API::DivConstAndClip(big, 24, big, 24, huge, 6, 32, 1, 1), 0);
    EXPECT_EQ(big[0], 0u);
}

TEST(ConstantExamples, BoundsAreSamplesOfThePicture)
{
    const uint16_t bounds[3] = {100, 200, 300};
    uint16_t p[3] = {150, 150, 150};
    EXPECT_EQ(API::MaxConstAndClip(p, 6, p, 6, bounds, 3, 12, 1, 1), 0);
    EXPECT_EQ(px<uint16_t>({150, 200, 300}), std::vector<uint16_t>(p, p + 3));
    const uint8_t pair[2] = {100, 10};
    uint8_t q[2] = {50, 50};
    EXPECT_EQ(API::MinConstAndClip(q, 2, q, 2, pair, 2, 8, 1, 1), 0);
    EXPECT_EQ(px<uint8_t>({50, 10}), std::vector<uint8_t>(q, q + 2));
}

TEST(ConstantExamples, PowerCurve)
{
    const double add = 0.0, mul = 1.0, pow2 = 2.0;
    uint8_t p[2] = {16, 15};
    EXPECT_EQ(API::AddMulPowConstAndClip(p, 2, p, 2, &add, &mul, &pow2, 1, 8, 2, 2), 0);
    EXPECT_EQ(px<uint8_t>({255, 225}), std::vector<uint8_t>(p, p + 2));
    // A negative base with a fractional power is not a number: 0, in the
    // table member and in the direct member.
    const double minus[2] = {-100.0, -100.0}, one[2] = {1.0, 1.0}, half[2] = {0.5, 0.5};
    for (uint32_t comps : {1u, 2u}) {
        uint8_t q[2] = {50, 50};
        EXPECT_EQ(API::AddMulPowConstAndClip(q, 2, q, 2, minus, one, half, comps, 8, 1, 1), 0);
        EXPECT_EQ(q[0], 0) << comps;
    }
}

// --- Checks before the first write -------------------------------------------------

TEST(ArithDispatch, DepthsWithoutMembersAndMissingArgumentsWriteNothing)
{
    uint32_t d[4] = {7, 7, 7, 7};
    const uint32_t s[4] = {1, 2, 3, 4};
    const int32_t k[4] = {1, 1, 1, 1};
    const double m[4] = {2, 2, 2, 2};
    // Bits 1 to 7 are no byte format here.
    EXPECT_EQ(API::AddAndClip(d, 16, s, 16, s, 16, 1, 7, 1, 1), -2);
    EXPECT_EQ(API::AddAndClip(d, 16, s, 16, s, 16, 1, 33, 1, 1), -2);
    EXPECT_EQ(API::Max(d, 16, s, 16, s, 16, 1, 24, 1, 1), -2);
    EXPECT_EQ(API::AddConstAndClip(d, 16, s, 16, k, 1, 24, 1, 1), -2);
    EXPECT_EQ(API::MulConstAndClip(d, 16, s, 16, m, 3, 4, 1, 1), -2);
    EXPECT_EQ(API::DivConstAndClip(d, 16, s, 16, m, 3, 33, 1, 1), -2);
    // Missing pictures or constants.
    EXPECT_EQ(API::AddAndClip(d, 16, nullptr, 16, s, 16, 1, 8, 1, 1), -4);
    EXPECT_EQ(API::SubAddConstAndClip(d, 16, s, 16, s, 16, nullptr, 1, 8, 1, 1), -4);
    EXPECT_EQ(API::AddConstAndClip(d, 16, s, 16, nullptr, 1, 8, 1, 1), -4);
    EXPECT_EQ(API::MaxConstAndClip(d, 16, s, 16, nullptr, 3, 8, 1, 1), -4);
    EXPECT_EQ(API::AddMulPowConstAndClip(d, 16, s, 16, m, nullptr, m, 1, 8, 1, 1), -4);
    EXPECT_EQ(addandclip_Nx8(nullptr, 16, s, 16, s, 16, 2, 8, 1, 1), -4);
    for (uint32_t v : d)
        EXPECT_EQ(v, 7u);
    // An empty window is done before anything is looked at.
    EXPECT_EQ(API::AddAndClip(nullptr, 0, nullptr, 0, nullptr, 0, 1, 99, 0, 5), 0);
    EXPECT_EQ(API::DivConstAndClip(nullptr, 0, nullptr, 0, nullptr, 1, 8, 5, 0), 0);
    EXPECT_EQ(API::AddTranspAndClip(nullptr, 0, 1, nullptr, 0, 1, nullptr, 0, 1, 8, 0, 0), 0);
    // A count short of one line: nothing to do.
    uint8_t line[4] = {1, 2, 3, 4};
    EXPECT_EQ(API::AddAndClip(line, 4, line, 4, line, 4, 1, 8, 4, 3), 0);
    EXPECT_EQ(px<uint8_t>({1, 2, 3, 4}), std::vector<uint8_t>(line, line + 4));
}

} // namespace
