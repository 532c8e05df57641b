// Reducing a tree to a subset of its channels, and removing spectral
// levels.
#include <vector>

#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxExperimentAPIInternal.h"

using namespace lx_experiment;

namespace
{

uint32_t ChildCount(const SLxExperiment& level)
{
    uint32_t count = 0;
    for (const SChildArray& array : ChildArrays(level))
        count += array.Count();
    return count;
}

// Keeps the valid channels of a spectral level that the keep list holds,
// matched in order (the search never goes back), in keep-list order.
int ReduceSpect(SLxExperiment& spect, const SLxPicturePlanes& keep)
{
    const SLxExperiment::SLxExpSpectLoop& s = spect.uLoopPars.sSpectLoop;
    std::vector<SChannelSource> kept;
    uint32_t from = 0;
    for (uint32_t c = 0; s.pPlaneDesc && c < s.uiCount && from < keep.uiCount; ++c) {
        if (spect.pItemValid && !spect.pItemValid[c])
            continue;
        uint32_t k = from;
        while (k < keep.uiCount && !SLxPicturePlaneDesc::IsEqual(keep.sPlane[k], s.pPlaneDesc[c]))
            ++k;
        if (k == keep.uiCount)
            continue;
        kept.push_back(ChannelOf(spect, c));
        from = k + 1;
    }
    return SetChannels(spect, kept, false);
}

int Reduce(SLxExperiment& level, const SLxPicturePlanes& keep)
{
    if (level.eType == SLxExperiment::eEtSpect)
        return ReduceSpect(level, keep);
    if (ChildCount(level) == 0)
        return -9; // a branch without channels
    int status = 0;
    for (const SChildArray& array : ChildArrays(level)) {
        for (uint32_t i = 0; i < array.Count(); ++i) {
            SLxExperiment*& child = array.At(i);
            if (!child)
                continue;
            const int s = Reduce(*child, keep);
            status = status ? status : s;
            // A spectral level without channels goes.
            if (child->eType == SLxExperiment::eEtSpect && child->uLoopPars.uiCount == 0) {
                SLxExperiment::FreeRecursive(child);
                child = nullptr;
            }
        }
        PackChildren(array);
    }
    return status;
}

} // namespace

int CLxExperimentAPI::ReduceLambdaExperiment(SLxExperiment* pRoot, uint32_t uiCompMask)
{
    if (!pRoot)
        return -4;
    SLxExperiment* superset = nullptr;
    int status = GetSupersetSpectExp(pRoot, &superset);
    if (status != 0 || !superset)
        return status;
    SLxPicturePlanes all, keep;
    status = SLxExperiment::ExtractValidPlanes(all, superset);
    SLxExperiment::FreeRecursive(superset);
    if (status == 0)
        status = SLxPicturePlanes::Alloc(keep, SLxPicturePlanes::MaskedPlaneCount(all, uiCompMask));
    if (status == 0) {
        keep.uiCount = SLxPicturePlanes::ExtractPlanes(keep, all, uiCompMask);
        status = Reduce(*pRoot, keep);
    }
    SLxPicturePlanes::Free(all);
    SLxPicturePlanes::Free(keep);
    return status;
}

int CLxExperimentAPI::RemoveLambdaExperiment(SLxExperiment* pExp)
{
    if (!pExp)
        return -4;
    for (const SChildArray& array : ChildArrays(*pExp)) {
        for (uint32_t i = 0; i < array.Count(); ++i) {
            SLxExperiment*& child = array.At(i);
            if (!child)
                continue;
            if (ChildCount(*child) != 0)
                RemoveLambdaExperiment(child);
            else if (child->eType == SLxExperiment::eEtSpect) {
                SLxExperiment::FreeRecursive(child);
                child = nullptr;
            }
        }
        PackChildren(array);
    }
    return 0;
}
