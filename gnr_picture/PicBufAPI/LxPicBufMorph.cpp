// Grey erosion, dilation, opening and closing of picture buffers. Repeated
// full squares are applied as one clamped window of their summed reach:
// chained clamped passes of centred squares equal that window, so the result
// is defined at every picture size and costs the same per pixel whatever the
// count.
#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "gnr_picture/PicBufAPI/LxFilterRegionsT.h"
#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"
#include "gnr_picture/PicBufAPI/LxKernelOffsets.h"
#include "gnr_picture/PicBufAPI/LxPicBufFilterFrame.h"

using namespace lxfilter;

namespace
{

uint32_t setElements(const SLxKernel& k)
{
    uint32_t n = 0;
    for (uint32_t e = 0; e < k.uiNRows * k.uiNCols; ++e)
        n += k.ubMask[e] != 0;
    return n;
}

// One pass by the worker of the kernel's name and shape.
int morphWorker(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* k, bool erode)
{
    const bool bytes = src->uiBpc == 8;
    const uint32_t n = setElements(*k);
    if (KernelNameIs(k, u"Smooth2") && n == 4)
        return erode ? (bytes ? Erode_Smooth2_8(dst, src, k) : Erode_Smooth2_16(dst, src, k))
                     : (bytes ? Dilate_Smooth2_8(dst, src, k) : Dilate_Smooth2_16(dst, src, k));
    if (KernelNameIs(k, u"Smooth3") && n == 9)
        return erode ? (bytes ? Erode_Smooth3_8(dst, src, k) : Erode_Smooth3_16(dst, src, k))
                     : (bytes ? Dilate_Smooth3_8(dst, src, k) : Dilate_Smooth3_16(dst, src, k));
    if (KernelNameIs(k, u"Oct4") && n == 12)
        return erode ? (bytes ? Erode_Oct4_8(dst, src, k) : Erode_Oct4_16(dst, src, k))
                     : (bytes ? Dilate_Oct4_8(dst, src, k) : Dilate_Oct4_16(dst, src, k));
    const uint32_t top = CLxPicMemAPI::CalcUintMax(src->uiBpc);
    if (IsFullSquareKernel(k))
        return erode ? (bytes ? Erode_Square_8(dst, src, k) : Erode_Square_16(dst, src, k))
                     : (bytes ? Dilate_Square_8(dst, src, k, top)
                              : Dilate_Square_16(dst, src, k, top));
    return erode ? (bytes ? Erode_General_8(dst, src, k) : Erode_General_16(dst, src, k))
                 : (bytes ? Dilate_General_8(dst, src, k) : Dilate_General_16(dst, src, k));
}

int erodeOnce(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* k)
{
    int status = 0;
    if (!FrameCheck(dst, src, k, KernelRule::fits, 16, &status))
        return status;
    return WithDistinctSource(dst, src, false,
                              [&](const SLxPicBuf* s) { return morphWorker(dst, s, k, true); });
}

int dilateOnce(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* k)
{
    int status = 0;
    if (!FrameCheck(dst, src, k, KernelRule::fits, 16, &status))
        return status;
    return WithDistinctSource(dst, src, false,
                              [&](const SLxPicBuf* s) { return morphWorker(dst, s, k, false); });
}

// out[i] = the minimum (maximum) of in[i - h .. i + h] with the ends
// repeated (van Herk / Gil-Werman): block prefixes and suffixes of the
// padded line, so each output costs one combination whatever h is.
template <class T, bool Min> struct RunningExtreme {
    std::vector<T> padded, prefix, suffix;

    static T pick(T a, T b) { return Min ? std::min(a, b) : std::max(a, b); }

    void run(const T* in, size_t n, size_t h, T* out)
    {
        const size_t k = 2 * h + 1, m = n + 2 * h;
        padded.resize(m);
        prefix.resize(m);
        suffix.resize(m);
        for (size_t i = 0; i < m; ++i)
            padded[i] = in[std::min(i < h ? 0 : i - h, n - 1)];
        for (size_t i = 0; i < m; ++i)
            prefix[i] = i % k == 0 ? padded[i] : pick(prefix[i - 1], padded[i]);
        for (size_t i = m; i-- > 0;)
            suffix[i] = (i % k == k - 1 || i == m - 1) ? padded[i] : pick(suffix[i + 1], padded[i]);
        for (size_t x = 0; x < n; ++x)
            out[x] = pick(suffix[x], prefix[x + k - 1]);
    }
};

// The clamped centred square of reach h on each side, rows then columns.
// Reach beyond the picture adds nothing once it covers the whole line.
template <class T, bool Min> int totalSquare(SLxPicBuf* dst, const SLxPicBuf* src, uint64_t h)
{
    const Plane<T> d = planeOf<T>(*dst);
    const Plane<const T> s = planeOf<const T>(*src);
    const size_t w = size_t(s.width), ht = size_t(s.height), comps = size_t(s.comps);
    const size_t hx = size_t(std::min<uint64_t>(h, w - 1));
    const size_t hy = size_t(std::min<uint64_t>(h, ht - 1));
    try {
        RunningExtreme<T, Min> line;
        std::vector<T> in(std::max(w, ht)), out(std::max(w, ht));
        std::vector<T> rows(w * ht * comps);
        for (size_t y = 0; y < ht; ++y)
            for (size_t c = 0; c < comps; ++c) {
                const T* row = s.row(int64_t(y));
                for (size_t x = 0; x < w; ++x)
                    in[x] = row[x * comps + c];
                line.run(in.data(), w, hx, out.data());
                for (size_t x = 0; x < w; ++x)
                    rows[(y * w + x) * comps + c] = out[x];
            }
        for (size_t x = 0; x < w; ++x)
            for (size_t c = 0; c < comps; ++c) {
                for (size_t y = 0; y < ht; ++y)
                    in[y] = rows[(y * w + x) * comps + c];
                line.run(in.data(), ht, hy, out.data());
                for (size_t y = 0; y < ht; ++y)
                    d.row(int64_t(y))[x * comps + c] = out[y];
            }
    } catch (const std::bad_alloc&) {
        return -3;
    }
    return 0;
}

int squareReach(SLxPicBuf* dst, const SLxPicBuf* src, uint64_t h, bool erode)
{
    if (src->uiBpc == 8)
        return erode ? totalSquare<uint8_t, true>(dst, src, h)
                     : totalSquare<uint8_t, false>(dst, src, h);
    return erode ? totalSquare<uint16_t, true>(dst, src, h)
                 : totalSquare<uint16_t, false>(dst, src, h);
}

// Reach on each side of count passes of a full odd centred square.
uint64_t repeatedReach(const SLxKernel* k, uint32_t count)
{
    return uint64_t(k->uiCenterRow) * count;
}

int repeated(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* k, uint32_t count, bool erode)
{
    if (count == 0)
        return -9;
    if (!k || !IsFullSquareKernel(k))
        return RepeatPasses(dst, src, k, count, erode ? erodeOnce : dilateOnce);
    int status = 0;
    if (!FrameCheck(dst, src, k, KernelRule::fits, 16, &status))
        return status;
    return WithDistinctSource(dst, src, false, [&](const SLxPicBuf* s) {
        return squareReach(dst, s, repeatedReach(k, count), erode);
    });
}

// Opening (erode first) or closing: count passes each way through a
// temporary picture; the dst is written only by the last group.
int openClose(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* k, uint32_t count, bool open)
{
    if (count == 0)
        return -9;
    int status = 0;
    if (!FrameCheck(dst, src, k, KernelRule::fits, 16, &status))
        return status;
    SLxPicBuf temp;
    CLxPicBufAPI::Init(&temp);
    if (CLxPicBufAPI::Reinit(&temp, src->uiWidth, src->uiHeight, src->uiWidthBytes, src->uiBpc,
                             src->uiComps, false) != 0)
        return -3;
    if (IsFullSquareKernel(k)) {
        const uint64_t h = repeatedReach(k, count);
        status = squareReach(&temp, src, h, open);
        if (status == 0)
            status = squareReach(dst, &temp, h, !open);
    } else {
        // The second group starts from the centre that undoes the first
        // group's last pass.
        std::unique_ptr<SLxKernel> second(new (std::nothrow) SLxKernel(*k));
        if (!second) {
            CLxPicBufAPI::Free(&temp);
            return -3;
        }
        if (count % 2 == 1)
            ReflectKernelCentre(second.get());
        status = RepeatPasses(&temp, src, k, count, open ? erodeOnce : dilateOnce);
        if (status == 0)
            status = RepeatPasses(dst, &temp, second.get(), count, open ? dilateOnce : erodeOnce);
    }
    CLxPicBufAPI::Free(&temp);
    return status;
}

} // namespace

int CLxPicBufAPI::Erode(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return erodeOnce(dst, src, kernel);
}

int CLxPicBufAPI::Erode(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                        uint32_t count)
{
    return repeated(dst, src, kernel, count, true);
}

int CLxPicBufAPI::Dilate(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return dilateOnce(dst, src, kernel);
}

int CLxPicBufAPI::Dilate(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                         uint32_t count)
{
    return repeated(dst, src, kernel, count, false);
}

int CLxPicBufAPI::Open(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return openClose(dst, src, kernel, 1, true);
}

int CLxPicBufAPI::Open(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                       uint32_t count)
{
    return openClose(dst, src, kernel, count, true);
}

int CLxPicBufAPI::Close(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel)
{
    return openClose(dst, src, kernel, 1, false);
}

int CLxPicBufAPI::Close(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* kernel,
                        uint32_t count)
{
    return openClose(dst, src, kernel, count, false);
}
