// Unpacking, packing and thresholding one-bit planes: every member against a
// bit-by-bit reference over start bits 0 to 7 (and 11 through the
// dispatcher), widths 1 to 17 and every mode, with random plane bytes so
// that any bit changed outside the call shows; then the known cases.
#include <gtest/gtest.h>

#include <pthread.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "gnr_picture/picmemAPI/LxBinaryKernels.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "kernel_test_support.h"

namespace
{

using API = CLxPicMemAPI;
using kerneltest::TestPicture;

constexpr uint32_t kLines = 2;
constexpr uint32_t kPlaneWB = 5; // 40 bits a line: start 11 + width 17 fits

bool bitAt(const std::vector<uint8_t>& plane, uint32_t y, uint32_t bit)
{
    return (plane[y * kPlaneWB + bit / 8] >> (7 - bit % 8)) & 1;
}

void setBit(std::vector<uint8_t>& plane, uint32_t y, uint32_t bit, bool on)
{
    uint8_t& byte = plane[y * kPlaneWB + bit / 8];
    const uint8_t mask = uint8_t(0x80 >> (bit % 8));
    byte = on ? uint8_t(byte | mask) : uint8_t(byte & ~mask);
}

struct Format {
    uint32_t comps, bits;
    uint32_t bytes() const { return bits == 8 ? 1 : 2; }
    // Whether a pixel fits the 64-bit value forms.
    bool fitsValue() const { return comps * bytes() <= 8; }
};

const Format kFormats[] = {{1, 8},  {2, 8},  {3, 8},  {4, 8},  {5, 8},
                           {1, 12}, {2, 16}, {3, 12}, {4, 16}, {5, 12}};

const uint32_t kStartBits[] = {0, 1, 2, 3, 4, 5, 6, 7, 11};

// Byte pictures take every start bit and width from 1 to 17; 16-bit ones,
// whose members build 64 KiB tables a call, a sample of them.
bool sampled(const Format& f, uint32_t startBit, uint32_t width)
{
    if (f.bits == 8)
        return true;
    return (startBit == 0 || startBit == 3 || startBit == 7 || startBit == 11) &&
           (width <= 3 || (width >= 7 && width <= 10) || width >= 15);
}

// Samples from a small set around the value, so that equal, greater and
// in-range pixels all occur.
void fillNear(TestPicture& pic, std::mt19937& rng, const std::vector<uint32_t>& centre)
{
    for (uint32_t y = 0; y < pic.lines(); ++y)
        for (uint32_t x = 0; x < pic.width(); ++x) {
            const bool same = rng() % 3 == 0;
            for (uint32_t c = 0; c < pic.comps(); ++c)
                pic.put(x, y, c, same ? centre[c] : centre[c] + rng() % 5 - 2);
        }
}

// Per-component samples as the value forms expect: an array of samples.
std::vector<uint8_t> asSamples(const std::vector<uint32_t>& v, uint32_t bytes)
{
    std::vector<uint8_t> out(v.size() * bytes);
    for (size_t c = 0; c < v.size(); ++c)
        std::memcpy(out.data() + c * bytes, &v[c], bytes);
    return out;
}

uint64_t packed(const std::vector<uint32_t>& v, uint32_t bytes)
{
    uint64_t out = 0;
    for (size_t c = 0; c < v.size() && 8 * bytes * c < 64; ++c)
        out |= uint64_t(v[c]) << (8 * bytes * c);
    return out;
}

bool combine(bool old, bool decided, uint32_t mode)
{
    return mode == 0 ? decided : mode == 1 ? (old || decided) : (old && decided);
}

std::vector<uint32_t> centreOf(const Format& f)
{
    std::vector<uint32_t> v;
    for (uint32_t c = 0; c < f.comps; ++c)
        v.push_back(f.bits == 8 ? 20 + 40 * c : 2000 + 300 * c);
    return v;
}

// The decision of PackToBinary for a pixel.
bool packDecision(const TestPicture& pic, uint32_t x, uint32_t y, const std::vector<uint32_t>& v,
                  uint32_t mode, const Format& f)
{
    if (f.comps == 4 && mode == 1) {
        const auto differs = [&](uint32_t c) { return pic.get(x, y, c) != v[c]; };
        if (f.bits == 8)
            return differs(0) || differs(1) || differs(2) || differs(3);
        return (differs(0) || differs(1)) && (differs(2) || differs(3));
    }
    for (uint32_t c = 0; c < f.comps; ++c) {
        const uint32_t s = pic.get(x, y, c);
        const bool pass = mode == 0 ? s == v[c] : mode == 1 ? s != v[c] : s > v[c];
        if (!pass)
            return false;
    }
    return true;
}

TEST(PackToBinary, EveryMemberMatchesTheBitByBitReference)
{
    std::mt19937 rng(11);
    for (const Format& f : kFormats) {
        const std::vector<uint32_t> value = centreOf(f);
        const uint32_t maxCompare = f.comps == 1 && f.bits == 8 ? 2 : 1;
        for (uint32_t startBit : kStartBits)
            for (uint32_t width = 1; width <= 17; ++width)
                if (sampled(f, startBit, width))
                    for (uint32_t compare = 0; compare <= maxCompare; ++compare)
                        for (uint32_t mode = 0; mode <= 2; ++mode) {
                            TestPicture src({f.comps, f.bytes()}, width, kLines, 1);
                            fillNear(src, rng, value);
                            std::vector<uint8_t> plane(kPlaneWB * kLines + 3);
                            for (uint8_t& b : plane)
                                b = uint8_t(rng());
                            std::vector<uint8_t> expected = plane;
                            for (uint32_t y = 0; y < kLines; ++y)
                                for (uint32_t x = 0; x < width; ++x)
                                    setBit(expected, y, startBit + x,
                                           combine(bitAt(plane, y, startBit + x),
                                                   packDecision(src, x, y, value, compare, f),
                                                   mode));
                            const int result =
                                f.fitsValue() && (width + startBit) % 2
                                    ? API::PackToBinary(plane.data(), startBit, kPlaneWB,
                                                        src.data(), f.comps, f.bits, src.pitch(),
                                                        packed(value, f.bytes()), compare, width,
                                                        width * kLines, mode)
                                    : API::PackToBinary(plane.data(), startBit, kPlaneWB,
                                                        src.data(), f.comps, f.bits, src.pitch(),
                                                        asSamples(value, f.bytes()).data(), compare,
                                                        width, width * kLines + width / 2, mode);
                            ASSERT_EQ(result, 0);
                            ASSERT_EQ(plane, expected)
                                << f.comps << "x" << f.bits << " start " << startBit << " width "
                                << width << " compare " << compare << " mode " << mode;
                        }
    }
}

TEST(ThresholdToBinary, EveryMemberMatchesTheBitByBitReference)
{
    std::mt19937 rng(12);
    for (const Format& f : kFormats) {
        const std::vector<uint32_t> centre = centreOf(f);
        std::vector<uint32_t> low, high;
        for (uint32_t c = 0; c < f.comps; ++c) {
            low.push_back(centre[c] - 1);
            high.push_back(centre[c] + (c == 1 ? 0 : 1));
        }
        for (uint32_t startBit : kStartBits)
            for (uint32_t width = 1; width <= 17; ++width)
                if (sampled(f, startBit, width))
                    for (bool inside : {true, false})
                        for (uint32_t mode = 0; mode <= 2; ++mode) {
                            TestPicture src({f.comps, f.bytes()}, width, kLines, 2);
                            fillNear(src, rng, centre);
                            std::vector<uint8_t> plane(kPlaneWB * kLines + 3);
                            for (uint8_t& b : plane)
                                b = uint8_t(rng());
                            std::vector<uint8_t> expected = plane;
                            for (uint32_t y = 0; y < kLines; ++y)
                                for (uint32_t x = 0; x < width; ++x) {
                                    bool decided = true;
                                    for (uint32_t c = 0; c < f.comps; ++c) {
                                        const uint32_t s = src.get(x, y, c);
                                        decided &= (low[c] <= s && s <= high[c]) == inside;
                                    }
                                    setBit(expected, y, startBit + x,
                                           combine(bitAt(plane, y, startBit + x), decided, mode));
                                }
                            const bool valueForm = f.fitsValue() && (width + startBit) % 2 == 1;
                            const std::vector<uint8_t> lo = asSamples(low, f.bytes()),
                                                       hi = asSamples(high, f.bytes());
                            const int result =
                                valueForm
                                    ? API::ThresholdToBinary(plane.data(), startBit, kPlaneWB,
                                                             src.data(), f.comps, f.bits,
                                                             src.pitch(), packed(low, f.bytes()),
                                                             packed(high, f.bytes()), inside, width,
                                                             width * kLines, mode)
                                    : API::ThresholdToBinary(plane.data(), startBit, kPlaneWB,
                                                             src.data(), f.comps, f.bits,
                                                             src.pitch(), lo.data(), hi.data(),
                                                             inside, width, width * kLines, mode);
                            ASSERT_EQ(result, 0);
                            ASSERT_EQ(plane, expected)
                                << f.comps << "x" << f.bits << " start " << startBit << " width "
                                << width << " inside " << inside << " mode " << mode;
                        }
    }
}

TEST(UnpackFromBinary, EveryMemberMatchesTheBitByBitReference)
{
    std::mt19937 rng(13);
    for (const Format& f : kFormats) {
        const std::vector<uint32_t> value = centreOf(f);
        for (uint32_t startBit : kStartBits)
            for (uint32_t width = 1; width <= 17; ++width)
                for (uint32_t mode = 0; mode <= 2; ++mode) {
                    std::vector<uint8_t> plane(kPlaneWB * kLines + 3);
                    for (uint8_t& b : plane)
                        b = uint8_t(rng());
                    TestPicture dst({f.comps, f.bytes()}, width, kLines + 1, 1);
                    dst.fill(rng, f.bits);
                    TestPicture expected = dst;
                    for (uint32_t y = 0; y < kLines; ++y)
                        for (uint32_t x = 0; x < width; ++x) {
                            const bool set = bitAt(plane, y, startBit + x);
                            for (uint32_t c = 0; c < f.comps; ++c) {
                                const uint32_t old = dst.get(x, y, c);
                                const uint32_t v = mode == 0   ? (set ? value[c] : 0)
                                                   : mode == 1 ? (set ? old | value[c] : old)
                                                               : (set ? old & value[c] : 0);
                                expected.put(x, y, c, v);
                            }
                        }
                    const std::vector<uint8_t> planeBefore = plane;
                    const int result =
                        f.fitsValue() && (width + startBit) % 2
                            ? API::UnpackFromBinary(dst.data(), f.comps, f.bits,
                                                    packed(value, f.bytes()), dst.pitch(),
                                                    plane.data(), startBit, kPlaneWB, width,
                                                    width * kLines + width - 1, mode)
                            : API::UnpackFromBinary(dst.data(), f.comps, f.bits,
                                                    asSamples(value, f.bytes()).data(), dst.pitch(),
                                                    plane.data(), startBit, kPlaneWB, width,
                                                    width * kLines, mode);
                    ASSERT_EQ(result, 0);
                    ASSERT_EQ(dst.bytes(), expected.bytes())
                        << f.comps << "x" << f.bits << " start " << startBit << " width " << width
                        << " mode " << mode;
                    ASSERT_EQ(plane, planeBefore);
                }
    }
}

// --- Known cases -------------------------------------------------------------------

TEST(OneBitExamples, StartBitsAndKeepMasks)
{
    // Start bit 11 through the dispatcher: byte 1, mask 0x10.
    uint8_t plane[3] = {0, 0, 0};
    const uint8_t one = 255;
    EXPECT_EQ(API::PackToBinary(plane, 11, 3, &one, 1, 8, 1, uint64_t(255), 0, 1, 1, 0), 0);
    EXPECT_EQ(plane[0], 0);
    EXPECT_EQ(plane[1], 0x10);
    uint8_t gray = 0;
    EXPECT_EQ(API::UnpackFromBinary(&gray, 1, 8, uint64_t(77), 1, plane, 11, 3, 1, 1, 0), 0);
    EXPECT_EQ(gray, 77);

    // Store with start bit 3 and width 2 into a full byte: 0xE0 and 0x07 stay.
    uint8_t full = 0xFF;
    const uint8_t two[2] = {1, 0};
    EXPECT_EQ(pack_1x8_to_bin(&full, 3, 1, two, 2, &one, 0, 2, 2, 0), 0);
    EXPECT_EQ(full, 0xE7);
    // Store with start bit 6 and width 10: no third byte touched.
    uint8_t three[3] = {0, 0, 0x5A};
    const uint8_t ten[10] = {255, 255, 255, 255, 255, 255, 255, 255, 255, 255};
    EXPECT_EQ(pack_1x8_to_bin(three, 6, 3, ten, 10, &one, 0, 10, 10, 0), 0);
    EXPECT_EQ(three[0], 0x03);
    EXPECT_EQ(three[1], 0xFF);
    EXPECT_EQ(three[2], 0x5A);
}

TEST(OneBitExamples, NotEqualDependsOnTheMember)
{
    uint8_t bit = 0;
    // 3 components, one equal to its value: clear.
    const uint8_t p3[3] = {1, 2, 3}, v3[3] = {9, 2, 9};
    EXPECT_EQ(API::PackToBinary(&bit, 0, 1, p3, 3, 8, 3, v3, 1, 1, 1, 0), 0);
    EXPECT_EQ(bit, 0);
    // 4 components of 8 bits, only one differs: set.
    const uint8_t p4[4] = {1, 2, 3, 4}, v4[4] = {1, 2, 3, 5};
    EXPECT_EQ(API::PackToBinary(&bit, 0, 1, p4, 4, 8, 4, v4, 1, 1, 1, 0), 0);
    EXPECT_EQ(bit, 0x80);
    // 4 components of 16 bits, only component 0 differs: clear.
    const uint16_t q4[4] = {1, 2, 3, 4}, w4[4] = {7, 2, 3, 4};
    EXPECT_EQ(API::PackToBinary(&bit, 0, 1, q4, 4, 16, 8, w4, 1, 1, 1, 0), 0);
    EXPECT_EQ(bit, 0);
    // Greater on one byte component with value 100.
    uint8_t plane = 0;
    const uint8_t samples[3] = {100, 101, 255};
    EXPECT_EQ(API::PackToBinary(&plane, 0, 1, samples, 1, 8, 3, uint64_t(100), 2, 3, 3, 0), 0);
    EXPECT_EQ(plane, 0x60);
}

TEST(OneBitExamples, ThresholdRanges)
{
    // Outside per component: 5,5,5,30 below every low bound; 5,5,5,55 not.
    const uint8_t lo[4] = {10, 10, 10, 50}, hi[4] = {20, 20, 20, 60};
    const uint8_t px[8] = {5, 5, 5, 30, 5, 5, 5, 55};
    uint8_t plane = 0;
    EXPECT_EQ(API::ThresholdToBinary(&plane, 0, 1, px, 4, 8, 8, lo, hi, false, 2, 2, 0), 0);
    EXPECT_EQ(plane, 0x80);
    // A 12-bit sample of 5000 lies outside 0..4095.
    const uint16_t deep[2] = {5000, 4095};
    EXPECT_EQ(API::ThresholdToBinary(&plane, 0, 1, deep, 1, 12, 4, uint64_t(0), uint64_t(4095),
                                     false, 2, 2, 0),
              0);
    EXPECT_EQ(plane, 0x80);
    // Low above high: never inside, always outside.
    const uint8_t any[2] = {0, 255};
    EXPECT_EQ(API::ThresholdToBinary(&plane, 0, 1, any, 1, 8, 2, uint64_t(200), uint64_t(100), true,
                                     2, 2, 0),
              0);
    EXPECT_EQ(plane, 0x00);
    EXPECT_EQ(API::ThresholdToBinary(&plane, 0, 1, any, 1, 8, 2, uint64_t(200), uint64_t(100),
                                     false, 2, 2, 0),
              0);
    EXPECT_EQ(plane, 0xC0);
}

TEST(OneBitExamples, UnpackValuesAreWrittenAsGiven)
{
    // A 12-bit picture takes 0xFFFF as it is.
    const uint8_t plane = 0x80;
    uint16_t deep[2] = {1, 1};
    EXPECT_EQ(API::UnpackFromBinary(deep, 1, 12, uint64_t(0xFFFF), 4, &plane, 0, 1, 2, 2, 0), 0);
    EXPECT_EQ(deep[0], 0xFFFF);
    EXPECT_EQ(deep[1], 0);
    // 8 components of 8 bits fill the 64-bit value; the ninth does not fit.
    uint8_t wide[9] = {0};
    EXPECT_EQ(API::UnpackFromBinary(wide, 8, 8, 0x0807060504030201ull, 9, &plane, 0, 1, 1, 1, 0),
              0);
    EXPECT_EQ(wide[7], 8);
    EXPECT_EQ(API::UnpackFromBinary(wide, 9, 8, uint64_t(1), 9, &plane, 0, 1, 1, 1, 0), -4);
    EXPECT_EQ(API::PackToBinary(wide, 0, 1, wide, 5, 12, 10, uint64_t(1), 0, 1, 1, 0), -4);
    EXPECT_EQ(API::ThresholdToBinary(wide, 0, 1, wide, 5, 16, 10, uint64_t(0), uint64_t(1), true, 1,
                                     1, 0),
              -4);
}

// Every one of the 256 plane bytes unpacked into single bytes in every mode,
// on whole bytes of a line and on the same bytes reached from start bit 3;
// with the AVX2 lines and with the baseline.
TEST(OneBitExamples, EveryPlaneByteUnpacksIntoBytes)
{
    constexpr uint32_t width = 8 * 256;
    std::vector<uint8_t> plane(width / 8 + 1);
    for (uint32_t i = 0; i < 256; ++i)
        plane[i] = uint8_t(i * 167 + 13); // every byte once, in a scattered order
    std::mt19937 rng(29);
    for (bool vector : {true, false})
        for (uint32_t startBit : {0u, 3u})
            for (uint32_t mode = 0; mode <= 2; ++mode) {
                TestPicture dst({1, 1}, width, 1, 3);
                dst.fill(rng, 8);
                TestPicture expected = dst;
                for (uint32_t x = 0; x + startBit < width; ++x) {
                    const uint32_t bit = startBit + x;
                    const bool set = (plane[bit / 8] >> (7 - bit % 8)) & 1;
                    const uint32_t old = dst.get(x, 0, 0);
                    expected.put(x, 0, 0,
                                 mode == 0   ? (set ? 0xA5 : 0)
                                 : mode == 1 ? (set ? old | 0xA5 : old)
                                             : (set ? old & 0xA5 : 0));
                }
                lxpic::avx2PathsAllowed() = vector;
                const int status = API::UnpackFromBinary(dst.data(), 1, 8, uint64_t(0xA5),
                                                         dst.pitch(), plane.data(), startBit, 0,
                                                         width - startBit, width - startBit, mode);
                lxpic::avx2PathsAllowed() = true;
                ASSERT_EQ(status, 0);
                EXPECT_EQ(dst.bytes(), expected.bytes())
                    << "start " << startBit << " mode " << mode << (vector ? "" : ", baseline");
            }
}

// One byte component decided by each compare mode and by inside and outside
// ranges at the ends of the sample range, in every combine mode: every
// sample value decides as the plain comparison; with the AVX2 lines and
// with the baseline.
TEST(OneBitExamples, ByteDecisionsAtTheEndsOfTheRange)
{
    struct Decision {
        uint32_t compare; // 0..2 packs by comparison to lo, 3 thresholds
        uint32_t lo, hi;  // compare value, or the range
        bool inside;
    };
    std::vector<Decision> decisions;
    for (uint32_t value : {0u, 1u, 128u, 254u, 255u})
        for (uint32_t compare = 0; compare <= 2; ++compare)
            decisions.push_back({compare, value, 0, true});
    for (const auto& range : {std::pair{10u, 20u}, {0u, 255u}, {200u, 100u}, {255u, 255u}})
        for (bool inside : {true, false})
            decisions.push_back({3, range.first, range.second, inside});
    std::vector<uint8_t> samples(256);
    for (uint32_t v = 0; v < 256; ++v)
        samples[v] = uint8_t(v);
    for (bool vector : {true, false})
        for (const Decision& d : decisions)
            for (uint32_t combineMode = 0; combineMode <= 2; ++combineMode)
                for (uint32_t startBit : {0u, 5u}) {
                    std::vector<uint8_t> plane(33, 0x5A);
                    std::vector<uint8_t> expected = plane;
                    for (uint32_t v = 0; v < 256; ++v) {
                        const bool in = v >= d.lo && v <= d.hi;
                        const bool pass = d.compare == 0   ? v == d.lo
                                          : d.compare == 1 ? v != d.lo
                                          : d.compare == 2 ? v > d.lo
                                                           : in == d.inside;
                        const uint32_t bit = startBit + v;
                        const uint8_t mask = uint8_t(0x80 >> (bit % 8));
                        const bool old = expected[bit / 8] & mask;
                        expected[bit / 8] = combine(old, pass, combineMode)
                                                ? uint8_t(expected[bit / 8] | mask)
                                                : uint8_t(expected[bit / 8] & ~mask);
                    }
                    lxpic::avx2PathsAllowed() = vector;
                    const int status =
                        d.compare < 3
                            ? API::PackToBinary(plane.data(), startBit, 0, samples.data(), 1, 8,
                                                256, uint64_t(d.lo), d.compare, 256, 256,
                                                combineMode)
                            : API::ThresholdToBinary(plane.data(), startBit, 0, samples.data(), 1,
                                                     8, 256, uint64_t(d.lo), uint64_t(d.hi),
                                                     d.inside, 256, 256, combineMode);
                    lxpic::avx2PathsAllowed() = true;
                    ASSERT_EQ(status, 0);
                    EXPECT_EQ(plane, expected)
                        << "compare " << d.compare << " " << d.lo << ".." << d.hi
                        << (d.inside ? " inside" : " outside") << ", combine " << combineMode
                        << ", start " << startBit << (vector ? "" : ", baseline");
                }
}

// Three byte components thresholded on lines long enough for the AVX2
// lines (32 pixels a step) and a tail, from several start bits, in every
// combine mode, inside and outside, with bounds at the ends of the sample
// range and empty ones; with the AVX2 lines and with the baseline.
TEST(OneBitExamples, ThreeByteRangesOnWideLines)
{
    struct Bounds {
        uint8_t lo[3], hi[3];
    };
    const Bounds bounds[] = {{{60, 0, 100}, {200, 255, 180}},
                             {{0, 128, 255}, {127, 255, 255}},
                             {{200, 0, 7}, {100, 255, 7}}};
    constexpr uint32_t kWidth = 3 * 32 + 13, kRows = 3, kPitch = 3 * kWidth + 5, kWB = 16;
    std::mt19937 rng(31);
    // Half the samples at a bound or next to it, so that every test decides.
    const uint8_t nearBounds[] = {0, 1, 6, 7, 8, 59, 60, 99, 100, 127, 128, 200, 201, 254, 255};
    std::vector<uint8_t> src(kPitch * kRows);
    for (uint8_t& s : src)
        s = rng() % 2 ? uint8_t(rng()) : nearBounds[rng() % sizeof nearBounds];
    for (bool vector : {true, false})
        for (const Bounds& k : bounds)
            for (bool inside : {true, false})
                for (uint32_t mode = 0; mode <= 2; ++mode)
                    for (uint32_t startBit : {0u, 3u, 8u}) {
                        std::vector<uint8_t> plane(kWB * kRows);
                        for (uint8_t& b : plane)
                            b = uint8_t(rng());
                        std::vector<uint8_t> expected = plane;
                        const uint32_t width = kWidth - startBit % 8;
                        for (uint32_t y = 0; y < kRows; ++y)
                            for (uint32_t x = 0; x < width; ++x) {
                                bool decided = true;
                                for (uint32_t c = 0; c < 3; ++c) {
                                    const uint8_t s = src[y * kPitch + 3 * x + c];
                                    decided &= (k.lo[c] <= s && s <= k.hi[c]) == inside;
                                }
                                const uint32_t bit = startBit + x;
                                uint8_t& byte = expected[y * kWB + bit / 8];
                                const uint8_t mask = uint8_t(0x80 >> (bit % 8));
                                byte = combine(byte & mask, decided, mode) ? uint8_t(byte | mask)
                                                                           : uint8_t(byte & ~mask);
                            }
                        lxpic::avx2PathsAllowed() = vector;
                        const int status = API::ThresholdToBinary(
                            plane.data(), startBit, kWB, src.data(), 3, 8, kPitch, k.lo, k.hi,
                            inside, width, width * kRows, mode);
                        lxpic::avx2PathsAllowed() = true;
                        ASSERT_EQ(status, 0);
                        EXPECT_EQ(plane, expected)
                            << (inside ? "inside" : "outside") << ", combine " << mode << ", start "
                            << startBit << (vector ? "" : ", baseline");
                    }
}

// Modes and formats without a member: -2, nothing written, also without a
// whole line for the kernels.
TEST(OneBitDispatch, RefusedModesAndFormats)
{
    uint8_t plane[2] = {0x5A, 0x5A};
    uint8_t pic[4] = {1, 2, 3, 4};
    const uint8_t value[4] = {1, 2, 3, 4};
    EXPECT_EQ(API::UnpackFromBinary(pic, 1, 8, uint64_t(1), 4, plane, 0, 1, 4, 4, 3), -2);
    EXPECT_EQ(unpack_bin_to_1x8(pic, value, 4, plane, 0, 1, 4, 2, 3), -2);
    EXPECT_EQ(API::PackToBinary(plane, 0, 1, pic, 1, 8, 4, uint64_t(1), 3, 4, 4, 0), -2);
    EXPECT_EQ(API::PackToBinary(plane, 0, 1, pic, 1, 8, 4, uint64_t(1), 0, 4, 4, 3), -2);
    EXPECT_EQ(API::PackToBinary(plane, 0, 1, pic, 3, 8, 4, value, 2, 1, 1, 0), -2);
    EXPECT_EQ(API::PackToBinary(plane, 0, 1, pic, 1, 16, 4, value, 2, 1, 1, 0), -2);
    EXPECT_EQ(
        API::ThresholdToBinary(plane, 0, 1, pic, 1, 8, 4, uint64_t(0), uint64_t(9), true, 4, 4, 5),
        -2);
    EXPECT_EQ(threshold_Nx8_to_bin(plane, 0, 1, pic, 2, 4, value, value, true, 4, 1, 5), -2);
    EXPECT_EQ(API::PackToBinary(plane, 0, 1, pic, 1, 7, 4, uint64_t(1), 0, 4, 4, 0), -2);
    EXPECT_EQ(
        API::ThresholdToBinary(plane, 0, 1, pic, 1, 24, 4, uint64_t(0), uint64_t(9), true, 4, 4, 0),
        -2);
    EXPECT_EQ(API::UnpackFromBinary(pic, 2, 7, uint64_t(1), 4, plane, 0, 1, 2, 2, 0), -2);
    EXPECT_EQ(API::PackToBinary(nullptr, 0, 1, pic, 1, 8, 4, uint64_t(1), 0, 4, 4, 0), -4);
    EXPECT_EQ(API::UnpackFromBinary(pic, 1, 8, nullptr, 4, plane, 0, 1, 4, 4, 0), -4);
    EXPECT_EQ(plane[0], 0x5A);
    EXPECT_EQ(plane[1], 0x5A);
    EXPECT_EQ(pic[0], 1);
    EXPECT_EQ(pic[3], 4);
    // Empty windows first.
    EXPECT_EQ(API::PackToBinary(nullptr, 0, 0, nullptr, 1, 99, 0, uint64_t(0), 9, 0, 4, 9), 0);
}

} // namespace

namespace
{

struct SmallStackRun {
    int result = 1;
    uint8_t plane = 0;
};

// The 4-component 16-bit tables (256 KiB) must not live on the caller's stack:
// a thread of 128 KiB of stack thresholds a picture.
void* thresholdOnSmallStack(void* arg)
{
    auto* run = static_cast<SmallStackRun*>(arg);
    const uint16_t pixel[4] = {5, 6, 7, 8}, low[4] = {0, 0, 0, 0}, high[4] = {9, 9, 9, 9};
    run->result = CLxPicMemAPI::ThresholdToBinary(&run->plane, 0, 1, pixel, 4, 16, 8, low, high,
                                                  true, 1, 1, 0);
    return nullptr;
}

TEST(OneBitExamples, DecisionTablesStayOffTheStack)
{
    pthread_attr_t attr;
    ASSERT_EQ(pthread_attr_init(&attr), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attr, 128 * 1024), 0);
    SmallStackRun run;
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attr, thresholdOnSmallStack, &run), 0);
    ASSERT_EQ(pthread_join(thread, nullptr), 0);
    pthread_attr_destroy(&attr);
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.plane, 0x80);
}

} // namespace
