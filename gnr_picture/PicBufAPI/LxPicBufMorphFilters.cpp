// Filters built on erosion and dilation: top-hats, the morphological
// gradient, regional extrema by reconstruction, the wrapping difference they
// end with, and delineation. Each works from a copy of the source when the
// destination shares its memory, since the source is read again after the
// destination was written.
#include <algorithm>
#include <deque>
#include <new>

#include "gnr_picture/PicBufAPI/LxFilterRegionsT.h"
#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"
#include "gnr_picture/PicBufAPI/LxPicBufFilterFrame.h"

using namespace lxfilter;

namespace
{

// A temporary picture of the source's geometry, freed with the scope.
struct TempPicture {
    SLxPicBuf pic;
    bool ok;
    explicit TempPicture(const SLxPicBuf* like)
    {
        CLxPicBufAPI::Init(&pic);
        ok = CLxPicBufAPI::Reinit(&pic, like->uiWidth, like->uiHeight, like->uiWidthBytes,
                                  like->uiBpc, like->uiComps, false) == 0;
    }
    ~TempPicture() { CLxPicBufAPI::Free(&pic); }
    TempPicture(const TempPicture&) = delete;
    TempPicture& operator=(const TempPicture&) = delete;
};

template <class T> void subtractRows(const SLxPicBuf* dst, const SLxPicBuf* a, const SLxPicBuf* b)
{
    const Plane<T> d = planeOf<T>(*dst);
    const Plane<const T> x = planeOf<const T>(*a), y = planeOf<const T>(*b);
    const int64_t n = x.width * x.comps;
    for (int64_t r = 0; r < x.height; ++r) {
        T* out = d.row(r);
        const T* p = x.row(r);
        const T* q = y.row(r);
        for (int64_t i = 0; i < n; ++i)
            out[i] = T(p[i] - q[i]);
    }
}

// Checks shared by the kernel filters: -9 for a count of 0, else the frame.
bool kernelFilterCheck(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                       uint32_t count, int* status)
{
    if (count == 0) {
        *status = -9;
        return false;
    }
    return FrameCheck(dst, src, kernel, KernelRule::fits, 16, status);
}

// The top-hats and the gradient: the wrapped difference of two results,
// each an operation on the source or (nullptr) the source itself. The
// subtrahend is built in dst, a computed minuend in the thread's scratch
// picture when both are computed.
using MorphOp = int (*)(SLxPicBuf*, const SLxPicBuf*, const SLxKernel*, uint32_t);

int morphDifference(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                    uint32_t count, MorphOp minuend, MorphOp subtrahend)
{
    int status = 0;
    if (!kernelFilterCheck(dst, src, kernel, count, &status))
        return status;
    SLxPicBuf temp;
    const bool both = minuend && subtrahend;
    if (both && !ThreadScratchPicture<ScratchPicture::difference>(src, &temp))
        return -3;
    return WithDistinctSource(dst, src, false, [&](const SLxPicBuf* s) {
        const SLxPicBuf* first = s;
        const SLxPicBuf* second = s;
        if (minuend) {
            SLxPicBuf* into = both ? &temp : dst;
            if (const int st = minuend(into, s, kernel, count); st != 0)
                return st;
            first = into;
        }
        if (subtrahend) {
            if (const int st = subtrahend(dst, s, kernel, count); st != 0)
                return st;
            second = dst;
        }
        return CLxPicBufAPI::Substract(dst, first, second);
    });
}

// Finishes the reconstruction of marker under mask by propagation: every
// sample that can still raise a neighbour goes into a queue, and a sample
// raised goes in after it. Each rise is final, so the work is about the
// samples that still change. Throws std::bad_alloc when the queue cannot
// grow; the marker is then partly grown but still under the mask.
template <class T> void propagate(SLxPicBuf* marker, const SLxPicBuf* mask)
{
    const Plane<T> j = planeOf<T>(*marker);
    const Plane<const T> m = planeOf<const T>(*mask);
    const int64_t w = j.width, h = j.height, comps = j.comps, line = w * comps;
    std::deque<uint64_t> queue;
    const auto raises = [&](int64_t y, int64_t x, int64_t c, auto&& each) {
        for (int64_t ny = std::max<int64_t>(y - 1, 0); ny <= std::min(y + 1, h - 1); ++ny)
            for (int64_t nx = std::max<int64_t>(x - 1, 0); nx <= std::min(x + 1, w - 1); ++nx) {
                T& q = j.at(ny, nx, c);
                if (q < j.at(y, x, c) && q < m.at(ny, nx, c) && each(ny, nx, q))
                    return;
            }
    };
    // A sample can only be raised while under the mask, by a higher
    // neighbour: those neighbours start the queue. After the passes few
    // samples are still under the mask.
    for (int64_t y = 0; y < h; ++y) {
        const T* grown = j.row(y);
        const T* limit = m.row(y);
        for (int64_t xc = 0; xc < line; ++xc) {
            if (grown[xc] >= limit[xc])
                continue;
            const int64_t x = xc / comps, c = xc % comps;
            for (int64_t py = std::max<int64_t>(y - 1, 0); py <= std::min(y + 1, h - 1); ++py)
                for (int64_t px = std::max<int64_t>(x - 1, 0); px <= std::min(x + 1, w - 1); ++px)
                    if (j.at(py, px, c) > grown[xc])
                        queue.push_back(uint64_t(py) * uint64_t(line) + uint64_t(px * comps + c));
        }
    }
    while (!queue.empty()) {
        const uint64_t at = queue.front();
        queue.pop_front();
        const int64_t y = int64_t(at / uint64_t(line)), xc = int64_t(at % uint64_t(line));
        const int64_t x = xc / comps, c = xc % comps;
        raises(y, x, c, [&](int64_t ny, int64_t nx, T& q) {
            q = std::min(j.at(y, x, c), m.at(ny, nx, c));
            queue.push_back(uint64_t(ny) * uint64_t(line) + uint64_t(nx * comps + c));
            return false;
        });
    }
}

// Grows the marker in dst under the mask src until a round of a forward
// and a backward pass would change nothing: one round of the passes, then
// propagation from where they left off (without memory for its queue, more
// rounds of the passes instead; the result is the same).
void reconstruct(SLxPicBuf* dst, const SLxPicBuf* src)
{
    const SLxKernel* hood = &CLxPicBufAPI::RegionalExtrema1;
    const bool bytes = src->uiBpc == 8;
    if (src->uiWidth >= hood->uiNCols && src->uiHeight >= hood->uiNRows) {
        for (bool first = true;; first = false) {
            const int fwd = bytes ? RegionalMaximaStep1_8(dst, src, hood)
                                  : RegionalMaximaStep1_16(dst, src, hood);
            const int back = bytes ? RegionalMaximaPass_8(dst, src, hood)
                                   : RegionalMaximaStep2_16(dst, src, hood);
            if (fwd == 0 && back == 0)
                return;
            if (first) {
                try {
                    bytes ? propagate<uint8_t>(dst, src) : propagate<uint16_t>(dst, src);
                    return;
                } catch (const std::bad_alloc&) {
                }
            }
        }
    }
    // Pictures narrower or lower than the neighbourhood: pixel by pixel.
    for (int changed = 1; changed;) {
        changed = 0;
        for (uint32_t y = 0; y < src->uiHeight; ++y)
            for (uint32_t x = 0; x < src->uiWidth; ++x)
                bytes ? RegionalMaximaBorderPixel_8(dst, src, y, x, &changed)
                      : RegionalMaximaBorderPixel_16(dst, src, y, x, &changed);
        for (uint32_t y = src->uiHeight; y-- > 0;)
            for (uint32_t x = src->uiWidth; x-- > 0;)
                bytes ? RegionalMaximaBorderPixelBack_8(dst, src, y, x, &changed)
                      : RegionalMaximaBorderPixelBack_16(dst, src, y, x, &changed);
    }
}

template <class T> void complement(SLxPicBuf* dst, const SLxPicBuf* src)
{
    const T top = T(CLxPicMemAPI::CalcUintMax(src->uiBpc));
    const Plane<T> d = planeOf<T>(*dst);
    const Plane<const T> s = planeOf<const T>(*src);
    for (int64_t r = 0; r < s.height; ++r)
        for (int64_t i = 0; i < s.width * s.comps; ++i)
            d.row(r)[i] = T(top - s.row(r)[i]);
}

template <class T>
void snapToExtremes(SLxPicBuf* dst, const SLxPicBuf* dil, const SLxPicBuf* ero, int64_t threshold)
{
    const Plane<T> s = planeOf<T>(*dst);
    const Plane<const T> dp = planeOf<const T>(*dil), ep = planeOf<const T>(*ero);
    for (int64_t r = 0; r < s.height; ++r)
        for (int64_t i = 0; i < s.width * s.comps; ++i) {
            const int64_t d = dp.row(r)[i], e = ep.row(r)[i], v = s.row(r)[i];
            if (d - e > threshold)
                s.row(r)[i] = T(d - v < v - e ? d : e);
        }
}

} // namespace

int CLxPicBufAPI::Substract(SLxPicBuf* dst, const SLxPicBuf* first, const SLxPicBuf* second)
{
    if (!Check(first, second, eLxCheckSizeBitsComps))
        return -9;
    int status = 0;
    if (!FrameCheck(dst, first, nullptr, KernelRule::none, 16, &status) ||
        !FrameCheck(second, first, nullptr, KernelRule::none, 16, &status))
        return status;
    const auto run = [&](const SLxPicBuf* a, const SLxPicBuf* b) {
        if (a->uiBpc == 8)
            subtractRows<uint8_t>(dst, a, b);
        else
            subtractRows<uint16_t>(dst, a, b);
        return 0;
    };
    // Sample by sample at the same position: only partly shared memory
    // needs a copy.
    const auto inStep = [&](const SLxPicBuf* p) {
        return !ShareMemory(dst, p) ||
               (dst->pData == p->pData && dst->uiWidthBytes == p->uiWidthBytes);
    };
    if (inStep(first) && inStep(second))
        return run(first, second);
    return WithDistinctSource(dst, first, false, [&](const SLxPicBuf* a) {
        return WithDistinctSource(dst, second, false,
                                  [&](const SLxPicBuf* b) { return run(a, b); });
    });
}

int CLxPicBufAPI::DetectPeaks(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return DetectPeaks(dst, src, kernel, 1);
}

int CLxPicBufAPI::DetectPeaks(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                              uint32_t count)
{
    return morphDifference(dst, src, kernel, count, nullptr, Open);
}

int CLxPicBufAPI::DetectValleys(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return DetectValleys(dst, src, kernel, 1);
}

int CLxPicBufAPI::DetectValleys(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                                uint32_t count)
{
    return morphDifference(dst, src, kernel, count, Close, nullptr);
}

int CLxPicBufAPI::GradientMorpho(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return GradientMorpho(dst, src, kernel, 1);
}

int CLxPicBufAPI::GradientMorpho(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                                 uint32_t count)
{
    return morphDifference(dst, src, kernel, count, Dilate, Erode);
}

int CLxPicBufAPI::RegionalMaxima(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return RegionalMaxima(dst, src, kernel, 1);
}

int CLxPicBufAPI::RegionalMaxima(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                                 uint32_t count)
{
    int status = 0;
    if (!kernelFilterCheck(dst, src, kernel, count, &status))
        return status;
    return WithDistinctSource(dst, src, false, [&](const SLxPicBuf* s) {
        const int st = Erode(dst, s, kernel, count);
        if (st != 0)
            return st;
        reconstruct(dst, s);
        return Substract(dst, s, dst);
    });
}

int CLxPicBufAPI::RegionalMinima(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return RegionalMinima(dst, src, kernel, 1);
}

int CLxPicBufAPI::RegionalMinima(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                                 uint32_t count)
{
    int status = 0;
    if (!kernelFilterCheck(dst, src, kernel, count, &status))
        return status;
    TempPicture inverse(src);
    if (!inverse.ok)
        return -3;
    if (src->uiBpc == 8)
        complement<uint8_t>(&inverse.pic, src);
    else
        complement<uint16_t>(&inverse.pic, src);
    return RegionalMaxima(dst, &inverse.pic, kernel, count);
}

int CLxPicBufAPI::Delineate(SLxPicBuf* dst, const SLxPicBuf* src, int32_t size, int32_t smoothing,
                            int32_t threshold)
{
    if (!Check(dst, src, eLxCheckSizeBitsComps))
        return -9;
    size = std::clamp(size, 1, 3);
    smoothing = std::clamp(smoothing, 0, 3);
    threshold = std::clamp(threshold, 0, 255);
    int status = 0;
    if (!FrameCheck(dst, src, nullptr, KernelRule::none, 16, &status)) {
        // Too shallow to filter: the plain copy of smoothing 0 still happens.
        if (status == 0 && smoothing == 0 && src->uiBpc < 8 && src->uiWidth && src->uiHeight)
            return Copy(dst, src);
        return status;
    }
    TempPicture dil(src), ero(src);
    if (!dil.ok || !ero.ok)
        return -3;
    return WithDistinctSource(dst, src, false, [&](const SLxPicBuf* s) {
        const SLxKernel* k = size == 1 ? &Square3 : size == 2 ? &Oct5 : &Oct4;
        const uint32_t n = size == 3 ? 2 : 1;
        int st = Dilate(&dil.pic, s, k, n);
        if (st == 0)
            st = Erode(&ero.pic, s, k, n);
        if (st == 0)
            st = smoothing == 0   ? Copy(dst, s)
                 : smoothing == 1 ? Smooth(dst, s, &Square3, 1)
                 : smoothing == 2 ? Smooth(dst, s, &Oct5, 1)
                                  : Smooth(dst, s, &Oct4, 2);
        if (st != 0)
            return st;
        if (s->uiBpc == 8)
            snapToExtremes<uint8_t>(dst, &dil.pic, &ero.pic, threshold);
        else
            snapToExtremes<uint16_t>(dst, &dil.pic, &ero.pic, threshold);
        return 0;
    });
}
