// The profile records' life: set up, sampled through the raw-memory layer,
// released.
#include "gnr_picture/LxProfileData.h"

#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/picmemAPI/LxPicMemAPI.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

int sample(SLxProfileData* profile, const SLxPicBuf* pic, unsigned xStart, unsigned xEnd,
           unsigned yStart, unsigned yEnd, SLxProfileMetric* metric)
{
    if (!profile)
        return -2;
    if (!pic) {
        // Only the geometry, as for a picture without memory.
        return CLxPicMemAPI::GetProfileData(profile, xStart, xEnd, yStart, yEnd, nullptr, 0,
                                            profile->uiComps, profile->uiBpc, 0, 0, metric);
    }
    return CLxPicMemAPI::GetProfileData(profile, xStart, xEnd, yStart, yEnd, pic->pData,
                                        pic->uiWidthBytes, pic->uiComps, pic->uiBpc, pic->uiWidth,
                                        pic->uiWidth * pic->uiHeight, metric);
}

} // namespace

void CLxProfileDataAPI::Init(SLxProfileData* profile)
{
    if (profile)
        *profile = SLxProfileData{};
}

int CLxProfileDataAPI::Reinit(SLxProfileData* profile, const SLxPicBufDesc* desc)
{
    if (!profile || !desc)
        return -9;
    Free(profile);
    profile->uiComps = desc->uiComps;
    profile->uiBpc = desc->uiBpc;
    profile->uiWidth = desc->uiWidth;
    profile->uiHeight = desc->uiHeight;
    profile->dStep = 0.0;
    profile->uiHalfWidth = 0;
    return 0;
}

void CLxProfileDataAPI::Free(SLxProfileData* profile)
{
    if (!profile)
        return;
    CLxAlloc::Free(profile->pData);
    CLxAlloc::Free(profile->puiX);
    CLxAlloc::Free(profile->puiY);
    profile->pData = nullptr;
    profile->puiX = profile->puiY = nullptr;
    profile->uiCount = 0;
}

void CLxProfileDataAPI::FreeMetrics(SLxProfileMetric* metric)
{
    if (!metric)
        return;
    CLxAlloc::Free(metric->pdX);
    CLxAlloc::Free(metric->pdY);
    CLxAlloc::Free(metric->pdDistance);
    metric->pdX = metric->pdY = metric->pdDistance = nullptr;
    metric->uiCount = 0;
}

int CLxProfileDataAPI::Calculate(SLxProfileData* profile, const SLxPicBuf* pic, unsigned xStart,
                                 unsigned xEnd, unsigned yStart, unsigned yEnd)
{
    Free(profile);
    return sample(profile, pic, xStart, xEnd, yStart, yEnd, nullptr);
}

int CLxProfileDataAPI::CalculateEx(SLxProfileData* profile, const SLxPicBuf* pic, unsigned xStart,
                                   unsigned xEnd, unsigned yStart, unsigned yEnd,
                                   SLxProfileMetric* metric)
{
    Free(profile);
    FreeMetrics(metric);
    return sample(profile, pic, xStart, xEnd, yStart, yEnd, metric);
}
