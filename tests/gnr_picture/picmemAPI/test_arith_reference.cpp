// Every elementwise arithmetic family through its dispatcher, against a plain
// reference loop: 1 to 6 components x 8, 12, 16, 24 and 32 bits, over one
// pixel, odd widths with padded pitches, 2.5 lines, and with the destination
// in the memory of the first source. Marker bytes in the padding and after
// the last line show any write outside the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "kernel_test_support.h"

namespace
{

using API = CLxPicMemAPI;
using kerneltest::TestPicture;

// Constants of the call, one a component (up to 6).
const int32_t kIntConstants[6] = {10, -7, 300, -300, 0, 65};
const int32_t kRotateConstants[6] = {40, -40, 3, 9, -5, 1};
const double kMul[6] = {0.5, 1.7, 0.0, 2.25, -1.0, 1.0};
const double kDiv[6] = {3.0, 0.7, 2.5, 1.0, 17.3, 0.26};
const double kAdd[6] = {0.0, 2.5, -3.0, 10.0, -20.0, 1.0};
const double kPow[6] = {1.0, 0.5, 1.3, 1.0, 2.0, 0.9};
const double kWeight1 = 0.3, kWeight2 = 0.9;

struct Sample {
    uint64_t a, b; // sources 1 and 2 (b unused by the constant families)
    uint32_t c;    // component
};

// The format of a call: components, bits, and what the dispatcher picks.
struct Format {
    uint32_t comps, bits;
    uint64_t max() const { return bits >= 64 ? ~0ull : (1ull << bits) - 1; }
    uint32_t bytes() const { return bits <= 8 ? 1 : bits <= 16 ? 2 : 4; }
    // Whether a member with a table answers (1, 3, 4 components at 8 and
    // 9-16 bits).
    bool tableMember() const { return bits <= 16 && (comps == 1 || comps == 3 || comps == 4); }
};

uint64_t clampTo(int64_t v, uint64_t max)
{
    return v < 0 ? 0 : uint64_t(v) > max ? max : uint64_t(v);
}

uint64_t roundClamp(double v, uint64_t max)
{
    v += 0.5;
    if (!(v > 0))
        return 0;
    return v >= double(max) ? max : uint64_t(v);
}

struct Family {
    const char* name;
    bool twoSources;
    uint32_t topBits; // deepest bits with a member
    // Calls the dispatcher.
    std::function<int(void* dst, uint32_t dstWB, const void* a, uint32_t aWB, const void* b,
                      uint32_t bWB, Format f, uint32_t width, uint32_t count)>
        call;
    // The expected sample.
    std::function<uint64_t(const Sample& s, Format f)> reference;
};

const std::vector<Family>& families()
{
    static const std::vector<Family> table = {
        {"AddAndClip", true, 32,
         [](void* d, uint32_t dW, const void* a, uint32_t aW, const void* b, uint32_t bW, Format f,
            uint32_t w,
            uint32_t n) { return API::AddAndClip(d, dW, a, aW, b, bW, f.comps, f.bits, w, n); },
         [](const Sample& s, Format f) { return std::min(s.a + s.b, f.max()); }},
        {"SubAndClip", true, 32,
         [](void* d, uint32_t dW, const void* a, uint32_t aW, const void* b, uint32_t bW, Format f,
            uint32_t w,
            uint32_t n) { return API::SubAndClip(d, dW, a, aW, b, bW, f.comps, f.bits, w, n); },
         [](const Sample& s, Format) { return s.a > s.b ? s.a - s.b : 0; }},
        {"Max", true, 16,
         [](void* d, uint32_t dW, const void* a, uint32_t aW, const void* b, uint32_t bW, Format f,
            uint32_t w,
            uint32_t n) { return API::Max(d, dW, a, aW, b, bW, f.comps, f.bits, w, n); },
         [](const Sample& s, Format) { return std::max(s.a, s.b); }},
        {"Min", true, 16,
         [](void* d, uint32_t dW, const void* a, uint32_t aW, const void* b, uint32_t bW, Format f,
            uint32_t w,
            uint32_t n) { return API::Min(d, dW, a, aW, b, bW, f.comps, f.bits, w, n); },
         [](const Sample& s, Format) { return std::min(s.a, s.b); }},
        {"SubAddConstAndClip", true, 16,
         [](void* d, uint32_t dW, const void* a, uint32_t aW, const void* b, uint32_t bW, Format f,
            uint32_t w, uint32_t n) {
             return API::SubAddConstAndClip(d, dW, a, aW, b, bW, kIntConstants, f.comps, f.bits, w,
                                            n);
         },
         [](const Sample& s, Format f) {
             return clampTo(int64_t(s.a) - int64_t(s.b) + kIntConstants[s.c], f.max());
         }},
        {"AddTranspAndClip", true, 16,
         [](void* d, uint32_t dW, const void* a, uint32_t aW, const void* b, uint32_t bW, Format f,
            uint32_t w, uint32_t n) {
             return API::AddTranspAndClip(d, dW, kWeight1, a, aW, kWeight2, b, bW, f.comps, f.bits,
                                          w, n);
         },
         [](const Sample& s, Format f) {
             const uint64_t m = f.max();
             const uint64_t w1 = uint64_t(double(m) * kWeight1 + 0.5);
             const uint64_t w2 = uint64_t(double(m) * kWeight2 + 0.5);
             return std::min((s.a * w1 + s.b * w2) / m, m);
         }},
        {"MaxConstAndClip", false, 16,
         [](void* d, uint32_t dW, const void*, uint32_t, const void* b, uint32_t bW, Format f,
            uint32_t w, uint32_t n) {
             // The constant pixel in the picture's format: 40 x (c + 1).
             static thread_local uint8_t pixel[24];
             for (uint32_t c = 0; c < f.comps; ++c) {
                 const uint32_t v = 40 * (c + 1);
                 std::memcpy(pixel + c * f.bytes(), &v, f.bytes());
             }
             return API::MaxConstAndClip(d, dW, b, bW, pixel, f.comps, f.bits, w, n);
         },
         [](const Sample& s, Format) { return std::max<uint64_t>(s.b, 40 * (s.c + 1)); }},
        {"MinConstAndClip", false, 16,
         [](void* d, uint32_t dW, const void*, uint32_t, const void* b, uint32_t bW, Format f,
            uint32_t w, uint32_t n) {
             static thread_local uint8_t pixel[24];
             for (uint32_t c = 0; c < f.comps; ++c) {
                 const uint32_t v = 40 * (c + 1);
                 std::memcpy(pixel + c * f.bytes(), &v, f.bytes());
             }
             return API::MinConstAndClip(d, dW, b, bW, pixel, f.comps, f.bits, w, n);
         },
         [](const Sample& s, Format) { return std::min<uint64_t>(s.b, 40 * (s.c + 1)); }},
        {"AddConstAndClip", false, 16,
         [](void* d, uint32_t dW, const void*, uint32_t, const void* b, uint32_t bW, Format f,
            uint32_t w, uint32_t n) {
             return API::AddConstAndClip(d, dW, b, bW, kIntConstants, f.comps, f.bits, w, n);
         },
         [](const Sample& s, Format f) {
             return clampTo(int64_t(s.b) + kIntConstants[s.c], f.max());
         }},
        {"SubConstAndClip", false, 16,
         [](void* d, uint32_t dW, const void*, uint32_t, const void* b, uint32_t bW, Format f,
            uint32_t w, uint32_t n) {
             return API::SubConstAndClip(d, dW, b, bW, kIntConstants, f.comps, f.bits, w, n);
         },
         [](const Sample& s, Format f) {
             return clampTo(int64_t(s.b) - kIntConstants[s.c], f.max());
         }},
        {"AddConstRotate", false, 16,
         [](void* d, uint32_t dW, const void*, uint32_t, const void* b, uint32_t bW, Format f,
            uint32_t w, uint32_t n) {
             return API::AddConstRotate(d, dW, b, bW, kRotateConstants, f.comps, f.bits, w, n);
         },
         [](const Sample& s, Format f) {
             const int64_t v = int64_t(s.b) + kRotateConstants[s.c], m = int64_t(f.max());
             if (f.comps != 3)
                 return clampTo(v, f.max());
             return uint64_t(v < 0 ? v + m : v > m ? v - m : v);
         }},
        {"MulConstAndClip", false, 16,
         [](void* d, uint32_t dW, const void*, uint32_t, const void* b, uint32_t bW, Format f,
            uint32_t w,
            uint32_t n) { return API::MulConstAndClip(d, dW, b, bW, kMul, f.comps, f.bits, w, n); },
         [](const Sample& s, Format f) { return roundClamp(double(s.b) * kMul[s.c], f.max()); }},
        {"DivConstAndClip", false, 32,
         [](void* d, uint32_t dW, const void*, uint32_t, const void* b, uint32_t bW, Format f,
            uint32_t w,
            uint32_t n) { return API::DivConstAndClip(d, dW, b, bW, kDiv, f.comps, f.bits, w, n); },
         [](const Sample& s, Format f) {
             if (f.tableMember())
                 return roundClamp(double(s.b) * (1.0 / kDiv[s.c]), f.max());
             const uint64_t scale = f.bits <= 8 ? 4096 : f.bits <= 16 ? 256 : 65536;
             const uint64_t d = uint64_t(kDiv[s.c] * double(scale) + 0.5);
             return std::min((s.b * scale + d / 2) / d, f.max());
         }},
        {"AddMulPowConstAndClip", false, 16,
         [](void* d, uint32_t dW, const void*, uint32_t, const void* b, uint32_t bW, Format f,
            uint32_t w, uint32_t n) {
             return API::AddMulPowConstAndClip(d, dW, b, bW, kAdd, kMul, kPow, f.comps, f.bits, w,
                                               n);
         },
         [](const Sample& s, Format f) {
             return roundClamp(std::pow((double(s.b) + kAdd[s.c]) * kMul[s.c], kPow[s.c]), f.max());
         }},
    };
    return table;
}

struct Geometry {
    uint32_t width, lines, pad, count;
};

const Geometry kGeometries[] = {
    {1, 1, 0, 1},         // one pixel
    {7, 3, 3, 7 * 2 + 3}, // odd width, padded, 2.5 lines: the half line stays
    {33, 2, 1, 66},       // odd width past the vector blocks
    {16, 2, 0, 32},       // lines that touch
};

const uint32_t kBits[] = {8, 12, 16, 24, 32};

uint64_t sampleMax(uint32_t bits)
{
    return bits >= 32 ? 0xFFFFFFFFull : (1ull << bits) - 1;
}

std::string firstDifference(const TestPicture& actual, const TestPicture& expected)
{
    const auto& a = actual.bytes();
    const auto& e = expected.bytes();
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != e[i])
            return "line " + std::to_string(i / actual.pitch()) + " byte " +
                   std::to_string(i % actual.pitch()) + ": " + std::to_string(a[i]) +
                   " instead of " + std::to_string(e[i]);
    return {};
}

class ArithReference : public ::testing::TestWithParam<Family>
{
};

// Source samples below 2^bits, with the edges 0 and M mixed in.
void fillSamples(TestPicture& pic, std::mt19937& rng, uint32_t bits)
{
    pic.fill(rng, bits);
    if (pic.width() > 2) {
        pic.put(0, 0, 0, 0);
        pic.put(1, 0, 0, uint32_t(sampleMax(bits)));
    }
}

TEST_P(ArithReference, EveryFormatMatchesThePlainLoop)
{
    const Family& family = GetParam();
    std::mt19937 rng(7);
    for (uint32_t comps = 1; comps <= 6; ++comps) {
        for (uint32_t bits : kBits) {
            const Format f{comps, bits};
            const kerneltest::PicFormat pf{comps, f.bytes()};
            for (const Geometry& g : kGeometries) {
                for (bool inPlace : {false, true}) {
                    SCOPED_TRACE(std::string(family.name) + " comps " + std::to_string(comps) +
                                 " bits " + std::to_string(bits) + " width " +
                                 std::to_string(g.width) + (inPlace ? " in place" : ""));
                    TestPicture a(pf, g.width, g.lines, g.pad + 1);
                    TestPicture b(pf, g.width, g.lines, g.pad + 2);
                    TestPicture dst(pf, g.width, g.lines, g.pad);
                    fillSamples(a, rng, bits);
                    fillSamples(b, rng, bits);
                    dst.fill(rng, bits);
                    // In place: the destination is the second source (the one
                    // the constant families read).
                    if (inPlace)
                        dst = TestPicture(b);
                    TestPicture expected = dst;
                    const bool supported = bits <= family.topBits;
                    if (supported) {
                        for (uint32_t y = 0; y < g.count / g.width; ++y)
                            for (uint32_t x = 0; x < g.width; ++x)
                                for (uint32_t c = 0; c < comps; ++c)
                                    expected.put(x, y, c,
                                                 uint32_t(family.reference(
                                                     {a.get(x, y, c), b.get(x, y, c), c}, f)));
                    }
                    const TestPicture aBefore = a, bBefore = b;
                    const int result =
                        inPlace ? family.call(dst.data(), dst.pitch(), a.data(), a.pitch(),
                                              dst.data(), dst.pitch(), f, g.width, g.count)
                                : family.call(dst.data(), dst.pitch(), a.data(), a.pitch(),
                                              b.data(), b.pitch(), f, g.width, g.count);
                    EXPECT_EQ(result, supported ? 0 : -2);
                    EXPECT_EQ(firstDifference(dst, expected), "");
                    EXPECT_EQ(firstDifference(a, aBefore), "") << "source 1 written";
                    if (!inPlace) {
                        EXPECT_EQ(firstDifference(b, bBefore), "") << "source 2 written";
                    }
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Families, ArithReference, ::testing::ValuesIn(families()),
                         [](const ::testing::TestParamInfo<Family>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
