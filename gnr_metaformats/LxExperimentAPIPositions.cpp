// The sequence index of a frame to its loop positions.

#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxExperimentAPIInternal.h"
#include "w32_system/debugging/LxDiag.h"

using namespace lx_experiment;

namespace
{

// Where frame x of a run of items of a set of branches lies: the item, the
// child that runs it and the frame within the child. Whole cycles are
// stepped at once. frameOverride, when not 0, replaces every child's frame
// count (a spectral level's channels all span the largest Z stack).
struct SLocated {
    uint64_t item;
    const SLxExperiment* pChild;
    uint64_t frame;
};

// Repeat count of child j of n: a lone child runs every item whatever its
// repeat count says.
uint64_t RepeatOf(const SBranchSet& set, uint32_t j)
{
    const SLxExperiment* child = set.ppChildren[j];
    return child && child->uiRepeatCount ? child->uiRepeatCount : (set.uiCount == 1 ? 1 : 0);
}

int Locate(const SBranchSet& set, uint64_t x, uint64_t frameOverride, SLocated& out,
           CFrameMemo& memo)
{
    const uint32_t n = set.uiCount;
    const auto framesOf = [&](uint32_t j) {
        return frameOverride ? frameOverride : ItemFrames(set.ppChildren[j], &memo);
    };
    uint64_t total = 0, period = 0;
    for (uint32_t j = 0; j < n; ++j) {
        const uint64_t repeat = RepeatOf(set, j);
        total = SatAdd(total, SatMul(repeat, framesOf(j)));
        period = SatAdd(period, repeat);
    }
    if (total == 0)
        LX_DIAG_ASSERT_TEXT(u"uiNextLevelTotalSize == 0", nullptr);
    if (period == 0)
        LX_DIAG_ASSERT_TEXT(u"uiPeriodicity == 0", nullptr);
    if (total == 0 || period == 0)
        return -9;
    uint64_t item = SatMul(x / total, period);
    x %= total;
    for (uint32_t j = 0; j < n; ++j) {
        const uint64_t repeat = RepeatOf(set, j), frames = framesOf(j);
        const uint64_t span = SatMul(repeat, frames);
        if (x < span) {
            out = SLocated{SatAdd(item, x / frames), set.ppChildren[j], x % frames};
            return 0;
        }
        item += repeat;
        x -= span;
    }
    return -9;
}

struct SWalk {
    uint32_t* pos;
    uint32_t capacity;
    CFrameMemo& memo;
};

int Descend(const SLxExperiment* level, uint64_t x, uint32_t depth, SWalk& walk);

// A non-equidistant time loop whose periods run their own branches.
int DescendPeriods(const SLxExperiment& level, uint64_t x, uint32_t depth, SWalk& walk)
{
    const SLxExperiment::SLxExpNETimeLoop& ne = level.uLoopPars.sNETimeLoop;
    uint64_t before = 0; // time points of the earlier valid periods
    for (uint32_t p = 0; ne.pPeriod && p < ne.uiPeriodCount; ++p) {
        if (!IsPeriodValid(level, p))
            continue;
        const uint32_t n = ne.pPeriod[p].uiCount;
        const SBranchSet set = PeriodChildren(level, p);
        const uint64_t frames = n ? RunFrames(set, n, &walk.memo) : kUnbounded;
        if (x >= frames) {
            x -= frames;
            before += n;
            continue;
        }
        if (set.IsEmpty()) { // one frame per time point
            walk.pos[depth] = uint32_t(before + x);
            return 0;
        }
        SLocated at;
        const int status = Locate(set, x, 0, at, walk.memo);
        if (status != 0)
            return status;
        walk.pos[depth] = uint32_t(before + at.item);
        return at.pChild ? Descend(at.pChild, at.frame, depth + 1, walk) : -4;
    }
    return -9;
}

uint64_t ZMaxOf(const SLxExperiment* level, CFrameMemo& memo)
{
    if (const uint64_t* known = memo.ZMax(level))
        return *known;
    const uint64_t max = ZStackSizeMax(level, nullptr);
    memo.KeepZMax(level, max);
    return max;
}

int Descend(const SLxExperiment* level, uint64_t x, uint32_t depth, SWalk& walk)
{
    if (!level)
        return -4;
    if (depth >= walk.capacity)
        return -9;
    if (IsBranchedNETime(*level))
        return DescendPeriods(*level, x, depth, walk);
    const SBranchSet set = OwnChildren(*level);
    if (set.IsEmpty()) {
        walk.pos[depth] = uint32_t(x);
        return 0;
    }
    const uint64_t frameOverride =
        level->eType == SLxExperiment::eEtSpect ? ZMaxOf(level, walk.memo) : 0;
    SLocated at;
    const int status = Locate(set, x, frameOverride, at, walk.memo);
    if (status != 0)
        return status;
    walk.pos[depth] = Clamp32(at.item);
    return at.pChild ? Descend(at.pChild, at.frame, depth + 1, walk) : -4;
}

} // namespace

int lx_experiment::CalcPosFromIdx(const SLxExperiment* pRoot, uint32_t uiIndex, uint32_t* puiPos,
                                  uint32_t* puiLevelCount, CFrameMemo& memo)
{
    const uint32_t levels = CLxExperimentAPI::GetExperimentCount(pRoot);
    const uint32_t capacity = puiLevelCount && *puiLevelCount > levels ? *puiLevelCount : levels;
    if (puiLevelCount)
        *puiLevelCount = levels;
    if (!puiPos)
        return 0;
    for (uint32_t k = 0; k < capacity; ++k)
        puiPos[k] = 0;
    if (!pRoot)
        return -4;
    if (uiIndex >= AllImagesCount64(pRoot, &memo))
        return -9;
    SWalk walk{puiPos, capacity, memo};
    return Descend(pRoot, uiIndex, 0, walk);
}

int CLxExperimentAPI::CalcPosFromIdx(const SLxExperiment* pRoot, uint32_t uiIndex, uint32_t* puiPos,
                                     uint32_t* puiLevelCount)
{
    // Each subtree counted once for this call.
    CFrameMemo memo;
    return lx_experiment::CalcPosFromIdx(pRoot, uiIndex, puiPos, puiLevelCount, memo);
}
