#include "gnr_picture/picmemAPI/LxConvertKernels.h"

#include <cstdlib>

#include "gnr_picture/picmemAPI/LxConvertKernelsT.h"

#if LX_HAVE_AVX2_PATHS
#include <immintrin.h>
#endif

using namespace lxpic;

namespace
{

// comps samples a pixel through op.
template <class S, class D, class Op>
int mapComps(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t comps,
             uint32_t width, uint32_t pixelCount, Op op)
{
    mapSamples<S, D>(dst, dstWB, src, srcWB, size_t(comps) * width, lineCount(width, pixelCount),
                     op);
    return 0;
}

} // namespace

namespace lxpic
{

#if LX_HAVE_AVX2_PATHS
namespace
{

// Shuffle masks that gather channel k of the 16 pixels held in three
// 16-byte registers (48 bytes, sample bytes of 1 or 2) from register r; the
// same mask in both 128-bit lanes, each lane holding its own 48 bytes.
LX_TARGET_AVX2 __m256i channelMask(uint32_t sampleBytes, uint32_t k, uint32_t r)
{
    alignas(32) int8_t m[32];
    const uint32_t pixels = 16 / sampleBytes;
    for (uint32_t i = 0; i < 16; ++i) {
        const uint32_t pixel = i / sampleBytes, byte = i % sampleBytes;
        const uint32_t t = (pixel * 3 + k) * sampleBytes + byte;
        m[i] = m[i + 16] = pixel < pixels && t / 16 == r ? int8_t(t % 16) : int8_t(-1);
    }
    return _mm256_load_si256(reinterpret_cast<const __m256i*>(m));
}

struct ChannelMasks {
    __m256i m[3][3];
    LX_TARGET_AVX2 explicit ChannelMasks(uint32_t sampleBytes)
    {
        for (uint32_t k = 0; k < 3; ++k)
            for (uint32_t r = 0; r < 3; ++r)
                m[k][r] = channelMask(sampleBytes, k, r);
    }
};

// Two groups of 48 bytes, at p (low lane) and p + 48 (high lane).
LX_TARGET_AVX2 inline __m256i loadPair(const uint8_t* p)
{
    return _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48)), 1);
}

LX_TARGET_AVX2 inline __m256i channel(const __m256i* m, __m256i a, __m256i b, __m256i c)
{
    return _mm256_or_si256(
        _mm256_or_si256(_mm256_shuffle_epi8(a, m[0]), _mm256_shuffle_epi8(b, m[1])),
        _mm256_shuffle_epi8(c, m[2]));
}

// Three 8-bit components: 32 pixels a step, 16-bit lanes (c x s <= 65025).
LX_TARGET_AVX2 uint32_t weighBgrBytesAvx2(uint8_t* out, const uint8_t* in, const uint32_t* c,
                                          const ChannelMasks& masks, uint32_t width)
{
    const __m256i one = _mm256_set1_epi16(1), low = _mm256_set1_epi16(0xFF);
    const __m256i zero = _mm256_setzero_si256();
    __m256i factor[3];
    for (int k = 0; k < 3; ++k)
        factor[k] = _mm256_set1_epi16(int16_t(c[k]));
    uint32_t x = 0;
    for (; x + 32 <= width; x += 32) {
        const uint8_t* p = in + size_t(x) * 3;
        const __m256i a = loadPair(p), b = loadPair(p + 16), d = loadPair(p + 32);
        __m256i gLo = zero, gHi = zero;
        for (int k = 0; k < 3; ++k) {
            const __m256i v = channel(masks.m[k], a, b, d);
            for (int half = 0; half < 2; ++half) {
                const __m256i s =
                    half ? _mm256_unpackhi_epi8(v, zero) : _mm256_unpacklo_epi8(v, zero);
                const __m256i prod = _mm256_mullo_epi16(s, factor[k]);
                const __m256i q = _mm256_srli_epi16(
                    _mm256_add_epi16(_mm256_add_epi16(prod, one), _mm256_srli_epi16(prod, 8)), 8);
                if (half)
                    gHi = _mm256_add_epi16(gHi, q);
                else
                    gLo = _mm256_add_epi16(gLo, q);
            }
        }
        const __m256i g =
            _mm256_packus_epi16(_mm256_and_si256(gLo, low), _mm256_and_si256(gHi, low));
        // Lane 0 holds pixels 0..15, lane 1 pixels 16..31.
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), g);
    }
    return x;
}

// Three 16-bit components: 16 pixels a step. c x s / 65535 from the high and
// low halves of the product: hi + carry of (lo + hi + 1) out of 16 bits.
LX_TARGET_AVX2 uint32_t weighBgrWordsAvx2(uint8_t* out, const uint8_t* in, const uint32_t* c,
                                          const ChannelMasks& masks, uint32_t width)
{
    const __m256i ones = _mm256_set1_epi16(-1);
    __m256i factor[3];
    for (int k = 0; k < 3; ++k)
        factor[k] = _mm256_set1_epi16(int16_t(uint16_t(c[k])));
    uint32_t x = 0;
    for (; x + 16 <= width; x += 16) {
        const uint8_t* p = in + size_t(x) * 6;
        const __m256i a = loadPair(p), b = loadPair(p + 16), d = loadPair(p + 32);
        __m256i g = _mm256_setzero_si256();
        for (int k = 0; k < 3; ++k) {
            const __m256i v = channel(masks.m[k], a, b, d);
            const __m256i lo = _mm256_mullo_epi16(v, factor[k]);
            const __m256i hi = _mm256_mulhi_epu16(v, factor[k]);
            const __m256i u = _mm256_add_epi16(lo, hi);
            const __m256i wrapped =
                _mm256_xor_si256(_mm256_cmpeq_epi16(_mm256_max_epu16(u, lo), u), ones);
            const __m256i full = _mm256_cmpeq_epi16(u, ones);
            g = _mm256_add_epi16(g, _mm256_sub_epi16(hi, _mm256_or_si256(wrapped, full)));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + size_t(x) * 2), g);
    }
    return x;
}

// Every line's bulk, 32 or 16 pixels a step; the pixels done per line.
LX_TARGET_AVX2 uint32_t weighBgrAvx2(uint8_t* dst, size_t dstPitch, const uint8_t* src,
                                     size_t srcPitch, const uint32_t* factors, uint32_t sampleBytes,
                                     uint32_t width, uint32_t lines)
{
    const ChannelMasks masks(sampleBytes);
    uint32_t done = 0;
    for (uint32_t y = 0; y < lines; ++y)
        done =
            sampleBytes == 1
                ? weighBgrBytesAvx2(dst + y * dstPitch, src + y * srcPitch, factors, masks, width)
                : weighBgrWordsAvx2(dst + y * dstPitch, src + y * srcPitch, factors, masks, width);
    return done;
}

// Gray bytes repeated three times, 32 pixels (96 bytes) a step: each 32-byte
// output block takes its pixels from 16 source bytes loaded into both lanes.
LX_TARGET_AVX2 uint32_t expandGrayBytesAvx2(uint8_t* out, const uint8_t* in, uint32_t width)
{
    // Where each block's 16 source bytes start: the block's pixels, read
    // within the step's 32.
    static const uint32_t kOffset[3] = {0, 10, 16};
    __m256i mask[3];
    for (uint32_t b = 0; b < 3; ++b) {
        alignas(32) int8_t m[32];
        for (uint32_t j = 0; j < 32; ++j)
            m[j] = int8_t((32 * b + j) / 3 - kOffset[b]);
        mask[b] = _mm256_load_si256(reinterpret_cast<const __m256i*>(m));
    }
    uint32_t x = 0;
    for (; x + 32 <= width; x += 32) {
        for (uint32_t b = 0; b < 3; ++b) {
            const __m256i g = _mm256_broadcastsi128_si256(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x + kOffset[b])));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + size_t(x) * 3 + 32 * b),
                                _mm256_shuffle_epi8(g, mask[b]));
        }
    }
    return x;
}

// Gray words shifted to bytes and repeated three times, 32 pixels a step:
// the packed bytes' low lane feeds the first output block, both lanes the
// second, the high lane the third.
LX_TARGET_AVX2 uint32_t expandShiftedGrayAvx2(uint8_t* out, const uint8_t* in, uint32_t shift,
                                              uint32_t width)
{
    __m256i mask[3];
    for (uint32_t b = 0; b < 3; ++b) {
        alignas(32) int8_t m[32];
        for (uint32_t j = 0; j < 32; ++j)
            m[j] = int8_t(((32 * b + j) / 3) % 16);
        mask[b] = _mm256_load_si256(reinterpret_cast<const __m256i*>(m));
    }
    const __m128i count = _mm_cvtsi32_si128(int(shift));
    const __m256i low = _mm256_set1_epi16(0xFF);
    uint32_t x = 0;
    for (; x + 32 <= width; x += 32) {
        const auto* p = reinterpret_cast<const __m256i*>(in + size_t(x) * 2);
        const __m256i a = _mm256_and_si256(_mm256_srl_epi16(_mm256_loadu_si256(p), count), low);
        const __m256i b = _mm256_and_si256(_mm256_srl_epi16(_mm256_loadu_si256(p + 1), count), low);
        // Packing interleaves the lanes; the permute puts pixels 0..31 in order.
        const __m256i g = _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8);
        const __m256i lo = _mm256_permute4x64_epi64(g, 0x44);
        const __m256i hi = _mm256_permute4x64_epi64(g, 0xEE);
        auto* q = reinterpret_cast<__m256i*>(out + size_t(x) * 3);
        _mm256_storeu_si256(q, _mm256_shuffle_epi8(lo, mask[0]));
        _mm256_storeu_si256(q + 1, _mm256_shuffle_epi8(g, mask[1]));
        _mm256_storeu_si256(q + 2, _mm256_shuffle_epi8(hi, mask[2]));
    }
    return x;
}

} // namespace
#endif

LX_KERNEL_CLONES void weighBytes(uint8_t* dst, size_t dstPitch, const uint8_t* src, size_t srcPitch,
                                 const uint32_t* factors, uint32_t n, uint32_t width,
                                 uint32_t lines)
{
    switch (n) {
    case 3:
        return weighLines<uint8_t, 3>(dst, dstPitch, src, srcPitch, factors, n, width, lines);
    case 4:
        return weighLines<uint8_t, 4>(dst, dstPitch, src, srcPitch, factors, n, width, lines);
    default:
        return weighLines<uint8_t, 0>(dst, dstPitch, src, srcPitch, factors, n, width, lines);
    }
}

LX_KERNEL_CLONES void weighWords(uint8_t* dst, size_t dstPitch, const uint8_t* src, size_t srcPitch,
                                 const uint32_t* factors, uint32_t n, uint32_t width,
                                 uint32_t lines)
{
    switch (n) {
    case 3:
        return weighLines<uint16_t, 3>(dst, dstPitch, src, srcPitch, factors, n, width, lines);
    case 4:
        return weighLines<uint16_t, 4>(dst, dstPitch, src, srcPitch, factors, n, width, lines);
    default:
        return weighLines<uint16_t, 0>(dst, dstPitch, src, srcPitch, factors, n, width, lines);
    }
}

uint32_t expandShiftedGrayBulk(uint8_t* dst, size_t dstPitch, const uint8_t* src, size_t srcPitch,
                               uint32_t shift, uint32_t width, uint32_t lines)
{
    uint32_t done = 0;
#if LX_HAVE_AVX2_PATHS
    if (cpuHasAvx2() && width >= 32)
        for (uint32_t y = 0; y < lines; ++y)
            done = expandShiftedGrayAvx2(dst + y * dstPitch, src + y * srcPitch, shift, width);
#else
    (void)dst, (void)dstPitch, (void)src, (void)srcPitch, (void)shift, (void)width, (void)lines;
#endif
    return done;
}

void weighGray(uint8_t* dst, size_t dstPitch, const uint8_t* src, size_t srcPitch,
               const uint32_t* factors, uint32_t n, uint32_t sampleBytes, uint32_t width,
               uint32_t lines)
{
    uint32_t done = 0;
#if LX_HAVE_AVX2_PATHS
    // Three components take the vector loops for the bulk of every line; the
    // plain loop finishes the lines' ends.
    if (n == 3 && cpuHasAvx2() && width >= 32)
        done = weighBgrAvx2(dst, dstPitch, src, srcPitch, factors, sampleBytes, width, lines);
#endif
    const size_t skip = size_t(done) * sampleBytes;
    (sampleBytes == 1 ? weighBytes : weighWords)(dst + skip, dstPitch, src + skip * n, srcPitch,
                                                 factors, n, width - done, lines);
}

} // namespace lxpic

int convert_3x8_to_1x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                       const double* weights, uint32_t width, uint32_t pixelCount)
{
    return collapseToGray<uint8_t, 3>(dst, dstWB, src, 3, srcWB, weights, width, pixelCount);
}

int convert_4x8_to_1x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                       const double* weights, uint32_t width, uint32_t pixelCount)
{
    return collapseToGray<uint8_t, 4>(dst, dstWB, src, 4, srcWB, weights, width, pixelCount);
}

int convert_3x16_to_1x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                         const double* weights, uint32_t width, uint32_t pixelCount)
{
    return collapseToGray<uint16_t, 3>(dst, dstWB, src, 3, srcWB, weights, width, pixelCount);
}

int convert_4x16_to_1x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                         const double* weights, uint32_t width, uint32_t pixelCount)
{
    return collapseToGray<uint16_t, 4>(dst, dstWB, src, 4, srcWB, weights, width, pixelCount);
}

int convert_Nx8_to_1x8(void* dst, uint32_t dstWB, const void* src, uint32_t comps, uint32_t srcWB,
                       const double* weights, uint32_t width, uint32_t pixelCount)
{
    return collapseToGray<uint8_t, 0>(dst, dstWB, src, comps, srcWB, weights, width, pixelCount);
}

int convert_Nx16_to_1x16(void* dst, uint32_t dstWB, const void* src, uint32_t comps, uint32_t srcWB,
                         const double* weights, uint32_t width, uint32_t pixelCount)
{
    return collapseToGray<uint16_t, 0>(dst, dstWB, src, comps, srcWB, weights, width, pixelCount);
}

int convert_1x8_to_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t width,
                       uint32_t pixelCount)
{
    uint32_t done = 0;
#if LX_HAVE_AVX2_PATHS
    // The vector loop takes the bulk of every line, the plain loop the ends.
    const uint32_t lines = lineCount(width, pixelCount);
    if (cpuHasAvx2() && width >= 32)
        for (uint32_t y = 0; y < lines; ++y)
            done = expandGrayBytesAvx2(static_cast<uint8_t*>(dst) + size_t(y) * dstWB,
                                       static_cast<const uint8_t*>(src) + size_t(y) * srcWB, width);
    if (done == width)
        return 0;
    pixelCount = (width - done) * lines;
#endif
    return expandGray<uint8_t, 3>(static_cast<uint8_t*>(dst) + size_t(done) * 3, 3, dstWB,
                                  static_cast<const uint8_t*>(src) + done, srcWB, width - done,
                                  pixelCount);
}

int convert_1x16_to_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t width,
                         uint32_t pixelCount)
{
    return expandGray<uint16_t, 3>(dst, 3, dstWB, src, srcWB, width, pixelCount);
}

int convert_1x8_to_4x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t width,
                       uint32_t pixelCount)
{
    return expandGray<uint8_t, 4>(dst, 4, dstWB, src, srcWB, width, pixelCount);
}

int convert_1x16_to_4x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t width,
                         uint32_t pixelCount)
{
    return expandGray<uint16_t, 4>(dst, 4, dstWB, src, srcWB, width, pixelCount);
}

int convert_1x8_to_Nx8(void* dst, uint32_t comps, uint32_t dstWB, const void* src, uint32_t srcWB,
                       uint32_t width, uint32_t pixelCount)
{
    return expandGray<uint8_t, 0>(dst, comps, dstWB, src, srcWB, width, pixelCount);
}

int convert_1x16_to_Nx16(void* dst, uint32_t comps, uint32_t dstWB, const void* src, uint32_t srcWB,
                         uint32_t width, uint32_t pixelCount)
{
    return expandGray<uint16_t, 0>(dst, comps, dstWB, src, srcWB, width, pixelCount);
}

int convert_4x8_to_3x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t width,
                       uint32_t pixelCount)
{
    return repackPixels<uint8_t, 4, 3>(dst, dstWB, src, srcWB, 0, width, pixelCount);
}

int convert_4x16_to_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t width,
                         uint32_t pixelCount)
{
    return repackPixels<uint16_t, 4, 3>(dst, dstWB, src, srcWB, 0, width, pixelCount);
}

int convert_3x8_to_4x8(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint8_t alpha,
                       uint32_t width, uint32_t pixelCount)
{
    return repackPixels<uint8_t, 3, 4>(dst, dstWB, src, srcWB, alpha, width, pixelCount);
}

int convert_3x16_to_4x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint16_t alpha,
                         uint32_t width, uint32_t pixelCount)
{
    return repackPixels<uint16_t, 3, 4>(dst, dstWB, src, srcWB, alpha, width, pixelCount);
}

int convert_Nx16_to_Nx8(void* dst, uint32_t dstWB, const void* src, uint32_t srcBits,
                        uint32_t srcWB, uint32_t comps, uint32_t width, uint32_t pixelCount)
{
    return mapComps<uint16_t, uint8_t>(dst, dstWB, src, srcWB, comps, width, pixelCount,
                                       ShiftRight{shiftCount(int64_t(srcBits) - 8)});
}

int convert_Nx8_to_Nx16(void* dst, uint32_t dstBits, uint32_t dstWB, const void* src,
                        uint32_t srcWB, uint32_t comps, uint32_t width, uint32_t pixelCount)
{
    return mapComps<uint8_t, uint16_t>(dst, dstWB, src, srcWB, comps, width, pixelCount,
                                       ShiftLeft{shiftCount(int64_t(dstBits) - 8)});
}

int convert_Nx16_to_Nx16(void* dst, uint32_t dstBits, uint32_t dstWB, const void* src,
                         uint32_t srcBits, uint32_t srcWB, uint32_t comps, uint32_t width,
                         uint32_t pixelCount)
{
    const uint32_t n = shiftCount(std::llabs(int64_t(dstBits) - int64_t(srcBits)));
    if (dstBits < srcBits)
        return mapComps<uint16_t, uint16_t>(dst, dstWB, src, srcWB, comps, width, pixelCount,
                                            ShiftRight{n});
    return mapComps<uint16_t, uint16_t>(dst, dstWB, src, srcWB, comps, width, pixelCount,
                                        ShiftLeft{n});
}

int _shift_Nx16_to_Nx16(void* buf, uint32_t comps, uint32_t widthBytes, int32_t shift,
                        uint32_t width, uint32_t pixelCount)
{
    if (shift == 0)
        return 0;
    if (shift > 0)
        return mapComps<uint16_t, uint16_t>(buf, widthBytes, buf, widthBytes, comps, width,
                                            pixelCount, ShiftRight{shiftCount(shift)});
    return mapComps<uint16_t, uint16_t>(buf, widthBytes, buf, widthBytes, comps, width, pixelCount,
                                        ShiftLeft{shiftCount(-int64_t(shift))});
}

int changebitdepth_1xN_to_1x08(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               uint32_t srcBits, uint32_t width, uint32_t pixelCount)
{
    return changeStorage<uint8_t>(dst, dstWB, src, srcWB, srcBits, 1, width, pixelCount);
}

int changebitdepth_1xN_to_1x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               uint32_t srcBits, uint32_t width, uint32_t pixelCount)
{
    return changeStorage<uint16_t>(dst, dstWB, src, srcWB, srcBits, 1, width, pixelCount);
}

int changebitdepth_1xN_to_1x32(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               uint32_t srcBits, uint32_t width, uint32_t pixelCount)
{
    return changeStorage<uint32_t>(dst, dstWB, src, srcWB, srcBits, 1, width, pixelCount);
}

int changebitdepth_3xN_to_3x08(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               uint32_t srcBits, uint32_t width, uint32_t pixelCount)
{
    return changeStorage<uint8_t>(dst, dstWB, src, srcWB, srcBits, 3, width, pixelCount);
}

int changebitdepth_3xN_to_3x16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               uint32_t srcBits, uint32_t width, uint32_t pixelCount)
{
    return changeStorage<uint16_t>(dst, dstWB, src, srcWB, srcBits, 3, width, pixelCount);
}

int changebitdepth_3xN_to_3x32(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               uint32_t srcBits, uint32_t width, uint32_t pixelCount)
{
    return changeStorage<uint32_t>(dst, dstWB, src, srcWB, srcBits, 3, width, pixelCount);
}

int changebitdepth_NxM_to_Nx08(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               uint32_t srcBits, uint32_t comps, uint32_t width,
                               uint32_t pixelCount)
{
    return changeStorage<uint8_t>(dst, dstWB, src, srcWB, srcBits, comps, width, pixelCount);
}

int changebitdepth_NxM_to_Nx16(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               uint32_t srcBits, uint32_t comps, uint32_t width,
                               uint32_t pixelCount)
{
    return changeStorage<uint16_t>(dst, dstWB, src, srcWB, srcBits, comps, width, pixelCount);
}

int changebitdepth_NxM_to_Nx32(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                               uint32_t srcBits, uint32_t comps, uint32_t width,
                               uint32_t pixelCount)
{
    return changeStorage<uint32_t>(dst, dstWB, src, srcWB, srcBits, comps, width, pixelCount);
}
