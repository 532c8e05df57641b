// The loops of the elementwise arithmetic kernels, with the per-sample
// operations as functors: a picture and a second picture, or a picture and
// one constant per component, into a destination of the same format.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <type_traits>

#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "gnr_picture/picmemAPI/LxPicMemLoops.h"

namespace lxpic
{

// M for samples T: 2^bits - 1, never above the sample's own maximum (a direct
// caller's wrong bits must not make a result wrap in its sample).
template <class T> constexpr uint64_t clipMaximum(uint32_t bits)
{
    const uint64_t top = std::numeric_limits<T>::max();
    const uint64_t m = bits >= 64 ? ~uint64_t(0) : (uint64_t(1) << bits) - 1;
    return m < top ? m : top;
}

// A double to a signed 64-bit integer, truncated toward zero, saturating at
// the ends of the range; NaN gives 0.
inline int64_t saturatedInt64(double v)
{
    if (!(v == v))
        return 0;
    if (v >= 9223372036854775807.0)
        return std::numeric_limits<int64_t>::max();
    if (v <= -9223372036854775808.0)
        return std::numeric_limits<int64_t>::min();
    return int64_t(v);
}

// The same to 0 .. top (NaN and negatives 0).
inline uint64_t saturatedUint(double v, uint64_t top)
{
    if (!(v > 0.0))
        return 0;
    if (v >= double(top))
        return top;
    return uint64_t(v);
}

// ---- Per-sample operations -------------------------------------------------

// min(a + b, max). Byte and word sums are formed as min(a, max - b') + b'
// with b' = min(b, max), which never leaves the sample type, so that the
// loop vectorises at the sample's width; 32-bit sums go through 64 bits.
template <class T> struct AddClipOp {
    T max;
    T operator()(T a, T b) const
    {
        const T bb = b < max ? b : max;
        const T room = T(max - bb);
        return T((a < room ? a : room) + bb);
    }
};

template <> struct AddClipOp<uint32_t> {
    uint64_t max;
    uint32_t operator()(uint32_t a, uint32_t b) const
    {
        const uint64_t s = uint64_t(a) + b;
        return uint32_t(s > max ? max : s);
    }
};

template <class T> struct SubClipOp {
    T operator()(T a, T b) const { return T(a > b ? a - b : 0); }
};

template <class T> struct MaxOp {
    T operator()(T a, T b) const { return a > b ? a : b; }
};

template <class T> struct MinOp {
    T operator()(T a, T b) const { return a < b ? a : b; }
};

// a - b + k limited to 0..max. The constants are first held to +-2^17,
// which keeps the sum in 32 bits and cannot change a limited result of 8-
// or 16-bit samples.
template <class T> struct SubAddConstOp {
    int32_t max;
    static int32_t prepare(int32_t k) { return k < -131072 ? -131072 : k > 131072 ? 131072 : k; }
    T operator()(T a, T b, int32_t k) const
    {
        const int32_t s = int32_t(a) - int32_t(b) + k;
        return T(s < 0 ? 0 : s > max ? max : s);
    }
};

// (a W1 + b W2) / M limited to 0..M in Acc, a signed type wide enough for
// the weights of the call.
template <class T, class Acc> struct TranspOp {
    Acc w1, w2, max;
    T operator()(T a, T b) const
    {
        const Acc q = (Acc(a) * w1 + Acc(b) * w2) / max;
        return T(q < 0 ? 0 : q > max ? max : q);
    }
};

// The same for bytes with M = 255 and |W| up to 2^22, in 32 bits without a
// division: a sum held to 0..65535 keeps every limited result (from 65280
// on the quotient is at least 256), and for s below 2^17 s / 255 equals
// (s 32897) >> 23 (checked for every such s).
struct TranspByteOp {
    static constexpr int64_t kLargestWeight = int64_t(1) << 22;
    int32_t w1, w2;
    uint8_t operator()(uint8_t a, uint8_t b) const
    {
        const int32_t s = int32_t(a) * w1 + int32_t(b) * w2;
        const uint32_t held = uint32_t(s < 0 ? 0 : s > 65535 ? 65535 : s);
        const uint32_t q = (held * 32897u) >> 23;
        return uint8_t(q > 255 ? 255 : q);
    }
};

// a + k limited to 0..max (subtraction passes -k). The constant becomes a
// pair of samples, plus = min(k, max) and minus = min(-k, the sample's
// maximum) with one of them 0, and the sum min(a -sat minus, max - plus) +
// plus stays in the sample type (the loop vectorises at its width).
template <class T> struct AddConstPair {
    T plus, minus;
};

template <class T> struct AddConstOp {
    T max;
    AddConstPair<T> prepare(int64_t k) const
    {
        const int64_t top = std::numeric_limits<T>::max();
        if (k >= 0)
            return {T(k < int64_t(max) ? k : int64_t(max)), T(0)};
        return {T(0), T(-k < top ? -k : top)};
    }
    T operator()(T a, AddConstPair<T> k) const
    {
        const T lowered = T((a > k.minus ? a : k.minus) - k.minus);
        const T room = T(max - k.plus);
        return T((lowered < room ? lowered : room) + k.plus);
    }
};

template <class T> struct MaxConstOp {
    T operator()(T a, T k) const { return a > k ? a : k; }
};

template <class T> struct MinConstOp {
    T operator()(T a, T k) const { return a < k ? a : k; }
};

// trunc(x + 0.5) limited to 0..max, NaN 0: the rounding of the table
// builders, so that direct and table members agree.
inline uint64_t roundToSample(double x, uint64_t max)
{
    return saturatedUint(x + 0.5, max);
}

template <class T> struct MulConstOp {
    uint64_t max;
    T operator()(T a, double m) const { return T(roundToSample(double(a) * m, max)); }
};

struct PowConstants {
    double add, mul, pow;
};

template <class T> struct AddMulPowConstOp {
    uint64_t max;
    T operator()(T a, PowConstants k) const
    {
        return T(roundToSample(std::pow((double(a) + k.add) * k.mul, k.pow), max));
    }
};

// Fixed-point division: (a S + H) / D, at least M gives M. U is the
// unsigned type of the sums (32 bits for 8- and 16-bit samples, 64 bits
// for 32-bit ones).
template <class U> struct FixedDivisor {
    U d, half;
};

template <class T, class U> struct DivConstOp {
    U scale, max;
    T operator()(T a, FixedDivisor<U> k) const
    {
        const U r = (U(a) * scale + k.half) / k.d;
        return T(r >= max ? max : r);
    }
};

// ---- Loops ------------------------------------------------------------------

// Whole lines of count / width; checks the pictures once there is a line.
inline int checkLines(uint32_t width, uint32_t count, uint32_t& lines,
                      std::initializer_list<const void*> pointers)
{
    lines = lineCount(width, count);
    if (lines == 0)
        return 0;
    for (const void* p : pointers)
        if (!p)
            return -4;
    return 1;
}

// dst = op(a, b) over width x comps samples a line; the component count does
// not matter to an operation without constants.
template <class T, class Op>
LX_KERNEL_INLINE int zipPictures(void* dst, uint32_t dstWB, const void* a, uint32_t aWB,
                                 const void* b, uint32_t bWB, uint32_t comps, uint32_t width,
                                 uint32_t count, Op op)
{
    uint32_t lines;
    const int checked = checkLines(width, count, lines, {dst, a, b});
    if (checked <= 0)
        return checked;
    const size_t samples = size_t(width) * comps;
    Lines<T> d(dst, dstWB);
    ConstLines<T> la(a, aWB), lb(b, bWB);
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* dl = d[y];
        const uint8_t* al = la[y];
        const uint8_t* bl = lb[y];
        for (size_t i = 0; i < samples; ++i)
            store<T>(dl + i * sizeof(T),
                     op(load<T>(al + i * sizeof(T)), load<T>(bl + i * sizeof(T))));
    }
    return 0;
}

// Pixels a block of the fixed-count loops: the constants are laid out once
// for a block, so that the inner loop is one plain loop over its samples.
constexpr uint32_t kBlockPixels = 16;

// The constants of one block of CN-component pixels (CN 1 to 5).
template <uint32_t CN, class K> struct ConstantBlock {
    K k[CN * kBlockPixels];
    template <class Prep> explicit ConstantBlock(Prep prep)
    {
        for (uint32_t i = 0; i < CN * kBlockPixels; ++i)
            k[i] = prep(i % CN);
    }
};

// The samples [from, to) of a line, block constants k from the first.
template <class T, class K, class Op>
LX_KERNEL_INLINE void constRun(uint8_t* dl, const uint8_t* sl, const uint8_t* s2l, const K* k,
                               size_t n, Op op)
{
    if constexpr (std::is_invocable_v<Op, T, T, K>) {
        for (size_t i = 0; i < n; ++i)
            store<T>(dl + i * sizeof(T),
                     op(load<T>(sl + i * sizeof(T)), load<T>(s2l + i * sizeof(T)), k[i]));
    } else {
        (void)s2l;
        for (size_t i = 0; i < n; ++i)
            store<T>(dl + i * sizeof(T), op(load<T>(sl + i * sizeof(T)), k[i]));
    }
}

// dst = op(src[, src2], k[c]) with one constant per component. CN is the
// member's fixed count, or 0 for the member of any count. prep(c) gives the
// operation's constant of component c, once a block for fixed counts and
// once a sample for the N members. src2 null: one source.
template <class T, uint32_t CN, class K, class Prep, class Op>
LX_KERNEL_INLINE void constLoop(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                const void* src2, uint32_t src2WB, uint32_t comps, uint32_t width,
                                uint32_t lines, Prep prep, Op op)
{
    Lines<T> d(dst, dstWB);
    ConstLines<T> s(src, srcWB), s2(src2 ? src2 : src, src2 ? src2WB : srcWB);
    if constexpr (CN > 0) {
        const ConstantBlock<CN, K> block(prep);
        const size_t blockBytes = size_t(CN) * kBlockPixels * sizeof(T);
        const uint32_t blocks = width / kBlockPixels;
        const size_t rest = size_t(width % kBlockPixels) * CN;
        for (uint32_t y = 0; y < lines; ++y) {
            uint8_t* dl = d[y];
            const uint8_t* sl = s[y];
            const uint8_t* s2l = s2[y];
            for (uint32_t b = 0; b < blocks; ++b) {
                constRun<T>(dl, sl, s2l, block.k, CN * kBlockPixels, op);
                dl += blockBytes;
                sl += blockBytes;
                s2l += blockBytes;
            }
            constRun<T>(dl, sl, s2l, block.k, rest, op);
        }
    } else {
        (void)comps;
        for (uint32_t y = 0; y < lines; ++y) {
            uint8_t* dl = d[y];
            const uint8_t* sl = s[y];
            const uint8_t* s2l = s2[y];
            for (uint32_t x = 0; x < width; ++x) {
                for (uint32_t c = 0; c < comps; ++c) {
                    const K k = prep(c);
                    constRun<T>(dl, sl, s2l, &k, 1, op);
                    dl += sizeof(T);
                    sl += sizeof(T);
                    s2l += sizeof(T);
                }
            }
        }
    }
}

} // namespace lxpic
