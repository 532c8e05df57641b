// The resampling loops behind the rotation kernels: nearest neighbour for any
// pixel size and bilinear interpolation in fixed point, one template each.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "gnr_picture/LxPicLibTables.h"

// Loops compiled inside each clone of the kernel that calls them.
#define LX_ROTATE_INLINE __attribute__((always_inline)) inline

namespace lxrot
{

// The six values of a transform from destination to source positions.
struct Affine {
    double m0, m1, m2, m3, m4, m5;
};

// A picture as the kernels see it.
template <class Byte> struct Plane {
    Byte* data;
    size_t pitch;
    uint32_t width;
    uint32_t height;
    Byte* line(uint32_t y) const { return data + y * pitch; }
};
using DstPlane = Plane<uint8_t>;
using SrcPlane = Plane<const uint8_t>;

// Copies one pixel of P bytes; P = 0 takes the size from the call.
template <size_t P> inline void copyPixel(uint8_t* d, const uint8_t* s, size_t n)
{
    if constexpr (P == 0)
        std::memcpy(d, s, n);
    else
        std::memcpy(d, s, P);
}

// Nearest neighbour: the source pixel at the position truncated toward zero.
// Positions advance by addition in double precision, line starts by (m2, m3)
// and pixels by (m0, m1).
template <size_t P>
LX_ROTATE_INLINE void rotateNearest(const DstPlane& d, const SrcPlane& s, const Affine& m,
                                    const uint8_t* background, size_t runtimeBytes)
{
    const size_t p = P ? P : runtimeBytes;
    // trunc(v) lies in [0, n) exactly when v lies in (-1, n); NaN fails both.
    const double xEnd = double(s.width);
    const double yEnd = double(s.height);
    double lineX = m.m4;
    double lineY = m.m5;
    for (uint32_t y = 0; y < d.height; ++y) {
        uint8_t* out = d.line(y);
        double sx = lineX;
        double sy = lineY;
        for (uint32_t x = 0; x < d.width; ++x, out += p) {
            if (sx > -1.0 && sx < xEnd && sy > -1.0 && sy < yEnd)
                copyPixel<P>(out, s.line(uint32_t(sy)) + uint32_t(sx) * p, p);
            else if (background)
                copyPixel<P>(out, background, p);
            sx += m.m0;
            sy += m.m1;
        }
        lineX += m.m2;
        lineY += m.m3;
    }
}

// --- Bilinear -------------------------------------------------------------

// Positions beyond this many fixed-point units are held there: no picture
// reaches them, and the integer arithmetic stays defined.
constexpr double kFixedLimit = 4611686018427387904.0; // 2^62

inline int64_t toFixed(double v)
{
    if (!(v > -kFixedLimit))
        return int64_t(-kFixedLimit);
    if (!(v < kFixedLimit))
        return int64_t(kFixedLimit);
    return int64_t(v);
}

// Half away from zero.
inline int64_t roundFixed(double v)
{
    return toFixed(v > 0.0 ? v + 0.5 : v - 0.5);
}

inline int64_t floorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}
inline int64_t ceilDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && ((a < 0) == (b < 0))) ? q + 1 : q;
}

// Narrows [k0, k1) to the steps k with lo <= a + k d <= hi.
inline void clampRun(int64_t a, int64_t d, int64_t lo, int64_t hi, int64_t& k0, int64_t& k1)
{
    if (d == 0) {
        if (a < lo || a > hi)
            k1 = k0;
    } else if (d > 0) {
        k0 = std::max(k0, ceilDiv(lo - a, d));
        k1 = std::min(k1, floorDiv(hi - a, d) + 1);
    } else {
        k0 = std::max(k0, ceilDiv(hi - a, d));
        k1 = std::min(k1, floorDiv(lo - a, d) + 1);
    }
}

// The fixed-point frame of one call: units of 1/D source pixel, D = 256 Wd,
// so that the truncated steps drift by less than 1/256 pixel along a line.
struct LinearFrame {
    int64_t D;
    int64_t dx, dy;
    double startX, startY; // line 0, half a line step included
};

inline LinearFrame linearFrame(uint32_t dstW, const Affine& m)
{
    LinearFrame f;
    f.D = 256 * int64_t(dstW);
    f.dx = toFixed(double(f.D) * m.m0);
    f.dy = toFixed(double(f.D) * m.m1);
    // Pixel centres on both axes: half a step along the line (dx / 2 below)
    // and half a line step here.
    f.startX = m.m4 - 0.5 + 0.5 * m.m2;
    f.startY = m.m5 - 0.5 + 0.5 * m.m3;
    return f;
}

// Whether 32-bit arithmetic holds every position: the four corners of the
// destination within +-(2^29 - 1) units (positions are linear, so every
// pixel lies between them, with room to spare for the rounding of the line
// starts).
inline bool linearFits32(const LinearFrame& f, uint32_t dstW, uint32_t dstH, const Affine& m)
{
    constexpr double limit = 536870911.0;
    for (uint32_t corner = 0; corner < 4; ++corner) {
        const double y = (corner & 1) ? double(dstH) : 0.0;
        const double x = (corner & 2) ? double(dstW) : 0.0;
        const double X = double(f.D) * (f.startX + y * m.m2) + double(f.dx / 2) + x * double(f.dx);
        const double Y = double(f.D) * (f.startY + y * m.m3) + double(f.dy / 2) + x * double(f.dy);
        if (!(std::fabs(X) <= limit && std::fabs(Y) <= limit))
            return false;
    }
    return true;
}

// Blends C samples of type T from the four neighbours with the table entry
// w = (upper-left, lower-left, upper-right, lower-right), truncating.
template <class T, int C>
LX_ROTATE_INLINE void blendPixel(uint8_t* out, const uint8_t* ul, const uint8_t* ll,
                                 const uint8_t* ur, const uint8_t* lr, const uint8_t* w)
{
    const uint32_t w0 = w[0], w1 = w[1], w2 = w[2], w3 = w[3];
    for (int c = 0; c < C; ++c) {
        T a, b, e, g;
        std::memcpy(&a, ul + c * sizeof(T), sizeof(T));
        std::memcpy(&b, ll + c * sizeof(T), sizeof(T));
        std::memcpy(&e, ur + c * sizeof(T), sizeof(T));
        std::memcpy(&g, lr + c * sizeof(T), sizeof(T));
        const T v = T((w0 * a + w1 * b + w2 * e + w3 * g) / 255u);
        std::memcpy(out + c * sizeof(T), &v, sizeof(T));
    }
}

// A pixel near or outside the edges: each neighbour is tested, a missing one
// takes a present one's value (upper-left from lower-left, upper-right,
// lower-right; lower-left from lower-right, upper-left, upper-right;
// upper-right from lower-right, upper-left, lower-left; lower-right from
// upper-right, lower-left, upper-left). Nothing is written without any.
template <class T, int C, class I>
LX_ROTATE_INLINE void edgePixel(uint8_t* out, const SrcPlane& s, I X, I Y, I dstW)
{
    constexpr size_t p = sizeof(T) * C;
    const I P = X / dstW; // toward zero
    const I Q = Y / dstW;
    const int64_t xi = int64_t(P) >> 8;
    const int64_t yi = int64_t(Q) >> 8;
    const uint32_t fx = uint32_t(P & 255);
    const uint32_t fy = uint32_t(Q & 255);
    const bool x0 = xi >= 0 && xi < int64_t(s.width);
    const bool x1 = xi + 1 >= 0 && xi + 1 < int64_t(s.width);
    const bool y0 = yi >= 0 && yi < int64_t(s.height);
    const bool y1 = yi + 1 >= 0 && yi + 1 < int64_t(s.height);
    const uint8_t* ul = x0 && y0 ? s.line(uint32_t(yi)) + size_t(xi) * p : nullptr;
    const uint8_t* ll = x0 && y1 ? s.line(uint32_t(yi + 1)) + size_t(xi) * p : nullptr;
    const uint8_t* ur = x1 && y0 ? s.line(uint32_t(yi)) + size_t(xi + 1) * p : nullptr;
    const uint8_t* lr = x1 && y1 ? s.line(uint32_t(yi + 1)) + size_t(xi + 1) * p : nullptr;
    if (!ul && !ll && !ur && !lr)
        return;
    const uint8_t* a = ul ? ul : ll ? ll : ur ? ur : lr;
    const uint8_t* b = ll ? ll : lr ? lr : ul ? ul : ur;
    const uint8_t* e = ur ? ur : lr ? lr : ul ? ul : ll;
    const uint8_t* g = lr ? lr : ur ? ur : ll ? ll : ul;
    blendPixel<T, C>(out, a, b, e, g, g_LxBilinearWeights[fy][fx]);
}

// Floor division by dstW kept incrementally: pos = q dstW + r, 0 <= r < dstW,
// for positions that stay at or above 0.
template <class I> struct Stepper {
    I q, r;
    I dq, dr;
    I n;
    Stepper(int64_t pos, int64_t step, I dstW)
        : q(I(pos / dstW)), r(I(pos % dstW)), dq(I(floorDiv(step, dstW))),
          dr(I(step - floorDiv(step, dstW) * dstW)), n(dstW)
    {
    }
    void next()
    {
        q += dq;
        r += dr;
        if (r >= n) {
            r -= n;
            ++q;
        }
    }
};

// Fills the background before the resampling: all-0 bytes clear the lines
// with their padding (the last line up to its pixels, the end of the
// caller's memory); another pixel is set into the first dstW pixels.
inline void fillBackground(const DstPlane& d, const uint8_t* background, size_t p)
{
    if (!background || d.height == 0)
        return;
    bool zero = true;
    for (size_t i = 0; i < p; ++i)
        zero = zero && background[i] == 0;
    if (zero) {
        if (d.height > 1)
            std::memset(d.data, 0, (d.height - 1) * d.pitch);
        std::memset(d.line(d.height - 1), 0, d.width * p);
        return;
    }
    for (uint32_t y = 0; y < d.height; ++y) {
        uint8_t* out = d.line(y);
        for (uint32_t x = 0; x < d.width; ++x)
            std::memcpy(out + x * p, background, p);
    }
}

// Whether 64-bit arithmetic holds every position with room for the steps:
// the corners within +-2^60 units. Only degenerate transforms (a step of
// many million pixels) fail it.
inline bool linearFits64(const LinearFrame& f, uint32_t dstW, uint32_t dstH, const Affine& m)
{
    constexpr double limit = 1152921504606846976.0; // 2^60
    for (uint32_t corner = 0; corner < 4; ++corner) {
        const double y = (corner & 1) ? double(dstH) : 0.0;
        const double x = (corner & 2) ? double(dstW) : 0.0;
        const double X = double(f.D) * (f.startX + y * m.m2) + x * double(f.dx);
        const double Y = double(f.D) * (f.startY + y * m.m3) + x * double(f.dy);
        if (!(std::fabs(X) <= limit && std::fabs(Y) <= limit))
            return false;
    }
    return true;
}

// Bilinear resampling of C samples of type T with positions in I (int32_t
// or int64_t; both give the same picture). The caller has checked that I
// holds the positions (linearFits32, linearFits64).
template <class T, int C, class I>
LX_ROTATE_INLINE void rotateLinear(const DstPlane& d, const SrcPlane& s, const Affine& m,
                                   const uint8_t* background)
{
    constexpr size_t p = sizeof(T) * C;
    fillBackground(d, background, p);
    if (d.width == 0 || d.height == 0 || s.width == 0 || s.height == 0)
        return;
    const LinearFrame f = linearFrame(d.width, m);
    const I wd = I(d.width);
    const I dx = I(f.dx);
    const I dy = I(f.dy);
    // The inner run: all four neighbours inside, no tests needed.
    const int64_t xMax = (int64_t(s.width) - 2) * f.D;
    const int64_t yMax = (int64_t(s.height) - 2) * f.D;
    double lineX = f.startX;
    double lineY = f.startY;
    for (uint32_t y = 0; y < d.height; ++y, lineX += m.m2, lineY += m.m3) {
        const int64_t X0 = roundFixed(double(f.D) * lineX) + f.dx / 2;
        const int64_t Y0 = roundFixed(double(f.D) * lineY) + f.dy / 2;
        int64_t k0 = 0, k1 = d.width;
        if (xMax < 0 || yMax < 0) {
            k1 = 0;
        } else {
            clampRun(X0, f.dx, 0, xMax, k0, k1);
            clampRun(Y0, f.dy, 0, yMax, k0, k1);
        }
        // The run ends inside the line; an empty one (k1 <= k0, possibly past
        // the line) leaves every pixel to the edge rule.
        k1 = std::min<int64_t>(k1, d.width);
        k0 = std::min(k0, k1);
        uint8_t* out = d.line(y);
        I X = I(X0);
        I Y = I(Y0);
        int64_t k = 0;
        for (; k < k0; ++k, X += dx, Y += dy)
            edgePixel<T, C, I>(out + k * p, s, X, Y, wd);
        if (k < k1) {
            Stepper<I> px(X0 + k0 * f.dx, f.dx, wd);
            Stepper<I> py(Y0 + k0 * f.dy, f.dy, wd);
            for (; k < k1; ++k) {
                const uint8_t* ul = s.line(uint32_t(py.q >> 8)) + size_t(px.q >> 8) * p;
                const uint8_t* ll = ul + s.pitch;
                blendPixel<T, C>(out + k * p, ul, ll, ul + p, ll + p,
                                 g_LxBilinearWeights[py.q & 255][px.q & 255]);
                px.next();
                py.next();
            }
            X = I(X0 + k1 * f.dx);
            Y = I(Y0 + k1 * f.dy);
        }
        for (; k < int64_t(d.width); ++k, X += dx, Y += dy)
            edgePixel<T, C, I>(out + k * p, s, X, Y, wd);
    }
}

} // namespace lxrot
