// Run-length labelling and contours against OpenCV: the partition of
// cv::connectedComponents (8-connectivity) and the point sets and cycles of
// cv::findContours (RETR_EXTERNAL, CHAIN_APPROX_NONE).
#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <vector>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/RLEPicBufAPI/LxRLEPicBufAPI.h"
#include "gnr_picture/RLEPicBufAPI/rle_test_support.h"
#include "random_mask.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

struct Grey {
    Grey(uint32_t w, uint32_t h, uint32_t bits)
    {
        CLxPicBufAPI::Init(&pic);
        CLxPicBufAPI::Reinit(&pic, w, h, 0, bits, 1, true);
    }
    ~Grey() { CLxPicBufAPI::Free(&pic); }
    void set(uint32_t x, uint32_t y, uint32_t v)
    {
        uint8_t* line = static_cast<uint8_t*>(pic.pData) + size_t(y) * pic.uiWidthBytes;
        if (pic.uiBpc > 8)
            reinterpret_cast<uint16_t*>(line)[x] = uint16_t(v);
        else
            line[x] = uint8_t(v);
    }
    uint32_t at(uint32_t x, uint32_t y) const
    {
        const uint8_t* line = static_cast<const uint8_t*>(pic.pData) + size_t(y) * pic.uiWidthBytes;
        return pic.uiBpc > 8 ? reinterpret_cast<const uint16_t*>(line)[x] : line[x];
    }
    SLxPicBuf pic;
};

// Two label images describe the same partition when the map between their
// labels is one to one and background matches background.
void ExpectSamePartition(const cv::Mat& cvLabels, const Grey& ours, int w, int h)
{
    std::map<int, uint32_t> forward;
    std::map<uint32_t, int> backward;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int a = cvLabels.at<int>(y, x);
            uint32_t b = ours.at(uint32_t(x), uint32_t(y));
            ASSERT_EQ(a == 0, b == 0) << x << "," << y;
            if (a == 0)
                continue;
            auto f = forward.emplace(a, b).first;
            auto g = backward.emplace(b, a).first;
            ASSERT_EQ(f->second, b) << x << "," << y;
            ASSERT_EQ(g->second, a) << x << "," << y;
        }
}

TEST(RLELabellingOracle, PartitionsEqualConnectedComponents)
{
    std::mt19937 rng(2041);
    for (double density : {0.2, 0.5, 0.8})
        for (int w : {1, 7, 33, 257})
            for (uint32_t bits : {8u, 16u}) {
                int h = 1 + int(rng() % 60);
                cv::Mat mask = RandomMask(rng, w, h, density);
                if (w == 33)
                    mask.row(h / 2).setTo(255); // a full row
                cv::Mat labels;
                int n = cv::connectedComponents(mask, labels, 8, CV_32S);
                Grey pic(uint32_t(w), uint32_t(h), bits);
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x)
                        pic.set(uint32_t(x), uint32_t(y),
                                mask.at<uint8_t>(y, x) ? 1 + rng() % 250 : 0);
                RLEPicture rle;
                ASSERT_EQ(CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(&rle.rec, &pic.pic), 0);
                EXPECT_EQ(int(rle.rec.uiObjectCount), n - 1);
                Grey back(uint32_t(w), uint32_t(h), 16);
                ASSERT_EQ(CLxRLEPicBufAPI::ConvertRLEToPicBuf(&back.pic, &rle.rec, 0), 0);
                ExpectSamePartition(labels, back, w, h);
            }
}

using Cycle = std::vector<std::pair<int, int>>;
using PointSet = std::set<std::pair<int, int>>;

bool SameCycleUpToStartAndOrientation(const Cycle& a, const Cycle& b)
{
    if (a.size() != b.size())
        return false;
    size_t n = a.size();
    for (int dir : {1, -1})
        for (size_t s = 0; s < n; ++s) {
            bool same = true;
            for (size_t i = 0; i < n && same; ++i)
                same = a[i] == b[(s + n + dir * int64_t(i) % int64_t(n)) % n];
            if (same)
                return true;
        }
    return false;
}

// A contour with a pixel visited twice comes from a one-pixel spur or
// bridge, where the tracers may choose different but equal paths.
bool HasRepeats(const Cycle& c)
{
    PointSet seen(c.begin(), c.end());
    return seen.size() != c.size();
}

TEST(RLELabellingOracle, ContoursEqualFindContours)
{
    std::mt19937 rng(77);
    int compared = 0, sequences = 0;
    for (int round = 0; round < 60; ++round) {
        int w = 8 + int(rng() % 60), h = 8 + int(rng() % 60);
        cv::Mat mask = RandomMask(rng, w, h, 0.3 + 0.15 * (round % 3));
        Grey pic(uint32_t(w), uint32_t(h), 8);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                pic.set(uint32_t(x), uint32_t(y), mask.at<uint8_t>(y, x));
        RLEPicture rle;
        ASSERT_EQ(CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(&rle.rec, &pic.pic), 0);
        Grey back(uint32_t(w), uint32_t(h), 16);
        ASSERT_EQ(CLxRLEPicBufAPI::ConvertRLEToPicBuf(&back.pic, &rle.rec, 0), 0);
        for (const SLxRLEObject* o = CLxRLEPicBufAPI::GetNextRLEObject(&rle.rec, nullptr); o;
             o = CLxRLEPicBufAPI::GetNextRLEObject(&rle.rec, o)) {
            uint32_t id;
            std::memcpy(&id, o, 4);
            cv::Mat only(h, w, CV_8U, cv::Scalar(0));
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    if (back.at(uint32_t(x), uint32_t(y)) == id)
                        only.at<uint8_t>(y, x) = 255;
            std::vector<std::vector<cv::Point>> contours;
            cv::findContours(only, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE);
            ASSERT_EQ(contours.size(), 1u);
            Cycle theirs;
            for (const cv::Point& p : contours[0])
                theirs.emplace_back(p.x, p.y);
            SLxContour* c = CLxRLEPicBufAPI::ContourPoints(o);
            ASSERT_NE(c, nullptr);
            Cycle ours;
            for (uint32_t i = 0; i < c->uiCount; ++i)
                ours.emplace_back(c->points[i].x, c->points[i].y);
            CLxAlloc::Free(c);
            EXPECT_EQ(PointSet(ours.begin(), ours.end()), PointSet(theirs.begin(), theirs.end()))
                << "round " << round << " object " << id;
            ++compared;
            if (!HasRepeats(ours) && !HasRepeats(theirs)) {
                EXPECT_TRUE(SameCycleUpToStartAndOrientation(ours, theirs))
                    << "round " << round << " object " << id;
                ++sequences;
            }
        }
    }
    EXPECT_GT(compared, 500) << sequences;
    EXPECT_GT(sequences, 200);
}

} // namespace
