// Grey erosion and dilation: one row walker with min or max as the policy.
// Each set element combines a whole shifted source row into the destination
// row, so the inner loops are plain element-wise min/max the compiler
// vectorises; the clamped edges are short runs of the edge pixel.
#include "gnr_picture/PicBufAPI/LxFilterRegionsT.h"
#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"

using namespace lxfilter;

namespace
{

struct MinOp {
    template <class T>
    static T apply(T a, T b)
    {
        return b < a ? b : a;
    }
};
struct MaxOp {
    template <class T>
    static T apply(T a, T b)
    {
        return b > a ? b : a;
    }
};

// out[0 .. (x1 - x0) x comps) combined with the source row `in` shifted by
// dx pixels, edges clamped; the first element assigns.
template <class T, class Op>
void combineShifted(T* __restrict out, const T* __restrict in, int64_t x0, int64_t x1, int64_t dx,
                    int64_t width, int64_t comps, bool first)
{
    splitShifted(
        x0, x1, dx, width, comps,
        [&](int64_t o, int64_t s, int64_t len) {
            T* __restrict a = out + o;
            const T* __restrict b = in + s;
            if (first)
                std::copy(b, b + len, a);
            else
                for (int64_t i = 0; i < len; ++i)
                    a[i] = Op::apply(a[i], b[i]);
        },
        [&](int64_t o, int64_t s, int64_t pixels) {
            for (int64_t p = 0; p < pixels; ++p)
                for (int64_t c = 0; c < comps; ++c) {
                    T& a = out[o + p * comps + c];
                    a = first ? in[s + c] : Op::apply(a, in[s + c]);
                }
        });
}

template <class T, class Op>
void morphRegion(const Plane<T>& dst, const Plane<const T>& src, const Rect& r,
                 const Element* el, uint32_t n)
{
    for (int64_t y = r.y0; y < r.y1; ++y) {
        T* out = dst.row(y) + r.x0 * dst.comps;
        for (uint32_t e = 0; e < n; ++e)
            combineShifted<T, Op>(out, src.row(src.clampY(y + el[e].dy)), r.x0, r.x1, el[e].dx,
                                  src.width, src.comps, e == 0);
    }
}

enum class Part { whole, interior, borders };

template <class T, class Op>
int morphGeneral(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                 Part part = Part::whole)
{
    if (!picturesFit<T>(dst, src) || !IsUsableKernel(kernel))
        return -9;
    Element* el = scratch<Element, 0>(MAX_KERNEL_ELEMENTS);
    if (!el)
        return -3;
    const uint32_t n = elementsOf(*kernel, el);
    if (n == 0)
        return 0;
    const Plane<T> d = planeOf<T>(*dst);
    const Plane<const T> s = planeOf<const T>(*src);
    if (part == Part::whole)
        morphRegion<T, Op>(d, s, Rect{0, s.height, 0, s.width}, el, n);
    else if (part == Part::interior)
        morphRegion<T, Op>(d, s, interiorOf(s.width, s.height, *kernel), el, n);
    else
        forEachBorderStrip(s.width, s.height, *kernel,
                           [&](const Rect& r) { morphRegion<T, Op>(d, s, r, el, n); });
    return 0;
}

// The named shapes: the interior over a fixed number of elements (for
// "Smooth3" the fifth is the anchor), the border strips over all of them.
template <class T, class Op, uint32_t N, bool AnchorFifth = false>
int morphNamed(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    if (!picturesFit<T>(dst, src) || !IsUsableKernel(kernel))
        return -9;
    Element* el = scratch<Element, 0>(MAX_KERNEL_ELEMENTS);
    if (!el)
        return -3;
    const uint32_t n = elementsOf(*kernel, el);
    if (n < N)
        return morphGeneral<T, Op>(dst, src, kernel);
    Element shape[N];
    std::copy(el, el + N, shape);
    if (AnchorFifth)
        shape[4] = Element{0, 0, 0};
    const Plane<T> d = planeOf<T>(*dst);
    const Plane<const T> s = planeOf<const T>(*src);
    morphRegion<T, Op>(d, s, interiorOf(s.width, s.height, *kernel), shape, N);
    forEachBorderStrip(s.width, s.height, *kernel,
                       [&](const Rect& r) { morphRegion<T, Op>(d, s, r, el, n); });
    return 0;
}

// Full odd squares, separable: min/max do not depend on order, and clamping
// acts on rows and columns independently, so a column pass over the clamped
// rows and a row pass over the clamped columns give the square's result,
// borders included.
template <class T, class Op>
int morphSquare(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    if (!picturesFit<T>(dst, src) || !IsUsableKernel(kernel))
        return -9;
    if (kernel->uiNRows > src->uiHeight || kernel->uiNCols > src->uiWidth)
        return 0;
    if (!IsFullSquareKernel(kernel))
        return morphGeneral<T, Op>(dst, src, kernel);
    const Plane<T> d = planeOf<T>(*dst);
    const Plane<const T> s = planeOf<const T>(*src);
    const int64_t r = kernel->uiCenterRow, n = kernel->uiNRows;
    const int64_t len = s.width * s.comps;
    T* column = scratch<T, 1>(size_t(len));
    if (!column)
        return -3;
    for (int64_t y = 0; y < s.height; ++y) {
        T* __restrict acc = column;
        std::copy(s.row(s.clampY(y - r)), s.row(s.clampY(y - r)) + len, acc);
        for (int64_t k = 1; k < n; ++k) {
            const T* __restrict in = s.row(s.clampY(y - r + k));
            for (int64_t i = 0; i < len; ++i)
                acc[i] = Op::apply(acc[i], in[i]);
        }
        T* out = d.row(y);
        for (int64_t k = 0; k < n; ++k)
            combineShifted<T, Op>(out, column, 0, s.width, k - r, s.width, s.comps, k == 0);
    }
    return 0;
}

} // namespace

int Erode_General_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphGeneral<uint8_t, MinOp>(dst, src, kernel);
}
int Erode_General_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphGeneral<uint16_t, MinOp>(dst, src, kernel);
}
int Dilate_General_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphGeneral<uint8_t, MaxOp>(dst, src, kernel);
}
int Dilate_General_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphGeneral<uint16_t, MaxOp>(dst, src, kernel);
}

int Erode_Smooth2_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphNamed<uint8_t, MinOp, 4>(dst, src, kernel);
}
int Erode_Smooth3_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphNamed<uint8_t, MinOp, 9, true>(dst, src, kernel);
}
int Erode_Oct4_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphNamed<uint8_t, MinOp, 12>(dst, src, kernel);
}
int Erode_Smooth2_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphNamed<uint16_t, MinOp, 4>(dst, src, kernel);
}
int Erode_Smooth3_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphNamed<uint16_t, MinOp, 9, true>(dst, src, kernel);
}
int Erode_Oct4_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphNamed<uint16_t, MinOp, 12>(dst, src, kernel);
}
int Dilate_Smooth2_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphNamed<uint8_t, MaxOp, 4>(dst, src, kernel);
}
int Dilate_Smooth3_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphNamed<uint8_t, MaxOp, 9, true>(dst, src, kernel);
}
int Dilate_Oct4_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphNamed<uint8_t, MaxOp, 12>(dst, src, kernel);
}
int Dilate_Smooth2_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphNamed<uint16_t, MaxOp, 4>(dst, src, kernel);
}
int Dilate_Smooth3_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphNamed<uint16_t, MaxOp, 9, true>(dst, src, kernel);
}
int Dilate_Oct4_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphNamed<uint16_t, MaxOp, 12>(dst, src, kernel);
}

int Erode_Square_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphSquare<uint8_t, MinOp>(dst, src, kernel);
}
int Erode_Square_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphSquare<uint16_t, MinOp>(dst, src, kernel);
}
// The largest value only ever served to stop a search early; the result
// does not depend on it.
int Dilate_Square_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel, uint32_t)
{
    return morphSquare<uint8_t, MaxOp>(dst, src, kernel);
}
int Dilate_Square_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel, uint32_t)
{
    return morphSquare<uint16_t, MaxOp>(dst, src, kernel);
}

int ErodeBorders_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphGeneral<uint8_t, MinOp>(dst, src, kernel, Part::borders);
}
int DilateBorders_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphGeneral<uint8_t, MaxOp>(dst, src, kernel, Part::borders);
}
int ErodeInterior_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphGeneral<uint8_t, MinOp>(dst, src, kernel, Part::interior);
}
int DilateInterior_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return morphGeneral<uint8_t, MaxOp>(dst, src, kernel, Part::interior);
}
