// Whether every branch holds the same channels, and switching one channel
// in every branch.
#include <cstring>

#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxExperimentAPIInternal.h"
#include "w32_system/memory/LxAlloc.h"

using namespace lx_experiment;

namespace
{

bool IsChannelOn(const SLxExperiment& spect, uint32_t i)
{
    return !spect.pItemValid || spect.pItemValid[i] != 0;
}

bool HoldsSuperset(const SLxExperiment& level, const SLxExperiment& superset)
{
    if (level.eType != SLxExperiment::eEtSpect) {
        bool any = false;
        for (const SChildArray& array : ChildArrays(level)) {
            for (uint32_t i = 0; i < array.Count(); ++i) {
                if (!array.At(i) || !HoldsSuperset(*array.At(i), superset))
                    return false;
                any = true;
            }
        }
        return any; // a branch that ends without channels
    }
    if (level.ppNextLevelEx && level.uiNextLevelCount >= 2)
        return false;
    const SLxExperiment::SLxExpSpectLoop& own = level.uLoopPars.sSpectLoop;
    const SLxExperiment::SLxExpSpectLoop& all = superset.uLoopPars.sSpectLoop;
    if (own.uiCount != all.uiCount)
        return false;
    for (uint32_t i = 0; i < own.uiCount; ++i) {
        const bool on = IsChannelOn(level, i);
        if (on != IsChannelOn(superset, i))
            return false;
        if (on && (!own.pPlaneDesc || !all.pPlaneDesc ||
                   !IsSameChannel(own.pPlaneDesc[i], all.pPlaneDesc[i])))
            return false;
    }
    return true;
}

} // namespace

bool CLxExperimentAPI::HasSameLambdaChannels(const SLxExperiment* pRoot)
{
    SLxExperiment* superset = nullptr;
    if (GetSupersetSpectExp(pRoot, &superset) != 0 || !superset)
        return true;
    const bool same = HoldsSuperset(*pRoot, *superset);
    SLxExperiment::FreeRecursive(superset);
    return same;
}

int CLxExperimentAPI::EnableChannelInAllBranches(SLxExperiment* pRoot, uint32_t uiChannel,
                                                 bool bEnable)
{
    if (!pRoot)
        return 0;
    if (pRoot->eType == SLxExperiment::eEtSpect &&
        pRoot->uLoopPars.sSpectLoop.uiCount > uiChannel) {
        const uint32_t count = pRoot->uLoopPars.sSpectLoop.uiCount;
        if (!pRoot->pItemValid) {
            pRoot->pItemValid = static_cast<uint8_t*>(CLxAlloc::Alloc(0, count));
            if (!pRoot->pItemValid)
                return -3;
            std::memset(pRoot->pItemValid, 1, count);
        }
        pRoot->pItemValid[uiChannel] = bEnable ? 1 : 0;
        return 0;
    }
    int status = 0;
    for (const SChildArray& array : ChildArrays(*pRoot)) {
        for (uint32_t i = 0; i < array.Count(); ++i) {
            const int s = EnableChannelInAllBranches(array.At(i), uiChannel, bEnable);
            status = status ? status : s;
        }
    }
    return status;
}
