// The dispatchers: empty windows, formats without a kernel, table checks, and
// the member each format reaches.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "gnr_picture/lut/LxLut.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"

namespace
{

using API = CLxPicMemAPI;

// --- width or count 0 ------------------------------------------------------------

struct EmptyCall {
    const char* name;
    std::function<int(uint32_t width, uint32_t count)> call;
};

// Null pictures and tables: an empty window must not look at them.
const EmptyCall kEmptyCalls[] = {
    {"Compare",
     [](uint32_t w, uint32_t n) { return API::Compare(nullptr, 0, nullptr, 0, 3, 8, w, n); }},
    {"Copy", [](uint32_t w, uint32_t n) { return API::Copy(nullptr, 0, nullptr, 0, 3, 8, w, n); }},
    {"Set", [](uint32_t w, uint32_t n) { return API::Set(nullptr, 0, 1, 3, 8, w, n); }},
    {"BlendTwoBuffers",
     [](uint32_t w, uint32_t n) {
         return API::BlendTwoBuffers(nullptr, 0, nullptr, 0, nullptr, 3, 8, w, n);
     }},
    {"CopyMask",
     [](uint32_t w, uint32_t n) {
         return API::CopyMask(nullptr, 0, nullptr, 0, 3, 8, nullptr, 99, 0, w, n, 1, true);
     }},
    {"SetValue",
     [](uint32_t w, uint32_t n) { return API::SetValue(nullptr, 3, 8, 0, nullptr, w, n); }},
    {"ChangeValue",
     [](uint32_t w, uint32_t n) {
         return API::ChangeValue(nullptr, 3, 8, 0, nullptr, nullptr, w, n);
     }},
    {"ConvertBitDepthViaShifts",
     [](uint32_t w, uint32_t n) {
         return API::ConvertBitDepthViaShifts(nullptr, 99, 0, nullptr, 8, 0, 3, w, n);
     }},
    {"ChangeBitDepth",
     [](uint32_t w, uint32_t n) {
         return API::ChangeBitDepth(nullptr, 99, 0, nullptr, 8, 0, 3, w, n);
     }},
    {"ConvertBitDepthViaLuts",
     [](uint32_t w, uint32_t n) {
         return API::ConvertBitDepthViaLuts(nullptr, 8, 0, nullptr, 12, 0, nullptr, 3, w, n);
     }},
    {"ConvertBitDepthViaLinFunc",
     [](uint32_t w, uint32_t n) {
         return API::ConvertBitDepthViaLinFunc(nullptr, 16, 0, nullptr, 20, 0, nullptr, 3, w, n);
     }},
    {"CollapseComponents",
     [](uint32_t w, uint32_t n) {
         return API::CollapseComponents(nullptr, 0, nullptr, 0, 0, nullptr, 8, w, n);
     }},
    {"ExpandComponent",
     [](uint32_t w, uint32_t n) {
         return API::ExpandComponent(nullptr, 3, 0, nullptr, 0, 8, w, n);
     }},
    {"CollapseRGBAtoRGB",
     [](uint32_t w, uint32_t n) {
         return API::CollapseRGBAtoRGB(nullptr, 0, nullptr, 0, 8, w, n);
     }},
    {"ExpandRGBtoRGBA",
     [](uint32_t w, uint32_t n) {
         return API::ExpandRGBtoRGBA(nullptr, 0, nullptr, 0, 255, 8, w, n);
     }},
    {"CopyComponent",
     [](uint32_t w, uint32_t n) {
         return API::CopyComponent(nullptr, 1, 0, 5, nullptr, 1, 0, 5, 8, w, n);
     }},
    {"ExtractComponent",
     [](uint32_t w, uint32_t n) {
         return API::ExtractComponent(nullptr, 0, nullptr, 3, 0, 2, 16, w, n);
     }},
    {"StoreComponent",
     [](uint32_t w, uint32_t n) {
         return API::StoreComponent(nullptr, 3, 0, 2, nullptr, 0, 16, w, n);
     }},
    {"CopyComponentMask",
     [](uint32_t w, uint32_t n) {
         return API::CopyComponentMask(nullptr, 3, 0, 0, nullptr, 3, 0, 0, 8, nullptr, 0, 8, w, n,
                                       1, true);
     }},
    {"ConvertComponentViaShifts",
     [](uint32_t w, uint32_t n) {
         return API::ConvertComponentViaShifts(nullptr, 3, 8, 0, 0, nullptr, 3, 12, 0, 0, w, n);
     }},
    {"SetComponentValue",
     [](uint32_t w, uint32_t n) { return API::SetComponentValue(nullptr, 3, 8, 0, 0, 1, w, n); }},
    {"CompareComponent",
     [](uint32_t w, uint32_t n) {
         return API::CompareComponent(nullptr, 3, 0, 0, nullptr, 3, 0, 0, 8, w, n);
     }},
    {"ExtractComponentViaLuts",
     [](uint32_t w, uint32_t n) {
         return API::ExtractComponentViaLuts(nullptr, 3, 8, 0, nullptr, 3, 12, 0, 0, nullptr, w, n);
     }},
    {"FlipVert",
     [](uint32_t w, uint32_t n) { return API::FlipVert(nullptr, 0, nullptr, 0, w, n); }},
    {"FlipVertInPlace", [](uint32_t w, uint32_t n) { return API::FlipVert(nullptr, 0, w, n); }},
    {"FlipHor",
     [](uint32_t w, uint32_t n) { return API::FlipHor(nullptr, nullptr, 8, 3, 0, w, n); }},
    {"FlipVertExtractComp",
     [](uint32_t w, uint32_t n) {
         return API::FlipVertExtractComp(0, nullptr, 0, nullptr, 0, 3, 8, w, n);
     }},
    {"ExpandBits",
     [](uint32_t w, uint32_t n) { return API::ExpandBits(nullptr, 4, 0, nullptr, 8, 0, 1, w, n); }},
    {"CollapseBits",
     [](uint32_t w, uint32_t n) {
         return API::CollapseBits(nullptr, 16, 0, nullptr, 8, 0, 1, w, n);
     }},
};

TEST(PicMemDispatch, AnEmptyWindowIsSuccessWithoutLookingAtTheRest)
{
    for (const EmptyCall& c : kEmptyCalls) {
        EXPECT_EQ(c.call(0, 100), 0) << c.name << " width 0";
        EXPECT_EQ(c.call(100, 0), 0) << c.name << " count 0";
    }
}

// --- refused formats and arguments -----------------------------------------------

constexpr uint8_t kMarker = 0xA5;

struct RefusedCall {
    const char* name;
    int expected;
    // Works on two 64-byte pictures of marker bytes.
    std::function<int(uint8_t* dst, uint8_t* src)> call;
};

SLxLut* colourTable12to8()
{
    static SLxLut lut;
    if (!lut.pTable)
        SLxLut::AllocColor(&lut, 12, 8);
    return &lut;
}

const RefusedCall kRefusedCalls[] = {
    {"Copy of 0 bits", -2,
     [](uint8_t* d, uint8_t* s) { return API::Copy(d, 8, s, 8, 1, 0, 2, 4); }},
    {"Set of 65 bits", -2, [](uint8_t* d, uint8_t*) { return API::Set(d, 8, 1, 1, 65, 2, 4); }},
    {"BlendTwoBuffers without a table", -4,
     [](uint8_t* d, uint8_t* s) { return API::BlendTwoBuffers(d, 8, s, 8, nullptr, 1, 8, 2, 4); }},
    {"CopyMask with 24-bit masks", -4,
     [](uint8_t* d, uint8_t* s) {
         return API::CopyMask(d, 8, s, 8, 1, 8, s, 24, 8, 2, 4, 0, true);
     }},
    {"SetValue of 24 bits", -2,
     [](uint8_t* d, uint8_t* s) { return API::SetValue(d, 1, 24, 8, s, 2, 4); }},
    {"SetValue without a value", -4,
     [](uint8_t* d, uint8_t*) { return API::SetValue(d, 1, 8, 8, nullptr, 2, 4); }},
    {"ChangeValue of 32 bits", -2,
     [](uint8_t* d, uint8_t* s) { return API::ChangeValue(d, 1, 32, 8, s, s, 2, 4); }},
    {"ConvertBitDepthViaShifts 8 to 32", -2,
     [](uint8_t* d, uint8_t* s) {
         return API::ConvertBitDepthViaShifts(d, 32, 8, s, 8, 8, 1, 2, 4);
     }},
    {"ConvertBitDepthViaShifts 7 to 12", -2,
     [](uint8_t* d, uint8_t* s) {
         return API::ConvertBitDepthViaShifts(d, 12, 8, s, 7, 8, 1, 2, 4);
     }},
    {"ChangeBitDepth to 40", -2,
     [](uint8_t* d, uint8_t* s) { return API::ChangeBitDepth(d, 40, 8, s, 8, 8, 1, 2, 4); }},
    {"ChangeBitDepth from 33", -2,
     [](uint8_t* d, uint8_t* s) { return API::ChangeBitDepth(d, 16, 8, s, 33, 8, 1, 2, 4); }},
    {"ConvertBitDepthViaLuts at equal depths through a table of other bits", -4,
     [](uint8_t* d, uint8_t* s) {
         return API::ConvertBitDepthViaLuts(d, 12, 8, s, 12, 8, colourTable12to8(), 3, 2, 4);
     }},
    {"ConvertBitDepthViaLuts without a table", -4,
     [](uint8_t* d, uint8_t* s) {
         return API::ConvertBitDepthViaLuts(d, 8, 8, s, 12, 8, nullptr, 3, 2, 4);
     }},
    {"ConvertBitDepthViaLuts from other bits", -4,
     [](uint8_t* d, uint8_t* s) {
         return API::ConvertBitDepthViaLuts(d, 8, 8, s, 14, 8, colourTable12to8(), 3, 2, 4);
     }},
    {"ConvertBitDepthViaLuts with another component count", -4,
     [](uint8_t* d, uint8_t* s) {
         return API::ConvertBitDepthViaLuts(d, 8, 8, s, 12, 8, colourTable12to8(), 4, 2, 4);
     }},
    {"ConvertBitDepthViaLuts of one component through a colour table", -4,
     [](uint8_t* d, uint8_t* s) {
         return API::ConvertBitDepthViaLuts(d, 8, 8, s, 12, 8, colourTable12to8(), 1, 2, 4);
     }},
    {"ConvertBitDepthViaLinFunc from 16 bits", -2,
     [](uint8_t* d, uint8_t* s) {
         const uint64_t p[4] = {1, 0, 1, 0};
         return API::ConvertBitDepthViaLinFunc(d, 8, 8, s, 16, 8, p, 1, 2, 4);
     }},
    {"ConvertBitDepthViaLinFunc to 20 bits", -2,
     [](uint8_t* d, uint8_t* s) {
         const uint64_t p[4] = {1, 0, 1, 0};
         return API::ConvertBitDepthViaLinFunc(d, 20, 8, s, 24, 8, p, 1, 2, 4);
     }},
    {"ConvertBitDepthViaLinFunc without coefficients", -4,
     [](uint8_t* d, uint8_t* s) {
         return API::ConvertBitDepthViaLinFunc(d, 16, 8, s, 24, 8, nullptr, 1, 1, 2);
     }},
    {"CollapseComponents of 24 bits", -2,
     [](uint8_t* d, uint8_t* s) {
         return API::CollapseComponents(d, 8, s, 3, 8, nullptr, 24, 2, 4);
     }},
    {"CollapseComponents of no components", -4,
     [](uint8_t* d, uint8_t* s) {
         return API::CollapseComponents(d, 8, s, 0, 8, nullptr, 8, 2, 4);
     }},
    // 1 to 7 bits have no member: nothing is processed as bytes.
    {"CollapseComponents of 7 bits", -2,
     [](uint8_t* d, uint8_t* s) {
         return API::CollapseComponents(d, 8, s, 3, 8, nullptr, 7, 2, 4);
     }},
    {"CollapseComponents of 1 component of 1 bit", -2,
     [](uint8_t* d, uint8_t* s) {
         return API::CollapseComponents(d, 8, s, 1, 8, nullptr, 1, 2, 4);
     }},
    {"ExpandComponent of 4 bits", -2,
     [](uint8_t* d, uint8_t* s) { return API::ExpandComponent(d, 3, 8, s, 8, 4, 2, 4); }},
    {"ExtractComponent of 6 bits", -2,
     [](uint8_t* d, uint8_t* s) { return API::ExtractComponent(d, 8, s, 3, 8, 1, 6, 2, 4); }},
    {"Stretch of 7 bits", -2,
     [](uint8_t* d, uint8_t* s) {
         return API::Stretch(d, 1, 8, 7, 2, 2, s, 8, 4, 0, 0, 2, 4, API::eLxStretchBSpline);
     }},
    {"StretchDisplay of 1 bit", -2,
     [](uint8_t* d, uint8_t* s) {
         return API::StretchDisplay(d, 2, 2, 1, 8, 1, 4, 4, 0, 0, s, 2, 2, 8,
                                    API::eLxStretchNearest);
     }},
    {"ExpandComponent of 32 bits", -2,
     [](uint8_t* d, uint8_t* s) { return API::ExpandComponent(d, 3, 8, s, 8, 32, 2, 4); }},
    {"CollapseRGBAtoRGB of 0 bits", -2,
     [](uint8_t* d, uint8_t* s) { return API::CollapseRGBAtoRGB(d, 8, s, 8, 0, 2, 4); }},
    {"ExpandRGBtoRGBA of 20 bits", -2,
     [](uint8_t* d, uint8_t* s) { return API::ExpandRGBtoRGBA(d, 8, s, 8, 1, 20, 2, 4); }},
    {"CopyComponent of 24 bits", -2,
     [](uint8_t* d, uint8_t* s) { return API::CopyComponent(d, 1, 8, 0, s, 1, 8, 0, 24, 2, 4); }},
    {"CopyComponent past the source pixel", -4,
     [](uint8_t* d, uint8_t* s) { return API::CopyComponent(d, 1, 8, 0, s, 3, 8, 3, 8, 2, 4); }},
    {"StoreComponent past the destination pixel", -4,
     [](uint8_t* d, uint8_t* s) { return API::StoreComponent(d, 3, 8, 3, s, 8, 8, 2, 4); }},
    {"CopyComponentMask with 24-bit masks", -2,
     [](uint8_t* d, uint8_t* s) {
         return API::CopyComponentMask(d, 1, 8, 0, s, 1, 8, 0, 8, s, 8, 24, 2, 4, 0, true);
     }},
    {"ConvertComponentViaShifts 8 to 20", -2,
     [](uint8_t* d, uint8_t* s) {
         return API::ConvertComponentViaShifts(d, 1, 20, 8, 0, s, 1, 8, 8, 0, 2, 4);
     }},
    {"SetComponentValue past the pixel", -4,
     [](uint8_t* d, uint8_t*) { return API::SetComponentValue(d, 2, 8, 8, 2, 1, 2, 4); }},
    {"ExtractComponentViaLuts to 12 bits", -4,
     [](uint8_t* d, uint8_t* s) {
         return API::ExtractComponentViaLuts(d, 3, 12, 8, s, 1, 12, 8, 0, colourTable12to8(), 2, 4);
     }},
    {"ExtractComponentViaLuts without a table", -4,
     [](uint8_t* d, uint8_t* s) {
         return API::ExtractComponentViaLuts(d, 3, 8, 8, s, 1, 12, 8, 0, nullptr, 2, 4);
     }},
    {"ExtractComponentViaLuts into another component count", -4,
     [](uint8_t* d, uint8_t* s) {
         return API::ExtractComponentViaLuts(d, 2, 8, 8, s, 1, 12, 8, 0, colourTable12to8(), 2, 4);
     }},
    {"FlipHor of 0 bits", -2,
     [](uint8_t* d, uint8_t* s) { return API::FlipHor(d, s, 0, 1, 8, 2, 2); }},
    {"FlipVertExtractComp of 24 bits", -2,
     [](uint8_t* d, uint8_t* s) { return API::FlipVertExtractComp(0, d, 8, s, 8, 1, 24, 2, 4); }},
    {"ExpandBits to fewer bits", -2,
     [](uint8_t* d, uint8_t* s) { return API::ExpandBits(d, 8, 8, s, 16, 8, 1, 2, 4); }},
    {"ExpandBits to 40 bits", -2,
     [](uint8_t* d, uint8_t* s) { return API::ExpandBits(d, 40, 8, s, 16, 8, 1, 2, 4); }},
    {"CollapseBits to more bits", -2,
     [](uint8_t* d, uint8_t* s) { return API::CollapseBits(d, 16, 8, s, 8, 8, 1, 2, 4); }},
    {"CollapseBits from 33 bits", -2,
     [](uint8_t* d, uint8_t* s) { return API::CollapseBits(d, 16, 8, s, 33, 8, 1, 2, 4); }},
};

TEST(PicMemDispatch, FormatsWithoutAKernelAndBadArgumentsTouchNothing)
{
    for (const RefusedCall& c : kRefusedCalls) {
        std::vector<uint8_t> dst(64, kMarker), src(64, kMarker);
        EXPECT_EQ(c.call(dst.data(), src.data()), c.expected) << c.name;
        EXPECT_EQ(dst, std::vector<uint8_t>(64, kMarker)) << c.name;
    }
    SLxLut::Free(colourTable12to8());
}

TEST(PicMemDispatch, ComparisonsReportRefusalsThroughTheStatus)
{
    const uint8_t a[4] = {1, 2, 3, 4}, b[4] = {1, 2, 3, 5};
    int status = 99;
    EXPECT_EQ(API::Compare(a, 4, b, 4, 1, 8, 4, 4, &status), -1);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(API::Compare(a, 4, b, 4, 1, 0, 4, 4, &status), 0);
    EXPECT_EQ(status, -2);
    EXPECT_EQ(API::CompareComponent(a, 1, 4, 0, b, 1, 4, 0, 8, 4, 4, &status), -1);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(API::CompareComponent(a, 1, 4, 0, b, 1, 4, 0, 24, 1, 1, &status), 0);
    EXPECT_EQ(status, -2);
    EXPECT_EQ(API::CompareComponent(a, 1, 4, 1, b, 1, 4, 0, 8, 4, 4, &status), 0);
    EXPECT_EQ(status, -4);
}

TEST(PicMemDispatch, CompareIgnoresThePadding)
{
    const uint8_t a[8] = {1, 2, 3, 9, 4, 5, 6, 9}, b[8] = {1, 2, 3, 7, 4, 5, 6, 7};
    EXPECT_EQ(API::Compare(a, 4, b, 4, 3, 8, 1, 2), 0);
}

// --- the document reader's planes --------------------------------------------------

// A B,G,R frame whose samples tell their position.
template <class T> std::vector<T> frame(uint32_t width, uint32_t height)
{
    std::vector<T> f(size_t(width) * height * 3);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            for (uint32_t c = 0; c < 3; ++c)
                f[(size_t(y) * width + x) * 3 + c] = T(x * 7 + y * 13 + c * 1000);
    return f;
}

template <class T> void extractAndStoreTheRedPlane(uint32_t bits)
{
    const uint32_t w = 640, h = 480;
    const std::vector<T> bgr = frame<T>(w, h);
    std::vector<T> red(size_t(w) * h);
    ASSERT_EQ(API::ExtractComponent(red.data(), w * sizeof(T), bgr.data(), 3, w * 3 * sizeof(T), 2,
                                    bits, w, w * h),
              0);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            ASSERT_EQ(red[size_t(y) * w + x], T(x * 7 + y * 13 + 2000)) << x << "," << y;

    // Back into a frame whose other components stay.
    std::vector<T> out(bgr.size(), T(0x5A5A));
    ASSERT_EQ(API::StoreComponent(out.data(), 3, w * 3 * sizeof(T), 2, red.data(), w * sizeof(T),
                                  bits, w, w * h),
              0);
    for (size_t i = 0; i < out.size(); ++i)
        ASSERT_EQ(out[i], i % 3 == 2 ? bgr[i] : T(0x5A5A)) << i;

    // Green of one frame into blue of another.
    ASSERT_EQ(API::CopyComponent(out.data(), 3, w * 3 * sizeof(T), 0, bgr.data(), 3,
                                 w * 3 * sizeof(T), 1, bits, w, w * h),
              0);
    for (size_t i = 0; i < out.size(); i += 3)
        ASSERT_EQ(out[i], bgr[i + 1]) << i;
}

TEST(PicMemDispatch, ExtractStoreAndCopyTheComponentsOf16BitFrames)
{
    extractAndStoreTheRedPlane<uint16_t>(12);
}

TEST(PicMemDispatch, ExtractStoreAndCopyTheComponentsOf8BitFrames)
{
    extractAndStoreTheRedPlane<uint8_t>(8);
}

TEST(PicMemDispatch, FlipVertExtractCompTakesTheLinesBottomUp)
{
    const std::vector<uint16_t> bgr = frame<uint16_t>(5, 3);
    std::vector<uint16_t> plane(15);
    ASSERT_EQ(API::FlipVertExtractComp(1, plane.data(), 10, bgr.data(), 30, 3, 16, 5, 15), 0);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x)
            EXPECT_EQ(plane[y * 5 + x], bgr[((2 - y) * 5 + x) * 3 + 1]);
}

// --- member choice ---------------------------------------------------------------

TEST(PicMemDispatch, ShiftConversionsPickTheirMember)
{
    const uint16_t in[2] = {4095, 0x1234};
    uint16_t out[2] = {};
    // 12 to 12 bits is a plain copy.
    ASSERT_EQ(API::ConvertBitDepthViaShifts(out, 12, 4, in, 12, 4, 1, 2, 2), 0);
    EXPECT_EQ(out[1], 0x1234);
    ASSERT_EQ(API::ConvertBitDepthViaShifts(out, 16, 4, in, 12, 4, 1, 2, 2), 0);
    EXPECT_EQ(out[0], 65520);
    uint8_t low[2] = {};
    ASSERT_EQ(API::ConvertBitDepthViaShifts(low, 8, 2, in, 12, 4, 1, 2, 2), 0);
    EXPECT_EQ(low[0], 255);
    // A component from 12 to 14 bits goes through the 16-to-16 member.
    ASSERT_EQ(API::ConvertComponentViaShifts(out, 1, 14, 2, 0, in, 2, 12, 4, 0, 1, 1), 0);
    EXPECT_EQ(out[0], 16380);
}

TEST(PicMemDispatch, StorageWidthChangesKeepOrLimitValues)
{
    const uint16_t wide[3] = {300, 200, 7};
    uint8_t narrow[3] = {};
    ASSERT_EQ(API::CollapseBits(narrow, 8, 3, wide, 16, 6, 1, 3, 3), 0);
    EXPECT_EQ(std::vector<uint8_t>(narrow, narrow + 3), (std::vector<uint8_t>{255, 200, 7}));
    ASSERT_EQ(API::CollapseBits(narrow, 3, 3, wide, 12, 6, 1, 3, 3), 0);
    EXPECT_EQ(std::vector<uint8_t>(narrow, narrow + 3), (std::vector<uint8_t>{7, 7, 7}));
    uint16_t back[3] = {};
    ASSERT_EQ(API::ExpandBits(back, 16, 6, narrow, 8, 3, 1, 3, 3), 0);
    EXPECT_EQ(back[0], 7);
    const uint8_t two = 200;
    uint32_t widest = 0;
    ASSERT_EQ(API::ExpandBits(&widest, 24, 4, &two, 8, 1, 1, 1, 1), 0);
    EXPECT_EQ(widest, 200u);
    ASSERT_EQ(API::ChangeBitDepth(back, 16, 6, &two, 8, 1, 1, 1, 1), 0);
    EXPECT_EQ(back[0], 200);
}

TEST(PicMemDispatch, ComponentCountConversionsPickTheirMember)
{
    const uint8_t gray[2] = {10, 20};
    uint8_t four[8] = {};
    // Four components take the member for any count: no zero alpha.
    ASSERT_EQ(API::ExpandComponent(four, 4, 8, gray, 2, 8, 2, 2), 0);
    EXPECT_EQ(std::vector<uint8_t>(four, four + 8),
              (std::vector<uint8_t>{10, 10, 10, 10, 20, 20, 20, 20}));
    uint8_t three[6] = {};
    ASSERT_EQ(API::CollapseRGBAtoRGB(three, 6, four, 8, 8, 2, 2), 0);
    EXPECT_EQ(three[5], 20);
    ASSERT_EQ(API::ExpandRGBtoRGBA(four, 8, three, 6, 0x1FF, 8, 2, 2), 0);
    EXPECT_EQ(four[7], 0xFF);
    uint8_t back[2] = {};
    const double redOnly[4] = {0, 0, 1, 0};
    ASSERT_EQ(API::CollapseComponents(back, 2, four, 4, 8, redOnly, 8, 2, 2), 0);
    EXPECT_EQ(back[1], 20);
    ASSERT_EQ(API::CollapseComponents(back, 2, gray, 1, 2, nullptr, 8, 2, 2), 0);
    EXPECT_EQ(back[0], 10);
}

TEST(PicMemDispatch, ConvertBitDepthViaLutsAtEqualDepthsAppliesTheTable)
{
    SLxLut lut;
    ASSERT_EQ(SLxLut::AllocSingle(&lut, 8, 8), 0);
    auto* table = static_cast<uint8_t*>(lut.pTable);
    for (int i = 0; i < 256; ++i)
        table[i] = uint8_t(255 - i);
    const uint8_t src[6] = {0, 1, 2, 200, 254, 255};
    uint8_t viaConvert[6] = {}, viaApply[6] = {};
    EXPECT_EQ(API::ConvertBitDepthViaLuts(viaConvert, 8, 6, src, 8, 6, &lut, 1, 6, 6), 0);
    EXPECT_EQ(API::ApplyLuts(viaApply, 6, src, 6, &lut, 1, 8, 6, 6), 0);
    EXPECT_EQ(std::vector<uint8_t>(viaConvert, viaConvert + 6), std::vector<uint8_t>(viaApply, viaApply + 6));
    EXPECT_EQ(viaConvert[3], 55);
    SLxLut::Free(&lut);
}

} // namespace
