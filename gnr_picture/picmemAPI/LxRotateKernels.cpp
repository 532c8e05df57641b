#include "gnr_picture/picmemAPI/LxRotateKernels.h"

#include "gnr_picture/picmemAPI/LxKernelClones.h"
#include "gnr_picture/picmemAPI/LxRotateInternal.h"
#include "gnr_picture/picmemAPI/LxRotateKernelsT.h"

using namespace lxrot;

namespace
{

DstPlane dstPlane(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH)
{
    return {static_cast<uint8_t*>(dst), dstWB, dstW, dstH};
}
SrcPlane srcPlane(const void* src, uint32_t srcWB, uint32_t srcW, uint32_t srcH)
{
    return {static_cast<const uint8_t*>(src), srcWB, srcW, srcH};
}

// One clone pair per member: the loops are inlined into each.
#define LX_NEAREST(P)                                                                              \
    LX_KERNEL_CLONES void nearest##P(const DstPlane& d, const SrcPlane& s, const Affine& m,        \
                                     const uint8_t* bg, size_t n)                                  \
    {                                                                                              \
        rotateNearest<P>(d, s, m, bg, n);                                                          \
    }
LX_NEAREST(0)
LX_NEAREST(1)
LX_NEAREST(2)
LX_NEAREST(3)
LX_NEAREST(4)
LX_NEAREST(6)
LX_NEAREST(8)

#define LX_LINEAR(T, C, I, NAME)                                                                   \
    LX_KERNEL_CLONES void NAME(const DstPlane& d, const SrcPlane& s, const Affine& m,              \
                               const uint8_t* bg)                                                  \
    {                                                                                              \
        rotateLinear<T, C, I>(d, s, m, bg);                                                        \
    }
LX_LINEAR(uint8_t, 1, int32_t, linear1x8_32)
LX_LINEAR(uint8_t, 3, int32_t, linear3x8_32)
LX_LINEAR(uint8_t, 4, int32_t, linear4x8_32)
LX_LINEAR(uint16_t, 1, int32_t, linear1x16_32)
LX_LINEAR(uint16_t, 3, int32_t, linear3x16_32)
LX_LINEAR(uint16_t, 4, int32_t, linear4x16_32)

using NearestLoop = void (*)(const DstPlane&, const SrcPlane&, const Affine&, const uint8_t*,
                             size_t);
using LinearLoop = void (*)(const DstPlane&, const SrcPlane&, const Affine&, const uint8_t*);

int nearest(NearestLoop loop, void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
            const void* src, uint32_t srcWB, uint32_t srcW, uint32_t srcH, const Affine& m,
            const void* background, uint32_t pixelBytes)
{
    loop(dstPlane(dst, dstWB, dstW, dstH), srcPlane(src, srcWB, srcW, srcH), m,
         static_cast<const uint8_t*>(background), pixelBytes);
    return 0;
}

// The 32-bit loop when every position fits it, else the same steps in 64
// bits; both give the same picture.
template <class T, int C>
int linear(LinearLoop loop32, void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
           const void* src, uint32_t srcWB, uint32_t srcW, uint32_t srcH, const Affine& m,
           const void* background)
{
    const DstPlane d = dstPlane(dst, dstWB, dstW, dstH);
    const SrcPlane s = srcPlane(src, srcWB, srcW, srcH);
    const auto* bg = static_cast<const uint8_t*>(background);
    const LinearFrame f = linearFrame(dstW, m);
    if (linearFits32(f, dstW, dstH, m)) {
        loop32(d, s, m, bg);
    } else if (linearFits64(f, dstW, dstH, m)) {
        rotateLinear<T, C, int64_t>(d, s, m, bg);
    } else {
        // Steps of many million pixels: at most a pixel here and there
        // falls on the source; the nearest sample of the same centred
        // position stands in for the blend.
        fillBackground(d, bg, sizeof(T) * C);
        const Affine centred{
            m.m0, m.m1, m.m2, m.m3, m.m4 + 0.5 * (m.m0 + m.m2), m.m5 + 0.5 * (m.m1 + m.m3)};
        rotateNearest<sizeof(T) * C>(d, s, centred, nullptr, 0);
    }
    return 0;
}

} // namespace

#define LX_ROTATE_ARGS                                                                             \
    void *dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH, const void *src, uint32_t srcWB,      \
        uint32_t srcW, uint32_t srcH, double m0, double m1, double m2, double m3, double m4,       \
        double m5, const void *background
#define LX_ROTATE_PASS                                                                             \
    dst, dstWB, dstW, dstH, src, srcWB, srcW, srcH, Affine                                         \
    {                                                                                              \
        m0, m1, m2, m3, m4, m5                                                                     \
    }

int RotateNearest_1x8(LX_ROTATE_ARGS)
{
    return nearest(nearest1, LX_ROTATE_PASS, background, 1);
}
int RotateNearest_3x8(LX_ROTATE_ARGS)
{
    return nearest(nearest3, LX_ROTATE_PASS, background, 3);
}
int RotateNearest_4x8(LX_ROTATE_ARGS)
{
    return nearest(nearest4, LX_ROTATE_PASS, background, 4);
}
int rotate_nearest_1x16(LX_ROTATE_ARGS)
{
    return nearest(nearest2, LX_ROTATE_PASS, background, 2);
}
int rotate_nearest_3x16(LX_ROTATE_ARGS)
{
    return nearest(nearest6, LX_ROTATE_PASS, background, 6);
}
int rotate_nearest_4x16(LX_ROTATE_ARGS)
{
    return nearest(nearest8, LX_ROTATE_PASS, background, 8);
}
int rotate_nearest_bytes(LX_ROTATE_ARGS, uint32_t pixelBytes)
{
    if (pixelBytes == 0)
        return 0;
    return nearest(nearest0, LX_ROTATE_PASS, background, pixelBytes);
}

int rotate_linear_1x8(LX_ROTATE_ARGS)
{
    return linear<uint8_t, 1>(linear1x8_32, LX_ROTATE_PASS, background);
}
int rotate_linear_3x8(LX_ROTATE_ARGS)
{
    return linear<uint8_t, 3>(linear3x8_32, LX_ROTATE_PASS, background);
}
int rotate_linear_4x8(LX_ROTATE_ARGS)
{
    return linear<uint8_t, 4>(linear4x8_32, LX_ROTATE_PASS, background);
}
int rotate_linear_1x16(LX_ROTATE_ARGS)
{
    return linear<uint16_t, 1>(linear1x16_32, LX_ROTATE_PASS, background);
}
int rotate_linear_3x16(LX_ROTATE_ARGS)
{
    return linear<uint16_t, 3>(linear3x16_32, LX_ROTATE_PASS, background);
}
int rotate_linear_4x16(LX_ROTATE_ARGS)
{
    return linear<uint16_t, 4>(linear4x16_32, LX_ROTATE_PASS, background);
}

int rotate_resample_dispatch(void* dst, uint32_t dstWB, uint32_t dstW, uint32_t dstH,
                             const void* src, uint32_t srcWB, uint32_t srcW, uint32_t srcH,
                             uint32_t comps, uint32_t bits, double m0, double m1, double m2,
                             double m3, double m4, double m5, const void* background, int32_t mode)
{
    const uint32_t sample = bits == 0    ? 0
                            : bits <= 8  ? 1
                            : bits <= 16 ? 2
                            : bits <= 32 ? 4
                            : bits <= 64 ? 8
                                         : 0;
    if (sample == 0)
        return -2;
    const bool nearestMode = mode == 1;
    if (sample <= 2 && (comps == 1 || comps == 3 || comps == 4)) {
        using Kernel = int (*)(LX_ROTATE_ARGS);
        // [16-bit][bilinear][comps 1, 3, 4]
        static constexpr Kernel kernels[2][2][3] = {
            {{RotateNearest_1x8, RotateNearest_3x8, RotateNearest_4x8},
             {rotate_linear_1x8, rotate_linear_3x8, rotate_linear_4x8}},
            {{rotate_nearest_1x16, rotate_nearest_3x16, rotate_nearest_4x16},
             {rotate_linear_1x16, rotate_linear_3x16, rotate_linear_4x16}}};
        const Kernel k = kernels[sample - 1][nearestMode ? 0 : 1][comps == 1 ? 0 : comps - 2];
        return k(dst, dstWB, dstW, dstH, src, srcWB, srcW, srcH, m0, m1, m2, m3, m4, m5,
                 background);
    }
    return rotate_nearest_bytes(dst, dstWB, dstW, dstH, src, srcWB, srcW, srcH, m0, m1, m2, m3, m4,
                                m5, background, sample * comps);
}
