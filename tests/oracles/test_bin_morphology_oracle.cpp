// Binary morphology against cv::erode / cv::dilate on 0/255 bytes with
// BORDER_REPLICATE, one OpenCV call per step of each element.
#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "gnr_picture/BinPicBufAPI/bin_test_support.h"

namespace
{

using API = CLxBinPicBufAPI;

// One OpenCV step: the kernel and its anchor.
struct CvStep {
    cv::Mat kernel;
    cv::Point anchor;
};

cv::Mat Ones(int rows, int cols)
{
    return cv::Mat::ones(rows, cols, CV_8U);
}

cv::Mat Cross3()
{
    return cv::getStructuringElement(cv::MORPH_CROSS, cv::Size(3, 3));
}

cv::Mat Diagonal(bool rising)
{
    cv::Mat k = cv::Mat::zeros(3, 3, CV_8U);
    for (int i = 0; i < 3; ++i)
        k.at<uint8_t>(rising ? 2 - i : i, i) = 1;
    return k;
}

enum Kind { kSquare3, kSquare2, kOct4, kOct5, kCross, kLine000, kLine045, kLine090, kLine135 };

std::vector<CvStep> Steps(Kind kind, bool flag)
{
    CvStep two{Ones(2, 2), flag ? cv::Point(1, 1) : cv::Point(0, 0)};
    CvStep centre3{Ones(3, 3), cv::Point(-1, -1)};
    CvStep cross{Cross3(), cv::Point(-1, -1)};
    switch (kind) {
    case kSquare3:
        return {centre3};
    case kSquare2:
        return {two};
    case kOct4:
        return {two, cross};
    case kOct5:
        return {centre3, cross};
    case kCross:
        return {cross};
    case kLine000:
        return {{Ones(1, 3), cv::Point(-1, -1)}};
    case kLine045:
        return {{Diagonal(true), cv::Point(-1, -1)}}; // (-1, 1), (1, -1)
    case kLine090:
        return {{Ones(3, 1), cv::Point(-1, -1)}};
    case kLine135:
        return {{Diagonal(false), cv::Point(-1, -1)}};
    }
    return {};
}

cv::Mat Passes(cv::Mat m, Kind kind, bool erode, uint32_t n, bool flag)
{
    for (uint32_t k = 0; k < n; ++k)
        for (const CvStep& s : Steps(kind, k % 2 == 0 ? flag : !flag)) {
            cv::Mat out;
            if (erode)
                cv::erode(m, out, s.kernel, s.anchor, 1, cv::BORDER_REPLICATE);
            else
                cv::dilate(m, out, s.kernel, s.anchor, 1, cv::BORDER_REPLICATE);
            m = out;
        }
    return m;
}

cv::Mat ToBytes(BinPicture& p)
{
    cv::Mat m(int(p->uiHeight), int(p->uiWidth), CV_8U);
    for (uint32_t y = 0; y < p->uiHeight; ++y)
        for (uint32_t x = 0; x < p->uiWidth; ++x)
            m.at<uint8_t>(int(y), int(x)) = p.at(x, y) ? 255 : 0;
    return m;
}

using Counted = int (*)(SLxBinPicBuf*, const SLxBinPicBuf*, uint32_t, bool);
using OpenClose = int (*)(SLxBinPicBuf*, const SLxBinPicBuf*, uint32_t);

struct Member {
    const char* name;
    Kind kind;
    bool hasFlag;
    Counted erode, dilate;
    OpenClose open, close;
};

#define LX_C(F)                                                                                    \
    [](SLxBinPicBuf* d, const SLxBinPicBuf* s, uint32_t n, bool) { return API::F(d, s, n); }
#define LX_CF(F)                                                                                   \
    [](SLxBinPicBuf* d, const SLxBinPicBuf* s, uint32_t n, bool f) { return API::F(d, s, n, f); }

const Member kMembers[] = {
    {"Square3", kSquare3, false, LX_C(Erode3x3_Count), LX_C(Dilate3x3_Count), API::Open3x3_Count,
     API::Close3x3_Count},
    {"Square2", kSquare2, true, LX_CF(Erode2x2_Count), LX_CF(Dilate2x2_Count), API::Open2x2_Count,
     API::Close2x2_Count},
    {"Oct4", kOct4, true, LX_CF(Erode4x4Oct_Count), LX_CF(Dilate4x4Oct_Count),
     API::Open4x4Oct_Count, API::Close4x4Oct_Count},
    {"Oct5", kOct5, false, LX_C(Erode5x5Oct_Count), LX_C(Dilate5x5Oct_Count), API::Open5x5Oct_Count,
     API::Close5x5Oct_Count},
    {"Cross", kCross, false, LX_C(Erode3x3Cross_Count), LX_C(Dilate3x3Cross_Count),
     API::Open3x3Cross_Count, API::Close3x3Cross_Count},
    {"Line000", kLine000, false, LX_C(LinErode_000_Count), LX_C(LinDilate_000_Count),
     API::LinOpen_000_Count, API::LinClose_000_Count},
    {"Line045", kLine045, false, LX_C(LinErode_045_Count), LX_C(LinDilate_045_Count),
     API::LinOpen_045_Count, API::LinClose_045_Count},
    {"Line090", kLine090, false, LX_C(LinErode_090_Count), LX_C(LinDilate_090_Count),
     API::LinOpen_090_Count, API::LinClose_090_Count},
    {"Line135", kLine135, false, LX_C(LinErode_135_Count), LX_C(LinDilate_135_Count),
     API::LinOpen_135_Count, API::LinClose_135_Count},
};

uint32_t CapOf(Kind kind, uint32_t w, uint32_t h)
{
    uint32_t larger = std::max(w, h);
    switch (kind) {
    case kSquare3:
    case kSquare2:
        return larger;
    case kLine000:
        return w / 2;
    case kLine090:
        return h / 2;
    default:
        return larger / 2;
    }
}

class BinMorphOracle : public ::testing::TestWithParam<Member>
{
};

TEST_P(BinMorphOracle, EveryCountFormOpeningAndClosing)
{
    const Member& m = GetParam();
    std::mt19937 rng(5);
    for (uint32_t w : {1u, 7u, 33u, 100u, 257u})
        for (uint32_t h : {1u, 5u, 24u}) {
            BinPicture src(w, h);
            src.randomise(rng, w % 2 ? 0.7 : 0.4);
            cv::Mat bytes = ToBytes(src);
            uint32_t cap = CapOf(m.kind, w, h);
            std::vector<uint32_t> counts = {1, 2, 3, 4, 5, 6};
            if (cap < 40)
                counts.push_back(cap + 3);
            for (uint32_t count : counts)
                for (int erode = 0; erode < 2; ++erode)
                    for (bool flag : {false, true}) {
                        if (flag && !m.hasFlag)
                            continue;
                        BinPicture dst(w, h);
                        ASSERT_EQ((erode ? m.erode : m.dilate)(dst.get(), src.get(), count, flag),
                                  0);
                        uint32_t n = std::min(count, cap);
                        // n = 0 leaves the (cleared) destination.
                        cv::Mat want = n == 0 ? cv::Mat::zeros(int(h), int(w), CV_8U)
                                              : Passes(bytes, m.kind, erode, n, flag);
                        ASSERT_EQ(cv::countNonZero(want != ToBytes(dst)), 0)
                            << m.name << " " << w << "x" << h << " count " << count << " erode "
                            << erode << " flag " << flag;
                    }
            uint32_t capOC = std::max(w, h) / 2;
            for (uint32_t count : {1u, 2u, 4u})
                for (int open = 0; open < 2; ++open) {
                    BinPicture dst(w, h);
                    ASSERT_EQ((open ? m.open : m.close)(dst.get(), src.get(), count), 0);
                    uint32_t n = std::min(count, capOC);
                    cv::Mat want = n == 0 ? cv::Mat::zeros(int(h), int(w), CV_8U)
                                          : Passes(Passes(bytes, m.kind, open, n, open), m.kind,
                                                   !open, n, !open);
                    ASSERT_EQ(cv::countNonZero(want != ToBytes(dst)), 0)
                        << m.name << " " << w << "x" << h << " count " << count << " open " << open;
                }
        }
}

INSTANTIATE_TEST_SUITE_P(Elements, BinMorphOracle, ::testing::ValuesIn(kMembers),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
