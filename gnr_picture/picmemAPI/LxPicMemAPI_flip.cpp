// The operations without kernels of their own: flips and changes of storage
// width.
#include <algorithm>
#include <cstring>
#include <type_traits>

#include "gnr_picture/picmemAPI/LxComponentKernelsT.h"
#include "gnr_picture/picmemAPI/LxConvertKernelsT.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxPicMemDispatch.h"

#if LX_HAVE_AVX2_PATHS
#include <immintrin.h>
#endif

using namespace lxpic;

namespace
{

// comps x width samples a line from the storage of srcBytes to that of
// dstBytes through op.
template <class Op>
int changeSampleStorage(void* dst, uint32_t dstBytes, uint32_t dstWB, const void* src,
                        uint32_t srcBytes, uint32_t srcWB, uint32_t comps, uint32_t width,
                        uint32_t count, Op op)
{
    const size_t samples = size_t(comps) * width;
    const uint32_t lines = lineCount(width, count);
    switch (depthPair(srcBytes, dstBytes)) {
    case depthPair(1, 1):
        mapSamples<uint8_t, uint8_t>(dst, dstWB, src, srcWB, samples, lines, op);
        return 0;
    case depthPair(1, 2):
        mapSamples<uint8_t, uint16_t>(dst, dstWB, src, srcWB, samples, lines, op);
        return 0;
    case depthPair(1, 4):
        mapSamples<uint8_t, uint32_t>(dst, dstWB, src, srcWB, samples, lines, op);
        return 0;
    case depthPair(2, 1):
        mapSamples<uint16_t, uint8_t>(dst, dstWB, src, srcWB, samples, lines, op);
        return 0;
    case depthPair(2, 2):
        mapSamples<uint16_t, uint16_t>(dst, dstWB, src, srcWB, samples, lines, op);
        return 0;
    case depthPair(2, 4):
        mapSamples<uint16_t, uint32_t>(dst, dstWB, src, srcWB, samples, lines, op);
        return 0;
    case depthPair(4, 1):
        mapSamples<uint32_t, uint8_t>(dst, dstWB, src, srcWB, samples, lines, op);
        return 0;
    case depthPair(4, 2):
        mapSamples<uint32_t, uint16_t>(dst, dstWB, src, srcWB, samples, lines, op);
        return 0;
    case depthPair(4, 4):
        mapSamples<uint32_t, uint32_t>(dst, dstWB, src, srcWB, samples, lines, op);
        return 0;
    default:
        return -2;
    }
}

// A pixel of P bytes, moved as one value.
template <size_t P> struct Pixel {
    uint8_t b[P];
};
template <size_t P>
using PixelOf = std::conditional_t<
    P == 1, uint8_t,
    std::conditional_t<
        P == 2, uint16_t,
        std::conditional_t<P == 4, uint32_t, std::conditional_t<P == 8, uint64_t, Pixel<P>>>>>;

// Every line mirrored, pixels of the fixed size P: a reversed copy (which
// the compiler turns into byte shuffles) or, in place, an exchange of the
// two halves.
template <size_t P>
LX_KERNEL_INLINE void mirrorFixed(uint8_t* dst, const uint8_t* src, size_t pitch, uint32_t width,
                                  uint32_t lines)
{
    using T = PixelOf<P>;
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* d = dst + y * pitch;
        const uint8_t* s = src + y * pitch;
        if (d == s) {
            for (uint32_t x = 0; x < width / 2; ++x) {
                const T a = load<T>(d + size_t(x) * P);
                const T b = load<T>(d + size_t(width - 1 - x) * P);
                store<T>(d + size_t(x) * P, b);
                store<T>(d + size_t(width - 1 - x) * P, a);
            }
        } else {
            for (uint32_t x = 0; x < width; ++x)
                store<T>(d + size_t(x) * P, load<T>(s + size_t(width - 1 - x) * P));
        }
    }
}

// Three-byte pixels moved as 4-byte words: each word's fourth byte is
// rewritten by the next pixel, and the pixels at either end of the lines
// move as 3 bytes so that nothing outside the lines is read or written.
LX_KERNEL_INLINE void mirrorThree(uint8_t* dst, const uint8_t* src, size_t pitch, uint32_t width,
                                  uint32_t lines)
{
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* d = dst + y * pitch;
        const uint8_t* s = src + y * pitch;
        std::memcpy(d, s + size_t(width - 1) * 3, 3);
        for (uint32_t x = 1; x + 1 < width; ++x)
            store<uint32_t>(d + size_t(x) * 3, load<uint32_t>(s + size_t(width - 1 - x) * 3));
        if (width > 1)
            std::memcpy(d + size_t(width - 1) * 3, s, 3);
    }
}

#if LX_HAVE_AVX2_PATHS
// Pixels of P = 1 or 2 bytes: 32 bytes reversed at a time (bytes, or words
// kept whole, reversed within each half, then the halves exchanged).
template <size_t P>
LX_TARGET_AVX2 void mirrorSmallAvx2(uint8_t* dst, const uint8_t* src, size_t pitch, uint32_t width,
                                    uint32_t lines)
{
    const __m256i reverse =
        P == 1 ? _mm256_setr_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13,
                                  12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0)
               : _mm256_setr_epi8(14, 15, 12, 13, 10, 11, 8, 9, 6, 7, 4, 5, 2, 3, 0, 1, 14, 15, 12,
                                  13, 10, 11, 8, 9, 6, 7, 4, 5, 2, 3, 0, 1);
    constexpr uint32_t kStep = 32 / P;
    using T = PixelOf<P>;
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* d = dst + y * pitch;
        const uint8_t* s = src + y * pitch;
        uint32_t x = 0;
        for (; x + kStep <= width; x += kStep) {
            const __m256i v = _mm256_loadu_si256(
                reinterpret_cast<const __m256i*>(s + size_t(width - x - kStep) * P));
            const __m256i r = _mm256_permute4x64_epi64(_mm256_shuffle_epi8(v, reverse), 0x4E);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + size_t(x) * P), r);
        }
        for (; x < width; ++x)
            store<T>(d + size_t(x) * P, load<T>(s + size_t(width - 1 - x) * P));
    }
}
#endif

// Any pixel size.
LX_KERNEL_INLINE void mirrorAny(uint8_t* dst, const uint8_t* src, size_t pixelBytes, size_t pitch,
                                uint32_t width, uint32_t lines)
{
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* d = dst + y * pitch;
        const uint8_t* s = src + y * pitch;
        if (d == s) {
            for (uint32_t x = 0; x < width / 2; ++x)
                std::swap_ranges(d + x * pixelBytes, d + (x + 1) * pixelBytes,
                                 d + (width - 1 - x) * pixelBytes);
        } else {
            for (uint32_t x = 0; x < width; ++x)
                std::memcpy(d + x * pixelBytes, s + (width - 1 - x) * pixelBytes, pixelBytes);
        }
    }
}

LX_KERNEL_CLONES void mirrorLines(uint8_t* dst, const uint8_t* src, size_t pixelBytes,
                                  uint32_t pitch, uint32_t width, uint32_t lines)
{
    switch (pixelBytes) {
    case 1:
        return mirrorFixed<1>(dst, src, pitch, width, lines);
    case 2:
        return mirrorFixed<2>(dst, src, pitch, width, lines);
    case 3:
        if (dst != src)
            return mirrorThree(dst, src, pitch, width, lines);
        return mirrorFixed<3>(dst, src, pitch, width, lines);
    case 4:
        return mirrorFixed<4>(dst, src, pitch, width, lines);
    case 6:
        return mirrorFixed<6>(dst, src, pitch, width, lines);
    case 8:
        return mirrorFixed<8>(dst, src, pitch, width, lines);
    default:
        return mirrorAny(dst, src, pixelBytes, pitch, width, lines);
    }
}

} // namespace

int CLxPicMemAPI::FlipVert(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                           uint32_t width, uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    if (dst == src && dstWB == srcWB)
        return FlipVert(dst, dstWB, width, count);
    const uint32_t lines = lineCount(width, count);
    const size_t bytes = std::min(dstWB, srcWB);
    Lines<uint8_t> d(dst, dstWB);
    ConstLines<uint8_t> s(src, srcWB);
    for (uint32_t i = 0; i < lines; ++i)
        std::memmove(d[i], s[lines - 1 - i], bytes);
    return 0;
}

int CLxPicMemAPI::FlipVert(void* data, uint32_t dataWB, uint32_t width, uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    const uint32_t lines = lineCount(width, count);
    Lines<uint8_t> d(data, dataWB);
    // Exchanging in place needs no scratch line (and so cannot fail).
    for (uint32_t i = 0; i < lines / 2; ++i)
        std::swap_ranges(d[i], d[i] + dataWB, d[lines - 1 - i]);
    return 0;
}

int CLxPicMemAPI::FlipHor(void* dst, const void* src, uint32_t bits, uint32_t comps, uint32_t pitch,
                          uint32_t width, uint32_t lines)
{
    if (width == 0 || lines == 0)
        return 0;
    // Pixels move whole, so samples of any storage width keep their bytes.
    const size_t pixelBytes = size_t(sampleBytes(bits)) * comps;
    if (pixelBytes == 0)
        return -2;
#if LX_HAVE_AVX2_PATHS
    if (pixelBytes <= 2 && dst != src && cpuHasAvx2()) {
        (pixelBytes == 1 ? mirrorSmallAvx2<1>
                         : mirrorSmallAvx2<2>)(static_cast<uint8_t*>(dst),
                                               static_cast<const uint8_t*>(src), pitch, width,
                                               lines);
        return 0;
    }
#endif
    mirrorLines(static_cast<uint8_t*>(dst), static_cast<const uint8_t*>(src), pixelBytes, pitch,
                width, lines);
    return 0;
}

int CLxPicMemAPI::FlipVertExtractComp(uint32_t srcComp, void* dst, uint32_t dstWB, const void* src,
                                      uint32_t srcWB, uint32_t srcComps, uint32_t bits,
                                      uint32_t width, uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    if (srcComp >= srcComps)
        return -4;
    const uint32_t lines = lineCount(width, count);
    auto flip = [&](auto sample) {
        using T = decltype(sample);
        Lines<T> d(dst, dstWB);
        ConstLines<T> s(src, srcWB);
        for (uint32_t i = 0; i < lines; ++i)
            copyComponent<T>(d[i], 1, dstWB, 0, s[lines - 1 - i], srcComps, srcWB, srcComp, width,
                             width);
        return 0;
    };
    switch (sampleBytes(bits)) {
    case 1:
        return flip(uint8_t());
    case 2:
        return flip(uint16_t());
    default:
        return -2;
    }
}

int CLxPicMemAPI::ExpandBits(void* dst, uint32_t dstBits, uint32_t dstWB, const void* src,
                             uint32_t srcBits, uint32_t srcWB, uint32_t comps, uint32_t width,
                             uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    if (srcBits == 0 || dstBits < srcBits || dstBits > 32)
        return -2;
    return changeSampleStorage(dst, sampleBytes(dstBits), dstWB, src, sampleBytes(srcBits), srcWB,
                               comps, width, count, KeepValue());
}

int CLxPicMemAPI::CollapseBits(void* dst, uint32_t dstBits, uint32_t dstWB, const void* src,
                               uint32_t srcBits, uint32_t srcWB, uint32_t comps, uint32_t width,
                               uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    if (dstBits == 0 || dstBits > srcBits || srcBits > 32)
        return -2;
    return changeSampleStorage(dst, sampleBytes(dstBits), dstWB, src, sampleBytes(srcBits), srcWB,
                               comps, width, count, LimitValue{maxOfBits(dstBits)});
}
