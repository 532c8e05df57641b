// Whether two trees have the same shape, and merging the channels of one
// into the other.
#include <vector>

#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxExperimentAPIInternal.h"

using namespace lx_experiment;

namespace
{

bool SameShape(const SLxExperiment* a, const SLxExperiment* b, bool bSpectralMatch)
{
    if (!a || !b || a->eType != b->eType)
        return false;
    if (bSpectralMatch && a->eType == SLxExperiment::eEtSpect)
        return true;
    if (LoopSize64(a) != LoopSize64(b))
        return false;
    const SBranchSet ca = OwnChildren(*a), cb = OwnChildren(*b);
    if (!a->ppNextLevelEx || !b->ppNextLevelEx)
        return true;
    if (ca.uiCount != cb.uiCount)
        return false;
    for (uint32_t i = 0; i < ca.uiCount; ++i) {
        if (!SameShape(ca.ppChildren[i], cb.ppChildren[i], true))
            return false;
    }
    return true;
}

const SLxPicturePlaneDesc* FirstPlane(const SLxPicturePlanes& planes)
{
    return planes.sPlane && planes.uiCount ? &planes.sPlane[0] : nullptr;
}

void AddValidChannels(std::vector<SChannelSource>& list, const SLxExperiment& spect)
{
    for (uint32_t c = 0; c < spect.uLoopPars.sSpectLoop.uiCount; ++c) {
        if (!spect.pItemValid || spect.pItemValid[c])
            list.push_back(ChannelOf(spect, c));
    }
}

// A new spectral level holding the channels listed.
int NewSpect(const std::vector<SChannelSource>& channels, SLxExperiment*& level)
{
    level = nullptr;
    int status = SLxExperiment::Alloc(&level);
    if (status == 0)
        status = SLxExperiment::Init(*level, SLxExperiment::eEtSpect, false, 0, 0, 0);
    if (status == 0)
        status = SetChannels(*level, channels, false);
    if (status != 0) {
        SLxExperiment::FreeRecursive(level);
        level = nullptr;
    }
    return status;
}

// Appends channels to a spectral level; they are valid.
int AppendChannels(SLxExperiment& spect, const std::vector<SChannelSource>& added)
{
    std::vector<SChannelSource> all;
    for (uint32_t c = 0; c < spect.uLoopPars.sSpectLoop.uiCount; ++c)
        all.push_back(ChannelOf(spect, c));
    all.insert(all.end(), added.begin(), added.end());
    return SetChannels(spect, all, spect.pItemValid != nullptr);
}

bool AllSpectral(const SBranchSet& set)
{
    for (uint32_t i = 0; i < set.uiCount; ++i) {
        if (!set.ppChildren[i] || set.ppChildren[i]->eType != SLxExperiment::eEtSpect)
            return false;
    }
    return true;
}

} // namespace

bool CLxExperimentAPI::CanLambdaExperimentsBeMerged(const SLxExperiment* pA,
                                                    const SLxExperiment* pB)
{
    return SameShape(pA, pB, true);
}

bool CLxExperimentAPI::IsExperimentCompatible(const SLxExperiment* pA, const SLxExperiment* pB)
{
    return SameShape(pA, pB, false);
}

int CLxExperimentAPI::MergeLambdaExperiments(SLxExperiment* pA, const SLxPicturePlanes& channelsA,
                                             const SLxExperiment* pB,
                                             const SLxPicturePlanes& channelsB)
{
    if (!pA || !pB || pA->eType == SLxExperiment::eEtUnknown || pA->eType != pB->eType)
        return -4;
    if (pA->eType == SLxExperiment::eEtSpect) {
        std::vector<SChannelSource> list;
        AddValidChannels(list, *pA);
        AddValidChannels(list, *pB);
        return SetChannels(*pA, list, false);
    }
    const SBranchSet ca = OwnChildren(*pA), cb = OwnChildren(*pB);
    if (ca.IsEmpty() && cb.IsEmpty()) {
        SLxExperiment* spect = nullptr;
        int status =
            NewSpect({NewChannel(FirstPlane(channelsA)), NewChannel(FirstPlane(channelsB))}, spect);
        if (status == 0 && (status = AppendChild(*pA, spect)) != 0)
            SLxExperiment::FreeRecursive(spect);
        return status;
    }
    if (cb.IsEmpty()) {
        if (!AllSpectral(ca))
            return -4;
        for (uint32_t i = 0; i < ca.uiCount; ++i) {
            const int status =
                AppendChannels(*ca.ppChildren[i], {NewChannel(FirstPlane(channelsB))});
            if (status != 0)
                return status;
        }
        return 0;
    }
    if (ca.IsEmpty()) {
        if (!AllSpectral(cb))
            return -4;
        SLxExperiment holder;
        for (uint32_t i = 0; i < cb.uiCount; ++i) {
            std::vector<SChannelSource> list{NewChannel(FirstPlane(channelsA))};
            AddValidChannels(list, *cb.ppChildren[i]);
            SLxExperiment* spect = nullptr;
            int status = NewSpect(list, spect);
            if (status == 0) {
                spect->uiRepeatCount = cb.ppChildren[i]->uiRepeatCount;
                if ((status = AppendChild(holder, spect)) != 0)
                    SLxExperiment::FreeRecursive(spect);
            }
            if (status != 0)
                return status; // the holder releases what was made
        }
        DropChildArray(*pA);
        pA->ppNextLevelEx = holder.ppNextLevelEx;
        pA->uiNextLevelCount = holder.uiNextLevelCount;
        holder.ppNextLevelEx = nullptr;
        holder.uiNextLevelCount = 0;
        return 0;
    }
    if (ca.uiCount != cb.uiCount)
        return -4;
    for (uint32_t i = 0; i < ca.uiCount; ++i) {
        if (!ca.ppChildren[i] || !cb.ppChildren[i] ||
            ca.ppChildren[i]->uiRepeatCount != cb.ppChildren[i]->uiRepeatCount)
            return -4;
    }
    for (uint32_t i = 0; i < ca.uiCount; ++i) {
        const int status =
            MergeLambdaExperiments(ca.ppChildren[i], channelsA, cb.ppChildren[i], channelsB);
        if (status != 0)
            return status;
    }
    return 0;
}

int CLxExperimentAPI::MergeLambdaExperiments(SLxExperiment* pExp, const SLxPicturePlanes& channelsA,
                                             const SLxPicturePlanes& channelsB)
{
    if (!pExp)
        return -4;
    std::vector<SChannelSource> added;
    for (uint32_t i = 0; channelsB.sPlane && i < channelsB.uiCount; ++i)
        added.push_back(NewChannel(&channelsB.sPlane[i]));
    if (pExp->eType == SLxExperiment::eEtSpect)
        return AppendChannels(*pExp, added);
    const SBranchSet children = OwnChildren(*pExp);
    if (children.IsEmpty()) {
        std::vector<SChannelSource> list;
        for (uint32_t i = 0; channelsA.sPlane && i < channelsA.uiCount; ++i)
            list.push_back(NewChannel(&channelsA.sPlane[i]));
        list.insert(list.end(), added.begin(), added.end());
        SLxExperiment* spect = nullptr;
        int status = NewSpect(list, spect);
        if (status == 0 && (status = AppendChild(*pExp, spect)) != 0)
            SLxExperiment::FreeRecursive(spect);
        return status;
    }
    for (uint32_t i = 0; i < children.uiCount; ++i) {
        const int status = children.ppChildren[i] ? MergeLambdaExperiments(children.ppChildren[i],
                                                                           channelsA, channelsB)
                                                  : 0;
        if (status != 0)
            return status;
    }
    return 0;
}
