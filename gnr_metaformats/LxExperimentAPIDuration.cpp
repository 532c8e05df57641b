// How long the loops of a tree are expected to run.
#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxExperimentAPIInternal.h"

using namespace lx_experiment;

namespace
{

double TimeLoopDuration(const SLxExperiment::SLxExpTimeLoop& t, uint32_t periods)
{
    if (t.uiCount > 0 && t.dPeriod != 0)
        return t.dStart + double(periods) * t.dPeriod;
    return t.dStart + t.dDuration;
}

} // namespace

int CLxExperimentAPI::CalcEstimatedDuration(const SLxExperiment* pExp, double dFrameTime,
                                            double* pdDuration)
{
    if (!pExp || !pdDuration)
        return -4;
    if (pExp->eType == SLxExperiment::eEtTime) {
        const SLxExperiment::SLxExpTimeLoop& t = pExp->uLoopPars.sTimeLoop;
        *pdDuration = TimeLoopDuration(t, t.uiCount);
        return 0;
    }
    if (pExp->eType == SLxExperiment::eEtNETime) {
        const SLxExperiment::SLxExpNETimeLoop& ne = pExp->uLoopPars.sNETimeLoop;
        double sum = 0.0;
        for (uint32_t p = 0; ne.pPeriod && p < ne.uiPeriodCount; ++p) {
            const SLxExperiment::SLxExpTimeLoop& t = ne.pPeriod[p];
            if (IsPeriodValid(*pExp, p))
                sum += TimeLoopDuration(t, t.uiCount ? t.uiCount - 1 : 0);
        }
        *pdDuration = sum;
        return 0;
    }
    double item = dFrameTime;
    if (const SLxExperiment* child = GetNextLevelExperiment(pExp, 0)) {
        const int status = CalcEstimatedDuration(child, dFrameTime, &item);
        if (status != 0)
            return status;
    }
    *pdDuration = double(GetLoopSize(pExp)) * item;
    return 0;
}
