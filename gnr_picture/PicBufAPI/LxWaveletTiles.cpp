#include "gnr_picture/PicBufAPI/LxWaveletShrink.h"

namespace lxshrink
{

std::vector<STileRange> planTiles(uint32_t length, uint32_t levels)
{
    std::vector<STileRange> tiles;
    if (length == 0)
        return tiles;
    const uint32_t step = 1u << levels;
    const uint32_t margin = 4 * step;
    const uint32_t count = (length + kMaxTileCore - 1) / kMaxTileCore;
    const uint32_t nominal = length / count;
    uint32_t start = 0;
    for (uint32_t i = 0; i < count; ++i) {
        STileRange t{};
        t.coreBegin = start;
        if (i + 1 < count) {
            const uint32_t end = (i + 1) * nominal;
            const uint32_t core = (end - start) / step * step;
            t.coreEnd = start + core;
            start = end + (end - start - core);
        } else {
            t.coreEnd = length;
        }
        const bool first = i == 0;
        const bool last = i + 1 == count;
        t.spanBegin = first ? t.coreBegin : t.coreBegin - margin;
        t.spanEnd = last ? t.coreEnd : t.coreEnd + margin;
        t.writeBegin = first ? t.spanBegin : t.spanBegin + margin / 2;
        t.writeEnd = last ? t.spanEnd : t.spanEnd - margin / 2;
        tiles.push_back(t);
    }
    return tiles;
}

} // namespace lxshrink
