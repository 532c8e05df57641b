// Records of run-length object pictures: setup, copies, comparisons, walks,
// the custom area, the area sums and the trace.
#include <gtest/gtest.h>

#include "../measure/grey_picture.h"
#include "rle_test_support.h"
#include "test_support.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/debugging/debug_output_capture.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

// A painted record holding the given objects back to back.
void Fill(SLxRLEPicBuf* rec, const std::vector<std::vector<uint8_t>>& objects)
{
    // A picture large enough for every object of these tests.
    if (rec->uiWidth == 0) {
        ASSERT_EQ(CLxRLEPicBufAPI::Reinit(rec, 64, 64), 0);
    }
    for (const auto& o : objects)
        ASSERT_EQ(CLxRLEPicBufAPI::AddObjectKeepID(rec, AsObject(o), nullptr), 0);
}

TEST(RLERecord, InitFreeAndFreeTwiceLeaveAnEmptyRecord)
{
    for (bool painted : {true, false}) {
        SLxRLEPicBuf rec;
        std::memset(&rec, 0xA5, sizeof rec);
        CLxRLEPicBufAPI::Init(&rec, 12, painted);
        EXPECT_EQ(rec.uiCustomDataSize, 12u);
        EXPECT_EQ(rec.bPainted, painted ? 1 : 0);
        EXPECT_EQ(rec.pObjects, nullptr);
        EXPECT_EQ(rec.pRuns, nullptr);
        EXPECT_EQ(rec.pRows, nullptr);
        CLxRLEPicBufAPI::Free(&rec);
        CLxRLEPicBufAPI::Free(&rec);
        EXPECT_EQ(rec.uiObjectCount, 0u);
        EXPECT_EQ(rec.uiRunCount, 0u);
    }
    CLxRLEPicBufAPI::Init(nullptr, 0, true);
    CLxRLEPicBufAPI::Free(nullptr);
}

TEST(RLERecord, ReinitOfNonPaintedZeroesNewRows)
{
    RLEPicture rle(false);
    ASSERT_EQ(CLxRLEPicBufAPI::Reinit(rle.get(), 4, 2), 0);
    rle->pRows[0] = SLxRLERow{7, 9};
    rle->pRows[1] = SLxRLERow{7, 9};
    ASSERT_EQ(CLxRLEPicBufAPI::Reinit(rle.get(), 4, 50), 0);
    EXPECT_EQ(rle->pRows[1].uiCount, 7u);
    for (uint32_t y = 2; y < 50; ++y)
        EXPECT_EQ(rle->pRows[y].uiCount + rle->pRows[y].uiFirst, 0u) << y;
    EXPECT_EQ(rle->uiHeight, 50u);
}

TEST(RLERecord, WalksAndLookups)
{
    RLEPicture rle;
    EXPECT_EQ(CLxRLEPicBufAPI::GetNextRLEObject(rle.get(), nullptr), nullptr);
    EXPECT_EQ(CLxRLEPicBufAPI::FindObjectByIndex(rle.get(), 0), nullptr);
    Fill(rle.get(), {MakeObject(5, {{0, 0, 2}})});
    const SLxRLEObject* only = CLxRLEPicBufAPI::GetNextRLEObject(rle.get(), nullptr);
    ASSERT_NE(only, nullptr);
    EXPECT_EQ(CLxRLEPicBufAPI::GetNextRLEObject(rle.get(), only), nullptr);
    Fill(rle.get(), {MakeObject(7, {{1, 0, 1}}), MakeObject(7, {{2, 0, 1}})});
    EXPECT_EQ(CLxRLEPicBufAPI::FindObjectByIndex(rle.get(), 3), nullptr); // index = count
    EXPECT_EQ(Header(CLxRLEPicBufAPI::FindObjectByIndex(rle.get(), 2)).uiID, 7u);
    // Duplicates: the first in storage order wins.
    EXPECT_EQ(CLxRLEPicBufAPI::FindObjectByObjectID(rle.get(), 7),
              CLxRLEPicBufAPI::FindObjectByIndex(rle.get(), 1));
    EXPECT_EQ(CLxRLEPicBufAPI::FindObjectByObjectID(rle.get(), 8), nullptr);
}

TEST(RLERecord, WalkStopsAtAHeaderPointingOutside)
{
    RLEPicture rle;
    Fill(rle.get(), {MakeObject(1, {{0, 0, 2}}), MakeObject(2, {{1, 0, 2}})});
    // The second object claims more bytes than the area holds.
    uint8_t* second = rle->pObjects + Word(rle->pObjects, 20);
    uint32_t huge = 0x7FFFFFFF;
    std::memcpy(second + 20, &huge, 4);
    EXPECT_EQ(ObjectsOf(rle.get()).size(), 1u);
    EXPECT_EQ(CLxRLEPicBufAPI::FindObjectByIndex(rle.get(), 1), nullptr);
    EXPECT_EQ(CLxRLEPicBufAPI::GetPictureArea(rle.get()), 2u);
    EXPECT_EQ(CLxRLEPicBufAPI::DeleteObject(rle.get(), 0), -9);
    // A segment count beyond the object's bytes ends the segment walk.
    uint32_t many = 1000;
    std::memcpy(rle->pObjects + 24, &many, 4);
    EXPECT_EQ(RunsOf(CLxRLEPicBufAPI::FindObjectByIndex(rle.get(), 0)).size(), 1u);
    EXPECT_EQ(CLxRLEPicBufAPI::GetPictureArea(rle.get()), 2u);
}

TEST(RLERecord, CopiesOfEmptyRecordsKeepTheirSize)
{
    for (bool painted : {true, false}) {
        RLEPicture src(painted, 3), dst;
        ASSERT_EQ(CLxRLEPicBufAPI::Reinit(src.get(), 17, 9), 0);
        ASSERT_EQ(CLxRLEPicBufAPI::Copy(dst.get(), src.get()), 0);
        EXPECT_EQ(dst->uiWidth, 17u);
        EXPECT_EQ(dst->uiHeight, 9u);
        EXPECT_EQ(dst->bPainted, src->bPainted);
        EXPECT_TRUE(CLxRLEPicBufAPI::IsEqual(dst.get(), src.get()));
    }
    RLEPicture a;
    EXPECT_EQ(CLxRLEPicBufAPI::Copy(nullptr, a.get()), -9);
    EXPECT_EQ(CLxRLEPicBufAPI::Copy(a.get(), nullptr), -9);
}

TEST(RLERecord, FormsAreNeverEqualAndRunsAreCompared)
{
    GreyPicture pic({"#..#", ".##."});
    RLEPicture painted, plain(false), other(false);
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(painted.get(), pic.get()), 0);
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertPicBufToNonPaintedRLE(plain.get(), pic.get()), 0);
    EXPECT_TRUE(CLxRLEPicBufAPI::IsEqualSize(painted.get(), plain.get()));
    EXPECT_FALSE(CLxRLEPicBufAPI::IsEqualType(painted.get(), plain.get()));
    EXPECT_FALSE(CLxRLEPicBufAPI::IsEqual(painted.get(), plain.get()));
    pic.set(0, 0, 0);
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertPicBufToNonPaintedRLE(other.get(), pic.get()), 0);
    EXPECT_FALSE(CLxRLEPicBufAPI::IsEqual(plain.get(), other.get()));
    RLEPicture copy(false);
    ASSERT_EQ(CLxRLEPicBufAPI::Copy(copy.get(), plain.get()), 0);
    EXPECT_TRUE(CLxRLEPicBufAPI::IsEqual(copy.get(), plain.get()));
}

TEST(RLERecord, ForceEqualSizeAndTypeOnlyTouchesEmptyDest)
{
    RLEPicture src(false, 4), dst, full;
    ASSERT_EQ(CLxRLEPicBufAPI::Reinit(src.get(), 8, 3), 0);
    CLxRLEPicBufAPI::ForceEqualSizeAndTypeIfDestEmpty(dst.get(), src.get());
    EXPECT_EQ(dst->bPainted, 0);
    EXPECT_EQ(dst->uiCustomDataSize, 4u);
    EXPECT_EQ(dst->uiHeight, 3u);
    ASSERT_NE(dst->pRows, nullptr);
    ASSERT_EQ(CLxRLEPicBufAPI::Reinit(full.get(), 2, 2), 0);
    CLxRLEPicBufAPI::ForceEqualSizeAndTypeIfDestEmpty(full.get(), src.get());
    EXPECT_EQ(full->bPainted, 1);
    EXPECT_EQ(full->uiWidth, 2u);
}

TEST(RLERecord, VisibleAreaSkipsExactlyTheHiddenBit)
{
    RLEPicture rle;
    Fill(rle.get(), {MakeObject(1, {{0, 0, 3}}, 0, 0x40), MakeObject(2, {{1, 0, 5}}, 0, 0xBF),
                     MakeObject(3, {{2, 0, 7}}, 0, 0xFFFFFFFF), MakeObject(4, {{3, 0, 11}})});
    EXPECT_EQ(CLxRLEPicBufAPI::GetPictureArea(rle.get()), 26u);
    EXPECT_EQ(CLxRLEPicBufAPI::GetPictureVisibleArea(rle.get()), 16u);
    EXPECT_EQ(CLxRLEPicBufAPI::GetRLEObjectArea(CLxRLEPicBufAPI::FindObjectByIndex(rle.get(), 1)),
              5u);
    EXPECT_EQ(CLxRLEPicBufAPI::GetPictureArea(nullptr), 0u);
}

// The custom area lies inside its object: writing through it leaves the
// neighbours alone, and the bytes travel with Copy and AddObject.
TEST(RLERecord, CustomDataPointerIsInsideItsObject)
{
    RLEPicture rle(true, 16);
    GreyPicture pic({"#.#.#", "#.#.#"});
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(rle.get(), pic.get()), 0);
    ASSERT_EQ(rle->uiObjectCount, 3u);
    std::vector<uint8_t> before(rle->pObjects, rle->pObjects + rle->uiObjectSize);
    SLxRLEObject* middle = CLxRLEPicBufAPI::FindObjectByIndex(rle.get(), 1);
    uint8_t* custom = CLxRLEPicBufAPI::GetCustomDataPtr(middle);
    uint8_t* start = reinterpret_cast<uint8_t*>(middle);
    ASSERT_EQ(custom, start + Header(middle).uiSize - 16);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(custom[i], 0) << i;
    std::memset(custom, 0xC3, 16);
    size_t from = size_t(start - rle->pObjects);
    for (size_t i = 0; i < before.size(); ++i)
        if (i < from + Header(middle).uiSize - 16 || i >= from + Header(middle).uiSize) {
            ASSERT_EQ(rle->pObjects[i], before[i]) << i;
        }
    EXPECT_EQ(RunsOf(middle), (std::vector<RunTriple>{{0, 2, 1}, {1, 2, 1}}));

    RLEPicture copy, added;
    ASSERT_EQ(CLxRLEPicBufAPI::Copy(copy.get(), rle.get()), 0);
    ASSERT_EQ(CLxRLEPicBufAPI::AddObject(added.get(), middle, nullptr), 0);
    for (SLxRLEPicBuf* r : {copy.get(), added.get()}) {
        const SLxRLEObject* o = CLxRLEPicBufAPI::FindObjectByIndex(r, r == copy.get() ? 1 : 0);
        const uint8_t* c = CLxRLEPicBufAPI::GetCustomDataPtr(o);
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(c[i], 0xC3);
    }
    EXPECT_EQ(CLxRLEPicBufAPI::GetCustomDataPtr(nullptr), nullptr);
}

class RLETrace : public ::testing::Test
{
  protected:
    void SetUp() override { m_previous = LX_SetTraceOptions(LX_DIAG_DEBUGOUT); }
    void TearDown() override { LX_SetTraceOptions(unsigned(m_previous)); }
    std::vector<std::string> Lines()
    {
        std::vector<std::string> out;
        for (const std::u16string& t : m_capture.texts()) {
            std::string s = U8(t.c_str());
            while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
                s.pop_back();
            // Each record carries the window tag in front.
            const std::string tag = "|wndid:0 ";
            if (s.compare(0, tag.size(), tag) == 0)
                s.erase(0, tag.size());
            out.push_back(s);
        }
        return out;
    }
    int m_previous = 0;
    DebugOutputCapture m_capture;
};

TEST_F(RLETrace, EmptyPictureWritesTheFourHeaderLines)
{
    RLEPicture rle;
    ASSERT_EQ(CLxRLEPicBufAPI::Reinit(rle.get(), 6, 4), 0);
    m_capture.clear();
    EXPECT_EQ(CLxRLEPicBufAPI::TraceRLE(rle.get()), 0);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"Height = 4", "Width = 6", "Object Count = 0",
                                                 "Object Size = 0"}));
}

TEST_F(RLETrace, ObjectsSegmentsAndRunsAreIndented)
{
    GreyPicture pic({"##.#", "...."});
    RLEPicture rle;
    ASSERT_EQ(CLxRLEPicBufAPI::ConvertPicBufToPaintedRLE(rle.get(), pic.get()), 0);
    m_capture.clear();
    CLxRLEPicBufAPI::TraceRLE(rle.get());
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 4u + 2 * (2 + 2 + 2));
    EXPECT_EQ(lines[3], "Object Size = 130");
    EXPECT_EQ(lines[4], "  Object ID = 1");
    EXPECT_EQ(lines[5], "  Row Segment Count = 1");
    EXPECT_EQ(lines[6], "     Segment Count = 1");
    EXPECT_EQ(lines[7], "     Y = 0");
    EXPECT_EQ(lines[8], "        XStart = 0");
    EXPECT_EQ(lines[9], "        XLength = 2");
    EXPECT_EQ(lines[14], "        XStart = 3");
}

} // namespace
