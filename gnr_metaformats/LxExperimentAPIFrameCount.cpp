// How many frames a tree stores.

#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxExperimentAPIInternal.h"
#include "w32_system/debugging/LxDiag.h"

namespace lx_experiment
{

uint64_t ItemFrames(const E* child, CFrameMemo* memo)
{
    return child ? AllImagesCount64(child, memo) : 1;
}

uint64_t RunFrames(const SBranchSet& set, uint64_t n, CFrameMemo* memo)
{
    if (set.IsEmpty())
        return n;
    const uint64_t period = set.IsBranched() ? Periodicity(set) : 0;
    if (period == 0)
        return SatMul(n, ItemFrames(set.First(), memo));
    // Whole cycles, then the children before the open cycle's end.
    uint64_t cycle = 0, open = 0;
    const uint64_t rest = n % period;
    uint64_t start = 0;
    for (uint32_t j = 0; j < set.uiCount; ++j) {
        const uint64_t r = set.ppChildren[j]->uiRepeatCount;
        const uint64_t frames = ItemFrames(set.ppChildren[j], memo);
        cycle = SatAdd(cycle, SatMul(r, frames));
        if (rest > start)
            open = SatAdd(open, SatMul(rest - start < r ? rest - start : r, frames));
        start += r;
    }
    return SatAdd(SatMul(n / period, cycle), open);
}

namespace
{

// Switched-off items of a level in [from, to), both clamped to its items.
uint64_t OffBetween(const E& level, uint64_t from, uint64_t to)
{
    const uint64_t count = level.uLoopPars.uiCount;
    from = from < count ? from : count;
    to = to < count ? to : count;
    uint64_t off = 0;
    for (uint64_t i = from; i < to; ++i)
        off += level.pItemValid[i] == 0;
    return off;
}

// A branched level with item flags: a child's share of the items comes from
// the first cycle's switched-off items, which are assumed to repeat. The
// children's ranges overlap only by their switched-off items, so the
// counting stays linear in the items.
uint64_t FlaggedBranchFrames(const E& level, const SBranchSet& set, uint64_t period,
                             CFrameMemo* memo)
{
    const uint32_t count = level.uLoopPars.uiCount;
    const uint64_t q = count / period, r = count % period;
    uint64_t total = 0, s = 0;
    for (uint32_t j = 0; j < set.uiCount; ++j) {
        const uint64_t repeat = set.ppChildren[j]->uiRepeatCount;
        const uint64_t v = repeat - OffBetween(level, s, s + repeat);
        const uint64_t frames = ItemFrames(set.ppChildren[j], memo);
        uint64_t items;
        if (s < r && r > s + v)
            items = SatMul(q + 1, v);
        else if (s < r)
            items = SatAdd(SatMul(v, q), r - s - OffBetween(level, s, r));
        else
            items = SatMul(v, q);
        total = SatAdd(total, SatMul(items, frames));
        s += v;
    }
    return total;
}

// The count of a non-null level, its children's counts through the memo.
uint64_t CountFrames(const E* level, CFrameMemo* memo)
{
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
                total = SatAdd(total,
                               RunFrames(PeriodChildren(*level, p), ne.pPeriod[p].uiCount, memo));
        }
        return total;
    }
    const SBranchSet set = OwnChildren(*level);
    const uint64_t period = set.IsBranched() ? Periodicity(set) : 0;
    if (period == 0) // one child, none, or branches that cannot be told apart
        return SatMul(LoopSize64(level), set.IsEmpty() ? 1 : ItemFrames(set.First(), memo));
    if (level->pItemValid)
        return FlaggedBranchFrames(*level, set, period, memo);
    return RunFrames(set, level->uLoopPars.uiCount, memo);
}

} // namespace

uint64_t AllImagesCount64(const E* level, CFrameMemo* memo)
{
    if (!level)
        return 0;
    if (!memo)
        return CountFrames(level, nullptr);
    if (const uint64_t* known = memo->Frames(level))
        return *known;
    const uint64_t frames = CountFrames(level, memo);
    memo->KeepFrames(level, frames);
    return frames;
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
