// Depth-first walk of a tree with a callback, and the size maxima per
// depth built on it.
#include <vector>

#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxExperimentAPIInternal.h"
#include "w32_system/memory/LxAlloc.h"

namespace lx_experiment
{

std::vector<SChildArray> ChildArrays(const E& constLevel)
{
    E& level = const_cast<E&>(constLevel);
    std::vector<SChildArray> arrays;
    E::SLxExpNETimeLoop& ne = level.uLoopPars.sNETimeLoop;
    if (level.eType == E::eEtNETime && ne.pSubLoops) {
        for (uint32_t p = 0; p < ne.uiPeriodCount; ++p) {
            E::SLxSubLoopsDefinition& def = ne.pSubLoops[p];
            arrays.push_back(SChildArray{&def.ppNextLevelEx, &def.uiNextLevelCount, p});
        }
    } else {
        arrays.push_back(
            SChildArray{&level.ppNextLevelEx, &level.uiNextLevelCount, SChildArray::kOwn});
    }
    return arrays;
}

void PackChildren(const SChildArray& array)
{
    uint32_t kept = 0;
    for (uint32_t i = 0; i < array.Count(); ++i) {
        if (array.At(i))
            array.At(kept++) = array.At(i);
    }
    if (kept == 0) {
        CLxAlloc::Free(*array.pppChildren);
        *array.pppChildren = nullptr;
    }
    *array.puiCount = kept;
}

} // namespace lx_experiment

using namespace lx_experiment;

namespace
{

int Walk(SLxExperiment* level, CLxExperimentAPI::WalkCallback callback, void* context,
         uint32_t depth)
{
    if (!level)
        return 0;
    int status = callback(level, depth, context);
    // Every valid period's sub-loops run below a non-equidistant time loop.
    for (const SChildArray& array : ChildArrays(*level)) {
        if (array.uiPeriod != SChildArray::kOwn && !IsPeriodValid(*level, array.uiPeriod))
            continue;
        for (uint32_t i = 0; status == 0 && i < array.Count(); ++i)
            status = Walk(array.At(i), callback, context, depth + 1);
    }
    return status;
}

struct SSizeMax {
    uint32_t uiLevelCount;
    // [0] the home plane, [d + 1] depth d; grown to the depths the tree has.
    std::vector<uint32_t> sizes;
};

int RecordSize(SLxExperiment* level, uint32_t depth, void* context)
{
    SSizeMax& max = *static_cast<SSizeMax*>(context);
    const uint32_t size = CLxExperimentAPI::GetLoopSize(level);
    if (depth >= max.uiLevelCount)
        return 0;
    if (depth + 1 >= max.sizes.size())
        max.sizes.resize(size_t(depth) + 2, 0);
    if (size > max.sizes[depth + 1]) {
        max.sizes[depth + 1] = size;
        if (level->eType == SLxExperiment::eEtZStack)
            max.sizes[0] = ZStackHome(level->uLoopPars.sZStackLoop);
    }
    return 0;
}

} // namespace

int CLxExperimentAPI::WalkExperiment(SLxExperiment* pRoot, WalkCallback callback, void* pContext,
                                     uint32_t uiStartDepth)
{
    if (!callback)
        return -4;
    return Walk(pRoot, callback, pContext, uiStartDepth);
}

int CLxExperimentAPI::GetSizeMax(const SLxExperiment* pRoot, uint32_t* puiSizes,
                                 uint32_t uiLevelCount, uint32_t* puiHome)
{
    if (!puiSizes && uiLevelCount)
        return -4;
    SSizeMax max{uiLevelCount, std::vector<uint32_t>(1, 0)};
    const int status = WalkExperiment(const_cast<SLxExperiment*>(pRoot), RecordSize, &max, 0);
    for (uint32_t d = 0; d < uiLevelCount; ++d)
        puiSizes[d] = d + 1 < max.sizes.size() ? max.sizes[d + 1] : 0;
    if (puiHome)
        *puiHome = max.sizes[0];
    return status;
}
