// Component-layout and bit-depth conversions: collapse to gray, expand from
// gray, RGBA <-> RGB, rescaling shifts and changes of storage width.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <type_traits>

#include "gnr_picture/picmemAPI/LxPicMemLoops.h"
#include "w32_system/memory/LxAlloc.h"

namespace lxpic
{

// Every sample of every line through op, S samples in, D samples out, the
// same count per line on both sides. dst may be src (in place).
template <class S, class D, class Op>
void mapSamples(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, size_t samples,
                uint32_t lines, Op op)
{
    Lines<D> d(dst, dstWB);
    ConstLines<S> s(src, srcWB);
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* dl = d[y];
        const uint8_t* sl = s[y];
        for (size_t i = 0; i < samples; ++i)
            store<D>(dl + i * sizeof(D), static_cast<D>(op(load<S>(sl + i * sizeof(S)))));
    }
}

// Shift counts are taken modulo 32, on the value widened to 32 bits: 16 to
// 31 give 0 to the right, and a store keeps only the destination's low bits.
struct ShiftRight {
    uint32_t n;
    uint32_t operator()(uint32_t v) const { return v >> n; }
};
struct ShiftLeft {
    uint32_t n;
    uint32_t operator()(uint32_t v) const { return v << n; }
};
// The sample as it is, in its own type, so that plain copies stay copies of
// bytes or words for the vectoriser.
struct KeepValue {
    template <class V> V operator()(V v) const { return v; }
};
struct LimitValue {
    uint32_t limit;
    uint32_t operator()(uint32_t v) const { return std::min(v, limit); }
};

inline uint32_t shiftCount(int64_t n)
{
    return uint32_t(n) & 31u;
}

// The integer weight factor: w x F + 0.5 truncated toward zero, kept to the
// sample width. Values no integer can hold (NaN, infinities) give 0.
template <class T> T weightFactor(double w)
{
    const double v = w * double(std::numeric_limits<T>::max()) + 0.5;
    if (!(std::fabs(v) < 9.0e18))
        return 0;
    return static_cast<T>(static_cast<int64_t>(v));
}

// floor(x / F) for F the largest value of T (255 or 65535) and every x up to
// F x F, without a division: the identity holds for all of them (checked
// over every such x), and x + 1 + (x >> 16) stays below 2^32.
template <class T> constexpr uint32_t divideByMax(uint32_t x)
{
    return sizeof(T) == 1 ? (x + 1 + (x >> 8)) >> 8 : (x + 1 + (x >> 16)) >> 16;
}

// The weighted gray sample of a pixel of CN (0: n) components with factors
// c: the sum of floor(c_k x s_k / F), kept to T.
template <class T, int CN>
LX_KERNEL_INLINE void weighLines(uint8_t* dst, size_t dstPitch, const uint8_t* src, size_t srcPitch,
                                 const uint32_t* factors, uint32_t n, uint32_t width,
                                 uint32_t lines)
{
    const uint32_t comps = CN ? uint32_t(CN) : n;
    uint32_t c[CN ? CN : 1];
    if constexpr (CN != 0)
        for (int k = 0; k < CN; ++k)
            c[k] = factors[k];
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* dl = dst + y * dstPitch;
        const uint8_t* sl = src + y * srcPitch;
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* px = sl + size_t(x) * comps * sizeof(T);
            uint32_t g = 0;
            for (uint32_t k = 0; k < comps; ++k)
                g += divideByMax<T>((CN ? c[k] : factors[k]) * load<T>(px + k * sizeof(T)));
            store<T>(dl + size_t(x) * sizeof(T), static_cast<T>(g));
        }
    }
}

// The weighted collapse, compiled once per instruction set.
LX_KERNEL_CLONES void weighBytes(uint8_t* dst, size_t dstPitch, const uint8_t* src, size_t srcPitch,
                                 const uint32_t* factors, uint32_t n, uint32_t width,
                                 uint32_t lines);
LX_KERNEL_CLONES void weighWords(uint8_t* dst, size_t dstPitch, const uint8_t* src, size_t srcPitch,
                                 const uint32_t* factors, uint32_t n, uint32_t width,
                                 uint32_t lines);

// Gray words shifted right by shift, their low byte repeated into three
// components: the bulk of every line where the processor has vector loops.
// The pixels done per line (0 without them).
uint32_t expandShiftedGrayBulk(uint8_t* dst, size_t dstPitch, const uint8_t* src, size_t srcPitch,
                               uint32_t shift, uint32_t width, uint32_t lines);

// The weighted collapse of every line (sampleBytes 1 or 2), with vector
// loops where the processor has them.
void weighGray(uint8_t* dst, size_t dstPitch, const uint8_t* src, size_t srcPitch,
               const uint32_t* factors, uint32_t n, uint32_t sampleBytes, uint32_t width,
               uint32_t lines);

// Collapse CN components (0: comps of them) into one gray sample: the
// rounded mean without weights, else the sum of the per-component terms
// T_k[i] = c_k x i / F (integer division). The 3- and 4-component members
// take their factors from the leading weights and give the rest to the last
// component; the N members read w[1..] and give the rest to component 0.
template <class T, int CN>
int collapseToGray(void* dst, uint32_t dstWB, const void* src, uint32_t comps, uint32_t srcWB,
                   const double* weights, uint32_t width, uint32_t pixelCount)
{
    const uint32_t n = CN ? uint32_t(CN) : comps;
    if (n == 0)
        return -4;
    const uint32_t lines = lineCount(width, pixelCount);
    const size_t pixelBytes = size_t(n) * sizeof(T);
    Lines<T> d(dst, dstWB);
    ConstLines<T> s(src, srcWB);

    if (!weights) {
        const uint64_t half = n / 2;
        for (uint32_t y = 0; y < lines; ++y) {
            uint8_t* dl = d[y];
            const uint8_t* sl = s[y];
            for (uint32_t x = 0; x < width; ++x) {
                const uint8_t* px = sl + x * pixelBytes;
                uint64_t sum = half;
                for (uint32_t k = 0; k < n; ++k)
                    sum += load<T>(px + k * sizeof(T));
                store<T>(dl + x * sizeof(T), static_cast<T>(sum / n));
            }
        }
        return 0;
    }

    constexpr uint32_t F = std::numeric_limits<T>::max();
    const uint32_t rest = CN ? n - 1 : 0;
    uint32_t* factors = static_cast<uint32_t*>(CLxAlloc::Alloc(0, size_t(n) * sizeof(uint32_t)));
    if (!factors)
        return -3;
    T sumOthers = 0;
    for (uint32_t k = 0; k < n; ++k) {
        if (k == rest)
            continue;
        factors[k] = weightFactor<T>(weights[k]);
        sumOthers = static_cast<T>(sumOthers + factors[k]);
    }
    factors[rest] = static_cast<T>(F - sumOthers);
    if (lines != 0)
        weighGray(d[0], d.pitch, s[0], s.pitch, factors, n, sizeof(T), width, lines);
    CLxAlloc::Free(factors);
    return 0;
}

// One gray sample into DN components (0: comps of them); the 4-component
// member writes (g, g, g, 0).
template <class T, int DN>
int expandGray(void* dst, uint32_t comps, uint32_t dstWB, const void* src, uint32_t srcWB,
               uint32_t width, uint32_t pixelCount)
{
    const uint32_t n = DN ? uint32_t(DN) : comps;
    const uint32_t lines = lineCount(width, pixelCount);
    const size_t pixelBytes = size_t(n) * sizeof(T);
    Lines<T> d(dst, dstWB);
    ConstLines<T> s(src, srcWB);
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* dl = d[y];
        const uint8_t* sl = s[y];
        for (uint32_t x = 0; x < width; ++x) {
            const T g = load<T>(sl + x * sizeof(T));
            uint8_t* px = dl + x * pixelBytes;
            for (uint32_t k = 0; k < n; ++k)
                store<T>(px + k * sizeof(T), (DN == 4 && k == 3) ? T(0) : g);
        }
    }
    return 0;
}

// SN components into DN: the common leading ones are copied, the rest of
// the destination pixel receives alpha.
template <class T, int SN, int DN>
int repackPixels(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, T alpha,
                 uint32_t width, uint32_t pixelCount)
{
    const uint32_t lines = lineCount(width, pixelCount);
    Lines<T> d(dst, dstWB);
    ConstLines<T> s(src, srcWB);
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* dl = d[y];
        const uint8_t* sl = s[y];
        for (uint32_t x = 0; x < width; ++x) {
            for (int k = 0; k < DN; ++k) {
                const T v = k < SN ? load<T>(sl + (size_t(x) * SN + k) * sizeof(T)) : alpha;
                store<T>(dl + (size_t(x) * DN + k) * sizeof(T), v);
            }
        }
    }
    return 0;
}

// Storage of samples with that many bits as the kernels address them.
template <class Fn> void withSampleType(uint32_t bits, Fn fn)
{
    if (bits <= 8)
        fn(uint8_t());
    else if (bits <= 16)
        fn(uint16_t());
    else if (bits <= 32)
        fn(uint32_t());
}

// A new storage width D for samplesPerPixel samples of srcBits bits, the
// value zero-extended or cut to D's low bits. Sources above 32 bits: nothing.
template <class D>
int changeStorage(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t srcBits,
                  uint32_t samplesPerPixel, uint32_t width, uint32_t pixelCount)
{
    const uint32_t lines = lineCount(width, pixelCount);
    const size_t samples = size_t(samplesPerPixel) * width;
    withSampleType(srcBits, [&](auto s) {
        mapSamples<decltype(s), D>(dst, dstWB, src, srcWB, samples, lines, KeepValue());
    });
    return 0;
}

} // namespace lxpic
