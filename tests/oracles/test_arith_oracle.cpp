// The arithmetic, one-bit and correlation dispatchers against OpenCV on random
// 8-, 12- and 16-bit pictures with padded lines. Depths between 9 and 15 bits
// are OpenCV's 16-bit results limited by cv::min to 2^bits - 1.
#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cstdint>
#include <string>
#include <vector>

#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

using API = CLxPicMemAPI;

constexpr int kRows = 23, kCols = 37;

struct Format {
    int channels;
    uint32_t bits;
    int depth() const { return bits == 8 ? CV_8U : CV_16U; }
    int type() const { return CV_MAKETYPE(depth(), channels); }
    double max() const { return double((1u << bits) - 1); }
    std::string name() const { return std::to_string(channels) + "x" + std::to_string(bits); }
};

const Format kFormats[] = {{1, 8}, {3, 8}, {4, 8}, {2, 8}, {1, 12}, {3, 12}, {1, 16}, {3, 16}};

// A picture inside a wider one, so that its lines are padded.
cv::Mat padded(const Format& f, cv::RNG& rng, int padding = 5)
{
    cv::Mat wide(kRows, kCols + padding, f.type(), cv::Scalar::all(0xA5));
    cv::Mat pic = wide(cv::Rect(0, 0, kCols, kRows));
    rng.fill(pic, cv::RNG::UNIFORM, 0, f.max() + 1);
    return pic;
}

uint32_t pitch(const cv::Mat& m)
{
    return uint32_t(m.step[0]);
}

uint32_t count(const cv::Mat& m)
{
    return uint32_t(m.rows * m.cols);
}

void limit(cv::Mat& m, const Format& f)
{
    if (f.bits != 8 && f.bits != 16)
        cv::min(m, cv::Scalar::all(f.max()), m);
}

void expectEqual(const cv::Mat& actual, const cv::Mat& expected, const std::string& what)
{
    cv::Mat diff;
    cv::absdiff(actual, expected, diff);
    EXPECT_EQ(cv::countNonZero(diff.reshape(1)), 0) << what;
}

using ZipCall = int (*)(void*, uint32_t, const void*, uint32_t, const void*, uint32_t, uint32_t,
                        uint32_t, uint32_t, uint32_t);

TEST(ArithOracle, TwoPictureFamiliesMatchOpenCv)
{
    cv::RNG rng(21);
    struct Op {
        const char* name;
        ZipCall call;
        void (*oracle)(const cv::Mat&, const cv::Mat&, cv::Mat&);
    } ops[] = {
        {"add", API::AddAndClip,
         [](const cv::Mat& a, const cv::Mat& b, cv::Mat& d) { cv::add(a, b, d); }},
        {"subtract", API::SubAndClip,
         [](const cv::Mat& a, const cv::Mat& b, cv::Mat& d) { cv::subtract(a, b, d); }},
        {"max", API::Max, [](const cv::Mat& a, const cv::Mat& b, cv::Mat& d) { cv::max(a, b, d); }},
        {"min", API::Min, [](const cv::Mat& a, const cv::Mat& b, cv::Mat& d) { cv::min(a, b, d); }},
    };
    for (const Format& f : kFormats)
        for (const Op& op : ops) {
            const cv::Mat a = padded(f, rng), b = padded(f, rng, 3);
            cv::Mat ours = padded(f, rng, 7), expected;
            op.oracle(a, b, expected);
            limit(expected, f);
            ASSERT_EQ(op.call(ours.data, pitch(ours), a.data, pitch(a), b.data, pitch(b),
                              uint32_t(f.channels), f.bits, kCols, count(ours)),
                      0);
            expectEqual(ours, expected, std::string(op.name) + " " + f.name());
        }
}

TEST(ArithOracle, ConstantsMatchOpenCvScalars)
{
    cv::RNG rng(22);
    const int32_t constants[4] = {37, -12, 300, -4000};
    for (const Format& f : kFormats) {
        const cv::Scalar k(constants[0], constants[1], constants[2], constants[3]);
        const cv::Mat a = padded(f, rng), b = padded(f, rng, 2);
        cv::Mat sum, difference;
        cv::add(a, k, sum);
        cv::subtract(a, k, difference);
        limit(sum, f);
        limit(difference, f);
        cv::Mat ours = padded(f, rng, 1);
        ASSERT_EQ(API::AddConstAndClip(ours.data, pitch(ours), a.data, pitch(a), constants,
                                       uint32_t(f.channels), f.bits, kCols, count(ours)),
                  0);
        expectEqual(ours, sum, "add scalar " + f.name());
        ASSERT_EQ(API::SubConstAndClip(ours.data, pitch(ours), a.data, pitch(a), constants,
                                       uint32_t(f.channels), f.bits, kCols, count(ours)),
                  0);
        expectEqual(ours, difference, "subtract scalar " + f.name());

        // a - b + k in 32-bit integers, limited to 0..M.
        cv::Mat a32, b32, r;
        a.convertTo(a32, CV_MAKETYPE(CV_32S, f.channels));
        b.convertTo(b32, CV_MAKETYPE(CV_32S, f.channels));
        cv::add(a32 - b32, k, r);
        cv::max(r, cv::Scalar::all(0), r);
        cv::min(r, cv::Scalar::all(f.max()), r);
        cv::Mat expected;
        r.convertTo(expected, f.type());
        ASSERT_EQ(API::SubAddConstAndClip(ours.data, pitch(ours), a.data, pitch(a), b.data,
                                          pitch(b), constants, uint32_t(f.channels), f.bits, kCols,
                                          count(ours)),
                  0);
        expectEqual(ours, expected, "difference plus constant " + f.name());
    }
}

// A plane of one bit a pixel, most significant bit first, as OpenCV's byte
// mask (255 set, 0 clear).
cv::Mat planeToMask(const std::vector<uint8_t>& plane, uint32_t planeWB)
{
    cv::Mat mask(kRows, kCols, CV_8U);
    for (int y = 0; y < kRows; ++y)
        for (int x = 0; x < kCols; ++x)
            mask.at<uint8_t>(y, x) = (plane[y * planeWB + x / 8] >> (7 - x % 8)) & 1 ? 255 : 0;
    return mask;
}

constexpr uint32_t kPlaneWB = (kCols + 7) / 8 + 2;

TEST(ArithOracle, ThresholdMatchesInRange)
{
    cv::RNG rng(23);
    for (const Format& f : kFormats) {
        const cv::Mat a = padded(f, rng);
        std::vector<uint16_t> low(f.channels), high(f.channels);
        cv::Scalar lo, hi;
        for (int c = 0; c < f.channels; ++c) {
            low[c] = uint16_t(f.max() * (0.1 + 0.1 * c));
            high[c] = uint16_t(f.max() * (0.8 - 0.05 * c));
            lo[c] = low[c];
            hi[c] = high[c];
        }
        std::vector<uint8_t> lowBytes(low.begin(), low.end()), highBytes(high.begin(), high.end());
        const void* lowArg = f.bits == 8 ? static_cast<const void*>(lowBytes.data()) : low.data();
        const void* highArg =
            f.bits == 8 ? static_cast<const void*>(highBytes.data()) : high.data();

        cv::Mat inside;
        cv::inRange(a, lo, hi, inside);
        // Outside: every channel outside its own range.
        std::vector<cv::Mat> channels;
        cv::split(a, channels);
        cv::Mat outside(kRows, kCols, CV_8U, cv::Scalar(255));
        for (int c = 0; c < f.channels; ++c) {
            cv::Mat in;
            cv::inRange(channels[c], lo[c], hi[c], in);
            cv::bitwise_and(outside, ~in, outside);
        }
        for (bool in : {true, false}) {
            std::vector<uint8_t> plane(kPlaneWB * kRows, 0x33);
            ASSERT_EQ(API::ThresholdToBinary(plane.data(), 0, kPlaneWB, a.data,
                                             uint32_t(f.channels), f.bits, pitch(a), lowArg,
                                             highArg, in, kCols, count(a), 0),
                      0);
            expectEqual(planeToMask(plane, kPlaneWB), in ? inside : outside,
                        (in ? "inside " : "outside ") + f.name());
        }
    }
}

TEST(ArithOracle, PackMatchesCompare)
{
    cv::RNG rng(24);
    for (const Format& f : kFormats) {
        // Few values, so that equal pixels occur.
        cv::Mat a = padded(f, rng);
        cv::Mat small;
        a.convertTo(small, a.type(), 1.0 / (f.max() / 3.0));
        a = small;
        std::vector<uint16_t> value(f.channels, 1);
        std::vector<uint8_t> valueBytes(value.begin(), value.end());
        const void* valueArg =
            f.bits == 8 ? static_cast<const void*>(valueBytes.data()) : value.data();
        std::vector<cv::Mat> channels;
        cv::split(a, channels);
        const bool fourWords = f.channels == 4; // its not-equal differs (word compare)
        for (int mode : {cv::CMP_EQ, cv::CMP_NE, cv::CMP_GT}) {
            const uint32_t compare = mode == cv::CMP_EQ ? 0 : mode == cv::CMP_NE ? 1 : 2;
            if ((compare == 2 && (f.channels != 1 || f.bits != 8)) || (compare == 1 && fourWords))
                continue;
            cv::Mat expected(kRows, kCols, CV_8U, cv::Scalar(255));
            for (int c = 0; c < f.channels; ++c) {
                cv::Mat m;
                cv::compare(channels[c], cv::Scalar(value[c]), m, mode);
                cv::bitwise_and(expected, m, expected);
            }
            std::vector<uint8_t> plane(kPlaneWB * kRows, 0x33);
            ASSERT_EQ(API::PackToBinary(plane.data(), 0, kPlaneWB, a.data, uint32_t(f.channels),
                                        f.bits, pitch(a), valueArg, compare, kCols, count(a), 0),
                      0);
            expectEqual(planeToMask(plane, kPlaneWB), expected,
                        "compare " + std::to_string(compare) + " " + f.name());
        }
    }
}

TEST(ArithOracle, UnpackMatchesSetTo)
{
    cv::RNG rng(25);
    for (const Format& f : kFormats) {
        std::vector<uint8_t> plane(kPlaneWB * kRows);
        rng.fill(plane, cv::RNG::UNIFORM, 0, 256);
        const cv::Mat mask = planeToMask(plane, kPlaneWB);
        std::vector<uint16_t> value(f.channels);
        cv::Scalar v;
        for (int c = 0; c < f.channels; ++c)
            v[c] = value[c] = uint16_t(f.max() / (c + 2));
        std::vector<uint8_t> valueBytes(value.begin(), value.end());
        const void* valueArg =
            f.bits == 8 ? static_cast<const void*>(valueBytes.data()) : value.data();
        cv::Mat expected(kRows, kCols, f.type(), cv::Scalar::all(0));
        expected.setTo(v, mask);
        cv::Mat ours = padded(f, rng);
        ASSERT_EQ(API::UnpackFromBinary(ours.data, uint32_t(f.channels), f.bits, valueArg,
                                        pitch(ours), plane.data(), 0, kPlaneWB, kCols, count(ours),
                                        0),
                  0);
        expectEqual(ours, expected, "unpack " + f.name());
    }
}

TEST(ArithOracle, CorrelationMatchesNormedTemplateMatching)
{
    cv::RNG rng(26);
    for (const Format& f : kFormats) {
        const cv::Mat a = padded(f, rng);
        cv::Mat noise = padded(f, rng), b;
        // b = a / 2 + noise / 2: a coefficient well inside (0, 1).
        cv::addWeighted(a, 0.5, noise, 0.5, 0, b);
        std::vector<cv::Mat> ca, cb;
        cv::split(a, ca);
        cv::split(b, cb);
        double sum = 0;
        for (int c = 0; c < f.channels; ++c) {
            cv::Mat fa, fb, r;
            ca[c].convertTo(fa, CV_32F);
            cb[c].convertTo(fb, CV_32F);
            cv::matchTemplate(fa, fb, r, cv::TM_CCOEFF_NORMED);
            sum += r.at<float>(0, 0);
        }
        const double expected = std::max(0.0, sum / f.channels);
        double ours = -1;
        ASSERT_EQ(API::LinearCorrelation(a.data, pitch(a), b.data, pitch(b), uint32_t(f.channels),
                                         f.bits, kCols, count(a), ours),
                  0);
        EXPECT_NEAR(ours, expected, 1e-3) << f.name();
        EXPECT_GT(ours, 0.3);
    }
}

} // namespace
