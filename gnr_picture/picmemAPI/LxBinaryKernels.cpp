// The one-bit members: instances of LxBinaryKernelsT.h.
#include <cstring>
#include <initializer_list>
#include <memory>
#include <new>

#include "gnr_picture/picmemAPI/LxBinaryKernels.h"
#include "gnr_picture/picmemAPI/LxBinaryKernelsT.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"

#if LX_HAVE_AVX2_PATHS
#include <immintrin.h>
#endif

using namespace lxpic;

using u8 = uint8_t;
using u16 = uint16_t;

namespace lxpic
{

// The tables reach 256 KiB (four components of 16 bits), too much for a
// thread's stack; a buffer per thread grows once and is reused.
uint8_t* decisionTableBuffer(size_t bytes)
{
    thread_local std::unique_ptr<uint8_t[]> buffer;
    thread_local size_t size = 0;
    if (size < bytes) {
        buffer.reset(new (std::nothrow) uint8_t[bytes]);
        size = buffer ? bytes : 0;
    }
    return buffer.get();
}

#if LX_HAVE_AVX2_PATHS
// 4 plane bytes a step: each byte spread over the 8 lanes of its pixels,
// where each lane keeps its own bit and compares equal to it when set.
template <uint32_t Mode>
LX_TARGET_AVX2 uint32_t unpackBytesAvx2(uint8_t* px, const uint8_t* bytes, uint32_t n,
                                        uint8_t value)
{
    const __m256i spread = _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2,
                                            2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3);
    const __m256i own = _mm256_set1_epi64x(0x0102040810204080ll);
    const __m256i v = _mm256_set1_epi8(char(value));
    uint32_t j = 0;
    for (; j + 4 <= n; j += 4) {
        const __m256i four = _mm256_set1_epi32(int(load<uint32_t>(bytes + j)));
        const __m256i bit = _mm256_and_si256(_mm256_shuffle_epi8(four, spread), own);
        const __m256i set = _mm256_and_si256(_mm256_cmpeq_epi8(bit, own), v);
        auto* out = reinterpret_cast<__m256i*>(px + 8 * size_t(j));
        if constexpr (Mode == kCombineStore)
            _mm256_storeu_si256(out, set);
        else if constexpr (Mode == kCombineOr)
            _mm256_storeu_si256(out, _mm256_or_si256(_mm256_loadu_si256(out), set));
        else
            _mm256_storeu_si256(out, _mm256_and_si256(_mm256_loadu_si256(out), set));
    }
    return j;
}
#endif

#if LX_HAVE_AVX2_PATHS
// 32 pixels a step: the range test by unsigned max and min, each group of 8
// reversed so that movemask puts a group's first pixel in its byte's top bit.
LX_TARGET_AVX2 uint32_t packByteRangeLinesAvx2(const uint8_t* px, uint32_t bytes, uint8_t lo,
                                               uint8_t hi, uint8_t flip, uint8_t* out)
{
    const __m256i low = _mm256_set1_epi8(char(lo)), high = _mm256_set1_epi8(char(hi));
    const __m256i flips = _mm256_set1_epi8(char(flip));
    const __m256i reverse = _mm256_setr_epi8(7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9, 8,
                                             7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9, 8);
    uint32_t j = 0;
    for (; j + 4 <= bytes; j += 4) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(px + 8 * size_t(j)));
        const __m256i above = _mm256_cmpeq_epi8(_mm256_max_epu8(v, low), v);
        const __m256i below = _mm256_cmpeq_epi8(_mm256_min_epu8(v, high), v);
        const __m256i set = _mm256_xor_si256(_mm256_and_si256(above, below), flips);
        store<uint32_t>(out + j, uint32_t(_mm256_movemask_epi8(_mm256_shuffle_epi8(set, reverse))));
    }
    return j;
}
#endif

#if LX_HAVE_AVX2_PATHS
// 32 pixels a step, each lane 16 pixels (48 bytes in three registers): the
// range test of every byte against its component's bounds, the AND of each
// pixel's three bytes at its first byte (bytes shifted by one and two
// across the registers), and the first bytes gathered, each group of 8
// reversed so that movemask puts a group's first pixel in its byte's top bit.
LX_TARGET_AVX2 uint32_t packThreeByteRangeLinesAvx2(const uint8_t* px, uint32_t bytes,
                                                    const uint8_t* lo, const uint8_t* hi,
                                                    uint8_t flip, uint8_t* out)
{
    // Bounds of the bytes of register r: byte i has component (16 r + i) % 3.
    __m256i low[3], high[3];
    for (uint32_t r = 0; r < 3; ++r) {
        alignas(16) uint8_t l[16], h[16];
        for (uint32_t i = 0; i < 16; ++i) {
            l[i] = lo[(16 * r + i) % 3];
            h[i] = hi[(16 * r + i) % 3];
        }
        low[r] = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(l)));
        high[r] = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(h)));
    }
    const __m256i flips = _mm256_set1_epi8(char(flip));
    // Pixel p's first byte: register 0 byte 3p (p 0..5), register 1 byte
    // 3p - 16 (p 6..10), register 2 byte 3p - 32 (p 11..15); -1 clears.
    alignas(16) int8_t pick[3][16];
    for (uint32_t r = 0; r < 3; ++r)
        for (uint32_t k = 0; k < 16; ++k) {
            const uint32_t p = (k & 8) | (7 - (k & 7)); // the pixel of output byte k
            const int32_t at = int32_t(3 * p) - int32_t(16 * r);
            pick[r][k] = int8_t(at >= 0 && at < 16 ? at : -1);
        }
    __m256i gather[3];
    for (uint32_t r = 0; r < 3; ++r)
        gather[r] =
            _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(pick[r])));
    uint32_t j = 0;
    for (; j + 4 <= bytes; j += 4) {
        const uint8_t* p = px + 24 * size_t(j);
        __m256i e[3];
        for (uint32_t r = 0; r < 3; ++r) {
            const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * r));
            const __m128i second =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48 + 16 * r));
            const __m256i v = _mm256_inserti128_si256(_mm256_castsi128_si256(first), second, 1);
            const __m256i above = _mm256_cmpeq_epi8(_mm256_max_epu8(v, low[r]), v);
            const __m256i below = _mm256_cmpeq_epi8(_mm256_min_epu8(v, high[r]), v);
            e[r] = _mm256_xor_si256(_mm256_and_si256(above, below), flips);
        }
        const __m256i s0 =
            _mm256_and_si256(_mm256_and_si256(e[0], _mm256_alignr_epi8(e[1], e[0], 1)),
                             _mm256_alignr_epi8(e[1], e[0], 2));
        const __m256i s1 =
            _mm256_and_si256(_mm256_and_si256(e[1], _mm256_alignr_epi8(e[2], e[1], 1)),
                             _mm256_alignr_epi8(e[2], e[1], 2));
        const __m256i s2 = _mm256_and_si256(_mm256_and_si256(e[2], _mm256_bsrli_epi128(e[2], 1)),
                                            _mm256_bsrli_epi128(e[2], 2));
        const __m256i set = _mm256_or_si256(
            _mm256_or_si256(_mm256_shuffle_epi8(s0, gather[0]), _mm256_shuffle_epi8(s1, gather[1])),
            _mm256_shuffle_epi8(s2, gather[2]));
        store<uint32_t>(out + j, uint32_t(_mm256_movemask_epi8(set)));
    }
    return j;
}
#endif

uint32_t packThreeByteRangeAvx2(const uint8_t* px, uint32_t bytes, const uint8_t* lo,
                                const uint8_t* hi, uint8_t flip, uint8_t* out)
{
#if LX_HAVE_AVX2_PATHS
    if (cpuHasAvx2())
        return packThreeByteRangeLinesAvx2(px, bytes, lo, hi, flip, out);
#endif
    (void)px, (void)bytes, (void)lo, (void)hi, (void)flip, (void)out;
    return 0;
}

uint32_t packByteRangeAvx2(const uint8_t* px, uint32_t bytes, uint8_t lo, uint8_t hi, uint8_t flip,
                           uint8_t* out)
{
#if LX_HAVE_AVX2_PATHS
    if (cpuHasAvx2())
        return packByteRangeLinesAvx2(px, bytes, lo, hi, flip, out);
#endif
    (void)px, (void)bytes, (void)lo, (void)hi, (void)flip, (void)out;
    return 0;
}

uint32_t unpackBytesAvx2(uint8_t* px, const uint8_t* bytes, uint32_t n, uint8_t value,
                         uint32_t mode)
{
#if LX_HAVE_AVX2_PATHS
    if (cpuHasAvx2()) {
        if (mode == kCombineStore)
            return unpackBytesAvx2<kCombineStore>(px, bytes, n, value);
        if (mode == kCombineOr)
            return unpackBytesAvx2<kCombineOr>(px, bytes, n, value);
        return unpackBytesAvx2<kCombineAnd>(px, bytes, n, value);
    }
#endif
    (void)px, (void)bytes, (void)n, (void)value, (void)mode;
    return 0;
}

} // namespace lxpic

namespace
{

// The checks of a plane-writing member, before anything is read or written:
// -2 for a mode it does not take, 0 without a whole line, -4 for a missing
// pointer; 1 to go on.
int planeChecks(bool compareKnown, uint32_t combine, uint32_t width, uint32_t count,
                uint32_t& lines, std::initializer_list<const void*> pointers)
{
    if (!compareKnown || combine > kCombineAnd)
        return -2;
    lines = lineCount(width, count);
    if (lines == 0)
        return 0;
    for (const void* p : pointers)
        if (!p)
            return -4;
    return 1;
}

// ---- Packing -----------------------------------------------------------------------

// Members with tables: equal and not equal.
template <class T, uint32_t CN>
int packByTable(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                uint32_t srcWB, const void* value, uint32_t compare, uint32_t width, uint32_t count,
                uint32_t combine)
{
    uint32_t lines;
    const int checked =
        planeChecks(compare <= 1, combine, width, count, lines, {plane, src, value});
    if (checked <= 0)
        return checked;
    const auto* v = static_cast<const uint8_t*>(value);
    const uint8_t* table = buildTables<T, CN>([&](uint32_t c, T s) {
        const T k = load<T>(v + c * sizeof(T));
        return compare == 0 ? s == k : s != k;
    });
    if (!table)
        return -3;
    return writePlane<T>(plane, startBit, planeWB, src, srcWB, CN * sizeof(T), width, lines,
                         combine, TableDecision<T, CN>{table});
}

template <class T, uint32_t CN>
int packEach(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src, uint32_t comps,
             uint32_t srcWB, const void* value, uint32_t compare, uint32_t width, uint32_t count,
             uint32_t combine)
{
    uint32_t lines;
    const int checked =
        planeChecks(compare <= 1, combine, width, count, lines, {plane, src, value});
    if (checked <= 0)
        return checked;
    const uint32_t nc = CN ? CN : comps;
    return writePlane<T>(
        plane, startBit, planeWB, src, srcWB, size_t(nc) * sizeof(T), width, lines, combine,
        EachComponentDecision<T, CN>{static_cast<const uint8_t*>(value), nc, compare == 0});
}

// 4 components as W 32-bit words.
template <class T, uint32_t W>
int packWords(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src, uint32_t srcWB,
              const void* value, uint32_t compare, uint32_t width, uint32_t count, uint32_t combine)
{
    uint32_t lines;
    const int checked =
        planeChecks(compare <= 1, combine, width, count, lines, {plane, src, value});
    if (checked <= 0)
        return checked;
    WordDecision<W> decide{};
    for (uint32_t i = 0; i < W; ++i)
        decide.value[i] = load<uint32_t>(static_cast<const uint8_t*>(value) + 4 * i);
    decide.equal = compare == 0;
    return writePlane<T>(plane, startBit, planeWB, src, srcWB, 4 * W, width, lines, combine,
                         decide);
}

// One byte component: equal, not equal and greater are the range tests
// value..value inside, outside, and value + 1..255 inside, which decide as
// the table would and whose runs vectorise.
LX_KERNEL_CLONES int packByte(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                              uint32_t srcWB, const void* value, uint32_t compare, uint32_t width,
                              uint32_t count, uint32_t combine)
{
    uint32_t lines;
    const int checked =
        planeChecks(compare <= 2, combine, width, count, lines, {plane, src, value});
    if (checked <= 0)
        return checked;
    const uint8_t k = *static_cast<const uint8_t*>(value);
    ByteRangeDecision decide{k, k, uint8_t(compare == 1 ? 0xFF : 0x00)};
    if (compare == 2) {
        // Nothing is greater than 255: an empty range.
        decide.lo = k == 255 ? 1 : uint8_t(k + 1);
        decide.hi = k == 255 ? 0 : 255;
    }
    return writePlane<u8>(plane, startBit, planeWB, src, srcWB, 1, width, lines, combine, decide);
}

// ---- Thresholding -------------------------------------------------------------------

template <class T, uint32_t CN>
int thresholdByTable(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                     uint32_t srcWB, const void* low, const void* high, bool inside, uint32_t width,
                     uint32_t count, uint32_t combine)
{
    uint32_t lines;
    const int checked = planeChecks(true, combine, width, count, lines, {plane, src, low, high});
    if (checked <= 0)
        return checked;
    const auto* lo = static_cast<const uint8_t*>(low);
    const auto* hi = static_cast<const uint8_t*>(high);
    const uint8_t* table = buildTables<T, CN>([&](uint32_t c, T s) {
        const bool in = load<T>(lo + c * sizeof(T)) <= s && s <= load<T>(hi + c * sizeof(T));
        return in == inside;
    });
    if (!table)
        return -3;
    return writePlane<T>(plane, startBit, planeWB, src, srcWB, CN * sizeof(T), width, lines,
                         combine, TableDecision<T, CN>{table});
}

// One byte component: the direct comparison decides as the table would, and
// its runs vectorise.
LX_KERNEL_CLONES int thresholdByte(uint8_t* plane, uint32_t startBit, uint32_t planeWB,
                                   const void* src, uint32_t srcWB, const void* low,
                                   const void* high, bool inside, uint32_t width, uint32_t count,
                                   uint32_t combine)
{
    uint32_t lines;
    const int checked = planeChecks(true, combine, width, count, lines, {plane, src, low, high});
    if (checked <= 0)
        return checked;
    const ByteRangeDecision decide{*static_cast<const uint8_t*>(low),
                                   *static_cast<const uint8_t*>(high),
                                   uint8_t(inside ? 0x00 : 0xFF)};
    return writePlane<u8>(plane, startBit, planeWB, src, srcWB, 1, width, lines, combine, decide);
}

// Three byte components: the tables decide single pixels (and every pixel
// without AVX2), the AVX2 lines whole bytes of pixels from the ranges.
int thresholdThreeBytes(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                        uint32_t srcWB, const void* low, const void* high, bool inside,
                        uint32_t width, uint32_t count, uint32_t combine)
{
    uint32_t lines;
    const int checked = planeChecks(true, combine, width, count, lines, {plane, src, low, high});
    if (checked <= 0)
        return checked;
    ThreeByteRangeDecision decide{};
    std::memcpy(decide.lo, low, 3);
    std::memcpy(decide.hi, high, 3);
    decide.flip = uint8_t(inside ? 0x00 : 0xFF);
    decide.table = buildTables<u8, 3>(
        [&](uint32_t c, u8 s) { return (decide.lo[c] <= s && s <= decide.hi[c]) == inside; });
    if (!decide.table)
        return -3;
    return writePlane<u8>(plane, startBit, planeWB, src, srcWB, 3, width, lines, combine, decide);
}

template <class T>
int thresholdEach(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                  uint32_t comps, uint32_t srcWB, const void* low, const void* high, bool inside,
                  uint32_t width, uint32_t count, uint32_t combine)
{
    uint32_t lines;
    const int checked = planeChecks(true, combine, width, count, lines, {plane, src, low, high});
    if (checked <= 0)
        return checked;
    return writePlane<T>(plane, startBit, planeWB, src, srcWB, size_t(comps) * sizeof(T), width,
                         lines, combine,
                         RangeDecision<T>{static_cast<const uint8_t*>(low),
                                          static_cast<const uint8_t*>(high), comps, inside});
}

} // namespace

// ---- Exported members ----------------------------------------------------------------

#define LX_UNPACK_MEMBER(name, T, CN)                                                              \
    int name(void* dst, const void* value, uint32_t dstWB, const uint8_t* plane,                   \
             uint32_t startBit, uint32_t planeWB, uint32_t width, uint32_t pixelCount,             \
             uint32_t mode)                                                                        \
    {                                                                                              \
        return unpackBin<T, CN>(dst, CN, value, dstWB, plane, startBit, planeWB, width,            \
                                pixelCount, mode);                                                 \
    }

LX_UNPACK_MEMBER(unpack_bin_to_1x8, u8, 1)
LX_UNPACK_MEMBER(unpack_bin_to_3x8, u8, 3)
LX_UNPACK_MEMBER(unpack_bin_to_4x8, u8, 4)
LX_UNPACK_MEMBER(unpack_bin_to_1x16, u16, 1)
LX_UNPACK_MEMBER(unpack_bin_to_3x16, u16, 3)
LX_UNPACK_MEMBER(unpack_bin_to_4x16, u16, 4)

#undef LX_UNPACK_MEMBER

int unpack_bin_to_Nx8(void* dst, uint32_t comps, const void* value, uint32_t dstWB,
                      const uint8_t* plane, uint32_t startBit, uint32_t planeWB, uint32_t width,
                      uint32_t pixelCount, uint32_t mode)
{
    return unpackBin<u8, 0>(dst, comps, value, dstWB, plane, startBit, planeWB, width, pixelCount,
                            mode);
}

int unpack_bin_to_Nx16(void* dst, uint32_t comps, const void* value, uint32_t dstWB,
                       const uint8_t* plane, uint32_t startBit, uint32_t planeWB, uint32_t width,
                       uint32_t pixelCount, uint32_t mode)
{
    return unpackBin<u16, 0>(dst, comps, value, dstWB, plane, startBit, planeWB, width, pixelCount,
                             mode);
}

int pack_1x8_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                    uint32_t srcWB, const void* value, uint32_t compareMode, uint32_t width,
                    uint32_t pixelCount, uint32_t combineMode)
{
    return packByte(plane, startBit, planeWB, src, srcWB, value, compareMode, width, pixelCount,
                    combineMode);
}

int pack_3x8_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                    uint32_t srcWB, const void* value, uint32_t compareMode, uint32_t width,
                    uint32_t pixelCount, uint32_t combineMode)
{
    return packByTable<u8, 3>(plane, startBit, planeWB, src, srcWB, value, compareMode, width,
                              pixelCount, combineMode);
}

int pack_4x8_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                    uint32_t srcWB, const void* value, uint32_t compareMode, uint32_t width,
                    uint32_t pixelCount, uint32_t combineMode)
{
    return packWords<u8, 1>(plane, startBit, planeWB, src, srcWB, value, compareMode, width,
                            pixelCount, combineMode);
}

int pack_Nx8_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                    uint32_t comps, uint32_t srcWB, const void* value, uint32_t compareMode,
                    uint32_t width, uint32_t pixelCount, uint32_t combineMode)
{
    return packEach<u8, 0>(plane, startBit, planeWB, src, comps, srcWB, value, compareMode, width,
                           pixelCount, combineMode);
}

int pack_1x16_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                     uint32_t srcWB, const void* value, uint32_t compareMode, uint32_t width,
                     uint32_t pixelCount, uint32_t combineMode)
{
    return packByTable<u16, 1>(plane, startBit, planeWB, src, srcWB, value, compareMode, width,
                               pixelCount, combineMode);
}

int pack_3x16_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                     uint32_t srcWB, const void* value, uint32_t compareMode, uint32_t width,
                     uint32_t pixelCount, uint32_t combineMode)
{
    return packEach<u16, 3>(plane, startBit, planeWB, src, 3, srcWB, value, compareMode, width,
                            pixelCount, combineMode);
}

int pack_4x16_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                     uint32_t srcWB, const void* value, uint32_t compareMode, uint32_t width,
                     uint32_t pixelCount, uint32_t combineMode)
{
    return packWords<u16, 2>(plane, startBit, planeWB, src, srcWB, value, compareMode, width,
                             pixelCount, combineMode);
}

int pack_Nx16_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                     uint32_t comps, uint32_t srcWB, const void* value, uint32_t compareMode,
                     uint32_t width, uint32_t pixelCount, uint32_t combineMode)
{
    return packEach<u16, 0>(plane, startBit, planeWB, src, comps, srcWB, value, compareMode, width,
                            pixelCount, combineMode);
}

#define LX_THRESHOLD_TABLE_MEMBER(name, T, CN)                                                     \
    int name(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src, uint32_t srcWB, \
             const void* low, const void* high, bool inside, uint32_t width, uint32_t pixelCount,  \
             uint32_t combineMode)                                                                 \
    {                                                                                              \
        return thresholdByTable<T, CN>(plane, startBit, planeWB, src, srcWB, low, high, inside,    \
                                       width, pixelCount, combineMode);                            \
    }

LX_THRESHOLD_TABLE_MEMBER(threshold_4x8_to_bin, u8, 4)
LX_THRESHOLD_TABLE_MEMBER(threshold_1x16_to_bin, u16, 1)
LX_THRESHOLD_TABLE_MEMBER(threshold_3x16_to_bin, u16, 3)
LX_THRESHOLD_TABLE_MEMBER(threshold_4x16_to_bin, u16, 4)

#undef LX_THRESHOLD_TABLE_MEMBER

int threshold_3x8_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                         uint32_t srcWB, const void* low, const void* high, bool inside,
                         uint32_t width, uint32_t pixelCount, uint32_t combineMode)
{
    return thresholdThreeBytes(plane, startBit, planeWB, src, srcWB, low, high, inside, width,
                               pixelCount, combineMode);
}

int threshold_1x8_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                         uint32_t srcWB, const void* low, const void* high, bool inside,
                         uint32_t width, uint32_t pixelCount, uint32_t combineMode)
{
    return thresholdByte(plane, startBit, planeWB, src, srcWB, low, high, inside, width, pixelCount,
                         combineMode);
}

int threshold_Nx8_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                         uint32_t comps, uint32_t srcWB, const void* low, const void* high,
                         bool inside, uint32_t width, uint32_t pixelCount, uint32_t combineMode)
{
    return thresholdEach<u8>(plane, startBit, planeWB, src, comps, srcWB, low, high, inside, width,
                             pixelCount, combineMode);
}

int threshold_Nx16_to_bin(uint8_t* plane, uint32_t startBit, uint32_t planeWB, const void* src,
                          uint32_t comps, uint32_t srcWB, const void* low, const void* high,
                          bool inside, uint32_t width, uint32_t pixelCount, uint32_t combineMode)
{
    return thresholdEach<u16>(plane, startBit, planeWB, src, comps, srcWB, low, high, inside, width,
                              pixelCount, combineMode);
}
