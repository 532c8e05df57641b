// Hit tests, additions, deletions and projections of painted objects.
#include <gtest/gtest.h>

#include <array>

#include "../measure/grey_picture.h"
#include "rle_test_support.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

void Fill(SLxRLEPicBuf* rec, const std::vector<std::vector<uint8_t>>& objects)
{
    // A picture large enough for every object of these tests.
    if (rec->uiWidth == 0) {
        ASSERT_EQ(CLxRLEPicBufAPI::Reinit(rec, 64, 64), 0);
    }
    for (const auto& o : objects)
        ASSERT_EQ(CLxRLEPicBufAPI::AddObjectKeepID(rec, AsObject(o), nullptr), 0);
}

// The last-object offset and the size agree with a walk of the area.
void ExpectConsistent(const SLxRLEPicBuf* rec)
{
    std::vector<const SLxRLEObject*> objects = ObjectsOf(rec);
    ASSERT_EQ(objects.size(), rec->uiObjectCount);
    uint32_t size = 0;
    for (const SLxRLEObject* o : objects)
        size += Header(o).uiSize;
    EXPECT_EQ(size, rec->uiObjectSize);
    uint32_t last = objects.size() > 1
                        ? uint32_t(reinterpret_cast<const uint8_t*>(objects.back()) - rec->pObjects)
                        : 0;
    EXPECT_EQ(rec->uiLastObjectOffset, last);
}

TEST(RLEHitTest, RunEndIsExclusive)
{
    RLEPicture rle;
    Fill(rle.get(), {MakeObject(3, {{5, 10, 4}})});
    uint32_t index = 99;
    SLxRLEObject* obj = nullptr;
    EXPECT_TRUE(CLxRLEPicBufAPI::HitTest(rle.get(), 13, 5, &index, &obj));
    EXPECT_EQ(index, 0u);
    EXPECT_EQ(Header(obj).uiID, 3u);
    EXPECT_FALSE(CLxRLEPicBufAPI::HitTest(rle.get(), 14, 5, nullptr, nullptr));
    EXPECT_FALSE(CLxRLEPicBufAPI::HitTest(rle.get(), 9, 5, nullptr, nullptr));
    EXPECT_FALSE(CLxRLEPicBufAPI::HitTest(nullptr, 10, 5, nullptr, nullptr));
}

// Rows are looked up by their number, so an object that skips rows is hit
// where its pixels are and nowhere else.
TEST(RLEHitTest, ObjectsSkippingRows)
{
    RLEPicture rle;
    Fill(rle.get(), {MakeObject(1, {{0, 0, 2}, {4, 1, 1}})});
    EXPECT_TRUE(CLxRLEPicBufAPI::HitTest(rle.get(), 1, 4, nullptr, nullptr));
    EXPECT_FALSE(CLxRLEPicBufAPI::HitTest(rle.get(), 1, 1, nullptr, nullptr));
    EXPECT_FALSE(CLxRLEPicBufAPI::HitTest(rle.get(), 0, 4, nullptr, nullptr));
}

TEST(RLEHitTest, VisibleRules)
{
    struct Case {
        uint32_t firstStatus, secondStatus;
        bool hit;
        uint32_t index;
    };
    const Case cases[] = {
        {0x40, 0x00, true, 1}, // hidden one skipped
        {0x00, 0x00, true, 0}, // first visible wins
        {0x00, 0x01, true, 1}, // preferred later one wins
        {0x01, 0x01, true, 0}, // the first preferred ends the search
        {0x41, 0x40, false, 0},
    };
    for (const Case& c : cases) {
        RLEPicture rle;
        Fill(rle.get(), {MakeObject(1, {{2, 0, 5}}, 0, c.firstStatus),
                         MakeObject(2, {{2, 2, 5}}, 0, c.secondStatus)});
        uint32_t index = 77;
        EXPECT_EQ(CLxRLEPicBufAPI::HitTestVisible(rle.get(), 3, 2, &index, nullptr), c.hit);
        if (c.hit) {
            EXPECT_EQ(index, c.index) << c.firstStatus << " " << c.secondStatus;
        }
    }
}

TEST(RLEHitTest, NearestContourWithinTheRadius)
{
    RLEPicture rle;
    // A 3 x 3 square at (30, 30) to (32, 32).
    Fill(rle.get(), {MakeObject(4, {{30, 30, 3}, {31, 30, 3}, {32, 30, 3}})});
    uint32_t index = 9;
    SLxRLEObject* obj = nullptr;
    EXPECT_TRUE(CLxRLEPicBufAPI::HitTestVisibleEx(rle.get(), 39, 31, &index, &obj, 1.0));
    EXPECT_EQ(index, 0u);
    EXPECT_FALSE(CLxRLEPicBufAPI::HitTestVisibleEx(rle.get(), 43, 31, nullptr, nullptr, 1.0));
    // A larger scale shrinks the radius: 10 / 2 + 0.5 -> 5.
    EXPECT_FALSE(CLxRLEPicBufAPI::HitTestVisibleEx(rle.get(), 39, 31, nullptr, nullptr, 2.0));
    // On the contour: the first such object at once.
    Fill(rle.get(), {MakeObject(5, {{30, 30, 3}})});
    obj = nullptr;
    EXPECT_TRUE(CLxRLEPicBufAPI::HitTestVisibleEx(rle.get(), 31, 30, &index, &obj, 1.0));
    EXPECT_EQ(index, 0u);
    // Hidden objects are passed over; the widened box reaches past x = 0.
    RLEPicture hidden;
    Fill(hidden.get(), {MakeObject(1, {{0, 0, 1}}, 0, 0x40), MakeObject(2, {{0, 2, 1}})});
    EXPECT_TRUE(CLxRLEPicBufAPI::HitTestVisibleEx(hidden.get(), 0, 0, &index, nullptr, 1.0));
    EXPECT_EQ(index, 1u);
}

TEST(RLEAdd, NewIdentifiersAndIndices)
{
    RLEPicture rle;
    std::vector<uint8_t> obj = MakeObject(42, {{0, 0, 1}});
    uint32_t index = 99;
    ASSERT_EQ(CLxRLEPicBufAPI::AddObject(rle.get(), AsObject(obj), &index), 0);
    EXPECT_EQ(index, 0u);
    EXPECT_EQ(IdsOf(rle.get()), (std::vector<uint32_t>{1}));
    EXPECT_EQ(Word(obj.data(), 0), 42u); // the source is not changed

    RLEPicture two;
    Fill(two.get(), {MakeObject(4, {{0, 0, 1}}), MakeObject(9, {{1, 0, 1}})});
    ASSERT_EQ(CLxRLEPicBufAPI::AddObject(two.get(), AsObject(obj), &index), 0);
    EXPECT_EQ(index, 2u);
    EXPECT_EQ(IdsOf(two.get()), (std::vector<uint32_t>{4, 9, 10}));
    ExpectConsistent(two.get());

    // An object of the record itself survives the area's reallocation.
    ASSERT_EQ(CLxRLEPicBufAPI::AddObjectKeepID(
                  two.get(), CLxRLEPicBufAPI::FindObjectByIndex(two.get(), 0), nullptr),
              0);
    EXPECT_EQ(IdsOf(two.get()), (std::vector<uint32_t>{4, 9, 10, 4}));
    ASSERT_EQ(CLxRLEPicBufAPI::AppendObjects(two.get(), two.get()), 0);
    EXPECT_EQ(IdsOf(two.get()), (std::vector<uint32_t>{4, 9, 10, 4, 11, 12, 13, 14}));
    ExpectConsistent(two.get());
}

TEST(RLEAdd, RefusesWhatCannotBeAdded)
{
    RLEPicture plain(false), rle;
    std::vector<uint8_t> obj = MakeObject(1, {{0, 0, 1}});
    EXPECT_EQ(CLxRLEPicBufAPI::AddObject(plain.get(), AsObject(obj), nullptr), -9);
    EXPECT_EQ(CLxRLEPicBufAPI::AddObject(rle.get(), nullptr, nullptr), -9);
    std::vector<uint8_t> shortObj = obj;
    uint32_t tiny = 20;
    std::memcpy(shortObj.data() + 20, &tiny, 4);
    EXPECT_EQ(CLxRLEPicBufAPI::AddObject(rle.get(), AsObject(shortObj), nullptr), -9);
    // The area would pass 4 GiB.
    rle->uiObjectSize = 0xFFFFFFF0u;
    EXPECT_EQ(CLxRLEPicBufAPI::AddObjectKeepID(rle.get(), AsObject(obj), nullptr), -9);
    rle->uiObjectSize = 0;
    // No room made: refused.
    EXPECT_EQ(CLxRLEPicBufAPI::AddObjectNoAllocate(rle.get(), AsObject(obj)), -9);
    rle->pObjects = static_cast<uint8_t*>(CLxAlloc::Alloc(0, obj.size()));
    EXPECT_EQ(CLxRLEPicBufAPI::AddObjectNoAllocate(rle.get(), AsObject(obj)), 0);
    EXPECT_EQ(rle->uiObjectCount, 1u);
}

// Eight objects with identifiers 10..17 in storage order.
void Eight(SLxRLEPicBuf* rec, const std::vector<uint32_t>& statuses = {})
{
    for (uint32_t i = 0; i < 8; ++i) {
        std::vector<RunTriple> runs;
        for (uint32_t r = 0; r <= i % 3; ++r)
            runs.emplace_back(i, r * 3, 2);
        Fill(rec, {MakeObject(10 + i, runs, 4, statuses.empty() ? 0 : statuses[i])});
    }
}

TEST(RLEDelete, ByPositionsList)
{
    RLEPicture rle;
    Eight(rle.get());
    const uint32_t positions[] = {1, 2, 3, 6};
    ASSERT_EQ(CLxRLEPicBufAPI::DeleteObject(rle.get(), positions, 4), 0);
    EXPECT_EQ(IdsOf(rle.get()), (std::vector<uint32_t>{10, 14, 15, 17}));
    ExpectConsistent(rle.get());
    EXPECT_EQ(RunsOf(CLxRLEPicBufAPI::FindObjectByIndex(rle.get(), 3)),
              (std::vector<RunTriple>{{7, 0, 2}, {7, 3, 2}}));
}

TEST(RLEDelete, BadPositionListsDeleteNothing)
{
    const std::vector<std::vector<uint32_t>> bad = {{2, 1}, {1, 1}, {0, 8}, {3, 3, 4}};
    for (const auto& list : bad) {
        RLEPicture rle;
        Eight(rle.get());
        EXPECT_EQ(CLxRLEPicBufAPI::DeleteObject(rle.get(), list.data(), uint32_t(list.size())), -9);
        EXPECT_EQ(rle->uiObjectCount, 8u);
    }
}

TEST(RLEDelete, SingleByIndexAndByID)
{
    RLEPicture rle;
    Eight(rle.get());
    EXPECT_EQ(CLxRLEPicBufAPI::DeleteObject(rle.get(), 8u), -9);
    ASSERT_EQ(CLxRLEPicBufAPI::DeleteObject(rle.get(), 7u), 0);
    ASSERT_EQ(CLxRLEPicBufAPI::DeleteObjectWithID(rle.get(), 10), 0);
    EXPECT_EQ(CLxRLEPicBufAPI::DeleteObjectWithID(rle.get(), 10), -9);
    EXPECT_EQ(IdsOf(rle.get()), (std::vector<uint32_t>{11, 12, 13, 14, 15, 16}));
    ExpectConsistent(rle.get());

    RLEPicture one;
    Fill(one.get(), {MakeObject(1, {{0, 0, 1}})});
    ASSERT_EQ(CLxRLEPicBufAPI::DeleteObject(one.get(), 0u), 0);
    EXPECT_EQ(one->uiObjectCount, 0u);
    EXPECT_EQ(one->uiObjectSize, 0u);
    EXPECT_EQ(one->uiLastObjectOffset, 0u);
    RLEPicture plain(false);
    EXPECT_EQ(CLxRLEPicBufAPI::DeleteObjectWithID(plain.get(), 1), -9);
}

TEST(RLEDelete, RangeWithOffsetTable)
{
    RLEPicture rle;
    Eight(rle.get());
    std::vector<int32_t> offsets;
    for (const SLxRLEObject* o : ObjectsOf(rle.get()))
        offsets.push_back(int32_t(reinterpret_cast<const uint8_t*>(o) - rle->pObjects));
    offsets.push_back(-1);
    EXPECT_EQ(CLxRLEPicBufAPI::DeleteObject(rle.get(), 6, 3, offsets.data()), -9);
    std::vector<int32_t> wrong = offsets;
    wrong[7] += 1;
    EXPECT_EQ(CLxRLEPicBufAPI::DeleteObject(rle.get(), 5, 3, wrong.data()), -9);
    ASSERT_EQ(CLxRLEPicBufAPI::DeleteObject(rle.get(), 5, 3, offsets.data()), 0);
    EXPECT_EQ(IdsOf(rle.get()), (std::vector<uint32_t>{10, 11, 12, 13, 14}));
    ExpectConsistent(rle.get());
}

TEST(RLEDelete, WithStatusMatchesTheWholeWord)
{
    RLEPicture rle;
    Eight(rle.get(), {0, 0x40, 0, 0, 0x100, 1, 0, 0x40});
    ASSERT_EQ(CLxRLEPicBufAPI::DeleteObjectsWithStatus(rle.get(), 0), 0);
    EXPECT_EQ(IdsOf(rle.get()), (std::vector<uint32_t>{11, 14, 15, 17}));
    ExpectConsistent(rle.get());
    ASSERT_EQ(CLxRLEPicBufAPI::DeleteObjectsWithStatus(rle.get(), 0x40), 0);
    EXPECT_EQ(IdsOf(rle.get()), (std::vector<uint32_t>{14, 15}));
    ExpectConsistent(rle.get());
}

struct ProjectionCase {
    const char* name;
    std::vector<RunTriple> runs;
    uint32_t width;
    std::array<uint32_t, 4> plain, outer;
};

class RLEProjectionTable : public ::testing::TestWithParam<ProjectionCase>
{
};

TEST_P(RLEProjectionTable, Counters)
{
    const ProjectionCase& c = GetParam();
    std::vector<uint8_t> obj = MakeObject(1, c.runs, 4);
    uint32_t counters[4] = {9, 9, 9, 9};
    CLxRLEPicBufAPI::Projections(AsObject(obj), counters, c.width);
    EXPECT_EQ((std::array<uint32_t, 4>{counters[0], counters[1], counters[2], counters[3]}),
              c.plain);
    CLxRLEPicBufAPI::OuterProjections(AsObject(obj), counters, c.width);
    EXPECT_EQ((std::array<uint32_t, 4>{counters[0], counters[1], counters[2], counters[3]}),
              c.outer);
}

std::vector<RunTriple> Ring5()
{
    return {{10, 10, 5}, {11, 10, 5}, {12, 10, 2}, {12, 13, 2}, {13, 10, 5}, {14, 10, 5}};
}
std::vector<RunTriple> Square5()
{
    return {{10, 10, 5}, {11, 10, 5}, {12, 10, 5}, {13, 10, 5}, {14, 10, 5}};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RLEProjectionTable,
    ::testing::Values(
        ProjectionCase{
            "square3", {{5, 5, 3}, {6, 5, 3}, {7, 5, 3}}, 20, {3, 5, 3, 5}, {3, 5, 3, 5}},
        ProjectionCase{"ring5", Ring5(), 30, {6, 10, 6, 10}, {5, 9, 5, 9}},
        ProjectionCase{"square5", Square5(), 30, {5, 9, 5, 9}, {5, 9, 5, 9}},
        // Pixels on the picture's edges: x = 0 and x = width - 1.
        ProjectionCase{"edges", {{0, 0, 4}, {1, 0, 4}}, 4, {2, 5, 4, 5}, {2, 5, 4, 5}},
        // Runs past the width are left out of the neighbour counts.
        ProjectionCase{"past_width", {{0, 2, 6}}, 4, {1, 2, 2, 2}, {1, 2, 2, 2}},
        // A skipped row is background above the next one.
        ProjectionCase{"skipped_row", {{0, 1, 1}, {2, 1, 1}}, 9, {2, 2, 2, 2}, {2, 2, 2, 2}},
        // A gap under a hole: the hole reaches the outside through the
        // skipped row and stays open.
        ProjectionCase{"hole_over_skipped_row",
                       {{0, 5, 3}, {1, 5, 1}, {1, 7, 1}, {3, 5, 3}},
                       20,
                       {4, 7, 6, 7},
                       {4, 7, 6, 7}},
        ProjectionCase{"hole_closed",
                       {{0, 5, 3}, {1, 5, 1}, {1, 7, 1}, {2, 5, 3}},
                       20,
                       {4, 6, 4, 6},
                       {3, 5, 3, 5}}),
    [](const ::testing::TestParamInfo<ProjectionCase>& info) { return info.param.name; });

TEST(RLEProjection, NullObjectGivesZeros)
{
    uint32_t counters[4] = {1, 2, 3, 4};
    CLxRLEPicBufAPI::Projections(nullptr, counters, 10);
    EXPECT_EQ(counters[0] + counters[1] + counters[2] + counters[3], 0u);
    counters[0] = 5;
    CLxRLEPicBufAPI::OuterProjections(nullptr, counters, 10);
    EXPECT_EQ(counters[0], 0u);
}

} // namespace
