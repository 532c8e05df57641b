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
#include "gnr_picture/PicBufAPI/LxMinMaxRows.h"
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

// One row's windows of 2h + 1 pixels, the ends repeated, by doubling:
// windows of 1, 2, 4 ... pixels over the padded row, combined for the set
// bits of the window, so a pixel costs about 2 log2(2h + 1) vector steps.
template <class T, bool Min> struct RowWindows {
    std::vector<T> pad, ping, pong;

    void run(const T* in, size_t width, size_t comps, size_t h, T* out)
    {
        const size_t n = 2 * h + 1, len = width * comps, padded = (width + 2 * h) * comps;
        if (h == 0) {
            std::copy(in, in + len, out);
            return;
        }
        pad.resize(padded);
        ping.resize(padded);
        pong.resize(padded);
        for (size_t x = 0; x < h; ++x) {
            std::copy(in, in + comps, pad.data() + x * comps);
            std::copy(in + len - comps, in + len, pad.data() + (h + width + x) * comps);
        }
        std::copy(in, in + len, pad.data() + h * comps);
        const T* cur = pad.data();
        size_t curLen = width + 2 * h, span = 1, offset = 0;
        bool first = true;
        for (size_t bit = 0;; ++bit) {
            if (n >> bit & 1) {
                if (first)
                    std::copy(cur + offset * comps, cur + offset * comps + len, out);
                else
                    CombineRow<T, Min>(out, cur + offset * comps, len);
                first = false;
                offset += span;
            }
            if ((n >> (bit + 1)) == 0)
                break;
            T* next = cur == ping.data() ? pong.data() : ping.data();
            CombineInto<T, Min>(next, cur, cur + span * comps, (curLen - span) * comps);
            cur = next;
            curLen -= span;
            span *= 2;
        }
    }
};

// The clamped centred square of reach h on each side. Columns by van Herk /
// Gil-Werman over whole lines: the lines split into blocks of 2h + 1; a
// window is the suffix of its first block and the prefix of the next, each
// built line by line, so every line costs three vectorised line
// combinations whatever h is and only one block of lines is held. Each
// finished line then gets its row windows. Reach beyond the picture adds
// nothing once it covers the whole line.
template <class T, bool Min> int totalSquare(SLxPicBuf* dst, const SLxPicBuf* src, uint64_t h)
{
    const Plane<T> d = planeOf<T>(*dst);
    const Plane<const T> s = planeOf<const T>(*src);
    const size_t w = size_t(s.width), ht = size_t(s.height), comps = size_t(s.comps);
    const size_t len = w * comps;
    const size_t hx = size_t(std::min<uint64_t>(h, w - 1));
    const size_t hy = size_t(std::min<uint64_t>(h, ht - 1));
    const size_t k = 2 * hy + 1;
    // Line j of the source padded by hy repeated lines at each end.
    const auto padded = [&](size_t j) {
        return s.row(int64_t(std::min(j < hy ? 0 : j - hy, ht - 1)));
    };
    try {
        RowWindows<T, Min> rows;
        std::vector<T> suffix(k * len), prefix(len), column(len);
        for (size_t block = 0; block * k < ht; ++block) {
            const size_t top = block * k;
            std::copy(padded(top + k - 1), padded(top + k - 1) + len, &suffix[(k - 1) * len]);
            for (size_t i = k - 1; i-- > 0;)
                CombineInto<T, Min>(&suffix[i * len], &suffix[(i + 1) * len], padded(top + i), len);
            for (size_t i = 0; i < k && top + i < ht; ++i) {
                const T* line = &suffix[i * len];
                if (i > 0) {
                    const T* next = padded(top + k + i - 1);
                    if (i == 1)
                        std::copy(next, next + len, prefix.data());
                    else
                        CombineRow<T, Min>(prefix.data(), next, len);
                    CombineInto<T, Min>(column.data(), line, prefix.data(), len);
                    line = column.data();
                }
                rows.run(line, w, comps, hx, d.row(int64_t(top + i)));
            }
        }
    } catch (const std::bad_alloc&) {
        return -3;
    }
    return 0;
}

// Squares up to this reach that fit the picture combine their rows in one
// sweep; wider ones go by van Herk.
constexpr uint64_t kFusedReach = 4;

int squareReach(SLxPicBuf* dst, const SLxPicBuf* src, uint64_t h, bool erode)
{
    const uint64_t side = 2 * h + 1;
    if (h <= kFusedReach && side <= src->uiWidth && side <= src->uiHeight) {
        const uint32_t reach = uint32_t(h);
        if (src->uiBpc == 8)
            return erode ? ErodeSquareReach_8(dst, src, reach)
                         : DilateSquareReach_8(dst, src, reach);
        return erode ? ErodeSquareReach_16(dst, src, reach) : DilateSquareReach_16(dst, src, reach);
    }
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

// Opening (erode first) or closing: count passes each way through the
// thread's scratch picture; the dst is written only by the last group.
int openClose(SLxPicBuf* dst, const SLxPicBuf* src, const SLxKernel* k, uint32_t count, bool open)
{
    if (count == 0)
        return -9;
    int status = 0;
    if (!FrameCheck(dst, src, k, KernelRule::fits, 16, &status))
        return status;
    SLxPicBuf temp;
    if (!ThreadScratchPicture<ScratchPicture::openClose>(src, &temp))
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
        if (!second)
            return -3;
        if (count % 2 == 1)
            ReflectKernelCentre(second.get());
        status = RepeatPasses(&temp, src, k, count, open ? erodeOnce : dilateOnce);
        if (status == 0)
            status = RepeatPasses(dst, &temp, second.get(), count, open ? dilateOnce : erodeOnce);
    }
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
