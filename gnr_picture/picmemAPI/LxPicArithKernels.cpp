// Two-picture arithmetic: the exported members are the loop of
// LxArithKernelsT.h with one operation each.
#include "gnr_picture/picmemAPI/LxArithKernels.h"
#include "gnr_picture/picmemAPI/LxArithKernelsT.h"

using namespace lxpic;

using u8 = uint8_t;
using u16 = uint16_t;
using u32 = uint32_t;

namespace
{

// One cloned loop per operation and sample; the members pass their count.
#define LX_ZIP_KERNEL(fn, T, makeOp)                                                               \
    LX_KERNEL_CLONES int fn(void* dst, uint32_t dstWB, const void* a, uint32_t aWB, const void* b, \
                            uint32_t bWB, uint32_t comps, uint32_t bits, uint32_t width,           \
                            uint32_t count)                                                        \
    {                                                                                              \
        (void)bits;                                                                                \
        return zipPictures<T>(dst, dstWB, a, aWB, b, bWB, comps, width, count, makeOp);            \
    }

LX_ZIP_KERNEL(addClip8, u8, AddClipOp<u8>{u8(clipMaximum<u8>(bits))})
LX_ZIP_KERNEL(addClip16, u16, AddClipOp<u16>{u16(clipMaximum<u16>(bits))})
LX_ZIP_KERNEL(addClip32, u32, AddClipOp<u32>{clipMaximum<u32>(bits)})
LX_ZIP_KERNEL(subClip8, u8, SubClipOp<u8>{})
LX_ZIP_KERNEL(subClip16, u16, SubClipOp<u16>{})
LX_ZIP_KERNEL(subClip32, u32, SubClipOp<u32>{})
LX_ZIP_KERNEL(max8, u8, MaxOp<u8>{})
LX_ZIP_KERNEL(max16, u16, MaxOp<u16>{})
LX_ZIP_KERNEL(min8, u8, MinOp<u8>{})
LX_ZIP_KERNEL(min16, u16, MinOp<u16>{})

#undef LX_ZIP_KERNEL

template <class T, uint32_t CN>
int subAddConst(void* dst, uint32_t dstWB, const void* a, uint32_t aWB, const void* b, uint32_t bWB,
                const int32_t* constants, uint32_t comps, uint32_t bits, uint32_t width,
                uint32_t count)
{
    uint32_t lines;
    const int checked = checkLines(width, count, lines, {dst, a, b, constants});
    if (checked <= 0)
        return checked;
    const SubAddConstOp<T> op{int32_t(clipMaximum<T>(bits))};
    constLoop<T, CN, int32_t>(
        dst, dstWB, a, aWB, b, bWB, comps, width, lines,
        [constants](uint32_t c) { return SubAddConstOp<T>::prepare(constants[c]); }, op);
    return 0;
}

// The weights in 64 bits when a x W1 + b x W2 cannot leave them (|W| up to
// 2^46 with samples below 2^16), else in 128 bits: the sum stays exact for
// any weight.
template <class T>
int transp(void* dst, uint32_t dstWB, double weight1, const void* a, uint32_t aWB, double weight2,
           const void* b, uint32_t bWB, uint32_t comps, uint32_t bits, uint32_t width,
           uint32_t count)
{
    const uint64_t max = clipMaximum<T>(bits);
    if (max == 0)
        return zipPictures<T>(dst, dstWB, a, aWB, b, bWB, comps, width, count,
                              [](T, T) { return T(0); });
    const int64_t w1 = saturatedInt64(double(max) * weight1 + 0.5);
    const int64_t w2 = saturatedInt64(double(max) * weight2 + 0.5);
    const int64_t small = int64_t(1) << 46;
    if (w1 >= -small && w1 <= small && w2 >= -small && w2 <= small)
        return zipPictures<T>(dst, dstWB, a, aWB, b, bWB, comps, width, count,
                              TranspOp<T, int64_t>{w1, w2, int64_t(max)});
    return zipPictures<T>(dst, dstWB, a, aWB, b, bWB, comps, width, count,
                          TranspOp<T, __int128>{w1, w2, __int128(max)});
}

} // namespace

#define LX_ZIP_MEMBER(name, fn, CN)                                                                \
    int name(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB, const void* src2,       \
             uint32_t src2WB, uint32_t comps, uint32_t bits, uint32_t width, uint32_t pixelCount)  \
    {                                                                                              \
        return fn(dst, dstWB, src1, src1WB, src2, src2WB, CN ? CN : comps, bits, width,            \
                  pixelCount);                                                                     \
    }

LX_ZIP_MEMBER(addandclip_1x8, addClip8, 1)
LX_ZIP_MEMBER(addandclip_3x8, addClip8, 3)
LX_ZIP_MEMBER(addandclip_4x8, addClip8, 4)
LX_ZIP_MEMBER(addandclip_Nx8, addClip8, 0)
LX_ZIP_MEMBER(addandclip_1x16, addClip16, 1)
LX_ZIP_MEMBER(addandclip_3x16, addClip16, 3)
LX_ZIP_MEMBER(addandclip_4x16, addClip16, 4)
LX_ZIP_MEMBER(addandclip_Nx16, addClip16, 0)
LX_ZIP_MEMBER(addandclip_5x32, addClip32, 5)
LX_ZIP_MEMBER(addandclip_Nx32, addClip32, 0)

LX_ZIP_MEMBER(subandclip_1x8, subClip8, 1)
LX_ZIP_MEMBER(subandclip_3x8, subClip8, 3)
LX_ZIP_MEMBER(subandclip_4x8, subClip8, 4)
LX_ZIP_MEMBER(subandclip_Nx8, subClip8, 0)
LX_ZIP_MEMBER(subandclip_1x16, subClip16, 1)
LX_ZIP_MEMBER(subandclip_3x16, subClip16, 3)
LX_ZIP_MEMBER(subandclip_4x16, subClip16, 4)
LX_ZIP_MEMBER(subandclip_Nx16, subClip16, 0)
LX_ZIP_MEMBER(subandclip_5x32, subClip32, 5)
LX_ZIP_MEMBER(subandclip_Nx32, subClip32, 0)

LX_ZIP_MEMBER(max_1x8, max8, 1)
LX_ZIP_MEMBER(max_3x8, max8, 3)
LX_ZIP_MEMBER(max_4x8, max8, 4)
LX_ZIP_MEMBER(max_Nx8, max8, 0)
LX_ZIP_MEMBER(max_1x16, max16, 1)
LX_ZIP_MEMBER(max_3x16, max16, 3)
LX_ZIP_MEMBER(max_4x16, max16, 4)
LX_ZIP_MEMBER(max_Nx16, max16, 0)

LX_ZIP_MEMBER(min_1x8, min8, 1)
LX_ZIP_MEMBER(min_3x8, min8, 3)
LX_ZIP_MEMBER(min_4x8, min8, 4)
LX_ZIP_MEMBER(min_Nx8, min8, 0)
LX_ZIP_MEMBER(min_1x16, min16, 1)
LX_ZIP_MEMBER(min_3x16, min16, 3)
LX_ZIP_MEMBER(min_4x16, min16, 4)
LX_ZIP_MEMBER(min_Nx16, min16, 0)

#undef LX_ZIP_MEMBER

#define LX_SUBADD_MEMBER(name, T, CN)                                                              \
    int name(void* dst, uint32_t dstWB, const void* src1, uint32_t src1WB, const void* src2,       \
             uint32_t src2WB, const int32_t* constants, uint32_t comps, uint32_t bits,             \
             uint32_t width, uint32_t pixelCount)                                                  \
    {                                                                                              \
        return subAddConst<T, CN>(dst, dstWB, src1, src1WB, src2, src2WB, constants, comps, bits,  \
                                  width, pixelCount);                                              \
    }

LX_SUBADD_MEMBER(subaddconstandclip_1x8, u8, 1)
LX_SUBADD_MEMBER(subaddconstandclip_3x8, u8, 3)
LX_SUBADD_MEMBER(subaddconstandclip_4x8, u8, 4)
LX_SUBADD_MEMBER(subaddconstandclip_Nx8, u8, 0)
LX_SUBADD_MEMBER(subaddconstandclip_1x16, u16, 1)
LX_SUBADD_MEMBER(subaddconstandclip_3x16, u16, 3)
LX_SUBADD_MEMBER(subaddconstandclip_4x16, u16, 4)
LX_SUBADD_MEMBER(subaddconstandclip_Nx16, u16, 0)

#undef LX_SUBADD_MEMBER

#define LX_TRANSP_MEMBER(name, T, CN)                                                              \
    int name(void* dst, uint32_t dstWB, double weight1, const void* src1, uint32_t src1WB,         \
             double weight2, const void* src2, uint32_t src2WB, uint32_t comps, uint32_t bits,     \
             uint32_t width, uint32_t pixelCount)                                                  \
    {                                                                                              \
        return transp<T>(dst, dstWB, weight1, src1, src1WB, weight2, src2, src2WB,                 \
                         CN ? CN : comps, bits, width, pixelCount);                                \
    }

LX_TRANSP_MEMBER(addtranspandclip_1x8, u8, 1)
LX_TRANSP_MEMBER(addtranspandclip_3x8, u8, 3)
LX_TRANSP_MEMBER(addtranspandclip_4x8, u8, 4)
LX_TRANSP_MEMBER(addtranspandclip_Nx8, u8, 0)
LX_TRANSP_MEMBER(addtranspandclip_1x16, u16, 1)
LX_TRANSP_MEMBER(addtranspandclip_3x16, u16, 3)
LX_TRANSP_MEMBER(addtranspandclip_4x16, u16, 4)
LX_TRANSP_MEMBER(addtranspandclip_Nx16, u16, 0)

#undef LX_TRANSP_MEMBER
