// Dispatchers that map values or components through tables to several
// components or to colour.
#include "gnr_picture/picmemAPI/LxLutKernelsT.h"
#include "gnr_picture/picmemAPI/LxMapKernelsT.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxPicMemDispatch.h"

using namespace lxpic;

namespace
{

using u8 = uint8_t;
using u16 = uint16_t;

// Byte samples for 1 to 8 bits, words for 9 to 16; 0: no member.
uint32_t mapDepth(uint32_t bits)
{
    return bits >= 1 && bits <= 16 ? sampleBytes(bits) : 0;
}

// The value of every source pixel through a flat table (its entry in every
// destination component) or a row table, samples above the table at its
// last entry.
template <class S, class D>
int valueThroughLut(void* dst, uint32_t dstComps, uint32_t dstWB, const void* src, uint32_t srcWB,
                    const SLxLut& lut, uint32_t width, uint32_t count)
{
    const LutTable t = tableOfBits<S>(lut.pTable, lut.uiSrcBits, nullptr);
    if (lut.uiDstComps == 1)
        return lookupComponent<S, D, 0, false>(dst, dstComps, dstWB, src, 1, srcWB, 0, t, width,
                                               count);
    return lookupComponent<S, D, 0, true>(dst, dstComps, dstWB, src, 1, srcWB, 0, t, width, count);
}

// The table of a mapping: from srcBits to dstBits, one table per source
// component, each giving dstComps samples.
bool tableMaps(const SLxLut* lut, uint32_t srcComps, uint32_t srcBits, uint32_t dstComps,
               uint32_t dstBits)
{
    return lut && lut->pTable && lut->uiSrcBits == srcBits && lut->uiDstBits == dstBits &&
           lut->uiLutCount == srcComps && lut->uiDstComps == dstComps;
}

// The table's colour tables: the row table of a one-component mapping
// (held in `one`) or the per-component tables.
ColourTables colourTablesOf(const SLxLut& lut, uint32_t srcBits, const void* const*& one,
                            bool marked)
{
    const auto* overExp = marked ? static_cast<const uint8_t*>(lut.pOverExpColor) : nullptr;
    one = static_cast<const void* const*>(lut.pTable);
    const auto luts =
        lut.uiLutCount == 1 ? &one : static_cast<const void* const* const*>(lut.pTable);
    // An SLxLut keeps the rows of each table one after another.
    ColourTables t = colourTablesOfBits<u16>(luts, srcBits, overExp);
    if (srcBits <= 8)
        t.level = 255;
    t.contiguous = true;
    return t;
}

// The member for the component count, from S samples to D colours.
template <class S, class D>
int mapByComps(void* dst, uint32_t dstWB, const void* src, uint32_t srcComps, uint32_t srcWB,
               const ColourTables& t, uint64_t mask, uint32_t full, uint32_t width, uint32_t count)
{
    switch (memberComps(srcComps, {1, 2, 3, 4, 5, 6})) {
    case 1:
        return mapComponents<S, D, 1>(dst, dstWB, src, srcWB, 1, t, mask, full, width, count);
    case 2:
        return mapComponents<S, D, 2>(dst, dstWB, src, srcWB, 2, t, mask, full, width, count);
    case 3:
        return mapComponents<S, D, 3>(dst, dstWB, src, srcWB, 3, t, mask, full, width, count);
    case 4:
        return mapComponents<S, D, 4>(dst, dstWB, src, srcWB, 4, t, mask, full, width, count);
    case 5:
        return mapComponents<S, D, 5>(dst, dstWB, src, srcWB, 5, t, mask, full, width, count);
    case 6:
        return mapComponents<S, D, 6>(dst, dstWB, src, srcWB, 6, t, mask, full, width, count);
    default:
        return mapComponents<S, D, 0>(dst, dstWB, src, srcWB, srcComps, t, mask, full, width,
                                      count);
    }
}

} // namespace

int CLxPicMemAPI::MapValueToComponents(void* dst, uint32_t dstComps, uint32_t dstBits,
                                       uint32_t dstWB, const void* src, uint32_t srcBits,
                                       uint32_t srcWB, const SLxLut* lut, uint32_t width,
                                       uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    const uint32_t srcBytes = mapDepth(srcBits), dstBytes = mapDepth(dstBits);
    // Bytes to bytes, words to words, and words to colour bytes.
    const bool toColourBytes = dstComps == 3 && srcBytes == 2 && dstBytes == 1;
    if (srcBytes == 0 || dstBytes == 0 || (srcBytes != dstBytes && !toColourBytes))
        return -2;
    // One table from srcBits to dstBits, flat or with a row of dstComps.
    if (dstComps == 0 || !lut || !lut->pTable || lut->uiLutCount != 1 ||
        lut->uiSrcBits != srcBits || lut->uiDstBits != dstBits ||
        (lut->uiDstComps != 1 && lut->uiDstComps != dstComps))
        return -4;
    switch (depthPair(srcBytes, dstBytes)) {
    case depthPair(1, 1):
        return valueThroughLut<u8, u8>(dst, dstComps, dstWB, src, srcWB, *lut, width, count);
    case depthPair(2, 1):
        return valueThroughLut<u16, u8>(dst, dstComps, dstWB, src, srcWB, *lut, width, count);
    default:
        return valueThroughLut<u16, u16>(dst, dstComps, dstWB, src, srcWB, *lut, width, count);
    }
}

int CLxPicMemAPI::MapComponentsMToN(void* dst, uint32_t dstComps, uint32_t dstBits, uint32_t dstWB,
                                    const void* src, uint32_t srcComps, uint32_t srcBits,
                                    uint32_t srcWB, const SLxLut* lut, uint32_t width,
                                    uint32_t count)
{
    // A table that does not fit is refused even for an empty window.
    if (!tableMaps(lut, srcComps, srcBits, dstComps, dstBits))
        return -4;
    if (emptyWindow(width, count))
        return 0;
    const uint32_t pair = depthPair(mapDepth(srcBits), mapDepth(dstBits));
    if (dstComps != 3 ||
        (pair != depthPair(1, 1) && pair != depthPair(2, 1) && pair != depthPair(2, 2)))
        return -2;
    const void* const* one;
    const ColourTables t = colourTablesOf(*lut, srcBits, one, dstBits <= 8);
    // 16-bit colours combine at the scale of the colours themselves.
    const uint32_t full = maxOfBits(dstBits);
    switch (pair) {
    case depthPair(1, 1):
        return mapByComps<u8, u8>(dst, dstWB, src, srcComps, srcWB, t, lut->uiCompMask, full, width,
                                  count);
    case depthPair(2, 1):
        return mapByComps<u16, u8>(dst, dstWB, src, srcComps, srcWB, t, lut->uiCompMask, full,
                                   width, count);
    default:
        return mapByComps<u16, u16>(dst, dstWB, src, srcComps, srcWB, t, lut->uiCompMask, full,
                                    width, count);
    }
}

int CLxPicMemAPI::MapComponentsIterNToN(void* dst, uint32_t dstComps, uint32_t dstBits,
                                        uint32_t dstWB, const void* src, uint32_t srcComps,
                                        uint32_t srcBits, uint32_t srcWB, const SLxLut* lut,
                                        uint32_t width, uint32_t count)
{
    if (!tableMaps(lut, srcComps, srcBits, dstComps, dstBits))
        return -4;
    if (emptyWindow(width, count))
        return 0;
    if (dstComps != 3 || dstBits != 8 || srcBits != 8 || srcComps != 1)
        return -2;
    return accumulateColours(dst, dstWB, src, 1, srcWB,
                             static_cast<const void* const*>(lut->pTable), 255, width, count);
}
