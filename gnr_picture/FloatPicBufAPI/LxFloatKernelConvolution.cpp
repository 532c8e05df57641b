// Integer pictures filtered with integer kernel matrices in float
// arithmetic: directly, or through 64 x 64 transforms of overlapping tiles.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "gnr_picture/FloatPicBufAPI/LxFilterBuf.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatLanes.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicBufAPI.h"
#include "gnr_picture/FloatPicBufAPI/LxFloatPicMemAPI.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

constexpr uint32_t kTile = 64;

struct FloatBlock {
    float* p = nullptr;
    explicit FloatBlock(uint64_t count)
    {
        if (count <= SIZE_MAX / sizeof(float))
            p = static_cast<float*>(CLxAlloc::Alloc(0, static_cast<size_t>(count) * sizeof(float)));
    }
    ~FloatBlock() { CLxAlloc::Free(p); }
    FloatBlock(const FloatBlock&) = delete;
    FloatBlock& operator=(const FloatBlock&) = delete;
};

bool wideSamples(const SLxPicBuf& pic)
{
    return pic.uiBpc > 8;
}

// Bytes up to 8 bits, 16-bit words up to 16; nothing else.
bool sampleDepth(const SLxPicBuf& pic)
{
    return pic.uiBpc >= 1 && pic.uiBpc <= 16;
}

bool holdsSamples(const SLxPicBuf& pic)
{
    const uint64_t line = uint64_t(wideSamples(pic) ? 2 : 1) * pic.uiWidth * pic.uiComps;
    return pic.pData && pic.uiWidthBytes >= line &&
           uint64_t(pic.uiWidthBytes) * (pic.uiHeight - 1) + line <= pic.uiSize;
}

// Both pictures set, of one size, components and depth, non-empty and
// holding their lines.
int checkPictures(const SLxPicBuf* dst, const SLxPicBuf* src)
{
    if (!dst || !src)
        return -9;
    if (src->uiWidth == 0 || src->uiHeight == 0 || src->uiComps == 0)
        return -9;
    if (dst->uiWidth != src->uiWidth || dst->uiHeight != src->uiHeight ||
        dst->uiComps != src->uiComps || dst->uiBpc != src->uiBpc)
        return -9;
    if (!sampleDepth(*src))
        return -2;
    if (!holdsSamples(*src) || !holdsSamples(*dst))
        return -9;
    return 0;
}

// Component comp of line y, count pixels from x on, as floats.
template <class T>
void readComponent(float* out, const SLxPicBuf& pic, uint32_t x, uint32_t y, uint32_t comp,
                   uint32_t count)
{
    const uint8_t* line = static_cast<const uint8_t*>(pic.pData) + size_t(y) * pic.uiWidthBytes;
    size_t index = size_t(x) * pic.uiComps + comp;
    for (uint32_t i = 0; i < count; ++i, index += pic.uiComps) {
        T v;
        std::memcpy(&v, line + sizeof(T) * index, sizeof(T));
        out[i] = v;
    }
}

void readComponent(float* out, const SLxPicBuf& pic, uint32_t x, uint32_t y, uint32_t comp,
                   uint32_t count)
{
    if (wideSamples(pic))
        readComponent<uint16_t>(out, pic, x, y, comp, count);
    else
        readComponent<uint8_t>(out, pic, x, y, comp, count);
}

uint32_t topValue(const SLxPicBuf& pic)
{
    return pic.uiBpc > 8 ? (1u << pic.uiBpc) - 1 : 255;
}

// Rounded half up (truncating v + 0.5 toward zero) and held to [0, top];
// NaN gives 0.
uint32_t storeValue(float v, uint32_t top)
{
    const float r = v + 0.5f;
    if (!(r >= 1.0f))
        return 0;
    if (r >= float(top))
        return top;
    return static_cast<uint32_t>(r);
}

// count floats, step apart, stored into component comp of line y from x on.
template <class T>
void storeComponent(SLxPicBuf& pic, uint32_t x, uint32_t y, uint32_t comp, const float* v,
                    size_t step, uint32_t count)
{
    uint8_t* line = static_cast<uint8_t*>(pic.pData) + size_t(y) * pic.uiWidthBytes;
    const uint32_t top = topValue(pic);
    size_t index = size_t(x) * pic.uiComps + comp;
    for (uint32_t i = 0; i < count; ++i, index += pic.uiComps) {
        const T value = static_cast<T>(storeValue(v[i * step], top));
        std::memcpy(line + sizeof(T) * index, &value, sizeof(T));
    }
}

void storeComponent(SLxPicBuf& pic, uint32_t x, uint32_t y, uint32_t comp, const float* v,
                    size_t step, uint32_t count)
{
    if (wideSamples(pic))
        storeComponent<uint16_t>(pic, x, y, comp, v, step, count);
    else
        storeComponent<uint8_t>(pic, x, y, comp, v, step, count);
}

// Values mapped linearly so that [lo, hi] covers [0, top], held there.
void mapRange(float* v, size_t count, double lo, double hi, uint32_t top)
{
    const float middle = static_cast<float>((lo + hi) / 2);
    const float scale = static_cast<float>(double(top) / (hi - lo));
    const float half = static_cast<float>(double(top) / 2);
    for (size_t i = 0; i < count; ++i)
        v[i] = std::min(std::max((v[i] - middle) * scale + half, 0.0f), float(top));
}

// The values at the fractions low and high of the sorted values, found
// through an integer histogram; wide ranges are first mapped onto 16 bits
// (in place). False for fractions outside [0, 1] or without memory.
bool percentileRange(float* v, size_t count, double low, double high, double* lo, double* hi)
{
    if (!(low >= 0 && low <= 1 && high >= 0 && high <= 1) || count == 0)
        return false;
    const auto mm = std::minmax_element(v, v + count);
    double from = static_cast<float>(std::trunc(double(*mm.first) - 1));
    double to = static_cast<float>(std::trunc(double(*mm.second) + 1));
    uint64_t bins = static_cast<uint64_t>(to - from) + 1;
    if (to - from > 70000) {
        mapRange(v, count, from, to, 65535);
        from = 0;
        to = 65535;
        bins = 65540;
    }
    uint32_t* histogram = static_cast<uint32_t*>(CLxAlloc::Alloc(0, bins * sizeof(uint32_t)));
    if (!histogram)
        return false;
    std::memset(histogram, 0, bins * sizeof(uint32_t));
    for (size_t i = 0; i < count; ++i) {
        const double bin = std::trunc(double(v[i]) - from + 0.5);
        histogram[bin <= 0 ? 0 : bin >= double(bins - 1) ? bins - 1 : uint64_t(bin)]++;
    }
    const double lowCount = double(count) * low, highCount = double(count) * (1 - high);
    uint64_t i = 0;
    double sum = 0;
    for (; sum < lowCount && i < bins; ++i)
        sum += histogram[i];
    *lo = double(i) + from;
    int64_t j = int64_t(bins) - 1;
    sum = 0;
    for (; sum < highCount && j >= 0; --j)
        sum += histogram[j];
    *hi = double(j) + from;
    CLxAlloc::Free(histogram);
    return true;
}

// The 0.1 % and 99.9 % points spread onto the whole sample range; a range
// without width leaves the values as they are.
void stretchToRange(float* v, size_t count, uint32_t top)
{
    double lo = 0, hi = 0;
    if (percentileRange(v, count, 0.001, 0.999, &lo, &hi) && hi != lo)
        mapRange(v, count, lo, hi, top);
}

// A plane of width x height x components floats into the picture.
void storePlane(SLxPicBuf& dst, const float* plane)
{
    const size_t line = size_t(dst.uiWidth) * dst.uiComps;
    for (uint32_t y = 0; y < dst.uiHeight; ++y)
        for (uint32_t c = 0; c < dst.uiComps; ++c)
            storeComponent(dst, 0, y, c, plane + y * line + c, dst.uiComps, dst.uiWidth);
}

// One output line of the direct form from the k padded lines: every output
// sums its window row by row, column by column, whatever the width. Blocks
// of four vectors keep their sums in registers over the window.
template <class V>
LX_KERNEL_INLINE void correlateLine(float* out, const float* const* lines, const float* weights,
                                    uint32_t k, uint32_t width)
{
    constexpr uint32_t n = lxpic::kLanes<V>;
    uint32_t x = 0;
    for (; x + 4 * n <= width; x += 4 * n) {
        V a0{}, a1{}, a2{}, a3{}, p0, p1, p2, p3;
        for (uint32_t r = 0; r < k; ++r) {
            const float* row = lines[r] + x;
            const float* w = weights + size_t(r) * k;
            for (uint32_t c = 0; c < k; ++c) {
                const V wv = V{} + w[c];
                lxpic::loadLanes(p0, row + c);
                lxpic::loadLanes(p1, row + c + n);
                lxpic::loadLanes(p2, row + c + 2 * n);
                lxpic::loadLanes(p3, row + c + 3 * n);
                a0 += p0 * wv;
                a1 += p1 * wv;
                a2 += p2 * wv;
                a3 += p3 * wv;
            }
        }
        lxpic::storeLanes(out + x, a0);
        lxpic::storeLanes(out + x + n, a1);
        lxpic::storeLanes(out + x + 2 * n, a2);
        lxpic::storeLanes(out + x + 3 * n, a3);
    }
    for (; x < width; ++x) {
        float a = 0.0f;
        for (uint32_t r = 0; r < k; ++r)
            for (uint32_t c = 0; c < k; ++c)
                a += lines[r][x + c] * weights[size_t(r) * k + c];
        out[x] = a;
    }
}

#if LX_HAVE_AVX2_PATHS
LX_TARGET_AVX2 void correlateLineAvx2(float* out, const float* const* lines, const float* weights,
                                      uint32_t k, uint32_t width)
{
    correlateLine<lxpic::Float8>(out, lines, weights, k, width);
}
#endif

void correlateLineAny(float* out, const float* const* lines, const float* weights, uint32_t k,
                      uint32_t width)
{
#if LX_HAVE_AVX2_PATHS
    if (lxpic::cpuHasAvx2())
        return correlateLineAvx2(out, lines, weights, k, width);
#endif
    correlateLine<lxpic::Float4>(out, lines, weights, k, width);
}

// Line y (clamped into the picture) of one component with h replicated
// samples on either side.
void paddedLine(float* out, const SLxPicBuf& src, int64_t y, uint32_t comp, uint32_t h)
{
    const uint32_t W = src.uiWidth;
    const uint32_t sy = uint32_t(std::min<int64_t>(std::max<int64_t>(y, 0), src.uiHeight - 1));
    readComponent(out + h, src, 0, sy, comp, W);
    std::fill(out, out + h, out[h]);
    std::fill(out + h + W, out + h + W + h, out[h + W - 1]);
}

} // namespace

int CLxFloatPicBufAPI::Convolution(SLxPicBuf* dst, const SLxPicBuf* src,
                                   const SLxKernelMatrix* kernel, bool stretch)
{
    if (!kernel)
        return -9;
    if (const int status = checkPictures(dst, src))
        return status;
    const uint32_t k = kernel->uiNCols;
    if (k == 0 || k % 2 == 0 || kernel->uiNRows != k || !kernel->piValues)
        return -9;
    SLxFloatKernelMatrix weights;
    if (SLxFloatKernelMatrix::CopyIntToFloat(&weights, kernel) != 0 || !weights.pfValues)
        return -3;

    const uint32_t W = src->uiWidth, H = src->uiHeight, comps = src->uiComps, h = k / 2;
    const size_t paddedW = size_t(W) + 2 * h;
    // k padded lines in turn (line py in slot py mod k), their pointers in
    // window order, one line of sums; all results only when stretching.
    FloatBlock ring(uint64_t(k) * paddedW), sums(W);
    FloatBlock result(stretch ? uint64_t(W) * H * comps : 0);
    const float** lines = static_cast<const float**>(CLxAlloc::Alloc(0, k * sizeof(float*)));
    if (!ring.p || !sums.p || (stretch && !result.p) || !lines) {
        CLxAlloc::Free(lines);
        return -3;
    }
    for (uint32_t c = 0; c < comps; ++c) {
        for (uint32_t r = 0; r + 1 < k; ++r)
            paddedLine(ring.p + r * paddedW, *src, int64_t(r) - h, c, h);
        for (uint32_t y = 0; y < H; ++y) {
            const uint64_t newest = uint64_t(y) + k - 1;
            paddedLine(ring.p + (newest % k) * paddedW, *src, int64_t(newest) - h, c, h);
            for (uint32_t r = 0; r < k; ++r)
                lines[r] = ring.p + ((uint64_t(y) + r) % k) * paddedW;
            correlateLineAny(sums.p, lines, weights.pfValues, k, W);
            if (stretch)
                for (uint32_t x = 0; x < W; ++x)
                    result.p[(size_t(y) * W + x) * comps + c] = sums.p[x];
            else
                storeComponent(*dst, 0, y, c, sums.p, 1, W);
        }
    }
    CLxAlloc::Free(lines);
    if (stretch) {
        stretchToRange(result.p, size_t(W) * H * comps, topValue(*src));
        storePlane(*dst, result.p);
    }
    return 0;
}

int CLxFloatPicBufAPI::ConvolutionWithFFT(SLxPicBuf* dst, const SLxPicBuf* src,
                                          const SLxKernelMatrix* kernel, bool stretch)
{
    if (!kernel)
        return -9;
    if (const int status = checkPictures(dst, src))
        return status;
    const uint32_t k = kernel->uiNCols;
    // Wider kernels leave no output columns per tile; other shapes would be
    // read past their values.
    if (k == 0 || k > kTile || kernel->uiNRows != k || !kernel->piValues)
        return -9;

    const uint32_t W = src->uiWidth, H = src->uiHeight, comps = src->uiComps;
    const uint32_t step = kTile + 1 - k, h = k / 2;
    const size_t tileFloats = size_t(kTile) * kTile;
    // Tiles read samples around their block that earlier tiles would have
    // overwritten in a shared picture: then the results wait in a plane too.
    const uintptr_t srcAt = reinterpret_cast<uintptr_t>(src->pData);
    const uintptr_t dstAt = reinterpret_cast<uintptr_t>(dst->pData);
    const bool shared = dstAt < srcAt + src->uiSize && srcAt < dstAt + dst->uiSize;
    const bool inPlane = stretch || shared;
    FloatBlock result(inPlane ? uint64_t(W) * H * comps : 0);
    if (inPlane && !result.p)
        return -3;
    FloatBlock planes(4 * tileFloats);
    if (!planes.p)
        return -3;
    float* kre = planes.p;
    float* kim = kre + tileFloats;
    float* tre = kim + tileFloats;
    float* tim = tre + tileFloats;

    // The kernel mirrored about its centre, centred on (0, 0) with
    // wrap-around: the product of spectra then correlates as the direct form.
    const double divisor = kernel->iDivisor ? kernel->iDivisor : 1;
    std::fill(kre, kre + 2 * tileFloats, 0.0f);
    for (uint32_t r = 0; r < k; ++r)
        for (uint32_t c = 0; c < k; ++c) {
            const uint32_t y = (r + kTile - h) % kTile, x = (c + kTile - h) % kTile;
            kre[y * kTile + x] =
                static_cast<float>(kernel->piValues[size_t(k - 1 - r) * k + (k - 1 - c)] / divisor);
        }
    if (CLxFloatPicMemAPI::FFT_2D_ConstSize(kre, kim, false) != 0)
        return -9;

    // Tiles go through the transforms in pairs, one as the real part and
    // the next as the imaginary part: the kernel is real, so the two
    // filtered tiles come back apart in the real and imaginary parts.
    for (uint32_t y0 = 0; y0 < H; y0 += step) {
        const uint32_t rows = std::min(step, H - y0);
        const int64_t top = int64_t(y0) - h;
        // Tile lines that show the picture or its replicated border.
        const uint32_t lineTo = uint32_t(std::min<int64_t>(kTile, int64_t(H) - 1 + h - top + 1));
        auto fill = [&](float* plane, uint32_t x0, uint32_t c) {
            const int64_t left = int64_t(x0) - h;
            const uint32_t colTo =
                uint32_t(std::min<int64_t>(kTile, int64_t(W) - 1 + h - left + 1));
            // The picture's part, then its edge samples either side.
            const uint32_t inFrom = uint32_t(std::max<int64_t>(0, -left));
            const uint32_t inTo = uint32_t(std::min<int64_t>(colTo, int64_t(W) - left));
            for (uint32_t ty = 0; ty < lineTo; ++ty) {
                const uint32_t sy =
                    uint32_t(std::min<int64_t>(std::max<int64_t>(top + ty, 0), H - 1));
                float* line = plane + size_t(ty) * kTile;
                readComponent(line + inFrom, *src, uint32_t(left + inFrom), sy, c, inTo - inFrom);
                std::fill(line, line + inFrom, line[inFrom]);
                std::fill(line + inTo, line + colTo, line[inTo - 1]);
            }
        };
        auto store = [&](const float* plane, uint32_t x0, uint32_t c) {
            const uint32_t cols = std::min(step, W - x0);
            for (uint32_t y = 0; y < rows; ++y) {
                const float* line = plane + size_t(y + h) * kTile + h;
                if (!inPlane) {
                    storeComponent(*dst, x0, y0 + y, c, line, 1, cols);
                    continue;
                }
                for (uint32_t x = 0; x < cols; ++x)
                    result.p[(size_t(y0 + y) * W + x0 + x) * comps + c] = line[x];
            }
        };
        for (uint32_t c = 0; c < comps; ++c)
            for (uint32_t x0 = 0; x0 < W; x0 += 2 * step) {
                const bool pair = uint64_t(x0) + step < W;
                std::fill(tre, tre + 2 * tileFloats, 0.0f);
                fill(tre, x0, c);
                if (pair)
                    fill(tim, x0 + step, c);
                CLxFloatPicMemAPI::FFT_2D_ConstSize(tre, tim, false);
                CLxFloatPicMemAPI::FrequencyConvolution(tre, tim, kre, kim, kTile, kTile);
                CLxFloatPicMemAPI::FFT_2D_ConstSize(tre, tim, true);
                store(tre, x0, c);
                if (pair)
                    store(tim, x0 + step, c);
            }
    }
    if (stretch)
        stretchToRange(result.p, size_t(W) * H * comps, topValue(*src));
    if (inPlane)
        storePlane(*dst, result.p);
    return 0;
}
