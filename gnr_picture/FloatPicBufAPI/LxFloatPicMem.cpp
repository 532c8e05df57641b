// Copies, complex-plane conversions, arithmetic, statistics and padding of
// float planes.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "gnr_picture/FloatPicBufAPI/LxAmpPhase.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxFloatKernels.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

size_t elements(uint32_t comps, uint32_t width, uint32_t count)
{
    return static_cast<size_t>(comps) * (count / width) * width;
}

template <typename Op>
int elementWise(float* dst, const float* a, const float* b, uint32_t comps, uint32_t width,
                uint32_t count, Op op)
{
    if (width == 0 || count == 0)
        return 0;
    const size_t n = elements(comps, width, count);
    for (size_t i = 0; i < n; ++i)
        dst[i] = op(a[i], b[i]);
    return 0;
}

template <typename Op>
int inPlace(float* data, uint32_t width, uint32_t height, uint32_t comps, Op op)
{
    const size_t n = static_cast<size_t>(width) * height * comps;
    for (size_t i = 0; i < n; ++i)
        data[i] = op(data[i]);
    return 0;
}

// Calls f(component, value) for every element of a contiguous plane.
template <typename F>
void forEachComponent(const float* src, uint32_t width, uint32_t height, uint32_t comps, F f)
{
    const size_t pixels = static_cast<size_t>(width) * height;
    for (size_t p = 0; p < pixels; ++p)
        for (uint32_t c = 0; c < comps; ++c)
            f(c, src[p * comps + c]);
}

} // namespace

int CLxFloatPicMemAPI::Copy(float* dst, uint32_t dstWB, const float* src, uint32_t srcWB,
                            uint32_t comps, uint32_t width, uint32_t count)
{
    return copyfloat(dst, dstWB, src, srcWB, comps, width, count);
}

int CLxFloatPicMemAPI::FlipCross(float* dst, const float* src, uint32_t comps, uint32_t,
                                 uint32_t width, uint32_t height)
{
    if (width == 0 || height == 0)
        return 0;
    const size_t line = static_cast<size_t>(width) * comps;
    const size_t half = static_cast<size_t>(width / 2) * comps;
    const size_t rest = line - half;
    for (uint32_t y = 0; y < height; ++y) {
        const float* s = src + y * line;
        float* d = dst + ((y + height / 2) % height) * line;
        std::memcpy(d + rest, s, half * sizeof(float));
        std::memcpy(d, s + half, rest * sizeof(float));
    }
    return 0;
}

int CLxFloatPicMemAPI::Collapse2Intesity(float* dst, const float* src, uint32_t comps,
                                         uint32_t width, uint32_t count)
{
    if (width == 0 || count == 0 || comps == 0)
        return 0;
    const size_t pixels = static_cast<size_t>(count / width) * width;
    for (size_t p = 0; p < pixels; ++p) {
        float sum = 0.0f;
        for (uint32_t c = 0; c < comps; ++c)
            sum += src[p * comps + c];
        dst[p] = sum / static_cast<float>(comps);
    }
    return 0;
}

int CLxFloatPicMemAPI::ExtractComponent(float* dst, uint32_t dstWB, const float* src,
                                        uint32_t srcComps, uint32_t srcWB, uint32_t comp,
                                        uint32_t width, uint32_t count)
{
    return CopyComponent(dst, 1, dstWB, 0, src, srcComps, srcWB, comp, width, count);
}

int CLxFloatPicMemAPI::CopyComponent(float* dst, uint32_t dstComps, uint32_t dstWB,
                                     uint32_t dstComp, const float* src, uint32_t srcComps,
                                     uint32_t srcWB, uint32_t srcComp, uint32_t width,
                                     uint32_t count)
{
    if (width == 0 || count == 0)
        return 0;
    if (dstComp >= dstComps || srcComp >= srcComps)
        return -4;
    return copycomponent_Nxfloat_to_Nxfloat(dst, dstComps, dstWB, dstComp, src, srcComps, srcWB,
                                            srcComp, width, count);
}

int CLxFloatPicMemAPI::SetValue(float* dst, uint32_t comps, uint32_t wb, const float* values,
                                uint32_t width, uint32_t count)
{
    return set_Nxfloat(dst, comps, wb, values, width, count);
}

int CLxFloatPicMemAPI::SetComponentValue(float* dst, uint32_t comps, uint32_t wb, uint32_t comp,
                                         float value, uint32_t width, uint32_t count)
{
    if (width == 0 || count == 0)
        return 0;
    if (comp >= comps)
        return -4;
    return setcomponent_Nxfloat(dst, comps, wb, comp, value, width, count);
}

int CLxFloatPicMemAPI::AmpnPhase_to_RealnImag(float* re, float* im, const float* amp,
                                              const float* phase, uint32_t comps, uint32_t width,
                                              uint32_t count)
{
    if (width == 0 || count == 0)
        return 0;
    const size_t n = elements(comps, width, count);
    for (size_t i = 0; i < n; ++i) {
        const float a = amp[i], p = phase[i];
        re[i] = a * std::cos(p);
        im[i] = a * std::sin(p);
    }
    return 0;
}

int CLxFloatPicMemAPI::RealnImag_to_AmpnPhase(float* amp, float* phase, const float* re,
                                              const float* im, uint32_t comps, uint32_t width,
                                              uint32_t count)
{
    if (width == 0 || count == 0)
        return 0;
    const size_t n = elements(comps, width, count);
    for (size_t i = 0; i < n; ++i)
        lxpic::ampAndPhase(re[i], im[i], &amp[i], &phase[i]);
    return 0;
}

int CLxFloatPicMemAPI::AddFloatnFloat(float* dst, const float* a, const float* b, uint32_t comps,
                                      uint32_t width, uint32_t count)
{
    return elementWise(dst, a, b, comps, width, count, [](float x, float y) { return x + y; });
}

int CLxFloatPicMemAPI::SubFloatnFloat(float* dst, const float* a, const float* b, uint32_t comps,
                                      uint32_t width, uint32_t count)
{
    return elementWise(dst, a, b, comps, width, count, [](float x, float y) { return x - y; });
}

int CLxFloatPicMemAPI::MultiFloatnFloat(float* dst, const float* a, const float* b, uint32_t comps,
                                        uint32_t width, uint32_t count)
{
    return elementWise(dst, a, b, comps, width, count, [](float x, float y) { return x * y; });
}

int CLxFloatPicMemAPI::DivFloatnFloat(float* dst, const float* a, const float* b, uint32_t comps,
                                      uint32_t width, uint32_t count)
{
    return elementWise(dst, a, b, comps, width, count,
                       [](float x, float y) { return y == 0.0f ? 0.0f : x / y; });
}

int CLxFloatPicMemAPI::MultiplybyFloat(float* data, float factor, uint32_t width, uint32_t height,
                                       uint32_t comps)
{
    return inPlace(data, width, height, comps, [factor](float x) { return x * factor; });
}

int CLxFloatPicMemAPI::Logarithm(float* data, uint32_t width, uint32_t height, uint32_t comps)
{
    return inPlace(data, width, height, comps,
                   [](float x) { return x == 0.0f ? x : std::log(std::fabs(x)); });
}

int CLxFloatPicMemAPI::Inversion(float* data, uint32_t width, uint32_t height, uint32_t comps)
{
    return inPlace(data, width, height, comps, [](float x) { return x == 0.0f ? x : 1.0f / x; });
}

int CLxFloatPicMemAPI::MinComp(float* out, const float* src, uint32_t width, uint32_t height,
                               uint32_t comps)
{
    std::fill(out, out + comps, 1e20f);
    forEachComponent(src, width, height, comps,
                     [out](uint32_t c, float v) { out[c] = std::min(out[c], v); });
    return 0;
}

int CLxFloatPicMemAPI::MaxComp(float* out, const float* src, uint32_t width, uint32_t height,
                               uint32_t comps)
{
    std::fill(out, out + comps, -1e20f);
    forEachComponent(src, width, height, comps,
                     [out](uint32_t c, float v) { out[c] = std::max(out[c], v); });
    return 0;
}

int CLxFloatPicMemAPI::MeanComp(float* out, const float* src, uint32_t width, uint32_t height,
                                uint32_t comps)
{
    if (width == 0 || height == 0)
        return 0;
    std::fill(out, out + comps, 0.0f);
    forEachComponent(src, width, height, comps, [out](uint32_t c, float v) { out[c] += v; });
    const float n = static_cast<float>(static_cast<double>(width) * height);
    for (uint32_t c = 0; c < comps; ++c)
        out[c] /= n;
    return 0;
}

int CLxFloatPicMemAPI::MedianComp(float* out, const float* src, uint32_t width, uint32_t height,
                                  uint32_t comps)
{
    if (width == 0 || height == 0)
        return 0;
    const size_t pixels = static_cast<size_t>(width) * height;
    float* values = static_cast<float*>(CLxAlloc::Alloc(0, pixels * sizeof(float)));
    if (!values)
        return -3;
    for (uint32_t c = 0; c < comps; ++c) {
        for (size_t p = 0; p < pixels; ++p)
            values[p] = src[p * comps + c];
        std::nth_element(values, values + pixels / 2, values + pixels);
        out[c] = values[pixels / 2];
    }
    CLxAlloc::Free(values);
    return 0;
}

int CLxFloatPicMemAPI::DeviationComp(float* out, const float* mean, const float* src,
                                     uint32_t width, uint32_t height, uint32_t comps)
{
    if (width == 0 || height == 0)
        return 0;
    std::fill(out, out + comps, 0.0f);
    forEachComponent(src, width, height, comps, [out, mean](uint32_t c, float v) {
        const float d = v - mean[c];
        out[c] += d * d;
    });
    const double n = static_cast<double>(width) * height;
    for (uint32_t c = 0; c < comps; ++c)
        out[c] = n > 1.0 ? std::sqrt(out[c] / static_cast<float>(n - 1.0)) : 0.0f;
    return 0;
}

int CLxFloatPicMemAPI::CutImage(float* dst, uint32_t dstW, uint32_t dstH, const float* src,
                                uint32_t srcW, uint32_t srcH, int32_t x, int32_t y, uint32_t comps)
{
    if (dstW == 0 || dstH == 0 || srcW == 0 || srcH == 0)
        return 0;
    const int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t(x) + dstW, srcW);
    const int64_t bottom = std::min<int64_t>(int64_t(y) + dstH, srcH);
    if (left >= right || top >= bottom)
        return 0;
    const size_t run = static_cast<size_t>(right - left) * comps;
    const int64_t dx = std::max<int64_t>(-int64_t(x), 0), dy = std::max<int64_t>(-int64_t(y), 0);
    for (int64_t line = top; line < bottom; ++line)
        std::memcpy(dst + (static_cast<size_t>(dy + line - top) * dstW + dx) * comps,
                    src + (static_cast<size_t>(line) * srcW + left) * comps, run * sizeof(float));
    return 0;
}

int CLxFloatPicMemAPI::ZeroPad(float* dst, uint32_t dstW, uint32_t dstH, const float* src,
                               uint32_t srcW, uint32_t srcH, uint32_t comps)
{
    if (srcW > dstW || srcH > dstH)
        return -4;
    std::memset(dst, 0, static_cast<size_t>(dstW) * dstH * comps * sizeof(float));
    return copyrect_float(dst, dstW, dstH, src, srcW, srcH, (dstW - srcW) / 2, (dstH - srcH) / 2,
                          comps);
}

int CLxFloatPicMemAPI::TilePad(float* dst, uint32_t dstW, uint32_t dstH, const float* src,
                               uint32_t srcW, uint32_t srcH, uint32_t comps)
{
    if (srcW > dstW || srcH > dstH)
        return -4;
    if (srcW == 0 || srcH == 0)
        return 0;
    const uint32_t ox = (dstW - srcW) / 2, oy = (dstH - srcH) / 2;
    // Every destination pixel takes the source pixel it meets when the
    // source repeats periodically around its centred copy.
    for (uint32_t dy = 0; dy < dstH; ++dy) {
        const uint32_t sy =
            static_cast<uint32_t>((int64_t(dy) - oy + int64_t(srcH) * (oy / srcH + 1)) % srcH);
        for (uint32_t dx = 0; dx < dstW; ++dx) {
            const uint32_t sx =
                static_cast<uint32_t>((int64_t(dx) - ox + int64_t(srcW) * (ox / srcW + 1)) % srcW);
            std::memcpy(dst + (static_cast<size_t>(dy) * dstW + dx) * comps,
                        src + (static_cast<size_t>(sy) * srcW + sx) * comps, comps * sizeof(float));
        }
    }
    return 0;
}
