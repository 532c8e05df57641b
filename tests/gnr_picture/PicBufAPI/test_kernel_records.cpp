// The predefined kernel records against their published table, written here
// as text so that a slip in either form shows.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"

namespace
{

struct RecordRow {
    const SLxKernel* record;
    const char16_t* name;
    uint32_t rows, cols, centreRow, centreCol;
    const char* values; // row by row, rows apart by "/"
    uint32_t kind;
    const char* mask; // empty: set where the value is not 0
};

std::vector<int32_t> numbers(const std::string& text)
{
    std::vector<int32_t> out;
    std::istringstream in(text);
    std::string word;
    while (in >> word)
        if (word != "/")
            out.push_back(std::stoi(word));
    return out;
}

const RecordRow kTable[] = {
    {&CLxPicBufAPI::Square2, u"Square2", 2, 2, 0, 0, "1 1 / 1 1", 23, ""},
    {&CLxPicBufAPI::Square3, u"Square3", 3, 3, 1, 1, "1 1 1 / 1 1 1 / 1 1 1", 23, ""},
    {&CLxPicBufAPI::Square5, u"Square5", 5, 5, 2, 2,
     "1 1 1 1 1 / 1 1 1 1 1 / 1 1 1 1 1 / 1 1 1 1 1 / 1 1 1 1 1", 23, ""},
    {&CLxPicBufAPI::Oct4, u"Oct4", 4, 4, 1, 1, "0 1 1 0 / 1 1 1 1 / 1 1 1 1 / 0 1 1 0", 23, ""},
    {&CLxPicBufAPI::Oct5, u"Oct5", 5, 5, 2, 2,
     "0 1 1 1 0 / 1 1 1 1 1 / 1 1 1 1 1 / 1 1 1 1 1 / 0 1 1 1 0", 23, ""},
    {&CLxPicBufAPI::Oct7, u"Oct7", 7, 7, 3, 3,
     "0 0 1 1 1 0 0 / 0 1 1 1 1 1 0 / 1 1 1 1 1 1 1 / 1 1 1 1 1 1 1 / 1 1 1 1 1 1 1 / "
     "0 1 1 1 1 1 0 / 0 0 1 1 1 0 0",
     23, ""},
    {&CLxPicBufAPI::Cross3, u"Cross3", 3, 3, 1, 1, "0 1 0 / 1 1 1 / 0 1 0", 23, ""},
    {&CLxPicBufAPI::Cross5, u"Cross5", 5, 5, 2, 2,
     "0 0 1 0 0 / 0 0 1 0 0 / 1 1 1 1 1 / 0 0 1 0 0 / 0 0 1 0 0", 23, ""},
    {&CLxPicBufAPI::Lin_0, u"Lin_0", 3, 3, 1, 1, "0 0 0 / 1 1 1 / 0 0 0", 23, ""},
    {&CLxPicBufAPI::Lin_45, u"Lin_45", 3, 3, 1, 1, "0 0 1 / 0 1 0 / 1 0 0", 23, ""},
    {&CLxPicBufAPI::Lin_90, u"Lin_90", 3, 3, 1, 1, "0 1 0 / 0 1 0 / 0 1 0", 23, ""},
    {&CLxPicBufAPI::Lin_135, u"Lin_135", 3, 3, 1, 1, "1 0 0 / 0 1 0 / 0 0 1", 23, ""},
    {&CLxPicBufAPI::C8SkeletetonL1, u"C8SkeletetonL1", 3, 3, 1, 1, "0 0 0 / 2 1 2 / 1 1 1", 2, ""},
    {&CLxPicBufAPI::C8SkeletetonL2, u"C8SkeletetonL2", 3, 3, 1, 1, "2 0 0 / 1 1 0 / 2 1 2", 2, ""},
    {&CLxPicBufAPI::C8PrunningE1, u"C8PrunningE1", 3, 3, 1, 1, "2 1 2 / 0 1 0 / 0 0 0", 2, ""},
    {&CLxPicBufAPI::C8PrunningE2, u"C8PrunningE2", 3, 3, 1, 1, "0 2 2 / 0 1 2 / 0 0 0", 2, ""},
    {&CLxPicBufAPI::C4PrunningE1, u"C4PrunningE1", 3, 3, 1, 1, "2 0 2 / 0 1 0 / 2 2 2", 2, ""},
    {&CLxPicBufAPI::C4PrunningE2, u"C4PrunningE2", 3, 3, 1, 1, "2 2 2 / 0 1 0 / 2 0 2", 2, ""},
    {&CLxPicBufAPI::C8MarkingD1, u"C8MarkingD1", 3, 3, 1, 1, "0 2 2 / 0 1 1 / 0 2 2", 2, ""},
    {&CLxPicBufAPI::C8MarkingD2, u"C8MarkingD2", 3, 3, 1, 1, "0 0 0 / 0 1 2 / 0 2 1", 2, ""},
    {&CLxPicBufAPI::C4SkeletonL1, u"C4SkeletonL1", 3, 3, 1, 1, "0 0 0 / 2 1 2 / 1 1 1", 2, ""},
    {&CLxPicBufAPI::C4SkeletonL2, u"C4SkeletonL2", 3, 3, 1, 1, "2 0 2 / 1 1 0 / 1 1 2", 2,
     "1 0 0 / 1 1 0 / 1 1 1"},
    {&CLxPicBufAPI::SinglePoint, u"SinglePoint", 3, 3, 1, 1, "0 0 0 / 0 1 0 / 0 0 0", 23, ""},
    {&CLxPicBufAPI::Laplace4, u"Laplace4", 3, 3, 1, 1, "0 -1 0 / -1 4 -1 / 0 -1 0", 23, ""},
    {&CLxPicBufAPI::Laplace8, u"Laplace8", 3, 3, 1, 1, "-1 -1 -1 / -1 8 -1 / -1 -1 -1", 23, ""},
    {&CLxPicBufAPI::PelvanFilter, u"PelvanFilter", 5, 5, 2, 2,
     "-2 -1 -1 -1 -2 / -1 2 2 2 -1 / -1 2 5 2 -1 / -1 2 2 2 -1 / -2 -1 -1 -1 -2", 23, ""},
    {&CLxPicBufAPI::Sharp, u"Sharp", 3, 3, 1, 1, "0 -1 0 / -1 5 -1 / 0 -1 0", 23, ""},
    {&CLxPicBufAPI::SharpMore, u"SharpMore", 3, 3, 1, 1, "-1 -1 -1 / -1 9 -1 / -1 -1 -1", 23, ""},
    {&CLxPicBufAPI::HorizontalEdge, u"HorizontalEdge", 3, 3, 1, 1, "-2 -2 -2 / 0 0 0 / 2 2 2", 23,
     ""},
    {&CLxPicBufAPI::VerticalEdge, u"VerticalEdge", 3, 3, 1, 1, "-2 0 2 / -2 0 2 / -2 0 2", 23, ""},
    {&CLxPicBufAPI::DetectEdge, u"DetectEdge", 3, 3, 1, 1, "-1 -2 1 / -2 0 2 / -1 2 1", 23, ""},
    {&CLxPicBufAPI::RegionalExtrema1, u"RegionalExtrema1", 3, 3, 1, 1, "1 1 1 / 1 1 0 / 0 0 0", 23,
     ""},
    {&CLxPicBufAPI::RegionalExtrema2, u"RegionalExtrema2", 3, 3, 1, 1, "0 0 0 / 0 1 1 / 1 1 1", 23,
     ""},
};

TEST(KernelRecords, ThirtyThreeRecordsMatchTheirTable)
{
    ASSERT_EQ(sizeof(kTable) / sizeof(kTable[0]), 33u);
    for (const RecordRow& row : kTable) {
        const SLxKernel& k = *row.record;
        const std::u16string name(k.wszName);
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        EXPECT_EQ(name, std::u16string(row.name));
        EXPECT_EQ(k.uiNRows, row.rows);
        EXPECT_EQ(k.uiNCols, row.cols);
        EXPECT_EQ(k.uiCenterRow, row.centreRow);
        EXPECT_EQ(k.uiCenterCol, row.centreCol);
        EXPECT_EQ(k.uiKind, row.kind);
        EXPECT_EQ(k.uiLast, 1u);
        const std::vector<int32_t> values = numbers(row.values);
        std::vector<int32_t> mask = numbers(row.mask);
        ASSERT_EQ(values.size(), size_t(row.rows) * row.cols);
        if (mask.empty())
            for (int32_t v : values)
                mask.push_back(v != 0);
        for (size_t e = 0; e < MAX_KERNEL_ELEMENTS; ++e) {
            const bool inside = e < values.size();
            ASSERT_EQ(k.iValues[e], inside ? values[e] : 0) << "element " << e;
            ASSERT_EQ(k.ubMask[e], inside ? uint8_t(mask[e]) : 0) << "element " << e;
        }
    }
}

TEST(KernelRecords, RecordsAreWritableAndTheOperationsReadThemAsTheyAre)
{
    const SLxKernel saved = CLxPicBufAPI::Laplace8;
    EXPECT_EQ(CLxPicBufAPI::GetConvolReqBpc(&CLxPicBufAPI::Laplace8, 8), 12u);
    CLxPicBufAPI::Laplace8.iValues[4] = 100;
    EXPECT_EQ(CLxPicBufAPI::GetConvolReqBpc(&CLxPicBufAPI::Laplace8, 8), 15u);
    CLxPicBufAPI::Laplace8 = saved;
}

} // namespace
