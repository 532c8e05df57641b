// Bilinear kernels of the general rotation and the shift for whole turns.
// Positions run in fixed point along each destination row over the span of
// pixels whose source position lies inside the source, so the inner loop
// tests nothing but the last column and row.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "gnr_picture/PicBufAPI/LxRotateGeneral.h"
#include "gnr_picture/picmemAPI/LxKernelClones.h"

namespace lxpic
{
namespace
{

// Source positions in units of 2^-28 pixel: 12 bits of fraction for the
// weights and 16 more so that a step's rounding stays below a weight unit
// over 65536 pixels. Positions up to 2^33 pixels fit in 64 bits.
constexpr int kFractionBits = 28;
constexpr int kWeightShift = kFractionBits - 12;
constexpr double kUnit = double(int64_t(1) << kFractionBits);
// Beyond this a row start cannot reach any source of fewer than 2^31 pixels
// a side within a destination row of fewer than 2^31 pixels.
constexpr double kFarAway = 8589934592.0; // 2^33

// floor(w x 10^places + 1/2 x 10^-places) x 10^-places, as the positions
// and steps are rounded to 4 and 5 decimals.
double roundPosition(double w)
{
    return std::floor((w + 0.00005) * 10000.0) * 0.0001;
}

double roundStep(double w)
{
    return std::floor((w + 0.000005) * 100000.0) * 0.00001;
}

int64_t floorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

int64_t ceilDiv(int64_t a, int64_t b)
{
    return -floorDiv(-a, b);
}

// Narrows [lo, hi] to the k with 0 <= p0 + k d < limit.
void clampSpan(int64_t p0, int64_t d, int64_t limit, int64_t& lo, int64_t& hi)
{
    if (d == 0) {
        if (p0 < 0 || p0 >= limit)
            hi = lo - 1;
        return;
    }
    if (d > 0) {
        lo = std::max(lo, ceilDiv(-p0, d));
        hi = std::min(hi, floorDiv(limit - 1 - p0, d));
    } else {
        lo = std::max(lo, ceilDiv(limit - 1 - p0, d));
        hi = std::min(hi, floorDiv(-p0, d));
    }
}

// One sample from its four neighbours a, b (right), c (below), d, with
// weights 4096 - f and f, so that a constant stays itself.
template <class T>
LX_KERNEL_INLINE uint32_t blend(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t fx,
                                uint32_t fy)
{
    const uint32_t gx = 4096 - fx, gy = 4096 - fy;
    if constexpr (sizeof(T) == 1) {
        // At most 255 x 2^24, below 2^32.
        return ((a * gx + b * fx) * gy + (c * gx + d * fx) * fy) >> 24;
    } else {
        // Each sum at most 65535 x 4096, below 2^28.
        const uint32_t top = (a * gx + b * fx) >> 12;
        const uint32_t low = (c * gx + d * fx) >> 12;
        return (top * gy + low * fy) >> 12;
    }
}

template <class T, int C>
LX_KERNEL_INLINE void linearRows(SLxPicBuf* dst, const SLxPicBuf* src, const SLxIPoint* left,
                                 const SLxIPoint* right, uint32_t rows, const RotationTransform& t)
{
    const uint32_t comps = C ? uint32_t(C) : src->uiComps;
    const int64_t W = src->uiWidth, H = src->uiHeight;
    if (W == 0 || H == 0)
        return;
    const size_t pitch = src->uiWidthBytes;
    const uint8_t* sBase = static_cast<const uint8_t*>(src->pData);
    uint8_t* dBase = static_cast<uint8_t*>(dst->pData);
    const double px = t.sx + t.cx, py = t.sy + t.cy;
    const double du = roundStep(t.m00), dv = roundStep(-t.m01);
    const int64_t DU = std::llround(du * kUnit), DV = std::llround(dv * kUnit);
    for (uint32_t i = 0; i < rows; ++i) {
        const int64_t y = left[i].y;
        if (y < 0 || y >= int64_t(dst->uiHeight))
            continue;
        const int64_t x0 = std::max<int64_t>(left[i].x, 0);
        const int64_t x1 = std::min<int64_t>(right[i].x, int64_t(dst->uiWidth) - 1);
        if (x0 > x1)
            continue;
        const double u0 = roundPosition(t.m00 * (x0 - px) - t.m10 * (y - py) + t.cx);
        const double v0 = roundPosition(-t.m01 * (x0 - px) + t.m11 * (y - py) + t.cy);
        if (!(std::fabs(u0) < kFarAway && std::fabs(v0) < kFarAway))
            continue;
        const int64_t U0 = std::llround(u0 * kUnit), V0 = std::llround(v0 * kUnit);
        int64_t lo = 0, hi = x1 - x0;
        clampSpan(U0, DU, W << kFractionBits, lo, hi);
        clampSpan(V0, DV, H << kFractionBits, lo, hi);
        if (lo > hi)
            continue;
        int64_t U = U0 + lo * DU, V = V0 + lo * DV;
        T* out =
            reinterpret_cast<T*>(dBase + size_t(y) * dst->uiWidthBytes) + size_t(x0 + lo) * comps;
        for (int64_t k = lo; k <= hi; ++k, U += DU, V += DV, out += comps) {
            const int64_t ix = U >> kFractionBits, iy = V >> kFractionBits;
            const uint32_t fx = uint32_t(U >> kWeightShift) & 4095u;
            const uint32_t fy = uint32_t(V >> kWeightShift) & 4095u;
            // The last column and row are their own right and lower
            // neighbours.
            const size_t right1 = ix < W - 1 ? comps : 0;
            const size_t below = iy < H - 1 ? pitch : 0;
            const T* a =
                reinterpret_cast<const T*>(sBase + size_t(iy) * pitch) + size_t(ix) * comps;
            const T* c = reinterpret_cast<const T*>(reinterpret_cast<const uint8_t*>(a) + below);
            for (uint32_t ch = 0; ch < comps; ++ch)
                out[ch] = T(blend<T>(a[ch], a[ch + right1], c[ch], c[ch + right1], fx, fy));
        }
    }
}

} // namespace

LX_KERNEL_CLONES void rotategeneral_linear_1x8(SLxPicBuf* dst, const SLxPicBuf* src,
                                               const SLxIPoint* left, const SLxIPoint* right,
                                               uint32_t rows, const RotationTransform* t)
{
    linearRows<uint8_t, 1>(dst, src, left, right, rows, *t);
}

LX_KERNEL_CLONES void rotategeneral_linear_3x8(SLxPicBuf* dst, const SLxPicBuf* src,
                                               const SLxIPoint* left, const SLxIPoint* right,
                                               uint32_t rows, const RotationTransform* t)
{
    linearRows<uint8_t, 3>(dst, src, left, right, rows, *t);
}

void rotategeneral_linear_Nx8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxIPoint* left,
                              const SLxIPoint* right, uint32_t rows, const RotationTransform* t)
{
    linearRows<uint8_t, 0>(dst, src, left, right, rows, *t);
}

LX_KERNEL_CLONES void rotategeneral_linear_1x16(SLxPicBuf* dst, const SLxPicBuf* src,
                                                const SLxIPoint* left, const SLxIPoint* right,
                                                uint32_t rows, const RotationTransform* t)
{
    linearRows<uint16_t, 1>(dst, src, left, right, rows, *t);
}

LX_KERNEL_CLONES void rotategeneral_linear_3x16(SLxPicBuf* dst, const SLxPicBuf* src,
                                                const SLxIPoint* left, const SLxIPoint* right,
                                                uint32_t rows, const RotationTransform* t)
{
    linearRows<uint16_t, 3>(dst, src, left, right, rows, *t);
}

void rotategeneral_linear_Nx16(SLxPicBuf* dst, const SLxPicBuf* src, const SLxIPoint* left,
                               const SLxIPoint* right, uint32_t rows, const RotationTransform* t)
{
    linearRows<uint16_t, 0>(dst, src, left, right, rows, *t);
}

RotateGeneralKernel rotategeneral_kernel_for(uint32_t bits, uint32_t comps, int* status)
{
    // 1 to 7 bits would be read as two-byte samples; deeper pictures have
    // no kernel.
    if (bits < 8 || bits > 16 || comps == 0) {
        if (status)
            *status = -2;
        return nullptr;
    }
    if (status)
        *status = 0;
    if (bits == 8)
        return comps == 1   ? rotategeneral_linear_1x8
               : comps == 3 ? rotategeneral_linear_3x8
                            : rotategeneral_linear_Nx8;
    return comps == 1   ? rotategeneral_linear_1x16
           : comps == 3 ? rotategeneral_linear_3x16
                        : rotategeneral_linear_Nx16;
}

void rotategeneral_shift(SLxPicBuf* dst, const SLxPicBuf* src, int64_t dx, int64_t dy)
{
    const int64_t y0 = std::max<int64_t>(dy, 0);
    const int64_t y1 = std::min<int64_t>(dst->uiHeight, dy + int64_t(src->uiHeight));
    const int64_t x0 = std::max<int64_t>(dx, 0);
    const int64_t x1 = std::min<int64_t>(dst->uiWidth, dx + int64_t(src->uiWidth));
    if (y0 >= y1 || x0 >= x1)
        return;
    const size_t pixel = size_t(src->uiComps) * (src->uiBpc > 8 ? 2 : 1);
    for (int64_t y = y0; y < y1; ++y) {
        const uint8_t* from = static_cast<const uint8_t*>(src->pData) +
                              size_t(y - dy) * src->uiWidthBytes + size_t(x0 - dx) * pixel;
        uint8_t* to =
            static_cast<uint8_t*>(dst->pData) + size_t(y) * dst->uiWidthBytes + size_t(x0) * pixel;
        std::memmove(to, from, size_t(x1 - x0) * pixel);
    }
}

} // namespace lxpic
