// An independent oracle for the loop arithmetic: seeded random trees whose
// frames are enumerated here in acquisition order (items in order, branches
// chosen by repeat counts, spectral levels adding no frames); frame totals,
// positions to index and index to positions must agree with it.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "experiment_builder.h"
#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxExperimentAPIInternal.h"

namespace
{

using namespace exptest;
typedef CLxExperimentAPI API;

constexpr uint32_t kMaxLevels = 4;
constexpr uint32_t kPositions = kMaxLevels + 1; // a spectral level's Z leaf may add one

class TreeMaker
{
  public:
    explicit TreeMaker(uint32_t seed) : m_rng(seed) {}

    E* Root()
    {
        if (Pick(4) == 0)
            return NETimeRoot();
        return Subtree(kMaxLevels);
    }

  private:
    uint32_t Pick(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(m_rng); }

    uint32_t Count() { return Pick(12) == 0 ? 0 : 1 + Pick(4); }

    // Children of a branch set; repeat counts of at least 1 once there are
    // two or more, any (0 included) for a lone child.
    std::vector<E*> Children(uint32_t levelsLeft)
    {
        std::vector<E*> kids;
        if (levelsLeft == 0)
            return kids;
        const uint32_t n = Pick(5) == 0 ? 0 : 1 + Pick(3);
        for (uint32_t i = 0; i < n; ++i)
            kids.push_back(Repeat(Subtree(levelsLeft), n >= 2 ? 1 + Pick(3) : Pick(3)));
        return kids;
    }

    E* Subtree(uint32_t levelsLeft)
    {
        static const E::ELxExperimentType kTypes[] = {
            E::eEtTime,  E::eEtXYPos,  E::eEtXYDiscr,           E::eEtZStack,
            E::eEtPolar, E::eEtCustom, E::ELxExperimentType(9), E::eEtSpect};
        const E::ELxExperimentType type = kTypes[Pick(8)];
        if (type == E::eEtSpect)
            return Spectral(levelsLeft);
        std::vector<E*> kids = Children(levelsLeft - 1);
        E* level = Adopt(Level(type, Count()), kids);
        if (kids.size() <= 1 && Pick(3) == 0)
            RandomFlags(level);
        return level;
    }

    // Channels without children, or one Z-stack leaf per channel.
    E* Spectral(uint32_t levelsLeft)
    {
        const uint32_t channels = 1 + Pick(3);
        E* level = Level(E::eEtSpect, channels);
        std::vector<E*> kids;
        if (levelsLeft >= 2 && Pick(2) == 0) {
            for (uint32_t c = 0; c < channels; ++c)
                kids.push_back(Z(Count()));
        }
        return Adopt(level, kids);
    }

    E* NETimeRoot()
    {
        std::vector<SPeriod> periods;
        const uint32_t n = 1 + Pick(3);
        for (uint32_t p = 0; p < n; ++p)
            periods.push_back(SPeriod{1 + Pick(4), Pick(4) != 0, Children(kMaxLevels - 1)});
        return NETime(periods);
    }

    E* Adopt(E* level, const std::vector<E*>& kids)
    {
        if (kids.empty())
            return level;
        level->ppNextLevelEx =
            static_cast<E**>(CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, kids.size() * sizeof(E*)));
        level->uiNextLevelCount = uint32_t(kids.size());
        std::copy(kids.begin(), kids.end(), level->ppNextLevelEx);
        return level;
    }

    void RandomFlags(E* level)
    {
        const uint32_t n = level->uLoopPars.uiCount;
        if (n == 0)
            return;
        level->pItemValid = static_cast<uint8_t*>(CLxAlloc::Alloc(0, n));
        for (uint32_t i = 0; i < n; ++i)
            level->pItemValid[i] = Pick(3) != 0;
    }

    std::mt19937 m_rng;
};

// ---- The oracle: frames in acquisition order, each with its positions.

typedef std::vector<uint32_t> Positions;

const E* BranchOf(E* const* kids, uint32_t n, uint32_t item)
{
    if (n == 1)
        return kids[0];
    uint32_t period = 0;
    for (uint32_t j = 0; j < n; ++j)
        period += kids[j]->uiRepeatCount;
    uint32_t phase = item % period;
    for (uint32_t j = 0; j < n; ++j) {
        if (phase < kids[j]->uiRepeatCount)
            return kids[j];
        phase -= kids[j]->uiRepeatCount;
    }
    return nullptr;
}

void Enumerate(const E* level, Positions& pos, uint32_t depth, std::vector<Positions>& frames)
{
    if (level->eType == E::eEtSpect) {
        pos[depth] = 0;
        if (level->uiNextLevelCount == 0) {
            frames.push_back(pos);
            return;
        }
        uint32_t planes = 0; // the channels share frames up to the tallest stack
        for (uint32_t c = 0; c < level->uiNextLevelCount; ++c)
            planes = std::max(planes, level->ppNextLevelEx[c]->uLoopPars.uiCount);
        for (uint32_t z = 0; z < planes; ++z) {
            pos[depth + 1] = z;
            frames.push_back(pos);
        }
        pos[depth + 1] = 0;
        return;
    }
    const auto item = [&](uint32_t position, E* const* kids, uint32_t n, uint32_t phase) {
        pos[depth] = position;
        if (n == 0)
            frames.push_back(pos);
        else
            Enumerate(BranchOf(kids, n, phase), pos, depth + 1, frames);
    };
    if (level->eType == E::eEtNETime) {
        const E::SLxExpNETimeLoop& ne = level->uLoopPars.sNETimeLoop;
        uint32_t before = 0;
        for (uint32_t p = 0; p < ne.uiPeriodCount; ++p) {
            if (!ne.pPeriodValid[p])
                continue;
            const E::SLxSubLoopsDefinition& def = ne.pSubLoops[p];
            for (uint32_t u = 0; u < ne.pPeriod[p].uiCount; ++u)
                item(before + u, def.ppNextLevelEx, def.uiNextLevelCount, u);
            before += ne.pPeriod[p].uiCount;
        }
    } else {
        uint32_t valid = 0;
        for (uint32_t k = 0; k < level->uLoopPars.uiCount; ++k) {
            if (level->pItemValid && !level->pItemValid[k])
                continue;
            item(valid++, level->ppNextLevelEx, level->uiNextLevelCount, k);
        }
    }
    pos[depth] = 0;
}

TEST(ExperimentOracle, RandomTreesAgreeWithAcquisitionOrder)
{
    uint32_t branchedTrees = 0, framesChecked = 0;
    for (uint32_t seed = 1; seed <= 400; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        TreeMaker maker(seed);
        ExpTree root(maker.Root());
        std::vector<Positions> frames;
        Positions pos(kPositions, 0);
        Enumerate(root.get(), pos, 0, frames);
        ASSERT_EQ(API::GetAllImagesCount(root.get()), frames.size());
        branchedTrees += API::IsSimpleExperiment(root.get()) ? 0 : 1;
        for (uint32_t i = 0; i < frames.size(); ++i) {
            uint32_t index = 0xDEAD;
            ASSERT_EQ(API::CalcIdxFromPos(root.get(), frames[i].data(), kPositions, &index), 0)
                << "frame " << i;
            ASSERT_EQ(index, i);
            Positions back(kPositions, 0xDEAD);
            uint32_t capacity = kPositions;
            ASSERT_EQ(API::CalcPosFromIdx(root.get(), i, back.data(), &capacity), 0)
                << "frame " << i;
            ASSERT_EQ(back, frames[i]) << "frame " << i;
        }
        Positions past(kPositions);
        uint32_t capacity = kPositions;
        EXPECT_EQ(API::CalcPosFromIdx(root.get(), uint32_t(frames.size()), past.data(), &capacity),
                  -9);
        framesChecked += uint32_t(frames.size());
    }
    // The seeds must exercise branches and a fair number of frames.
    EXPECT_GT(branchedTrees, 100u);
    EXPECT_GT(framesChecked, 3000u);
}

// Every level of a tree, its own and its periods' children.
void Levels(const E* level, std::vector<const E*>& out)
{
    if (!level)
        return;
    out.push_back(level);
    for (uint32_t i = 0; level->ppNextLevelEx && i < level->uiNextLevelCount; ++i)
        Levels(level->ppNextLevelEx[i], out);
    const E::SLxExpNETimeLoop& ne = level->uLoopPars.sNETimeLoop;
    for (uint32_t p = 0; level->eType == E::eEtNETime && ne.pSubLoops && p < ne.uiPeriodCount; ++p)
        for (uint32_t i = 0; i < ne.pSubLoops[p].uiNextLevelCount; ++i)
            Levels(ne.pSubLoops[p].ppNextLevelEx[i], out);
}

// One memo kept over every call on a tree (as a document keeps it) gives the
// acquisition order too, and each level's count equals a fresh count.
TEST(ExperimentOracle, OneMemoPerTreeAgreesWithAcquisitionOrder)
{
    for (uint32_t seed = 1; seed <= 400; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        TreeMaker maker(seed);
        ExpTree root(maker.Root());
        std::vector<Positions> frames;
        Positions pos(kPositions, 0);
        Enumerate(root.get(), pos, 0, frames);
        lx_experiment::CFrameMemo memo;
        // Backwards and forwards, so that answers come from the memo.
        for (int pass = 0; pass < 2; ++pass) {
            for (uint32_t k = 0; k < frames.size(); ++k) {
                const uint32_t i = pass == 0 ? uint32_t(frames.size()) - 1 - k : k;
                uint32_t index = 0xDEAD;
                ASSERT_EQ(lx_experiment::CalcIdxFromPos(root.get(), frames[i].data(), kPositions,
                                                        &index, memo),
                          0);
                ASSERT_EQ(index, i);
                Positions back(kPositions, 0xDEAD);
                uint32_t capacity = kPositions;
                ASSERT_EQ(
                    lx_experiment::CalcPosFromIdx(root.get(), i, back.data(), &capacity, memo), 0);
                ASSERT_EQ(back, frames[i]);
            }
        }
        // Positions past a loop fail as without the memo.
        Positions past(kPositions, 7);
        uint32_t index = 0, fresh = 0;
        EXPECT_EQ(lx_experiment::CalcIdxFromPos(root.get(), past.data(), kPositions, &index, memo),
                  API::CalcIdxFromPos(root.get(), past.data(), kPositions, &fresh));
        EXPECT_EQ(index, fresh);
        std::vector<const E*> levels;
        Levels(root.get(), levels);
        for (const E* level : levels) {
            EXPECT_EQ(lx_experiment::AllImagesCount64(level, &memo),
                      lx_experiment::AllImagesCount64(level));
            EXPECT_EQ(lx_experiment::LoopSize64(level, memo), lx_experiment::LoopSize64(level));
        }
    }
}

// Branched levels with item flags: a child's share of the items comes from
// the first cycle's switched-off items. Values worked out by hand.
TEST(ExperimentOracle, FlaggedBranchedLevelsKeepTheirCounts)
{
    struct Case {
        uint32_t items;
        uint32_t repeatA, planesA, repeatB, planesB;
        const char* flags; // one per item, '0' switched off
        uint64_t frames;
    };
    const Case cases[] = {
        {5, 1, 2, 1, 3, "10110", 6},
        {5, 1, 2, 1, 3, "11111", 12},
        {4, 2, 2, 1, 1, "0111", 3},
        {8, 2, 2, 3, 3, "10111111", 13},
    };
    for (const Case& c : cases) {
        ExpTree root(
            Time(c.items, {Repeat(Z(c.planesA), c.repeatA), Repeat(Z(c.planesB), c.repeatB)}));
        root->pItemValid = static_cast<uint8_t*>(CLxAlloc::Alloc(0, c.items));
        for (uint32_t i = 0; i < c.items; ++i)
            root->pItemValid[i] = c.flags[i] != '0';
        lx_experiment::CFrameMemo memo;
        EXPECT_EQ(lx_experiment::AllImagesCount64(root.get()), c.frames) << c.items;
        EXPECT_EQ(lx_experiment::AllImagesCount64(root.get(), &memo), c.frames) << c.items;
        EXPECT_EQ(lx_experiment::AllImagesCount64(root.get(), &memo), c.frames) << c.items;
    }
}

// A memo stands for the tree as it was: after an edit its holder clears it
// and the counts follow the edit.
TEST(ExperimentOracle, ClearedMemoFollowsAnEdit)
{
    ExpTree root(Time(3, {XY(2, {Z(2), Z(1)})}));
    lx_experiment::CFrameMemo memo;
    EXPECT_EQ(lx_experiment::AllImagesCount64(root.get(), &memo), 9u);
    root->ppNextLevelEx[0]->ppNextLevelEx[1]->uLoopPars.uiCount = 4;
    memo.Clear();
    EXPECT_EQ(lx_experiment::AllImagesCount64(root.get(), &memo), 18u);
    uint32_t index = 0;
    const uint32_t pos[] = {2, 1, 3};
    ASSERT_EQ(lx_experiment::CalcIdxFromPos(root.get(), pos, 3, &index, memo), 0);
    EXPECT_EQ(index, 17u);
}

} // namespace
