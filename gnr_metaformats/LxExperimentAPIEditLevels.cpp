// Editing a tree: replacing, removing and inserting levels and branches.
#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxExperimentAPIInternal.h"
#include "gnr_metaformats/LxRecordArray.h"
#include "w32_system/memory/LxAlloc.h"

namespace lx_experiment
{

void DropChildArray(E& level)
{
    CLxAlloc::Free(level.ppNextLevelEx);
    level.ppNextLevelEx = nullptr;
    level.uiNextLevelCount = 0;
}

void DropSubLoops(E& level)
{
    E::SLxExpNETimeLoop& ne = level.uLoopPars.sNETimeLoop;
    if (level.eType != E::eEtNETime || !ne.pSubLoops)
        return;
    for (uint32_t p = 0; p < ne.uiPeriodCount; ++p) {
        E::SLxSubLoopsDefinition& def = ne.pSubLoops[p];
        for (uint32_t i = 0;
             level.bOwnsSubLoopLevels && def.ppNextLevelEx && i < def.uiNextLevelCount; ++i)
            E::FreeRecursive(def.ppNextLevelEx[i]);
        CLxAlloc::Free(def.ppNextLevelEx);
    }
    lx_meta::DeleteArray(ne.pSubLoops);
    ne.pSubLoops = nullptr;
    level.bOwnsSubLoopLevels = false;
}

int DuplicateChildren(const SBranchSet& set, E& parent)
{
    DropChildArray(parent);
    if (set.IsEmpty())
        return 0;
    parent.ppNextLevelEx =
        static_cast<E**>(CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, size_t(set.uiCount) * sizeof(E*)));
    if (!parent.ppNextLevelEx)
        return -3;
    parent.uiNextLevelCount = set.uiCount;
    int status = 0;
    for (uint32_t i = 0; i < set.uiCount; ++i) {
        if (set.ppChildren[i] && status == 0)
            status = E::Duplicate(&parent.ppNextLevelEx[i], *set.ppChildren[i], true);
    }
    return status;
}

int AppendChild(E& parent, E* child)
{
    const uint32_t count = parent.ppNextLevelEx ? parent.uiNextLevelCount : 0;
    if (count == UINT32_MAX)
        return -3;
    E** grown =
        static_cast<E**>(CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, (size_t(count) + 1) * sizeof(E*)));
    if (!grown)
        return -3;
    for (uint32_t i = 0; i < count; ++i)
        grown[i] = parent.ppNextLevelEx[i];
    grown[count] = child;
    CLxAlloc::Free(parent.ppNextLevelEx);
    parent.ppNextLevelEx = grown;
    parent.uiNextLevelCount = count + 1;
    return 0;
}

int ReplaceLevelZero(E*& slot, const E& newLevel)
{
    E* old = slot;
    // The children the old level ran: its own, or a type-8 level's first
    // period's sub-loops.
    const SBranchSet children = PeriodChildren(*old, 0);
    E* fresh = nullptr;
    int status = E::Duplicate(&fresh, newLevel, false);
    if (status != 0)
        return status;
    // The copy shares the new level's children: it gets the old ones.
    DropChildArray(*fresh);
    DropSubLoops(*fresh);
    status = DuplicateChildren(children, *fresh);
    if (status != 0) {
        E::FreeRecursive(fresh);
        return status;
    }
    // The branch keeps its turn among its parent's children.
    fresh->uiRepeatCount = old->uiRepeatCount;
    E::FreeRecursive(old);
    slot = fresh;
    return 0;
}

} // namespace lx_experiment

using namespace lx_experiment;

namespace
{

uint32_t ChildCount(const SLxExperiment& level)
{
    uint32_t count = 0;
    for (const SChildArray& array : ChildArrays(level))
        count += array.Count();
    return count;
}

int Remove(SLxExperiment*& slot, uint32_t depth, const uint32_t* puiPos, uint32_t uiPosCount)
{
    if (!slot)
        return -4;
    if (depth == 0) {
        SLxExperiment* old = slot;
        // The child that takes the level's place: the one the position runs,
        // else the first.
        const SLxExperiment* keep = nullptr;
        if (puiPos && uiPosCount)
            keep = CLxExperimentAPI::GetNextLevelExperiment(old, puiPos[0]);
        for (const SChildArray& array : ChildArrays(*old)) {
            if (!keep && array.Count())
                keep = array.At(0);
        }
        SLxExperiment* kept = nullptr;
        for (const SChildArray& array : ChildArrays(*old)) {
            for (uint32_t i = 0; keep && i < array.Count(); ++i) {
                if (array.At(i) == keep && !kept) {
                    kept = array.At(i);
                    array.At(i) = nullptr;
                }
            }
        }
        if (kept)
            kept->uiRepeatCount = old->uiRepeatCount;
        SLxExperiment::FreeRecursive(old);
        slot = kept;
        return 0;
    }
    if (ChildCount(*slot) == 0)
        return -13;
    int status = -13;
    const bool shifted = puiPos && uiPosCount;
    for (const SChildArray& array : ChildArrays(*slot)) {
        for (uint32_t i = 0; i < array.Count(); ++i) {
            if (!array.At(i))
                continue;
            const int s = Remove(array.At(i), depth - 1, shifted ? puiPos + 1 : nullptr,
                                 shifted ? uiPosCount - 1 : 0);
            status = s == 0 || status == 0 ? 0 : status;
        }
        PackChildren(array);
    }
    return status;
}

// Inserts a level (owned) at depth below the slot; the level is released on
// failure.
int Insert(SLxExperiment*& slot, SLxExperiment* level, uint32_t depth, bool bBranch)
{
    if (depth == 0) {
        int status = AppendChild(*level, slot);
        if (status != 0) {
            SLxExperiment::FreeRecursive(level);
            return status;
        }
        if (bBranch)
            level->uiRepeatCount = slot->uiRepeatCount;
        slot->uiRepeatCount = 1;
        slot = level;
        return 0;
    }
    std::vector<SChildArray> arrays = ChildArrays(*slot);
    std::vector<SLxExperiment**> slots;
    for (const SChildArray& array : arrays) {
        for (uint32_t i = 0; i < array.Count(); ++i) {
            if (array.At(i))
                slots.push_back(&array.At(i));
        }
    }
    if (slots.empty()) {
        const int status = AppendChild(*slot, level);
        if (status != 0)
            SLxExperiment::FreeRecursive(level);
        else
            level->uiRepeatCount = 1;
        return status;
    }
    // Every other branch gets a copy made before the level gains children.
    int status = 0;
    for (size_t k = 1; k < slots.size(); ++k) {
        SLxExperiment* copy = nullptr;
        int s = SLxExperiment::Duplicate(&copy, *level, false);
        if (s == 0)
            s = Insert(*slots[k], copy, depth - 1, true);
        status = status ? status : s;
    }
    const int s = Insert(*slots[0], level, depth - 1, true);
    return status ? status : s;
}

int ReplaceBranch(SLxExperiment*& slot, const SLxExperiment* oldBranch,
                  const SLxExperiment& newBranch, bool& found)
{
    if (slot == oldBranch) {
        SLxExperiment* copy = nullptr;
        const int status = SLxExperiment::Duplicate(&copy, newBranch, true);
        if (status != 0) {
            SLxExperiment::FreeRecursive(copy);
            return status;
        }
        SLxExperiment::FreeRecursive(slot);
        slot = copy;
        found = true;
        return 0;
    }
    for (const SChildArray& array : ChildArrays(*slot)) {
        for (uint32_t i = 0; !found && i < array.Count(); ++i) {
            if (!array.At(i))
                continue;
            const int status = ReplaceBranch(array.At(i), oldBranch, newBranch, found);
            if (status != 0)
                return status;
        }
    }
    return 0;
}

} // namespace

int CLxExperimentAPI::ReplaceExperimentLevel(SLxExperiment*& pRoot, uint32_t uiDepth,
                                             const SLxExperiment* pNewLevel)
{
    if (!pRoot || !pNewLevel)
        return -4;
    if (uiDepth == 0)
        return ReplaceLevelZero(pRoot, *pNewLevel);
    if (ChildCount(*pRoot) == 0)
        return -13;
    for (const SChildArray& array : ChildArrays(*pRoot)) {
        for (uint32_t i = 0; i < array.Count(); ++i)
            ReplaceExperimentLevel(array.At(i), uiDepth - 1, pNewLevel);
    }
    return 0;
}

int CLxExperimentAPI::ReplaceExperimentBranch(SLxExperiment*& pRoot,
                                              const SLxExperiment* pOldBranch,
                                              const SLxExperiment* pNewBranch)
{
    if (!pRoot || !pNewBranch)
        return -4;
    bool found = false;
    return ReplaceBranch(pRoot, pOldBranch, *pNewBranch, found);
}

int CLxExperimentAPI::RemoveExperimentLevel(SLxExperiment*& pRoot, uint32_t uiDepth)
{
    return Remove(pRoot, uiDepth, nullptr, 0);
}

int CLxExperimentAPI::RemoveExperimentLevelAtPos(SLxExperiment*& pRoot, uint32_t uiDepth,
                                                 const uint32_t* puiPos, uint32_t uiPosCount)
{
    return Remove(pRoot, uiDepth, puiPos, uiPosCount);
}

int CLxExperimentAPI::AddExperimentLevel(SLxExperiment*& pRoot, SLxExperiment* pNewLevel,
                                         uint32_t uiDepth)
{
    if (!pNewLevel)
        return -4;
    // The new level's own next levels make way for the tree's.
    const SBranchSet own = OwnChildren(*pNewLevel);
    for (uint32_t i = 0; i < own.uiCount; ++i)
        SLxExperiment::FreeRecursive(own.ppChildren[i]);
    DropChildArray(*pNewLevel);
    DropSubLoops(*pNewLevel);
    if (!pRoot) {
        pRoot = pNewLevel;
        return 0;
    }
    return Insert(pRoot, pNewLevel, uiDepth, false);
}

int CLxExperimentAPI::AddExperimentBranch(SLxExperiment*& pRoot, const uint32_t* puiPos,
                                          uint32_t uiPosCount, SLxExperiment* pBranch)
{
    if (!pBranch)
        return -4;
    if (!pRoot) {
        pRoot = pBranch;
        return 0;
    }
    SLxExperiment* level = pRoot;
    for (uint32_t d = 0; puiPos && d < uiPosCount; ++d) {
        const SLxExperiment* first = OwnChildren(*level).First();
        if (!first || first->eType == pBranch->eType)
            break;
        level = GetNextLevelExperiment(level, puiPos[d]);
        if (!level)
            return -9;
    }
    return AppendChild(*level, pBranch);
}
