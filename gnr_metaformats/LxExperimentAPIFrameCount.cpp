// How many frames a tree stores.
#include <vector>

#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxExperimentAPIInternal.h"
#include "w32_system/debugging/LxDiag.h"

namespace lx_experiment
{

uint64_t ItemFrames(const E* child)
{
    return child ? AllImagesCount64(child) : 1;
}

uint64_t RunFrames(const SBranchSet& set, uint64_t n)
{
    if (set.IsEmpty())
        return n;
    const uint64_t period = set.IsBranched() ? Periodicity(set) : 0;
    if (period == 0)
        return SatMul(n, ItemFrames(set.First()));
    // Whole cycles, then the children before the open cycle's end.
    uint64_t cycle = 0, open = 0;
    const uint64_t rest = n % period;
    uint64_t start = 0;
    for (uint32_t j = 0; j < set.uiCount; ++j) {
        const uint64_t r = set.ppChildren[j]->uiRepeatCount;
        const uint64_t frames = ItemFrames(set.ppChildren[j]);
        cycle = SatAdd(cycle, SatMul(r, frames));
        if (rest > start)
            open = SatAdd(open, SatMul(rest - start < r ? rest - start : r, frames));
        start += r;
    }
    return SatAdd(SatMul(n / period, cycle), open);
}

namespace
{

// A branched level with item flags: a child's share of the items comes from
// the first cycle's switched-off items, which are assumed to repeat.
uint64_t FlaggedBranchFrames(const E& level, const SBranchSet& set, uint64_t period)
{
    const uint32_t count = level.uLoopPars.uiCount;
    // off[i]: switched-off items before item i.
    std::vector<uint32_t> off(size_t(count) + 1, 0);
    for (uint32_t i = 0; i < count; ++i)
        off[i + 1] = off[i] + (level.pItemValid[i] == 0);
    const auto offBetween = [&](uint64_t from, uint64_t to) -> uint64_t {
        from = from < count ? from : count;
        to = to < count ? to : count;
        return to > from ? off[to] - off[from] : 0;
    };
    const uint64_t q = count / period, r = count % period;
    uint64_t total = 0, s = 0;
    for (uint32_t j = 0; j < set.uiCount; ++j) {
        const uint64_t repeat = set.ppChildren[j]->uiRepeatCount;
        const uint64_t v = repeat - offBetween(s, s + repeat);
        const uint64_t frames = ItemFrames(set.ppChildren[j]);
        uint64_t items;
        if (s < r && r > s + v)
            items = SatMul(q + 1, v);
        else if (s < r)
            items = SatAdd(SatMul(v, q), r - s - offBetween(s, r));
        else
            items = SatMul(v, q);
        total = SatAdd(total, SatMul(items, frames));
        s += v;
    }
    return total;
}

} // namespace

uint64_t AllImagesCount64(const E* level)
{
    if (!level)
        return 0;
    // A spectral level adds no frames: its channels share each frame.
    while (level->eType == E::eEtSpect) {
        const SLxExperiment* first = OwnChildren(*level).First();
        if (!first)
            return 1;
        if (first->eType == E::eEtZStack)
            return ZStackSizeMax(level, nullptr);
        level = first;
    }
    if (IsBranchedNETime(*level)) {
        if (level->pItemValid)
            LX_DIAG_ASSERT_TEXT(u"pExperiment->pItemValid != NULL", nullptr);
        const E::SLxExpNETimeLoop& ne = level->uLoopPars.sNETimeLoop;
        uint64_t total = 0;
        for (uint32_t p = 0; ne.pPeriod && p < ne.uiPeriodCount; ++p) {
            if (IsPeriodValid(*level, p))
                total = SatAdd(total, RunFrames(PeriodChildren(*level, p), ne.pPeriod[p].uiCount));
        }
        return total;
    }
    const SBranchSet set = OwnChildren(*level);
    const uint64_t period = set.IsBranched() ? Periodicity(set) : 0;
    if (period == 0) // one child, none, or branches that cannot be told apart
        return SatMul(LoopSize64(level), set.IsEmpty() ? 1 : ItemFrames(set.First()));
    if (level->pItemValid)
        return FlaggedBranchFrames(*level, set, period);
    return RunFrames(set, level->uLoopPars.uiCount);
}

} // namespace lx_experiment

uint32_t CLxExperimentAPI::GetAllImagesCount(const SLxExperiment* pRoot)
{
    return lx_experiment::Clamp32(lx_experiment::AllImagesCount64(pRoot));
}

uint32_t SLxExperiment::GetPictureCount(const SLxExperiment& exp)
{
    return CLxExperimentAPI::GetAllImagesCount(&exp);
}
