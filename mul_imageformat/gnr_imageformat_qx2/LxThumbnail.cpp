#include "mul_imageformat/gnr_imageformat_qx2/LxThumbnail.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace
{

// a div b, rounded up when the remainder reaches half of b.
uint32_t roundedDiv(uint64_t a, uint64_t b)
{
    return static_cast<uint32_t>(a / b + (a % b >= b / 2 ? 1 : 0));
}

uint32_t scaled(uint64_t value, uint64_t numerator, uint64_t denominator)
{
    return static_cast<uint32_t>(value * numerator / denominator);
}

struct SThumbnailJob {
    uint8_t* dst;
    uint32_t dstW, dstH, dstStride, W, H, X0, Y0;
    const uint8_t* src;
    uint32_t srcW, srcH, srcStride, FW, FH;
};

template <class Sample, unsigned Components>
void thumbnailKernel(const SThumbnailJob& job)
{
    // 16-bit strides count in bytes and are taken as even.
    const size_t srcStride = job.srcStride / sizeof(Sample) * sizeof(Sample);
    const size_t dstStride = job.dstStride / sizeof(Sample) * sizeof(Sample);

    const uint32_t mW = std::min(job.FW, job.W);
    const uint32_t mH = std::min(job.FH, job.H);
    uint32_t GW = job.W, GH = job.H;
    ChooseHalvingFactor(GW, GH, job.FW, job.FH, 6);

    const uint32_t offX = roundedDiv(GW, 2ull * job.srcW) + roundedDiv(GW, mW) / 2;
    const uint32_t offY = roundedDiv(GH, 2ull * job.srcH) + roundedDiv(GH, mH) / 2;
    const uint32_t kx = GW / job.srcW, ky = GH / job.srcH;
    const uint32_t CW = kx > 1 ? GW / kx * kx : GW;
    const uint32_t CH = ky > 1 ? GH / ky * ky : GH;
    const uint32_t cols = job.X0 + job.dstW > job.W ? job.W - job.X0 : job.dstW;
    const uint32_t rows = job.Y0 + job.dstH > job.H ? job.H - job.Y0 : job.dstH;

    std::vector<size_t> column(job.dstW);
    for (uint32_t c = 0; c < job.dstW; ++c) {
        uint32_t u = scaled(std::min(c, cols - 1) + job.X0, GW, job.W) + offX;
        u = std::min(u, CW - 1);
        column[c] = size_t(scaled(job.srcW, u, CW)) * Components;
    }

    int64_t previousRow = -1;
    for (uint32_t r = 0; r < job.dstH; ++r) {
        const uint32_t y = std::min(job.Y0 + r, job.Y0 + rows - 1);
        uint32_t v = scaled(y, GH, job.H) + offY;
        v = std::min(v, CH - 1);
        const uint32_t sourceRow = scaled(job.srcH, v, CH);
        auto* out = reinterpret_cast<Sample*>(job.dst + r * dstStride);
        if (sourceRow == previousRow) {
            std::memcpy(out, job.dst + (r - 1) * dstStride, size_t(cols) * Components * sizeof(Sample));
            continue;
        }
        previousRow = sourceRow;
        auto* in = reinterpret_cast<const Sample*>(job.src + sourceRow * srcStride);
        for (uint32_t c = 0; c < cols; ++c)
            for (unsigned k = 0; k < Components; ++k)
                out[size_t(c) * Components + k] = in[column[c] + k];
    }
}

} // namespace

uint32_t ChooseHalvingFactor(uint32_t& width, uint32_t& height, uint32_t fullWidth,
                             uint32_t fullHeight, uint32_t maxHalvings)
{
    uint32_t k = 0;
    while (k < maxHalvings && k < 31 && (fullWidth >> (k + 1)) >= width &&
           (fullHeight >> (k + 1)) >= height)
        ++k;
    width = fullWidth >> k;
    height = fullHeight >> k;
    return 1u << k;
}

int MakeThumbnail(void* dst, uint32_t dstW, uint32_t dstH, uint32_t dstStride, uint32_t W,
                  uint32_t H, uint32_t X0, uint32_t Y0, const void* src, uint32_t srcW,
                  uint32_t srcH, uint32_t srcStride, uint32_t components, uint32_t bits,
                  uint32_t FW, uint32_t FH)
{
    if ((components != 1 && components != 3) || bits > 16)
        return -2;
    // The sizes are divisors; a window must start inside the thumbnail.
    if (!dst || !src || !W || !H || !FW || !FH || !srcW || !srcH || X0 > W || Y0 > H)
        return -4;
    const SThumbnailJob job{static_cast<uint8_t*>(dst), dstW, dstH, dstStride, W, H, X0, Y0,
                            static_cast<const uint8_t*>(src), srcW, srcH, srcStride, FW, FH};
    if (dstW == 0 || dstH == 0)
        return 0;
    const bool wide = bits >= 9;
    if (components == 1)
        wide ? thumbnailKernel<uint16_t, 1>(job) : thumbnailKernel<uint8_t, 1>(job);
    else
        wide ? thumbnailKernel<uint16_t, 3>(job) : thumbnailKernel<uint8_t, 3>(job);
    return 0;
}
