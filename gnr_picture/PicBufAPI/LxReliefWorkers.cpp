// Relief: a picture over its displaced copy, rescaled to the copy's mean;
// and the anaglyph's two views shifted by a depth map.
#include <cstring>
#include <vector>

#include "gnr_picture/LxHisto.h"
#include "gnr_picture/PicBufAPI/LxFilterRegionsT.h"
#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"

using namespace lxfilter;

namespace
{

template <class T> int shiftCopy(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t dx, uint32_t dy)
{
    if (!picturesFit<T>(dst, src))
        return -9;
    // A displacement reaching the far edge leaves no row or column to repeat.
    if (dy >= src->uiHeight || dx >= src->uiWidth)
        return 0;
    const Plane<T> d = planeOf<T>(*dst);
    const Plane<const T> s = planeOf<const T>(*src);
    const int64_t comps = s.comps, len = (s.width - dx) * comps;
    for (int64_t y = dy; y < s.height; ++y) {
        T* out = d.row(y);
        std::memcpy(out + dx * comps, s.row(y - dy), size_t(len) * sizeof(T));
        for (int64_t x = 0; x < dx; ++x)
            std::memcpy(out + x * comps, out + dx * comps, size_t(comps) * sizeof(T));
    }
    for (int64_t y = 0; y < dy; ++y)
        std::memcpy(d.row(y), d.row(dy), size_t(s.width * comps) * sizeof(T));
    return 0;
}

// The mean of each component from the picture's histogram. False when the
// histogram cannot be had.
bool componentMeans(const SLxPicBuf& pic, double* means)
{
    SLxHisto h;
    CLxHistoAPI::Init(&h);
    const SLxPicBufDesc desc{pic.uiWidth, pic.uiHeight, pic.uiWidthBytes,
                             pic.uiBpc,   pic.uiComps,  pic.uiSize};
    bool ok = CLxHistoAPI::Reinit64(&h, &desc) == 0 && CLxHistoAPI::Calculate(&h, &pic, true) == 0;
    const double pixels = double(uint64_t(pic.uiWidth) * pic.uiHeight);
    for (uint32_t c = 0; ok && c < pic.uiComps; ++c) {
        const auto* bins = static_cast<const uint64_t*>(h.ppCompHisto[c]);
        double sum = 0;
        for (uint32_t i = 0; i < (1u << pic.uiBpc); ++i)
            sum += double(i) * double(bins[i]);
        means[c] = pixels > 0 ? sum / pixels : 0.0;
    }
    CLxHistoAPI::Free(&h);
    return ok;
}

template <class T> int combine(SLxPicBuf* out, const SLxPicBuf* displaced, const SLxPicBuf* src)
{
    if (!CLxPicBufAPI::Check(out, displaced, eLxCheckSizeBitsComps) ||
        !CLxPicBufAPI::Check(displaced, src, eLxCheckSizeBitsComps) ||
        !picturesFit<T>(out, displaced) || !picturesFit<T>(displaced, src))
        return -9;
    const uint32_t comps = src->uiComps;
    const double top = double(CLxPicMemAPI::CalcUintMax(displaced->uiBpc));
    std::vector<double> meanA, meanT;
    SLxPicBuf ratio;
    CLxPicBufAPI::Init(&ratio);
    try {
        meanA.resize(comps);
        meanT.resize(comps);
    } catch (const std::bad_alloc&) {
        return -3;
    }
    if (!componentMeans(*displaced, meanA.data()) ||
        CLxPicBufAPI::Reinit(&ratio, src->uiWidth, src->uiHeight, 0, 16, comps, false) != 0)
        return -3;
    const Plane<const T> a = planeOf<const T>(*displaced), b = planeOf<const T>(*src);
    const Plane<uint16_t> t = planeOf<uint16_t>(ratio);
    const int64_t len = a.width * a.comps;
    for (int64_t y = 0; y < a.height; ++y)
        for (int64_t i = 0; i < len; ++i) {
            const T av = a.row(y)[i], bv = b.row(y)[i];
            t.row(y)[i] = bv == 0 || av >= bv ? 65535 : uint16_t(av * 65535.0 / bv);
        }
    if (!componentMeans(ratio, meanT.data())) {
        CLxPicBufAPI::Free(&ratio);
        return -3;
    }
    const Plane<T> o = planeOf<T>(*out);
    for (int64_t y = 0; y < a.height; ++y)
        for (int64_t x = 0; x < a.width; ++x)
            for (int64_t c = 0; c < a.comps; ++c) {
                const double k = meanT[c] != 0 ? meanA[c] / (top * meanT[c] / 65535.0) : meanA[c];
                const double v = t.at(y, x, c) * k;
                o.at(y, x, c) = v >= 65535.0 ? T(top) : T(v * top / 65535.0);
            }
    CLxPicBufAPI::Free(&ratio);
    return 0;
}

template <class T>
int anaglyph(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* depth, int32_t levels,
             bool averaging, bool forward, bool anchor, uint32_t leftMask, uint32_t rightMask,
             int32_t maxShift)
{
    // The step divides by the level count.
    if (levels < 1 || !pictureFits<T>(dst) || dst->uiComps != 3 || !pictureFits<T>(src) ||
        CLxPicBufAPI::CalcCompSize(src->uiBpc) != sizeof(T) || !pictureFits<uint8_t>(depth) ||
        depth->uiComps != 1 || src->uiWidth != dst->uiWidth || src->uiHeight != dst->uiHeight ||
        depth->uiWidth != dst->uiWidth || depth->uiHeight != dst->uiHeight)
        return -9;
    const Plane<T> d = planeOf<T>(*dst);
    const Plane<const T> s = planeOf<const T>(*src);
    for (int64_t y = 0; y < d.height; ++y)
        std::fill(d.row(y), d.row(y) + d.width * 3, T(0));
    int64_t step = std::max<int64_t>(maxShift / levels, 1);
    if (!forward)
        step = -step;
    const int64_t base = anchor == forward ? levels - 1 : 0;
    const bool mean = averaging || s.comps != 3;
    const bool leftOn[3] = {(leftMask >> 16 & 0xFF) != 0, (leftMask >> 8 & 0xFF) != 0,
                            (leftMask & 0xFF) != 0};
    const bool rightOn[3] = {(rightMask >> 16 & 0xFF) != 0, (rightMask >> 8 & 0xFF) != 0,
                             (rightMask & 0xFF) != 0};
    for (int64_t i = 0; i < levels; ++i) {
        const int64_t level = forward ? i : levels - 1 - i;
        const int64_t shift = (level - base) * step;
        for (int64_t y = 0; y < d.height; ++y) {
            const uint8_t* depthRow =
                static_cast<const uint8_t*>(depth->pData) + size_t(y) * depth->uiWidthBytes;
            for (int64_t x = 0; x < d.width; ++x) {
                if (forward ? depthRow[x] < level : depthRow[x] > level)
                    continue;
                const T* px = s.row(y) + x * s.comps;
                T colour[3];
                if (s.comps < 3) {
                    colour[0] = colour[1] = colour[2] = px[0];
                } else if (mean) {
                    uint64_t sum = 0;
                    for (int64_t c = 0; c < s.comps; ++c)
                        sum += px[c];
                    colour[0] = colour[1] = colour[2] = T(sum / uint64_t(s.comps));
                } else {
                    colour[0] = px[0];
                    colour[1] = px[1];
                    colour[2] = px[2];
                }
                const int64_t lx = x + shift, rx = x - shift;
                for (int c = 0; c < 3; ++c) {
                    if (leftOn[c] && lx >= 0 && lx < d.width)
                        d.at(y, lx, c) = colour[c];
                    if (rightOn[c] && rx >= 0 && rx < d.width)
                        d.at(y, rx, c) = colour[c];
                }
            }
        }
    }
    return 0;
}

} // namespace

int ReliefShiftCopy_8(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t dx, uint32_t dy)
{
    return shiftCopy<uint8_t>(dst, src, dx, dy);
}

int ReliefShiftCopy_16(SLxPicBuf* dst, const SLxPicBuf* src, uint32_t dx, uint32_t dy)
{
    return shiftCopy<uint16_t>(dst, src, dx, dy);
}

int ReliefCombine_8(SLxPicBuf* out, const SLxPicBuf* displaced, const SLxPicBuf* src)
{
    return combine<uint8_t>(out, displaced, src);
}

int ReliefCombine_16(SLxPicBuf* out, const SLxPicBuf* displaced, const SLxPicBuf* src)
{
    return combine<uint16_t>(out, displaced, src);
}

void ReliefComponentMeans(const SLxPicBuf* pic, double* means)
{
    if (pic && means)
        componentMeans(*pic, means);
}

int CreateAnaglyphKernel(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* depth,
                         int32_t levels, bool averaging, bool forward, bool anchor,
                         uint32_t leftMask, uint32_t rightMask, int32_t maxShift)
{
    return anaglyph<uint16_t>(dst, src, depth, levels, averaging, forward, anchor, leftMask,
                              rightMask, maxShift);
}

int CreateAnaglyphKernel_8(SLxPicBuf* dst, const SLxPicBuf* src, const SLxPicBuf* depth,
                           int32_t levels, bool averaging, bool forward, bool anchor,
                           uint32_t leftMask, uint32_t rightMask, int32_t maxShift)
{
    return anaglyph<uint8_t>(dst, src, depth, levels, averaging, forward, anchor, leftMask,
                             rightMask, maxShift);
}
