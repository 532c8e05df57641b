// The exact right-angle rotations: whole pixels copied along strides.
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "gnr_picture/picmemAPI/LxRotateInternal.h"
#include "gnr_picture/picmemAPI/LxRotateKernels.h"

namespace
{

template <size_t P>
__attribute__((always_inline)) inline void
copyLoop(uint8_t* dst, ptrdiff_t dPix, ptrdiff_t dLine, const uint8_t* src, ptrdiff_t sPix,
         ptrdiff_t sLine, uint32_t pixels, uint32_t lines)
{
    for (uint32_t j = 0; j < lines; ++j, dst += dLine, src += sLine) {
        uint8_t* d = dst;
        const uint8_t* s = src;
        for (uint32_t i = 0; i < pixels; ++i, d += dPix, s += sPix)
            std::memcpy(d, s, P);
    }
}

// Sizes without a loop of their own: 4-byte words, then the single bytes.
void copyLoopAny(uint8_t* dst, ptrdiff_t dPix, ptrdiff_t dLine, const uint8_t* src, ptrdiff_t sPix,
                 ptrdiff_t sLine, uint32_t pixels, uint32_t lines, uint32_t p)
{
    const uint32_t words = p / 4;
    const uint32_t rest = p % 4;
    for (uint32_t j = 0; j < lines; ++j, dst += dLine, src += sLine) {
        uint8_t* d = dst;
        const uint8_t* s = src;
        for (uint32_t i = 0; i < pixels; ++i, d += dPix, s += sPix) {
            for (uint32_t w = 0; w < words; ++w)
                std::memcpy(d + 4 * w, s + 4 * w, 4);
            for (uint32_t b = 0; b < rest; ++b)
                d[4 * words + b] = s[4 * words + b];
        }
    }
}

// Blocks of this many pixels each way: a block's source and destination
// lines stay in the cache while the block is turned, whichever way the
// strides run.
constexpr uint32_t kBlock = 16;

uint32_t pixelBytesOf(uint32_t comps, uint32_t bits)
{
    const uint32_t sample = bits == 0    ? 0
                            : bits <= 8  ? 1
                            : bits <= 16 ? 2
                            : bits <= 32 ? 4
                            : bits <= 64 ? 8
                                         : 0;
    return sample * comps;
}

// copy_strided over blocks of kBlock x kBlock pixels.
void copyBlocks(uint8_t* dst, ptrdiff_t dPix, ptrdiff_t dLine, const uint8_t* src, ptrdiff_t sPix,
                ptrdiff_t sLine, uint32_t pixels, uint32_t lines, uint32_t p)
{
    for (uint64_t j = 0; j < lines; j += kBlock) { // 64 bits: the step cannot wrap
        const uint32_t n = uint32_t(lines - j < kBlock ? lines - j : kBlock);
        for (uint64_t i = 0; i < pixels; i += kBlock) {
            const uint32_t m = uint32_t(pixels - i < kBlock ? pixels - i : kBlock);
            copy_strided(dst + ptrdiff_t(j) * dLine + ptrdiff_t(i) * dPix, dPix, dLine,
                         src + ptrdiff_t(j) * sLine + ptrdiff_t(i) * sPix, sPix, sLine, m, n, p);
        }
    }
}

LX_KERNEL_CLONES void copyStrided(uint8_t* dst, ptrdiff_t dstPixStep, ptrdiff_t dstLineStep,
                                  const uint8_t* src, ptrdiff_t srcPixStep, ptrdiff_t srcLineStep,
                                  uint32_t pixels, uint32_t lines, uint32_t pixelBytes)
{
    switch (pixelBytes) {
    case 1:
        return copyLoop<1>(dst, dstPixStep, dstLineStep, src, srcPixStep, srcLineStep, pixels,
                           lines);
    case 2:
        return copyLoop<2>(dst, dstPixStep, dstLineStep, src, srcPixStep, srcLineStep, pixels,
                           lines);
    case 3:
        return copyLoop<3>(dst, dstPixStep, dstLineStep, src, srcPixStep, srcLineStep, pixels,
                           lines);
    case 4:
        return copyLoop<4>(dst, dstPixStep, dstLineStep, src, srcPixStep, srcLineStep, pixels,
                           lines);
    case 6:
        return copyLoop<6>(dst, dstPixStep, dstLineStep, src, srcPixStep, srcLineStep, pixels,
                           lines);
    case 8:
        return copyLoop<8>(dst, dstPixStep, dstLineStep, src, srcPixStep, srcLineStep, pixels,
                           lines);
    default:
        return copyLoopAny(dst, dstPixStep, dstLineStep, src, srcPixStep, srcLineStep, pixels,
                           lines, pixelBytes);
    }
}

// An 8 x 8 block of 16-bit pixels: row i of the block is read at src + i
// srcLineStep, and column j is written as a row at dst + j dstLineStep. Whole
// rows move as vectors, so the strided accesses are 16 bytes each.
void transpose8x8x16(const uint8_t* src, ptrdiff_t srcLineStep, uint8_t* dst, ptrdiff_t dstLineStep)
{
#if defined(__SSE2__)
    __m128i a[8];
    for (int i = 0; i < 8; ++i)
        a[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i * srcLineStep));
    __m128i b[8], c[8];
    for (int i = 0; i < 4; ++i) {
        b[2 * i] = _mm_unpacklo_epi16(a[2 * i], a[2 * i + 1]);
        b[2 * i + 1] = _mm_unpackhi_epi16(a[2 * i], a[2 * i + 1]);
    }
    for (int h = 0; h < 2; ++h) { // lines 0-3, then 4-7
        c[4 * h] = _mm_unpacklo_epi32(b[4 * h], b[4 * h + 2]);
        c[4 * h + 1] = _mm_unpackhi_epi32(b[4 * h], b[4 * h + 2]);
        c[4 * h + 2] = _mm_unpacklo_epi32(b[4 * h + 1], b[4 * h + 3]);
        c[4 * h + 3] = _mm_unpackhi_epi32(b[4 * h + 1], b[4 * h + 3]);
    }
    for (int j = 0; j < 4; ++j) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 2 * j * dstLineStep),
                         _mm_unpacklo_epi64(c[j], c[4 + j]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + (2 * j + 1) * dstLineStep),
                         _mm_unpackhi_epi64(c[j], c[4 + j]));
    }
#else
    for (int j = 0; j < 8; ++j)
        for (int i = 0; i < 8; ++i)
            std::memcpy(dst + j * dstLineStep + 2 * i, src + i * srcLineStep + 2 * j, 2);
#endif
}

// The same for 8-bit pixels: rows of 8 bytes.
void transpose8x8x8(const uint8_t* src, ptrdiff_t srcLineStep, uint8_t* dst, ptrdiff_t dstLineStep)
{
#if defined(__SSE2__)
    __m128i a[8];
    for (int i = 0; i < 8; ++i)
        a[i] = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + i * srcLineStep));
    __m128i b[4], c[4];
    for (int i = 0; i < 4; ++i)
        b[i] = _mm_unpacklo_epi8(a[2 * i], a[2 * i + 1]);
    for (int h = 0; h < 2; ++h) { // lines 0-3, then 4-7
        c[2 * h] = _mm_unpacklo_epi16(b[2 * h], b[2 * h + 1]);
        c[2 * h + 1] = _mm_unpackhi_epi16(b[2 * h], b[2 * h + 1]);
    }
    const __m128i d[4] = {_mm_unpacklo_epi32(c[0], c[2]), _mm_unpackhi_epi32(c[0], c[2]),
                          _mm_unpacklo_epi32(c[1], c[3]), _mm_unpackhi_epi32(c[1], c[3])};
    for (int j = 0; j < 4; ++j) {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + 2 * j * dstLineStep), d[j]);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + (2 * j + 1) * dstLineStep),
                         _mm_srli_si128(d[j], 8));
    }
#else
    for (int j = 0; j < 8; ++j)
        for (int i = 0; i < 8; ++i)
            dst[j * dstLineStep + i] = src[i * srcLineStep + j];
#endif
}

// The source rectangle of lines [r0, r1) and columns [c0, c1) turned by 90
// (dst(x, y) = src(srcW - 1 - y, x)) or 270 degrees (dst(x, y) =
// src(y, srcH - 1 - x)), line by line through copy_strided.
struct Turn {
    uint8_t* dst;
    ptrdiff_t dWB;
    const uint8_t* src;
    ptrdiff_t sWB;
    uint32_t srcW, srcH;
    ptrdiff_t p;
    bool ninety;

    // Where source pixel (c, r) lands.
    uint8_t* target(uint32_t c, uint32_t r) const
    {
        return ninety ? dst + (ptrdiff_t(srcW) - 1 - c) * dWB + r * p
                      : dst + ptrdiff_t(c) * dWB + (ptrdiff_t(srcH) - 1 - r) * p;
    }
    void region(uint32_t r0, uint32_t r1, uint32_t c0, uint32_t c1) const
    {
        if (r1 <= r0 || c1 <= c0)
            return;
        copyBlocks(target(c0, r0), ninety ? -dWB : dWB, ninety ? p : -p, src + r0 * sWB + c0 * p, p,
                   sWB, c1 - c0, r1 - r0, uint32_t(p));
    }
    // 8 or 16-bit pixels: whole 8 x 8 tiles by vectors, the rims line by
    // line.
    void tiles(void (*transpose)(const uint8_t*, ptrdiff_t, uint8_t*, ptrdiff_t)) const
    {
        const uint32_t lines = srcH / 8 * 8, cols = srcW / 8 * 8;
        for (uint32_t c0 = 0; c0 < cols; c0 += 8)
            for (uint32_t r0 = 0; r0 < lines; r0 += 8) {
                if (ninety)
                    transpose(src + r0 * sWB + c0 * p, sWB, target(c0, r0), -dWB);
                else // lines read upwards, so each column comes out left to right
                    transpose(src + (r0 + 7) * sWB + c0 * p, -sWB, target(c0, r0 + 7), dWB);
            }
        region(0, srcH, cols, srcW);
        region(lines, srcH, 0, cols);
    }
};

} // namespace

void copy_strided(uint8_t* dst, ptrdiff_t dstPixStep, ptrdiff_t dstLineStep, const uint8_t* src,
                  ptrdiff_t srcPixStep, ptrdiff_t srcLineStep, uint32_t pixels, uint32_t lines,
                  uint32_t pixelBytes)
{
    copyStrided(dst, dstPixStep, dstLineStep, src, srcPixStep, srcLineStep, pixels, lines,
                pixelBytes);
}

int rotate_90(void* dst, uint32_t dstWB, uint32_t, uint32_t, const void* src, uint32_t srcWB,
              uint32_t srcW, uint32_t srcH, uint32_t comps, uint32_t bits)
{
    const uint32_t p = pixelBytesOf(comps, bits);
    if (p == 0 || srcW == 0 || srcH == 0)
        return 0;
    auto* d = static_cast<uint8_t*>(dst);
    const auto* s = static_cast<const uint8_t*>(src);
    const ptrdiff_t dWB = dstWB, sWB = srcWB, pp = p;
    if (p == 1 || p == 2)
        Turn{static_cast<uint8_t*>(dst), dWB, s, sWB, srcW, srcH, pp, true}.tiles(
            p == 1 ? transpose8x8x8 : transpose8x8x16);
    else if (srcW > srcH) // source column srcW - 1 - y becomes destination line y
        copyBlocks(d, pp, dWB, s + (srcW - 1) * pp, sWB, -pp, srcH, srcW, p);
    else // source line r becomes destination column r, bottom to top
        copyBlocks(d + (srcW - 1) * dWB, -dWB, pp, s, pp, sWB, srcW, srcH, p);
    return 0;
}

int rotate_270(void* dst, uint32_t dstWB, uint32_t, uint32_t, const void* src, uint32_t srcWB,
               uint32_t srcW, uint32_t srcH, uint32_t comps, uint32_t bits)
{
    const uint32_t p = pixelBytesOf(comps, bits);
    if (p == 0 || srcW == 0 || srcH == 0)
        return 0;
    auto* d = static_cast<uint8_t*>(dst);
    const auto* s = static_cast<const uint8_t*>(src);
    const ptrdiff_t dWB = dstWB, sWB = srcWB, pp = p;
    if (p == 1 || p == 2)
        Turn{static_cast<uint8_t*>(dst), dWB, s, sWB, srcW, srcH, pp, false}.tiles(
            p == 1 ? transpose8x8x8 : transpose8x8x16);
    else if (srcW > srcH) // source column y, read upwards, becomes destination line y
        copyBlocks(d, pp, dWB, s + (srcH - 1) * sWB, -sWB, pp, srcH, srcW, p);
    else // source line r becomes destination column srcH - 1 - r, top to bottom
        copyBlocks(d + (srcH - 1) * pp, dWB, -pp, s, pp, sWB, srcW, srcH, p);
    return 0;
}

int rotate_180(void* dst, uint32_t dstWB, uint32_t, uint32_t, const void* src, uint32_t srcWB,
               uint32_t srcW, uint32_t srcH, uint32_t comps, uint32_t bits)
{
    const uint32_t p = pixelBytesOf(comps, bits);
    if (p == 0 || srcW == 0 || srcH == 0)
        return 0;
    const ptrdiff_t sWB = srcWB, pp = p;
    copy_strided(static_cast<uint8_t*>(dst), pp, ptrdiff_t(dstWB),
                 static_cast<const uint8_t*>(src) + (srcH - 1) * sWB + (srcW - 1) * pp, -pp, -sWB,
                 srcW, srcH, p);
    return 0;
}
