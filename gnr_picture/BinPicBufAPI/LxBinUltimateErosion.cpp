// Regional maxima of a 16-bit map, merged across shallow saddles by
// sinking every maximum one level a pass.
#include <cstring>

#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/LxPicMeasAPI.h"
#include "gnr_picture/LxPicMeasSamples.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"

namespace
{

class Map16
{
  public:
    explicit Map16(SLxPicBuf* pic) : pic_(pic) {}
    uint16_t& at(uint32_t x, uint32_t y) { return lx_meas::Row<uint16_t>(pic_, y)[x]; }
    SLxPicBuf* get() { return pic_; }

  private:
    SLxPicBuf* pic_;
};

bool IsMap16(const SLxPicBuf* pic)
{
    return pic && pic->uiComps == 1 && pic->uiBpc == 16 && lx_meas::HoldsLines(pic, 2);
}

// Calls f(nx, ny) for every 8-neighbour inside the picture until f is true.
template <typename F> bool AnyNeighbour(const SLxPicBuf* pic, uint32_t x, uint32_t y, F f)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            if (dx == 0 && dy == 0)
                continue;
            const int64_t nx = int64_t(x) + dx, ny = int64_t(y) + dy;
            if (lx_meas::Inside(pic, nx, ny) && f(uint32_t(nx), uint32_t(ny)))
                return true;
        }
    return false;
}

void Clear(SLxPicBuf* pic)
{
    for (uint32_t y = 0; y < pic->uiHeight; ++y)
        std::memset(lx_meas::Row<uint16_t>(pic, y), 0, size_t(pic->uiWidth) * 2);
}

} // namespace

int CLxBinPicBufAPI::UltimateErosion(SLxPicBuf* dst, SLxPicBuf* src, uint16_t passes)
{
    if (!CLxPicBufAPI::Check(dst, src, eLxCheckSizeBitsComps) || !IsMap16(src) || !IsMap16(dst) ||
        dst->pData == src->pData)
        return -9;
    Clear(dst);
    Map16 s(src), d(dst);
    const uint32_t width = src->uiWidth, height = src->uiHeight;
    const uint16_t mark = passes;
    for (uint32_t pass = 0; pass < passes; ++pass) {
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x) {
                const uint16_t v = s.at(x, y);
                if (v != 0 && !AnyNeighbour(src, x, y, [&](uint32_t nx, uint32_t ny) {
                        return s.at(nx, ny) > v;
                    }))
                    d.at(x, y) = mark;
            }
        // A mark beside a higher pixel or an unmarked pixel of its own level
        // is no regional maximum; neither is any mark joined to it.
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x) {
                if (d.at(x, y) != mark)
                    continue;
                const uint16_t v = s.at(x, y);
                const bool fails = AnyNeighbour(src, x, y, [&](uint32_t nx, uint32_t ny) {
                    const uint16_t n = s.at(nx, ny);
                    return n > v || (n == v && d.at(nx, ny) == 0);
                });
                if (!fails)
                    continue;
                const bool joined = AnyNeighbour(
                    dst, x, y, [&](uint32_t nx, uint32_t ny) { return d.at(nx, ny) == mark; });
                if (joined)
                    CLxPicMeasAPI::Paint(dst, x, y, mark, 0, 8);
                else
                    d.at(x, y) = 0;
            }
        if (pass + 1 == passes)
            break;
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x) {
                if (d.at(x, y) != mark)
                    continue;
                const uint16_t v = s.at(x, y);
                if (v > 1)
                    CLxPicMeasAPI::Paint(src, x, y, v, v - 1u, 8);
                CLxPicMeasAPI::Paint(dst, x, y, mark, mark + 1u, 8);
            }
        Clear(dst);
    }
    return 0;
}
