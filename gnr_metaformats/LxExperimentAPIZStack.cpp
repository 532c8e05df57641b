// Z stacks: the largest stack of a tree, home plane, step, plane count and
// the position of the first plane.
#include <cmath>
#include <vector>

#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxExperimentAPIInternal.h"
#include "w32_system/debugging/LxDiag.h"

using namespace lx_experiment;

namespace
{

const SLxExperiment::SLxExpZStackLoop* ZRecord(const SLxExperiment* pExp)
{
    return pExp && pExp->eType == SLxExperiment::eEtZStack ? &pExp->uLoopPars.sZStackLoop : nullptr;
}

bool IsHomeBased(const SLxExperiment::SLxExpZStackLoop& z)
{
    return z.iType == 2 || z.iType == 3;
}

} // namespace

uint32_t CLxExperimentAPI::GetZStackSizeMax(const SLxExperiment* pRoot, uint32_t* puiHome)
{
    return ZStackSizeMax(pRoot, puiHome);
}

int CLxExperimentAPI::GetZStackHomePosition(const SLxExperiment* pZ, uint32_t* puiIndex)
{
    const SLxExperiment::SLxExpZStackLoop* z = ZRecord(pZ);
    if (!z || !puiIndex)
        return -4;
    *puiIndex = ZStackHome(*z);
    return 0;
}

bool CLxExperimentAPI::IsZStackHomePosition(const SLxExperiment* pZ, uint32_t uiIndex)
{
    uint32_t home = 0;
    if (GetZStackHomePosition(pZ, &home) != 0) {
        LX_DIAG_ASSERT_TEXT(u"true", nullptr);
        return false;
    }
    return home == uiIndex;
}

int CLxExperimentAPI::GetFirstZStackHomePosition(const SLxExperiment* pRoot, uint32_t* puiIndex)
{
    if (!pRoot || !puiIndex)
        return -4;
    std::vector<uint32_t> pos(GetExperimentCount(pRoot), 0);
    uint32_t depth = 0;
    const SLxExperiment* z = nullptr;
    FindExperiment(pRoot, SLxExperiment::eEtZStack, pos.data(), uint32_t(pos.size()), &depth, &z);
    uint32_t home = 0;
    if (!z || depth >= pos.size() || GetZStackHomePosition(z, &home) != 0)
        return -9;
    pos[depth] = home;
    return CalcIdxFromPos(pRoot, pos.data(), uint32_t(pos.size()), puiIndex);
}

int CLxExperimentAPI::GetZStackStepSize(const SLxExperiment* pZ, double* pdStep)
{
    const SLxExperiment::SLxExpZStackLoop* z = ZRecord(pZ);
    if (!z || !pdStep)
        return -4;
    if (z->dZStep > 0) {
        *pdStep = z->dZStep;
        return 0;
    }
    const double n = z->uiCount < 3 ? 2.0 : double(z->uiCount);
    const double range = std::fabs(z->dZHigh - z->dZLow);
    if (IsHomeBased(*z)) {
        // Planes between the low end and home; none (or no range) gives no
        // step rather than a division by zero.
        const double r = std::fabs(z->dZHome - z->dZLow);
        const double k = range > 0 ? std::trunc((n - 1) * r / range) : 0.0;
        *pdStep = k > 0 ? r / k : 0.0;
        return 0;
    }
    if (range > 0.0001 && z->uiCount < 2)
        return -9;
    *pdStep = range / (n - 1);
    return 0;
}

int CLxExperimentAPI::GetZStackStepCount(const SLxExperiment* pZ, uint32_t* puiCount,
                                         double dTolerance)
{
    const SLxExperiment::SLxExpZStackLoop* z = ZRecord(pZ);
    if (!z || !puiCount)
        return -4;
    if (z->uiCount != 0) {
        *puiCount = z->uiCount;
        return 0;
    }
    const double step = z->dZStep;
    if (!(step > 0))
        return -9;
    const double slack = dTolerance * step;
    double planes;
    if (IsHomeBased(*z))
        planes = std::ceil((std::fabs(z->dZHigh - z->dZHome) - slack) / step) +
                 std::ceil((std::fabs(z->dZLow - z->dZHome) - slack) / step) + 1;
    else
        planes = std::trunc(std::ceil((std::fabs(z->dZHigh - z->dZLow) - slack) / step) + 1.0);
    // A count that is no number of planes at all is no answer.
    if (!(planes >= 0) || planes > double(UINT32_MAX))
        return -9;
    *puiCount = uint32_t(planes);
    return 0;
}

double CLxExperimentAPI::GetZStackFirstMovePosition(const SLxExperiment* pZ, double dCurrentZ)
{
    const SLxExperiment::SLxExpZStackLoop* z = ZRecord(pZ);
    if (!z)
        return -4.0;
    if (!(z->dZStep > 0) || z->uiCount <= 1)
        return dCurrentZ;
    const uint32_t n = z->uiCount;
    const bool inv = z->bZInverted;
    double first;
    switch (z->iType) {
    case 1:
        first = inv ? z->dZHigh : z->dZLow;
        break;
    case 2: {
        const double half = double(n >> 1) * z->dZStep;
        first = inv ? z->dZHome + half : z->dZHome - half;
        break;
    }
    case 3: {
        const double below = double(ZStackHome(*z)) * z->dZStep;
        first = inv ? z->dZHome + below : z->dZHome - below;
        break;
    }
    default: {
        const double span = double(n - 1) * z->dZStep;
        first = inv ? z->dZLow + span : z->dZHigh - span;
        break;
    }
    }
    return z->bAbsolute ? first : first + dCurrentZ;
}
