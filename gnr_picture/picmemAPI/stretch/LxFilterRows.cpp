#include "gnr_picture/picmemAPI/stretch/LxFilterRows.h"

#include <algorithm>

#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "gnr_picture/picmemAPI/LxPicMemLoops.h"

#if LX_HAVE_AVX2_PATHS
#include <immintrin.h>
#endif

using namespace lxpic;

namespace lxstretch
{

namespace
{

// Plain loop over samples [begin, end): the reference every path equals.
template <class S>
void filterScalar(uint8_t* out, const uint8_t* line, const int32_t* offset, const uint32_t* weight,
                  uint32_t samples, uint32_t taps, uint32_t begin, uint32_t end)
{
    for (uint32_t k = begin; k < end; ++k) {
        uint32_t acc = 0;
        for (uint32_t t = 0; t < taps; ++t) {
            const size_t i = size_t(t) * samples + k;
            acc +=
                uint32_t(load<S>(line + ptrdiff_t(offset[i]) * ptrdiff_t(sizeof(S)))) * weight[i];
        }
        store<S>(out + size_t(k) * sizeof(S), S(acc >> 16));
    }
}

#if LX_HAVE_AVX2_PATHS
// Eight results of 32 bits (each below 2^16) stored as eight samples S.
template <class S> LX_TARGET_AVX2 inline void storeEight(uint8_t* out, __m256i v)
{
    const __m256i words = _mm256_permute4x64_epi64(_mm256_packus_epi32(v, v), 0x08);
    const __m128i low = _mm256_castsi256_si128(words);
    if (sizeof(S) == 1)
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(low, low));
    else
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), low);
}

// Eight samples at a time by gathers of 32 bits at the sample offsets. With
// oneRead the first gather holds every tap (taps comps samples apart);
// otherwise one gather a tap.
template <class S>
LX_TARGET_AVX2 void filterAvx2(uint8_t* out, const uint8_t* line, const int32_t* offset,
                               const uint32_t* weight, uint32_t samples, uint32_t taps,
                               uint32_t comps, bool oneRead, uint32_t begin, uint32_t end)
{
    const __m256i mask = _mm256_set1_epi32(sizeof(S) == 1 ? 0xFF : 0xFFFF);
    const int* base = reinterpret_cast<const int*>(line);
    for (uint32_t k = begin; k + 8 <= end; k += 8) {
        __m256i acc = _mm256_setzero_si256();
        if (oneRead) {
            const __m256i at = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(offset + k));
            const __m256i all = _mm256_i32gather_epi32(base, at, sizeof(S));
            for (uint32_t t = 0; t < taps; ++t) {
                const __m128i shift = _mm_cvtsi32_si128(int(t * comps * sizeof(S) * 8));
                const __m256i v = _mm256_and_si256(_mm256_srl_epi32(all, shift), mask);
                const __m256i w = _mm256_loadu_si256(
                    reinterpret_cast<const __m256i*>(weight + size_t(t) * samples + k));
                acc = _mm256_add_epi32(acc, _mm256_mullo_epi32(v, w));
            }
        } else {
            for (uint32_t t = 0; t < taps; ++t) {
                const size_t i = size_t(t) * samples + k;
                const __m256i at = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(offset + i));
                const __m256i v =
                    _mm256_and_si256(_mm256_i32gather_epi32(base, at, sizeof(S)), mask);
                const __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(weight + i));
                acc = _mm256_add_epi32(acc, _mm256_mullo_epi32(v, w));
            }
        }
        storeEight<S>(out + size_t(k) * sizeof(S), _mm256_srli_epi32(acc, 16));
    }
}

// Byte samples, up to four taps in one gather: taps 0 and 2 and taps 1 and 3
// as 16-bit pairs against their packed weights.
LX_TARGET_AVX2 void filterPairsAvx2(uint8_t* out, const uint8_t* line, const int32_t* offset,
                                    const int32_t* pairs, uint32_t samples, uint32_t begin,
                                    uint32_t end)
{
    const __m256i evenBytes = _mm256_set1_epi32(0x00FF00FF);
    const int* base = reinterpret_cast<const int*>(line);
    for (uint32_t k = begin; k + 8 <= end; k += 8) {
        const __m256i at = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(offset + k));
        const __m256i all = _mm256_i32gather_epi32(base, at, 1);
        const __m256i even = _mm256_and_si256(all, evenBytes);
        const __m256i odd = _mm256_srli_epi16(all, 8);
        const __m256i acc = _mm256_add_epi32(
            _mm256_madd_epi16(even,
                              _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pairs + k))),
            _mm256_madd_epi16(
                odd, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pairs + samples + k))));
        storeEight<uint8_t>(out + k, _mm256_srli_epi32(acc, 16));
    }
}

// Pairs for a reduction by 2: the first taps of eight samples lie two
// columns apart, so two 16-byte reads (the second 8 bytes on) hold their
// taps, which byte shuffles put into the pairs, without gathers.
LX_TARGET_AVX2 void filterHalvingAvx2(uint8_t* out, const uint8_t* line, const int32_t* offset,
                                      const int32_t* pairs, uint32_t samples, uint32_t begin,
                                      uint32_t end)
{
    // Sample j of a lane: taps 2j, 2j + 2 (even) and 2j + 1, 2j + 3 (odd).
    const __m256i even = _mm256_setr_epi8(0, -1, 2, -1, 2, -1, 4, -1, 4, -1, 6, -1, 6, -1, 8, -1, 0,
                                          -1, 2, -1, 2, -1, 4, -1, 4, -1, 6, -1, 6, -1, 8, -1);
    const __m256i odd = _mm256_setr_epi8(1, -1, 3, -1, 3, -1, 5, -1, 5, -1, 7, -1, 7, -1, 9, -1, 1,
                                         -1, 3, -1, 3, -1, 5, -1, 5, -1, 7, -1, 7, -1, 9, -1);
    for (uint32_t k = begin; k + 8 <= end; k += 8) {
        const uint8_t* p = line + offset[k];
        const __m256i bytes = _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8)), 1);
        const __m256i acc = _mm256_add_epi32(
            _mm256_madd_epi16(_mm256_shuffle_epi8(bytes, even),
                              _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pairs + k))),
            _mm256_madd_epi16(
                _mm256_shuffle_epi8(bytes, odd),
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pairs + samples + k))));
        storeEight<uint8_t>(out + k, _mm256_srli_epi32(acc, 16));
    }
}

// Byte samples of a reduction by 4 (one component, consecutive taps, first
// taps four columns apart): the 32 bytes 4u columns on from a group's first
// tap hold taps 4u to 4u + 3 of its eight samples, one sample a 32-bit lane,
// split into the pairs (4u, 4u + 2) and (4u + 1, 4u + 3) without gathers.
// rounds: the loads a group, pairs: 2 x rounds rows of packed weights.
template <uint32_t R>
LX_TARGET_AVX2 inline __m256i quarterEight(const uint8_t* p, const int32_t* pairs, uint32_t samples)
{
    const __m256i evenBytes = _mm256_set1_epi32(0x00FF00FF);
    __m256i even = _mm256_setzero_si256(), odd = _mm256_setzero_si256();
    for (uint32_t u = 0; u < R; ++u) {
        const __m256i all = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 4 * u));
        const int32_t* w = pairs + size_t(2 * u) * samples;
        even = _mm256_add_epi32(
            even, _mm256_madd_epi16(_mm256_and_si256(all, evenBytes),
                                    _mm256_loadu_si256(reinterpret_cast<const __m256i*>(w))));
        odd = _mm256_add_epi32(
            odd,
            _mm256_madd_epi16(_mm256_srli_epi16(all, 8),
                              _mm256_loadu_si256(reinterpret_cast<const __m256i*>(w + samples))));
    }
    return _mm256_srli_epi32(_mm256_add_epi32(even, odd), 16);
}

template <uint32_t R>
LX_TARGET_AVX2 void quarterLine(uint8_t* out, const uint8_t* line, const int32_t* offset,
                                const int32_t* pairs, uint32_t samples, uint32_t begin,
                                uint32_t end)
{
    uint32_t k = begin;
    // Sixteen samples a round, packed to bytes together.
    for (; k + 16 <= end; k += 16) {
        const __m256i low = quarterEight<R>(line + offset[k], pairs + k, samples);
        const __m256i high = quarterEight<R>(line + offset[k + 8], pairs + k + 8, samples);
        const __m256i words = _mm256_permute4x64_epi64(_mm256_packus_epi32(low, high), 0xD8);
        const __m256i bytes = _mm256_packus_epi16(words, words);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k),
                         _mm256_castsi256_si128(_mm256_permute4x64_epi64(bytes, 0x08)));
    }
    for (; k + 8 <= end; k += 8)
        storeEight<uint8_t>(out + k, quarterEight<R>(line + offset[k], pairs + k, samples));
}

LX_TARGET_AVX2 void filterQuarteringAvx2(uint8_t* out, const uint8_t* line, const int32_t* offset,
                                         const int32_t* pairs, uint32_t samples, uint32_t rounds,
                                         uint32_t begin, uint32_t end)
{
    switch (rounds) {
    case 1:
        return quarterLine<1>(out, line, offset, pairs, samples, begin, end);
    case 2:
        return quarterLine<2>(out, line, offset, pairs, samples, begin, end);
    case 3:
        return quarterLine<3>(out, line, offset, pairs, samples, begin, end);
    default:
        return quarterLine<4>(out, line, offset, pairs, samples, begin, end);
    }
}

// Word samples of a reduction by 2 (one component, at most four taps on
// consecutive columns, first taps two columns apart): the 32 bytes at the
// first tap hold taps 0 and 1 of eight samples in each 32-bit lane's low and
// high word, the 32 bytes two columns on taps 2 and 3, without gathers.
LX_TARGET_AVX2 void filterHalvingWordsAvx2(uint8_t* out, const uint8_t* line, const int32_t* offset,
                                           const uint32_t* weight, uint32_t samples, uint32_t taps,
                                           uint32_t begin, uint32_t end)
{
    const __m256i lowWord = _mm256_set1_epi32(0xFFFF);
    for (uint32_t k = begin; k + 8 <= end; k += 8) {
        const uint8_t* p = line + ptrdiff_t(offset[k]) * 2;
        const __m256i first = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i second = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 4));
        const __m256i tap[4] = {_mm256_and_si256(first, lowWord), _mm256_srli_epi32(first, 16),
                                _mm256_and_si256(second, lowWord), _mm256_srli_epi32(second, 16)};
        __m256i acc = _mm256_setzero_si256();
        for (uint32_t t = 0; t < taps; ++t) {
            const __m256i w = _mm256_loadu_si256(
                reinterpret_cast<const __m256i*>(weight + size_t(t) * samples + k));
            acc = _mm256_add_epi32(acc, _mm256_mullo_epi32(tap[t], w));
        }
        storeEight<uint16_t>(out + size_t(k) * 2, _mm256_srli_epi32(acc, 16));
    }
}

// The same with weights of 15 bits summing to 65536: words made signed by
// flipping their top bit (x - 32768) multiply and add in pairs, taps (0, 1)
// at the first tap and (2, 3) two columns on, against packed weights; the
// flip took 32768 x 65536 = 2^31 from each sum, which the bias puts back
// (the 32-bit sums wrap to the exact result, itself below 2^32).
LX_TARGET_AVX2 inline __m256i halveWordsEight(const uint8_t* p, const int32_t* pairs,
                                              uint32_t samples)
{
    const __m256i flip = _mm256_set1_epi16(-32768);
    const __m256i bias = _mm256_set1_epi32(INT32_MIN);
    const __m256i first = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i second = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 4));
    const __m256i low = _mm256_madd_epi16(
        _mm256_xor_si256(first, flip), _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pairs)));
    const __m256i high =
        _mm256_madd_epi16(_mm256_xor_si256(second, flip),
                          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pairs + samples)));
    return _mm256_srli_epi32(_mm256_add_epi32(_mm256_add_epi32(low, high), bias), 16);
}

LX_TARGET_AVX2 void filterHalvingWordPairsAvx2(uint8_t* out, const uint8_t* line,
                                               const int32_t* offset, const int32_t* pairs,
                                               uint32_t samples, uint32_t begin, uint32_t end)
{
    uint32_t k = begin;
    // Sixteen samples a round, packed to words together.
    for (; k + 16 <= end; k += 16) {
        const __m256i low = halveWordsEight(line + ptrdiff_t(offset[k]) * 2, pairs + k, samples);
        const __m256i high =
            halveWordsEight(line + ptrdiff_t(offset[k + 8]) * 2, pairs + k + 8, samples);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + size_t(k) * 2),
                            _mm256_permute4x64_epi64(_mm256_packus_epi32(low, high), 0xD8));
    }
    for (; k + 8 <= end; k += 8)
        storeEight<uint16_t>(out + size_t(k) * 2,
                             halveWordsEight(line + ptrdiff_t(offset[k]) * 2, pairs + k, samples));
}

// Samples whose taps lie close together: each lane of four samples reads
// the 16 bytes at its group's base, and per-tap byte shuffles place every
// tap's sample in its 32-bit lane, without gathers.
template <class S, uint32_t T>
LX_TARGET_AVX2 void shuffledLine(uint8_t* out, const uint8_t* line, const int32_t* bases,
                                 const uint8_t* masks, const uint32_t* weight, uint32_t samples,
                                 uint32_t begin, uint32_t end)
{
    for (uint32_t k = begin, g = 0; k + 8 <= end; k += 8, ++g) {
        const __m256i bytes = _mm256_inserti128_si256(
            _mm256_castsi128_si256(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + bases[2 * g]))),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + bases[2 * g + 1])), 1);
        __m256i acc = _mm256_setzero_si256();
        for (uint32_t t = 0; t < T; ++t) {
            const __m256i mask = _mm256_loadu_si256(
                reinterpret_cast<const __m256i*>(masks + (size_t(g) * T + t) * 32));
            const __m256i w = _mm256_loadu_si256(
                reinterpret_cast<const __m256i*>(weight + size_t(t) * samples + k));
            acc = _mm256_add_epi32(acc, _mm256_mullo_epi32(_mm256_shuffle_epi8(bytes, mask), w));
        }
        storeEight<S>(out + size_t(k) * sizeof(S), _mm256_srli_epi32(acc, 16));
    }
}

// The tap count (at most 4) fixed, so that the taps' loop unrolls.
template <class S>
LX_TARGET_AVX2 void filterShuffledAvx2(uint8_t* out, const uint8_t* line, const int32_t* bases,
                                       const uint8_t* masks, const uint32_t* weight,
                                       uint32_t samples, uint32_t taps, uint32_t begin,
                                       uint32_t end)
{
    switch (taps) {
    case 1:
        return shuffledLine<S, 1>(out, line, bases, masks, weight, samples, begin, end);
    case 2:
        return shuffledLine<S, 2>(out, line, bases, masks, weight, samples, begin, end);
    case 3:
        return shuffledLine<S, 3>(out, line, bases, masks, weight, samples, begin, end);
    default:
        return shuffledLine<S, 4>(out, line, bases, masks, weight, samples, begin, end);
    }
}

// Shuffled byte samples whose weights fit 15 bits: the shuffles place taps
// (0, 1) and (2, 3) of each sample as 16-bit pairs, multiplied and added by
// their packed weights in one step.
LX_TARGET_AVX2 void filterShuffledPairsAvx2(uint8_t* out, const uint8_t* line, const int32_t* bases,
                                            const uint8_t* masks, const int32_t* pairs,
                                            uint32_t samples, uint32_t begin, uint32_t end)
{
    for (uint32_t k = begin, g = 0; k + 8 <= end; k += 8, ++g) {
        const __m256i bytes = _mm256_inserti128_si256(
            _mm256_castsi128_si256(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + bases[2 * g]))),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + bases[2 * g + 1])), 1);
        const __m256i* mask = reinterpret_cast<const __m256i*>(masks + size_t(g) * 64);
        const __m256i acc = _mm256_add_epi32(
            _mm256_madd_epi16(_mm256_shuffle_epi8(bytes, _mm256_loadu_si256(mask)),
                              _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pairs + k))),
            _mm256_madd_epi16(
                _mm256_shuffle_epi8(bytes, _mm256_loadu_si256(mask + 1)),
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pairs + samples + k))));
        storeEight<uint8_t>(out + k, _mm256_srli_epi32(acc, 16));
    }
}

// Word samples whose taps are consecutive columns: sixteen words at the
// first tap against sixteen 32-bit weights, eight samples summed at once.
LX_TARGET_AVX2 void filterDotWordsAvx2(uint8_t* out, const uint8_t* line, const int32_t* offset,
                                       const uint32_t* dot, uint32_t begin, uint32_t end)
{
    for (uint32_t k = begin; k + 8 <= end; k += 8) {
        __m256i v[8];
        for (int i = 0; i < 8; ++i) {
            const uint8_t* p = line + ptrdiff_t(offset[k + i]) * 2;
            const __m256i* w = reinterpret_cast<const __m256i*>(dot + size_t(k + i) * 16);
            const __m256i low =
                _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
            const __m256i high =
                _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)));
            v[i] = _mm256_add_epi32(_mm256_mullo_epi32(low, _mm256_loadu_si256(w)),
                                    _mm256_mullo_epi32(high, _mm256_loadu_si256(w + 1)));
        }
        const __m256i lo =
            _mm256_hadd_epi32(_mm256_hadd_epi32(v[0], v[1]), _mm256_hadd_epi32(v[2], v[3]));
        const __m256i hi =
            _mm256_hadd_epi32(_mm256_hadd_epi32(v[4], v[5]), _mm256_hadd_epi32(v[6], v[7]));
        const __m256i acc = _mm256_add_epi32(_mm256_permute2x128_si256(lo, hi, 0x20),
                                             _mm256_permute2x128_si256(lo, hi, 0x31));
        storeEight<uint16_t>(out + size_t(k) * 2, _mm256_srli_epi32(acc, 16));
    }
}

// Byte samples whose taps are consecutive columns: sixteen bytes at the first
// tap against sixteen weights, eight samples summed at once.
LX_TARGET_AVX2 void filterDotAvx2(uint8_t* out, const uint8_t* line, const int32_t* offset,
                                  const int16_t* dot, uint32_t begin, uint32_t end)
{
    for (uint32_t k = begin; k + 8 <= end; k += 8) {
        __m256i v[8];
        for (int i = 0; i < 8; ++i) {
            const __m256i s = _mm256_cvtepu8_epi16(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + offset[k + i])));
            v[i] = _mm256_madd_epi16(
                s, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dot + size_t(k + i) * 16)));
        }
        const __m256i low =
            _mm256_hadd_epi32(_mm256_hadd_epi32(v[0], v[1]), _mm256_hadd_epi32(v[2], v[3]));
        const __m256i high =
            _mm256_hadd_epi32(_mm256_hadd_epi32(v[4], v[5]), _mm256_hadd_epi32(v[6], v[7]));
        const __m256i acc = _mm256_add_epi32(_mm256_permute2x128_si256(low, high, 0x20),
                                             _mm256_permute2x128_si256(low, high, 0x31));
        storeEight<uint8_t>(out + k, _mm256_srli_epi32(acc, 16));
    }
}

// The same with weights of 15 bits summing to 65536: the 16 words made signed
// by flipping their top bit (x - 32768) multiply and add in pairs against
// 16-bit weights; the bias puts back 32768 x 65536 = 2^31 (the 32-bit sums
// wrap to the exact result, itself below 2^32).
LX_TARGET_AVX2 void filterDotWordPairsAvx2(uint8_t* out, const uint8_t* line, const int32_t* offset,
                                           const int16_t* dot, uint32_t begin, uint32_t end)
{
    const __m256i flip = _mm256_set1_epi16(-32768);
    const __m256i bias = _mm256_set1_epi32(INT32_MIN);
    for (uint32_t k = begin; k + 8 <= end; k += 8) {
        __m256i v[8];
        for (int i = 0; i < 8; ++i) {
            const __m256i s = _mm256_loadu_si256(
                reinterpret_cast<const __m256i*>(line + ptrdiff_t(offset[k + i]) * 2));
            v[i] = _mm256_madd_epi16(
                _mm256_xor_si256(s, flip),
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dot + size_t(k + i) * 16)));
        }
        const __m256i lo =
            _mm256_hadd_epi32(_mm256_hadd_epi32(v[0], v[1]), _mm256_hadd_epi32(v[2], v[3]));
        const __m256i hi =
            _mm256_hadd_epi32(_mm256_hadd_epi32(v[4], v[5]), _mm256_hadd_epi32(v[6], v[7]));
        const __m256i acc = _mm256_add_epi32(_mm256_permute2x128_si256(lo, hi, 0x20),
                                             _mm256_permute2x128_si256(lo, hi, 0x31));
        storeEight<uint16_t>(out + size_t(k) * 2,
                             _mm256_srli_epi32(_mm256_add_epi32(acc, bias), 16));
    }
}

// Byte lines whose weights fit 15 bits: lines taken in pairs, their bytes
// interleaved as 16-bit pairs and multiplied and added by the packed
// weights in one step; sixteen samples of [0, end) a round.
LX_TARGET_AVX2 void combinePairsAvx2(uint8_t* out, const uint8_t* const* lines, const uint32_t* w,
                                     uint32_t taps, size_t end)
{
    for (size_t k = 0; k + 16 <= end; k += 16) {
        __m256i low = _mm256_setzero_si256(), high = _mm256_setzero_si256();
        for (uint32_t t = 0; t < taps; t += 2) {
            const bool second = t + 1 < taps;
            const __m256i a = _mm256_cvtepu8_epi16(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(lines[t] + k)));
            const __m256i b = second ? _mm256_cvtepu8_epi16(_mm_loadu_si128(
                                           reinterpret_cast<const __m128i*>(lines[t + 1] + k)))
                                     : _mm256_setzero_si256();
            const __m256i pair = _mm256_set1_epi32(int32_t(w[t] | (second ? w[t + 1] : 0) << 16));
            low = _mm256_add_epi32(low, _mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), pair));
            high = _mm256_add_epi32(high, _mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), pair));
        }
        // Per 128-bit lane, low holds samples 0-3 and high 4-7 of its eight.
        const __m256i words =
            _mm256_packus_epi32(_mm256_srli_epi32(low, 16), _mm256_srli_epi32(high, 16));
        const __m256i bytes = _mm256_permute4x64_epi64(_mm256_packus_epi16(words, words), 0x08);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), _mm256_castsi256_si128(bytes));
    }
}

// Word lines whose weights fit 15 bits: lines taken in pairs, their words
// made signed by flipping the top bit (x - 32768) and interleaved, multiplied
// and added by the packed weights in one step; the bias puts back 32768 x
// the weights' sum, the 32-bit sums wrapping to the exact result (itself
// below 2^32). Sixteen samples of [0, end) a round.
LX_TARGET_AVX2 void combineWordPairsAvx2(uint8_t* out, const uint8_t* const* lines,
                                         const uint32_t* w, uint32_t taps, size_t end)
{
    const __m256i flip = _mm256_set1_epi16(-32768);
    uint32_t sum = 0;
    for (uint32_t t = 0; t < taps; ++t)
        sum += w[t];
    const __m256i bias = _mm256_set1_epi32(int32_t(sum << 15));
    for (size_t k = 0; k + 16 <= end; k += 16) {
        __m256i low = bias, high = bias;
        for (uint32_t t = 0; t < taps; t += 2) {
            const bool second = t + 1 < taps;
            const __m256i a = _mm256_xor_si256(
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(lines[t] + 2 * k)), flip);
            const __m256i b =
                second ? _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(
                                              lines[t + 1] + 2 * k)),
                                          flip)
                       : _mm256_setzero_si256();
            const __m256i pair = _mm256_set1_epi32(int32_t(w[t] | (second ? w[t + 1] : 0) << 16));
            low = _mm256_add_epi32(low, _mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), pair));
            high = _mm256_add_epi32(high, _mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), pair));
        }
        // Per 128-bit lane, low holds samples 0-3 and high 4-7 of its eight,
        // which the pack puts back in order.
        _mm256_storeu_si256(
            reinterpret_cast<__m256i*>(out + 2 * k),
            _mm256_packus_epi32(_mm256_srli_epi32(low, 16), _mm256_srli_epi32(high, 16)));
    }
}
#endif

// The longest run of samples for which ok(k) holds, as [begin, end).
template <class Ok> void longestRun(uint32_t samples, Ok ok, uint32_t& begin, uint32_t& end)
{
    begin = end = 0;
    uint32_t start = 0;
    for (uint32_t k = 0; k <= samples; ++k) {
        if (k < samples && ok(k))
            continue;
        if (k - start > end - begin) {
            begin = start;
            end = k;
        }
        start = k + 1;
    }
}

// out[k] = sum lines[t][k] x w[t] >> 16 with a fixed tap count, simple
// enough for the vectoriser.
template <class S, int T>
LX_KERNEL_INLINE void combineFixed(uint8_t* out, const uint8_t* const* lines, const uint32_t* w,
                                   size_t samples)
{
    const uint8_t* l[T];
    uint32_t wt[T];
    for (int t = 0; t < T; ++t) {
        l[t] = lines[t];
        wt[t] = w[t];
    }
    for (size_t k = 0; k < samples; ++k) {
        uint32_t acc = 0;
        for (int t = 0; t < T; ++t)
            acc += uint32_t(load<S>(l[t] + k * sizeof(S))) * wt[t];
        store<S>(out + k * sizeof(S), S(acc >> 16));
    }
}

// Any tap count, in blocks whose sums stay on the stack.
template <class S>
LX_KERNEL_INLINE void combineAny(uint8_t* out, const uint8_t* const* lines, const uint32_t* w,
                                 uint32_t taps, size_t samples)
{
    constexpr size_t kBlock = 512;
    uint32_t acc[kBlock];
    for (size_t from = 0; from < samples; from += kBlock) {
        const size_t n = std::min(kBlock, samples - from);
        std::fill(acc, acc + n, 0u);
        // Four taps a pass over the sums, then the rest one by one.
        uint32_t t = 0;
        for (; t + 4 <= taps; t += 4) {
            const uint8_t* l0 = lines[t] + from * sizeof(S);
            const uint8_t* l1 = lines[t + 1] + from * sizeof(S);
            const uint8_t* l2 = lines[t + 2] + from * sizeof(S);
            const uint8_t* l3 = lines[t + 3] + from * sizeof(S);
            const uint32_t w0 = w[t], w1 = w[t + 1], w2 = w[t + 2], w3 = w[t + 3];
            for (size_t k = 0; k < n; ++k)
                acc[k] += uint32_t(load<S>(l0 + k * sizeof(S))) * w0 +
                          uint32_t(load<S>(l1 + k * sizeof(S))) * w1 +
                          uint32_t(load<S>(l2 + k * sizeof(S))) * w2 +
                          uint32_t(load<S>(l3 + k * sizeof(S))) * w3;
        }
        for (; t < taps; ++t) {
            const uint8_t* l = lines[t] + from * sizeof(S);
            const uint32_t wt = w[t];
            for (size_t k = 0; k < n; ++k)
                acc[k] += uint32_t(load<S>(l + k * sizeof(S))) * wt;
        }
        for (size_t k = 0; k < n; ++k)
            store<S>(out + (from + k) * sizeof(S), S(acc[k] >> 16));
    }
}

template <class S>
LX_KERNEL_INLINE void combine(uint8_t* out, const uint8_t* const* lines, const uint32_t* w,
                              uint32_t taps, size_t samples)
{
    switch (taps) {
    case 1:
        return combineFixed<S, 1>(out, lines, w, samples);
    case 2:
        return combineFixed<S, 2>(out, lines, w, samples);
    case 3:
        return combineFixed<S, 3>(out, lines, w, samples);
    case 4:
        return combineFixed<S, 4>(out, lines, w, samples);
    case 5:
        return combineFixed<S, 5>(out, lines, w, samples);
    case 6:
        return combineFixed<S, 6>(out, lines, w, samples);
    default:
        return combineAny<S>(out, lines, w, taps, samples);
    }
}

} // namespace

uint32_t LineTaps::mostTaps(const ContributorLists& lists, uint32_t outW)
{
    uint32_t taps = 1;
    for (uint32_t x = 0; x < outW; ++x)
        taps = std::max(taps, lists.count(x));
    return taps;
}

LineTaps::LineTaps(const ContributorLists& lists, uint32_t outW, uint32_t comps,
                   ptrdiff_t firstColumn, ptrdiff_t readBegin, ptrdiff_t readEnd,
                   uint32_t sampleBytes)
    : m_samples(uint64_t(outW) * comps <= UINT32_MAX / 2 ? outW * comps : 0),
      m_taps(mostTaps(lists, outW)), m_comps(comps), m_sampleBytes(sampleBytes),
      m_offset(size_t(m_samples) * m_taps), m_weight(size_t(m_samples) * m_taps), m_pairs(0),
      m_dot(0), m_dotWords(0), m_bases(0), m_masks(0)
{
    if (m_samples == 0 || !m_offset || !m_weight)
        return;
    const uint32_t taps = m_taps;
    for (uint32_t x = 0; x < outW; ++x) {
        const Tap* list = lists.taps(x);
        const uint32_t n = lists.count(x);
        for (uint32_t t = 0; t < taps; ++t) {
            const Tap& tap = list[std::min(t, n - 1)];
            for (uint32_t c = 0; c < comps; ++c) {
                const size_t i = size_t(t) * m_samples + size_t(x) * comps + c;
                m_offset[i] = int32_t((tap.index - firstColumn) * ptrdiff_t(comps) + c);
                m_weight[i] = t < n ? tap.weight : 0;
            }
        }
    }

    // Where 32-bit gathers stay inside the readable samples; where one
    // gather holds every tap.
    const ptrdiff_t bytes = sampleBytes;
    auto inside = [&](ptrdiff_t offset) {
        return offset >= readBegin && offset * bytes + 4 <= readEnd * bytes;
    };
    m_oneRead = ((taps - 1) * comps + 1) * sampleBytes <= 4;
    if (m_oneRead) {
        longestRun(
            m_samples, [&](uint32_t k) { return tapsStepApart(k, comps) && inside(m_offset[k]); },
            m_vecBegin, m_vecEnd);
    } else {
        longestRun(
            m_samples,
            [&](uint32_t k) {
                for (uint32_t t = 0; t < taps; ++t)
                    if (!inside(m_offset[size_t(t) * m_samples + k]))
                        return false;
                return true;
            },
            m_vecBegin, m_vecEnd);
    }
    m_valid = chooseByteMultiply(readBegin, readEnd);
}

bool LineTaps::tapsStepApart(uint32_t k, uint32_t step) const
{
    const ptrdiff_t first = m_offset[k];
    for (uint32_t t = 1; t < m_taps; ++t)
        if (m_weight[size_t(t) * m_samples + k] != 0 &&
            m_offset[size_t(t) * m_samples + k] != first + ptrdiff_t(t * step))
            return false;
    return true;
}

bool LineTaps::chooseHalvingWords(ptrdiff_t readEnd)
{
    const uint32_t taps = m_taps;
    if (m_sampleBytes != 2 || m_comps != 1 || taps > 4 || m_vecEnd - m_vecBegin < 8)
        return false;
    // Within the gathers' run, the longest run of samples whose taps are
    // consecutive columns, two columns on from the previous sample's, and
    // whose 36 bytes can be read.
    uint32_t begin = 0, end = 0;
    longestRun(
        m_vecEnd - m_vecBegin,
        [&](uint32_t i) {
            const uint32_t k = m_vecBegin + i;
            if (!tapsStepApart(k, 1))
                return false;
            const ptrdiff_t first = m_offset[k];
            return first + 18 <= readEnd && (k + 1 == m_vecEnd || m_offset[k + 1] == first + 2);
        },
        begin, end);
    if (end - begin < 64)
        return false;
    m_vecBegin += begin;
    m_vecEnd = m_vecBegin + (end - begin);
    m_halvingWords = true;
    return true;
}

bool LineTaps::chooseHalvingWordPairs()
{
    const uint32_t taps = m_taps, n = m_samples;
    for (uint32_t k = m_vecBegin; k < m_vecEnd; ++k) {
        uint32_t sum = 0;
        for (uint32_t t = 0; t < taps; ++t) {
            if (m_weight[size_t(t) * n + k] > 32767)
                return true;
            sum += m_weight[size_t(t) * n + k];
        }
        if (sum != kUnitWeight)
            return true;
    }
    m_pairs.reset(2 * size_t(n));
    if (!m_pairs)
        return false;
    auto w = [&](uint32_t t, uint32_t k) { return t < taps ? m_weight[size_t(t) * n + k] : 0u; };
    for (uint32_t k = 0; k < n; ++k) {
        m_pairs[k] = int32_t(w(0, k) | w(1, k) << 16);
        m_pairs[n + k] = int32_t(w(2, k) | w(3, k) << 16);
    }
    m_halvingWordPairs = true;
    return true;
}

bool LineTaps::chooseDotWords(ptrdiff_t readBegin, ptrdiff_t readEnd)
{
    const uint32_t taps = m_taps, n = m_samples;
    uint32_t begin = 0, end = 0;
    longestRun(
        n,
        [&](uint32_t k) {
            if (!tapsStepApart(k, 1))
                return false;
            const ptrdiff_t first = m_offset[k];
            return first >= readBegin && first + 16 <= readEnd;
        },
        begin, end);
    if (end - begin < 8)
        return true;
    m_vecBegin = begin;
    m_vecEnd = end;
    m_wordDot = true;
    // Weights of 15 bits summing to 65536 multiply in 16-bit pairs.
    bool pairs = true;
    for (uint32_t k = begin; k < end && pairs; ++k) {
        uint32_t sum = 0;
        for (uint32_t t = 0; t < taps; ++t) {
            pairs = pairs && m_weight[size_t(t) * n + k] <= 32767;
            sum += m_weight[size_t(t) * n + k];
        }
        pairs = pairs && sum == kUnitWeight;
    }
    if (pairs) {
        m_dot.reset(16 * size_t(n));
        if (!m_dot)
            return false;
        for (uint32_t k = 0; k < n; ++k)
            for (uint32_t t = 0; t < 16; ++t)
                m_dot[size_t(k) * 16 + t] = int16_t(t < taps ? m_weight[size_t(t) * n + k] : 0);
        m_wordDotPairs = true;
        return true;
    }
    m_dotWords.reset(16 * size_t(n));
    if (!m_dotWords)
        return false;
    for (uint32_t k = 0; k < n; ++k)
        for (uint32_t t = 0; t < 16; ++t)
            m_dotWords[size_t(k) * 16 + t] = t < taps ? m_weight[size_t(t) * n + k] : 0;
    return true;
}

bool LineTaps::chooseShuffles(ptrdiff_t readBegin, ptrdiff_t readEnd)
{
    const uint32_t taps = m_taps, n = m_samples, bytes = m_sampleBytes;
    if (chooseHalvingWords(readEnd))
        return chooseHalvingWordPairs();
    if (bytes == 2 && m_comps == 1 && taps > 4 && taps <= 16)
        return chooseDotWords(readBegin, readEnd);
    if (taps > 4 || m_vecEnd - m_vecBegin < 8)
        return true;
    // Group g holds samples m_vecBegin + 8g ..; lane L of it four of them,
    // read from the lowest byte offset of their taps.
    auto laneBase = [&](uint32_t first) {
        ptrdiff_t base = PTRDIFF_MAX;
        for (uint32_t j = 0; j < 4; ++j)
            for (uint32_t t = 0; t < taps; ++t)
                base = std::min(base, ptrdiff_t(m_offset[size_t(t) * n + first + j]));
        return base * ptrdiff_t(bytes);
    };
    auto fits = [&](uint32_t g) {
        for (uint32_t lane = 0; lane < 2; ++lane) {
            const uint32_t first = m_vecBegin + 8 * g + 4 * lane;
            const ptrdiff_t base = laneBase(first);
            if (base < readBegin * ptrdiff_t(bytes) || base + 16 > readEnd * ptrdiff_t(bytes))
                return false;
            for (uint32_t j = 0; j < 4; ++j)
                for (uint32_t t = 0; t < taps; ++t) {
                    const ptrdiff_t at =
                        ptrdiff_t(m_offset[size_t(t) * n + first + j]) * ptrdiff_t(bytes) - base;
                    if (at < 0 || at + ptrdiff_t(bytes) > 16)
                        return false;
                }
        }
        return true;
    };
    uint32_t begin = 0, end = 0;
    longestRun((m_vecEnd - m_vecBegin) / 8, fits, begin, end);
    if (end - begin < 4)
        return true;
    const uint32_t groups = end - begin;
    m_vecBegin += 8 * begin;
    m_vecEnd = m_vecBegin + 8 * groups;
    // Byte samples whose weights fit 15 bits take their taps in 16-bit
    // pairs: two masks a group, pair p holding taps 2p and 2p + 1.
    bool pairs = bytes == 1;
    for (uint32_t t = 0; t < taps && pairs; ++t)
        for (uint32_t k = m_vecBegin; k < m_vecEnd && pairs; ++k)
            pairs = m_weight[size_t(t) * n + k] <= 32767;
    const uint32_t masksPerGroup = pairs ? 2 : taps;
    m_bases.reset(2 * size_t(groups));
    m_masks.reset(size_t(groups) * masksPerGroup * 32);
    if (pairs)
        m_pairs.reset(2 * size_t(n));
    if (!m_bases || !m_masks || (pairs && !m_pairs))
        return false;
    auto tapAt = [&](uint32_t t, uint32_t k, ptrdiff_t base) {
        return ptrdiff_t(m_offset[size_t(t) * n + k]) * ptrdiff_t(bytes) - base;
    };
    for (uint32_t g = 0; g < groups; ++g)
        for (uint32_t lane = 0; lane < 2; ++lane) {
            const uint32_t first = m_vecBegin + 8 * g + 4 * lane;
            const ptrdiff_t base = laneBase(first);
            m_bases[2 * g + lane] = int32_t(base);
            for (uint32_t m = 0; m < masksPerGroup; ++m) {
                uint8_t* mask = m_masks.get() + (size_t(g) * masksPerGroup + m) * 32 + 16 * lane;
                for (uint32_t j = 0; j < 4; ++j)
                    for (uint32_t b = 0; b < 4; ++b) {
                        if (!pairs) {
                            mask[4 * j + b] =
                                b < bytes ? uint8_t(tapAt(m, first + j, base) + b) : 0x80;
                            continue;
                        }
                        const uint32_t t = 2 * m + b / 2;
                        mask[4 * j + b] =
                            b % 2 == 0 && t < taps ? uint8_t(tapAt(t, first + j, base)) : 0x80;
                    }
            }
        }
    if (pairs) {
        auto w = [&](uint32_t t, uint32_t k) {
            return t < taps ? m_weight[size_t(t) * n + k] : 0u;
        };
        for (uint32_t k = 0; k < n; ++k) {
            m_pairs[k] = int32_t(w(0, k) | w(1, k) << 16);
            m_pairs[n + k] = int32_t(w(2, k) | w(3, k) << 16);
        }
    }
    m_shuffled = true;
    m_shuffledPairs = pairs;
    return true;
}

bool LineTaps::chooseQuartering(ptrdiff_t readBegin, ptrdiff_t readEnd)
{
    const uint32_t taps = m_taps, n = m_samples, rounds = (taps + 3) / 4;
    // The longest run of samples whose taps are consecutive columns, four
    // columns on from the previous sample's, and whose 4 x rounds bytes can
    // be read.
    uint32_t begin = 0, end = 0;
    longestRun(
        n,
        [&](uint32_t k) {
            if (!tapsStepApart(k, 1))
                return false;
            const ptrdiff_t first = m_offset[k];
            return first >= readBegin && first + ptrdiff_t(4 * rounds) <= readEnd &&
                   (k + 1 == n || m_offset[k + 1] == first + 4);
        },
        begin, end);
    if (end - begin < 64)
        return false;
    m_pairs.reset(2 * size_t(rounds) * n);
    if (m_pairs) {
        auto w = [&](uint32_t t, uint32_t k) {
            return t < taps ? m_weight[size_t(t) * n + k] : 0u;
        };
        for (uint32_t u = 0; u < rounds; ++u)
            for (uint32_t k = 0; k < n; ++k) {
                m_pairs[size_t(2 * u) * n + k] = int32_t(w(4 * u, k) | w(4 * u + 2, k) << 16);
                m_pairs[size_t(2 * u + 1) * n + k] =
                    int32_t(w(4 * u + 1, k) | w(4 * u + 3, k) << 16);
            }
    }
    m_vecBegin = begin;
    m_vecEnd = end;
    m_rounds = rounds;
    m_bytes = Bytes::Quartering;
    return true;
}

bool LineTaps::chooseByteMultiply(ptrdiff_t readBegin, ptrdiff_t readEnd)
{
    if (m_sampleBytes != 1 || m_comps != 1 || m_taps > 16)
        return chooseShuffles(readBegin, readEnd);
    for (size_t i = 0; i < size_t(m_taps) * m_samples; ++i)
        if (m_weight[i] > 32767)
            return chooseShuffles(readBegin, readEnd);
    const uint32_t taps = m_taps, n = m_samples;
    if (m_oneRead) {
        m_pairs.reset(2 * size_t(n));
        if (!m_pairs)
            return false;
        for (uint32_t k = 0; k < n; ++k) {
            auto w = [&](uint32_t t) { return t < taps ? m_weight[size_t(t) * n + k] : 0u; };
            m_pairs[k] = int32_t(w(0) | w(2) << 16);
            m_pairs[n + k] = int32_t(w(1) | w(3) << 16);
        }
        m_bytes = Bytes::Pairs;
        // Within the gathers' run, the longest run of first taps two columns
        // apart whose 24 bytes can be read.
        uint32_t begin = 0, end = 0;
        longestRun(
            m_vecEnd - m_vecBegin,
            [&](uint32_t i) {
                const uint32_t k = m_vecBegin + i;
                return m_offset[k] + 24 <= readEnd &&
                       (k + 1 == m_vecEnd || m_offset[k + 1] == m_offset[k] + 2);
            },
            begin, end);
        if (end - begin >= 64) {
            m_vecBegin += begin;
            m_vecEnd = m_vecBegin + (end - begin);
            m_bytes = Bytes::Halving;
        }
        return true;
    }
    if (chooseQuartering(readBegin, readEnd))
        return m_pairs.get() != nullptr;
    longestRun(
        n,
        [&](uint32_t k) {
            if (!tapsStepApart(k, 1))
                return false;
            const ptrdiff_t first = m_offset[k];
            return first >= readBegin && first + 16 <= readEnd;
        },
        m_vecBegin, m_vecEnd);
    m_dot.reset(16 * size_t(n));
    if (!m_dot)
        return false;
    for (uint32_t k = 0; k < n; ++k)
        for (uint32_t t = 0; t < 16; ++t)
            m_dot[size_t(k) * 16 + t] = int16_t(t < taps ? m_weight[size_t(t) * n + k] : 0);
    m_bytes = Bytes::Dot;
    return true;
}

template <class S> void LineTaps::filter(uint8_t* out, const uint8_t* line) const
{
    uint32_t vecBegin = 0, vecEnd = 0;
#if LX_HAVE_AVX2_PATHS
    if (cpuHasAvx2() && m_vecEnd - m_vecBegin >= 8) {
        auto run = [&](uint32_t begin, uint32_t end) {
            if (m_wordDotPairs)
                filterDotWordPairsAvx2(out, line, m_offset.get(), m_dot.get(), begin, end);
            else if (m_wordDot)
                filterDotWordsAvx2(out, line, m_offset.get(), m_dotWords.get(), begin, end);
            else if (m_halvingWordPairs)
                filterHalvingWordPairsAvx2(out, line, m_offset.get(), m_pairs.get(), m_samples,
                                           begin, end);
            else if (m_halvingWords)
                filterHalvingWordsAvx2(out, line, m_offset.get(), m_weight.get(), m_samples, m_taps,
                                       begin, end);
            else if (m_shuffledPairs)
                filterShuffledPairsAvx2(out, line, m_bases.get(), m_masks.get(), m_pairs.get(),
                                        m_samples, begin, end);
            else if (m_shuffled)
                filterShuffledAvx2<S>(out, line, m_bases.get(), m_masks.get(), m_weight.get(),
                                      m_samples, m_taps, begin, end);
            else if (m_bytes == Bytes::Quartering)
                filterQuarteringAvx2(out, line, m_offset.get(), m_pairs.get(), m_samples, m_rounds,
                                     begin, end);
            else if (m_bytes == Bytes::Halving)
                filterHalvingAvx2(out, line, m_offset.get(), m_pairs.get(), m_samples, begin, end);
            else if (m_bytes == Bytes::Pairs)
                filterPairsAvx2(out, line, m_offset.get(), m_pairs.get(), m_samples, begin, end);
            else if (m_bytes == Bytes::Dot)
                filterDotAvx2(out, line, m_offset.get(), m_dot.get(), begin, end);
            else
                filterAvx2<S>(out, line, m_offset.get(), m_weight.get(), m_samples, m_taps, m_comps,
                              m_oneRead, begin, end);
        };
        vecBegin = m_vecBegin;
        vecEnd = m_vecBegin + (m_vecEnd - m_vecBegin) / 8 * 8;
        run(vecBegin, vecEnd);
        // Paths that index their tables by sample take the run's last
        // eight samples again rather than leave up to seven to the plain
        // loop; the shuffles' tables go by whole groups.
        if (vecEnd < m_vecEnd && !m_shuffled) {
            run(m_vecEnd - 8, m_vecEnd);
            vecEnd = m_vecEnd;
        }
    }
#endif
    filterScalar<S>(out, line, m_offset.get(), m_weight.get(), m_samples, m_taps, 0, vecBegin);
    filterScalar<S>(out, line, m_offset.get(), m_weight.get(), m_samples, m_taps, vecEnd,
                    m_samples);
}

template void LineTaps::filter<uint8_t>(uint8_t*, const uint8_t*) const;
template void LineTaps::filter<uint16_t>(uint8_t*, const uint8_t*) const;

LX_KERNEL_CLONES void combineLines8(uint8_t* out, const uint8_t* const* lines,
                                    const uint32_t* weights, uint32_t taps, size_t samples)
{
#if LX_HAVE_AVX2_PATHS
    // Up to 16 lines pair up; the plain loop finishes the last samples.
    constexpr uint32_t kMostPaired = 16;
    if (cpuHasAvx2() && samples >= 16 && taps <= kMostPaired &&
        std::all_of(weights, weights + taps, [](uint32_t w) { return w <= 32767; })) {
        const size_t done = samples / 16 * 16;
        combinePairsAvx2(out, lines, weights, taps, done);
        const uint8_t* rest[kMostPaired];
        for (uint32_t t = 0; t < taps; ++t)
            rest[t] = lines[t] + done;
        return combine<uint8_t>(out + done, rest, weights, taps, samples - done);
    }
#endif
    combine<uint8_t>(out, lines, weights, taps, samples);
}

LX_KERNEL_CLONES void combineLines16(uint8_t* out, const uint8_t* const* lines,
                                     const uint32_t* weights, uint32_t taps, size_t samples)
{
#if LX_HAVE_AVX2_PATHS
    constexpr uint32_t kMostPaired = 16;
    if (cpuHasAvx2() && samples >= 16 && taps <= kMostPaired &&
        std::all_of(weights, weights + taps, [](uint32_t w) { return w <= 32767; })) {
        const size_t done = samples / 16 * 16;
        combineWordPairsAvx2(out, lines, weights, taps, done);
        const uint8_t* rest[kMostPaired];
        for (uint32_t t = 0; t < taps; ++t)
            rest[t] = lines[t] + 2 * done;
        return combine<uint16_t>(out + 2 * done, rest, weights, taps, samples - done);
    }
#endif
    combine<uint16_t>(out, lines, weights, taps, samples);
}

} // namespace lxstretch
