// Dispatcher of the multiplicative shading correction: the shading window's
// per-component means, the per-call division tables of byte samples, and the
// kernel for the format.
#include <memory>

#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "gnr_picture/picmemAPI/LxPicMemDispatch.h"
#include "gnr_picture/picmemAPI/LxShadingKernels.h"
#include "gnr_picture/picmemAPI/LxShadingKernelsT.h"
#include "w32_system/memory/LxAlloc.h"

using namespace lxpic;

namespace
{

struct HeapFree {
    void operator()(void* p) const { CLxAlloc::Free(p); }
};
template <class T> using HeapArray = std::unique_ptr<T[], HeapFree>;

template <class T> HeapArray<T> allocArray(size_t n)
{
    return HeapArray<T>(static_cast<T*>(CLxAlloc::Alloc(0, n * sizeof(T))));
}

// The means of the shading window's components over the pixels that the
// kernels work on (whole lines; a remainder of the count is no part of the
// window). Null when memory fails; *status the summing's own failure.
HeapArray<uint32_t> shadingMeans(const void* shading, uint32_t shadingWB, uint32_t comps,
                                 uint32_t bits, uint32_t width, uint32_t count, int* status)
{
    *status = -3;
    HeapArray<uint64_t> sums(static_cast<uint64_t*>(
        CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, size_t(comps) * sizeof(uint64_t))));
    HeapArray<uint32_t> means = allocArray<uint32_t>(comps);
    if (!sums || !means)
        return nullptr;
    *status = CLxPicMemAPI::SumValues(sums.get(), shading, comps, bits, shadingWB, width, count);
    if (*status != 0)
        return nullptr;
    const uint64_t pixels = uint64_t(width) * lineCount(width, count);
    for (uint32_t c = 0; c < comps; ++c)
        means[c] = uint32_t(sums[c] / pixels);
    return means;
}

int correctBytes(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, const void* shading,
                 uint32_t shadingWB, const uint32_t* means, uint32_t comps, uint32_t bits,
                 uint32_t width, uint32_t count)
{
    HeapArray<uint8_t> memory = allocArray<uint8_t>(size_t(comps) * 65536);
    HeapArray<const uint8_t*> tables = allocArray<const uint8_t*>(comps);
    if (!memory || !tables)
        return -3;
    for (uint32_t c = 0; c < comps; ++c) {
        uint8_t* table = memory.get() + size_t(c) * 65536;
        buildDivisionTable(table, means[c], maxOfBits(bits));
        tables[c] = table;
    }
    switch (memberComps(comps, {1, 3})) {
    case 1:
        return multshading_1x8(dst, dstWB, src, srcWB, shading, shadingWB, tables[0], width, count);
    case 3:
        return multshading_3x8(dst, dstWB, src, srcWB, shading, shadingWB, tables.get(), width,
                               count);
    default:
        return multshading_Nx8(dst, dstWB, src, srcWB, shading, shadingWB, tables.get(), comps,
                               width, count);
    }
}

int correctWords(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, const void* shading,
                 uint32_t shadingWB, const uint32_t* means, uint32_t comps, uint32_t bits,
                 uint32_t width, uint32_t count)
{
    switch (memberComps(comps, {1, 3})) {
    case 1:
        return multshading_1x16(dst, dstWB, src, srcWB, shading, shadingWB, means[0], bits, width,
                                count);
    case 3:
        return multshading_3x16(dst, dstWB, src, srcWB, shading, shadingWB, means, bits, width,
                                count);
    default:
        return multshading_Nx16(dst, dstWB, src, srcWB, shading, shadingWB, means, comps, bits,
                                width, count);
    }
}

} // namespace

int CLxPicMemAPI::ApplyMultShading(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                                   const void* shading, uint32_t shadingWB, uint32_t comps,
                                   uint32_t bits, uint32_t width, uint32_t count)
{
    if (emptyWindow(width, count))
        return 0;
    const uint32_t bytes = bits <= 16 ? sampleBytes(bits) : 0;
    if (bytes == 0)
        return -2;
    if (comps == 0 || !dst || !src || !shading)
        return -4;
    if (lineCount(width, count) == 0)
        return 0; // not one whole line: nothing to correct, no mean to form
    int status = 0;
    const HeapArray<uint32_t> means =
        shadingMeans(shading, shadingWB, comps, bits, width, count, &status);
    if (!means)
        return status;
    return bytes == 1 ? correctBytes(dst, dstWB, src, srcWB, shading, shadingWB, means.get(), comps,
                                     bits, width, count)
                      : correctWords(dst, dstWB, src, srcWB, shading, shadingWB, means.get(), comps,
                                     bits, width, count);
}
