// The picture-memory kernels whose work OpenCV does exactly the same way:
// mirroring, flat look-up and per-channel sums, on frames with odd widths
// and padded lines.
#include <gtest/gtest.h>

#include <opencv2/core.hpp>

#include "gnr_picture/lut/LxLut.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

// A random frame of the type whose lines are padded by 12 bytes; the view
// shares the storage's memory.
struct Frame {
    cv::Mat storage;
    cv::Mat view;
};
Frame paddedFrame(int width, int height, int type, uint64_t seed)
{
    Frame f;
    f.storage.create(height, width * int(CV_ELEM_SIZE(type)) + 12, CV_8U);
    cv::RNG rng(seed);
    rng.fill(f.storage, cv::RNG::UNIFORM, 0, 256);
    f.view = cv::Mat(height, width, type, f.storage.data, f.storage.step[0]);
    return f;
}

struct Kind {
    int type;
    uint32_t bits;
};
const Kind kKinds[] = {{CV_8UC1, 8},   {CV_8UC3, 8}, {CV_16UC1, 16},
                       {CV_16UC3, 16}, {CV_8UC4, 8}, {CV_16UC2, 16}};

TEST(PicMemOracle, FlipHorEqualsCvFlip)
{
    for (const Kind& k : kKinds) {
        for (int width : {1, 2, 17, 33, 257}) {
            const Frame frame = paddedFrame(width, 5, k.type, width * 7 + k.type);
            const cv::Mat& src = frame.view;
            // FlipHor takes one pitch for both pictures.
            const Frame out = paddedFrame(width, 5, k.type, 1);
            cv::Mat expected;
            cv::flip(src, expected, 1);
            ASSERT_EQ(CLxPicMemAPI::FlipHor(out.view.data, src.data, k.bits,
                                            uint32_t(src.channels()), uint32_t(src.step[0]),
                                            uint32_t(width), 5),
                      0);
            EXPECT_EQ(cv::norm(out.view, expected, cv::NORM_INF), 0.0)
                << k.type << " width " << width;
            Frame same = paddedFrame(width, 5, k.type, width * 7 + k.type);
            const cv::Mat& inPlace = same.view;
            ASSERT_EQ(CLxPicMemAPI::FlipHor(inPlace.data, inPlace.data, k.bits,
                                            uint32_t(src.channels()), uint32_t(inPlace.step[0]),
                                            uint32_t(width), 5),
                      0);
            EXPECT_EQ(cv::norm(inPlace, expected, cv::NORM_INF), 0.0) << k.type << " in place";
        }
    }
}

TEST(PicMemOracle, SumValuesEqualsCvSum)
{
    for (const Kind& k : {kKinds[0], kKinds[1], kKinds[2], kKinds[3], kKinds[4]}) {
        for (int width : {1, 15, 16, 17, 300}) {
            const Frame frame = paddedFrame(width, 7, k.type, width + k.type);
            const cv::Mat& src = frame.view;
            uint64_t sums[4] = {};
            ASSERT_EQ(CLxPicMemAPI::SumValues(sums, src.data, uint32_t(src.channels()), k.bits,
                                              uint32_t(src.step[0]), uint32_t(width),
                                              uint32_t(width) * 7),
                      0);
            const cv::Scalar expected = cv::sum(src);
            for (int c = 0; c < src.channels(); ++c)
                EXPECT_EQ(double(sums[c]), expected[c]) << k.type << " width " << width;
        }
    }
}

TEST(PicMemOracle, ApplyLutsEqualsCvLut)
{
    SLxLut lut;
    ASSERT_EQ(SLxLut::Alloc(&lut, 8, 1, 8, 1), 0);
    cv::Mat table(1, 256, CV_8U);
    for (int v = 0; v < 256; ++v)
        table.data[v] = static_cast<uint8_t*>(lut.pTable)[v] = uint8_t((v * 7919) >> 3);
    for (int type : {CV_8UC1, CV_8UC3}) {
        const Frame frame = paddedFrame(203, 9, type, type);
        const cv::Mat& src = frame.view;
        cv::Mat dst(src.size(), type), expected;
        cv::LUT(src, table, expected);
        ASSERT_EQ(CLxPicMemAPI::ApplyLuts(dst.data, uint32_t(dst.step[0]), src.data,
                                          uint32_t(src.step[0]), &lut, uint32_t(src.channels()), 8,
                                          203, 203 * 9),
                  0);
        EXPECT_EQ(cv::norm(dst, expected, cv::NORM_INF), 0.0) << type;
    }
    SLxLut::Free(&lut);
}

} // namespace
