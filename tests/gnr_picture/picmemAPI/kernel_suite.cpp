#include <functional>

#include "kernel_test_support.h"
#include "w32_system/memory/LxAlloc.h"

namespace kerneltest
{

const Geometry kGeometries[5] = {
    {1, 1, 0, 0},  // one pixel, no padding
    {1, 1, 1, 0},  // one pixel, padded
    {7, 3, 3, 5},  // odd width and pitch, a remainder the kernels ignore
    {16, 2, 0, 0}, // lines that touch each other
    {33, 4, 1, 32},
};

std::string kernelCaseName(const ::testing::TestParamInfo<std::tuple<KernelCase, Geometry>>& info)
{
    const KernelCase& kc = std::get<0>(info.param);
    const Geometry& g = std::get<1>(info.param);
    return std::string(kc.name) + "_" + std::to_string(g.width) + "x" + std::to_string(g.lines) +
           "p" + std::to_string(g.pad);
}

void buildLut(SLxLut& lut, const LutShape& shape)
{
    ASSERT_EQ(SLxLut::Alloc(&lut, shape.srcBits, shape.lutCount, shape.dstBits, shape.dstComps), 0);
    const uint32_t w = (shape.dstBits + 7u) / 8u;
    const uint32_t n = 1u << shape.srcBits;
    for (uint32_t c = 0; c < shape.lutCount; ++c) {
        for (uint32_t v = 0; v < n; ++v) {
            uint8_t* row;
            if (shape.lutCount == 1 && shape.dstComps == 1)
                row = static_cast<uint8_t*>(lut.pTable) + size_t(v) * w;
            else if (shape.lutCount == 1)
                row = static_cast<uint8_t**>(lut.pTable)[v];
            else
                row = static_cast<uint8_t***>(lut.pTable)[c][v];
            for (uint32_t k = 0; k < shape.dstComps; ++k) {
                const uint32_t e = lutEntry(c, v, k, shape.dstBits);
                std::memcpy(row + k * w, &e, w);
            }
        }
    }
}

namespace
{

// Where two byte images first differ, as line and byte within the line.
std::string firstDifference(const TestPicture& actual, const TestPicture& expected)
{
    const auto& a = actual.bytes();
    const auto& e = expected.bytes();
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != e[i])
            return "line " + std::to_string(i / actual.pitch()) + " byte " +
                   std::to_string(i % actual.pitch()) + ": " + std::to_string(a[i]) +
                   " instead of " + std::to_string(e[i]);
    }
    return {};
}

} // namespace

TEST_P(PicMemKernel, MatchesReference)
{
    const KernelCase& kc = std::get<0>(GetParam());
    const Geometry& g = std::get<1>(GetParam());
    std::mt19937 rng(uint32_t(std::hash<std::string>()(kc.name)) + g.width * 131 + g.pad);

    Ctx ctx(kc, g.width, g.width * g.lines + g.extra);
    ctx.src = TestPicture(kc.src, g.width, g.lines, g.pad + 2);
    ctx.src.fill(rng, kc.srcValueBits);
    ctx.dst = TestPicture(kc.dst, g.width, g.lines, g.pad);
    ctx.dst.fill(rng, kc.inPlace ? kc.srcValueBits : 32);
    if (kc.maskBytes) {
        ctx.mask = TestPicture({1, kc.maskBytes}, g.width, g.lines, g.pad + 1);
        ctx.mask.fill(rng, 2);
    }
    if (kc.lut.lutCount)
        buildLut(ctx.lut, kc.lut);
    ctx.weights = {0.1, 0.2, 0.3, 0.15, 0.25};
    for (uint64_t k = 0; k < 8; ++k)
        ctx.linParams.insert(ctx.linParams.end(), {3 + k, 1000 * k + 5, 7 + 2 * k, k});
    const uint8_t colour[3] = {0x11, 0x22, 0x33};
    std::memcpy(ctx.colour, colour, 3);
    ctx.blendTable.resize(256 * 256);
    for (uint32_t d = 0; d < 256; ++d)
        for (uint32_t s = 0; s < 256; ++s)
            ctx.blendTable[d * 256 + s] = uint8_t(d * 3 + s * 5 + 1);

    // The reference may prepare both pictures before it writes the expected
    // result.
    ctx.expected = ctx.dst;
    const int expectedResult = kc.reference(ctx);
    const TestPicture srcBefore = ctx.src;
    const int result = kc.run(ctx);

    EXPECT_EQ(result, expectedResult);
    EXPECT_EQ(firstDifference(ctx.dst, ctx.expected), "");
    EXPECT_EQ(firstDifference(ctx.src, srcBefore), "") << "the source was written";
    SLxLut::Free(&ctx.lut);
}

} // namespace kerneltest
