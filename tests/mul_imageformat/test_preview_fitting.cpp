// Fitting a requested preview size to a document's aspect ratio.
#include <gtest/gtest.h>

#include "mul_imageformat/LxImageAttributes.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxPreviewFitting.h"

namespace
{

struct FitCase {
    uint32_t docW, docH, askW, askH;
    bool keep;
    uint32_t w, h;
};

TEST(PreviewFitting, FitsInsideTheRequestedBox)
{
    const FitCase cases[] = {
        {200, 100, 100, 100, false, 100, 50},
        {100, 200, 100, 100, false, 50, 100},
        {300, 300, 64, 48, false, 48, 48},
        {200, 100, 100, 100, true, 100, 100},
        {10000, 1, 100, 100, false, 100, 1}, // height 0.01 becomes 1
        {1, 10000, 100, 100, false, 1, 100},
        {0, 0, 30, 40, false, 30, 40},       // no aspect: as asked
        {640, 480, 0, 0, false, 1, 1},
    };
    for (const auto& c : cases) {
        SLxImageAttributes a{};
        a.uiWidth = c.docW;
        a.uiHeight = c.docH;
        uint32_t w = c.askW, h = c.askH;
        LX_FitPreviewSize(w, h, a, c.keep);
        EXPECT_EQ(c.w, w) << c.docW << "x" << c.docH;
        EXPECT_EQ(c.h, h) << c.docW << "x" << c.docH;
    }
}

TEST(ImageAttributes, CompleteOnlyWithEveryDimension)
{
    SLxImageAttributes a{};
    a.uiWidth = 4;
    a.uiHeight = 3;
    a.uiComp = 1;
    a.uiBpcInMemory = 16;
    a.uiBpcSignificant = 12;
    EXPECT_TRUE(LX_IsCompleteImageAttributes(a));
    for (int field = 0; field < 5; ++field) {
        SLxImageAttributes b = a;
        switch (field) {
        case 0: b.uiWidth = 0; break;
        case 1: b.uiHeight = 0; break;
        case 2: b.uiComp = 0; break;
        case 3: b.uiBpcInMemory = 0; break;
        case 4: b.uiBpcSignificant = 0; break;
        }
        EXPECT_FALSE(LX_IsCompleteImageAttributes(b)) << field;
    }
}

} // namespace
