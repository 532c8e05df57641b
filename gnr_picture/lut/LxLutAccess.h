// Addressing the entries of an SLxLut in any of its three layouts, for the
// code that fills tables.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "gnr_picture/lut/LxLut.h"
#include "gnr_picture/picmemAPI/LxPicMemLoops.h"

namespace lxlut
{

// Bytes of one destination sample for the depths the builders write (1 to
// 16 bits); 0 for any other depth.
inline uint32_t sampleBytes(uint32_t bits)
{
    return bits == 0 ? 0 : bits <= 8 ? 1 : bits <= 16 ? 2 : 0;
}

using lxpic::maxOfBits;

inline uint32_t entryCount(const SLxLut& lut)
{
    return uint32_t(1) << lut.uiSrcBits;
}

// The samples of entry i of table c: the flat table's entry, the row of the
// row-pointer layout or the row of table c of the per-component layout.
inline uint8_t* rowOf(const SLxLut& lut, uint32_t c, uint32_t i)
{
    if (lut.uiLutCount == 1 && lut.uiDstComps == 1)
        return static_cast<uint8_t*>(lut.pTable) + size_t(i) * sampleBytes(lut.uiDstBits);
    if (lut.uiLutCount == 1)
        return static_cast<uint8_t* const*>(lut.pTable)[i];
    return static_cast<uint8_t* const* const*>(lut.pTable)[c][i];
}

// Sample k of a row of 1- or 2-byte samples.
inline uint32_t loadSample(const uint8_t* row, uint32_t k, uint32_t bytes)
{
    if (bytes == 1)
        return row[k];
    uint16_t v;
    std::memcpy(&v, row + 2 * size_t(k), 2);
    return v;
}
inline void storeSample(uint8_t* row, uint32_t k, uint32_t bytes, uint32_t value)
{
    if (bytes == 1) {
        row[k] = uint8_t(value);
        return;
    }
    const uint16_t v = uint16_t(value);
    std::memcpy(row + 2 * size_t(k), &v, 2);
}

// A computed value as an entry: truncated toward zero and clipped to
// 0..top; not a number gives 0.
inline uint32_t clipToEntry(double v, uint32_t top)
{
    if (!(v >= 0.0))
        return 0;
    if (v >= double(top))
        return top;
    return uint32_t(v);
}

} // namespace lxlut
