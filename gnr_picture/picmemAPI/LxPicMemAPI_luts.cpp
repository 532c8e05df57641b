// Dispatchers of the LUT kernels: applying a table and summing samples.
#include "gnr_picture/picmemAPI/LxLutKernels.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxPicMemDispatch.h"

using namespace lxpic;

namespace
{

// 1 or 2 for the depths with kernels (up to 8, 9 to 16 bits), else 0.
uint32_t kernelBytes(uint32_t bits)
{
    return bits <= 16 ? sampleBytes(bits) : 0;
}

} // namespace

int CLxPicMemAPI::ApplyLuts(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                            const SLxLut* lut, uint32_t comps, uint32_t bits, uint32_t width,
                            uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    if (!lut || lut->uiLutCount != 1)
        return -2;
    const uint32_t bytes = kernelBytes(bits);
    if (bytes == 0)
        return -2;
    // The kernels index the table with samples cut to bits and write its
    // entries as samples of the picture: a table of fewer source bits, or of
    // other output samples, would be read past its end.
    if (!lut->pTable || lut->uiSrcBits < bits || sampleBytes(lut->uiDstBits) != bytes || comps == 0)
        return -4;
    const void* flat = lut->pTable;
    const auto* rows = static_cast<const void* const*>(lut->pTable);

    if (lut->uiDstComps == 1) {
        switch (formatKey(memberComps(comps, {1, 3, 4}), bytes)) {
        case formatKey(1, 1):
            return applyluts_1x8(dst, dstWB, src, srcWB, flat, 1, bits, width, count);
        case formatKey(1, 2):
            return applyluts_1x16(dst, dstWB, src, srcWB, flat, 1, bits, width, count);
        case formatKey(3, 1):
            return applyluts_3x8_lut1(dst, dstWB, src, srcWB, flat, 3, bits, width, count);
        case formatKey(3, 2):
            return applyluts_3x16_lut1(dst, dstWB, src, srcWB, flat, 3, bits, width, count);
        case formatKey(4, 1):
            return applyluts_4x8_lut1(dst, dstWB, src, srcWB, flat, 4, bits, width, count);
        case formatKey(4, 2):
            return applyluts_4x16_lut1(dst, dstWB, src, srcWB, flat, 4, bits, width, count);
        case formatKey(0, 1):
            return applyluts_Nx8_lut1(dst, dstWB, src, srcWB, flat, comps, bits, width, count);
        default:
            return applyluts_Nx16_lut1(dst, dstWB, src, srcWB, flat, comps, bits, width, count);
        }
    }
    if (lut->uiDstComps != comps)
        return -2;
    switch (formatKey(memberComps(comps, {3, 4}), bytes)) {
    case formatKey(3, 1):
        if (lut->pOverExpColor)
            return applyluts_3x8_overexp(dst, dstWB, src, srcWB, rows,
                                         static_cast<const uint8_t*>(lut->pOverExpColor), 3, bits,
                                         width, count);
        return applyluts_3x8(dst, dstWB, src, srcWB, rows, 3, bits, width, count);
    case formatKey(3, 2):
        return applyluts_3x16(dst, dstWB, src, srcWB, rows, 3, bits, width, count);
    case formatKey(4, 1):
        return applyluts_4x8(dst, dstWB, src, srcWB, rows, 4, bits, width, count);
    case formatKey(4, 2):
        return applyluts_4x16(dst, dstWB, src, srcWB, rows, 4, bits, width, count);
    case formatKey(0, 1):
        return applyluts_Nx8(dst, dstWB, src, srcWB, rows, comps, bits, width, count);
    default:
        return applyluts_Nx16(dst, dstWB, src, srcWB, rows, comps, bits, width, count);
    }
}

int CLxPicMemAPI::SumValues(uint64_t* sums, const void* src, uint32_t comps, uint32_t bits,
                            uint32_t srcWB, uint32_t width, uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    const uint32_t bytes = kernelBytes(bits);
    if (bytes == 0)
        return -2;
    if (!sums || comps == 0)
        return -4;
    switch (formatKey(memberComps(comps, {1, 3}), bytes)) {
    case formatKey(1, 1):
        return sum_values_1x8(sums, src, srcWB, width, count);
    case formatKey(1, 2):
        return sum_values_1x16(sums, src, srcWB, width, count);
    case formatKey(3, 1):
        return sum_values_3x8(sums, src, srcWB, width, count);
    case formatKey(3, 2):
        return sum_values_3x16(sums, src, srcWB, width, count);
    case formatKey(0, 1):
        return sum_values_Nx8(sums, src, comps, srcWB, width, count);
    default:
        return sum_values_Nx16(sums, src, comps, srcWB, width, count);
    }
}
