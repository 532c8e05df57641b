// The channel arrays of a spectral level rebuilt from a list of channels.
#include "gnr_metaformats/LxExperimentAPIInternal.h"
#include "gnr_metaformats/LxRecordArray.h"
#include "w32_system/memory/LxAlloc.h"

namespace lx_experiment
{

SChannelSource ChannelOf(const E& spect, uint32_t i)
{
    const E::SLxExpSpectLoop& s = spect.uLoopPars.sSpectLoop;
    return SChannelSource{
        s.pPlaneDesc ? &s.pPlaneDesc[i] : nullptr,
        s.pAutoFocus ? &s.pAutoFocus[i] : nullptr,
        s.szCommandBeforeCapture ? &s.szCommandBeforeCapture[i] : nullptr,
        s.szCommandAfterCapture ? &s.szCommandAfterCapture[i] : nullptr,
        uint8_t(!spect.pItemValid || spect.pItemValid[i] ? 1 : 0),
    };
}

SChannelSource NewChannel(const SLxPicturePlaneDesc* pPlane)
{
    return SChannelSource{pPlane, nullptr, nullptr, nullptr, 1};
}

int SetChannels(E& spect, const std::vector<SChannelSource>& channels, bool bFlags)
{
    if (channels.size() > UINT32_MAX)
        return -3;
    const uint32_t count = uint32_t(channels.size());
    SLxPicturePlaneDesc* planes = nullptr;
    E::SLxExpAutoFocus* focus = nullptr;
    CLxStringW* before = nullptr;
    CLxStringW* after = nullptr;
    uint8_t* valid = nullptr;
    if (count) {
        SLxPicturePlaneDesc::AllocArray(planes, count);
        focus = static_cast<E::SLxExpAutoFocus*>(
            CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, size_t(count) * sizeof(E::SLxExpAutoFocus)));
        before = lx_meta::NewArray<CLxStringW>(count);
        after = lx_meta::NewArray<CLxStringW>(count);
        if (bFlags)
            valid = static_cast<uint8_t*>(CLxAlloc::Alloc(0, count));
        if (!planes || !focus || !before || !after || (bFlags && !valid)) {
            SLxPicturePlaneDesc::FreeArray(planes);
            CLxAlloc::Free(focus);
            lx_meta::DeleteArray(before);
            lx_meta::DeleteArray(after);
            CLxAlloc::Free(valid);
            return -3;
        }
    }
    for (uint32_t i = 0; i < count; ++i) {
        const SChannelSource& c = channels[i];
        if (c.pPlane)
            SLxPicturePlaneDesc::Copy(planes[i], *c.pPlane);
        if (c.pFocus)
            focus[i] = *c.pFocus;
        if (c.pBefore)
            before[i] = *c.pBefore;
        if (c.pAfter)
            after[i] = *c.pAfter;
        if (valid)
            valid[i] = c.uiValid;
    }
    E::SLxExpSpectLoop& s = spect.uLoopPars.sSpectLoop;
    SLxPicturePlaneDesc::FreeArray(s.pPlaneDesc);
    CLxAlloc::Free(s.pAutoFocus);
    lx_meta::DeleteArray(s.szCommandBeforeCapture);
    lx_meta::DeleteArray(s.szCommandAfterCapture);
    CLxAlloc::Free(spect.pItemValid);
    s.pPlaneDesc = planes;
    s.pAutoFocus = focus;
    s.szCommandBeforeCapture = before;
    s.szCommandAfterCapture = after;
    spect.pItemValid = valid;
    s.uiCount = count;
    return 0;
}

} // namespace lx_experiment
