// The channels of every branch of a tree merged into one spectral level.
#include <cstring>
#include <map>
#include <vector>

#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxExperimentAPIInternal.h"
#include "gnr_metaformats/LxRecordArray.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/memory/LxAlloc.h"

using namespace lx_experiment;

namespace lx_experiment
{

bool IsSameChannel(const SLxPicturePlaneDesc& a, const SLxPicturePlaneDesc& b)
{
    return a.uiColor == b.uiColor && a.sDescription == b.sDescription &&
           a.sOpticalConfigName == b.sOpticalConfigName;
}

CLxStringW ChannelKey(const SLxPicturePlaneDesc& plane)
{
    CLxStringW key;
    key.Format(u"%s::%s::%08x", plane.sDescription.GetString(),
               plane.sOpticalConfigName.GetString(), plane.uiColor);
    return key;
}

} // namespace lx_experiment

namespace
{

typedef SLxExperiment::SLxExpSpectLoop SpectLoop;

bool IsValid(const SLxExperiment& level, uint32_t i)
{
    return !level.pItemValid || level.pItemValid[i] != 0;
}

// Appends channels `added` of `from` to the spectral level `to`: planes,
// autofocus records, both commands and valid bytes grow together.
int AppendChannels(SLxExperiment& to, const SLxExperiment& from, const std::vector<uint32_t>& added)
{
    SpectLoop& dst = to.uLoopPars.sSpectLoop;
    const uint32_t old = dst.uiCount;
    const uint64_t wanted = uint64_t(old) + added.size();
    if (wanted > UINT32_MAX)
        return -3;
    const uint32_t count = uint32_t(wanted);
    SLxPicturePlaneDesc* planes = nullptr;
    SLxPicturePlaneDesc::AllocArray(planes, count);
    auto* focus = static_cast<SLxExperiment::SLxExpAutoFocus*>(CLxAlloc::Alloc(
        LX_HEAP_ZERO_MEMORY, size_t(count) * sizeof(SLxExperiment::SLxExpAutoFocus)));
    CLxStringW* before = lx_meta::NewArray<CLxStringW>(count);
    CLxStringW* after = lx_meta::NewArray<CLxStringW>(count);
    auto* valid = static_cast<uint8_t*>(CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, count));
    if (!planes || !focus || !before || !after || !valid) {
        SLxPicturePlaneDesc::FreeArray(planes);
        CLxAlloc::Free(focus);
        lx_meta::DeleteArray(before);
        lx_meta::DeleteArray(after);
        CLxAlloc::Free(valid);
        return -3;
    }
    // Copies channel i of a level into a slot of the new arrays.
    const auto put = [&](uint32_t slot, const SLxExperiment& level, uint32_t i) {
        const SpectLoop& s = level.uLoopPars.sSpectLoop;
        if (s.pPlaneDesc)
            SLxPicturePlaneDesc::Copy(planes[slot], s.pPlaneDesc[i]);
        if (s.pAutoFocus)
            focus[slot] = s.pAutoFocus[i];
        if (s.szCommandBeforeCapture)
            before[slot] = s.szCommandBeforeCapture[i];
        if (s.szCommandAfterCapture)
            after[slot] = s.szCommandAfterCapture[i];
        valid[slot] = IsValid(level, i) ? 1 : 0;
    };
    for (uint32_t i = 0; i < old; ++i)
        put(i, to, i);
    for (size_t k = 0; k < added.size(); ++k)
        put(uint32_t(old + k), from, added[k]);
    SLxPicturePlaneDesc::FreeArray(dst.pPlaneDesc);
    CLxAlloc::Free(dst.pAutoFocus);
    lx_meta::DeleteArray(dst.szCommandBeforeCapture);
    lx_meta::DeleteArray(dst.szCommandAfterCapture);
    CLxAlloc::Free(to.pItemValid);
    dst.pPlaneDesc = planes;
    dst.pAutoFocus = focus;
    dst.szCommandBeforeCapture = before;
    dst.szCommandAfterCapture = after;
    to.pItemValid = valid;
    dst.uiCount = count;
    return 0;
}

// Merges the channels of one branch's superset into the result. The search
// for a channel's match starts after the last match of the same key in this
// branch, so a key twice in one branch keeps two channels; each branch
// starts afresh, so a channel of many branches is kept once.
int MergeBranch(SLxExperiment& result, const SLxExperiment& branch)
{
    const SpectLoop& s = branch.uLoopPars.sSpectLoop;
    if (!s.pPlaneDesc)
        return 0;
    std::map<CLxStringW, uint32_t> searchStart;
    std::vector<uint32_t> added;
    for (uint32_t i = 0; i < s.uiCount; ++i) {
        const CLxStringW key = ChannelKey(s.pPlaneDesc[i]);
        const auto known = searchStart.find(key);
        const SpectLoop& r = result.uLoopPars.sSpectLoop;
        uint32_t j = known == searchStart.end() ? 0 : known->second;
        while (r.pPlaneDesc && j < r.uiCount && !IsSameChannel(r.pPlaneDesc[j], s.pPlaneDesc[i]))
            ++j;
        if (r.pPlaneDesc && j < r.uiCount) {
            searchStart[key] = j + 1;
            if (IsValid(branch, i) && result.pItemValid)
                result.pItemValid[j] = 1;
        } else {
            searchStart[key] = r.uiCount;
            added.push_back(i);
        }
    }
    for (uint32_t i : added) {
        if (i >= s.uiCount) {
            LX_DIAG_ASSERT_TEXT(u"*it >= pSubExp->uLoopPars.sSpectLoop.uiCount", nullptr);
            return 0;
        }
    }
    return added.empty() ? 0 : AppendChannels(result, branch, added);
}

int Superset(const SLxExperiment& level, SLxExperiment*& result);

int MergeChildren(const SBranchSet& set, SLxExperiment*& result)
{
    for (uint32_t j = 0; j < set.uiCount; ++j) {
        if (!set.ppChildren[j])
            continue;
        SLxExperiment* branch = nullptr;
        if (Superset(*set.ppChildren[j], branch) != 0 || !branch)
            continue; // a branch that fails is passed over
        if (!result) {
            result = branch;
            continue;
        }
        const int status = MergeBranch(*result, *branch);
        SLxExperiment::FreeRecursive(branch);
        if (status != 0)
            return status;
    }
    return 0;
}

int Superset(const SLxExperiment& level, SLxExperiment*& result)
{
    result = nullptr;
    if (level.eType == SLxExperiment::eEtSpect) {
        int status = SLxExperiment::Duplicate(&result, level, true);
        const uint32_t count = level.uLoopPars.sSpectLoop.uiCount;
        if (status == 0 && !result->pItemValid && count) {
            result->pItemValid = static_cast<uint8_t*>(CLxAlloc::Alloc(0, count));
            if (result->pItemValid)
                std::memset(result->pItemValid, 1, count);
            else
                status = -3;
        }
        if (status != 0) {
            SLxExperiment::FreeRecursive(result);
            result = nullptr;
        }
        return status;
    }
    int status = 0;
    const SLxExperiment::SLxExpNETimeLoop& ne = level.uLoopPars.sNETimeLoop;
    if (level.eType == SLxExperiment::eEtNETime && ne.pSubLoops) {
        for (uint32_t p = 0; p < ne.uiPeriodCount && status == 0; ++p)
            status = MergeChildren(PeriodChildren(level, p), result);
    } else {
        status = MergeChildren(OwnChildren(level), result);
    }
    if (status != 0) {
        SLxExperiment::FreeRecursive(result);
        result = nullptr;
    }
    return status;
}

} // namespace

int CLxExperimentAPI::GetSupersetSpectExp(const SLxExperiment* pRoot, SLxExperiment** ppSuperset)
{
    if (ppSuperset)
        *ppSuperset = nullptr;
    if (!pRoot || !ppSuperset)
        return -4;
    return Superset(*pRoot, *ppSuperset);
}
