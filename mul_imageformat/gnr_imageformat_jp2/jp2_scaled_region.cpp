#include "mul_imageformat/gnr_imageformat_jp2/jp2_scaled_region.h"

#include <algorithm>

#include "mul_imageformat/gnr_imageformat_qx2/LxThumbnail.h"

bool LX_Jp2ScaledRegion(uint32_t Wf, uint32_t Hf, uint32_t maxHalvings, uint32_t W, uint32_t H,
                        uint32_t x, uint32_t y, uint32_t w, uint32_t h, SLxJP2ScaledRegion& out)
{
    if (!Wf || !Hf || !W || !H || !w || !h || x >= W || y >= H)
        return false;
    w = std::min(w, W - x);
    h = std::min(h, H - y);
    uint32_t Wl = W, Hl = H;
    const uint32_t factor = ChooseHalvingFactor(Wl, Hl, Wf, Hf, maxHalvings);
    if (!Wl || !Hl)
        return false;
    out = SLxJP2ScaledRegion{};
    while ((1u << out.uiReduce) < factor)
        ++out.uiReduce;
    out.uiLevelW = Wl;
    out.uiLevelH = Hl;
    auto ceilDiv = [](uint64_t a, uint64_t b) { return (a + b - 1) / b; };
    const uint64_t xl = uint64_t(x) * Wl / W, yl = uint64_t(y) * Hl / H;
    const uint64_t rx = x - xl * W / Wl, ry = y - yl * H / Hl;
    const uint64_t wl = std::min<uint64_t>(ceilDiv((rx + w) * Wl, W), Wl - xl);
    const uint64_t hl = std::min<uint64_t>(ceilDiv((ry + h) * Hl, H), Hl - yl);
    if (!wl || !hl)
        return false;
    out.xl = uint32_t(xl);
    out.yl = uint32_t(yl);
    out.wl = uint32_t(wl);
    out.hl = uint32_t(hl);
    out.rx = uint32_t(rx);
    out.ry = uint32_t(ry);
    // Full resolution, held to the frame.
    out.uiX = uint32_t(std::min<uint64_t>(xl * Wf / Wl, Wf - 1));
    out.uiY = uint32_t(std::min<uint64_t>(yl * Hf / Hl, Hf - 1));
    out.uiWidth = uint32_t(std::min<uint64_t>(wl * Wf / Wl, Wf - out.uiX));
    out.uiHeight = uint32_t(std::min<uint64_t>(hl * Hf / Hl, Hf - out.uiY));
    if (!out.uiWidth)
        out.uiWidth = 1;
    if (!out.uiHeight)
        out.uiHeight = 1;
    return true;
}
