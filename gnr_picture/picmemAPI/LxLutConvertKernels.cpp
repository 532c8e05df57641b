#include "gnr_picture/picmemAPI/LxLutConvertKernels.h"

#include "gnr_picture/picmemAPI/LxLutKernelsT.h"

using namespace lxpic;

using u8 = uint8_t;
using u16 = uint16_t;

int convertbitdepthvialuts_1x16_to_1x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                       const void* flat, uint32_t width, uint32_t pixelCount)
{
    return convertViaLut<u16, u8, 1, false>(dst, dstWB, src, srcWB, 1, wholeTable<u16>(flat), width,
                                            pixelCount);
}

int convertbitdepthvialuts_1x8_to_1x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                       const void* flat, uint32_t width, uint32_t pixelCount)
{
    return convertViaLut<u8, u16, 1, false>(dst, dstWB, src, srcWB, 1, wholeTable<u8>(flat), width,
                                            pixelCount);
}

int convertbitdepthvialuts_1x16_to_1x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                        const void* flat, uint32_t width, uint32_t pixelCount)
{
    return convertViaLut<u16, u16, 1, false>(dst, dstWB, src, srcWB, 1, wholeTable<u16>(flat),
                                             width, pixelCount);
}

int convertbitdepthvialuts_3x16_to_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t,
                                       uint32_t srcWB, const void* const* rows, uint32_t width,
                                       uint32_t pixelCount)
{
    return convertViaLut<u16, u8, 3, true>(dst, dstWB, src, srcWB, 3, wholeTable<u16>(rows), width,
                                           pixelCount);
}

int convertbitdepthvialuts_3x16_to_3x8_lut1(void* dst, uint32_t dstWB, const void* src, uint32_t,
                                            uint32_t srcWB, const void* flat, uint32_t width,
                                            uint32_t pixelCount)
{
    return convertViaLut<u16, u8, 3, false>(dst, dstWB, src, srcWB, 3, wholeTable<u16>(flat), width,
                                            pixelCount);
}

int convertbitdepthvialuts_4x16_to_4x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                       const void* const* rows, uint32_t width, uint32_t pixelCount)
{
    return convertViaLut<u16, u8, 4, true>(dst, dstWB, src, srcWB, 4, wholeTable<u16>(rows), width,
                                           pixelCount);
}

int convertbitdepthvialuts_3x8_to_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                       const void* const* rows, uint32_t width, uint32_t pixelCount)
{
    return convertViaLut<u8, u16, 3, true>(dst, dstWB, src, srcWB, 3, wholeTable<u8>(rows), width,
                                           pixelCount);
}

int convertbitdepthvialuts_4x8_to_4x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                       const void* const* rows, uint32_t width, uint32_t pixelCount)
{
    return convertViaLut<u8, u16, 4, true>(dst, dstWB, src, srcWB, 4, wholeTable<u8>(rows), width,
                                           pixelCount);
}

int convertbitdepthvialuts_3x16_to_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                        const void* const* rows, uint32_t width,
                                        uint32_t pixelCount)
{
    return convertViaLut<u16, u16, 3, true>(dst, dstWB, src, srcWB, 3, wholeTable<u16>(rows), width,
                                            pixelCount);
}

int convertbitdepthvialuts_4x16_to_4x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                        const void* const* rows, uint32_t width,
                                        uint32_t pixelCount)
{
    return convertViaLut<u16, u16, 4, true>(dst, dstWB, src, srcWB, 4, wholeTable<u16>(rows), width,
                                            pixelCount);
}

int convertbitdepthvialuts_4x16_to_4x8_lut1(void* dst, uint32_t dstWB, const void* src,
                                            uint32_t srcWB, const void* flat, uint32_t width,
                                            uint32_t pixelCount)
{
    return convertViaLut<u16, u8, 4, false>(dst, dstWB, src, srcWB, 4, wholeTable<u16>(flat), width,
                                            pixelCount);
}

int convertbitdepthvialuts_3x8_to_3x16_lut1(void* dst, uint32_t dstWB, const void* src,
                                            uint32_t srcWB, const void* flat, uint32_t width,
                                            uint32_t pixelCount)
{
    return convertViaLut<u8, u16, 3, false>(dst, dstWB, src, srcWB, 3, wholeTable<u8>(flat), width,
                                            pixelCount);
}

int convertbitdepthvialuts_4x8_to_4x16_lut1(void* dst, uint32_t dstWB, const void* src,
                                            uint32_t srcWB, const void* flat, uint32_t width,
                                            uint32_t pixelCount)
{
    return convertViaLut<u8, u16, 4, false>(dst, dstWB, src, srcWB, 4, wholeTable<u8>(flat), width,
                                            pixelCount);
}

int convertbitdepthvialuts_3x16_to_3x16_lut1(void* dst, uint32_t dstWB, const void* src,
                                             uint32_t srcWB, const void* flat, uint32_t width,
                                             uint32_t pixelCount)
{
    return convertViaLut<u16, u16, 3, false>(dst, dstWB, src, srcWB, 3, wholeTable<u16>(flat),
                                             width, pixelCount);
}

int convertbitdepthvialuts_4x16_to_4x16_lut1(void* dst, uint32_t dstWB, const void* src,
                                             uint32_t srcWB, const void* flat, uint32_t width,
                                             uint32_t pixelCount)
{
    return convertViaLut<u16, u16, 4, false>(dst, dstWB, src, srcWB, 4, wholeTable<u16>(flat),
                                             width, pixelCount);
}

int convertbitdepthvialuts_Nx16_to_Nx8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                       const void* const* rows, uint32_t comps, uint32_t width,
                                       uint32_t pixelCount)
{
    return convertViaLut<u16, u8, 0, true>(dst, dstWB, src, srcWB, comps, wholeTable<u16>(rows),
                                           width, pixelCount);
}

int convertbitdepthvialuts_Nx8_to_Nx16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                       const void* const* rows, uint32_t comps, uint32_t width,
                                       uint32_t pixelCount)
{
    return convertViaLut<u8, u16, 0, true>(dst, dstWB, src, srcWB, comps, wholeTable<u8>(rows),
                                           width, pixelCount);
}

int convertbitdepthvialuts_Nx16_to_Nx16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                        const void* const* rows, uint32_t comps, uint32_t width,
                                        uint32_t pixelCount)
{
    return convertViaLut<u16, u16, 0, true>(dst, dstWB, src, srcWB, comps, wholeTable<u16>(rows),
                                            width, pixelCount);
}

int convertbitdepthvialuts_Nx16_to_Nx8_lut1(void* dst, uint32_t dstWB, const void* src,
                                            uint32_t srcWB, const void* flat, uint32_t comps,
                                            uint32_t width, uint32_t pixelCount)
{
    return convertViaLut<u16, u8, 0, false>(dst, dstWB, src, srcWB, comps, wholeTable<u16>(flat),
                                            width, pixelCount);
}

int convertbitdepthvialuts_Nx8_to_Nx16_lut1(void* dst, uint32_t dstWB, const void* src,
                                            uint32_t srcWB, const void* flat, uint32_t comps,
                                            uint32_t width, uint32_t pixelCount)
{
    return convertViaLut<u8, u16, 0, false>(dst, dstWB, src, srcWB, comps, wholeTable<u8>(flat),
                                            width, pixelCount);
}

int convertbitdepthvialuts_Nx16_to_Nx16_lut1(void* dst, uint32_t dstWB, const void* src,
                                             uint32_t srcWB, const void* flat, uint32_t comps,
                                             uint32_t width, uint32_t pixelCount)
{
    return convertViaLut<u16, u16, 0, false>(dst, dstWB, src, srcWB, comps, wholeTable<u16>(flat),
                                             width, pixelCount);
}

int convertbitdepthvialuts_3x16_to_3x8_overexp(void* dst, uint32_t dstWB, const void* src,
                                               uint32_t srcBits, uint32_t srcWB,
                                               const void* const* rows, const uint8_t* overExpColor,
                                               uint32_t width, uint32_t pixelCount)
{
    return convertViaLut<u16, u8, 3, true>(dst, dstWB, src, srcWB, 3,
                                           tableOfBits<u16>(rows, srcBits, overExpColor), width,
                                           pixelCount);
}

int convertbitdepthvialuts_3x16_to_3x8_lut1_overexp(void* dst, uint32_t dstWB, const void* src,
                                                    uint32_t srcBits, uint32_t srcWB,
                                                    const void* flat, const uint8_t* overExpColor,
                                                    uint32_t width, uint32_t pixelCount)
{
    return convertViaLut<u16, u8, 3, false>(dst, dstWB, src, srcWB, 3,
                                            tableOfBits<u16>(flat, srcBits, overExpColor), width,
                                            pixelCount);
}

int convertbitdepthvialinfunc_1x32_to_1x16(void* dst, uint32_t dstWB, const void* src,
                                           uint32_t srcWB, const uint64_t* linParams,
                                           uint32_t width, uint32_t pixelCount)
{
    return linearFunction<u16, 1>(dst, dstWB, src, srcWB, linParams, 1, width, pixelCount);
}

int convertbitdepthvialinfunc_3x32_to_3x16(void* dst, uint32_t dstWB, const void* src,
                                           uint32_t srcWB, const uint64_t* linParams,
                                           uint32_t width, uint32_t pixelCount)
{
    return linearFunction<u16, 3>(dst, dstWB, src, srcWB, linParams, 3, width, pixelCount);
}

int convertbitdepthvialinfunc_1x32_to_1x8(void* dst, uint32_t dstWB, const void* src,
                                          uint32_t srcWB, const uint64_t* linParams, uint32_t width,
                                          uint32_t pixelCount)
{
    return linearFunction<u8, 1>(dst, dstWB, src, srcWB, linParams, 1, width, pixelCount);
}

int convertbitdepthvialinfunc_3x32_to_3x8(void* dst, uint32_t dstWB, const void* src,
                                          uint32_t srcWB, const uint64_t* linParams, uint32_t width,
                                          uint32_t pixelCount)
{
    return linearFunction<u8, 3>(dst, dstWB, src, srcWB, linParams, 3, width, pixelCount);
}

int convertbitdepthvialinfunc_Mx32_to_Mx16(void* dst, uint32_t dstWB, const void* src,
                                           uint32_t srcWB, const uint64_t* linParams,
                                           uint32_t comps, uint32_t width, uint32_t pixelCount)
{
    return linearFunction<u16, 0>(dst, dstWB, src, srcWB, linParams, comps, width, pixelCount);
}

int convertbitdepthvialinfunc_Mx32_to_Mx8(void* dst, uint32_t dstWB, const void* src,
                                          uint32_t srcWB, const uint64_t* linParams, uint32_t comps,
                                          uint32_t width, uint32_t pixelCount)
{
    return linearFunction<u8, 0>(dst, dstWB, src, srcWB, linParams, comps, width, pixelCount);
}

int mapvialuts_val8_to_3x8_lut1(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                const void* flat, uint32_t width, uint32_t pixelCount)
{
    return lookupComponent<u8, u8, 3, false>(dst, 3, dstWB, src, 1, srcWB, 0, wholeTable<u8>(flat),
                                             width, pixelCount);
}

int mapvialuts_val8_to_3x8_lut3(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                const void* const* rows, uint32_t width, uint32_t pixelCount)
{
    return lookupComponent<u8, u8, 3, true>(dst, 3, dstWB, src, 1, srcWB, 0, wholeTable<u8>(rows),
                                            width, pixelCount);
}

int mapvialuts_val16_to_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                            const void* const* rows, uint32_t width, uint32_t pixelCount)
{
    return lookupComponent<u16, u8, 3, true>(dst, 3, dstWB, src, 1, srcWB, 0, wholeTable<u16>(rows),
                                             width, pixelCount);
}

int mapvialuts_val16_to_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                             const void* const* rows, uint32_t width, uint32_t pixelCount)
{
    return lookupComponent<u16, u16, 3, true>(dst, 3, dstWB, src, 1, srcWB, 0,
                                              wholeTable<u16>(rows), width, pixelCount);
}

int mapvialuts_val8_to_Nx8(void* dst, uint32_t comps, uint32_t dstWB, const void* src,
                           uint32_t srcWB, const void* const* rows, uint32_t width,
                           uint32_t pixelCount)
{
    return lookupComponent<u8, u8, 0, true>(dst, comps, dstWB, src, 1, srcWB, 0,
                                            wholeTable<u8>(rows), width, pixelCount);
}

int mapvialuts_val16_to_Nx16(void* dst, uint32_t comps, uint32_t dstWB, const void* src,
                             uint32_t srcWB, const void* const* rows, uint32_t width,
                             uint32_t pixelCount)
{
    return lookupComponent<u16, u16, 0, true>(dst, comps, dstWB, src, 1, srcWB, 0,
                                              wholeTable<u16>(rows), width, pixelCount);
}
