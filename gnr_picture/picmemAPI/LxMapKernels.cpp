#include "gnr_picture/picmemAPI/LxMapKernels.h"

#include "gnr_picture/picmemAPI/LxMapKernelsT.h"

using namespace lxpic;

namespace
{

using u8 = uint8_t;
using u16 = uint16_t;
using Luts = const void* const* const*;

// The tables are built by the compiler: constant data needs no start-up
// step and no initialisation order.
constexpr SLxCombineTable screenTable()
{
    SLxCombineTable t{};
    for (uint32_t a = 0; a < 256; ++a)
        for (uint32_t b = 0; b < 256; ++b)
            t.v[a][b] = uint8_t(a + b - a * b / 255);
    return t;
}

// trunc(a + b - sqrt(p) + 0.5) for p = a b in integers: with r = floor(sqrt
// p), sqrt(p) + 0.5 passes r + 1 exactly when p > r^2 + r (a square root of
// an integer is never a half-integer, so double rounding cannot tip it).
constexpr SLxCombineTable rootTable()
{
    SLxCombineTable t{};
    for (uint32_t a = 0; a < 256; ++a) {
        uint32_t r = 0; // floor(sqrt(a b)); grows with b
        for (uint32_t b = 0; b < 256; ++b) {
            const uint32_t p = a * b;
            while ((r + 1) * (r + 1) <= p)
                ++r;
            t.v[a][b] = uint8_t(a + b - (p > r * r + r ? r + 1 : r));
        }
    }
    return t;
}

constexpr SLxCombineTable kScreen = screenTable();
constexpr SLxCombineTable kRoot = rootTable();

// The one-component members' row table as a list of one table.
Luts single(const void* const* const& rows)
{
    return &rows;
}

// 8-bit sources are over-exposed at 255.
ColourTables byteTables(Luts luts, const uint8_t* overExp)
{
    return {luts, 255, overExp, 255, false};
}

} // namespace

const SLxCombineTable g_ScreenCombineTable = kScreen;
const SLxCombineTable g_RootCombineTable = kRoot;

// --- 8-bit sources to 8-bit colour -------------------------------------------

int mapcomp_1x8_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                    const void* const* rows, uint32_t width, uint32_t pixelCount)
{
    return mapComponents<u8, u8, 1>(dst, dstWB, src, srcWB, 1, byteTables(single(rows), nullptr),
                                    ~uint64_t(0), 0, width, pixelCount);
}

int mapcomp_2x8_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, Luts luts,
                    uint32_t maskLo, uint32_t maskHi, uint32_t width, uint32_t pixelCount)
{
    return mapComponents<u8, u8, 2>(dst, dstWB, src, srcWB, 2, byteTables(luts, nullptr),
                                    maskOf(maskLo, maskHi), 0, width, pixelCount);
}

int mapcomp_3x8_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, Luts luts,
                    uint32_t maskLo, uint32_t maskHi, uint32_t width, uint32_t pixelCount)
{
    return mapComponents<u8, u8, 3>(dst, dstWB, src, srcWB, 3, byteTables(luts, nullptr),
                                    maskOf(maskLo, maskHi), 0, width, pixelCount);
}

int mapcomp_4x8_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, Luts luts,
                    uint32_t maskLo, uint32_t maskHi, uint32_t width, uint32_t pixelCount)
{
    return mapComponents<u8, u8, 4>(dst, dstWB, src, srcWB, 4, byteTables(luts, nullptr),
                                    maskOf(maskLo, maskHi), 0, width, pixelCount);
}

int mapcomp_5x8_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, Luts luts,
                    uint32_t maskLo, uint32_t maskHi, uint32_t width, uint32_t pixelCount)
{
    return mapComponents<u8, u8, 5>(dst, dstWB, src, srcWB, 5, byteTables(luts, nullptr),
                                    maskOf(maskLo, maskHi), 0, width, pixelCount);
}

int mapcomp_6x8_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, Luts luts,
                    uint32_t maskLo, uint32_t maskHi, uint32_t width, uint32_t pixelCount)
{
    return mapComponents<u8, u8, 6>(dst, dstWB, src, srcWB, 6, byteTables(luts, nullptr),
                                    maskOf(maskLo, maskHi), 0, width, pixelCount);
}

int mapcomp_Nx8_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t comps, uint32_t srcWB,
                    Luts luts, uint32_t maskLo, uint32_t maskHi, uint32_t width,
                    uint32_t pixelCount)
{
    return mapComponents<u8, u8, 0>(dst, dstWB, src, srcWB, comps, byteTables(luts, nullptr),
                                    maskOf(maskLo, maskHi), 0, width, pixelCount);
}

int mapcomp_1x8_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                            const void* const* rows, const uint8_t* overExpColor, uint32_t width,
                            uint32_t pixelCount)
{
    return mapComponents<u8, u8, 1>(dst, dstWB, src, srcWB, 1,
                                    byteTables(single(rows), overExpColor), ~uint64_t(0), 0, width,
                                    pixelCount);
}

int mapcomp_2x8_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, Luts luts,
                            uint32_t maskLo, uint32_t maskHi, const uint8_t* overExpColor,
                            uint32_t width, uint32_t pixelCount)
{
    return mapComponents<u8, u8, 2>(dst, dstWB, src, srcWB, 2, byteTables(luts, overExpColor),
                                    maskOf(maskLo, maskHi), 0, width, pixelCount);
}

int mapcomp_3x8_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, Luts luts,
                            uint32_t maskLo, uint32_t maskHi, const uint8_t* overExpColor,
                            uint32_t width, uint32_t pixelCount)
{
    return mapComponents<u8, u8, 3>(dst, dstWB, src, srcWB, 3, byteTables(luts, overExpColor),
                                    maskOf(maskLo, maskHi), 0, width, pixelCount);
}

int mapcomp_4x8_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, Luts luts,
                            uint32_t maskLo, uint32_t maskHi, const uint8_t* overExpColor,
                            uint32_t width, uint32_t pixelCount)
{
    return mapComponents<u8, u8, 4>(dst, dstWB, src, srcWB, 4, byteTables(luts, overExpColor),
                                    maskOf(maskLo, maskHi), 0, width, pixelCount);
}

int mapcomp_5x8_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, Luts luts,
                            uint32_t maskLo, uint32_t maskHi, const uint8_t* overExpColor,
                            uint32_t width, uint32_t pixelCount)
{
    return mapComponents<u8, u8, 5>(dst, dstWB, src, srcWB, 5, byteTables(luts, overExpColor),
                                    maskOf(maskLo, maskHi), 0, width, pixelCount);
}

int mapcomp_6x8_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, Luts luts,
                            uint32_t maskLo, uint32_t maskHi, const uint8_t* overExpColor,
                            uint32_t width, uint32_t pixelCount)
{
    return mapComponents<u8, u8, 6>(dst, dstWB, src, srcWB, 6, byteTables(luts, overExpColor),
                                    maskOf(maskLo, maskHi), 0, width, pixelCount);
}

int mapcomp_Nx8_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t comps,
                            uint32_t srcWB, Luts luts, uint32_t maskLo, uint32_t maskHi,
                            const uint8_t* overExpColor, uint32_t width, uint32_t pixelCount)
{
    return mapComponents<u8, u8, 0>(dst, dstWB, src, srcWB, comps, byteTables(luts, overExpColor),
                                    maskOf(maskLo, maskHi), 0, width, pixelCount);
}

// --- 9- to 16-bit sources to 8-bit colour ------------------------------------

int mapcomp_1x16_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t, uint32_t srcWB,
                     const void* const* rows, uint32_t width, uint32_t pixelCount)
{
    return mapComponents<u16, u8, 1>(dst, dstWB, src, srcWB, 1,
                                     wholeColourTables<u16>(single(rows)), ~uint64_t(0), 0, width,
                                     pixelCount);
}

int mapcomp_2x16_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t, uint32_t srcWB,
                     Luts luts, uint32_t maskLo, uint32_t maskHi, uint32_t width,
                     uint32_t pixelCount)
{
    return mapComponents<u16, u8, 2>(dst, dstWB, src, srcWB, 2, wholeColourTables<u16>(luts),
                                     maskOf(maskLo, maskHi), 0, width, pixelCount);
}

int mapcomp_3x16_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t, uint32_t srcWB,
                     Luts luts, uint32_t maskLo, uint32_t maskHi, uint32_t width,
                     uint32_t pixelCount)
{
    return mapComponents<u16, u8, 3>(dst, dstWB, src, srcWB, 3, wholeColourTables<u16>(luts),
                                     maskOf(maskLo, maskHi), 0, width, pixelCount);
}

int mapcomp_4x16_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t, uint32_t srcWB,
                     Luts luts, uint32_t maskLo, uint32_t maskHi, uint32_t width,
                     uint32_t pixelCount)
{
    return mapComponents<u16, u8, 4>(dst, dstWB, src, srcWB, 4, wholeColourTables<u16>(luts),
                                     maskOf(maskLo, maskHi), 0, width, pixelCount);
}

int mapcomp_5x16_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t, uint32_t srcWB,
                     Luts luts, uint32_t maskLo, uint32_t maskHi, uint32_t width,
                     uint32_t pixelCount)
{
    return mapComponents<u16, u8, 5>(dst, dstWB, src, srcWB, 5, wholeColourTables<u16>(luts),
                                     maskOf(maskLo, maskHi), 0, width, pixelCount);
}

int mapcomp_6x16_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t, uint32_t srcWB,
                     Luts luts, uint32_t maskLo, uint32_t maskHi, uint32_t width,
                     uint32_t pixelCount)
{
    return mapComponents<u16, u8, 6>(dst, dstWB, src, srcWB, 6, wholeColourTables<u16>(luts),
                                     maskOf(maskLo, maskHi), 0, width, pixelCount);
}

int mapcomp_Nx16_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcBits, uint32_t srcWB,
                     uint32_t comps, Luts luts, uint32_t maskLo, uint32_t maskHi, uint32_t width,
                     uint32_t pixelCount)
{
    return mapComponents<u16, u8, 0>(dst, dstWB, src, srcWB, comps,
                                     colourTablesOfBits<u16>(luts, srcBits, nullptr),
                                     maskOf(maskLo, maskHi), 0, width, pixelCount);
}

int mapcomp_1x16_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcBits,
                             uint32_t srcWB, const void* const* rows, const uint8_t* overExpColor,
                             uint32_t width, uint32_t pixelCount)
{
    return mapComponents<u16, u8, 1>(dst, dstWB, src, srcWB, 1,
                                     colourTablesOfBits<u16>(single(rows), srcBits, overExpColor),
                                     ~uint64_t(0), 0, width, pixelCount);
}

int mapcomp_2x16_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcBits,
                             uint32_t srcWB, Luts luts, uint32_t maskLo, uint32_t maskHi,
                             const uint8_t* overExpColor, uint32_t width, uint32_t pixelCount)
{
    return mapComponents<u16, u8, 2>(dst, dstWB, src, srcWB, 2,
                                     colourTablesOfBits<u16>(luts, srcBits, overExpColor),
                                     maskOf(maskLo, maskHi), 0, width, pixelCount);
}

int mapcomp_3x16_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcBits,
                             uint32_t srcWB, Luts luts, uint32_t maskLo, uint32_t maskHi,
                             const uint8_t* overExpColor, uint32_t width, uint32_t pixelCount)
{
    return mapComponents<u16, u8, 3>(dst, dstWB, src, srcWB, 3,
                                     colourTablesOfBits<u16>(luts, srcBits, overExpColor),
                                     maskOf(maskLo, maskHi), 0, width, pixelCount);
}

int mapcomp_4x16_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcBits,
                             uint32_t srcWB, Luts luts, uint32_t maskLo, uint32_t maskHi,
                             const uint8_t* overExpColor, uint32_t width, uint32_t pixelCount)
{
    return mapComponents<u16, u8, 4>(dst, dstWB, src, srcWB, 4,
                                     colourTablesOfBits<u16>(luts, srcBits, overExpColor),
                                     maskOf(maskLo, maskHi), 0, width, pixelCount);
}

int mapcomp_5x16_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcBits,
                             uint32_t srcWB, Luts luts, uint32_t maskLo, uint32_t maskHi,
                             const uint8_t* overExpColor, uint32_t width, uint32_t pixelCount)
{
    return mapComponents<u16, u8, 5>(dst, dstWB, src, srcWB, 5,
                                     colourTablesOfBits<u16>(luts, srcBits, overExpColor),
                                     maskOf(maskLo, maskHi), 0, width, pixelCount);
}

int mapcomp_6x16_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcBits,
                             uint32_t srcWB, Luts luts, uint32_t maskLo, uint32_t maskHi,
                             const uint8_t* overExpColor, uint32_t width, uint32_t pixelCount)
{
    return mapComponents<u16, u8, 6>(dst, dstWB, src, srcWB, 6,
                                     colourTablesOfBits<u16>(luts, srcBits, overExpColor),
                                     maskOf(maskLo, maskHi), 0, width, pixelCount);
}

int mapcomp_Nx16_3x8_overexp(void* dst, uint32_t dstWB, const void* src, uint32_t srcBits,
                             uint32_t srcWB, uint32_t comps, Luts luts, uint32_t maskLo,
                             uint32_t maskHi, const uint8_t* overExpColor, uint32_t width,
                             uint32_t pixelCount)
{
    return mapComponents<u16, u8, 0>(dst, dstWB, src, srcWB, comps,
                                     colourTablesOfBits<u16>(luts, srcBits, overExpColor),
                                     maskOf(maskLo, maskHi), 0, width, pixelCount);
}

// --- 9- to 16-bit sources to 16-bit colour -----------------------------------

int mapcomp_1x16_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t,
                      const void* const* rows, uint32_t width, uint32_t pixelCount)
{
    return mapComponents<u16, u16, 1>(dst, dstWB, src, srcWB, 1,
                                      wholeColourTables<u16>(single(rows)), ~uint64_t(0), 0, width,
                                      pixelCount);
}

int mapcomp_2x16_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t srcBits,
                      Luts luts, uint32_t maskLo, uint32_t maskHi, uint32_t width,
                      uint32_t pixelCount)
{
    return mapComponents<u16, u16, 2>(
        dst, dstWB, src, srcWB, 2, colourTablesOfBits<u16>(luts, srcBits, nullptr),
        maskOf(maskLo, maskHi), fullScaleOf(srcBits), width, pixelCount);
}

int mapcomp_3x16_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t srcBits,
                      Luts luts, uint32_t maskLo, uint32_t maskHi, uint32_t width,
                      uint32_t pixelCount)
{
    return mapComponents<u16, u16, 3>(
        dst, dstWB, src, srcWB, 3, colourTablesOfBits<u16>(luts, srcBits, nullptr),
        maskOf(maskLo, maskHi), fullScaleOf(srcBits), width, pixelCount);
}

int mapcomp_4x16_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t srcBits,
                      Luts luts, uint32_t maskLo, uint32_t maskHi, uint32_t width,
                      uint32_t pixelCount)
{
    return mapComponents<u16, u16, 4>(
        dst, dstWB, src, srcWB, 4, colourTablesOfBits<u16>(luts, srcBits, nullptr),
        maskOf(maskLo, maskHi), fullScaleOf(srcBits), width, pixelCount);
}

int mapcomp_5x16_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t srcBits,
                      Luts luts, uint32_t maskLo, uint32_t maskHi, uint32_t width,
                      uint32_t pixelCount)
{
    return mapComponents<u16, u16, 5>(
        dst, dstWB, src, srcWB, 5, colourTablesOfBits<u16>(luts, srcBits, nullptr),
        maskOf(maskLo, maskHi), fullScaleOf(srcBits), width, pixelCount);
}

int mapcomp_6x16_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t srcBits,
                      Luts luts, uint32_t maskLo, uint32_t maskHi, uint32_t width,
                      uint32_t pixelCount)
{
    return mapComponents<u16, u16, 6>(
        dst, dstWB, src, srcWB, 6, colourTablesOfBits<u16>(luts, srcBits, nullptr),
        maskOf(maskLo, maskHi), fullScaleOf(srcBits), width, pixelCount);
}

int mapcomp_Nx16_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t comps, uint32_t srcWB,
                      uint32_t srcBits, Luts luts, uint32_t maskLo, uint32_t maskHi, uint32_t width,
                      uint32_t pixelCount)
{
    return mapComponents<u16, u16, 0>(dst, dstWB, src, srcWB, comps,
                                      colourTablesOfBits<u16>(luts, srcBits, nullptr),
                                      maskOf(maskLo, maskHi), 0, width, pixelCount);
}

// --- Accumulation --------------------------------------------------------------

int mapcomp_Iter1x8_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t comps, uint32_t srcWB,
                        const void* const* rows, uint32_t, uint32_t, uint32_t width,
                        uint32_t pixelCount)
{
    return accumulateColours(dst, dstWB, src, comps, srcWB, rows, 255, width, pixelCount);
}
