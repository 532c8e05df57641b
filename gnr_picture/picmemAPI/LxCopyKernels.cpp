#include "gnr_picture/picmemAPI/LxCopyKernels.h"

#include "gnr_picture/picmemAPI/LxCopyKernelsT.h"

#include <unistd.h>

#include <cstdio>

using namespace lxpic;

namespace
{

// The kernel's figure for the last-level cache first: under some hypervisors
// glibc's cpuid reading (sysconf) reports several times the real size.
size_t queryLastLevelCacheBytes()
{
    if (FILE* f = std::fopen("/sys/devices/system/cpu/cpu0/cache/index3/size", "r")) {
        unsigned long kib = 0;
        const bool read = std::fscanf(f, "%luK", &kib) == 1;
        std::fclose(f);
        if (read && kib > 0)
            return size_t(kib) * 1024;
    }
    const long bytes = sysconf(_SC_LEVEL3_CACHE_SIZE);
    return bytes > 0 ? size_t(bytes) : size_t(8) << 20;
}

// A copy reads its source and writes its destination through the cache;
// once the two together no longer fit, the destination lines are evicted
// before anyone reads them, and streaming them past the cache is faster.
size_t copyStreamThreshold()
{
    static const size_t bytes = queryLastLevelCacheBytes() / 2;
    return bytes;
}

} // namespace

int compare(const void* p1, uint32_t wb1, const void* p2, uint32_t wb2, uint32_t comps,
            uint32_t bits, uint32_t width, uint32_t pixelCount)
{
    return compareLines(p1, wb1, p2, wb2, comps, bits, width, pixelCount);
}

int copy(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t comps, uint32_t bits,
         uint32_t width, uint32_t pixelCount)
{
    return copyLines(dst, dstWB, src, srcWB, comps, bits, width, pixelCount,
                     copyStreamThreshold());
}

int set(void* dst, uint32_t dstWB, uint32_t value, uint32_t comps, uint32_t bits, uint32_t width,
        uint32_t pixelCount)
{
    return setLines(dst, dstWB, value, comps, bits, width, pixelCount);
}

int blend_two(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, const uint8_t* table,
              uint32_t comps, uint32_t bits, uint32_t width, uint32_t pixelCount)
{
    return blendLines(dst, dstWB, src, srcWB, table, comps, bits, width, pixelCount);
}

namespace
{

// The masked copies, built for AVX2 and the baseline.
#define LX_COPYMASK_CLONES(name, M, In)                                                            \
    LX_KERNEL_CLONES int name(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,          \
                              size_t pixelBytes, const void* mask, uint32_t maskWB,                \
                              uint32_t width, uint32_t pixelCount, uint32_t value)                 \
    {                                                                                              \
        return copyMasked<M, In>(dst, dstWB, src, srcWB, pixelBytes, mask, maskWB, width,          \
                                 pixelCount, value);                                               \
    }

LX_COPYMASK_CLONES(copyMasked8In, uint8_t, true)
LX_COPYMASK_CLONES(copyMasked8Out, uint8_t, false)
LX_COPYMASK_CLONES(copyMasked16In, uint16_t, true)
LX_COPYMASK_CLONES(copyMasked16Out, uint16_t, false)
#undef LX_COPYMASK_CLONES

} // namespace

int copymask_8_in(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t comps,
                  uint32_t bits, const void* mask, uint32_t maskWB, uint32_t width,
                  uint32_t pixelCount, uint32_t value)
{
    return copyMasked8In(dst, dstWB, src, srcWB, size_t(sampleBytes(bits)) * comps, mask, maskWB,
                         width, pixelCount, value);
}

int copymask_8_out(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t comps,
                   uint32_t bits, const void* mask, uint32_t maskWB, uint32_t width,
                   uint32_t pixelCount, uint32_t value)
{
    return copyMasked8Out(dst, dstWB, src, srcWB, size_t(sampleBytes(bits)) * comps, mask, maskWB,
                          width, pixelCount, value);
}

int copymask_16_in(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t comps,
                   uint32_t bits, const void* mask, uint32_t maskWB, uint32_t width,
                   uint32_t pixelCount, uint32_t value)
{
    return copyMasked16In(dst, dstWB, src, srcWB, size_t(sampleBytes(bits)) * comps, mask, maskWB,
                          width, pixelCount, value);
}

int copymask_16_out(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, uint32_t comps,
                    uint32_t bits, const void* mask, uint32_t maskWB, uint32_t width,
                    uint32_t pixelCount, uint32_t value)
{
    return copyMasked16Out(dst, dstWB, src, srcWB, size_t(sampleBytes(bits)) * comps, mask, maskWB,
                           width, pixelCount, value);
}

int copymask_16_3x8_in(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB, const void* mask,
                       uint32_t maskWB, uint32_t width, uint32_t pixelCount, uint32_t value)
{
    return copyMasked16In(dst, dstWB, src, srcWB, 3, mask, maskWB, width, pixelCount, value);
}

int copymask_16_3x8_out(void* dst, uint32_t dstWB, const void* src, uint32_t srcWB,
                        const void* mask, uint32_t maskWB, uint32_t width, uint32_t pixelCount,
                        uint32_t value)
{
    return copyMasked16Out(dst, dstWB, src, srcWB, 3, mask, maskWB, width, pixelCount, value);
}

int set_Nx8(void* dst, uint32_t comps, uint32_t dstWB, const void* value, uint32_t width,
            uint32_t pixelCount)
{
    return setPixels<uint8_t>(dst, comps, dstWB, value, width, pixelCount);
}

int set_Nx16(void* dst, uint32_t comps, uint32_t dstWB, const void* value, uint32_t width,
             uint32_t pixelCount)
{
    return setPixels<uint16_t>(dst, comps, dstWB, value, width, pixelCount);
}

int change_Nx8(void* dst, uint32_t comps, uint32_t dstWB, const void* newValue,
               const void* oldValue, uint32_t width, uint32_t pixelCount)
{
    return changePixels<uint8_t>(dst, comps, dstWB, newValue, oldValue, width, pixelCount);
}

int change_Nx16(void* dst, uint32_t comps, uint32_t dstWB, const void* newValue,
                const void* oldValue, uint32_t width, uint32_t pixelCount)
{
    return changePixels<uint16_t>(dst, comps, dstWB, newValue, oldValue, width, pixelCount);
}
