// The channels of a tree as planes, and where a level's channel sits among
// them.
#include <map>

#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxExperimentAPIInternal.h"
#include "w32_system/debugging/LxDiag.h"

using namespace lx_experiment;

int CLxExperimentAPI::GetSpectPlanes(const SLxExperiment* pRoot, SLxPicturePlanes& planes)
{
    SLxExperiment* superset = nullptr;
    int status = GetSupersetSpectExp(pRoot, &superset);
    if (status != 0)
        return status;
    if (!superset)
        return -4;
    status = SLxExperiment::ExtractValidPlanes(planes, superset);
    SLxExperiment::FreeRecursive(superset);
    return status;
}

int CLxExperimentAPI::GetSpectCompCount(const SLxExperiment* pRoot, uint32_t* puiCompCount)
{
    if (!puiCompCount)
        return -4;
    *puiCompCount = 0;
    SLxPicturePlanes planes;
    const int status = GetSpectPlanes(pRoot, planes);
    if (status == 0)
        *puiCompCount = planes.uiCompCount;
    SLxPicturePlanes::Free(planes);
    return status;
}

uint32_t CLxExperimentAPI::GetPlaneIdx(const SLxPicturePlanes& dst, const SLxExperiment* pSpect,
                                       uint32_t uiChannel)
{
    const uint32_t none = dst.uiCount;
    if (!pSpect || pSpect->eType != SLxExperiment::eEtSpect)
        return none;
    const SLxExperiment::SLxExpSpectLoop& s = pSpect->uLoopPars.sSpectLoop;
    if (uiChannel >= s.uiCount || !s.pPlaneDesc || !dst.sPlane)
        return none;
    const auto valid = [&](uint32_t c) { return !pSpect->pItemValid || pSpect->pItemValid[c]; };
    if (!valid(uiChannel))
        return none;
    // Usually the destination holds the valid channels in order.
    uint32_t before = 0;
    for (uint32_t c = 0; c < uiChannel; ++c)
        before += valid(c) ? 1 : 0;
    if (before < dst.uiCount && IsSameChannel(dst.sPlane[before], s.pPlaneDesc[uiChannel]))
        return before;
    // Otherwise match channels by key, each match moving its key's search on.
    std::map<CLxStringW, uint32_t> searchStart;
    for (uint32_t c = 0; c <= uiChannel; ++c) {
        const SLxPicturePlaneDesc& channel = s.pPlaneDesc[c];
        const CLxStringW key = ChannelKey(channel);
        const auto known = searchStart.find(key);
        uint32_t j = known == searchStart.end() ? 0 : known->second;
        while (j < dst.uiCount && !IsSameChannel(dst.sPlane[j], channel))
            ++j;
        if (j < dst.uiCount) {
            searchStart[key] = j + 1;
            if (c == uiChannel)
                return j;
        } else {
            LX_TRACE(u"Found plane, which is not in destination planes '%s'",
                     channel.sDescription.GetString());
            searchStart[key] = c;
        }
    }
    return none;
}
