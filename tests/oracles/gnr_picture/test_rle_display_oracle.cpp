// Zoomed object copies and the run-length forms of 3 x 3 morphology
// against OpenCV: cv::resize (INTER_NEAREST_EXACT) of the label image for
// integer magnifications, cv::erode / cv::dilate (BORDER_REPLICATE) and the
// partition of cv::connectedComponents for the morphology.
#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cstring>
#include <map>
#include <random>

#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/RLEPicBufAPI/LxRLEPicBufAPI.h"
#include "gnr_picture/RLEPicBufAPI/rle_test_support.h"
#include "random_mask.h"

namespace
{

void FromMask(SLxRLEPicBuf* rec, const cv::Mat& mask, bool painted)
{
    SLxBinPicBuf bin;
    CLxBinPicBufAPI::Init(&bin);
    ASSERT_EQ(CLxBinPicBufAPI::Reinit(&bin, uint32_t(mask.cols), uint32_t(mask.rows), 0, true), 0);
    auto* data = static_cast<uint8_t*>(bin.pData);
    for (int y = 0; y < mask.rows; ++y)
        for (int x = 0; x < mask.cols; ++x)
            if (mask.at<uint8_t>(y, x))
                data[size_t(y) * bin.uiWidthBytes + x / 8] |= uint8_t(0x80u >> (x % 8));
    const int status = painted ? CLxRLEPicBufAPI::ConvertBinPicBufToPaintedRLE(rec, &bin)
                               : CLxRLEPicBufAPI::ConvertBinPicBufToNonPaintedRLE(rec, &bin);
    CLxBinPicBufAPI::Free(&bin);
    ASSERT_EQ(status, 0);
}

// The identifiers of a painted record as a 32-bit label image.
cv::Mat Labels(const SLxRLEPicBuf* rec)
{
    cv::Mat out(int(rec->uiHeight), int(rec->uiWidth), CV_32S, cv::Scalar(0));
    for (const SLxRLEObject* o : ObjectsOf(rec))
        for (auto [y, x, n] : RunsOf(o))
            for (uint32_t k = 0; k < n; ++k)
                out.at<int>(int(y), int(x + k)) = int(Header(o).uiID);
    return out;
}

struct MagnifyCase {
    int zoomX, zoomY;
    int offX, offY, w, h; // window in zoomed pixels
};

TEST(RLEDisplayOracle, MagnificationEqualsNearestExactResize)
{
    std::mt19937 rng(4201);
    const MagnifyCase cases[] = {{2, 2, 0, 0, 80, 60},   {2, 2, 13, 7, 40, 30},
                                 {3, 3, 50, 20, 70, 50}, {4, 2, 100, 5, 60, 40},
                                 {1, 3, 3, 40, 25, 50},  {5, 5, 190, 140, 10, 10}};
    for (const MagnifyCase& c : cases)
        for (double density : {0.3, 0.6}) {
            const int w = 40, h = 30;
            cv::Mat mask = RandomMask(rng, w, h, density);
            RLEPicture src, zoomed;
            FromMask(&src.rec, mask, true);
            const uint32_t zw = uint32_t(w * c.zoomX), zh = uint32_t(h * c.zoomY);
            ASSERT_EQ(CLxRLEPicBufAPI::StretchDisplay(&zoomed.rec, uint32_t(c.w), uint32_t(c.h), zw,
                                                      zh, uint32_t(c.offX), uint32_t(c.offY),
                                                      &src.rec),
                      0);
            cv::Mat theirs;
            cv::resize(Labels(&src.rec), theirs, cv::Size(int(zw), int(zh)), 0, 0,
                       cv::INTER_NEAREST_EXACT);
            const cv::Rect window(c.offX, c.offY, c.w, c.h);
            cv::Mat diff;
            cv::compare(Labels(&zoomed.rec)(window), theirs(window), diff, cv::CMP_NE);
            EXPECT_EQ(cv::countNonZero(diff), 0)
                << "zoom " << c.zoomX << "x" << c.zoomY << " window " << c.offX << "," << c.offY;
        }
}

using Morph = int (*)(SLxRLEPicBuf*, const SLxRLEPicBuf*, SLxRLEPicBuf*);

TEST(RLEDisplayOracle, PassThroughMorphologyEqualsOpenCV)
{
    std::mt19937 rng(4202);
    struct Case {
        const char* name;
        Morph op;
        int cvOp;
    };
    const Case cases[] = {{"Erode3x3", &CLxRLEPicBufAPI::Erode3x3, cv::MORPH_ERODE},
                          {"Dilate3x3", &CLxRLEPicBufAPI::Dilate3x3, cv::MORPH_DILATE}};
    for (const Case& c : cases)
        for (bool painted : {true, false})
            for (int round = 0; round < 6; ++round) {
                const int w = 20 + int(rng() % 90), h = 10 + int(rng() % 70);
                cv::Mat mask = RandomMask(rng, w, h, 0.35 + 0.1 * (round % 4));
                RLEPicture src(painted), dst, tmp;
                FromMask(&src.rec, mask, painted);
                // The work picture is laid out in its own size.
                ASSERT_EQ(CLxRLEPicBufAPI::Reinit(&tmp.rec, uint32_t(w), uint32_t(h)), 0);
                ASSERT_EQ(c.op(&dst.rec, &src.rec, &tmp.rec), 0) << c.name;
                cv::Mat want;
                cv::morphologyEx(mask, want, c.cvOp, cv::Mat::ones(3, 3, CV_8U), cv::Point(-1, -1),
                                 1, cv::BORDER_REPLICATE);
                cv::Mat cvLabels;
                cv::connectedComponents(want, cvLabels, 8, CV_32S);
                // Identifiers follow raster order of first pixels, as OpenCV's.
                cv::Mat diff;
                cv::compare(Labels(&dst.rec), cvLabels, diff, cv::CMP_NE);
                EXPECT_EQ(cv::countNonZero(diff), 0) << c.name << " round " << round;
                EXPECT_EQ(dst.rec.bPainted, 1);
            }
}

} // namespace
