// Repair of the outermost loop to the frames a file really holds, and the
// period statistics of a time loop from the frames' times.
#include <algorithm>
#include <cstring>
#include <vector>

#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxExperimentAPIInternal.h"
#include "gnr_system/LxByteArray.h"

using namespace lx_experiment;

namespace
{

// Items of one run (consecutive items of one child, perItem frames each,
// from item `first`) that fit in `room` frames; room shrinks by what they
// take. A switched-off item stores no frames.
uint64_t FitRun(uint64_t first, uint64_t count, uint64_t perItem, const uint8_t* valid,
                uint64_t& room)
{
    if (!valid) {
        const uint64_t k = perItem == 0 ? count : std::min(count, room / perItem);
        room -= k * perItem;
        return k;
    }
    for (uint64_t k = 0; k < count; ++k) {
        const uint64_t frames = valid[first + k] ? perItem : 0;
        if (frames > room)
            return k;
        room -= frames;
    }
    return count;
}

struct SFit {
    uint64_t uiItems;
    uint64_t uiFrames;
};

// How many items, in acquisition order, a loop over a set of branches keeps
// when `frames` frames are stored: at most `limit` items (kUnbounded for a
// loop without end), each child running uiRepeatCount items in turn. Whole
// cycles are counted at once, and a loop without end whose cycle stores no
// frames stops after one cycle, so the cost follows the children, not the
// frames. `valid` (item flags, at least `limit` of them) or null.
SFit FitItems(const SBranchSet& set, uint64_t limit, uint64_t frames, const uint8_t* valid)
{
    uint64_t room = frames;
    if (!set.IsBranched()) {
        // One child (whatever its repeat count) or none: one frame per item.
        const uint64_t perItem = set.IsEmpty() ? 1 : ItemFrames(set.First());
        if (limit == kUnbounded && perItem == 0)
            limit = 1;
        const uint64_t items = FitRun(0, limit, perItem, valid, room);
        return SFit{items, frames - room};
    }
    const uint64_t period = Periodicity(set);
    if (period == 0)
        return SFit{0, 0}; // no child runs an item
    uint64_t cycle = 0;
    for (uint32_t j = 0; j < set.uiCount; ++j)
        cycle =
            SatAdd(cycle, SatMul(set.ppChildren[j]->uiRepeatCount, ItemFrames(set.ppChildren[j])));
    if (limit == kUnbounded && cycle == 0)
        limit = period;
    uint64_t items = 0;
    if (!valid) {
        uint64_t whole = cycle ? room / cycle : kUnbounded;
        if (limit != kUnbounded)
            whole = std::min(whole, limit / period);
        items = SatMul(whole, period);
        room -= whole * cycle;
    }
    // The open cycle (every cycle when items are switched off, whose frames
    // differ from cycle to cycle).
    while (items < limit) {
        for (uint32_t j = 0; j < set.uiCount && items < limit; ++j) {
            const uint64_t repeat =
                std::min<uint64_t>(set.ppChildren[j]->uiRepeatCount, limit - items);
            const uint64_t kept = FitRun(items, repeat, ItemFrames(set.ppChildren[j]), valid, room);
            items += kept;
            if (kept < repeat)
                return SFit{items, frames - room};
        }
    }
    return SFit{items, frames - room};
}

// Whether the count of a level may grow: its per-item arrays and flags hold
// uiCount entries, so only loops without them can take more items.
bool HasItemArrays(const SLxExperiment& level)
{
    if (level.pItemValid)
        return true;
    switch (level.eType) {
    case SLxExperiment::eEtXYPos:
    case SLxExperiment::eEtXYDiscr:
    case SLxExperiment::eEtSpect:
        return true;
    default:
        return false;
    }
}

void RepairNETime(SLxExperiment& level, uint64_t frames)
{
    SLxExperiment::SLxExpNETimeLoop& ne = level.uLoopPars.sNETimeLoop;
    uint64_t used = 0, kept = 0;
    for (uint32_t p = 0; ne.pPeriod && p < ne.uiPeriodCount; ++p) {
        if (!IsPeriodValid(level, p))
            continue;
        SLxExperiment::SLxExpTimeLoop& period = ne.pPeriod[p];
        const uint64_t limit = period.uiCount ? period.uiCount : kUnbounded;
        const SFit fit = FitItems(PeriodChildren(level, p), limit, frames - used, nullptr);
        period.uiCount = Clamp32(fit.uiItems);
        used += fit.uiFrames;
        kept = SatAdd(kept, period.uiCount);
    }
    ne.uiCount = Clamp32(kept);
}

// A frame time: the little-endian double at index i, when there is one.
bool FrameTime(const CLxByteArray& times, uint64_t i, double& t)
{
    if (i >= times.GetSize() / 8)
        return false;
    const uint8_t* p = times.GetData() + i * 8;
    uint64_t bits = 0;
    for (int b = 7; b >= 0; --b)
        bits = bits << 8 | p[b];
    std::memcpy(&t, &bits, sizeof t);
    return true;
}

} // namespace

int CLxExperimentAPI::RepairExperiment(SLxExperiment* pRoot, uint32_t uiFrameCount)
{
    if (!pRoot)
        return -4;
    SLxExperiment& root = *pRoot;
    if (root.eType == SLxExperiment::eEtSpect)
        return 0; // channels share each frame: nothing to count
    if (root.eType == SLxExperiment::eEtNETime) {
        RepairNETime(root, uiFrameCount);
        return 0;
    }
    const SBranchSet set = OwnChildren(root);
    const uint32_t count = root.uLoopPars.uiCount;
    uint64_t limit = count ? count : kUnbounded;
    // A level without children takes every stored frame, unless its arrays
    // cannot hold more items than it has.
    if (set.IsEmpty() && !(count && HasItemArrays(root)))
        limit = kUnbounded;
    const SFit fit = FitItems(set, limit, uiFrameCount, count ? root.pItemValid : nullptr);
    root.uLoopPars.uiCount = Clamp32(fit.uiItems);
    if (root.eType == SLxExperiment::eEtTime) {
        SLxExperiment::SLxExpTimeLoop& t = root.uLoopPars.sTimeLoop;
        t.dStart = t.dPeriod = t.dDuration = 0.0;
        t.dMinPeriodDiff = t.dMaxPeriodDiff = t.dAvgPeriodDiff = 0.0;
    }
    return 0;
}

int CLxExperimentAPI::RepairExperimentEx(SLxExperiment* pRoot, uint32_t uiFrameCount,
                                         const CLxByteArray& frameTimes)
{
    const int status = RepairExperiment(pRoot, uiFrameCount);
    if (status != 0 || pRoot->eType != SLxExperiment::eEtTime)
        return status;
    const uint32_t size = GetLoopSize(pRoot);
    std::vector<uint32_t> pos(GetExperimentCount(pRoot), 0);
    double sum = 0.0, minimum = 0.0, maximum = 0.0, previous = 0.0;
    bool hasPrevious = false, hasDiff = false;
    for (uint32_t t = 0; t < size; ++t) {
        pos[0] = t;
        uint32_t index = 0;
        if (CalcIdxFromPos(pRoot, pos.data(), uint32_t(pos.size()), &index) != 0)
            continue;
        double time = 0.0;
        // Later time points start later still: past the times, stop.
        if (!FrameTime(frameTimes, index, time))
            break;
        if (hasPrevious) {
            const double d = time - previous;
            minimum = !hasDiff || d <= minimum ? d : minimum;
            maximum = !hasDiff || d >= maximum ? d : maximum;
            sum += d;
            hasDiff = true;
        }
        previous = time;
        hasPrevious = true;
    }
    SLxExperiment::SLxExpTimeLoop& loop = pRoot->uLoopPars.sTimeLoop;
    loop.dMinPeriodDiff = minimum;
    loop.dMaxPeriodDiff = maximum;
    // One time point has no period.
    loop.dAvgPeriodDiff = size < 2 ? 0.0 : sum / double(size - 1);
    return 0;
}
