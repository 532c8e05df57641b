// Branching a running acquisition: from the item after a given one on, the
// outermost loop runs a new sub-level.
#include <memory>
#include <utility>

#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxExperimentAPIInternal.h"
#include "gnr_metaformats/LxRecordArray.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/memory/LxAlloc.h"
#include "w32_system/timer/LxTimer.h"

using namespace lx_experiment;

namespace
{

struct FreeLevel {
    void operator()(SLxExperiment* level) const { SLxExperiment::FreeRecursive(level); }
};
typedef std::unique_ptr<SLxExperiment, FreeLevel> LevelPtr;

// Exchanges everything two levels hold.
void SwapLevels(SLxExperiment& a, SLxExperiment& b)
{
    std::swap(a.eType, b.eType);
    std::swap(a.wsApplicationDesc, b.wsApplicationDesc);
    std::swap(a.wsUserDesc, b.wsUserDesc);
    std::swap(a.aMeasProbesBase64, b.aMeasProbesBase64);
    std::swap(a.uLoopPars, b.uLoopPars);
    std::swap(a.pItemValid, b.pItemValid);
    std::swap(a.sAutoFocusBeforeLoop, b.sAutoFocusBeforeLoop);
    std::swap(a.wsCommandBeforeLoop, b.wsCommandBeforeLoop);
    std::swap(a.wsCommandBeforeCapture, b.wsCommandBeforeCapture);
    std::swap(a.wsCommandAfterCapture, b.wsCommandAfterCapture);
    std::swap(a.wsCommandAfterLoop, b.wsCommandAfterLoop);
    std::swap(a.bControlShutter, b.bControlShutter);
    std::swap(a.bControlLight, b.bControlLight);
    std::swap(a.bUsePFS, b.bUsePFS);
    std::swap(a.pLargeImage, b.pLargeImage);
    std::swap(a.ppNextLevelEx, b.ppNextLevelEx);
    std::swap(a.uiNextLevelCount, b.uiNextLevelCount);
    std::swap(a.uiRepeatCount, b.uiRepeatCount);
    std::swap(a.bOwnsSubLoopLevels, b.bOwnsSubLoopLevels);
}

// Turns a time loop (type 1 or 9) into a non-equidistant one of one period
// holding the old record; its children stay.
int ToNETime(SLxExperiment& level)
{
    SLxExperiment::SLxExpTimeLoop period{};
    if (level.eType == SLxExperiment::eEtTime)
        period = level.uLoopPars.sTimeLoop;
    else
        period.uiCount = level.uLoopPars.uiCount;
    SLxExperiment** children = level.ppNextLevelEx;
    const uint32_t childCount = level.uiNextLevelCount;
    const SLxExperiment::SLxExpAutoFocus focus = level.sAutoFocusBeforeLoop;
    const uint32_t repeat = level.uiRepeatCount;
    level.ppNextLevelEx = nullptr;
    level.uiNextLevelCount = 0;
    SLxExperiment::Uninit(level);
    const int status =
        SLxExperiment::Init(level, SLxExperiment::eEtNETime, false, period.uiCount, 1, 0);
    level.ppNextLevelEx = children;
    level.uiNextLevelCount = childCount;
    level.sAutoFocusBeforeLoop = focus;
    level.uiRepeatCount = repeat;
    if (status == 0)
        level.uLoopPars.sNETimeLoop.pPeriod[0] = period;
    return status;
}

// A period's sub-loops: deep copies of a set of children, each with its
// level 0 replaced by pNew when given (a period without children then
// runs pNew alone).
int CopyPeriodLevels(const SBranchSet& set, const SLxExperiment* pNew,
                     SLxExperiment::SLxSubLoopsDefinition& def)
{
    SLxExperiment holder;
    int status = 0;
    if (set.IsEmpty() && pNew) {
        SLxExperiment* copy = nullptr;
        status = SLxExperiment::Duplicate(&copy, *pNew, true);
        if (status == 0)
            status = AppendChild(holder, copy);
        if (status != 0)
            SLxExperiment::FreeRecursive(copy);
    } else {
        status = DuplicateChildren(set, holder);
        for (uint32_t i = 0; status == 0 && pNew && i < holder.uiNextLevelCount; ++i) {
            if (holder.ppNextLevelEx[i])
                status = ReplaceLevelZero(holder.ppNextLevelEx[i], *pNew);
        }
    }
    // The definition takes the levels over from the holder.
    def.ppNextLevelEx = holder.ppNextLevelEx;
    def.uiNextLevelCount = holder.uiNextLevelCount;
    holder.ppNextLevelEx = nullptr;
    holder.uiNextLevelCount = 0;
    return status;
}

void CopyCommonFields(SLxExperiment& dst, const SLxExperiment& src)
{
    dst.wsApplicationDesc = src.wsApplicationDesc;
    dst.wsUserDesc = src.wsUserDesc;
    dst.aMeasProbesBase64 = src.aMeasProbesBase64;
    dst.sAutoFocusBeforeLoop = src.sAutoFocusBeforeLoop;
    dst.wsCommandBeforeLoop = src.wsCommandBeforeLoop;
    dst.wsCommandBeforeCapture = src.wsCommandBeforeCapture;
    dst.wsCommandAfterCapture = src.wsCommandAfterCapture;
    dst.wsCommandAfterLoop = src.wsCommandAfterLoop;
    dst.bControlShutter = src.bControlShutter;
    dst.bControlLight = src.bControlLight;
    dst.bUsePFS = src.bUsePFS;
    dst.uiRepeatCount = src.uiRepeatCount;
    if (src.pLargeImage) {
        dst.pLargeImage =
            static_cast<SLxExperiment::SLxLIDesc*>(CLxAlloc::Alloc(0, sizeof *src.pLargeImage));
        if (dst.pLargeImage)
            *dst.pLargeImage = *src.pLargeImage;
    }
}

// The time loop `old` (type 8) rebuilt with period p split after time
// point `item` (s time points before the period): the second part and every
// later period run pNew.
int SplitPeriods(const SLxExperiment& old, uint32_t p, uint64_t s, uint32_t item,
                 const SLxExperiment& pNew, double* pdTime, uint32_t* puiNextIndex,
                 LevelPtr& result)
{
    const SLxExperiment::SLxExpNETimeLoop& from = old.uLoopPars.sNETimeLoop;
    SLxExperiment* built = nullptr;
    int status = SLxExperiment::Alloc(&built);
    if (status != 0)
        return status;
    result.reset(built);
    if (from.uiPeriodCount == UINT32_MAX)
        return -3;
    const uint32_t periods = from.uiPeriodCount + 1;
    status = SLxExperiment::Init(*built, SLxExperiment::eEtNETime, false, 0, periods, 0);
    if (status != 0)
        return status;
    CopyCommonFields(*built, old);
    SLxExperiment::SLxExpNETimeLoop& to = built->uLoopPars.sNETimeLoop;
    to.sAutoFocusBeforePeriod = from.sAutoFocusBeforePeriod;
    to.sAutoFocusBeforeCapture = from.sAutoFocusBeforeCapture;
    to.pSubLoops = lx_meta::NewArray<SLxExperiment::SLxSubLoopsDefinition>(periods);
    if (!to.pSubLoops)
        return -3;
    built->bOwnsSubLoopLevels = true;
    const auto copyPeriod = [&](uint32_t q, uint32_t at, const SLxExperiment* pReplace) {
        to.pPeriod[at] = from.pPeriod[q];
        if (from.szCommandBeforePeriod)
            to.szCommandBeforePeriod[at] = from.szCommandBeforePeriod[q];
        if (from.szCommandAfterPeriod)
            to.szCommandAfterPeriod[at] = from.szCommandAfterPeriod[q];
        to.pPeriodValid[at] = IsPeriodValid(old, q) ? 1 : 0;
        return CopyPeriodLevels(PeriodChildren(old, q), pReplace, to.pSubLoops[at]);
    };
    for (uint32_t q = 0; q <= p && status == 0; ++q)
        status = copyPeriod(q, q, nullptr);
    for (uint32_t q = p; q < from.uiPeriodCount && status == 0; ++q)
        status = copyPeriod(q, q + 1, &pNew);
    if (status != 0)
        return status;

    // The period split in two at the item.
    const SLxExperiment::SLxExpTimeLoop& whole = from.pPeriod[p];
    SLxExperiment::SLxExpTimeLoop& first = to.pPeriod[p];
    SLxExperiment::SLxExpTimeLoop& second = to.pPeriod[p + 1];
    first.uiCount = uint32_t(item - s + 1);
    if (whole.uiCount == 0) {
        // A period without end lasted until now.
        const double now = LX_GetTimeCounter();
        first.dDuration = now - (pdTime ? *pdTime : 0.0);
        if (pdTime)
            *pdTime = now;
        if (puiNextIndex)
            *puiNextIndex = item + 1;
    } else {
        first.dDuration = double(first.uiCount) * whole.dDuration / double(whole.uiCount);
    }
    second.uiCount = whole.uiCount > first.uiCount ? whole.uiCount - first.uiCount : 0;
    const double rest = whole.dDuration - first.dDuration;
    second.dDuration = whole.dDuration < 0 ? whole.dDuration : rest > 0 ? rest : 0.0;
    to.szCommandBeforePeriod[p + 1] = CLxStringW();

    uint64_t total = 0;
    for (uint32_t q = 0; q < periods; ++q)
        total += to.pPeriodValid[q] ? to.pPeriod[q].uiCount : 0;
    to.uiCount = Clamp32(total);
    return 0;
}

int BranchTime(SLxExperiment& root, uint32_t item, const SLxExperiment& pNew, double* pdTime,
               uint32_t* puiNextIndex)
{
    SLxExperiment* copy = nullptr;
    int status = SLxExperiment::Duplicate(&copy, root, true);
    LevelPtr old(copy);
    if (status != 0)
        return status;
    if (old->eType != SLxExperiment::eEtNETime) {
        status = ToNETime(*old);
        if (status != 0)
            return status;
    }
    uint32_t p = 0;
    uint64_t s = 0;
    if (!FindPeriod(*old, item, p, s))
        return 0; // no period holds the item: nothing to branch
    LevelPtr built;
    status = SplitPeriods(*old, p, s, item, pNew, pdTime, puiNextIndex, built);
    if (status != 0)
        return status;
    SwapLevels(root, *built);
    return 0;
}

int BranchItems(SLxExperiment& root, uint32_t item, const SLxExperiment& pNew)
{
    SLxExperiment* copy = nullptr;
    int status = SLxExperiment::Duplicate(&copy, root, true);
    LevelPtr old(copy);
    if (status != 0)
        return status;
    if (OwnChildren(*old).IsEmpty())
        return -9; // no item runs a level to branch from
    const SBranchSet own = OwnChildren(root);
    for (uint32_t i = 0; i < own.uiCount; ++i)
        SLxExperiment::FreeRecursive(own.ppChildren[i]);
    DropChildArray(root);
    const uint64_t size = CLxExperimentAPI::GetLoopSize(old.get());
    const uint64_t items = size < 2 ? 1 : size;
    SLxExperiment* last = nullptr;
    // Runs of items that one old child runs, split after the item: each run
    // is one branch, or more turns of the last branch when equal to it.
    for (uint64_t i = 0; i < items;) {
        const SItemRun run = ItemRun(*old, i);
        uint64_t end = run.uiLast < items - 1 ? run.uiLast : items - 1;
        if (i <= item && item < end)
            end = item;
        const uint64_t turns = end - i + 1;
        const SLxExperiment* child = run.pChild;
        const bool replaced = i > item;
        i = end + 1;
        if (!child)
            continue;
        SLxExperiment* branch = nullptr;
        status = SLxExperiment::Duplicate(&branch, *child, true);
        if (status == 0 && replaced)
            status = ReplaceLevelZero(branch, pNew);
        if (status != 0) {
            SLxExperiment::FreeRecursive(branch);
            return status;
        }
        if (last) {
            branch->uiRepeatCount = last->uiRepeatCount;
            if (SLxExperiment::IsEqual(*branch, *last, true)) {
                last->uiRepeatCount += uint32_t(turns);
                SLxExperiment::FreeRecursive(branch);
                continue;
            }
        }
        branch->uiRepeatCount = uint32_t(turns);
        SLxExperiment* pRoot = &root;
        if (CLxExperimentAPI::AddExperimentBranch(pRoot, nullptr, 0, branch) != 0) {
            LX_DIAG_ASSERT_TEXT(
                u"LX_OK != CLxExperimentAPI::AddExperimentBranch(pExperiment, NULL, 0, pLastExp)",
                nullptr);
            SLxExperiment::FreeRecursive(branch);
            continue;
        }
        last = branch;
    }
    return 0;
}

} // namespace

int CLxExperimentAPI::BranchExperiment(SLxExperiment* pRoot, uint32_t uiItem,
                                       const SLxExperiment* pNewSubLevel, double* pdTime,
                                       uint32_t* puiNextIndex)
{
    if (!pRoot)
        return -9;
    if (!pNewSubLevel)
        return -4;
    if (IsTimeLoop(pRoot->eType))
        return BranchTime(*pRoot, uiItem, *pNewSubLevel, pdTime, puiNextIndex);
    return BranchItems(*pRoot, uiItem, *pNewSubLevel);
}
