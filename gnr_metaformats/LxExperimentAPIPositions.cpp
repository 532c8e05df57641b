// The sequence index of a frame to its loop positions.
#include <vector>

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

int Locate(const SBranchSet& set, uint64_t x, uint64_t frameOverride, SLocated& out)
{
    const uint32_t n = set.uiCount;
    std::vector<uint64_t> frames(n), repeats(n);
    uint64_t total = 0, period = 0;
    for (uint32_t j = 0; j < n; ++j) {
        const SLxExperiment* child = set.ppChildren[j];
        frames[j] = frameOverride ? frameOverride : ItemFrames(child);
        // A lone child runs every item whatever its repeat count says.
        repeats[j] = child && child->uiRepeatCount ? child->uiRepeatCount : (n == 1 ? 1 : 0);
        total = SatAdd(total, SatMul(repeats[j], frames[j]));
        period = SatAdd(period, repeats[j]);
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
        const uint64_t span = SatMul(repeats[j], frames[j]);
        if (x < span) {
            out = SLocated{SatAdd(item, x / frames[j]), set.ppChildren[j], x % frames[j]};
            return 0;
        }
        item += repeats[j];
        x -= span;
    }
    return -9;
}

struct SWalk {
    uint32_t* pos;
    uint32_t capacity;
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
        const uint64_t frames = n ? RunFrames(set, n) : kUnbounded;
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
        const int status = Locate(set, x, 0, at);
        if (status != 0)
            return status;
        walk.pos[depth] = uint32_t(before + at.item);
        return at.pChild ? Descend(at.pChild, at.frame, depth + 1, walk) : -4;
    }
    return -9;
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
        level->eType == SLxExperiment::eEtSpect ? ZStackSizeMax(level, nullptr) : 0;
    SLocated at;
    const int status = Locate(set, x, frameOverride, at);
    if (status != 0)
        return status;
    walk.pos[depth] = Clamp32(at.item);
    return at.pChild ? Descend(at.pChild, at.frame, depth + 1, walk) : -4;
}

} // namespace

int CLxExperimentAPI::CalcPosFromIdx(const SLxExperiment* pRoot, uint32_t uiIndex, uint32_t* puiPos,
                                     uint32_t* puiLevelCount)
{
    const uint32_t levels = GetExperimentCount(pRoot);
    const uint32_t capacity = puiLevelCount && *puiLevelCount > levels ? *puiLevelCount : levels;
    if (puiLevelCount)
        *puiLevelCount = levels;
    if (!puiPos)
        return 0;
    for (uint32_t k = 0; k < capacity; ++k)
        puiPos[k] = 0;
    if (!pRoot)
        return -4;
    if (uiIndex >= AllImagesCount64(pRoot))
        return -9;
    SWalk walk{puiPos, capacity};
    return Descend(pRoot, uiIndex, 0, walk);
}
