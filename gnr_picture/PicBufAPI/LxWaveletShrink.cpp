#include "gnr_picture/PicBufAPI/LxWaveletShrink.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "gnr_picture/PicBufAPI/LxPicBufPrepare.h"
#include "gnr_picture/picmemAPI/LxNoiseStatistics.h"
#include "gnr_picture/wavelets/LxWavelet2D.h"
#include "gnr_picture/wavelets/LxWaveletBuffers.h"
#include "gnr_picture/wavelets/LxWaveletPlanes.h"

namespace lxshrink
{

namespace
{

constexpr double kNoThreshold = 1e300;

// The filter pair of a wavelet code, released with the object.
struct SFilterPair {
    double* low = nullptr;
    double* high = nullptr;
    uint32_t taps = 0;
    ~SFilterPair()
    {
        std::free(low);
        std::free(high);
    }
};

// Resharpening uses the shorter grade of the Coiflets and Hess families.
int getFilters(SFilterPair& f, uint32_t wavelet, EShrink mode)
{
    const bool shorter = mode == EShrink::Resharpen;
    int taps = 0;
    int other = 0;
    int status = -9;
    switch (wavelet) {
    case 0:
        status = CLxDaubechies2DWave::GetMotherWavelet(f.low, &taps, 7);
        if (status == 0)
            status = CLxDaubechies2DWave::GetFatherWavelet(f.high, &other, 7);
        break;
    case 1:
        status = CLxCoiflets2DWave::GetMotherWavelet(f.low, &taps, shorter ? 2 : 3);
        if (status == 0)
            status = CLxCoiflets2DWave::GetFatherWavelet(f.high, &other, shorter ? 2 : 3);
        break;
    case 2:
        status = CLxHaar2DWave::GetMotherWavelet(f.low, &taps);
        if (status == 0)
            status = CLxHaar2DWave::GetFatherWavelet(f.high, &other);
        break;
    case 3:
        status = CLxHess2DWave::GetMotherWavelet(f.low, &taps, shorter ? 2 : 3);
        if (status == 0)
            status = CLxHess2DWave::GetFatherWavelet(f.high, &other, shorter ? 2 : 3);
        break;
    default:
        break;
    }
    f.taps = uint32_t(taps);
    return status == 0 ? 0 : -9;
}

// The planes of a multi-level decomposition: level k (1-based) holds its
// bands 0-2 and its approximation 3, each (w >> k) x (h >> k).
struct SPyramid {
    double* plane[kMaxLevels + 1][4] = {};
    uint32_t width[kMaxLevels + 1] = {};
    uint32_t height[kMaxLevels + 1] = {};
    ~SPyramid()
    {
        for (auto& level : plane)
            for (double* p : level)
                std::free(p);
    }

    // Decomposes `top` (w x h) levels times; -9 or -2 from the transform.
    int decompose(const double* top, uint32_t w, uint32_t h, uint32_t levels, const SFilterPair& f)
    {
        const double* src = top;
        width[0] = w;
        height[0] = h;
        for (uint32_t k = 1; k <= levels; ++k) {
            double** p = plane[k];
            const int status = CLxWavelet2D::WaveletDecompositionImage(
                p[0], p[1], p[2], p[3], width[k], height[k], src, width[k - 1], height[k - 1],
                f.low, f.high, f.taps);
            if (status != 0)
                return status;
            src = p[3];
        }
        return 0;
    }
    size_t count(uint32_t k) const { return size_t(width[k]) * height[k]; }
};

// The picture's samples with the sides padded periodically to w2 x h2:
// column x takes column x mod w, row y row y mod h.
void readPadded(double* plane, uint32_t w2, uint32_t h2, const SLxPicBuf& src)
{
    const uint32_t w = src.uiWidth;
    const uint32_t h = src.uiHeight;
    for (uint32_t y = 0; y < h2; ++y) {
        double* row = plane + size_t(y) * w2;
        if (y >= h) {
            std::memcpy(row, plane + size_t(y % h) * w2, sizeof(double) * w2);
            continue;
        }
        lxwavelet::readPlane(row, w, 1, lxpicbuf::pixelAddress(src, 0, y), src.uiWidthBytes, 1,
                             src.uiBpc);
        for (uint32_t x = w; x < w2; ++x)
            row[x] = row[x % w];
    }
}

// v + 0.5 held to 0 .. max and truncated.
inline uint32_t toSample(double v, double max)
{
    const double u = v + 0.5;
    if (!(u > 0.0))
        return 0;
    if (u > max)
        return uint32_t(max);
    return uint32_t(u);
}

void writeTopLeft(SLxPicBuf& dst, const double* plane, uint32_t w2)
{
    const double max = double(lxpic::maxOfBits(dst.uiBpc));
    for (uint32_t y = 0; y < dst.uiHeight; ++y) {
        const double* row = plane + size_t(y) * w2;
        uint8_t* line = lxpicbuf::pixelAddress(dst, 0, y);
        if (dst.uiBpc <= 8) {
            for (uint32_t x = 0; x < dst.uiWidth; ++x)
                line[x] = uint8_t(toSample(row[x], max));
        } else {
            for (uint32_t x = 0; x < dst.uiWidth; ++x)
                lxpic::store<uint16_t>(line + 2 * x, uint16_t(toSample(row[x], max)));
        }
    }
}

// The sides rounded up to multiples of 2^levels; false when they pass 32
// bits.
bool paddedSize(uint32_t w, uint32_t h, uint32_t levels, uint32_t& w2, uint32_t& h2)
{
    const uint64_t step = uint64_t(1) << levels;
    const uint64_t a = (uint64_t(w) + step - 1) / step * step;
    const uint64_t b = (uint64_t(h) + step - 1) / step * step;
    if (a > UINT32_MAX || b > UINT32_MAX)
        return false;
    w2 = uint32_t(a);
    h2 = uint32_t(b);
    return true;
}

// A picture record freed when the call ends.
struct SWorkPic {
    SLxPicBuf pic;
    SWorkPic() { CLxPicBufAPI::Init(&pic); }
    ~SWorkPic() { CLxPicBufAPI::Free(&pic); }
    SWorkPic(const SWorkPic&) = delete;
    SWorkPic& operator=(const SWorkPic&) = delete;
    int make(uint32_t w, uint32_t h, uint32_t bits, uint32_t comps)
    {
        return CLxPicBufAPI::Reinit(&pic, w, h, 0, bits, comps, false);
    }
};

// Component by component through one-component work pictures, stored into
// dst (which may be src).
int shrinkComponents(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* noise,
                     const OneComponentRoutine& oneComponent)
{
    const uint32_t w = src->uiWidth;
    const uint32_t h = src->uiHeight;
    const uint32_t bits = src->uiBpc;
    // 1-8-bit samples are bytes: the component moves take them as 8 bits.
    const uint32_t moveBits = bits < 8 ? 8 : bits;
    SWorkPic in, out, noiseIn;
    int status = in.make(w, h, bits, 1);
    if (status == 0)
        status = out.make(w, h, bits, 1);
    if (status == 0 && noise)
        status = noiseIn.make(noise->uiWidth, noise->uiHeight, bits, 1);
    for (uint32_t c = 0; status == 0 && c < src->uiComps; ++c) {
        status = CLxPicMemAPI::ExtractComponent(in.pic.pData, in.pic.uiWidthBytes, src->pData,
                                                src->uiComps, src->uiWidthBytes, c, moveBits, w, w * h);
        if (status == 0 && noise)
            status = CLxPicMemAPI::ExtractComponent(
                noiseIn.pic.pData, noiseIn.pic.uiWidthBytes, noise->pData, noise->uiComps,
                noise->uiWidthBytes, c, moveBits, noise->uiWidth,
                noise->uiWidth * noise->uiHeight);
        if (status == 0)
            status = oneComponent(&out.pic, &in.pic, noise ? &noiseIn.pic : nullptr);
        if (status == 0)
            status =
                CLxPicMemAPI::StoreComponent(dst->pData, dst->uiComps, dst->uiWidthBytes, c,
                                             out.pic.pData, out.pic.uiWidthBytes, moveBits, w,
                                             w * h);
    }
    return status;
}

// The picture in colorMode's space (0: a copy) in a work picture of its own
// size and format.
int toColorSpace(SWorkPic& work, const SLxPicBuf* pic, uint32_t colorMode)
{
    int status = work.make(pic->uiWidth, pic->uiHeight, pic->uiBpc, pic->uiComps);
    if (status != 0)
        return status;
    switch (colorMode) {
    case 1:
        return CLxPicBufAPI::ConvertRGBtoIHS(&work.pic, pic);
    case 2:
        return CLxPicBufAPI::ConvertRGBtoYCrCb(&work.pic, pic);
    default:
        return CLxPicBufAPI::Copy(&work.pic, pic);
    }
}

int fromColorSpace(SLxPicBuf* dst, const SLxPicBuf* work, uint32_t colorMode)
{
    switch (colorMode) {
    case 1:
        return CLxPicBufAPI::ConvertIHStoRGB(dst, work);
    case 2:
        return CLxPicBufAPI::ConvertYCrCbtoRGB(dst, work);
    default:
        return CLxPicBufAPI::Copy(dst, work);
    }
}

} // namespace

int shrinkTile(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t levels, bool perLevel,
               const SNoiseRecord* known, SNoiseRecord* record, uint32_t wavelet, EShrink mode)
{
    if (levels == 0)
        return 0;
    if (levels > kMaxLevels)
        return -2;
    if (lxpicbuf::prepare(dst, src, eLxCheckSizeBitsComps, nullptr) != 0 || src->uiComps != 1)
        return -9;
    if (src->uiBpc > 16)
        return -2;
    if (lxpicbuf::isEmpty(*src))
        return 0;
    uint32_t w2 = 0;
    uint32_t h2 = 0;
    if (!paddedSize(src->uiWidth, src->uiHeight, levels, w2, h2))
        return -9;
    double* plane = lxwavelet::allocArray<double>(size_t(w2) * h2);
    if (!plane)
        return -9;
    struct SFree {
        double* p;
        ~SFree() { std::free(p); }
    } planeOwner{plane};
    readPadded(plane, w2, h2, *src);

    SFilterPair f;
    if (getFilters(f, wavelet, mode) != 0)
        return -9;
    SPyramid pyramid;
    if (pyramid.decompose(plane, w2, h2, levels, f) != 0)
        return -9;

    double noise[3] = {};
    for (uint32_t k = 1; k <= levels; ++k) {
        double* const* band = pyramid.plane[k];
        const uint32_t bw = pyramid.width[k];
        const uint32_t bh = pyramid.height[k];
        if (known) {
            for (int b = 0; b < 3; ++b)
                noise[b] = known->band[b][k - 1];
        } else if (k == 1 || perLevel) {
            const double sigma = LX_NoiseSigmaMAD(band[0], bw, bh);
            noise[0] = noise[1] = noise[2] = sigma * sigma;
        }
        for (int b = 0; b < 3; ++b) {
            if (record)
                record->band[b][k - 1] = noise[b];
            const double signal =
                std::sqrt(std::fmax(LX_MeanSquare(band[b], bw, bh) - noise[b], 0.0));
            const double t = signal == 0.0 ? kNoThreshold : noise[b] / signal;
            if (mode == EShrink::Resharpen)
                LX_SoftThresholdBoost(band[b], bw, bh, t);
            else
                LX_SoftThreshold(band[b], bw, bh, t);
        }
    }

    for (uint32_t k = levels; k >= 1; --k) {
        double* target = k > 1 ? pyramid.plane[k - 1][3] : plane;
        double* const* in = pyramid.plane[k];
        uint32_t ow = 0;
        uint32_t oh = 0;
        if (CLxWavelet2D::WaveletReconstructionImage(target, ow, oh, in[0], in[1], in[2], in[3],
                                                     pyramid.width[k], pyramid.height[k], f.low,
                                                     f.high, f.taps) != 0)
            return -9;
    }
    writeTopLeft(*dst, plane, w2);
    return 0;
}

int measureNoise(const SLxPicBuf* noise, uint32_t levels, SNoiseRecord* out, uint32_t wavelet)
{
    if (levels == 0)
        return 0;
    if (levels > kMaxLevels)
        return -2;
    if (!out || lxpicbuf::prepare(noise) != 0 || noise->uiComps != 1)
        return -9;
    if (noise->uiBpc > 16)
        return -2;
    const uint32_t step = 1u << levels;
    const uint32_t w = noise->uiWidth;
    const uint32_t h = noise->uiHeight;
    if (w == 0 || h == 0 || w % step != 0 || h % step != 0)
        return -9;
    double* plane = lxwavelet::allocArray<double>(size_t(w) * h);
    if (!plane)
        return -9;
    struct SFree {
        double* p;
        ~SFree() { std::free(p); }
    } planeOwner{plane};
    lxwavelet::readPlane(plane, w, h, noise->pData, noise->uiWidthBytes, 1, noise->uiBpc);

    SFilterPair f;
    SPyramid pyramid;
    if (getFilters(f, wavelet, EShrink::Denoise) != 0 ||
        pyramid.decompose(plane, w, h, levels, f) != 0)
        return -9;
    for (uint32_t k = 1; k <= levels; ++k)
        for (int b = 0; b < 3; ++b)
            out->band[b][k - 1] =
                LX_MeanSquare(pyramid.plane[k][b], pyramid.width[k], pyramid.height[k]);
    return 0;
}

int shrinkTiled(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t levels, const SNoiseRecord* known,
                const TileRoutine& tile)
{
    if (levels == 0)
        return 0;
    if (levels > kMaxLevels)
        return -2;
    if (lxpicbuf::prepare(dst, src, eLxCheckSizeBitsComps, nullptr) != 0 || src->uiComps != 1)
        return -9;
    if (lxpicbuf::isEmpty(*src))
        return 0;
    const std::vector<STileRange> cols = planTiles(src->uiWidth, levels);
    const std::vector<STileRange> rows = planTiles(src->uiHeight, levels);
    if (cols.size() == 1 && rows.size() == 1)
        return tile(dst, src, known, nullptr);

    SNoiseRecord firstTile;
    bool first = true;
    SWorkPic in, out;
    for (const STileRange& r : rows) {
        for (const STileRange& c : cols) {
            const uint32_t w = c.spanEnd - c.spanBegin;
            const uint32_t h = r.spanEnd - r.spanBegin;
            int status = in.make(w, h, src->uiBpc, 1);
            if (status == 0)
                status = out.make(w, h, src->uiBpc, 1);
            if (status == 0)
                status = CLxPicBufAPI::CopyRect(0, 0, w, h, &in.pic, c.spanBegin, r.spanBegin, src);
            if (status != 0)
                return status;
            const SNoiseRecord* use = known ? known : first ? nullptr : &firstTile;
            SNoiseRecord* keep = !known && first ? &firstTile : nullptr;
            status = tile(&out.pic, &in.pic, use, keep);
            if (status == 0)
                status = CLxPicBufAPI::CopyRect(
                    c.writeBegin, r.writeBegin, c.writeEnd - c.writeBegin,
                    r.writeEnd - r.writeBegin, dst, c.writeBegin - c.spanBegin,
                    r.writeBegin - r.spanBegin, &out.pic);
            if (status != 0)
                return status;
            first = false;
        }
    }
    return 0;
}

int shrinkPicture(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* noise, uint32_t levels,
                  bool color, uint32_t wavelet, uint32_t colorMode,
                  const OneComponentRoutine& oneComponent)
{
    if (lxpicbuf::prepare(dst, src, eLxCheckSizeBitsComps, nullptr) != 0)
        return -9;
    // The noise picture is asked for by the known-noise operations only.
    if (noise && lxpicbuf::prepare(dst, noise, eLxCheckBitsComps, nullptr) != 0)
        return -9;
    if (levels == 0)
        return 0;
    if (levels > kMaxLevels)
        return -2;
    if (wavelet > 3)
        return -9;
    if (src->uiBpc > 16)
        return -2;
    if (lxpicbuf::isEmpty(*src))
        return 0;
    // The workers read margins from the source after writing the
    // destination.
    if (dst->pData == src->pData)
        return -9;
    if (src->uiComps == 1)
        return oneComponent(dst, src, noise);
    if (!color || src->uiComps != 3)
        return shrinkComponents(dst, src, noise, oneComponent);
    if (colorMode > 2)
        return 0;
    SWorkPic work, workNoise;
    int status = toColorSpace(work, src, colorMode);
    if (status == 0 && noise)
        status = toColorSpace(workNoise, noise, colorMode);
    if (status == 0)
        status =
            shrinkComponents(&work.pic, &work.pic, noise ? &workNoise.pic : nullptr, oneComponent);
    if (status == 0)
        status = fromColorSpace(dst, &work.pic, colorMode);
    return status;
}

} // namespace lxshrink
