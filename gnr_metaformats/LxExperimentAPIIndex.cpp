// Loop positions to the sequence index of a frame.
#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxExperimentAPIInternal.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/debugging/LxLogFile.h"

using namespace lx_experiment;

namespace
{

struct SIndex {
    uint64_t index; // frame within the subtree
    uint64_t size;  // frames the subtree holds per item of its parent
};

int OutOfRange(const SLxExperiment& level)
{
    if (CLxLogFile::Detail())
        LX_TRACE(u"Position of %d experiment is out of range.", int(level.eType));
    return -4;
}

// Frames of the valid periods before period `period`.
uint64_t FramesOfEarlierPeriods(const SLxExperiment& level, uint32_t period, CFrameMemo& memo)
{
    const SLxExperiment::SLxExpNETimeLoop& ne = level.uLoopPars.sNETimeLoop;
    uint64_t frames = 0;
    for (uint32_t p = 0; p < period; ++p) {
        if (IsPeriodValid(level, p))
            frames =
                SatAdd(frames, RunFrames(PeriodChildren(level, p), ne.pPeriod[p].uiCount, &memo));
    }
    return frames;
}

// The step at a level with n positions left. Simple levels multiply out
// (index = position x frames per item + index below); at a branched level
// the frames of every earlier item count, whichever branch ran them.
int Step(const SLxExperiment* level, uint32_t n, const uint32_t* pos, SIndex& out, CFrameMemo& memo)
{
    out = SIndex{0, 1};
    if (n == 0 || !level)
        return 0;
    const uint64_t p = pos[0];
    if (level->eType == SLxExperiment::eEtSpect) {
        // Callers pass the full level count; with the channel's own level
        // missing the index stays at this level's first frame.
        if (OwnChildren(*level).IsEmpty() || n < 2)
            return 0;
        if (p >= 1)
            return OutOfRange(*level);
        return Step(LargestChannelChild(*level), n - 1, pos + 1, out, memo);
    }
    if (IsBranchedNETime(*level)) {
        uint32_t period = 0;
        uint64_t start = 0;
        if (!FindPeriod(*level, p, period, start))
            return OutOfRange(*level);
        SIndex below;
        const int status = Step(ItemRun(*level, p).pChild, n - 1, pos + 1, below, memo);
        if (status != 0)
            return status;
        out.index = SatAdd(
            FramesOfEarlierPeriods(*level, period, memo),
            SatAdd(RunFrames(PeriodChildren(*level, period), p - start, &memo), below.index));
        out.size = AllImagesCount64(level, &memo);
        return 0;
    }
    const uint64_t size = LoopSize64(level, memo);
    if (p >= (size < 2 ? 1 : size))
        return OutOfRange(*level);
    SIndex below;
    const int status = Step(ItemRun(*level, p).pChild, n - 1, pos + 1, below, memo);
    if (status != 0)
        return status;
    const SBranchSet set = OwnChildren(*level);
    if (set.IsBranched() && Periodicity(set) != 0) {
        out.index = SatAdd(RunFrames(set, p, &memo), below.index);
        out.size = AllImagesCount64(level, &memo);
    } else {
        out.index = SatAdd(below.index, SatMul(below.size, p));
        out.size = SatMul(below.size, size);
    }
    return 0;
}

} // namespace

int lx_experiment::CalcIdxFromPos(const SLxExperiment* pRoot, const uint32_t* puiPos,
                                  uint32_t uiLevelCount, uint32_t* puiIndex, CFrameMemo& memo)
{
    if (!puiIndex)
        return -4;
    *puiIndex = 0;
    if (!pRoot || uiLevelCount == 0)
        return 0;
    if (!puiPos)
        return -4;
    SIndex result;
    const int status = Step(pRoot, uiLevelCount, puiPos, result, memo);
    if (status != 0)
        return status;
    if (result.index > UINT32_MAX)
        return -9;
    *puiIndex = uint32_t(result.index);
    return 0;
}

int CLxExperimentAPI::CalcIdxFromPos(const SLxExperiment* pRoot, const uint32_t* puiPos,
                                     uint32_t uiLevelCount, uint32_t* puiIndex)
{
    // Each subtree counted once for this call.
    CFrameMemo memo;
    return lx_experiment::CalcIdxFromPos(pRoot, puiPos, uiLevelCount, puiIndex, memo);
}
