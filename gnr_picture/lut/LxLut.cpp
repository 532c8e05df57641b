#include "gnr_picture/lut/LxLut.h"

#include <cstddef>
#include <cstring>

#include "w32_system/memory/LxAlloc.h"

namespace
{

// Tables stay below 2 GiB, like pictures; 2^31 entries would not fit anyway.
constexpr uint64_t kMaxTableBytes = 0x7FFFFFFF;

struct Shape {
    uint64_t entries;  // 2^source bits
    uint64_t rowBytes; // destination components x sample bytes
    uint64_t tables;

    uint64_t dataBytes() const { return entries * rowBytes * tables; }
};

Shape shapeOf(const SLxLut& lut)
{
    const uint64_t sampleBytes = (uint64_t(lut.uiDstBits) + 7) / 8;
    return {uint64_t(1) << (lut.uiSrcBits < 63 ? lut.uiSrcBits : 63), sampleBytes * lut.uiDstComps,
            lut.uiLutCount};
}

bool isFlat(const SLxLut& lut)
{
    return lut.uiLutCount == 1 && lut.uiDstComps == 1;
}

bool hasRowPointers(const SLxLut& lut)
{
    return lut.uiLutCount == 1 && lut.uiDstComps != 1;
}

// The first byte of the entries, whatever the layout.
uint8_t* dataOf(const SLxLut& lut)
{
    if (isFlat(lut))
        return static_cast<uint8_t*>(lut.pTable);
    if (hasRowPointers(lut))
        return static_cast<uint8_t*>(static_cast<void**>(lut.pTable)[0]);
    return static_cast<uint8_t*>(static_cast<void***>(lut.pTable)[0][0]);
}

void* allocBlock(uint64_t bytes)
{
    return CLxAlloc::Alloc(0, size_t(bytes));
}

void freeColor(SLxLut* lut)
{
    CLxAlloc::Free(lut->pOverExpColor);
    lut->pOverExpColor = nullptr;
}

} // namespace

int SLxLut::Alloc(SLxLut* lut, uint8_t srcBits, uint8_t lutCount, uint8_t dstBits, uint8_t dstComps)
{
    if (!lut)
        return -4;
    lut->uiSrcBits = srcBits;
    lut->uiLutCount = lutCount;
    lut->uiDstBits = dstBits;
    lut->uiDstComps = dstComps;
    lut->pOverExpColor = nullptr;
    lut->pTable = nullptr;

    const Shape shape = shapeOf(*lut);
    if (shape.dataBytes() == 0)
        return -4;
    if (srcBits >= 31 || shape.dataBytes() > kMaxTableBytes)
        return -3;

    if (isFlat(*lut)) {
        lut->pTable = allocBlock(shape.dataBytes());
        return lut->pTable ? 0 : -3;
    }

    // Row pointers into one data block; per-component tables add a block of
    // row-pointer arrays and an array pointing at each of them.
    const uint64_t rowCount = shape.entries * shape.tables;
    if (rowCount * sizeof(void*) > kMaxTableBytes)
        return -3;
    auto* data = static_cast<uint8_t*>(allocBlock(shape.dataBytes()));
    auto** rows = static_cast<void**>(allocBlock(rowCount * sizeof(void*)));
    void*** perTable = hasRowPointers(*lut)
                           ? nullptr
                           : static_cast<void***>(allocBlock(shape.tables * sizeof(void**)));
    if (!data || !rows || (!hasRowPointers(*lut) && !perTable)) {
        CLxAlloc::Free(data);
        CLxAlloc::Free(rows);
        CLxAlloc::Free(perTable);
        return -3;
    }
    for (uint64_t i = 0; i < rowCount; ++i)
        rows[i] = data + i * shape.rowBytes;
    if (perTable) {
        for (uint64_t c = 0; c < shape.tables; ++c)
            perTable[c] = rows + c * shape.entries;
        lut->pTable = perTable;
    } else {
        lut->pTable = rows;
    }
    return 0;
}

int SLxLut::AllocSingle(SLxLut* lut, uint8_t srcBits, uint8_t dstBits)
{
    return Alloc(lut, srcBits, 1, dstBits, 1);
}

int SLxLut::AllocColor(SLxLut* lut, uint8_t srcBits, uint8_t dstBits)
{
    return Alloc(lut, srcBits, 1, dstBits, 3);
}

void SLxLut::Free(SLxLut* lut)
{
    if (!lut)
        return;
    if (lut->pTable) {
        if (isFlat(*lut)) {
            CLxAlloc::Free(lut->pTable);
        } else if (hasRowPointers(*lut)) {
            auto** rows = static_cast<void**>(lut->pTable);
            CLxAlloc::Free(rows[0]);
            CLxAlloc::Free(rows);
        } else {
            auto*** perTable = static_cast<void***>(lut->pTable);
            CLxAlloc::Free(perTable[0][0]);
            CLxAlloc::Free(perTable[0]);
            CLxAlloc::Free(perTable);
        }
        lut->pTable = nullptr;
    }
    freeColor(lut);
}

int SLxLut::Copy(SLxLut* dst, const SLxLut* src)
{
    // A table of another shape would take more or fewer bytes than it has.
    if (!dst || !src || !dst->pTable || !src->pTable || dst->uiSrcBits != src->uiSrcBits ||
        dst->uiLutCount != src->uiLutCount || dst->uiDstBits != src->uiDstBits ||
        dst->uiDstComps != src->uiDstComps)
        return -4;
    if (dst != src)
        std::memmove(dataOf(*dst), dataOf(*src), size_t(shapeOf(*src).dataBytes()));
    dst->uiCompMask = src->uiCompMask;
    return 0;
}

namespace
{

uint64_t limitMask(uint64_t mask, uint8_t count)
{
    if (count == 32 || count >= 64)
        return mask;
    return mask & ((uint64_t(1) << count) - 1);
}

} // namespace

uint8_t SLxLut::ComponentCountFromMask(uint64_t mask, uint8_t count)
{
    return uint8_t(__builtin_popcountll(limitMask(mask, count)));
}

uint8_t SLxLut::ComponentIndexFromMask(uint64_t mask, uint8_t count, uint8_t n)
{
    uint64_t rest = limitMask(mask, count);
    for (uint8_t bit = 0; rest != 0; ++bit, rest >>= 1) {
        if ((rest & 1) && n-- == 0)
            return bit;
    }
    return 255;
}

int SLxLut::SetOverExpColor(SLxLut* lut, const uint32_t* color)
{
    if (!lut)
        return -4;
    freeColor(lut);
    if (!color)
        return 0;
    if (lut->uiDstComps != 3 || lut->uiDstBits > 16)
        return -2;
    const uint8_t bgr[3] = {uint8_t(*color >> 16), uint8_t(*color >> 8), uint8_t(*color)};
    if (lut->uiDstBits <= 8) {
        lut->pOverExpColor = CLxAlloc::Alloc(0, sizeof bgr);
        if (!lut->pOverExpColor)
            return -3;
        std::memcpy(lut->pOverExpColor, bgr, sizeof bgr);
        return 0;
    }
    uint16_t scaled[3];
    for (int k = 0; k < 3; ++k)
        scaled[k] = uint16_t((uint32_t(bgr[k]) << lut->uiDstBits) >> 8);
    lut->pOverExpColor = CLxAlloc::Alloc(0, sizeof scaled);
    if (!lut->pOverExpColor)
        return -3;
    std::memcpy(lut->pOverExpColor, scaled, sizeof scaled);
    return 0;
}

int SLxLut::SetOverExpColorArr(SLxLut* lut, const void* samples, uint32_t bits)
{
    if (!lut)
        return -4;
    if (!samples) {
        freeColor(lut);
        return 0;
    }
    if (bits != lut->uiDstBits)
        return -4;
    if (lut->uiDstComps != 3 || lut->uiDstBits > 16)
        return -2;
    const size_t size = lut->uiDstBits <= 8 ? 3 : 6;
    // A block of another size (the table's depth changed) is replaced.
    if (lut->pOverExpColor && CLxAlloc::Size(lut->pOverExpColor) != size)
        freeColor(lut);
    if (!lut->pOverExpColor)
        lut->pOverExpColor = CLxAlloc::Alloc(0, size);
    if (!lut->pOverExpColor)
        return -3;
    std::memmove(lut->pOverExpColor, samples, size);
    return 0;
}
