// Picture arithmetic of picture buffers: two sources into a destination over
// the region they share, converting between the sources' and the
// destination's depths; the shading product, merging by a mask, rebuilding a
// colour picture from chosen components and the in-place shift.
#include <algorithm>
#include <cstring>

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/PicBufAPI/LxPicBufArithT.h"
#include "gnr_picture/PicBufAPI/LxPicBufPrepare.h"

#if LX_HAVE_AVX2_PATHS
#include <immintrin.h>
#endif

using namespace lxpicbuf;

namespace
{

using u8 = uint8_t;
using u16 = uint16_t;

// The hot loops, one per formula and byte or word samples of one format,
// built for AVX2 and the baseline.
#define LX_FLAT_CLONES(name, Formula)                                                              \
    LX_KERNEL_CLONES void name##8(const Region& r, Formula f, u8 max)                              \
    {                                                                                              \
        zipFlat<u8, u8>(r, SameDepth<u8, Formula>{f, max});                                        \
    }                                                                                              \
    LX_KERNEL_CLONES void name##16(const Region& r, Formula f, u16 max)                            \
    {                                                                                              \
        zipFlat<u16, u16>(r, SameDepth<u16, Formula>{f, max});                                     \
    }                                                                                              \
    void flatSame(const Region& r, Formula f, u8 max)                                              \
    {                                                                                              \
        name##8(r, f, max);                                                                        \
    }                                                                                              \
    void flatSame(const Region& r, Formula f, u16 max)                                             \
    {                                                                                              \
        name##16(r, f, max);                                                                       \
    }

LX_FLAT_CLONES(flatMin, MinFormula)
LX_FLAT_CLONES(flatMax, MaxFormula)
LX_FLAT_CLONES(flatAbsDif, AbsDifFormula)
LX_FLAT_CLONES(flatAdd, AddFormula)
LX_FLAT_CLONES(flatSub, SubFormula)
LX_FLAT_CLONES(flatWeight, WeightFormula)

#undef LX_FLAT_CLONES

#if LX_HAVE_AVX2_PATHS
// 16-bit weighted sums of n samples, 16 a step, as WeightFormula forms them:
// unpacked to 32 bits within 128-bit lanes, which the pack puts back in
// order. Returns how many it wrote.
LX_TARGET_AVX2 size_t weightLine16Avx2(uint8_t* d, const uint8_t* a, const uint8_t* b, size_t n,
                                       const WeightFormula& f)
{
    const __m256 ca = _mm256_set1_ps(f.ca), cb = _mm256_set1_ps(f.cb);
    const __m256i zero = _mm256_setzero_si256();
    // int(x ca) + int(y cb), 8 lanes.
    const auto sum = [&](__m256i x, __m256i y) LX_TARGET_AVX2 {
        return _mm256_add_epi32(_mm256_cvttps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(x), ca)),
                                _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(y), cb)));
    };
    size_t j = 0;
    for (; j + 16 <= n; j += 16) {
        const __m256i va = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + 2 * j));
        const __m256i vb = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + 2 * j));
        const __m256i lo = _mm256_srli_epi32(
            sum(_mm256_unpacklo_epi16(va, zero), _mm256_unpacklo_epi16(vb, zero)), 1);
        const __m256i hi = _mm256_srli_epi32(
            sum(_mm256_unpackhi_epi16(va, zero), _mm256_unpackhi_epi16(vb, zero)), 1);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 2 * j), _mm256_packus_epi32(lo, hi));
    }
    return j;
}
#endif

// 16-bit weighted sums of a region whose pictures have its components: the
// AVX2 lines, the rest through the plain loop.
void weight16(const Region& r, const WeightFormula& f, u16 max)
{
#if LX_HAVE_AVX2_PATHS
    if (lxpic::cpuHasAvx2()) {
        const size_t n = size_t(r.width) * r.comps;
        const SameDepth<u16, WeightFormula> plain{f, max};
        for (uint32_t y = 0; y < r.height; ++y) {
            uint8_t* d = r.dst.data + y * r.dst.pitch;
            const uint8_t* a = r.a.data + y * r.a.pitch;
            const uint8_t* b = r.b.data + y * r.b.pitch;
            for (size_t i = weightLine16Avx2(d, a, b, n, f); i < n; ++i)
                lxpic::store<u16>(d + 2 * i,
                                  plain(lxpic::load<u16>(a + 2 * i), lxpic::load<u16>(b + 2 * i)));
        }
        return;
    }
#endif
    flatSame(r, f, max);
}

template <class F> void flatSame(const Region& r, F f, uint32_t max)
{
    zipFlat<uint32_t, uint32_t>(r, SameDepth<uint32_t, F>{f, max});
}

RegionPlane planeOf(const SLxPicBuf& pic)
{
    return {static_cast<uint8_t*>(pic.pData), pic.uiWidthBytes, pic.uiComps};
}

Region regionOf(const SLxPicBuf& dst, const SLxPicBuf& a, const SLxPicBuf& b)
{
    return {planeOf(dst),
            planeOf(a),
            planeOf(b),
            std::min({dst.uiWidth, a.uiWidth, b.uiWidth}),
            std::min({dst.uiHeight, a.uiHeight, b.uiHeight}),
            std::min({dst.uiComps, a.uiComps, b.uiComps})};
}

bool emptyRegion(const Region& r)
{
    return r.width == 0 || r.height == 0 || r.comps == 0;
}

// The checks of the two-source family: three records covering their
// memory, sources of one depth, and a depth pair the rules serve.
int prepareThree(const SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* b)
{
    if (!dst || !a || !b || a->uiBpc != b->uiBpc)
        return -9;
    const uint32_t s = a->uiBpc, d = dst->uiBpc;
    if (d < 8 || s < 8 || d > 32 || s > 32)
        return -9;
    if (!coversFormat(dst) || !coversFormat(a) || !coversFormat(b))
        return -9;
    return 0;
}

// A mask covering the region, or none.
int maskOf(const SLxPicBuf* mask, const Region& r, RegionMask& out)
{
    out = {nullptr, 0, 0, 1};
    if (!mask)
        return 0;
    if (!coversFormat(mask) || mask->uiWidth < r.width || mask->uiHeight < r.height ||
        mask->uiComps == 0 || mask->uiBpc > 32)
        return -9;
    const uint32_t bytes = CLxPicBufAPI::CalcCompSize(mask->uiBpc);
    out = {static_cast<const uint8_t*>(mask->pData), mask->uiWidthBytes,
           size_t(mask->uiComps) * bytes, bytes};
    return 0;
}

// The depth policy of the sample types TD and TS for destination bits d and
// source bits s, handed to run.
template <class TD, class TS, class F, class Run>
void withPolicy(F f, uint32_t d, uint32_t s, Run&& run)
{
    if constexpr (std::is_same_v<TD, TS>) {
        (void)s;
        run(SameDepth<TD, F>{f, TD(lxpic::maxOfBits(d))});
    } else {
        // Exactly one side is 8 bits: convert; both deeper: no conversion.
        const uint32_t up = s == 8 && d > 8 ? d - 8 : 0;
        const uint32_t down = d == 8 && s > 8 ? s - 8 : 0;
        run(CrossDepth<TD, TS, F>{f, up, down, int64_t(lxpic::maxOfBits(d))});
    }
}

template <class F> int zipTwo(SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* b, F f)
{
    const int checked = prepareThree(dst, a, b);
    if (checked != 0)
        return checked;
    const Region r = regionOf(*dst, *a, *b);
    if (emptyRegion(r))
        return 0;
    const uint32_t d = dst->uiBpc, s = a->uiBpc;
    return withSampleType(d, [&](auto td) {
        return withSampleType(s, [&](auto ts) {
            using TD = decltype(td);
            using TS = decltype(ts);
            const bool flat =
                dst->uiComps == r.comps && a->uiComps == r.comps && b->uiComps == r.comps;
            if constexpr (std::is_same_v<TD, TS>) {
                if (flat) {
                    flatSame(r, f, TD(lxpic::maxOfBits(d)));
                    return 0;
                }
            }
            withPolicy<TD, TS>(f, d, s, [&](auto pol) { zipRegion<TD, TS>(r, pol); });
            return 0;
        });
    });
}

template <class F>
int zipMaskedTwo(SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* maskA, const SLxPicBuf* b,
                 const SLxPicBuf* maskB, F f)
{
    const Region r = regionOf(*dst, *a, *b);
    RegionMask ma, mb;
    if (maskOf(maskA, r, ma) != 0 || maskOf(maskB, r, mb) != 0)
        return -9;
    if (emptyRegion(r))
        return 0;
    const uint32_t d = dst->uiBpc, s = a->uiBpc;
    return withSampleType(d, [&](auto td) {
        return withSampleType(s, [&](auto ts) {
            using TD = decltype(td);
            using TS = decltype(ts);
            withPolicy<TD, TS>(f, d, s, [&](auto both) {
                withPolicy<TD, TS>(SecondFormula{}, d, s, [&](auto second) {
                    withPolicy<TD, TS>(FirstFormula{}, d, s, [&](auto first) {
                        zipMasked<TD, TS>(r, ma, mb, both, second, first);
                    });
                });
            });
            return 0;
        });
    });
}

// The checks of WeightedAddition: the destination and each source of one
// format, 8 or 9 to 16 bits (below 8: nothing to do, 0).
int prepareWeighted(const SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* b, int32_t weight)
{
    if (!CLxPicBufAPI::Check(dst, a, eLxCheckBitsComps) ||
        !CLxPicBufAPI::Check(dst, b, eLxCheckBitsComps))
        return -9;
    if (!coversFormat(dst) || !coversFormat(a) || !coversFormat(b))
        return -9;
    // The halving table of the weights covers the sums of weights 0 to 100.
    if (weight < 0 || weight > 100)
        return -9;
    if (dst->uiBpc > 16)
        return -2;
    return dst->uiBpc < 8 ? 1 : 0;
}

// Where each filled component c comes from: the first sample of that
// component on every line of its picture.
struct ComponentSources {
    const SLxPicBuf* from[3];
    uint32_t comp[3];
};

// select[c] 0, 1, 2 takes src's component 2, 1, 0 (a one-component picture
// has only its 0), any other value, or a component the pictures lack,
// other's component c.
ComponentSources sourcesOf(const SLxPicBuf& src, const SLxPicBuf& other, uint32_t comps,
                           const uint32_t select[3])
{
    ComponentSources s{};
    for (uint32_t c = 0; c < comps; ++c) {
        const uint32_t from = comps == 1 ? 0 : 2 - select[c];
        const bool own = select[c] <= 2 && from < comps;
        s.from[c] = own ? &src : &other;
        s.comp[c] = own ? from : c;
    }
    return s;
}

// CN components of type T; the whole pixel is read before it is written, as
// dst may be a source.
template <class T, uint32_t CN>
LX_KERNEL_INLINE void copyComponents(const SLxPicBuf& dst, const ComponentSources& s,
                                     uint32_t width, uint32_t height)
{
    constexpr size_t pixel = CN * sizeof(T);
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* d = static_cast<uint8_t*>(dst.pData) + size_t(y) * dst.uiWidthBytes;
        const uint8_t* line[CN];
        for (uint32_t c = 0; c < CN; ++c)
            line[c] = static_cast<const uint8_t*>(s.from[c]->pData) +
                      size_t(y) * s.from[c]->uiWidthBytes + s.comp[c] * sizeof(T);
        for (uint32_t x = 0; x < width; ++x) {
            T v[CN];
            for (uint32_t c = 0; c < CN; ++c)
                v[c] = lxpic::load<T>(line[c] + x * pixel);
            for (uint32_t c = 0; c < CN; ++c)
                lxpic::store<T>(d + x * pixel + c * sizeof(T), v[c]);
        }
    }
}

#define LX_COMPONENT_CLONES(T)                                                                     \
    LX_KERNEL_CLONES void copyComponents3(const SLxPicBuf& dst, const ComponentSources& s,         \
                                          uint32_t width, uint32_t height, T)                      \
    {                                                                                              \
        copyComponents<T, 3>(dst, s, width, height);                                               \
    }

LX_COMPONENT_CLONES(uint8_t)
LX_COMPONENT_CLONES(uint16_t)
LX_COMPONENT_CLONES(uint32_t)
#undef LX_COMPONENT_CLONES

} // namespace

int CLxPicBufAPI::MinComp(SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* b)
{
    return zipTwo(dst, a, b, MinFormula{});
}

int CLxPicBufAPI::MaxComp(SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* b)
{
    return zipTwo(dst, a, b, MaxFormula{});
}

int CLxPicBufAPI::AbsDif(SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* b)
{
    return zipTwo(dst, a, b, AbsDifFormula{});
}

int CLxPicBufAPI::Addition(SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* b)
{
    return zipTwo(dst, a, b, AddFormula{});
}

int CLxPicBufAPI::Subtract(SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* b, int32_t reverse)
{
    return reverse ? zipTwo(dst, b, a, SubFormula{}) : zipTwo(dst, a, b, SubFormula{});
}

int CLxPicBufAPI::AbsDif(SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* maskA,
                         const SLxPicBuf* b, const SLxPicBuf* maskB)
{
    const int checked = prepareThree(dst, a, b);
    if (checked != 0)
        return checked;
    return zipMaskedTwo(dst, a, maskA, b, maskB, AbsDifFormula{});
}

int CLxPicBufAPI::WeightedAddition(SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* maskA,
                                   const SLxPicBuf* b, const SLxPicBuf* maskB, int32_t weight)
{
    const int checked = prepareWeighted(dst, a, b, weight);
    if (checked != 0)
        return checked < 0 ? checked : 0;
    const WeightFormula f{uint32_t(weight)};
    if (!maskA && !maskB) {
        const Region r = regionOf(*dst, *a, *b);
        if (emptyRegion(r))
            return 0;
        if (dst->uiBpc == 8)
            flatSame(r, f, u8(255));
        else
            weight16(r, f, u16(lxpic::maxOfBits(dst->uiBpc)));
        return 0;
    }
    return zipMaskedTwo(dst, a, maskA, b, maskB, f);
}

int CLxPicBufAPI::WeightedAddition(SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* b,
                                   int32_t weight)
{
    return WeightedAddition(dst, a, nullptr, b, nullptr, weight);
}

int CLxPicBufAPI::ShadMult(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* shading)
{
    if (!CLxPicBufAPI::Check(dst, src, eLxCheckBitsComps) ||
        !CLxPicBufAPI::Check(dst, shading, eLxCheckBitsComps) || !coversFormat(dst) ||
        !coversFormat(src) || !coversFormat(shading))
        return -9;
    const uint32_t width = std::min({dst->uiWidth, src->uiWidth, shading->uiWidth});
    const uint32_t height = std::min({dst->uiHeight, src->uiHeight, shading->uiHeight});
    return CLxPicMemAPI::ApplyMultShading(dst->pData, dst->uiWidthBytes, src->pData,
                                          src->uiWidthBytes, shading->pData, shading->uiWidthBytes,
                                          dst->uiComps, dst->uiBpc, width, width * height);
}

int CLxPicBufAPI::MergeImagesByMask(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* mask)
{
    if (!CLxPicBufAPI::Check(dst, src, eLxCheckSizeBitsComps) ||
        !CLxPicBufAPI::Check(dst, mask, eLxCheckSize))
        return -2;
    if (!coversFormat(dst) || !coversFormat(src) || !coversFormat(mask))
        return -9;
    if (isEmpty(*dst))
        return 0;
    return CLxPicMemAPI::CopyMask(dst->pData, dst->uiWidthBytes, src->pData, src->uiWidthBytes,
                                  dst->uiComps, dst->uiBpc, mask->pData, mask->uiBpc,
                                  mask->uiWidthBytes, dst->uiWidth, pixelCount(*dst), 0, false);
}

int CLxPicBufAPI::ImageComponents(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* other,
                                  uint32_t select2, uint32_t select1, uint32_t select0)
{
    if (!CLxPicBufAPI::Check(dst, src, eLxCheckBitsComps) ||
        !CLxPicBufAPI::Check(dst, other, eLxCheckBitsComps) || dst->uiComps > 3 ||
        !coversFormat(dst) || !coversFormat(src) || !coversFormat(other))
        return -9;
    if (dst->uiBpc < 8)
        return 0;
    const uint32_t width = std::min({dst->uiWidth, src->uiWidth, other->uiWidth});
    const uint32_t height = std::min({dst->uiHeight, src->uiHeight, other->uiHeight});
    if (width == 0 || height == 0 || dst->uiComps == 0)
        return 0;
    // select[c] fills component c; one component follows select2.
    const uint32_t select[3] = {dst->uiComps == 1 ? select2 : select0, select1, select2};
    const ComponentSources sources = sourcesOf(*src, *other, dst->uiComps, select);
    return withSampleType(dst->uiBpc, [&](auto t) {
        using T = decltype(t);
        if (dst->uiComps == 3)
            copyComponents3(*dst, sources, width, height, t);
        else if (dst->uiComps == 2)
            copyComponents<T, 2>(*dst, sources, width, height);
        else
            copyComponents<T, 1>(*dst, sources, width, height);
        return 0;
    });
}

int CLxPicBufAPI::Shift(SLxPicBuf* pic, int32_t dx, int32_t dy)
{
    if (!pic || pic->uiHeight == 0 || !coversFormat(pic))
        return -9;
    if (isEmpty(*pic) || (dx == 0 && dy == 0))
        return 0;
    const int64_t width = pic->uiWidth, height = pic->uiHeight;
    const uint64_t mx = dx < 0 ? -int64_t(dx) : dx, my = dy < 0 ? -int64_t(dy) : dy;
    const size_t pixel = size_t(pic->uiComps) * CalcCompSize(pic->uiBpc);
    auto* base = static_cast<uint8_t*>(pic->pData);
    // Coordinates counted from the uncovered border: u from the first column
    // for a move right (the last for a move left), v likewise for lines.
    const auto toX = [&](int64_t u) { return dx < 0 ? width - 1 - u : u; };
    const auto toY = [&](int64_t v) { return dy < 0 ? height - 1 - v : v; };
    const auto at = [&](int64_t x, int64_t y) {
        return base + size_t(y) * pic->uiWidthBytes + size_t(x) * pixel;
    };
    // The moved columns of a line: those whose source column lies inside.
    const int64_t moved = mx < uint64_t(width) ? width - int64_t(mx) : 0;
    for (int64_t v = height - 1; v >= 0; --v) {
        // Lines farthest from the uncovered border first: their sources (v -
        // my) are not yet written.
        const int64_t y = toY(v);
        if (uint64_t(v) >= my && moved > 0) {
            const int64_t srcY = toY(v - int64_t(my));
            // Destination columns u = mx .. width - 1 from u - mx.
            const int64_t dstX = dx < 0 ? 0 : int64_t(mx), srcX = dx < 0 ? int64_t(mx) : 0;
            std::memmove(at(dstX, y), at(srcX, srcY), size_t(moved) * pixel);
        }
        // The pixels whose source is outside, from the border column (u = 0)
        // or line (v = 0), which no move writes.
        const int64_t firstInside = uint64_t(v) >= my ? std::min<int64_t>(mx, width) : width;
        for (int64_t u = 0; u < firstInside; ++u) {
            int64_t fromU, fromV;
            if (my == 0) {
                fromU = 0, fromV = v;
            } else if (mx == 0) {
                fromU = u, fromV = 0;
            } else {
                const uint64_t t = uint64_t(v) * mx / my;
                if (uint64_t(u) <= t)
                    fromU = 0, fromV = v - int64_t(uint64_t(u) * my / mx);
                else
                    fromU = u - int64_t(t), fromV = 0;
            }
            if (fromU != u || fromV != v)
                std::memcpy(at(toX(u), y), at(toX(fromU), toY(fromV)), pixel);
        }
    }
    return 0;
}
