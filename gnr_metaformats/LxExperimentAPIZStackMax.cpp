// The largest Z stack of a tree and its home plane.
#include <cmath>

#include "gnr_metaformats/LxExperimentAPIInternal.h"

namespace lx_experiment
{

namespace
{

// A plane index from a computed double; out-of-range or undefined values
// (a zero range, a NaN) fall back to plane 0.
uint32_t PlaneFrom(double v, uint32_t count)
{
    if (!(v >= 0.0) || v >= double(count))
        return 0;
    return uint32_t(v);
}

void WalkZ(const E* level, uint32_t& max, uint32_t* puiHome)
{
    if (!level)
        return;
    if ((level->eType == E::eEtZStack || uint32_t(level->eType) == 10) &&
        level->uLoopPars.uiCount > max) {
        max = level->uLoopPars.uiCount;
        if (puiHome && level->eType == E::eEtZStack)
            *puiHome = ZStackHome(level->uLoopPars.sZStackLoop);
    }
    const SBranchSet own = OwnChildren(*level);
    for (uint32_t j = 0; j < own.uiCount; ++j)
        WalkZ(own.ppChildren[j], max, puiHome);
    const E::SLxExpNETimeLoop& ne = level->uLoopPars.sNETimeLoop;
    if (level->eType == E::eEtNETime && ne.pSubLoops) {
        for (uint32_t p = 0; p < ne.uiPeriodCount; ++p) {
            const SBranchSet set = PeriodChildren(*level, p);
            for (uint32_t j = 0; IsPeriodValid(*level, p) && j < set.uiCount; ++j)
                WalkZ(set.ppChildren[j], max, puiHome);
        }
    }
}

} // namespace

uint32_t ZStackHome(const E::SLxExpZStackLoop& z)
{
    const uint32_t n = z.uiCount;
    if (n == 0)
        return 0;
    if (z.iType != 2 && z.iType != 3)
        return (n - 1) >> 1; // the middle plane
    const double end = z.bZInverted ? z.dZHigh : z.dZLow;
    if (z.dZStep > 0)
        return PlaneFrom(std::fabs(std::ceil(std::fabs(end - z.dZHome) / z.dZStep)), n);
    return PlaneFrom(
        std::trunc(std::fabs(z.dZHome - end) * double(n - 1) / std::fabs(z.dZHigh - z.dZLow)), n);
}

uint32_t ZStackSizeMax(const E* level, uint32_t* puiHome)
{
    uint32_t max = 0;
    WalkZ(level, max, puiHome);
    return max;
}

} // namespace lx_experiment
