// Local contrast of whole pictures: the window size, overlapping tiles of
// about 1000 x 1000 pixels so the worker's envelopes stay small, and colour
// pictures through their intensity.
#include <algorithm>

#include "gnr_picture/PicBufAPI/LxFilterWorkers.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/PicBufAPI/LxPicBufFilterFrame.h"
#include "gnr_picture/PicBufAPI/LxPicBufPrepare.h"

using namespace lxfilter;

namespace
{

// Even, at least 2, below the smaller side.
int windowSize(int requested, const SLxPicBuf& pic)
{
    const int n = requested < 3 ? 2 : requested & ~1;
    const int64_t cap = int64_t(std::min(pic.uiWidth, pic.uiHeight)) - 1;
    return int(std::min<int64_t>(n, cap));
}

constexpr uint32_t kTileSide = 1000;

// One axis of the tiling: tile i covers [from, to) and is worked widened
// to [widenedFrom, widenedTo).
struct TileSpan {
    uint32_t from, to, widenedFrom, widenedTo;
};

TileSpan tileSpan(uint32_t i, uint32_t count, uint32_t length, uint32_t widening)
{
    const uint32_t step = length / count;
    TileSpan t;
    t.from = i * step;
    t.to = i + 1 == count ? length : t.from + step;
    t.widenedFrom = i == 0 ? t.from : t.from - std::min(t.from, widening);
    t.widenedTo =
        i + 1 == count ? t.to : uint32_t(std::min<uint64_t>(length, uint64_t(t.to) + widening));
    return t;
}

int runWorker(SLxPicBuf* dst, const SLxPicBuf* src, int n, double strength, bool option)
{
    return src->uiBpc == 8 ? localcontrast_tailed_8(dst, src, n, strength, option)
                           : localcontrast_tailed_16(dst, src, n, strength, option);
}

} // namespace

int CLxPicBufAPI::LocalContrast(SLxPicBuf* dst, const SLxPicBuf* src, int& size, double strength,
                                bool option)
{
    if (!Check(dst, src, eLxCheckSizeBitsComps))
        return -9;
    if (std::min(src->uiWidth, src->uiHeight) < 3)
        return -9;
    int status = 0;
    if (!FrameCheck(dst, src, nullptr, KernelRule::none, 16, &status))
        return status;
    const int n = windowSize(size, *src);
    size = n;
    const uint32_t cols = (src->uiWidth + kTileSide - 1) / kTileSide;
    const uint32_t rows = (src->uiHeight + kTileSide - 1) / kTileSide;
    // Tiles after the first read the source around them, which dst would
    // already have replaced.
    return WithDistinctSource(dst, src, false, [&](const SLxPicBuf* s) {
        int tileSize = n;
        if (cols == 1 && rows == 1)
            return LocalContrast_Tailed(dst, s, tileSize, strength, option);
        for (uint32_t r = 0; r < rows; ++r)
            for (uint32_t c = 0; c < cols; ++c) {
                const TileSpan x = tileSpan(c, cols, s->uiWidth, uint32_t(n));
                const TileSpan y = tileSpan(r, rows, s->uiHeight, 2 * uint32_t(n));
                const uint32_t w = x.widenedTo - x.widenedFrom, h = y.widenedTo - y.widenedFrom;
                lxpicbuf::CLxPicBufReplacement in, out;
                if (in.allocate(w, h, s->uiBpc, s->uiComps, false) != 0 ||
                    out.allocate(w, h, s->uiBpc, s->uiComps, false) != 0)
                    return -3;
                int st = CopyRect(0, 0, w, h, in.get(), x.widenedFrom, y.widenedFrom, s);
                tileSize = n;
                if (st == 0)
                    st = LocalContrast_Tailed(out.get(), in.get(), tileSize, strength, option);
                if (st == 0)
                    st = CopyRect(x.from, y.from, x.to - x.from, y.to - y.from, dst,
                                  x.from - x.widenedFrom, y.from - y.widenedFrom, out.get());
                if (st != 0)
                    return st;
            }
        return 0;
    });
}

int CLxPicBufAPI::LocalContrast_Tailed(SLxPicBuf* dst, const SLxPicBuf* src, int& size,
                                       double strength, bool option)
{
    if (!Check(dst, src, eLxCheckSizeBitsComps))
        return -9;
    const int n = windowSize(size, *src);
    size = n;
    if (src->uiComps == 1)
        return runWorker(dst, src, n, strength, option);
    const uint32_t w = src->uiWidth, h = src->uiHeight, bits = src->uiBpc;
    const uint32_t count = w * h;
    lxpicbuf::CLxPicBufReplacement plane, worked;
    if (plane.allocate(w, h, bits, 1, false) != 0 || worked.allocate(w, h, bits, 1, false) != 0)
        return -3;
    SLxPicBuf* a = plane.get();
    SLxPicBuf* b = worked.get();
    // One component of `from` through the worker into component comp of `to`.
    const auto work = [&](SLxPicBuf* to, const SLxPicBuf* from, uint32_t comp) {
        int st =
            CLxPicMemAPI::ExtractComponent(a->pData, a->uiWidthBytes, from->pData, from->uiComps,
                                           from->uiWidthBytes, comp, bits, w, count);
        if (st == 0)
            st = runWorker(b, a, n, strength, option);
        if (st == 0)
            st = CLxPicMemAPI::StoreComponent(to->pData, to->uiComps, to->uiWidthBytes, comp,
                                              b->pData, b->uiWidthBytes, bits, w, count);
        return st;
    };
    if (src->uiComps == 3) {
        lxpicbuf::CLxPicBufReplacement ihs;
        if (ihs.allocate(w, h, bits, 3, false) != 0)
            return -3;
        int st = ConvertRGBtoIHS(ihs.get(), src);
        if (st == 0)
            st = work(ihs.get(), ihs.get(), 0);
        return st == 0 ? ConvertIHStoRGB(dst, ihs.get()) : st;
    }
    for (uint32_t c = 0; c < src->uiComps; ++c)
        if (const int st = work(dst, src, c); st != 0)
            return st;
    return 0;
}
