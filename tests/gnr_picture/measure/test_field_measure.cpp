// Whole fields: every object of a binary or run-length picture, frame and
// ROI removal, the field as one region.
#include <gtest/gtest.h>

#include <random>

#include "gnr_picture/measure/measure_fixture.h"

namespace
{

// Rows of the object rows of data as (ID, ROI, tag, result).
std::vector<std::vector<uint32_t>> ObjectRows(const SLxObjectData& d)
{
    std::vector<std::vector<uint32_t>> out;
    for (uint32_t i = 0; i < d.uiCount; ++i)
        out.push_back({d.pObjects[i * 4], d.pObjects[i * 4 + 1], d.pObjects[i * 4 + 2],
                       d.pObjects[i * 4 + 3]});
    return out;
}

double Feature(const SLxObjectData& d, uint32_t row, uint32_t slot)
{
    return d.pFeatures[size_t(row) * LX_OBJECT_FEATURES + slot];
}

constexpr uint32_t kNone = UINT32_MAX;

int MeasureBinary(MeasureField& f, SLxObjectData& d, uint32_t mask, double cal = 1.0,
                  const SLxIRect* frame = nullptr, const SLxBinPicBuf* maskPic = nullptr,
                  LxContourCallback callback = nullptr, void* user = nullptr)
{
    return CLxPicMeasAPI::MeasureAllObjects(
        f.intensity.get(), f.bits.get(), maskPic != nullptr, maskPic, frame != nullptr, frame, cal,
        0, 0, 0, nullptr, 0, 0, 0, mask, &d, nullptr, nullptr, nullptr, nullptr, callback, user);
}

int MeasureRuns(MeasureField& f, SLxObjectData& d, uint32_t mask, double cal = 1.0,
                const SLxIRect* frame = nullptr,
                CLxPicMeasAPI::EFrameTouch frameMode = CLxPicMeasAPI::eFrameTouchKeep,
                SLxRLEPicBuf* rois = nullptr,
                CLxPicMeasAPI::EFrameTouch roiMode = CLxPicMeasAPI::eFrameTouchKeep,
                SLxRLEPicBuf** result = nullptr, int32_t tag = 42)
{
    return CLxPicMeasAPI::MeasureAllObjects(
        f.intensity.get(), f.objects.get(), result, tag, rois != nullptr, rois, roiMode,
        frame != nullptr, frame, frameMode, cal, 0, 0, 0, nullptr, 0, 0, 0, mask, &d, nullptr,
        nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

// ---- Binary form

TEST(MeasureAllObjectsBinary, RowsOfEveryObjectAndTwoCallsAppend)
{
    MeasureField f({"#.....", "#..##.", "...##.", ".#...."});
    SLxObjectData d;
    ASSERT_EQ(MeasureBinary(f, d, 0x1, 0.5), 1);
    ASSERT_EQ(MeasureBinary(f, d, 0x1, 0.5), 1);
    ASSERT_EQ(d.uiCount, 6u);
    const double areas[3] = {2, 4, 1};
    for (uint32_t i = 0; i < 6; ++i) {
        EXPECT_EQ(Feature(d, i, 0), areas[i % 3] * 0.25) << i;
        EXPECT_EQ(Feature(d, i, 35), 24 * 0.25) << "field area to slot 35";
        EXPECT_EQ(ObjectRows(d)[i], (std::vector<uint32_t>{i, kNone, kNone, 1}));
    }
    EXPECT_EQ(d.dFieldArea, 6.0);
    EXPECT_EQ(d.dObjectArea, 7 * 0.25);
}

TEST(MeasureAllObjectsBinary, FrameRemovesLeftAndBottomKeepsTopAndRight)
{
    // Frame columns 2-7, rows 2-7 (right and bottom exclusive at 8).
    const Rows rows = {
        "..........", //
        "....#.....", // crosses the top line: kept
        "....#.....", //
        "..........", //
        ".##....##.", // left side: removed; right side above the bottom row: kept
        "....#.....", // inside: kept
        "..........", //
        ".....#....", // meets the bottom row: removed
        ".....#....", //
        ".......#..", // right column below the frame: removed
    };
    MeasureField f(rows);
    SLxObjectData d;
    const SLxIRect frame{2, 2, 8, 8};
    struct Removed {
        int count = 0;
        unsigned result = 0;
        uint32_t points = 0;
    } removed;
    ASSERT_EQ(MeasureBinary(
                  f, d, 0x0, 1.0, &frame, nullptr,
                  [](SLxContour* c, unsigned result, double pixels, void* user) {
                      auto* r = static_cast<Removed*>(user);
                      if (result != 4)
                          return;
                      ++r->count;
                      r->result = result;
                      r->points += c ? c->uiCount : 0;
                      EXPECT_EQ(pixels, 0.0);
                  },
                  &removed),
              1);
    EXPECT_EQ(removed.count, 3);
    EXPECT_EQ(removed.points, 2u + 2u + 1u);
    ASSERT_EQ(d.uiCount, 3u);
    // Seeds in the walk over the frame's rows.
    const double seeds[3][2] = {{4, 2}, {7, 4}, {4, 5}};
    for (uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Feature(d, i, 22), seeds[i][0]) << i;
        EXPECT_EQ(Feature(d, i, 23), seeds[i][1]) << i;
    }
    EXPECT_EQ(Feature(d, 0, 0), 2.0);
}

TEST(MeasureAllObjectsBinary, MaskLimitsObjectsAndField)
{
    MeasureField f({"####", "####", "...."});
    BinPicture mask(4, 3);
    Draw(mask, {"##..", "#...", "##.."});
    SLxObjectData d;
    ASSERT_EQ(MeasureBinary(f, d, 0x0, 2.0, nullptr, mask.get()), 1);
    EXPECT_EQ(d.dFieldArea, 5 * 4.0);
    EXPECT_EQ(d.dObjectArea, 3 * 4.0);
    ASSERT_EQ(d.uiCount, 1u);
    EXPECT_EQ(Feature(d, 0, 0), 3 * 4.0);
}

TEST(MeasureAllObjectsBinary, CalZeroKeepsPixelAreas)
{
    MeasureField f({"##..", "....", "..#."});
    SLxObjectData d;
    ASSERT_EQ(MeasureBinary(f, d, 0x2, 0.0), 1);
    EXPECT_EQ(d.dFieldArea, 12.0);
    EXPECT_EQ(d.dObjectArea, 3.0);
    EXPECT_EQ(Feature(d, 0, 0), 2.0);
    EXPECT_GT(Feature(d, 0, 6), 0.0);
}

TEST(MeasureAllObjectsBinary, MoreObjectsThanSixteenBitLabels)
{
    const uint32_t side = 512;
    Rows rows(side, std::string(side, '.'));
    for (uint32_t y = 0; y < side; y += 2)
        for (uint32_t x = 0; x < side; x += 2)
            rows[y][x] = '#';
    MeasureField f(rows);
    SLxObjectData d;
    ASSERT_EQ(MeasureBinary(f, d, 0x1), 1);
    ASSERT_EQ(d.uiCount, 65536u);
    for (uint32_t i = 0; i < d.uiCount; i += 997)
        ASSERT_EQ(Feature(d, i, 1), 1.0) << i;
    EXPECT_EQ(Feature(d, 65535, 22), 510.0);
    EXPECT_EQ(ObjectRows(d)[65535][3], 1u);
}

TEST(MeasureAllObjectsBinary, BadInputMeasuresNothing)
{
    MeasureField f({"#..", "..."});
    BinPicture otherMask(5, 2);
    GreyPicture small(2, 2);
    SLxObjectData d;
    EXPECT_EQ(CLxPicMeasAPI::MeasureAllObjects(
                  nullptr, f.bits.get(), false, nullptr, false, nullptr, 1, 0, 0, 0, nullptr, 0, 0,
                  0, 0, &d, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              0);
    EXPECT_EQ(CLxPicMeasAPI::MeasureAllObjects(
                  small.get(), f.bits.get(), false, nullptr, false, nullptr, 1, 0, 0, 0, nullptr, 0,
                  0, 0, 0, &d, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              0);
    EXPECT_EQ(CLxPicMeasAPI::MeasureAllObjects(
                  f.intensity.get(), static_cast<SLxBinPicBuf*>(nullptr), false, nullptr, false,
                  nullptr, 1, 0, 0, 0, nullptr, 0, 0, 0, 0, &d, nullptr, nullptr, nullptr, nullptr,
                  nullptr, nullptr),
              0);
    EXPECT_EQ(MeasureBinary(f, d, 0, 1.0, nullptr, otherMask.get()), 0);
    EXPECT_EQ(CLxPicMeasAPI::MeasureAllObjects(f.intensity.get(), f.bits.get(), false, nullptr,
                                               false, nullptr, 1, 0, 0, 0, nullptr, 0, 0, 0, 0,
                                               nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                               nullptr),
              0);
    EXPECT_EQ(d.uiCount, 0u);
}

// ---- Run-length form

// Frame columns 2-7, rows 2-7. Objects in raster order: e (0,0), g (7,0),
// c (5,2), b (2,4), a (4,4), f (9,4), d (6,6).
const Rows kFrameField = {
    "#......#..", //
    "........#.", //
    ".....#..#.", //
    "..........", //
    "..#.#....#", //
    "..........", //
    "......#...", //
    "......#...", //
    "......#...", //
    "......#...", //
};

TEST(MeasureAllObjectsRuns, FrameModes)
{
    struct Case {
        CLxPicMeasAPI::EFrameTouch mode;
        std::vector<uint32_t> results; // by object e, g, c, b, a, f, d
    } cases[] = {
        // 0: some row inside the frame meets its columns
        {CLxPicMeasAPI::eFrameTouchKeep, {8, 8, 1, 1, 1, 8, 1}},
        // 1: touching the frame's border is out
        {CLxPicMeasAPI::eFrameTouchRemove, {8, 8, 8, 8, 1, 8, 8}},
        // 2: counting frame: the left line, and crossing the bottom line
        {CLxPicMeasAPI::eFrameTouchCountingFrame, {8, 1, 1, 8, 1, 8, 8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.mode));
        MeasureField f(kFrameField);
        const SLxIRect frame{2, 2, 8, 8};
        SLxObjectData d;
        ASSERT_EQ(MeasureRuns(f, d, 0x1, 1.0, &frame, c.mode), 1);
        ASSERT_EQ(d.uiCount, 7u);
        double kept = 0;
        for (uint32_t i = 0; i < 7; ++i) {
            const std::vector<uint32_t> row = ObjectRows(d)[i];
            EXPECT_EQ(row, (std::vector<uint32_t>{i + 1, kNone, 42, c.results[i]})) << i;
            if (c.results[i] == 8) {
                for (uint32_t s = 0; s < LX_OBJECT_FEATURES; ++s)
                    ASSERT_EQ(Feature(d, i, s), 0.0) << i << " slot " << s;
            } else {
                EXPECT_GT(Feature(d, i, 0), 0.0);
                kept += Feature(d, i, 0);
            }
        }
        EXPECT_EQ(d.dObjectArea, kept);
        EXPECT_EQ(d.dFieldArea, 36.0);
    }
}

TEST(MeasureAllObjectsRuns, StatusOfAnEarlierCallIsCleared)
{
    MeasureField f(kFrameField);
    const SLxIRect frame{2, 2, 8, 8};
    SLxObjectData d;
    MeasureRuns(f, d, 0x1, 1.0, &frame, CLxPicMeasAPI::eFrameTouchRemove);
    MeasureRuns(f, d, 0x1);
    ASSERT_EQ(d.uiCount, 14u);
    for (uint32_t i = 7; i < 14; ++i)
        EXPECT_EQ(ObjectRows(d)[i][3], 1u) << i;
}

TEST(MeasureAllObjectsRuns, CalZeroKeepsPixelAreasAndMeasuresWithOne)
{
    MeasureField f({"##..", "....", "..#."});
    SLxObjectData d;
    ASSERT_EQ(MeasureRuns(f, d, 0x1, 0.0), 1);
    EXPECT_EQ(d.dFieldArea, 12.0);
    EXPECT_EQ(d.dObjectArea, 3.0);
    EXPECT_EQ(Feature(d, 0, 0), 2.0);
    EXPECT_EQ(Feature(d, 0, 1), 2.0);
    EXPECT_EQ(Feature(d, 0, 20), 0.0);
    EXPECT_EQ(Feature(d, 1, 20), 2.0);
}

// ROI 1 covers columns 2-6 of rows 1-4; ROI 2 (hidden, status 0x40) covers
// columns 9-11 of rows 4-5. Objects: away (10,0), adjoining (7,1), inside
// (3,2), crossing (5-8,3), under the hidden ROI (10,4-5).
const Rows kObjectsForRois = {
    "..........#.", //
    ".......#....", //
    "...#........", //
    ".....####...", //
    "..........#.", //
    "..........#.", //
};
const Rows kRois = {
    "............", //
    "..#####.....", //
    "..#####.....", //
    "..#####.....", //
    "..#####..###", //
    ".........###", //
};

struct RoiPicture {
    RoiPicture()
    {
        BinPicture bits(12, 6);
        Draw(bits, kRois);
        CLxRLEPicBufAPI::ConvertBinPicBufToPaintedRLE(rois.get(), bits.get());
        SLxRLEObject* hidden = CLxRLEPicBufAPI::FindObjectByIndex(rois.get(), 1);
        hidden->uiStatus |= 0x40;
    }
    RLEPicture rois;
};

TEST(MeasureAllObjectsRuns, RoiModes)
{
    struct Case {
        CLxPicMeasAPI::EFrameTouch mode;
        std::vector<uint32_t> roi, results; // away, adjoining, inside, crossing, hidden
    } cases[] = {
        {CLxPicMeasAPI::eFrameTouchKeep, {kNone, 1, 1, 1, kNone}, {8, 1, 1, 1, 8}},
        {CLxPicMeasAPI::eFrameTouchRemove, {kNone, kNone, 1, kNone, kNone}, {8, 8, 1, 8, 8}},
        // 2 leaves every object in
        {CLxPicMeasAPI::eFrameTouchCountingFrame,
         {kNone, kNone, kNone, kNone, kNone},
         {1, 1, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.mode));
        MeasureField f(kObjectsForRois);
        RoiPicture r;
        SLxObjectData d;
        SLxRLEPicBuf* result = reinterpret_cast<SLxRLEPicBuf*>(1);
        ASSERT_EQ(MeasureRuns(f, d, 0x0, 1.0, nullptr, CLxPicMeasAPI::eFrameTouchKeep, r.rois.get(),
                              c.mode, &result, -1),
                  1);
        EXPECT_EQ(result, nullptr);
        ASSERT_EQ(d.uiCount, 5u);
        for (uint32_t i = 0; i < 5; ++i)
            EXPECT_EQ(ObjectRows(d)[i],
                      (std::vector<uint32_t>{i + 1, c.roi[i], kNone, c.results[i]}))
                << i;
        EXPECT_EQ(d.dFieldArea, 20.0) << "the visible ROI area";
    }
}

TEST(MeasureAllObjectsRuns, RoiModeThreeCutsObjectsAtTheBorders)
{
    MeasureField f(kObjectsForRois);
    RoiPicture r;
    SLxObjectData d;
    SLxRLEPicBuf* result = nullptr;
    ASSERT_EQ(MeasureRuns(f, d, 0x0, 1.0, nullptr, CLxPicMeasAPI::eFrameTouchKeep, r.rois.get(),
                          CLxPicMeasAPI::eFrameTouchCut, &result),
              1);
    ASSERT_NE(result, nullptr);
    // Inside ROIs: (3,2), (5-6,3) and (10,4-5) under the hidden ROI; outside:
    // (10,0), (7,1), (7-8,3).
    ASSERT_EQ(d.uiCount, 6u);
    ASSERT_EQ(result->uiObjectCount, 6u);
    std::vector<double> measured;
    for (uint32_t i = 0; i < d.uiCount; ++i) {
        if (ObjectRows(d)[i][3] == 1) {
            EXPECT_EQ(ObjectRows(d)[i][1], 1u);
            measured.push_back(Feature(d, i, 0));
        } else {
            EXPECT_EQ(ObjectRows(d)[i][3], 8u);
            EXPECT_EQ(Feature(d, i, 0), 0.0);
        }
    }
    EXPECT_EQ(measured, (std::vector<double>{1.0, 2.0}));
    EXPECT_EQ(d.dObjectArea, 3.0);
    CLxRLEPicBufAPI::Free(result);
    CLxAlloc::Free(result);
}

TEST(RemoveOutOfROIObjects, ArrayAndNullArguments)
{
    MeasureField f(kObjectsForRois);
    RoiPicture r;
    int32_t* roiOf = static_cast<int32_t*>(CLxAlloc::Alloc(0, sizeof(int32_t) * 5));
    for (int i = 0; i < 5; ++i)
        roiOf[i] = -7;
    CLxPicMeasAPI::RemoveOutOfROIObjects(f.objects.get(), nullptr, r.rois.get(),
                                         CLxPicMeasAPI::eFrameTouchKeep, roiOf);
    EXPECT_EQ(std::vector<int32_t>(roiOf, roiOf + 5), (std::vector<int32_t>{-7, 1, 1, 1, -7}));
    // Mode 3 without a result picture does nothing.
    SLxRLEPicBuf* none = nullptr;
    int32_t* noArray = nullptr;
    CLxPicMeasAPI::RemoveOutOfROIObjects(f.objects.get(), nullptr, r.rois.get(),
                                         CLxPicMeasAPI::eFrameTouchCut, noArray);
    CLxPicMeasAPI::RemoveOutOfROIObjects(nullptr, &none, r.rois.get(),
                                         CLxPicMeasAPI::eFrameTouchKeep, noArray);
    CLxPicMeasAPI::RemoveOutOfROIObjects(f.objects.get(), &none, nullptr,
                                         CLxPicMeasAPI::eFrameTouchKeep, noArray);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(noArray, nullptr);
    // Mode 3 makes the array anew for a result with more objects.
    SLxRLEPicBuf* cut = nullptr;
    CLxPicMeasAPI::RemoveOutOfROIObjects(f.objects.get(), &cut, r.rois.get(),
                                         CLxPicMeasAPI::eFrameTouchCut, roiOf);
    ASSERT_NE(cut, nullptr);
    ASSERT_GE(CLxAlloc::Size(roiOf), sizeof(int32_t) * cut->uiObjectCount);
    CLxRLEPicBufAPI::Free(cut);
    CLxAlloc::Free(cut);
    CLxAlloc::Free(roiOf);
}

TEST(MeasureAllObjectsRuns, BadInputMeasuresNothing)
{
    MeasureField f({"#.."});
    SLxObjectData d;
    RLEPicture unpainted(false);
    EXPECT_EQ(MeasureRuns(f, d, 0), 1);
    EXPECT_EQ(CLxPicMeasAPI::MeasureAllObjects(nullptr, f.objects.get(), nullptr, 0, false, nullptr,
                                               CLxPicMeasAPI::eFrameTouchKeep, false, nullptr,
                                               CLxPicMeasAPI::eFrameTouchKeep, 1, 0, 0, 0, nullptr,
                                               0, 0, 0, 0, &d, nullptr, nullptr, nullptr, nullptr,
                                               nullptr, nullptr, nullptr, nullptr),
              0);
    EXPECT_EQ(CLxPicMeasAPI::MeasureAllObjects(
                  f.intensity.get(), unpainted.get(), nullptr, 0, false, nullptr,
                  CLxPicMeasAPI::eFrameTouchKeep, false, nullptr, CLxPicMeasAPI::eFrameTouchKeep, 1,
                  0, 0, 0, nullptr, 0, 0, 0, 0, &d, nullptr, nullptr, nullptr, nullptr, nullptr,
                  nullptr, nullptr, nullptr),
              0);
    EXPECT_EQ(CLxPicMeasAPI::MeasureAllObjects(
                  f.intensity.get(), f.objects.get(), nullptr, 0, false, nullptr,
                  CLxPicMeasAPI::eFrameTouchKeep, false, nullptr, CLxPicMeasAPI::eFrameTouchKeep, 1,
                  0, 0, 0, nullptr, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
                  nullptr, nullptr, nullptr, nullptr),
              0);
    EXPECT_EQ(d.uiCount, 1u);
}

// ---- The field as one region

TEST(MeasureField, ObjectAndWholeFieldFeatures)
{
    const Rows rows = {
        "..........", //
        ".###......", //
        ".###...#..", //
        ".###......", //
        "..........", //
    };
    MeasureField f(rows);
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 10; ++x)
            f.intensity.set(x, y, rows[y][x] == '#' ? 100 : 10);
    const uint32_t flags[1] = {0x8};
    FeatureRow objects(LX_OBJECT_FEATURES, 0.0), whole(LX_OBJECT_FEATURES, 0.0);
    std::vector<uint32_t> h1(256), h2(256);
    ASSERT_EQ(CLxPicMeasAPI::MeasureField(f.intensity.get(), f.bits.get(), false, nullptr, false,
                                          nullptr, 2.0, 5, 6, 99, 7, 8, 9, 0x2 | 0x8 | 0x40 | 0x400,
                                          objects.data(), whole.data(), h1.data(), h2.data(), flags,
                                          nullptr, nullptr, nullptr, nullptr),
              1);
    EXPECT_EQ(objects[0], 10 * 4.0);
    EXPECT_EQ(objects[1], 10 * 4.0);
    EXPECT_EQ(objects[2], 1.0);
    EXPECT_EQ(objects[76], 50 * 4.0);
    EXPECT_EQ(objects[75], 0.2);
    EXPECT_EQ(objects[74], 2.0);
    EXPECT_EQ(objects[25], 100.0);
    EXPECT_EQ(whole[0], 50 * 4.0);
    EXPECT_EQ(whole[75], 0.2);
    EXPECT_EQ(whole[25], (10 * 100 + 40 * 10) / 50.0);
    EXPECT_EQ(h1[100], 10u);
    EXPECT_EQ(h2[10], 40u);
    EXPECT_EQ(h2[100], 10u);
    // Perimeter of the square plus the single pixel.
    const double d =
        (3 + 3 + (5 + 5) / std::sqrt(2.0) + 1 + 1 + (1 + 1) / std::sqrt(2.0)) * 2.0 * 0.25;
    EXPECT_NEAR(objects[6], M_PI * d, 1e-12);
    EXPECT_NEAR(objects[77], objects[6] * 4 / M_PI / objects[0], 1e-12);
    for (int slot : {5, 8, 9, 10, 11, 13, 24})
        EXPECT_EQ(objects[slot], -1.0) << slot;
    EXPECT_EQ(objects[43], 5.0);
    EXPECT_EQ(objects[45], 7.0);
    EXPECT_EQ(objects[36], 8.0);
    EXPECT_EQ(objects[42], 9.0);
}

TEST(MeasureField, SamplesAboveTheSignificantBitsStayInTheHistogram)
{
    MeasureField f({"##", "##"}, 12);
    f.intensity.set(0, 0, 5000); // 12 significant bits in 16-bit storage
    f.intensity.set(1, 0, 4095);
    const uint32_t flags[1] = {0x8};
    FeatureRow row(LX_OBJECT_FEATURES, 0.0);
    std::vector<uint32_t> histogram(4096);
    ASSERT_EQ(CLxPicMeasAPI::MeasureField(f.intensity.get(), f.bits.get(), false, nullptr, false,
                                          nullptr, 1.0, 0, 0, 0, 0, 0, 0, 0x8, row.data(), nullptr,
                                          histogram.data(), nullptr, flags, nullptr, nullptr,
                                          nullptr, nullptr),
              1);
    EXPECT_EQ(histogram[4095], 2u);
    EXPECT_EQ(histogram[0], 2u);
}

TEST(MeasureField, MaskAndFrame)
{
    MeasureField f({"####", "####", "####"});
    BinPicture mask(4, 3);
    Draw(mask, {".###", ".###", "...."});
    const SLxIRect frame{0, 0, 3, 3};
    FeatureRow row(LX_OBJECT_FEATURES, 0.0);
    ASSERT_EQ(CLxPicMeasAPI::MeasureField(f.intensity.get(), f.bits.get(), true, mask.get(), true,
                                          &frame, 1.0, 0, 0, 0, 0, 0, 0, 0x400, row.data(), nullptr,
                                          nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                          nullptr),
              1);
    EXPECT_EQ(row[0], 4.0);
    EXPECT_EQ(row[76], 4.0);
    EXPECT_EQ(row[75], 1.0);
    EXPECT_EQ(row[74], 1.0); // it touches only the top and the right side
    EXPECT_EQ(CLxPicMeasAPI::MeasureField(nullptr, f.bits.get(), false, nullptr, false, nullptr,
                                          1.0, 0, 0, 0, 0, 0, 0, 0, row.data(), nullptr, nullptr,
                                          nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              0);
}

TEST(MeasureFieldRois, EveryRoiAsAField)
{
    MeasureField f({"##..", "....", "..##", "..##"});
    SLxObjectData d;
    ASSERT_EQ(CLxPicMeasAPI::MeasureFieldRois(f.intensity.get(), f.objects.get(), 0.5, 1, 2, 3, 4,
                                              5, 6, 0x40, &d, nullptr, nullptr, nullptr),
              0);
    ASSERT_EQ(d.uiCount, 2u);
    EXPECT_EQ(ObjectRows(d)[0], (std::vector<uint32_t>{1, 1, kNone, 1}));
    EXPECT_EQ(ObjectRows(d)[1], (std::vector<uint32_t>{2, 2, kNone, 1}));
    EXPECT_EQ(Feature(d, 1, 0), 4 * 0.25);
    EXPECT_EQ(Feature(d, 1, 74), 0.0);
    EXPECT_EQ(Feature(d, 1, 76), 16 * 0.25);
    EXPECT_EQ(Feature(d, 1, 75), 0.25);
    EXPECT_EQ(Feature(d, 1, 10), -1.0);
    EXPECT_EQ(Feature(d, 1, 43), 1.0);
    EXPECT_EQ(CLxPicMeasAPI::MeasureFieldRois(nullptr, f.objects.get(), 1, 0, 0, 0, 0, 0, 0, 0, &d,
                                              nullptr, nullptr, nullptr),
              -9);
    EXPECT_EQ(CLxPicMeasAPI::MeasureFieldRois(f.intensity.get(), f.objects.get(), 1, 0, 0, 0, 0, 0,
                                              0, 0, nullptr, nullptr, nullptr, nullptr),
              -9);
    EXPECT_EQ(CLxPicMeasAPI::MeasureFieldObject(f.intensity.get(), nullptr, 1, 0, 0, 0, 0, 0, 0, 0,
                                                nullptr, nullptr, nullptr, nullptr),
              0);
}

// ---- GetBinarySize

TEST(GetBinarySize, CountsSetPixelsInsideTheRectangle)
{
    std::mt19937 rng(43);
    BinPicture bits(37, 11);
    bits.randomise(rng, 0.4);
    auto brute = [&](int l, int t, int r, int b) {
        uint64_t n = 0;
        for (int y = std::max(t, 0); y < std::min(b, 11); ++y)
            for (int x = std::max(l, 0); x < std::min(r, 37); ++x)
                n += bits.at(uint32_t(x), uint32_t(y));
        return n;
    };
    const SLxIRect rects[] = {{0, 0, 37, 11}, {3, 2, 5, 9},     {7, 0, 8, 11}, {8, 1, 16, 2},
                              {9, 3, 31, 10}, {-4, -4, 99, 99}, {5, 5, 5, 9},  {30, 2, 20, 9}};
    for (const SLxIRect& r : rects)
        EXPECT_EQ(CLxPicMeasAPI::GetBinarySize(bits.get(), &r),
                  brute(r.left, r.top, r.right, r.bottom))
            << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    EXPECT_EQ(CLxPicMeasAPI::GetBinarySize(bits.get(), nullptr), brute(0, 0, 37, 11));
    EXPECT_EQ(CLxPicMeasAPI::GetBinarySize(nullptr, nullptr), 0u);
    BinPicture empty;
    EXPECT_EQ(CLxPicMeasAPI::GetBinarySize(empty.get(), nullptr), 0u);
}

} // namespace
