// The large-image descriptor of a tree, kept on the last level of branch 0.
#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxExperimentAPIInternal.h"
#include "w32_system/memory/LxAlloc.h"

using namespace lx_experiment;

int CLxExperimentAPI::GetLargeImage(const SLxExperiment* pRoot, int32_t* piMethod, double* pdXmm,
                                    double* pdYmm, int32_t* piXFields, int32_t* piYFields)
{
    const SLxExperiment::SLxLIDesc* found = nullptr;
    for (const SLxExperiment* level = pRoot; level; level = GetNextLevelExperiment(level, 0)) {
        if (level->pLargeImage)
            found = level->pLargeImage;
    }
    if (!found)
        return -9;
    if (piMethod)
        *piMethod = found->iMethod;
    if (pdXmm)
        *pdXmm = found->dXmm;
    if (pdYmm)
        *pdYmm = found->dYmm;
    if (piXFields)
        *piXFields = found->iXFields;
    if (piYFields)
        *piYFields = found->iYFields;
    return 0;
}

int CLxExperimentAPI::SetLargeImage(SLxExperiment* pRoot, int32_t iMethod, double dXmm, double dYmm,
                                    int32_t iXFields, int32_t iYFields, bool bEnable)
{
    if (!pRoot)
        return -9;
    SLxExperiment* level = pRoot;
    // Only the last level of branch 0 keeps a descriptor.
    while (SLxExperiment* next = GetNextLevelExperiment(level, 0)) {
        CLxAlloc::Free(level->pLargeImage);
        level->pLargeImage = nullptr;
        level = next;
    }
    if (!bEnable) {
        CLxAlloc::Free(level->pLargeImage);
        level->pLargeImage = nullptr;
        return 0;
    }
    if (!level->pLargeImage) {
        level->pLargeImage = static_cast<SLxExperiment::SLxLIDesc*>(
            CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, sizeof(SLxExperiment::SLxLIDesc)));
        if (!level->pLargeImage)
            return -3;
    }
    level->pLargeImage->iMethod = iMethod;
    level->pLargeImage->dXmm = dXmm;
    level->pLargeImage->dYmm = dYmm;
    level->pLargeImage->iXFields = iXFields;
    level->pLargeImage->iYFields = iYFields;
    return 0;
}
