// Which branch runs an item of a level: periodicity, periods and runs of
// items that one child takes.
#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxExperimentAPIInternal.h"

namespace lx_experiment
{

SBranchSet OwnChildren(const E& level)
{
    return SBranchSet{level.ppNextLevelEx, level.ppNextLevelEx ? level.uiNextLevelCount : 0};
}

SBranchSet PeriodChildren(const E& level, uint32_t p)
{
    const E::SLxExpNETimeLoop& ne = level.uLoopPars.sNETimeLoop;
    if (level.eType == E::eEtNETime && ne.pSubLoops && p < ne.uiPeriodCount) {
        const E::SLxSubLoopsDefinition& def = ne.pSubLoops[p];
        return SBranchSet{def.ppNextLevelEx, def.ppNextLevelEx ? def.uiNextLevelCount : 0};
    }
    return OwnChildren(level);
}

uint64_t Periodicity(const SBranchSet& set)
{
    if (set.IsEmpty())
        return 0;
    uint64_t sum = 0;
    for (uint32_t j = 0; j < set.uiCount; ++j) {
        if (!set.ppChildren[j])
            return 0;
        sum += set.ppChildren[j]->uiRepeatCount;
    }
    return sum;
}

bool IsPeriodValid(const E& level, uint32_t p)
{
    const uint8_t* valid = level.uLoopPars.sNETimeLoop.pPeriodValid;
    return !valid || valid[p] != 0;
}

bool IsBranchedNETime(const E& level)
{
    return level.eType == E::eEtNETime &&
           (level.uLoopPars.sNETimeLoop.pSubLoops || OwnChildren(level).IsBranched());
}

bool FindPeriod(const E& level, uint64_t pos, uint32_t& period, uint64_t& start)
{
    const E::SLxExpNETimeLoop& ne = level.uLoopPars.sNETimeLoop;
    if (level.eType != E::eEtNETime || !ne.pPeriod)
        return false;
    uint64_t t = 0;
    for (uint32_t p = 0; p < ne.uiPeriodCount; ++p) {
        if (!IsPeriodValid(level, p))
            continue;
        const uint32_t n = ne.pPeriod[p].uiCount;
        if (n == 0 || pos - t < n) {
            period = p;
            start = t;
            return true;
        }
        t += n;
    }
    return false;
}

uint64_t LoopSize64(const E* level)
{
    if (!level)
        return 0;
    if (level->eType == E::eEtNETime) {
        const E::SLxExpNETimeLoop& ne = level->uLoopPars.sNETimeLoop;
        uint64_t sum = 0;
        for (uint32_t p = 0; ne.pPeriod && p < ne.uiPeriodCount; ++p)
            sum += IsPeriodValid(*level, p) ? ne.pPeriod[p].uiCount : 0;
        return sum;
    }
    const uint32_t count = level->uLoopPars.uiCount;
    if (!level->pItemValid)
        return count;
    uint64_t valid = 0;
    for (uint32_t i = 0; i < count; ++i)
        valid += level->pItemValid[i] != 0;
    return valid;
}

uint64_t LoopSize64(const E* level, CFrameMemo& memo)
{
    if (const uint64_t* known = memo.LoopSize(level))
        return *known;
    const uint64_t size = LoopSize64(level);
    memo.KeepLoopSize(level, size);
    return size;
}

namespace
{

// The run of a set of branches at phase `phase` (counted from the start of
// the set's items). A child of repeat count 0 runs only phase 0 in a time
// loop, and in other loops every phase it is reached at.
SItemRun SetRun(const SBranchSet& set, uint64_t phase, bool bTime)
{
    if (set.IsEmpty())
        return SItemRun{nullptr, kUnbounded};
    if (set.uiCount == 1)
        return SItemRun{set.ppChildren[0], kUnbounded};
    const uint64_t period = Periodicity(set);
    const uint64_t p = period ? phase % period : phase;
    const uint64_t cycleLast = period ? phase + (period - 1 - p) : kUnbounded;
    uint64_t before = 0;
    for (uint32_t j = 0; j < set.uiCount; ++j) {
        const SLxExperiment* child = set.ppChildren[j];
        if (!child)
            return SItemRun{nullptr, cycleLast};
        const uint64_t r = child->uiRepeatCount;
        if (r == 0) {
            if (!bTime)
                return SItemRun{child, cycleLast};
            if (phase == 0)
                return SItemRun{child, phase};
            continue;
        }
        if (p - before < r)
            return SItemRun{child, phase + (r - 1 - (p - before))};
        before += r;
    }
    return SItemRun{nullptr, cycleLast};
}

} // namespace

SItemRun ItemRun(const E& level, uint64_t pos)
{
    if (level.eType != E::eEtNETime)
        return SetRun(OwnChildren(level), pos, level.eType == E::eEtTime);
    uint32_t period = 0;
    uint64_t start = 0;
    if (!FindPeriod(level, pos, period, start))
        return SItemRun{nullptr, kUnbounded};
    SItemRun run = SetRun(PeriodChildren(level, period), pos - start, true);
    const uint32_t n = level.uLoopPars.sNETimeLoop.pPeriod[period].uiCount;
    if (run.uiLast != kUnbounded)
        run.uiLast += start;
    if (n != 0 && run.uiLast > start + n - 1)
        run.uiLast = start + n - 1;
    return run;
}

const SLxExperiment* LargestChannelChild(const E& spect)
{
    const uint64_t channels = LoopSize64(&spect);
    const uint64_t cycle = Periodicity(OwnChildren(spect));
    const SLxExperiment* best = nullptr;
    // Runs of channels, one child each, over one cycle of the children.
    for (uint64_t c = 0; c < channels && (cycle == 0 || c < cycle);) {
        const SItemRun run = ItemRun(spect, c);
        const SLxExperiment* child = run.pChild;
        if (child && (!best || child->uLoopPars.uiCount > best->uLoopPars.uiCount))
            best = child;
        if (run.uiLast == kUnbounded)
            break;
        c = run.uiLast + 1;
    }
    return best;
}

} // namespace lx_experiment

using namespace lx_experiment;

uint32_t CLxExperimentAPI::GetNextLevelPeriodicity(const SLxExperiment* pExp)
{
    return pExp ? Clamp32(Periodicity(OwnChildren(*pExp))) : 0;
}

uint32_t CLxExperimentAPI::GetPeriodicity(const SLxExperiment::SLxSubLoopsDefinition* pSubLoops)
{
    if (!pSubLoops)
        return 0;
    return Clamp32(Periodicity(SBranchSet{pSubLoops->ppNextLevelEx, pSubLoops->uiNextLevelCount}));
}

const SLxExperiment* CLxExperimentAPI::GetNextLevelExperiment(const SLxExperiment* pExp,
                                                              uint32_t uiPos)
{
    return pExp ? ItemRun(*pExp, uiPos).pChild : nullptr;
}

SLxExperiment* CLxExperimentAPI::GetNextLevelExperiment(SLxExperiment* pExp, uint32_t uiPos)
{
    return const_cast<SLxExperiment*>(
        GetNextLevelExperiment(static_cast<const SLxExperiment*>(pExp), uiPos));
}
