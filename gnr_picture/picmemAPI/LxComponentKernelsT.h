// Kernels on one component of interleaved pictures: copy (plain, under a
// mask, or rescaled by shifts), constant fill and comparison.
#pragma once

#include <cstdint>
#include <type_traits>

#include "gnr_picture/picmemAPI/LxConvertKernelsT.h"
#include "gnr_picture/picmemAPI/LxPicMemLoops.h"

namespace lxpic
{

// Which pixels a component transfer touches: all of them, or those whose
// mask sample (type M) equals (In) or differs from (!In) a value.
struct EveryPixel {
    const uint8_t* line(uint32_t) const { return nullptr; }
    bool take(const uint8_t*, uint32_t) const { return true; }
};
template <class M, bool In> struct MaskedPixels {
    ConstLines<M> mask;
    uint32_t value;
    const uint8_t* line(uint32_t y) const { return mask[y]; }
    bool take(const uint8_t* maskLine, uint32_t x) const
    {
        return (uint32_t(load<M>(maskLine + size_t(x) * sizeof(M))) == value) == In;
    }
};

// Sample x of a line lies x x comps + comp samples after the line start.
template <class T> struct ComponentOf {
    uint32_t comps;
    uint32_t comp;
    size_t offset(uint32_t x) const { return (size_t(x) * comps + comp) * sizeof(T); }
};

// Component srcComp of each selected source pixel, through op, into
// component dstComp of the destination pixel at the same position; the other
// destination samples keep their values. DC and SC fix the component counts
// at compile time (0: the given counts) so that the common layouts of the
// document reader's planes get loops the compiler can vectorise.
template <class S, class D, int DC = 0, int SC = 0, class Op = KeepValue, class Pick = EveryPixel>
LX_KERNEL_INLINE int transferComponent(void* dst, uint32_t dstComps, uint32_t dstWB,
                                       uint32_t dstComp, const void* src, uint32_t srcComps,
                                       uint32_t srcWB, uint32_t srcComp, uint32_t width,
                                       uint32_t pixelCount, Op op = Op(), Pick pick = Pick())
{
    const ComponentOf<D> to{DC ? uint32_t(DC) : dstComps, dstComp};
    const ComponentOf<S> from{SC ? uint32_t(SC) : srcComps, srcComp};
    const uint32_t lines = lineCount(width, pixelCount);
    Lines<D> d(dst, dstWB);
    ConstLines<S> s(src, srcWB);
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* dl = d[y];
        const uint8_t* sl = s[y];
        const uint8_t* ml = pick.line(y);
#pragma GCC unroll 8
        for (uint32_t x = 0; x < width; ++x) {
            if (pick.take(ml, x))
                store<D>(dl + to.offset(x), static_cast<D>(op(load<S>(sl + from.offset(x)))));
        }
    }
    return 0;
}

// Samples scattered over the destination: the stores bound the loop, and
// the vectoriser's gathers and scatters element by element only cost (the
// plain loop, unrolled, runs up to twice as fast). Storing a plane into a
// frame and copying between frames of one layout get constant steps.
template <class T>
__attribute__((optimize("no-tree-vectorize"))) int
scatterComponent(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t dstComp, const void* src,
                 uint32_t srcComps, uint32_t srcWB, uint32_t srcComp, uint32_t width,
                 uint32_t pixelCount)
{
    auto run = [&](auto dc, auto sc) {
        return transferComponent<T, T, decltype(dc)::value, decltype(sc)::value>(
            dst, dstComps, dstWB, dstComp, src, srcComps, srcWB, srcComp, width, pixelCount);
    };
    using One = std::integral_constant<int, 1>;
    using Two = std::integral_constant<int, 2>;
    using Three = std::integral_constant<int, 3>;
    using Four = std::integral_constant<int, 4>;
    using Any = std::integral_constant<int, 0>;
    switch (srcComps == 1 ? dstComps : dstComps == srcComps ? 16 + dstComps : 0) {
    case 2:
        return run(Two(), One());
    case 3:
        return run(Three(), One());
    case 4:
        return run(Four(), One());
    case 16 + 2:
        return run(Two(), Two());
    case 16 + 3:
        return run(Three(), Three());
    case 16 + 4:
        return run(Four(), Four());
    default:
        return run(Any(), Any());
    }
}

// The plain component copy. Extracting a plane (a gather into contiguous
// samples) is left to the vectoriser with the usual source layouts as
// constants; everything else scatters.
template <class T>
LX_KERNEL_INLINE int copyComponent(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t dstComp,
                                   const void* src, uint32_t srcComps, uint32_t srcWB,
                                   uint32_t srcComp, uint32_t width, uint32_t pixelCount)
{
    auto gather = [&](auto sc) {
        return transferComponent<T, T, 1, decltype(sc)::value>(
            dst, 1, dstWB, dstComp, src, srcComps, srcWB, srcComp, width, pixelCount);
    };
    if (dstComps == 1) {
        switch (srcComps) {
        case 1:
            return gather(std::integral_constant<int, 1>());
        case 2:
            return gather(std::integral_constant<int, 2>());
        case 3:
            return gather(std::integral_constant<int, 3>());
        case 4:
            return gather(std::integral_constant<int, 4>());
        }
    }
    return scatterComponent<T>(dst, dstComps, dstWB, dstComp, src, srcComps, srcWB, srcComp, width,
                               pixelCount);
}

// Rescale by the difference of the depths: right when the destination has
// no more bits than the source, else left (counts modulo 32).
inline ShiftRight shiftDown(uint32_t dstBits, uint32_t srcBits)
{
    return ShiftRight{shiftCount(int64_t(srcBits) - dstBits)};
}
inline ShiftLeft shiftUp(uint32_t dstBits, uint32_t srcBits)
{
    return ShiftLeft{shiftCount(int64_t(dstBits) - srcBits)};
}

template <class S, class D>
int convertComponent(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t dstComp,
                     uint32_t dstBits, const void* src, uint32_t srcComps, uint32_t srcWB,
                     uint32_t srcComp, uint32_t srcBits, uint32_t width, uint32_t pixelCount)
{
    if (dstBits <= srcBits)
        return transferComponent<S, D>(dst, dstComps, dstWB, dstComp, src, srcComps, srcWB, srcComp,
                                       width, pixelCount, shiftDown(dstBits, srcBits));
    return transferComponent<S, D>(dst, dstComps, dstWB, dstComp, src, srcComps, srcWB, srcComp,
                                   width, pixelCount, shiftUp(dstBits, srcBits));
}

template <class T, class M, bool In>
int copyComponentMasked(void* dst, uint32_t dstComps, uint32_t dstWB, uint32_t dstComp,
                        const void* src, uint32_t srcComps, uint32_t srcWB, uint32_t srcComp,
                        const void* mask, uint32_t maskWB, uint32_t width, uint32_t pixelCount,
                        uint32_t value)
{
    return transferComponent<T, T>(dst, dstComps, dstWB, dstComp, src, srcComps, srcWB, srcComp,
                                   width, pixelCount, KeepValue(),
                                   MaskedPixels<M, In>{ConstLines<M>(mask, maskWB), value});
}

template <class T>
int setComponent(void* dst, uint32_t comps, uint32_t dstWB, uint32_t comp, T value, uint32_t width,
                 uint32_t pixelCount)
{
    const ComponentOf<T> at{comps, comp};
    const uint32_t lines = lineCount(width, pixelCount);
    Lines<T> d(dst, dstWB);
    for (uint32_t y = 0; y < lines; ++y) {
        uint8_t* dl = d[y];
        for (uint32_t x = 0; x < width; ++x)
            store<T>(dl + at.offset(x), value);
    }
    return 0;
}

// First sample minus second sample at the first pair that differs, lines in
// order and each line left to right; 0 when all are equal.
template <class T>
int compareComponent(const void* p1, uint32_t comps1, uint32_t wb1, uint32_t comp1, const void* p2,
                     uint32_t comps2, uint32_t wb2, uint32_t comp2, uint32_t width,
                     uint32_t pixelCount)
{
    const ComponentOf<T> a{comps1, comp1};
    const ComponentOf<T> b{comps2, comp2};
    const uint32_t lines = lineCount(width, pixelCount);
    ConstLines<T> la(p1, wb1);
    ConstLines<T> lb(p2, wb2);
    for (uint32_t y = 0; y < lines; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const int32_t va = load<T>(la[y] + a.offset(x));
            const int32_t vb = load<T>(lb[y] + b.offset(x));
            if (va != vb)
                return va - vb;
        }
    }
    return 0;
}

} // namespace lxpic
