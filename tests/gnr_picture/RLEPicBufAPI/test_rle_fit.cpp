// Records whose objects do not fit the picture's size (a run longer than a
// row, more rows than the picture) are refused by every operation that walks
// them, before it works: -9 (false, 0) and nothing else changes.
#include <gtest/gtest.h>

#include <functional>

#include "../measure/grey_picture.h"
#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "rle_test_support.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

using API = CLxRLEPicBufAPI;

struct Misfit {
    const char* name;
    bool painted;
    uint32_t width, height;
    std::vector<std::vector<RunTriple>> objects; // painted: one list per object
    uint32_t countShown;                         // painted: the object count claimed
};

// Builds the record byte by byte as a caller may: the objects back to back,
// the last-object offset at the last one, the count as claimed.
void Build(SLxRLEPicBuf* rec, const Misfit& m)
{
    API::Reinit(rec, m.width, m.height);
    if (!m.painted) {
        const std::vector<RunTriple>& runs = m.objects[0];
        rec->pRuns = static_cast<SLxRLERun*>(CLxAlloc::Alloc(0, runs.size() * sizeof(SLxRLERun)));
        for (size_t i = 0; i < runs.size(); ++i) {
            auto [y, x, n] = runs[i];
            rec->pRuns[i] = SLxRLERun{0, y, x, n};
            if (rec->pRows[y].uiCount++ == 0)
                rec->pRows[y].uiFirst = uint32_t(i);
        }
        rec->uiRunCount = uint32_t(runs.size());
        return;
    }
    std::vector<uint8_t> area;
    uint32_t last = 0, id = 0;
    for (const auto& runs : m.objects) {
        last = uint32_t(area.size());
        std::vector<uint8_t> o = MakeObject(++id, runs);
        area.insert(area.end(), o.begin(), o.end());
    }
    rec->pObjects = static_cast<uint8_t*>(CLxAlloc::Alloc(0, area.size()));
    std::memcpy(rec->pObjects, area.data(), area.size());
    rec->uiObjectSize = uint32_t(area.size());
    rec->uiLastObjectOffset = last;
    rec->uiObjectCount = m.countShown;
}

const Misfit kMisfits[] = {
    // The fuzz finding: the second object lies past the count, reached by
    // the last-object offset.
    {"run longer than the picture past the count",
     true,
     64,
     3,
     {{{0, 0, 3}}, {{1, 0, 0xFF000001u}}},
     1},
    {"runs of a row together longer than the picture", true, 4, 2, {{{0, 0, 3}, {0, 3, 3}}}, 1},
    {"more rows than the picture", true, 8, 2, {{{0, 1, 1}, {1, 1, 1}, {2, 1, 1}}}, 1},
    {"stored run longer than the picture", false, 4, 2, {{{0, 1, 5}}}, 0},
};

// One operation over the misfit (src) with a written picture (dest) set up
// by the test; the status as int, queries as 0/1 or their value.
struct Operation {
    const char* name;
    std::function<int(SLxRLEPicBuf* src, SLxRLEPicBuf* dest)> run;
    int refused;
};

const std::vector<Operation>& Operations()
{
    static const std::vector<Operation> ops = {
        {"ConvertRLEToPicBuf",
         [](SLxRLEPicBuf* src, SLxRLEPicBuf*) {
             GreyPicture pic(64, 3, 16);
             return API::ConvertRLEToPicBuf(pic.get(), src, 1);
         },
         -9},
        {"ConvertRLEToBinPicBuf",
         [](SLxRLEPicBuf* src, SLxRLEPicBuf*) {
             SLxBinPicBuf bin;
             CLxBinPicBufAPI::Init(&bin);
             CLxBinPicBufAPI::Reinit(&bin, 64, 3, 0, true);
             int status = API::ConvertRLEToBinPicBuf(&bin, src);
             CLxBinPicBufAPI::Free(&bin);
             return status;
         },
         -9},
        {"ConvertRLEToNonPaintedRLE",
         [](auto src, auto dest) { return API::ConvertRLEToNonPaintedRLE(dest, src); }, -9},
        {"ConvertRLEToPaintedRLE",
         [](auto src, auto dest) { return API::ConvertRLEToPaintedRLE(dest, src); }, -9},
        {"ConvertRLEToPaintedRLE in place",
         [](auto src, auto) { return API::ConvertRLEToPaintedRLE(src); }, -9},
        {"CutRectangle",
         [](auto src, auto dest) { return API::CutRectangle(dest, src, 0, 0, 2, 2); }, -9},
        {"StretchDisplay",
         [](auto src, auto dest) { return API::StretchDisplay(dest, 8, 6, 8, 6, 0, 0, src); }, -9},
        {"Stretch", [](auto src, auto dest) { return API::Stretch(dest, src); }, -9},
        {"BlendColorWithStretchedRLE",
         [](SLxRLEPicBuf* src, SLxRLEPicBuf*) {
             std::vector<uint8_t> display(8 * 3 * 6, 7);
             int status =
                 API::BlendColorWithStretchedRLE(display.data(), 24, 8, 6, 8, 6, 0, 0, src, 0, 128);
             return status != 0 ? status : int(display != std::vector<uint8_t>(8 * 3 * 6, 7));
         },
         -9},
        {"ShiftRotateLeft", [](auto src, auto dest) { return API::ShiftRotateLeft(dest, src, 1); },
         -9},
        {"ShiftRotateUp", [](auto src, auto dest) { return API::ShiftRotateUp(dest, src, 1); }, -9},
        {"MakeUnion",
         [](SLxRLEPicBuf* src, SLxRLEPicBuf* dest) {
             SLxRLEPicBuf* const pictures[] = {src};
             return API::MakeUnion(dest, pictures, 1);
         },
         -9},
        {"AppendObjects", [](auto src, auto dest) { return API::AppendObjects(dest, src); }, -9},
        {"Erode3x3", [](auto src, auto dest) { return API::Erode3x3(dest, src, nullptr); }, -9},
        {"FillHoles", [](auto src, auto dest) { return API::FillHoles(dest, src); }, -9},
        {"SetPixel", [](auto src, auto) { return API::SetPixel(src, 0, 0, true); }, -9},
        {"Rotate", [](auto src, auto dest) { return API::Rotate(dest, src, 90.0, true); }, -9},
        {"Complement",
         [](auto src, auto dest) {
             API::Complement(dest, src);
             return 0;
         },
         0},
        {"HitTest", [](auto src, auto) { return int(API::HitTest(src, 1, 1, nullptr, nullptr)); },
         0},
        {"HitTestVisibleEx",
         [](auto src, auto) {
             return int(API::HitTestVisibleEx(src, 1, 1, nullptr, nullptr, 1.0));
         },
         0},
        {"GetPictureArea", [](auto src, auto) { return int(API::GetPictureArea(src)); }, 0},
    };
    return ops;
}

TEST(RLEFit, RecordsThatDoNotFitTheirPictureAreRefusedUntouched)
{
    for (const Misfit& m : kMisfits)
        for (const Operation& op : Operations()) {
            SCOPED_TRACE(std::string(m.name) + ", " + op.name);
            RLEPicture src(m.painted), srcBefore(m.painted), dest, destBefore;
            Build(src.get(), m);
            Build(srcBefore.get(), m);
            ASSERT_EQ(API::Reinit(dest.get(), 3, 1), 0);
            ASSERT_EQ(
                API::AddObjectKeepID(dest.get(), AsObject(MakeObject(9, {{0, 1, 1}})), nullptr), 0);
            ASSERT_EQ(API::Copy(destBefore.get(), dest.get()), 0);
            EXPECT_EQ(op.run(src.get(), dest.get()), op.refused);
            EXPECT_TRUE(API::IsEqual(src.get(), srcBefore.get()));
            EXPECT_TRUE(API::IsEqual(dest.get(), destBefore.get()));
        }
}

// Objects moved partly or wholly out of the picture keep their sizes: they
// still fit and are clipped where they are drawn.
TEST(RLEFit, ObjectsMovedOutOfThePictureStillFit)
{
    RLEPicture rle, cut;
    ASSERT_EQ(API::Reinit(rle.get(), 4, 2), 0);
    ASSERT_EQ(
        API::AddObjectKeepID(rle.get(), AsObject(MakeObject(1, {{0, 0, 4}, {1, 0, 4}})), nullptr),
        0);
    ASSERT_EQ(API::MoveObjects(rle.get(), 3, 1), 0);
    GreyPicture pic(4, 2);
    ASSERT_EQ(API::ConvertRLEToPicBuf(pic.get(), rle.get(), 1), 0);
    EXPECT_EQ(pic.pixels(), (std::vector<uint32_t>{0, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(API::GetPictureArea(rle.get()), 8u);
    EXPECT_EQ(API::CutRectangle(cut.get(), rle.get(), 0, 0, 4, 2), 0);
}

} // namespace
