// Short ways to build experiment trees in tests. Every level comes from
// Alloc and Init; a tree is released by its root's FreeRecursive (ExpTree).
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <vector>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_metaformats/LxRecordArray.h"
#include "w32_system/memory/LxAlloc.h"

namespace exptest
{

typedef SLxExperiment E;

struct FreeTree {
    void operator()(E* root) const { E::FreeRecursive(root); }
};
typedef std::unique_ptr<E, FreeTree> ExpTree;

// A level of `type` with `count` items over the given children (owned).
inline E* Level(E::ELxExperimentType type, uint32_t count, std::initializer_list<E*> children = {},
                uint32_t repeat = 1)
{
    E* level = nullptr;
    EXPECT_EQ(E::Alloc(&level), 0);
    EXPECT_EQ(E::Init(*level, type, false, count, 0, uint32_t(children.size())), 0);
    uint32_t i = 0;
    for (E* child : children)
        level->ppNextLevelEx[i++] = child;
    level->uiRepeatCount = repeat;
    return level;
}

inline E* Repeat(E* level, uint32_t repeat)
{
    level->uiRepeatCount = repeat;
    return level;
}

inline E* Time(uint32_t n, std::initializer_list<E*> children = {})
{
    return Level(E::eEtTime, n, children);
}
inline E* XY(uint32_t n, std::initializer_list<E*> children = {})
{
    return Level(E::eEtXYPos, n, children);
}
inline E* Z(uint32_t n, std::initializer_list<E*> children = {})
{
    return Level(E::eEtZStack, n, children);
}

// A spectral level whose channels are described by the given names (all
// of one colour and configuration, so that names tell channels apart).
inline E* Spect(std::initializer_list<const char16_t*> names,
                std::initializer_list<E*> children = {})
{
    E* level = Level(E::eEtSpect, uint32_t(names.size()), children);
    uint32_t i = 0;
    for (const char16_t* name : names) {
        level->uLoopPars.sSpectLoop.pPlaneDesc[i].sDescription = name;
        level->uLoopPars.sSpectLoop.pPlaneDesc[i].uiColor = 0xFF;
        ++i;
    }
    return level;
}

// Flags for every item (1 valid, 0 switched off).
inline E* Flags(E* level, std::initializer_list<int> flags)
{
    CLxAlloc::Free(level->pItemValid);
    level->pItemValid = static_cast<uint8_t*>(CLxAlloc::Alloc(0, flags.size()));
    uint32_t i = 0;
    for (int f : flags)
        level->pItemValid[i++] = uint8_t(f);
    return level;
}

// One period of a non-equidistant time loop: its time points, whether it
// is valid, and the levels that run inside it.
struct SPeriod {
    uint32_t uiCount;
    bool bValid;
    std::vector<E*> subLoops;
};

// A non-equidistant time loop whose periods carry sub-loops (owned).
inline E* NETime(const std::vector<SPeriod>& periods)
{
    E* level = nullptr;
    EXPECT_EQ(E::Alloc(&level), 0);
    const uint32_t n = uint32_t(periods.size());
    uint32_t total = 0;
    for (const SPeriod& p : periods)
        total += p.bValid ? p.uiCount : 0;
    EXPECT_EQ(E::Init(*level, E::eEtNETime, false, total, n, 0), 0);
    E::SLxExpNETimeLoop& ne = level->uLoopPars.sNETimeLoop;
    ne.pSubLoops = lx_meta::NewArray<E::SLxSubLoopsDefinition>(n);
    for (uint32_t p = 0; p < n; ++p) {
        ne.pPeriod[p].uiCount = periods[p].uiCount;
        ne.pPeriodValid[p] = periods[p].bValid ? 1 : 0;
        const std::vector<E*>& subs = periods[p].subLoops;
        if (subs.empty())
            continue;
        E::SLxSubLoopsDefinition& def = ne.pSubLoops[p];
        def.ppNextLevelEx =
            static_cast<E**>(CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, subs.size() * sizeof(E*)));
        def.uiNextLevelCount = uint32_t(subs.size());
        for (size_t i = 0; i < subs.size(); ++i)
            def.ppNextLevelEx[i] = subs[i];
    }
    level->bOwnsSubLoopLevels = true;
    return level;
}

} // namespace exptest
