#include <algorithm>
#include <cstdlib>
#include <sched.h>

#include "mul_imageformat/gnr_imageformat_jp2/codec/jp2_codec.h"

uint32_t SLxJ2KHeader::MaxReduce() const
{
    uint32_t levels = 32;
    for (const SLxJ2KComponent& c : components)
        levels = std::min(levels, c.uiResolutions);
    return levels ? levels - 1 : 0;
}

namespace
{

uint64_t CeilDiv(uint64_t a, uint64_t b)
{
    return (a + b - 1) / b;
}

uint64_t CeilDivPow2(uint64_t a, uint32_t e)
{
    return (a + (uint64_t(1) << e) - 1) >> e;
}

} // namespace

SLxJ2KWindow LX_J2KComponentWindow(const SLxJ2KHeader& h, uint32_t component,
                                   const SLxJ2KArea& area, uint32_t reduce)
{
    SLxJ2KWindow w;
    if (component >= h.components.size())
        return w;
    const SLxJ2KComponent& c = h.components[component];
    reduce = std::min<uint32_t>(reduce, 31);
    const uint64_t x0 = uint64_t(h.uiX0) + area.uiX, y0 = uint64_t(h.uiY0) + area.uiY;
    w.uiX0 = uint32_t(CeilDivPow2(CeilDiv(x0, c.uiDx), reduce));
    w.uiY0 = uint32_t(CeilDivPow2(CeilDiv(y0, c.uiDy), reduce));
    w.uiX1 = uint32_t(CeilDivPow2(CeilDiv(x0 + area.uiWidth, c.uiDx), reduce));
    w.uiY1 = uint32_t(CeilDivPow2(CeilDiv(y0 + area.uiHeight, c.uiDy), reduce));
    return w;
}

int LX_J2KDecodeThreads(uint64_t samples)
{
    if (const char* env = std::getenv("QUELVIX_THREADS")) {
        const long n = std::strtol(env, nullptr, 10);
        if (n >= 1)
            return int(std::min<long>(n, 256));
    }
    if (samples < (uint64_t(1) << 20))
        return 1;
    // The cores this process may run on, not all the machine's.
    cpu_set_t set;
    CPU_ZERO(&set);
    const int cores = sched_getaffinity(0, sizeof set, &set) == 0 ? CPU_COUNT(&set) : 1;
    return cores > 1 ? std::min(cores, 256) : 1;
}
