// A readable trace of a tree: one record per level, indented by depth.
#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxExperimentAPIInternal.h"
#include "w32_system/debugging/LxDiag.h"

using namespace lx_experiment;

namespace
{

CLxStringW Label(const SLxExperiment& level)
{
    CLxStringW label;
    const uint32_t repeat = level.uiRepeatCount;
    switch (uint32_t(level.eType)) {
    case SLxExperiment::eEtTime:
    case SLxExperiment::eEtNETime:
    case 9:
        label.Format(u"(% 2u)T", repeat);
        break;
    case SLxExperiment::eEtXYPos:
    case SLxExperiment::eEtXYDiscr:
        label.Format(u"(% 2u)XY", repeat);
        break;
    case SLxExperiment::eEtZStack:
        label.Format(u"(% 2u)Z", repeat);
        break;
    case SLxExperiment::eEtSpect: {
        const SLxExperiment::SLxExpSpectLoop& s = level.uLoopPars.sSpectLoop;
        CLxStringW names;
        for (uint32_t c = 0; s.pPlaneDesc && c < s.uiCount; ++c) {
            if (level.pItemValid && !level.pItemValid[c])
                continue;
            if (!names.IsEmpty())
                names += u"|";
            names += s.pPlaneDesc[c].sDescription;
        }
        label.Format(u"(% 2u)Ch - %s", repeat, names.GetString());
        break;
    }
    default:
        label.Format(u"(% 2u)U", repeat);
        break;
    }
    return label;
}

void TraceLevel(const SLxExperiment* level, const CLxStringW& prefix)
{
    if (!level)
        return;
    LX_TRACE(u"%s", (prefix + Label(*level)).GetString());
    const SLxExperiment::SLxExpNETimeLoop& ne = level->uLoopPars.sNETimeLoop;
    if (level->eType == SLxExperiment::eEtNETime && ne.pSubLoops) {
        LX_TRACE(u"%s  +-------------------------------------------", prefix.GetString());
        for (uint32_t p = 0; p < ne.uiPeriodCount; ++p) {
            if (!IsPeriodValid(*level, p))
                continue;
            const SBranchSet set = PeriodChildren(*level, p);
            for (uint32_t i = 0; i < set.uiCount; ++i)
                TraceLevel(set.ppChildren[i], prefix + u"  |");
            LX_TRACE(u"%s  +-------------------------------------------", prefix.GetString());
        }
    }
    const SBranchSet own = OwnChildren(*level);
    for (uint32_t i = 0; i < own.uiCount; ++i)
        TraceLevel(own.ppChildren[i], prefix + u"    ");
}

} // namespace

void CLxExperimentAPI::Trace(const SLxExperiment* pExp, const char16_t* wszPrefix)
{
    TraceLevel(pExp, CLxStringW(wszPrefix ? wszPrefix : u""));
}
