// Samples to float planes and back, masks and the tone-map dispatch.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "gnr_picture/FloatPicBufAPI/LxFloatPicMemAPI.h"

TEST(FloatPicMemConvert, SamplesToPlane)
{
    const std::vector<uint8_t> rgb = {10, 20, 60, 0, 3, 6};
    std::vector<float> first(2, -1), second(2, -1);
    ASSERT_EQ(CLxFloatPicMemAPI::ExtractRGBtoFloatAP(first.data(), second.data(), 1, 8, rgb.data(),
                                                     6, 8, 3, 2, 2),
              0);
    EXPECT_EQ(first, (std::vector<float>{30, 3}));
    EXPECT_EQ(second, (std::vector<float>{0, 0}));

    const std::vector<uint16_t> words = {4095, 0, 7};
    std::vector<float> re(3, -1), im(3, -1);
    ASSERT_EQ(CLxFloatPicMemAPI::ExtractRGBtoFloatRI(re.data(), im.data(), 3, 12, words.data(), 6,
                                                     12, 3, 1, 1),
              0);
    EXPECT_EQ(re, (std::vector<float>{4095, 0, 7}));
    EXPECT_EQ(im, (std::vector<float>{0, 0, 0}));

    struct Refused {
        uint32_t planeComps, bits, sampleComps;
        int status;
    } refused[] = {{3, 8, 1, -4}, {3, 8, 4, -4}, {1, 17, 3, -2}, {1, 0, 3, -2}, {2, 8, 3, -2}};
    for (const Refused& r : refused) {
        std::vector<float> a(8, -1), b(8, -1);
        EXPECT_EQ(CLxFloatPicMemAPI::ExtractRGBtoFloatAP(a.data(), b.data(), r.planeComps, 32,
                                                         rgb.data(), 6, r.bits, r.sampleComps, 1,
                                                         1),
                  r.status);
        EXPECT_EQ(a, std::vector<float>(8, -1));
    }
}

TEST(FloatPicMemConvert, PlaneToSamplesHoldsTheRange)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<float> plane = {-5.0f, 0.4f, 254.5f, 300.0f, nan, 70000.0f};
    std::vector<uint8_t> bytes(6, 99);
    ASSERT_EQ(CLxFloatPicMemAPI::ExtractFloatAPtoRGB(bytes.data(), 1, 6, 8, plane.data(), nullptr,
                                                     1, 24, 6, 6),
              0);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0, 0, 255, 255, 0, 255}));
    std::vector<uint16_t> words(6, 99);
    ASSERT_EQ(CLxFloatPicMemAPI::ExtractFloatAPtoRGB(words.data(), 1, 12, 12, plane.data(), nullptr,
                                                     1, 24, 6, 6),
              0);
    EXPECT_EQ(words, (std::vector<uint16_t>{0, 0, 255, 300, 0, 4095}));
    EXPECT_EQ(CLxFloatPicMemAPI::ExtractFloatAPtoRGB(words.data(), 3, 12, 12, plane.data(), nullptr,
                                                     1, 24, 6, 6),
              -4);
    EXPECT_EQ(CLxFloatPicMemAPI::ExtractFloatAPtoRGB(words.data(), 1, 12, 7, plane.data(), nullptr,
                                                     1, 24, 6, 6),
              -2);
}

TEST(FloatPicMemConvert, RealImagToSamplesStoresAmplitudes)
{
    std::vector<uint8_t> out(4, 99);
    // Lines of two pixels with a padded plane pitch of 3 floats.
    const std::vector<float> rePad = {3, 0, 77, -6, 0, 77}, imPad = {4, -2, 77, 8, 0, 77};
    ASSERT_EQ(CLxFloatPicMemAPI::ExtractFloatRItoRGB(out.data(), 1, 2, 8, rePad.data(),
                                                     imPad.data(), 1, 12, 2, 4),
              0);
    EXPECT_EQ(out, (std::vector<uint8_t>{5, 2, 10, 0}));
}

TEST(FloatPicMemConvert, MaskScalesByTheFullValue)
{
    const std::vector<float> src = {10, 20, 30, 40};
    const std::vector<uint8_t> mask = {255, 0};
    std::vector<float> dst(4, -1);
    ASSERT_EQ(
        CLxFloatPicMemAPI::MaskFloatWithGray(dst.data(), 2, src.data(), 2, mask.data(), 2, 2, 255),
        0);
    EXPECT_EQ(dst, (std::vector<float>{10, 20, 0, 0}));
    EXPECT_EQ(
        CLxFloatPicMemAPI::MaskFloatWithGray(dst.data(), 1, src.data(), 2, mask.data(), 2, 2, 255),
        -4);
}

TEST(FloatPicMemConvert, ToneMapsDispatchByDepth)
{
    const std::vector<float> hdr = {0.5f, 10.0f, 1000.0f, 0.0f};
    std::vector<uint16_t> words(4, 7);
    std::vector<uint8_t> bytes(4, 7);
    EXPECT_EQ(CLxFloatPicMemAPI::Map_Drago(bytes.data(), 8, hdr.data(), 2, 2, 1), 0);
    EXPECT_EQ(bytes[2], 255);
    EXPECT_EQ(bytes[3], 0);
    std::vector<uint8_t> param(4, 7);
    EXPECT_EQ(CLxFloatPicMemAPI::MapParam_Drago(param.data(), 8, hdr.data(), 2, 2, 1, 12345), 0);
    EXPECT_EQ(param, bytes);
    EXPECT_EQ(CLxFloatPicMemAPI::Map_Tumblin(words.data(), 12, hdr.data(), 2, 2, 1), 0);
    EXPECT_EQ(words[2], 4095);
    EXPECT_EQ(CLxFloatPicMemAPI::MapParam_Tumblin(words.data(), 12, hdr.data(), 2, 2, 1, 2), 0);
    std::vector<uint8_t> untouched(4, 7);
    EXPECT_EQ(CLxFloatPicMemAPI::Map_Tumblin(untouched.data(), 17, hdr.data(), 2, 2, 1), -2);
    EXPECT_EQ(CLxFloatPicMemAPI::Map_Drago(untouched.data(), 0, hdr.data(), 2, 2, 1), -2);
    EXPECT_EQ(CLxFloatPicMemAPI::MapParam_Tumblin(untouched.data(), 32, hdr.data(), 2, 2, 1, 2),
              -2);
    EXPECT_EQ(untouched, std::vector<uint8_t>(4, 7));
}
