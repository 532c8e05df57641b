// For each channel component, the most recent frame that holds it.
#include <unordered_set>
#include <vector>

#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxExperimentAPIInternal.h"

using namespace lx_experiment;

namespace
{

struct SCompWalk {
    const SLxExperiment* pRoot;
    std::vector<uint32_t> pos;
    const SLxPicturePlanes* pPlanes;
    uint32_t* pOut;
    uint32_t uiZMax;
    uint32_t uiZHome;
};

int Visit(const SLxExperiment* level, uint32_t depth, SCompWalk& walk);

// At a spectral level: each valid channel's components get the index of
// the frame at the current positions. A channel whose Z stack is shorter
// than the tree's largest takes its home plane instead.
int WriteChannels(const SLxExperiment& spect, SCompWalk& walk)
{
    const SLxPicturePlanes& planes = *walk.pPlanes;
    const bool hasChildren = !OwnChildren(spect).IsEmpty();
    const uint32_t levels = uint32_t(walk.pos.size());
    for (uint32_t c = 0; c < spect.uLoopPars.sSpectLoop.uiCount; ++c) {
        if (spect.pItemValid && !spect.pItemValid[c])
            continue;
        const uint32_t p = CLxExperimentAPI::GetPlaneIdx(planes, &spect, c);
        if (p >= planes.uiCount)
            continue;
        std::vector<uint32_t> at = walk.pos;
        const SLxExperiment* child = hasChildren ? ItemRun(spect, c).pChild : nullptr;
        if (child && walk.uiZMax > child->uLoopPars.uiCount)
            at[levels - 1] = walk.uiZHome;
        uint32_t index = 0;
        if (CLxExperimentAPI::CalcIdxFromPos(walk.pRoot, at.data(), levels, &index) != 0)
            continue; // no such frame: the components stay "not acquired"
        const uint32_t first = SLxPicturePlanes::PlaneStartingComp(planes, p);
        const uint32_t count = planes.sPlane[p].uiCompCount;
        for (uint32_t e = first; e < planes.uiCompCount && e - first < count; ++e)
            walk.pOut[e] = index;
    }
    return 0;
}

// One descent: the child that runs an item, and the item.
struct SDescent {
    const SLxExperiment* pChild;
    uint64_t uiItem;
};

// The descents at the items [from, to], one per run of items that one child
// takes (at the run's last item: of a run only its last descent would
// count). With bStopAtGap a missing child ends the range; otherwise it is a
// failing descent.
void CollectRuns(const SLxExperiment& level, uint64_t from, uint64_t to, bool bStopAtGap,
                 std::vector<SDescent>& descents)
{
    for (uint64_t y = from; y <= to;) {
        const SItemRun run = ItemRun(level, y);
        const uint64_t last = run.uiLast < to ? run.uiLast : to;
        if (!run.pChild && bStopAtGap)
            return;
        descents.push_back(SDescent{run.pChild, last});
        y = last + 1;
    }
}

int Visit(const SLxExperiment* level, uint32_t depth, SCompWalk& walk)
{
    if (!level || depth >= walk.pos.size())
        return -4;
    if (level->eType == SLxExperiment::eEtSpect)
        return WriteChannels(*level, walk);
    const uint64_t given = walk.pos[depth];
    SBranchSet set = OwnChildren(*level);
    uint64_t period = 0, base = 0, end = LoopSize64(level); // items [base, end)
    if (level->eType == SLxExperiment::eEtNETime) {
        uint32_t p = 0;
        if (!FindPeriod(*level, given, p, base))
            return -9;
        set = PeriodChildren(*level, p);
        period = Periodicity(set);
        const uint32_t n = level->uLoopPars.sNETimeLoop.pPeriod[p].uiCount;
        end = n ? base + n : kUnbounded;
    } else {
        if (given >= (end < 2 ? 1 : end))
            return -4;
        period =
            level->eType == SLxExperiment::eEtZStack ? level->uLoopPars.uiCount : Periodicity(set);
    }
    if (set.IsEmpty())
        return -9; // the path holds no spectral level
    const uint64_t x = given - base;
    const uint64_t q = period ? x / period : 0, r = period ? x % period : x;
    std::vector<SDescent> descents;
    if (set.First() && set.First()->uiRepeatCount == 0)
        CollectRuns(*level, base, base, false, descents);
    // The rest of the previous cycle (in the first cycle: the branches not
    // run yet, where the level has items for them), then this cycle up to
    // the given item.
    if (period > r + 1 && end > 0) {
        const uint64_t cycle = (q ? q - 1 : 0) * period + base;
        const uint64_t last = cycle + period - 1 < end ? cycle + period - 1 : end - 1;
        CollectRuns(*level, cycle + r + 1, last, true, descents);
    }
    CollectRuns(*level, given - r, given, false, descents);
    // A later descent into a child rewrites every entry an earlier one into
    // the same child wrote: only each child's last descent is made, in
    // order, so the work stays one descent per child and level.
    std::vector<bool> last(descents.size(), false);
    std::unordered_set<const SLxExperiment*> seen;
    for (size_t i = descents.size(); i-- > 0;)
        last[i] = seen.insert(descents[i].pChild).second;
    int failure = 0;
    for (size_t i = 0; i < descents.size(); ++i) {
        if (!last[i])
            continue;
        walk.pos[depth] = Clamp32(descents[i].uiItem);
        const int status = descents[i].pChild ? Visit(descents[i].pChild, depth + 1, walk) : -4;
        if (status != 0 && failure == 0)
            failure = status;
    }
    walk.pos[depth] = uint32_t(given);
    return failure;
}

} // namespace

int CLxExperimentAPI::GetCompSeqIndexes(const SLxExperiment* pRoot, const uint32_t* puiPos,
                                        uint32_t uiLevelCount, uint32_t* puiIndexes)
{
    if (!pRoot || !puiIndexes)
        return -4;
    SLxPicturePlanes planes;
    int status = GetSpectPlanes(pRoot, planes);
    if (status != 0) {
        SLxPicturePlanes::Free(planes);
        return status;
    }
    for (uint32_t e = 0; e < planes.uiCompCount; ++e)
        puiIndexes[e] = UINT32_MAX;
    if (!puiPos || uiLevelCount == 0) {
        SLxPicturePlanes::Free(planes);
        return -4;
    }
    SCompWalk walk{
        pRoot, std::vector<uint32_t>(puiPos, puiPos + uiLevelCount), &planes, puiIndexes, 0, 0};
    walk.uiZMax = ZStackSizeMax(pRoot, &walk.uiZHome);
    status = Visit(pRoot, 0, walk);
    SLxPicturePlanes::Free(planes);
    return status;
}
