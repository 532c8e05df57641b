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

// Collapse CN components (0: comps of them) into one gray sample: the
// rounded mean without weights, else the sum of per-component tables
// T_k[i] = c_k x i / F. The 3- and 4-component members take their factors
// from the leading weights and give the rest to the last component; the N
// members read w[1..] and give the rest to component 0.
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
    T* tables = static_cast<T*>(CLxAlloc::Alloc(0, size_t(n) * (F + 1) * sizeof(T)));
    if (!tables)
        return -3;
    T sumOthers = 0;
    for (uint32_t k = 0; k < n; ++k) {
        if (k == rest)
            continue;
        const T c = weightFactor<T>(weights[k]);
        sumOthers = static_cast<T>(sumOthers + c);
        for (uint32_t i = 0; i <= F; ++i)
            tables[size_t(k) * (F + 1) + i] = static_cast<T>(uint64_t(c) * i / F);
    }
    const T cRest = static_cast<T>(F - sumOthers);
    for (uint32_t i = 0; i <= F; ++i)
        tables[size_t(rest) * (F + 1) + i] = static_cast<T>(uint64_t(cRest) * i / F);

    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* dl = d[y];
        const uint8_t* sl = s[y];
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* px = sl + x * pixelBytes;
            T g = 0;
            for (uint32_t k = 0; k < n; ++k)
                g = static_cast<T>(g + tables[size_t(k) * (F + 1) + load<T>(px + k * sizeof(T))]);
            store<T>(dl + x * sizeof(T), g);
        }
    }
    CLxAlloc::Free(tables);
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
