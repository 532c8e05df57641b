// Resampling float pictures through the float stretch kernels.
#include <gtest/gtest.h>

#include <vector>

#include "../assert_capture.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufAPI.h"

namespace
{

struct Pic : SLxFloatPicBuf {
    Pic(uint32_t w, uint32_t h, uint32_t comps)
    {
        CLxFloatPicBufAPI::Init(this);
        EXPECT_EQ(CLxFloatPicBufAPI::Reinit(this, w, h, 0, comps, true), 0);
    }
    ~Pic() { CLxFloatPicBufAPI::Free(this); }
    size_t count() const { return size_t(uiWidth) * uiHeight * uiComps; }
};

} // namespace

TEST(FloatPicBufStretch, ConstantsStayConstantInEveryMode)
{
    struct Size {
        uint32_t sw, sh, dw, dh;
    } sizes[] = {{10, 8, 20, 16}, {20, 16, 7, 5}, {9, 9, 9, 9}};
    for (uint32_t comps : {1u, 2u, 3u})
        for (auto mode : {CLxPicMemAPI::eLxStretchNearest, CLxPicMemAPI::eLxStretchBSpline,
                          CLxPicMemAPI::eLxStretchTriangle})
            for (const Size& s : sizes) {
                Pic src(s.sw, s.sh, comps), dst(s.dw, s.dh, comps);
                for (size_t i = 0; i < src.count(); ++i)
                    src.pData[i] = float(10 + i % comps);
                ASSERT_EQ(CLxFloatPicBufAPI::Stretch(&dst, &src, mode), 0);
                for (size_t i = 0; i < dst.count(); ++i)
                    // 16.16 weights normalised by truncation lose a little.
                    ASSERT_NEAR(dst.pData[i], float(10 + i % comps), 5e-3)
                        << "mode " << mode << " comps " << comps << " index " << i;
            }
}

TEST(FloatPicBufStretch, EnlargedRampStaysInRangeAndOrder)
{
    Pic src(8, 4, 1), dst(16, 8, 1);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 8; ++x)
            src.pData[y * 8 + x] = float(x * 10);
    ASSERT_EQ(CLxFloatPicBufAPI::Stretch(&dst, &src, CLxPicMemAPI::eLxStretchTriangle), 0);
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 1; x < 16; ++x) {
            ASSERT_GE(dst.pData[y * 16 + x], dst.pData[y * 16 + x - 1] - 1e-4f);
            ASSERT_LE(dst.pData[y * 16 + x], 70.0f + 1e-4f);
        }
    Pic other(16, 8, 3);
    AssertCapture asserts;
    EXPECT_EQ(CLxFloatPicBufAPI::Stretch(&other, &src, CLxPicMemAPI::eLxStretchTriangle), -9);
    EXPECT_EQ(
        asserts.countMessage("CLxFloatPicBufAPI::Stretch, sour and dest must have the same format"),
        1);
}
