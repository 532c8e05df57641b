// The encoder's parameter rules, apart from the library so that they can be
// checked without encoding.
#include <algorithm>
#include <climits>
#include <cmath>

#include "mul_imageformat/gnr_imageformat_jp2/codec/jp2_encoder.h"

namespace
{

uint32_t BitLength(uint32_t v)
{
    uint32_t n = 0;
    for (; v; v >>= 1)
        ++n;
    return n;
}

uint32_t TileOr(uint32_t tile, uint32_t whole)
{
    return tile ? std::min(tile, whole) : whole;
}

} // namespace

uint32_t LX_J2KLayerCount(uint32_t width, uint32_t height)
{
    return 1 + BitLength(std::max(width, height));
}

uint32_t LX_J2KResolutionCount(const SLxJ2KEncodeSettings& s)
{
    const uint32_t side = std::min({TileOr(s.uiTileWidth, s.uiWidth),
                                    TileOr(s.uiTileHeight, s.uiHeight), s.uiWidth, s.uiHeight});
    // The library needs every tile side to reach 2^(resolutions - 1).
    const uint32_t levels = side ? BitLength(side) : 1; // floor(log2) + 1
    return std::max<uint32_t>(1, std::min<uint32_t>(6, levels));
}

int64_t LX_J2KMaxBytes(const SLxJ2KEncodeSettings& s)
{
    if (!s.bLossy)
        return 0;
    const uint64_t raw =
        uint64_t((s.uiBits + 7) / 8) * s.uiComponents * uint64_t(s.uiHeight) * s.uiWidth;
    const double cap = std::trunc(double(raw) * s.dRate);
    if (cap > double(INT_MAX))
        return 0;
    // 0 means "no cap" to the library: keep room for the marker segments.
    const uint32_t tw = TileOr(s.uiTileWidth, s.uiWidth), th = TileOr(s.uiTileHeight, s.uiHeight);
    const uint64_t tiles =
        tw && th ? uint64_t((s.uiWidth + tw - 1) / tw) * ((s.uiHeight + th - 1) / th) : 1;
    const int64_t floor =
        int64_t(std::min<uint64_t>(INT_MAX, 256 + 16 * uint64_t(s.uiComponents) + 32 * tiles));
    return std::max<int64_t>(int64_t(cap), cap < 1 ? floor : 1);
}

double LX_J2KLayerRatio(const SLxJ2KEncodeSettings& s, uint32_t layer, uint32_t layers)
{
    const double step = std::ldexp(1.0, int(layers - 1 - layer));
    if (!s.bLossy)
        return layer + 1 == layers ? 0.0 : step;
    return step / s.dRate;
}
