// Colour corrections of three-component pictures, the ends of a picture's
// histogram, the autocontrast tables built from them, mapping pictures
// through tables, and the anaglyph.
#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include "gnr_picture/LxHisto.h"
#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/PicBufAPI/LxPicBufPixelMapT.h"
#include "gnr_picture/PicBufAPI/LxPicBufPrepare.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"

#if LX_HAVE_AVX2_PATHS
#include <immintrin.h>
#endif

using namespace lxpicbuf;

namespace
{

using u8 = uint8_t;
using u16 = uint16_t;

// ---- Colour corrections -----------------------------------------------------

// The checks of the colour corrections: same size, bits and components, 3
// components, at least 8 bits. 17 to 32 bits have no member: -2.
int prepareColour(const SLxPicBuf* dst, const SLxPicBuf* src)
{
    const int checked = prepare(dst, src, eLxCheckSizeBitsComps, nullptr);
    if (checked != 0)
        return checked;
    if (dst->uiComps != 3 || dst->uiBpc < 8)
        return -9;
    return dst->uiBpc > 16 ? -2 : 0;
}

template <class T> struct SubtractMinOp {
    void operator()(const T* s, T* d) const
    {
        const T b = s[0], g = s[1], r = s[2];
        const T m = std::min({b, g, r});
        d[0] = T(b - m);
        d[1] = T(g - m);
        d[2] = T(r - m);
    }
};

#if LX_HAVE_AVX2_PATHS
// The smallest-sample removal 96 bytes a step (32 pixels of bytes, 16 of
// words), each lane 48 bytes of whole pixels in three registers: the
// minimum of samples j, j + 1 and j + 2 lands on sample j (registers shifted
// by one and two samples across each other), so each pixel's on its first
// sample; pshufb spreads it over the pixel's three samples, taken from the
// pixel's own register or, for a pixel begun in the previous register, from
// that one.
template <class T> struct SubtractMinVectors {
    __m256i own[3], previous[3];
};

template <class T> LX_TARGET_AVX2 void subtractMinVectorsOf(SubtractMinVectors<T>& v)
{
    constexpr uint32_t E = sizeof(T);
    for (uint32_t r = 0; r < 3; ++r) {
        alignas(16) int8_t own[16], previous[16];
        for (uint32_t i = 0; i < 16; ++i) {
            const uint32_t byte = 16 * r + i;                      // in the lane's 48 bytes
            const uint32_t from = byte / E / 3 * 3 * E + byte % E; // its pixel's first sample
            own[i] = int8_t(from / 16 == r ? from % 16 : -1);
            previous[i] = int8_t(from / 16 + 1 == r ? from % 16 : -1);
        }
        v.own[r] =
            _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(own)));
        v.previous[r] =
            _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(previous)));
    }
}

template <class T> LX_TARGET_AVX2 inline __m256i leastOf(__m256i a, __m256i b)
{
    return sizeof(T) == 1 ? _mm256_min_epu8(a, b) : _mm256_min_epu16(a, b);
}

// Pixels 0 on of one line, in whole steps; returns the first pixel not done.
// Each step reads its bytes before it writes them, as d may be s.
template <class T>
LX_TARGET_AVX2 uint32_t subtractMinLineAvx2(const T* s, T* d, uint32_t width,
                                            const SubtractMinVectors<T>& v)
{
    constexpr uint32_t E = sizeof(T), kPixels = 32 / E;
    uint32_t x = 0;
    for (; x + kPixels <= width; x += kPixels) {
        const auto* in = reinterpret_cast<const uint8_t*>(s + size_t(x) * 3);
        auto* out = reinterpret_cast<uint8_t*>(d + size_t(x) * 3);
        __m256i w[3];
        for (uint32_t r = 0; r < 3; ++r)
            w[r] = _mm256_inserti128_si256(
                _mm256_castsi128_si256(
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16 * r))),
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 48 + 16 * r)), 1);
        const __m256i m0 = leastOf<T>(leastOf<T>(w[0], _mm256_alignr_epi8(w[1], w[0], E)),
                                      _mm256_alignr_epi8(w[1], w[0], 2 * E));
        const __m256i m1 = leastOf<T>(leastOf<T>(w[1], _mm256_alignr_epi8(w[2], w[1], E)),
                                      _mm256_alignr_epi8(w[2], w[1], 2 * E));
        const __m256i m2 = leastOf<T>(leastOf<T>(w[2], _mm256_bsrli_epi128(w[2], E)),
                                      _mm256_bsrli_epi128(w[2], 2 * E));
        const __m256i spread[3] = {_mm256_shuffle_epi8(m0, v.own[0]),
                                   _mm256_or_si256(_mm256_shuffle_epi8(m1, v.own[1]),
                                                   _mm256_shuffle_epi8(m0, v.previous[1])),
                                   _mm256_or_si256(_mm256_shuffle_epi8(m2, v.own[2]),
                                                   _mm256_shuffle_epi8(m1, v.previous[2]))};
        for (uint32_t r = 0; r < 3; ++r) {
            const __m256i res =
                E == 1 ? _mm256_sub_epi8(w[r], spread[r]) : _mm256_sub_epi16(w[r], spread[r]);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * r), _mm256_castsi256_si128(res));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 48 + 16 * r),
                             _mm256_extracti128_si256(res, 1));
        }
    }
    return x;
}
#endif

// The removal line by line: whole AVX2 steps, the rest pixel by pixel.
template <class T> int subtractMinLines(const SLxPicBuf& dst, const SLxPicBuf& src)
{
    const SubtractMinOp<T> op;
#if LX_HAVE_AVX2_PATHS
    const bool avx2 = lxpic::cpuHasAvx2();
    SubtractMinVectors<T> vectors;
    if (avx2)
        subtractMinVectorsOf<T>(vectors);
#endif
    for (uint32_t y = 0; y < dst.uiHeight; ++y) {
        const T* s = reinterpret_cast<const T*>(bytesOf(src) + size_t(y) * src.uiWidthBytes);
        T* d = reinterpret_cast<T*>(bytesOf(dst) + size_t(y) * dst.uiWidthBytes);
        uint32_t x = 0;
#if LX_HAVE_AVX2_PATHS
        if (avx2)
            x = subtractMinLineAvx2<T>(s, d, dst.uiWidth, vectors);
#endif
        for (; x < dst.uiWidth; ++x)
            op(s + size_t(x) * 3, d + size_t(x) * 3);
    }
    return 0;
}

// Rows of percentages, red first: out = (R k0 + G k1 + B k2) / 100 held to
// 0..max, in Acc (32 bits when the largest sum fits, else 64).
template <class T, class Acc> struct MixOp {
    Acc k[9];
    Acc max;
    static Acc held(Acc v, Acc max) { return v < 0 ? 0 : v > max ? max : v; }
    void operator()(const T* s, T* d) const
    {
        const Acc b = s[0], g = s[1], r = s[2];
        const Acc nr = (r * k[0] + g * k[1] + b * k[2]) / 100;
        const Acc ng = (r * k[3] + g * k[4] + b * k[5]) / 100;
        const Acc nb = (r * k[6] + g * k[7] + b * k[8]) / 100;
        d[2] = T(held(nr, max));
        d[1] = T(held(ng, max));
        d[0] = T(held(nb, max));
    }
};

// The mix a line at a time, in blocks of pixels split into planes of red,
// green and blue first, so that the sums run over plain arrays and
// vectorise; a whole block is read before any of it is written, as dst may
// be src. The sums are whole numbers below 2^24 (the caller sees to it), so
// floats hold them exactly. Sums below 0 end at 0 and sums past 100 max + 99
// at max whatever the division, so they are held first; the rest, at most
// 6553599, divide exactly: the float just above 1/100 (0x3C23D70B) lands at
// or just above every whole quotient and below the next one (errors stay
// under 0.005, while quotients that are not whole lie at least 0.01 below
// the next integer).
// The float just above 1/100 that mixLines divides by.
constexpr float kHundredth = 0.010000000707805156707763671875f;

#if LX_HAVE_AVX2_PATHS
// The AVX2 mix works on the interleaved samples without splitting them into
// planes. Outputs go in groups of four consecutive samples, two groups to a
// register, one from each half of a 32-byte load; pshufb lays each output's
// three inputs side by side as 16-bit pairs (B, G) and (R, 0), so that two
// pmaddwd give its sum in 32 bits. 16-bit samples are read as signed (less
// 32768), which each row's coefficient sum times 32768 adds back.

// The first pixel of group g (outputs 4g to 4g + 3).
constexpr uint32_t mixGroupPixel(uint32_t g)
{
    return g * 4 / 3;
}

// Where the 32-byte load of the register holding groups g and g + step
// starts, in samples: both groups' pixels (six samples each) lie in their
// halves of it. At most two samples before group g's pixel, so a line's
// vector steps start past its first pixel.
constexpr int32_t mixWindow(uint32_t g, uint32_t step, uint32_t half)
{
    return std::min(int32_t(3 * mixGroupPixel(g)), int32_t(3 * mixGroupPixel(g + step) - half));
}

inline LX_TARGET_AVX2 __m256i wordsAt(const void* p)
{
    return _mm256_loadu_si256(static_cast<const __m256i*>(p));
}

// The constants of registers whose first group has one phase (g mod 3):
// masks, coefficients and the sum of the offsets taken off 16-bit samples.
struct MixPhase {
    __m256i pairs, lone, kPairs, kLone, bias;
};

// Whether every coefficient fits pmaddwd's 16 bits.
inline bool mixFitsMadd(const int32_t* k)
{
    for (int i = 0; i < 9; ++i)
        if (k[i] < -32768 || k[i] > 32767)
            return false;
    return true;
}

// The constants of a mix: per phase and the upper bound of 16-bit results.
struct MixVectors {
    MixPhase phase[3];
    __m256i top;
};

// Steps of 96 bytes (32 or 16 pixels) and the pixels one of them reads.
template <class T> struct MixStep {
    static constexpr uint32_t E = sizeof(T);
    static constexpr uint32_t kHalf = 16 / E; // samples in 16 bytes
    // Registers per 32 output bytes; a register's halves hold groups g and
    // g + kRegs, so that the packs leave the 32 bytes in order.
    static constexpr uint32_t kRegs = E == 1 ? 4 : 2;
    static constexpr uint32_t kPixels = 8 * kRegs;
    static constexpr uint32_t kLast = 5 * kRegs - 1; // the last register's first group
    static constexpr uint32_t kReach = uint32_t(mixWindow(kLast, kRegs, kHalf)) + 2 * kHalf;
    static constexpr uint32_t kNeed = (kReach + 2) / 3;
};

// The constants of coefficients that fit pmaddwd (red rows first, as
// MixOp). Phase p stands for registers whose first group g has g mod 3 = p;
// register p + 3 gives them (its window is inside the line).
template <class T> LX_TARGET_AVX2 void mixVectorsOf(const int32_t* k, int32_t max, MixVectors& v)
{
    using S = MixStep<T>;
    constexpr uint32_t E = S::E;
    for (uint32_t p = 0; p < 3; ++p) {
        const uint32_t g = p + 3, h = g + S::kRegs;
        const int32_t w = mixWindow(g, S::kRegs, S::kHalf);
        alignas(32) uint8_t pairs[32], lone[32];
        alignas(32) int16_t kp[16], kl[16];
        alignas(32) int32_t bias[8];
        for (uint32_t half = 0; half < 2; ++half) {
            const uint32_t group = half ? h : g;
            const uint32_t from = 3 * mixGroupPixel(group) - uint32_t(w) - half * S::kHalf;
            for (uint32_t t = 0; t < 4; ++t) {
                const uint32_t out = group * 4 + t; // B first
                const uint32_t first = from + (out / 3 - mixGroupPixel(group)) * 3;
                const int32_t* row = k + (2 - out % 3) * 3; // its row, red first
                for (uint32_t i = 0; i < 4; ++i) {
                    const uint32_t sample = i / 2, byte = i % 2;
                    const bool inPair = byte < E, inLone = sample == 0 && byte < E;
                    pairs[16 * half + 4 * t + i] =
                        uint8_t(inPair ? (first + sample) * E + byte : 0x80);
                    lone[16 * half + 4 * t + i] = uint8_t(inLone ? (first + 2) * E + byte : 0x80);
                }
                kp[8 * half + 2 * t] = int16_t(row[2]);
                kp[8 * half + 2 * t + 1] = int16_t(row[1]);
                kl[8 * half + 2 * t] = int16_t(row[0]);
                kl[8 * half + 2 * t + 1] = 0;
                bias[4 * half + t] = E == 2 ? 32768 * (row[0] + row[1] + row[2]) : 0;
            }
        }
        v.phase[p] = {wordsAt(pairs), wordsAt(lone), wordsAt(kp), wordsAt(kl), wordsAt(bias)};
    }
    v.top = _mm256_set1_epi16(int16_t(uint16_t(max)));
}

// The sums of the register whose first group is g, in 32 bits.
template <class T>
LX_TARGET_AVX2 inline __m256i mixSumAvx2(const T* in, uint32_t g, const MixVectors& v)
{
    using S = MixStep<T>;
    const MixPhase& ph = v.phase[g % 3];
    __m256i w =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + mixWindow(g, S::kRegs, S::kHalf)));
    if constexpr (S::E == 2)
        w = _mm256_xor_si256(w, _mm256_set1_epi16(int16_t(0x8000)));
    const __m256i sum =
        _mm256_add_epi32(_mm256_madd_epi16(_mm256_shuffle_epi8(w, ph.pairs), ph.kPairs),
                         _mm256_madd_epi16(_mm256_shuffle_epi8(w, ph.lone), ph.kLone));
    return S::E == 2 ? _mm256_add_epi32(sum, ph.bias) : sum;
}

// One step: the loads of kNeed pixels from in (and two samples before it),
// then the stores of kPixels pixels to out, which may be in. Held: results
// above max (below 16 bits) are lowered to it.
template <class T, bool Held>
LX_TARGET_AVX2 inline void mixStepAvx2(const T* in, T* out, const MixVectors& v)
{
    using S = MixStep<T>;
    constexpr uint32_t kRegs = S::kRegs;
    __m256i res[3];
    if constexpr (S::E == 1) {
#pragma GCC unroll 3
        for (uint32_t b = 0; b < 3; ++b) {
            __m256i sum[kRegs];
#pragma GCC unroll 4
            for (uint32_t r = 0; r < kRegs; ++r)
                sum[r] = mixSumAvx2<T>(in, b * 2 * kRegs + r, v);
            // Sums below 0 pack to 0 and past 65535 to 65535; below 65536,
            // (v x 5243) >> 19 is v / 100 up to 25599 and above 255 past
            // it, which the byte pack holds.
            const __m256i mul = _mm256_set1_epi16(5243);
            const __m256i lo =
                _mm256_srli_epi16(_mm256_mulhi_epu16(_mm256_packus_epi32(sum[0], sum[1]), mul), 3);
            const __m256i hi =
                _mm256_srli_epi16(_mm256_mulhi_epu16(_mm256_packus_epi32(sum[2], sum[3]), mul), 3);
            res[b] = _mm256_packus_epi16(lo, hi);
        }
    } else {
        // The six registers (first groups 0, 1, 4, 5, 8, 9) a phase at a
        // time, so that each phase's constants are loaded once. Divided as
        // the plain loop does; sums below 0 give 0 or less and sums past
        // 100 max + 99 more than max, which the pack and the minimum hold.
        constexpr uint32_t kOrder[6] = {0, 5, 1, 2, 3, 4}; // phases 0, 0, 1, 1, 2, 2
        const __m256 hundredth = _mm256_set1_ps(kHundredth);
        __m256i q[6];
#pragma GCC unroll 6
        for (uint32_t n = 0; n < 6; ++n) {
            const uint32_t i = kOrder[n];
            const __m256i sum = mixSumAvx2<T>(in, i / 2 * 4 + i % 2, v);
            q[i] = _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(sum), hundredth));
        }
        for (uint32_t b = 0; b < 3; ++b) {
            res[b] = _mm256_packus_epi32(q[2 * b], q[2 * b + 1]);
            if constexpr (Held)
                res[b] = _mm256_min_epu16(res[b], v.top);
        }
    }
    uint8_t* o = reinterpret_cast<uint8_t*>(out);
    for (uint32_t b = 0; b < 3; ++b)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(o + 32 * b), res[b]);
}

// The mix of pixels 1 on of one line. Every load of a step comes before its
// stores, as d may be s; bytes loaded before the step are never used. When d
// is not s, a last step ends at the line's end, over pixels done already.
// Returns the first pixel not done.
template <class T, bool Held>
LX_TARGET_AVX2 uint32_t mixLineAvx2(const T* s, T* d, uint32_t width, const MixVectors& v)
{
    using S = MixStep<T>;
    uint32_t x = 1;
    for (; x + S::kNeed <= width; x += S::kPixels)
        mixStepAvx2<T, Held>(s + size_t(x) * 3, d + size_t(x) * 3, v);
    const uint32_t last = width - S::kNeed; // meaningful once a step was done
    if (x > 1 && s != d && last + S::kPixels > x) {
        mixStepAvx2<T, Held>(s + size_t(last) * 3, d + size_t(last) * 3, v);
        x = last + S::kPixels;
    }
    return x;
}

// Byte mixes whose rows each have magnitude at most 257 (255 times it fits
// 16 bits) take 16 outputs to a register in 16-bit words: pshufb lays each
// output's blue, green and red side by side in three registers, and pmullw
// sums them modulo 2^16. Adding 255 times the row's negative magnitude makes
// every sum a whole number in 0..65535; a saturating subtraction of it holds
// sums below 0 at 0. A register's halves hold outputs j..j + 7 and
// j + 16..j + 23, so that a pack of the registers of j and j + 8 leaves 32
// bytes in order.

// Where the 32-byte load for outputs j on starts, in samples: both halves'
// pixels lie in their 16 bytes. At most one sample before j's pixel.
constexpr int32_t mixWordWindow(uint32_t j)
{
    return std::min(int32_t(j / 3 * 3), int32_t((j + 16) / 3 * 3) - 16);
}

// The constants of registers whose first output j has one phase (j mod 3).
struct MixWordPhase {
    __m256i pick[3], k[3], lift;
};

struct MixWordVectors {
    MixWordPhase phase[3];
};

// Steps of 96 bytes (32 pixels): registers of outputs 32b and 32b + 8 for
// b = 0..2, and the pixels one reads.
struct MixWordStep {
    static constexpr uint32_t kPixels = 32;
    static constexpr uint32_t kReach = uint32_t(mixWordWindow(72)) + 32;
    static constexpr uint32_t kNeed = (kReach + 2) / 3;
};

// Whether every row's magnitude is at most 257.
inline bool mixFitsWords(const int32_t* k)
{
    for (int row = 0; row < 3; ++row) {
        int64_t sum = 0;
        for (int i = 0; i < 3; ++i)
            sum += std::llabs(int64_t(k[row * 3 + i]));
        if (sum > 257)
            return false;
    }
    return true;
}

LX_TARGET_AVX2 inline void mixWordVectorsOf(const int32_t* k, MixWordVectors& v)
{
    for (uint32_t p = 0; p < 3; ++p) {
        const uint32_t j = p + 3; // its window is inside the line
        const int32_t w = mixWordWindow(j);
        alignas(32) uint8_t pick[3][32];
        alignas(32) int16_t kw[3][16], lift[16];
        for (uint32_t i = 0; i < 16; ++i) {
            const uint32_t half = i / 8, out = j + i % 8 + 16 * half;
            const uint32_t first = out / 3 * 3 - uint32_t(w) - 16 * half;
            const int32_t* row = k + (2 - out % 3) * 3; // its row, red first
            int32_t negative = 0;
            for (uint32_t t = 0; t < 3; ++t) {
                pick[t][2 * i] = uint8_t(first + t);
                pick[t][2 * i + 1] = 0x80;
                kw[t][i] = int16_t(row[2 - t]);
                negative += std::min(row[2 - t], 0);
            }
            lift[i] = int16_t(uint16_t(-255 * negative));
        }
        for (uint32_t t = 0; t < 3; ++t) {
            v.phase[p].pick[t] = wordsAt(pick[t]);
            v.phase[p].k[t] = wordsAt(kw[t]);
        }
        v.phase[p].lift = wordsAt(lift);
    }
}

// The 16 quotients of the register of outputs j on, at most 655: those
// above 255 are sums past 25599, which the byte pack holds at 255.
LX_TARGET_AVX2 inline __m256i mixWordsAvx2(const uint8_t* in, uint32_t j, const MixWordVectors& v)
{
    const MixWordPhase& ph = v.phase[j % 3];
    const __m256i w = wordsAt(in + mixWordWindow(j));
    __m256i sum = _mm256_mullo_epi16(_mm256_shuffle_epi8(w, ph.pick[0]), ph.k[0]);
    sum = _mm256_add_epi16(sum, _mm256_mullo_epi16(_mm256_shuffle_epi8(w, ph.pick[1]), ph.k[1]));
    sum = _mm256_add_epi16(sum, _mm256_mullo_epi16(_mm256_shuffle_epi8(w, ph.pick[2]), ph.k[2]));
    const __m256i held = _mm256_subs_epu16(_mm256_add_epi16(sum, ph.lift), ph.lift);
    return _mm256_srli_epi16(_mm256_mulhi_epu16(held, _mm256_set1_epi16(5243)), 3);
}

// One step: every load before the stores, as out may be in.
LX_TARGET_AVX2 inline void mixWordStepAvx2(const uint8_t* in, uint8_t* out, const MixWordVectors& v)
{
    __m256i q[6];
#pragma GCC unroll 6
    for (uint32_t n = 0; n < 6; ++n)
        q[n] = mixWordsAvx2(in, n / 2 * 32 + n % 2 * 8, v);
    for (uint32_t b = 0; b < 3; ++b)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32 * b),
                            _mm256_packus_epi16(q[2 * b], q[2 * b + 1]));
}

// As mixLineAvx2, for the word path.
LX_TARGET_AVX2 uint32_t mixWordLineAvx2(const uint8_t* s, uint8_t* d, uint32_t width,
                                        const MixWordVectors& v)
{
    using S = MixWordStep;
    uint32_t x = 1;
    for (; x + S::kNeed <= width; x += S::kPixels)
        mixWordStepAvx2(s + size_t(x) * 3, d + size_t(x) * 3, v);
    const uint32_t last = width - S::kNeed; // meaningful once a step was done
    if (x > 1 && s != d && last + S::kPixels > x) {
        mixWordStepAvx2(s + size_t(last) * 3, d + size_t(last) * 3, v);
        x = last + S::kPixels;
    }
    return x;
}
#endif

template <class T>
LX_KERNEL_INLINE void mixLines(const SLxPicBuf& dst, const SLxPicBuf& src,
                               const MixOp<T, int32_t>& op)
{
    constexpr uint32_t kBlock = 256;
    alignas(32) float r[kBlock], g[kBlock], b[kBlock];
    alignas(32) int32_t nr[kBlock], ng[kBlock], nb[kBlock];
    float k[9];
    for (int i = 0; i < 9; ++i)
        k[i] = float(op.k[i]);
    const float top = float(op.max * 100 + 99);
    const auto held = [top](float v) {
        return int32_t(std::min(std::max(v, 0.0f), top) * kHundredth);
    };
#if LX_HAVE_AVX2_PATHS
    const bool words = sizeof(T) == 1 && lxpic::cpuHasAvx2() && mixFitsWords(op.k);
    const bool avx2 = !words && lxpic::cpuHasAvx2() && mixFitsMadd(op.k);
    MixVectors vectors;
    MixWordVectors wordVectors;
    if (words)
        mixWordVectorsOf(op.k, wordVectors);
    else if (avx2)
        mixVectorsOf<T>(op.k, op.max, vectors);
#endif
    // Pixels from to to of line (s, d).
    const auto plain = [&](const T* s, T* d, uint32_t from, uint32_t to) {
        for (uint32_t x0 = from; x0 < to; x0 += kBlock) {
            const uint32_t n = std::min(kBlock, to - x0);
            const T* sp = s + size_t(x0) * 3;
            for (uint32_t i = 0; i < n; ++i) {
                b[i] = float(int32_t(sp[3 * i]));
                g[i] = float(int32_t(sp[3 * i + 1]));
                r[i] = float(int32_t(sp[3 * i + 2]));
            }
            for (uint32_t i = 0; i < n; ++i) {
                nr[i] = held(r[i] * k[0] + g[i] * k[1] + b[i] * k[2]);
                ng[i] = held(r[i] * k[3] + g[i] * k[4] + b[i] * k[5]);
                nb[i] = held(r[i] * k[6] + g[i] * k[7] + b[i] * k[8]);
            }
            T* dp = d + size_t(x0) * 3;
            for (uint32_t i = 0; i < n; ++i) {
                dp[3 * i + 2] = T(nr[i]);
                dp[3 * i + 1] = T(ng[i]);
                dp[3 * i] = T(nb[i]);
            }
        }
    };
    for (uint32_t y = 0; y < dst.uiHeight; ++y) {
        const T* s = reinterpret_cast<const T*>(bytesOf(src) + size_t(y) * src.uiWidthBytes);
        T* d = reinterpret_cast<T*>(bytesOf(dst) + size_t(y) * dst.uiWidthBytes);
        uint32_t done = 0;
#if LX_HAVE_AVX2_PATHS
        if (words || avx2) {
            // Pixel 0 waits until the vector steps, which load bytes of it
            // (unused), are done.
            if constexpr (sizeof(T) == 1)
                if (words)
                    done = mixWordLineAvx2(s, d, dst.uiWidth, wordVectors);
            if (avx2)
                done = op.max < 65535 && sizeof(T) == 2
                           ? mixLineAvx2<T, true>(s, d, dst.uiWidth, vectors)
                           : mixLineAvx2<T, false>(s, d, dst.uiWidth, vectors);
            if (done > 1) {
                // The few pixels left by the steps one at a time, without
                // the blocks' setup.
                op(s, d);
                for (uint32_t x = done; x < dst.uiWidth; ++x)
                    op(s + size_t(x) * 3, d + size_t(x) * 3);
                continue;
            }
            done = 0;
        }
#endif
        plain(s, d, done, dst.uiWidth);
    }
}

#define LX_MIX_CLONES(name, T)                                                                     \
    LX_KERNEL_CLONES void name(const SLxPicBuf& dst, const SLxPicBuf& src,                         \
                               const MixOp<T, int32_t>& op)                                        \
    {                                                                                              \
        mixLines<T>(dst, src, op);                                                                 \
    }

LX_MIX_CLONES(mix8, u8)
LX_MIX_CLONES(mix16, u16)
#undef LX_MIX_CLONES

// The adjustment tables and how an output combines its three values.
struct AdjustOp {
    const u8* t;      // 9 tables of 256, table k for coefficient k + 1
    uint64_t sums[3]; // coefficient sums of R, G and B
    int32_t mode;
    u8 combine(uint32_t a, uint32_t b, uint32_t c, uint64_t sum) const
    {
        switch (mode) {
        case 0:
            return u8(std::max({a, b, c}));
        case 1:
            return u8((a + b + c) / 3);
        default: {
            // The weighted mean of the table values by their coefficients.
            if (sum == 0)
                return 0;
            const uint64_t v = uint64_t(a + b + c) * 256 / sum;
            return u8(v > 255 ? 255 : v);
        }
        }
    }
    void operator()(const u8* s, u8* d) const
    {
        const uint32_t b = s[0], g = s[1], r = s[2];
        d[2] = combine(t[0 * 256 + r], t[3 * 256 + g], t[6 * 256 + b], sums[0]);
        d[1] = combine(t[1 * 256 + r], t[4 * 256 + g], t[7 * 256 + b], sums[1]);
        d[0] = combine(t[2 * 256 + r], t[5 * 256 + g], t[8 * 256 + b], sums[2]);
    }
};

// N / D in 8-bit units, scaled and offset, held to the 8-bit scale and
// brought back to the picture's depth in every destination component.
template <class T> struct DivideOp {
    uint32_t num, den, dstComps, bits;
    double unit, scale, offset, top;
    uint32_t max;
    void operator()(const T* s, T* d) const
    {
        const double n = s[num] / unit, dd = s[den] / unit;
        double r = dd != 0 ? n / dd * scale + offset : 255.0 * scale + offset;
        if (r > top)
            r = top;
        if (!(r > 0)) // below 0 and not a number
            r = 0;
        const uint32_t v = std::min(CLxPicMemAPI::CalcDblToUint(r, bits), max);
        for (uint32_t c = 0; c < dstComps; ++c)
            d[c] = T(v);
    }
};

// ---- Histogram ends -----------------------------------------------------------

// A histogram record released on every path.
class ScopedHisto
{
  public:
    ScopedHisto() { CLxHistoAPI::Init(&m_h); }
    ~ScopedHisto() { CLxHistoAPI::Free(&m_h); }
    ScopedHisto(const ScopedHisto&) = delete;
    ScopedHisto& operator=(const ScopedHisto&) = delete;
    SLxHisto* get() { return &m_h; }

  private:
    SLxHisto m_h;
};

// Counts the whole picture into histo, in 2^histBits bins a component
// (samples shifted down by bits - histBits when deeper).
int countPicture(SLxHisto* histo, const SLxPicBuf& pic, uint32_t histBits)
{
    const SLxPicBufDesc desc{pic.uiWidth,       pic.uiHeight, pic.uiWidthBytes,
                             uint8_t(histBits), pic.uiComps,  pic.uiSize};
    const uint64_t pixels = uint64_t(pic.uiWidth) * pic.uiHeight;
    const int prepared = pixels < 0xFFFFFFFFull ? CLxHistoAPI::Reinit32(histo, &desc)
                                                : CLxHistoAPI::Reinit64(histo, &desc);
    if (prepared != 0)
        return prepared;
    const uint32_t count = isEmpty(pic) ? 0 : pixelCount(pic);
    if (histBits == pic.uiBpc)
        return CLxPicMemAPI::GetHistogram(histo->ppCompHisto, histo->uiBinSize, pic.pData,
                                          pic.uiWidthBytes, pic.uiComps, pic.uiBpc, pic.uiWidth,
                                          count);
    return CLxPicMemAPI::GetHistogramDiv(histo->ppCompHisto, histo->uiBinSize, histBits, pic.pData,
                                         pic.uiWidthBytes, pic.uiComps, pic.uiBpc, pic.uiWidth,
                                         count);
}

using AbsSearch = int (*)(const SLxHisto*, unsigned*, unsigned*, unsigned, unsigned);

int findAbsEnds(AbsSearch search, const SLxPicBuf* pic, unsigned* low, unsigned* high,
                unsigned lowCount, unsigned highCount)
{
    if (!pic || (!low && !high))
        return -4;
    if (!coversFormat(pic))
        return -9;
    // Deeper pictures are counted in 2^16 bins and the ends shifted back.
    const uint32_t histBits = std::min<uint32_t>(pic->uiBpc, 16);
    ScopedHisto histo;
    int status = countPicture(histo.get(), *pic, histBits);
    if (status == 0)
        status = search(histo.get(), low, high, lowCount, highCount);
    const uint32_t shift = pic->uiBpc - histBits;
    if (status != 0 || shift == 0)
        return status;
    for (uint32_t c = 0; c < pic->uiComps; ++c) {
        if (low && lowCount != 0)
            low[c] <<= shift;
        if (high && highCount != 0)
            high[c] = high[c] << shift | ((1u << shift) - 1u);
    }
    return 0;
}

// ---- Autocontrast tables ------------------------------------------------------

// A table set released unless it is handed over.
class ScopedLut
{
  public:
    ScopedLut() = default;
    ~ScopedLut() { SLxLut::Free(&m_lut); }
    ScopedLut(const ScopedLut&) = delete;
    ScopedLut& operator=(const ScopedLut&) = delete;
    SLxLut* get() { return &m_lut; }

  private:
    SLxLut m_lut;
};

bool selected(uint32_t mask, uint32_t c)
{
    return c < 32 && (mask >> c & 1u) != 0;
}

// Every component shown.
uint64_t fullMask(uint32_t comps)
{
    return comps >= 64 ? ~uint64_t(0) : (uint64_t(1) << comps) - 1;
}

// The mapping of one component: from (low, 0) to (high, top), or the
// identity (low 0, high max, top max) or nothing (top 0).
struct Ramp {
    int32_t low, high, top;
};

// Fills lut with the ramps: one ramp a component of a table of the
// picture's depth (display: 8 bits), or coloured ramps through a base
// table. perComp false: ramps[0] for every component.
int buildRamps(SLxLut* lut, const SLxPicBuf& pic, const std::vector<Ramp>& ramps, bool perComp,
               bool toDisplay, const uint32_t* colors)
{
    const uint32_t comps = pic.uiComps, bits = pic.uiBpc;
    const int32_t max = int32_t(lxpic::maxOfBits(bits));
    const bool coloured = toDisplay && (colors || (perComp && comps > 1));
    if (!coloured) {
        const uint8_t outBits = uint8_t(toDisplay ? 8 : bits);
        const bool single = !perComp || comps == 1;
        int status = single ? SLxLut::AllocSingle(lut, uint8_t(bits), outBits)
                            : SLxLut::Alloc(lut, uint8_t(bits), 1, outBits, uint8_t(comps));
        for (uint32_t c = 0; status == 0 && c < (single ? 1 : comps); ++c)
            status = SLxLut::CreateLinearTable(lut, uint8_t(c), ramps[c].low, 0, ramps[c].high,
                                               ramps[c].top);
        return status;
    }
    // A coloured display table: the ramps from the picture's depth to itself
    // in the base, one base component per colour.
    ScopedLut base;
    int status = SLxLut::Alloc(base.get(), uint8_t(bits), 1, uint8_t(bits), uint8_t(comps));
    for (uint32_t c = 0; status == 0 && c < (perComp ? comps : 1); ++c) {
        const Ramp& r = ramps[c];
        const int32_t top = r.top == 0 ? 0 : max;
        status = SLxLut::CreateLinearTable(base.get(), uint8_t(perComp ? c : 255), r.low, 0, r.high,
                                           top);
    }
    std::vector<uint32_t> white;
    if (!colors) {
        white.assign(comps, 0x00FFFFFFu);
        colors = white.data();
    }
    if (status == 0)
        status = SLxLut::Alloc(lut, uint8_t(bits), uint8_t(comps), 8, 3);
    if (status == 0)
        status = SLxLut::CreateMultiColorTableEx(lut, colors, uint8_t(comps), base.get(), false, 0);
    return status;
}

int autocontrastLut(SLxLut* lut, const SLxPicBuf* pic, double lowFraction, double highFraction,
                    uint32_t componentMask, bool toDisplay, const uint32_t* colors, bool perComp)
{
    if (!lut || !pic)
        return -4;
    if (!coversFormat(pic))
        return -9;
    const uint32_t comps = pic->uiComps, bits = pic->uiBpc;
    // Tables have 2^bits entries and count their components in a byte.
    if (bits == 0 || bits > 16)
        return -2;
    if (comps == 0 || comps > 255)
        return -4;
    const uint32_t max = lxpic::maxOfBits(bits);
    std::vector<unsigned> low(comps, 0), high(comps, max);
    const int found = CLxPicBufAPI::FindLowHighInHistogram(pic, low.data(), high.data(),
                                                           lowFraction, highFraction);
    if (found != 0)
        return found;
    const int32_t top = int32_t(toDisplay ? 255 : max);
    std::vector<Ramp> ramps(comps);
    if (!perComp) {
        unsigned lo = max, hi = 0;
        bool any = false;
        for (uint32_t c = 0; c < comps; ++c)
            if (selected(componentMask, c)) {
                lo = std::min(lo, low[c]);
                hi = std::max(hi, high[c]);
                any = true;
            }
        if (!any)
            return -4;
        ramps.assign(comps, Ramp{int32_t(lo), int32_t(hi), top});
    } else {
        for (uint32_t c = 0; c < comps; ++c)
            ramps[c] = selected(componentMask, c)
                           ? Ramp{int32_t(low[c]), int32_t(high[c]), top}
                           : Ramp{0, int32_t(max), toDisplay ? 0 : int32_t(max)};
    }
    SLxLut::Free(lut);
    const int status = buildRamps(lut, *pic, ramps, perComp, toDisplay, colors);
    if (status != 0) {
        SLxLut::Free(lut);
        return status;
    }
    lut->uiCompMask = fullMask(comps);
    return 0;
}

int autocontrast(SLxPicBuf* dst, const SLxPicBuf* src, double lowFraction, double highFraction,
                 uint32_t componentMask, bool perComp)
{
    if (!dst || !src || dst->uiWidth != src->uiWidth || dst->uiHeight != src->uiHeight)
        return -4;
    ScopedLut lut;
    const int built = autocontrastLut(lut.get(), src, lowFraction, highFraction, componentMask,
                                      false, nullptr, perComp);
    if (built != 0)
        return built;
    return CLxPicBufAPI::ApplyLuts(dst, dst, lut.get());
}

// The top-left width x height of pic, as a record of its own.
SLxPicBuf viewOf(const SLxPicBuf& pic, uint32_t width, uint32_t height)
{
    SLxPicBuf v = pic;
    v.uiWidth = width;
    v.uiHeight = height;
    return v;
}

} // namespace

int CLxPicBufAPI::SubtractMinRGB(SLxPicBuf* dst, const SLxPicBuf* src)
{
    const int checked = prepareColour(dst, src);
    if (checked != 0)
        return checked;
    return dst->uiBpc == 8 ? subtractMinLines<u8>(*dst, *src) : subtractMinLines<u16>(*dst, *src);
}

int CLxPicBufAPI::MixComponents(SLxPicBuf* dst, const SLxPicBuf* src, int32_t c1, int32_t c2,
                                int32_t c3, int32_t c4, int32_t c5, int32_t c6, int32_t c7,
                                int32_t c8, int32_t c9)
{
    const int checked = prepareColour(dst, src);
    if (checked != 0)
        return checked;
    const int32_t k[9] = {c1, c2, c3, c4, c5, c6, c7, c8, c9};
    const uint32_t max = lxpic::maxOfBits(dst->uiBpc);
    // Float sums when no row's magnitude can reach 2^24 (every partial sum
    // then is a whole number a float holds exactly).
    uint64_t largest = 0;
    for (int row = 0; row < 3; ++row) {
        uint64_t sum = 0;
        for (int i = 0; i < 3; ++i)
            sum += uint64_t(std::llabs(int64_t(k[row * 3 + i])));
        largest = std::max(largest, sum * (dst->uiBpc == 8 ? 255u : 65535u));
    }
    const bool narrow = largest < (uint64_t(1) << 24);
    if (dst->uiBpc == 8 && narrow) {
        MixOp<u8, int32_t> op{{c1, c2, c3, c4, c5, c6, c7, c8, c9}, int32_t(max)};
        mix8(*dst, *src, op);
    } else if (dst->uiBpc > 8 && narrow) {
        MixOp<u16, int32_t> op{{c1, c2, c3, c4, c5, c6, c7, c8, c9}, int32_t(max)};
        mix16(*dst, *src, op);
    } else if (dst->uiBpc == 8) {
        MixOp<u8, int64_t> op{{c1, c2, c3, c4, c5, c6, c7, c8, c9}, int64_t(max)};
        mapPixels<u8, 3, 3>(bytesOf(*dst), dst->uiWidthBytes, bytesOf(*src), src->uiWidthBytes,
                            dst->uiWidth, dst->uiHeight, op);
    } else {
        MixOp<u16, int64_t> op{{c1, c2, c3, c4, c5, c6, c7, c8, c9}, int64_t(max)};
        mapPixels<u16, 3, 3>(bytesOf(*dst), dst->uiWidthBytes, bytesOf(*src), src->uiWidthBytes,
                             dst->uiWidth, dst->uiHeight, op);
    }
    return 0;
}

int CLxPicBufAPI::AdjustColorsRGB(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t c1, uint32_t c2,
                                  uint32_t c3, uint32_t c4, uint32_t c5, uint32_t c6, uint32_t c7,
                                  uint32_t c8, uint32_t c9, int32_t mode)
{
    const int checked = prepare(dst, src, eLxCheckSizeBitsComps, nullptr);
    if (checked != 0)
        return checked;
    if (dst->uiComps != 3 || dst->uiBpc != 8 || mode < 0 || mode > 2)
        return -9;
    const uint32_t k[9] = {c1, c2, c3, c4, c5, c6, c7, c8, c9};
    std::unique_ptr<u8[]> tables(new (std::nothrow) u8[9 * 256]);
    if (!tables)
        return -3;
    for (uint32_t t = 0; t < 9; ++t)
        for (uint32_t v = 0; v < 256; ++v)
            tables[t * 256 + v] = u8(uint64_t(v) * k[t] / 256);
    const AdjustOp op{tables.get(),
                      {uint64_t(c1) + c4 + c7, uint64_t(c2) + c5 + c8, uint64_t(c3) + c6 + c9},
                      mode};
    mapPixels<u8, 3, 3>(bytesOf(*dst), dst->uiWidthBytes, bytesOf(*src), src->uiWidthBytes,
                        dst->uiWidth, dst->uiHeight, op);
    return 0;
}

int CLxPicBufAPI::DivideComponents(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t numerator,
                                   uint32_t denominator, double scale, double offset)
{
    const int checked = prepare(dst, src, eLxCheckSizeBits, nullptr);
    if (checked != 0)
        return checked;
    if (src->uiComps < 2 || numerator >= src->uiComps || denominator >= src->uiComps ||
        dst->uiBpc < 8)
        return -9;
    if (dst->uiBpc > 16)
        return -2;
    const uint32_t bits = dst->uiBpc;
    const auto run = [&](auto t) {
        using T = decltype(t);
        const DivideOp<T> op{numerator,
                             denominator,
                             dst->uiComps,
                             bits,
                             double(1u << (bits - 8)),
                             scale,
                             offset,
                             CLxPicMemAPI::CalcDblMax(bits),
                             lxpic::maxOfBits(bits)};
        mapPixelsN<T>(bytesOf(*dst), dst->uiWidthBytes, dst->uiComps, bytesOf(*src),
                      src->uiWidthBytes, src->uiComps, dst->uiWidth, dst->uiHeight, op);
        return 0;
    };
    return bits == 8 ? run(u8()) : run(u16());
}

int CLxPicBufAPI::FindLowHighInHistogram(const SLxPicBuf* pic, unsigned* low, unsigned* high,
                                         double lowFraction, double highFraction)
{
    if (!pic || (!low && !high))
        return -4;
    if (!coversFormat(pic))
        return -9;
    ScopedHisto histo;
    const int status = countPicture(histo.get(), *pic, pic->uiBpc);
    if (status != 0)
        return status;
    return CLxHistoAPI::GetLowHigh(histo.get(), low, high, lowFraction, highFraction);
}

int CLxPicBufAPI::FindLowHighAbsInHistogram(const SLxPicBuf* pic, unsigned* low, unsigned* high,
                                            unsigned lowCount, unsigned highCount)
{
    return findAbsEnds(CLxHistoAPI::GetLowHighAbs, pic, low, high, lowCount, highCount);
}

int CLxPicBufAPI::FindLowHighFreqAbsInHistogram(const SLxPicBuf* pic, unsigned* low, unsigned* high,
                                                unsigned lowCount, unsigned highCount)
{
    return findAbsEnds(CLxHistoAPI::GetLowHighFreqAbs, pic, low, high, lowCount, highCount);
}

int CLxPicBufAPI::AllocAutocontrastLut(SLxLut* lut, const SLxPicBuf* pic, double lowFraction,
                                       double highFraction, uint32_t componentMask, bool toDisplay,
                                       const uint32_t* colors)
{
    return autocontrastLut(lut, pic, lowFraction, highFraction, componentMask, toDisplay, colors,
                           false);
}

int CLxPicBufAPI::AllocAutocontrastLutPerComp(SLxLut* lut, const SLxPicBuf* pic, double lowFraction,
                                              double highFraction, uint32_t componentMask,
                                              bool toDisplay, const uint32_t* colors)
{
    return autocontrastLut(lut, pic, lowFraction, highFraction, componentMask, toDisplay, colors,
                           true);
}

int CLxPicBufAPI::ApplyLuts(SLxPicBuf* dst, const SLxPicBuf* src, const SLxLut* lut)
{
    if (!dst || !src || !lut || dst->uiWidth != src->uiWidth || dst->uiHeight != src->uiHeight)
        return -4;
    if (!coversFormat(dst) || !coversFormat(src))
        return -9;
    const uint32_t width = dst->uiWidth, count = isEmpty(*dst) ? 0 : pixelCount(*dst);
    if (dst->uiComps == 3 && dst->uiBpc == 8)
        return CLxPicMemAPI::ConvertToTrueColor(dst->pData, dst->uiWidthBytes, src->pData,
                                                src->uiComps, src->uiBpc, src->uiWidthBytes, width,
                                                count, lut);
    if (dst->uiComps == src->uiComps && dst->uiBpc == src->uiBpc && lut->uiDstBits == dst->uiBpc)
        return CLxPicMemAPI::ApplyLuts(dst->pData, dst->uiWidthBytes, src->pData, src->uiWidthBytes,
                                       lut, dst->uiComps, dst->uiBpc, width, count);
    if (src->uiComps == 1)
        return CLxPicMemAPI::MapValueToComponents(dst->pData, dst->uiComps, dst->uiBpc,
                                                  dst->uiWidthBytes, src->pData, src->uiBpc,
                                                  src->uiWidthBytes, lut, width, count);
    return -2;
}

int CLxPicBufAPI::Autocontrast(SLxPicBuf* dst, const SLxPicBuf* src, double lowFraction,
                               double highFraction, uint32_t componentMask)
{
    return autocontrast(dst, src, lowFraction, highFraction, componentMask, false);
}

int CLxPicBufAPI::AutocontrastPerComp(SLxPicBuf* dst, const SLxPicBuf* src, double lowFraction,
                                      double highFraction, uint32_t componentMask)
{
    return autocontrast(dst, src, lowFraction, highFraction, componentMask, true);
}

int CLxPicBufAPI::CreateAnaglyph(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* depth,
                                 int32_t layers, bool grey, bool ascending, bool lastLayerFixed,
                                 uint32_t firstMask, uint32_t secondMask, int32_t maxShift)
{
    // The shift step divides by layers; source and depth are read at the
    // destination's positions.
    if (!dst || !src || !depth || layers < 1 || dst->uiComps != 3 || src->uiWidth < dst->uiWidth ||
        src->uiHeight < dst->uiHeight || depth->uiWidth < dst->uiWidth ||
        depth->uiHeight < dst->uiHeight || depth->uiComps != 1 || depth->uiBpc != 8 ||
        !coversFormat(dst) || !coversFormat(src) || !coversFormat(depth))
        return -9;
    const SLxPicBuf srcView = viewOf(*src, dst->uiWidth, dst->uiHeight);
    const SLxPicBuf depthView = viewOf(*depth, dst->uiWidth, dst->uiHeight);
    return (dst->uiBpc == 8 ? CreateAnaglyphKernel_8 : CreateAnaglyphKernel)(
        dst, &srcView, &depthView, layers, grey, ascending, lastLayerFixed, firstMask, secondMask,
        maxShift);
}
