// What the kernel workers share: a typed view of a picture, the kernel's set
// elements as (row, column) displacements, the interior and border
// rectangles of a kernel walk, thread-local scratch, and the row walker that
// combines shifted source rows with clamped edges.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>
#include <vector>

#include "gnr_picture/PicBufAPI/LxKernelOffsets.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"

namespace lxfilter
{

template <class T> struct Plane {
    T* data;
    size_t stride; // samples from one line to the next
    int64_t width, height, comps;

    T* row(int64_t y) const { return data + size_t(y) * stride; }
    int64_t clampY(int64_t y) const { return std::clamp<int64_t>(y, 0, height - 1); }
    int64_t clampX(int64_t x) const { return std::clamp<int64_t>(x, 0, width - 1); }
    T& at(int64_t y, int64_t x, int64_t c) const { return row(y)[size_t(x * comps + c)]; }
};

template <class T> Plane<T> planeOf(const SLxPicBuf& pic)
{
    using Raw = std::conditional_t<std::is_const_v<T>, const void*, void*>;
    return Plane<T>{static_cast<T*>(Raw(pic.pData)), pic.uiWidthBytes / sizeof(T), pic.uiWidth,
                    pic.uiHeight, pic.uiComps};
}

// A picture given with memory whose lines hold their samples of type T.
template <class T> bool pictureFits(const SLxPicBuf* pic)
{
    return pic && pic->pData && pic->uiComps != 0 && pic->uiWidthBytes % sizeof(T) == 0 &&
           uint64_t(pic->uiWidth) * pic->uiComps * sizeof(T) <= pic->uiWidthBytes &&
           uint64_t(pic->uiWidthBytes) * pic->uiHeight <= pic->uiSize;
}

// Both pictures fit, with the same width, height and components.
template <class T> bool picturesFit(const SLxPicBuf* dst, const SLxPicBuf* src)
{
    return pictureFits<T>(dst) && pictureFits<T>(src) && dst->uiWidth == src->uiWidth &&
           dst->uiHeight == src->uiHeight && dst->uiComps == src->uiComps;
}

struct Element {
    int32_t dy, dx; // from the anchor
    int32_t weight;
};

// Scratch kept by the thread between calls; Slot keeps the buffers of one
// call apart. Null only when memory runs out (never for n = 0, so an empty
// region is not taken for a failure).
template <class T, int Slot> T* scratch(size_t n)
{
    thread_local std::vector<T> buffer;
    if (buffer.size() < n || buffer.empty()) {
        n = n ? n : 1;
        try {
            buffer.resize(n);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
    return buffer.data();
}

// The kernel's set elements in row order.
inline uint32_t elementsOf(const SLxKernel& k, Element* out)
{
    uint32_t n = 0;
    for (uint32_t r = 0; r < k.uiNRows; ++r)
        for (uint32_t c = 0; c < k.uiNCols; ++c) {
            const uint32_t e = r * k.uiNCols + c;
            if (k.ubMask[e])
                out[n++] = Element{int32_t(r) - int32_t(k.uiCenterRow),
                                   int32_t(c) - int32_t(k.uiCenterCol), k.iValues[e]};
        }
    return n;
}

struct Rect {
    int64_t y0, y1, x0, x1; // half-open
    bool empty() const { return y0 >= y1 || x0 >= x1; }
};

// Where the whole kernel lies inside a width x height picture (empty when it
// does not fit).
inline Rect interiorOf(int64_t width, int64_t height, const SLxKernel& k)
{
    const int64_t rows = height - k.uiNRows + 1, cols = width - k.uiNCols + 1;
    if (rows <= 0 || cols <= 0)
        return Rect{0, 0, 0, 0};
    return Rect{k.uiCenterRow, k.uiCenterRow + rows, k.uiCenterCol, k.uiCenterCol + cols};
}

// The border strips: top, bottom, left, right; the whole picture when the
// interior is empty.
template <class F> void forEachBorderStrip(int64_t width, int64_t height, const SLxKernel& k, F f)
{
    const Rect in = interiorOf(width, height, k);
    if (in.empty()) {
        f(Rect{0, height, 0, width});
        return;
    }
    const Rect strips[4] = {{0, in.y0, 0, width},
                            {in.y1, height, 0, width},
                            {in.y0, in.y1, 0, in.x0},
                            {in.y0, in.y1, in.x1, width}};
    for (const Rect& r : strips)
        if (!r.empty())
            f(r);
}

// For the output columns x0 .. x1 - 1 of one row and a column displacement
// dx, the source columns are clamp(x + dx): run(out offset, source offset,
// samples) for the part that reads inside, edge(out offset, source pixel
// offset, pixels) for the parts that read the edge pixel. Offsets in
// samples from the start of the row segment (out) and of the source row.
template <class Run, class Edge>
void splitShifted(int64_t x0, int64_t x1, int64_t dx, int64_t width, int64_t comps, Run run,
                  Edge edge)
{
    const int64_t a = std::clamp<int64_t>(-dx, x0, x1);       // first reading inside
    const int64_t b = std::clamp<int64_t>(width - dx, a, x1); // first past the right edge
    if (a > x0)
        edge((0) * comps, 0, a - x0);
    if (b > a)
        run((a - x0) * comps, (a + dx) * comps, (b - a) * comps);
    if (x1 > b)
        edge((b - x0) * comps, (width - 1) * comps, x1 - b);
}

} // namespace lxfilter
