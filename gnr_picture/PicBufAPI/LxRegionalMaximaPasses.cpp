// The two raster passes of grey reconstruction by dilation: the marker in
// the destination grows under the mask (the source), in place, so a value
// written early in a pass is seen by the samples after it.
#include "gnr_picture/PicBufAPI/LxFilterRegionsT.h"
#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"

using namespace lxfilter;

namespace
{

// (row, column) displacements of the two neighbourhoods, the sample itself
// included: forward NW, N, NE, W; backward E, SW, S, SE.
constexpr int kForward[5][2] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {0, 0}};
constexpr int kBackward[5][2] = {{0, 0}, {0, 1}, {1, -1}, {1, 0}, {1, 1}};

// The update of every component of pixel (y, x) with clamped reads; true
// when a sample changed (a sample cleared by a 0 mask is not counted).
template <class T>
bool updatePixel(const Plane<T>& d, const Plane<const T>& s, int64_t y, int64_t x,
                 const int (&hood)[5][2])
{
    bool changed = false;
    for (int64_t c = 0; c < s.comps; ++c) {
        const T m = s.at(y, x, c);
        T& out = d.at(y, x, c);
        if (m == 0) {
            out = 0;
            continue;
        }
        T v = 0;
        for (const auto& o : hood) {
            const T n = d.at(d.clampY(y + o[0]), d.clampX(x + o[1]), c);
            v = n > v ? n : v;
        }
        v = v < m ? v : m;
        if (v != out) {
            out = v;
            changed = true;
        }
    }
    return changed;
}

// Interior samples of one row, without clamps (the neighbours lie inside).
template <class T, bool Forward>
bool updateInteriorRow(const Plane<T>& d, const Plane<const T>& s, int64_t y, int64_t x0,
                       int64_t x1)
{
    const int64_t comps = s.comps;
    const ptrdiff_t stride = ptrdiff_t(d.stride);
    const T* mask = s.row(y);
    T* out = d.row(y);
    bool changed = false;
    const auto one = [&](int64_t i) {
        const T m = mask[i];
        if (m == 0) {
            out[i] = 0;
            return;
        }
        T* p = out + i;
        T v;
        if (Forward) {
            const T* up = p - stride;
            v = std::max({up[-comps], up[0], up[comps], p[-comps], p[0]});
        } else {
            const T* down = p + stride;
            v = std::max({p[0], p[comps], down[-comps], down[0], down[comps]});
        }
        v = v < m ? v : m;
        if (v != *p) {
            *p = v;
            changed = true;
        }
    };
    if (Forward)
        for (int64_t i = x0 * comps; i < x1 * comps; ++i)
            one(i);
    else
        for (int64_t i = x1 * comps - 1; i >= x0 * comps; --i)
            one(i);
    return changed;
}

template <class T> int forwardPass(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    if (!picturesFit<T>(dst, src) || !IsUsableKernel(kernel))
        return 0;
    if (src->uiHeight < kernel->uiNRows || src->uiWidth < kernel->uiNCols)
        return 0;
    const Plane<T> d = planeOf<T>(*dst);
    const Plane<const T> s = planeOf<const T>(*src);
    const int64_t w = s.width, h = s.height;
    bool changed = false;
    // Every column of the top and bottom rows: a corner left to one pass
    // never sees the neighbours that only the other pass reads, and the
    // passes would settle short of the reconstruction there.
    for (int64_t x = 0; x < w; ++x)
        changed |= updatePixel(d, s, 0, x, kForward);
    for (int64_t y = 1; y <= h - 2; ++y) {
        changed |= updatePixel(d, s, y, 0, kForward);
        changed |= updateInteriorRow<T, true>(d, s, y, 1, w - 1);
        changed |= updatePixel(d, s, y, w - 1, kForward);
    }
    for (int64_t x = 0; x < w; ++x)
        changed |= updatePixel(d, s, h - 1, x, kForward);
    return changed ? 1 : 0;
}

template <class T> int backwardPass(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    if (!picturesFit<T>(dst, src) || !IsUsableKernel(kernel))
        return 0;
    if (src->uiHeight < kernel->uiNRows || src->uiWidth < kernel->uiNCols)
        return 0;
    const Plane<T> d = planeOf<T>(*dst);
    const Plane<const T> s = planeOf<const T>(*src);
    const int64_t w = s.width, h = s.height;
    bool changed = false;
    for (int64_t x = w - 1; x >= 0; --x)
        changed |= updatePixel(d, s, h - 1, x, kBackward);
    for (int64_t y = h - 2; y >= 1; --y) {
        changed |= updatePixel(d, s, y, w - 1, kBackward);
        changed |= updateInteriorRow<T, false>(d, s, y, 1, w - 1);
        changed |= updatePixel(d, s, y, 0, kBackward);
    }
    for (int64_t x = w - 1; x >= 0; --x)
        changed |= updatePixel(d, s, 0, x, kBackward);
    return changed ? 1 : 0;
}

template <class T>
void borderPixel(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t row, uint32_t col, int* changed,
                 const int (&hood)[5][2])
{
    if (!picturesFit<T>(dst, src) || row >= src->uiHeight || col >= src->uiWidth)
        return;
    if (updatePixel(planeOf<T>(*dst), planeOf<const T>(*src), row, col, hood) && changed)
        *changed = 1;
}

} // namespace

int RegionalMaximaStep1_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return forwardPass<uint8_t>(dst, src, kernel);
}
int RegionalMaximaStep1_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return forwardPass<uint16_t>(dst, src, kernel);
}
int RegionalMaximaPass_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return backwardPass<uint8_t>(dst, src, kernel);
}
int RegionalMaximaStep2_16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return backwardPass<uint16_t>(dst, src, kernel);
}

void RegionalMaximaBorderPixel_8(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t row, uint32_t col,
                                 int* changed)
{
    borderPixel<uint8_t>(dst, src, row, col, changed, kForward);
}
void RegionalMaximaBorderPixel_16(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t row, uint32_t col,
                                  int* changed)
{
    borderPixel<uint16_t>(dst, src, row, col, changed, kForward);
}
void RegionalMaximaBorderPixelBack_8(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t row,
                                     uint32_t col, int* changed)
{
    borderPixel<uint8_t>(dst, src, row, col, changed, kBackward);
}
void RegionalMaximaBorderPixelBack_16(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t row,
                                      uint32_t col, int* changed)
{
    borderPixel<uint16_t>(dst, src, row, col, changed, kBackward);
}
