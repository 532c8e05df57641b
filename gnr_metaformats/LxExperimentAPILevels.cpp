// Levels along a path: loop sizes, finding a level by type, level counts.
#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxExperimentAPIInternal.h"

using namespace lx_experiment;

namespace
{

uint32_t PositionAt(const uint32_t* puiPos, uint32_t uiPosCount, uint32_t depth)
{
    return puiPos && depth < uiPosCount ? puiPos[depth] : 0;
}

uint32_t OnlyLevelSize(const SLxExperiment* pRoot, SLxExperiment::ELxExperimentType type,
                       const uint32_t* puiPos, uint32_t uiPosCount, int& status)
{
    uint32_t size = 0;
    status = CLxExperimentAPI::GetLoopSize(pRoot, type, puiPos, uiPosCount, &size);
    return status == 0 ? size : 0;
}

} // namespace

uint32_t CLxExperimentAPI::GetLoopSize(const SLxExperiment* pExp)
{
    return Clamp32(LoopSize64(pExp));
}

int CLxExperimentAPI::GetLoopSize(const SLxExperiment* pRoot, uint32_t uiLevel,
                                  const uint32_t* puiPos, uint32_t uiPosCount, uint32_t* puiSize)
{
    if (puiSize)
        *puiSize = 0;
    if (!pRoot || !puiSize)
        return -4;
    const SLxExperiment* level = pRoot;
    for (uint32_t step = 0; step < uiLevel && level; ++step) {
        level = level->eType == SLxExperiment::eEtSpect
                    ? LargestChannelChild(*level)
                    : ItemRun(*level, PositionAt(puiPos, uiPosCount, step)).pChild;
    }
    if (!level)
        return -13;
    *puiSize = GetLoopSize(level);
    return 0;
}

int CLxExperimentAPI::GetLoopSize(const SLxExperiment* pRoot, ELxExperimentType eType,
                                  const uint32_t* puiPos, uint32_t uiPosCount, uint32_t* puiSize)
{
    if (puiSize)
        *puiSize = 0;
    const SLxExperiment* level = nullptr;
    const int status = FindExperiment(pRoot, eType, puiPos, uiPosCount, nullptr, &level);
    if (puiSize && level)
        *puiSize = GetLoopSize(level);
    return status;
}

uint32_t CLxExperimentAPI::GetLoopSizeForDisplay(const SLxExperiment* pExp)
{
    if (!pExp)
        return 0;
    if (pExp->eType == SLxExperiment::eEtTime)
        return pExp->uLoopPars.sTimeLoop.uiCount;
    if (pExp->eType == SLxExperiment::eEtNETime) {
        const SLxExperiment::SLxExpNETimeLoop& ne = pExp->uLoopPars.sNETimeLoop;
        for (uint32_t p = 0; ne.pPeriod && p < ne.uiPeriodCount; ++p) {
            if (IsPeriodValid(*pExp, p) && ne.pPeriod[p].uiCount == 0)
                return 0; // a period without end: no size to show
        }
    }
    return GetLoopSize(pExp);
}

uint32_t CLxExperimentAPI::GetExperimentCount(const SLxExperiment* pRoot)
{
    uint32_t count = 0;
    for (const SLxExperiment* level = pRoot; level; level = ItemRun(*level, 0).pChild)
        ++count;
    return count;
}

int CLxExperimentAPI::FindExperiment(const SLxExperiment* pRoot, ELxExperimentType eType,
                                     const uint32_t* puiPos, uint32_t uiPosCount,
                                     uint32_t* puiLevel, const SLxExperiment** ppExp)
{
    if (ppExp)
        *ppExp = nullptr;
    if (!pRoot)
        return -4;
    bool found = false;
    uint32_t depth = 0;
    for (const SLxExperiment* level = pRoot; level; ++depth) {
        if (level->eType == eType) {
            if (found)
                return -100;
            found = true;
            if (puiLevel)
                *puiLevel = depth;
            if (ppExp)
                *ppExp = level;
        }
        level = ItemRun(*level, PositionAt(puiPos, uiPosCount, depth)).pChild;
    }
    return found ? 0 : -13;
}

uint32_t CLxExperimentAPI::GetAllTimeLoopsSize(const SLxExperiment* pRoot, const uint32_t* puiPos,
                                               uint32_t uiPosCount)
{
    for (uint32_t type :
         {uint32_t(SLxExperiment::eEtTime), uint32_t(SLxExperiment::eEtNETime), uint32_t(9)}) {
        int status = 0;
        const uint32_t size =
            OnlyLevelSize(pRoot, ELxExperimentType(type), puiPos, uiPosCount, status);
        if (status != -13)
            return size;
    }
    return 0;
}

uint32_t CLxExperimentAPI::GetAllXYPosLoopsSize(const SLxExperiment* pRoot, const uint32_t* puiPos,
                                                uint32_t uiPosCount)
{
    int status = 0;
    return OnlyLevelSize(pRoot, SLxExperiment::eEtXYPos, puiPos, uiPosCount, status);
}

uint32_t CLxExperimentAPI::GetAllZStackLoopsSize(const SLxExperiment* pRoot, const uint32_t* puiPos,
                                                 uint32_t uiPosCount)
{
    int status = 0;
    return OnlyLevelSize(pRoot, SLxExperiment::eEtZStack, puiPos, uiPosCount, status);
}

uint32_t CLxExperimentAPI::GetAllCustLoopsSize(const SLxExperiment* pRoot, const uint32_t* puiPos,
                                               uint32_t uiPosCount)
{
    int status = 0;
    return OnlyLevelSize(pRoot, SLxExperiment::eEtCustom, puiPos, uiPosCount, status);
}

int CLxExperimentAPI::CalcGrabbingLoopCount(const SLxExperiment* pRoot, uint32_t* puiCount)
{
    if (!pRoot)
        return -4;
    if (puiCount)
        *puiCount = 0;
    return 0;
}

bool CLxExperimentAPI::IsSimpleExperiment(const SLxExperiment* pRoot)
{
    if (!pRoot)
        return true;
    const SBranchSet own = OwnChildren(*pRoot);
    if (own.IsBranched())
        return false;
    if (own.First() && !IsSimpleExperiment(own.First()))
        return false;
    // The sub-loops of a non-equidistant time loop branch it just as its
    // own children would.
    const SLxExperiment::SLxExpNETimeLoop& ne = pRoot->uLoopPars.sNETimeLoop;
    if (pRoot->eType == SLxExperiment::eEtNETime && ne.pSubLoops) {
        for (uint32_t p = 0; p < ne.uiPeriodCount; ++p) {
            const SBranchSet set = PeriodChildren(*pRoot, p);
            if (set.IsBranched() || (set.First() && !IsSimpleExperiment(set.First())))
                return false;
        }
    }
    return true;
}
