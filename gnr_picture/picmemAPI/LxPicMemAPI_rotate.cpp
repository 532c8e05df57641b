// Dispatchers of the rotation kernels.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>

#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxRotateInternal.h"
#include "gnr_picture/picmemAPI/LxRotateKernels.h"

namespace
{

constexpr double kDegree = 0.017453292519943334;
constexpr double kExact = 1e-10;

// Into [0, 360); the same value the repeated addition or subtraction of 360
// gives, without a loop that never ends for huge angles.
double normaliseAngle(double angle)
{
    double a = std::fmod(angle, 360.0);
    if (a < 0.0)
        a += 360.0;
    if (a >= 360.0) // a tiny negative angle plus 360
        a -= 360.0;
    return a;
}

uint32_t sampleBytesOf(uint32_t bits)
{
    return bits == 0 ? 0 : bits <= 8 ? 1 : bits <= 16 ? 2 : bits <= 32 ? 4 : bits <= 64 ? 8 : 0;
}

// Bytes from a picture's first pixel to past its last one.
uint64_t extentOf(uint32_t pitch, uint32_t width, uint32_t lines, uint32_t pixelBytes)
{
    return uint64_t(lines - 1) * pitch + uint64_t(width) * pixelBytes;
}

bool overlap(const void* a, uint64_t aBytes, const void* b, uint64_t bBytes)
{
    const auto pa = reinterpret_cast<uintptr_t>(a);
    const auto pb = reinterpret_cast<uintptr_t>(b);
    return pa < pb + bBytes && pb < pa + aBytes;
}

// The checks Rotate and RotateMatrix share. 1 when there is work, else the
// status to return.
struct Prepared {
    int status;
    uint32_t dstH, srcH;
};

Prepared prepare(const void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstCount, const void* src,
                 uint32_t srcWB, uint32_t srcW, uint32_t srcCount, uint32_t comps, uint32_t bits)
{
    if (dstW == 0 || srcW == 0 || dstCount / dstW == 0 || srcCount / srcW == 0)
        return {0, 0, 0};
    const uint32_t dstH = dstCount / dstW;
    const uint32_t srcH = srcCount / srcW;
    if (!dst || !src || comps == 0)
        return {-4, 0, 0};
    const uint32_t sample = sampleBytesOf(bits);
    if (sample == 0)
        return {-2, 0, 0};
    const uint32_t p = sample * comps;
    if (overlap(dst, extentOf(dstWB, dstW, dstH, p), src, extentOf(srcWB, srcW, srcH, p)))
        return {-4, 0, 0};
    return {1, dstH, srcH};
}

} // namespace

int CLxPicMemAPI::RotateGetDestSize(uint32_t* dstW, uint32_t* dstH, uint32_t width, uint32_t height,
                                    double angle)
{
    if (!dstW || !dstH || !std::isfinite(angle))
        return -4;
    if (angle < 0.0) {
        angle = std::fmod(angle, 360.0);
        if (angle < 0.0)
            angle += 360.0;
    }
    if (angle == 0.0 || angle == 180.0) {
        *dstW = width;
        *dstH = height;
        return 0;
    }
    if (angle == 90.0 || angle == 270.0) {
        *dstW = height;
        *dstH = width;
        return 0;
    }
    const double a = angle * kDegree;
    const double c = std::fabs(std::cos(a));
    const double s = std::fabs(std::sin(a));
    *dstW = uint32_t(width * c + height * s);
    *dstH = uint32_t(width * s + height * c);
    return 0;
}

int CLxPicMemAPI::Rotate(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstCount,
                         const void* src, uint32_t srcWB, uint32_t srcW, uint32_t srcCount,
                         uint32_t comps, uint32_t bits, double angle, const void* background,
                         ELxPicStretchMode mode, bool fit)
{
    if (!std::isfinite(angle))
        return -4;
    const Prepared p = prepare(dst, dstWB, dstW, dstCount, src, srcWB, srcW, srcCount, comps, bits);
    if (p.status != 1)
        return p.status;
    const double a = normaliseAngle(angle);
    if (dstCount == srcCount && dstW == srcW) {
        if (a < kExact)
            return Copy(dst, dstWB, src, srcWB, comps, bits, srcW, srcCount);
        if (std::fabs(a - 180.0) < kExact)
            return rotate_180(dst, dstWB, dstW, p.dstH, src, srcWB, srcW, p.srcH, comps, bits);
    }
    if (dstCount == srcCount && p.dstH == srcW) {
        if (std::fabs(a - 90.0) < kExact)
            return rotate_90(dst, dstWB, dstW, p.dstH, src, srcWB, srcW, p.srcH, comps, bits);
        if (std::fabs(a - 270.0) < kExact)
            return rotate_270(dst, dstWB, dstW, p.dstH, src, srcWB, srcW, p.srcH, comps, bits);
    }
    const double wd = dstW, hd = p.dstH, ws = srcW, hs = p.srcH;
    double c = std::cos(a * kDegree);
    double s = std::sin(a * kDegree);
    if (fit) {
        const double across = ws * std::fabs(c) + hs * std::fabs(s);
        const double down = ws * std::fabs(s) + hs * std::fabs(c);
        const double scale = std::max(across / wd, down / hd);
        c *= scale;
        s *= scale;
    }
    const double m4 = ws / 2 + s * hd / 2 - c * wd / 2;
    const double m5 = hs / 2 - c * hd / 2 - s * wd / 2;
    return rotate_resample_dispatch(dst, dstWB, dstW, p.dstH, src, srcWB, srcW, p.srcH, comps, bits,
                                    c, s, -s, c, m4, m5, background, mode);
}

int CLxPicMemAPI::RotateMatrix(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstCount,
                               const void* src, uint32_t srcWB, uint32_t srcW, uint32_t srcCount,
                               uint32_t comps, uint32_t bits, double m0, double m1, double m2,
                               double m3, double m4, double m5, const void* background,
                               ELxPicStretchMode mode)
{
    for (double m : {m0, m1, m2, m3, m4, m5})
        if (!std::isfinite(m))
            return -4;
    const Prepared p = prepare(dst, dstWB, dstW, dstCount, src, srcWB, srcW, srcCount, comps, bits);
    if (p.status != 1)
        return p.status;
    return rotate_resample_dispatch(dst, dstWB, dstW, p.dstH, src, srcWB, srcW, p.srcH, comps, bits,
                                    m0, m1, m2, m3, m4, m5, background, mode);
}

int CLxPicMemAPI::RotateAndClip(void* dst, uint32_t dstWB, uint32_t, uint32_t lines,
                                uint32_t pixels, uint32_t centreHeight, const void* src,
                                uint32_t srcWB, uint32_t, uint32_t, uint32_t clipW, uint32_t clipH,
                                uint32_t, uint32_t, double angle, int32_t left, int32_t right,
                                int32_t top, int32_t bottom, double shiftX, double shiftY,
                                ELxPicStretchMode mode)
{
    if (!std::isfinite(angle) || !dst || !src)
        return -4;
    const SLxClipGeometry g{lines, pixels, centreHeight, clipW,  clipH,  left,
                            right, top,    bottom,       shiftX, shiftY, normaliseAngle(angle)};
    return mode == 1 ? rotateandclip_nearest(dst, dstWB, src, srcWB, g)
                     : rotateandclip_linear(dst, dstWB, src, srcWB, g);
}

int CLxPicMemAPI::RotateAndClip(void* dst, void* mask, uint32_t dstWB, uint32_t maskWidth,
                                uint32_t lines, uint32_t pixels, uint32_t centreHeight,
                                const void* src, uint32_t srcWB, uint32_t, uint32_t, uint32_t clipW,
                                uint32_t clipH, uint32_t, uint32_t, double angle, int32_t left,
                                int32_t right, int32_t top, int32_t bottom, double shiftX,
                                double shiftY, ELxPicStretchMode mode)
{
    if (!std::isfinite(angle) || !dst || !mask || !src)
        return -4;
    const SLxClipGeometry g{lines, pixels, centreHeight, clipW,  clipH,  left,
                            right, top,    bottom,       shiftX, shiftY, normaliseAngle(angle)};
    return mode == 1 ? rotateandclip_nearest_dual(dst, mask, dstWB, maskWidth, src, srcWB, g)
                     : rotateandclip_linear_dual(dst, mask, dstWB, maskWidth, src, srcWB, g);
}
