// Whole-line and whole-pixel kernels: copy, compare, byte fill, table blend,
// masked copy, pixel fill and pixel replacement.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "gnr_picture/picmemAPI/LxPicMemLoops.h"
#include "w32_system/debugging/LxDiag.h"

namespace lxpic
{

inline uint64_t lineBytesOf(uint32_t comps, uint32_t bits, uint32_t width)
{
    return uint64_t(sampleBytes(bits)) * comps * width;
}

// The line length of copy, set and blend_two, cut to the destination pitch
// (reported once per call) so that no line runs into the next.
inline size_t checkedLineBytes(uint32_t comps, uint32_t bits, uint32_t width, uint32_t dstWB)
{
    const uint64_t size = lineBytesOf(comps, bits, width);
    if (size > dstWB) {
        LX_DIAG_ASSERT_TEXT(u"size > dwDestLineSize", nullptr);
        return dstWB;
    }
    return size_t(size);
}

// Copies n bytes with stores that go around the cache, so that a copy larger
// than the cache does not first read every destination line in only to
// overwrite it. The caller ends the run with streamFence().
inline void streamBytes(uint8_t* dst, const uint8_t* src, size_t n)
{
#if defined(__SSE2__)
    // Streaming stores need 16-byte aligned destinations; the ends go by memcpy.
    const size_t head = std::min(n, size_t(-reinterpret_cast<uintptr_t>(dst) & 15));
    std::memcpy(dst, src, head);
    dst += head;
    src += head;
    n -= head;
    for (; n >= 16; n -= 16, dst += 16, src += 16)
        _mm_stream_si128(reinterpret_cast<__m128i*>(dst),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(src)));
#endif
    std::memcpy(dst, src, n);
}

// Orders the streamed stores before any later store (and before other
// threads see the copy as done).
inline void streamFence()
{
#if defined(__SSE2__)
    _mm_sfence();
#endif
}

// Lines whose bytes together exceed streamAbove are copied past the cache.
inline int copyLines(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t comps,
                     uint32_t bits, uint32_t width, uint32_t pixelCount, size_t streamAbove)
{
    const uint32_t lines = lineCount(width, pixelCount);
    if (lines == 0)
        return 0;
    const size_t size = checkedLineBytes(comps, bits, width, dstWB);
    if (dstWB == srcWB && size == dstWB) {
        // One block: the lines touch each other on both sides (memcpy
        // streams large blocks by itself).
        std::memcpy(dst, src, size * lines);
        return 0;
    }
    Lines<uint8_t> d(dst, dstWB);
    ConstLines<uint8_t> s(src, srcWB);
    if (size * lines <= streamAbove) {
        for (uint32_t y = 0; y < lines; ++y)
            std::memcpy(d[y], s[y], size);
        return 0;
    }
    for (uint32_t y = 0; y < lines; ++y)
        streamBytes(d[y], s[y], size);
    streamFence();
    return 0;
}

inline int setLines(void* dst, uint32_t dstWB, uint32_t value, uint32_t comps, uint32_t bits,
                    uint32_t width, uint32_t pixelCount)
{
    const uint32_t lines = lineCount(width, pixelCount);
    if (lines == 0)
        return 0;
    const size_t size = checkedLineBytes(comps, bits, width, dstWB);
    Lines<uint8_t> d(dst, dstWB);
    for (uint32_t y = 0; y < lines; ++y)
        std::memset(d[y], int(value & 0xFF), size);
    return 0;
}

// dst byte = table[dst byte][src byte]; the table has 256 rows of 256 bytes.
inline int blendLines(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                      const uint8_t* table, uint32_t comps, uint32_t bits, uint32_t width,
                      uint32_t pixelCount)
{
    const uint32_t lines = lineCount(width, pixelCount);
    if (lines == 0)
        return 0;
    const size_t size = checkedLineBytes(comps, bits, width, dstWB);
    Lines<uint8_t> d(dst, dstWB);
    ConstLines<uint8_t> s(src, srcWB);
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* dl = d[y];
        const uint8_t* sl = s[y];
        for (size_t i = 0; i < size; ++i)
            dl[i] = table[size_t(dl[i]) * 256 + sl[i]];
    }
    return 0;
}

// -1, 0 or 1 by the first differing byte, lines in order.
inline int compareLines(const void* a, uint32_t aWB, const void* b, uint32_t bWB, uint32_t comps,
                        uint32_t bits, uint32_t width, uint32_t pixelCount)
{
    const uint32_t lines = lineCount(width, pixelCount);
    const size_t size = size_t(lineBytesOf(comps, bits, width));
    ConstLines<uint8_t> pa(a, aWB);
    ConstLines<uint8_t> pb(b, bWB);
    for (uint32_t y = 0; y < lines; ++y) {
        const int c = std::memcmp(pa[y], pb[y], size);
        if (c != 0)
            return c < 0 ? -1 : 1;
    }
    return 0;
}

// One line of the masked copy for pixels of N units U: each unit is
// selected rather than copied under a branch, so that the loop vectorises.
template <class M, bool In, class U, size_t N>
LX_KERNEL_INLINE void copyMaskedLine(uint8_t* dl, const uint8_t* sl, const uint8_t* ml,
                                     uint32_t width, M value)
{
    for (uint32_t x = 0; x < width; ++x) {
        // Compared at the mask's width, so the lanes stay narrow.
        const bool take = (load<M>(ml + x * sizeof(M)) == value) == In;
        for (size_t k = 0; k < N; ++k) {
            // Both loads unconditional: a select, not a branch.
            uint8_t* d = dl + (size_t(x) * N + k) * sizeof(U);
            const U from = load<U>(sl + (size_t(x) * N + k) * sizeof(U)), kept = load<U>(d);
            store<U>(d, take ? from : kept);
        }
    }
}

// Copies the pixels (pixelBytes each) whose mask sample (type M) equals
// (In) or differs from (!In) value.
template <class M, bool In>
LX_KERNEL_INLINE int copyMasked(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                size_t pixelBytes, const void* mask, uint32_t maskWB,
                                uint32_t width, uint32_t pixelCount, uint32_t value)
{
    const uint32_t lines = lineCount(width, pixelCount);
    Lines<uint8_t> d(dst, dstWB);
    ConstLines<uint8_t> s(src, srcWB);
    ConstLines<M> m(mask, maskWB);
    // A value no mask sample can hold: no pixel matches.
    if (value > std::numeric_limits<M>::max()) {
        for (uint32_t y = 0; !In && y < lines; ++y)
            std::memcpy(d[y], s[y], pixelBytes * width);
        return 0;
    }
    const M mv = M(value);
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* dl = d[y];
        const uint8_t* sl = s[y];
        const uint8_t* ml = m[y];
        switch (pixelBytes) {
        case 1:
            copyMaskedLine<M, In, uint8_t, 1>(dl, sl, ml, width, mv);
            break;
        case 2:
            copyMaskedLine<M, In, uint16_t, 1>(dl, sl, ml, width, mv);
            break;
        case 3:
            copyMaskedLine<M, In, uint8_t, 3>(dl, sl, ml, width, mv);
            break;
        case 4:
            copyMaskedLine<M, In, uint32_t, 1>(dl, sl, ml, width, mv);
            break;
        case 6:
            copyMaskedLine<M, In, uint16_t, 3>(dl, sl, ml, width, mv);
            break;
        case 8:
            copyMaskedLine<M, In, uint64_t, 1>(dl, sl, ml, width, mv);
            break;
        default:
            for (uint32_t x = 0; x < width; ++x)
                if ((uint32_t(load<M>(ml + x * sizeof(M))) == value) == In)
                    std::memcpy(dl + x * pixelBytes, sl + x * pixelBytes, pixelBytes);
        }
    }
    return 0;
}

// Every pixel becomes the comps samples of value.
template <class T>
int setPixels(void* dst, uint32_t comps, uint32_t dstWB, const void* value, uint32_t width,
              uint32_t pixelCount)
{
    const uint32_t lines = lineCount(width, pixelCount);
    const size_t pixelBytes = size_t(comps) * sizeof(T);
    Lines<T> d(dst, dstWB);
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* dl = d[y];
        for (uint32_t x = 0; x < width; ++x)
            std::memcpy(dl + x * pixelBytes, value, pixelBytes);
    }
    return 0;
}

// Pixels equal to oldValue in every sample become newValue.
template <class T>
int changePixels(void* dst, uint32_t comps, uint32_t dstWB, const void* newValue,
                 const void* oldValue, uint32_t width, uint32_t pixelCount)
{
    const uint32_t lines = lineCount(width, pixelCount);
    const size_t pixelBytes = size_t(comps) * sizeof(T);
    Lines<T> d(dst, dstWB);
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* dl = d[y];
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t* px = dl + x * pixelBytes;
            if (std::memcmp(px, oldValue, pixelBytes) == 0)
                std::memcpy(px, newValue, pixelBytes);
        }
    }
    return 0;
}

} // namespace lxpic
