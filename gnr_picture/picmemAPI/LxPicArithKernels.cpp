// Two-picture arithmetic: the exported members are the loop of
// LxArithKernelsT.h with one operation each.
#include "gnr_picture/picmemAPI/LxArithKernels.h"
#include "gnr_picture/picmemAPI/LxArithKernelsT.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if LX_HAVE_AVX2_PATHS
#include <immintrin.h>
#endif

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

// Byte transparency with both weights in 0..255, in 16-bit lanes: a W1 and
// b W2 stay below 2^16, their sum saturates at 65535 (every sum from 65280
// on gives 255 anyway), (s 32897) >> 23 is its quotient by 255, and the
// pack limits the quotients 256 and 257 to 255. Each run returns the
// samples it did; the caller finishes the line.
#if defined(__SSE2__)
size_t transpNarrowRunSse2(uint8_t* d, const uint8_t* a, const uint8_t* b, size_t n, uint32_t w1,
                           uint32_t w2)
{
    const __m128i zero = _mm_setzero_si128(), k1 = _mm_set1_epi16(short(w1)),
                  k2 = _mm_set1_epi16(short(w2)), recip = _mm_set1_epi16(short(32897));
    const auto quotients = [&](__m128i x, __m128i y) {
        const __m128i s = _mm_adds_epu16(_mm_mullo_epi16(x, k1), _mm_mullo_epi16(y, k2));
        return _mm_srli_epi16(_mm_mulhi_epu16(s, recip), 7);
    };
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
        const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        const __m128i lo = quotients(_mm_unpacklo_epi8(va, zero), _mm_unpacklo_epi8(vb, zero));
        const __m128i hi = quotients(_mm_unpackhi_epi8(va, zero), _mm_unpackhi_epi8(vb, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_packus_epi16(lo, hi));
    }
    return i;
}
#endif

#if LX_HAVE_AVX2_PATHS
LX_TARGET_AVX2 size_t transpNarrowRunAvx2(uint8_t* d, const uint8_t* a, const uint8_t* b, size_t n,
                                          uint32_t w1, uint32_t w2)
{
    const __m256i zero = _mm256_setzero_si256(), k1 = _mm256_set1_epi16(short(w1)),
                  k2 = _mm256_set1_epi16(short(w2)), recip = _mm256_set1_epi16(short(32897));
    const auto quotients = [&](__m256i x, __m256i y) LX_TARGET_AVX2 {
        const __m256i s = _mm256_adds_epu16(_mm256_mullo_epi16(x, k1), _mm256_mullo_epi16(y, k2));
        return _mm256_srli_epi16(_mm256_mulhi_epu16(s, recip), 7);
    };
    size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m256i va = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + i));
        const __m256i vb = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i));
        const __m256i lo =
            quotients(_mm256_unpacklo_epi8(va, zero), _mm256_unpacklo_epi8(vb, zero));
        const __m256i hi =
            quotients(_mm256_unpackhi_epi8(va, zero), _mm256_unpackhi_epi8(vb, zero));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_packus_epi16(lo, hi));
    }
    return i;
}
#endif

int transpNarrowBytes(void* dst, uint32_t dstWB, const void* a, uint32_t aWB, const void* b,
                      uint32_t bWB, uint32_t comps, uint32_t width, uint32_t count, TranspByteOp op)
{
    uint32_t lines;
    const int checked = checkLines(width, count, lines, {dst, a, b});
    if (checked <= 0)
        return checked;
    const size_t n = size_t(width) * comps;
    Lines<u8> d(dst, dstWB);
    ConstLines<u8> la(a, aWB), lb(b, bWB);
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* dl = d[y];
        const uint8_t* al = la[y];
        const uint8_t* bl = lb[y];
        size_t i = 0;
#if LX_HAVE_AVX2_PATHS
        if (cpuHasAvx2())
            i = transpNarrowRunAvx2(dl, al, bl, n, uint32_t(op.w1), uint32_t(op.w2));
#endif
#if defined(__SSE2__)
        if (i == 0)
            i = transpNarrowRunSse2(dl, al, bl, n, uint32_t(op.w1), uint32_t(op.w2));
#endif
        for (; i < n; ++i)
            dl[i] = op(al[i], bl[i]);
    }
    return 0;
}

LX_KERNEL_CLONES int transpBytes(void* dst, uint32_t dstWB, const void* a, uint32_t aWB,
                                 const void* b, uint32_t bWB, uint32_t comps, uint32_t width,
                                 uint32_t count, TranspByteOp op)
{
    return zipPictures<u8>(dst, dstWB, a, aWB, b, bWB, comps, width, count, op);
}

// Bytes with weights up to 1 (W up to 255) in 16-bit lanes, up to 2^22 in
// 32 bits; otherwise the weights in 64 bits when a x W1 + b x W2 cannot
// leave them (|W| up to 2^46 with samples below 2^16), else in 128 bits:
// the sum stays exact for any weight.
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
    if constexpr (sizeof(T) == 1) {
        constexpr int64_t most = TranspByteOp::kLargestWeight;
        if (max == 255 && w1 >= 0 && w1 <= 255 && w2 >= 0 && w2 <= 255)
            return transpNarrowBytes(dst, dstWB, a, aWB, b, bWB, comps, width, count,
                                     TranspByteOp{int32_t(w1), int32_t(w2)});
        if (max == 255 && w1 >= -most && w1 <= most && w2 >= -most && w2 <= most)
            return transpBytes(dst, dstWB, a, aWB, b, bWB, comps, width, count,
                               TranspByteOp{int32_t(w1), int32_t(w2)});
    }
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
