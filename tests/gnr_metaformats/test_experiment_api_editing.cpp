// Editing experiment trees: levels and branches replaced, removed and
// added, branching a running acquisition, the large-image descriptor and
// the estimated duration.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "experiment_builder.h"
#include "gnr_metaformats/LxExperimentAPI.h"
#include "w32_system/timer/LxTimer.h"

namespace
{

using namespace exptest;
typedef CLxExperimentAPI API;

// The tree as text: type and count of each level, children in brackets,
// a repeat count other than 1 after a star.
std::string Shape(const E* level)
{
    if (!level)
        return "-";
    std::string s = std::to_string(level->eType) + ":" + std::to_string(level->uLoopPars.uiCount);
    if (level->uiRepeatCount != 1)
        s += "*" + std::to_string(level->uiRepeatCount);
    const auto children = [](E* const* pp, uint32_t n) {
        std::string c = "[";
        for (uint32_t i = 0; pp && i < n; ++i)
            c += (i ? " " : "") + Shape(pp[i]);
        return c + "]";
    };
    if (level->ppNextLevelEx && level->uiNextLevelCount)
        s += children(level->ppNextLevelEx, level->uiNextLevelCount);
    const E::SLxExpNETimeLoop& ne = level->uLoopPars.sNETimeLoop;
    if (level->eType == E::eEtNETime && ne.pSubLoops) {
        for (uint32_t p = 0; p < ne.uiPeriodCount; ++p)
            s += " p" + std::to_string(ne.pPeriod[p].uiCount) +
                 children(ne.pSubLoops[p].ppNextLevelEx, ne.pSubLoops[p].uiNextLevelCount);
    }
    return s;
}

// Levels made with repeat count 1 print without a star; the tree root
// built by the helpers has repeat count 1 too.
TEST(ExperimentEditing, AddLevels)
{
    E* root = nullptr;
    EXPECT_EQ(API::AddExperimentLevel(root, nullptr, 0), -4);
    EXPECT_EQ(API::AddExperimentLevel(root, Z(3), 0), 0);
    EXPECT_EQ(Shape(root), "4:3");
    root->uiRepeatCount = 0;
    EXPECT_EQ(API::AddExperimentLevel(root, Time(5), 0), 0);
    EXPECT_EQ(Shape(root), "1:5[4:3]"); // the old root runs once per item
    E::FreeRecursive(root);

    // Deeper: below every branch, each taking the turn of the level it
    // moves down.
    root = XY(3, {Repeat(Z(3), 2), Z(4)});
    EXPECT_EQ(API::AddExperimentLevel(root, Time(2), 1), 0);
    EXPECT_EQ(Shape(root), "2:3[1:2*2[4:3] 1:2[4:4]]");
    EXPECT_EQ(API::GetAllImagesCount(root), 20u);
    // Past the deepest level: a new last level on every branch.
    EXPECT_EQ(API::AddExperimentLevel(root, Level(E::eEtPolar, 7), 9), 0);
    EXPECT_EQ(Shape(root), "2:3[1:2*2[4:3[5:7]] 1:2[4:4[5:7]]]");
    // A new level's own children make way.
    EXPECT_EQ(API::AddExperimentLevel(root, Time(6, {Z(9)}), 0), 0);
    EXPECT_EQ(Shape(root).substr(0, 7), "1:6[2:3");
    E::FreeRecursive(root);
}

TEST(ExperimentEditing, RemoveLevels)
{
    struct SCase {
        const char* name;
        std::function<E*()> make;
        uint32_t depth;
        std::vector<uint32_t> pos;
        int status;
        std::string shape;
    };
    const std::vector<SCase> table = {
        {"the middle of a chain", [] { return Time(2, {XY(3, {Z(4)})}); }, 1, {}, 0, "1:2[4:4]"},
        {"the root", [] { return Time(2, {XY(3, {Z(4)})}); }, 0, {}, 0, "2:3[4:4]"},
        {"the leaf", [] { return Time(2, {XY(3, {Z(4)})}); }, 2, {}, 0, "1:2[2:3]"},
        {"branches pack to the front",
         [] {
             return XY(3, {Z(3), Repeat(Time(2, {Z(4)}), 2)});
         },
         1,
         {},
         0,
         "2:3[4:4*2]"},
        {"the root's other branches go with it",
         [] {
             return XY(3, {Repeat(Z(3), 2), Time(2)});
         },
         0,
         {},
         0,
         "4:3"},
        {"the branch the position runs",
         [] {
             return XY(3, {Repeat(Z(3), 2), Time(2)});
         },
         0,
         {2},
         0,
         "1:2"},
        {"positions from the root",
         [] {
             return Time(2, {XY(3, {Repeat(Z(3), 2), Time(2)})});
         },
         1,
         {0, 2},
         0,
         "1:2[1:2]"},
        {"past the deepest level", [] { return Time(2, {Z(4)}); }, 3, {}, -13, "1:2[4:4]"},
    };
    for (const SCase& c : table) {
        SCOPED_TRACE(c.name);
        E* root = c.make();
        const int status = c.pos.empty() ? API::RemoveExperimentLevel(root, c.depth)
                                         : API::RemoveExperimentLevelAtPos(
                                               root, c.depth, c.pos.data(), uint32_t(c.pos.size()));
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(Shape(root), c.shape);
        E::FreeRecursive(root);
    }
    E* root = Z(3);
    EXPECT_EQ(API::RemoveExperimentLevel(root, 0), 0);
    EXPECT_EQ(root, nullptr);
    EXPECT_EQ(API::RemoveExperimentLevel(root, 0), -4);
}

TEST(ExperimentEditing, ReplaceLevelsAndBranches)
{
    E* root = Time(3, {XY(3, {Repeat(Z(2), 2), Z(3)})});
    ExpTree xy(XY(5));
    EXPECT_EQ(API::ReplaceExperimentLevel(root, 2, xy.get()), 0);
    EXPECT_EQ(Shape(root), "1:3[2:3[2:5*2 2:5]]"); // repeat counts kept
    ExpTree z(Z(7, {Time(9)}));
    EXPECT_EQ(API::ReplaceExperimentLevel(root, 0, z.get()), 0);
    EXPECT_EQ(Shape(root), "4:7[2:3[2:5*2 2:5]]"); // the new level's child is not taken
    EXPECT_EQ(Shape(z.get()), "4:7[1:9]");
    EXPECT_EQ(API::ReplaceExperimentLevel(root, 5, z.get()), 0); // branches end early
    EXPECT_EQ(API::ReplaceExperimentLevel(root, 0, nullptr), -4);
    E* leaf = Z(2);
    EXPECT_EQ(API::ReplaceExperimentLevel(leaf, 1, z.get()), -13);
    E::FreeRecursive(leaf);

    // A branch by its address, with the new branch's repeat count.
    E* second = root->ppNextLevelEx[0]->ppNextLevelEx[1];
    ExpTree branch(Repeat(Time(4, {Z(1)}), 3));
    EXPECT_EQ(API::ReplaceExperimentBranch(root, second, branch.get()), 0);
    EXPECT_EQ(Shape(root), "4:7[2:3[2:5*2 1:4*3[4:1]]]");
    ExpTree stranger(Z(1));
    EXPECT_EQ(API::ReplaceExperimentBranch(root, stranger.get(), branch.get()), 0);
    EXPECT_EQ(Shape(root), "4:7[2:3[2:5*2 1:4*3[4:1]]]");
    EXPECT_EQ(API::ReplaceExperimentBranch(root, second, nullptr), -4);
    E* none = nullptr;
    EXPECT_EQ(API::ReplaceExperimentBranch(none, second, branch.get()), -4);
    E::FreeRecursive(root);
}

TEST(ExperimentEditing, AddBranches)
{
    E* root = nullptr;
    EXPECT_EQ(API::AddExperimentBranch(root, nullptr, 0, nullptr), -4);
    EXPECT_EQ(API::AddExperimentBranch(root, nullptr, 0, Z(1)), 0);
    EXPECT_EQ(Shape(root), "4:1");
    E::FreeRecursive(root);

    root = Time(2, {XY(2, {Z(2)})});
    EXPECT_EQ(API::AddExperimentBranch(root, nullptr, 0, Z(3)), 0);
    EXPECT_EQ(Shape(root), "1:2[2:2[4:2] 4:3]");
    const uint32_t pos[] = {0, 0};
    EXPECT_EQ(API::AddExperimentBranch(root, pos, 2, Z(5)), 0);
    EXPECT_EQ(Shape(root), "1:2[2:2[4:2 4:5] 4:3]");
    E::FreeRecursive(root);

    // A time point that no branch runs.
    root = Time(2, {Repeat(XY(2), 0), Repeat(XY(3), 0)});
    const uint32_t one[] = {1};
    E* z = Z(1);
    EXPECT_EQ(API::AddExperimentBranch(root, one, 1, z), -9);
    E::FreeRecursive(z);
    E::FreeRecursive(root);
}

TEST(ExperimentBranching, TimeLoopSplitsIntoPeriods)
{
    ExpTree root(Time(10, {Z(3)}));
    root->uLoopPars.sTimeLoop.dDuration = 1000;
    root->uLoopPars.sTimeLoop.dPeriod = 100;
    ExpTree s(XY(2));
    EXPECT_EQ(API::BranchExperiment(root.get(), 3, s.get(), nullptr, nullptr), 0);
    EXPECT_EQ(Shape(root.get()), "8:10 p4[4:3] p6[2:2]");
    const E::SLxExpNETimeLoop& ne = root->uLoopPars.sNETimeLoop;
    EXPECT_EQ(ne.pPeriod[0].dDuration, 400);
    EXPECT_EQ(ne.pPeriod[1].dDuration, 600);
    EXPECT_EQ(ne.pPeriod[1].dPeriod, 100);
    EXPECT_EQ(API::GetAllImagesCount(root.get()), 4u * 3 + 6 * 2);

    // Branching again splits the later period.
    ExpTree t(Level(E::eEtPolar, 5));
    EXPECT_EQ(API::BranchExperiment(root.get(), 5, t.get(), nullptr, nullptr), 0);
    EXPECT_EQ(Shape(root.get()), "8:10 p4[4:3] p2[2:2] p4[5:5]");

    // Items past every period leave the tree alone.
    EXPECT_EQ(API::BranchExperiment(root.get(), 10, t.get(), nullptr, nullptr), 0);
    EXPECT_EQ(Shape(root.get()), "8:10 p4[4:3] p2[2:2] p4[5:5]");
}

TEST(ExperimentBranching, PeriodWithoutEndEndsNow)
{
    ExpTree root(Time(0, {Z(2)}));
    ExpTree s(XY(2));
    double time = LX_GetTimeCounter() - 500;
    uint32_t next = 0;
    EXPECT_EQ(API::BranchExperiment(root.get(), 6, s.get(), &time, &next), 0);
    EXPECT_EQ(Shape(root.get()), "8:7 p7[4:2] p0[2:2]");
    EXPECT_GE(root->uLoopPars.sNETimeLoop.pPeriod[0].dDuration, 500);
    EXPECT_LE(root->uLoopPars.sNETimeLoop.pPeriod[0].dDuration, 60000);
    EXPECT_GE(time, LX_GetTimeCounter() - 60000);
    EXPECT_EQ(next, 7u);
}

TEST(ExperimentBranching, ItemsRunBranches)
{
    struct SCase {
        uint32_t points, item;
        std::string shape;
    };
    const SCase table[] = {
        {4, 1, "2:4[4:3*2 1:6*2]"}, {5, 1, "2:5[4:3*2 1:6*3]"}, {4, 0, "2:4[4:3 1:6*3]"},
        {4, 3, "2:4[4:3*4]"},       {1, 0, "2:1[4:3]"},
    };
    for (const SCase& c : table) {
        SCOPED_TRACE(testing::Message() << c.points << " points, item " << c.item);
        ExpTree root(XY(c.points, {Z(3)}));
        ExpTree s(Time(6));
        EXPECT_EQ(API::BranchExperiment(root.get(), c.item, s.get(), nullptr, nullptr), 0);
        EXPECT_EQ(Shape(root.get()), c.shape);
    }
    // The new sub-level takes the place of level 0 and runs its children.
    ExpTree deep(XY(2, {Z(3, {Level(E::eEtPolar, 4)})}));
    ExpTree s(Time(6));
    EXPECT_EQ(API::BranchExperiment(deep.get(), 0, s.get(), nullptr, nullptr), 0);
    EXPECT_EQ(Shape(deep.get()), "2:2[4:3[5:4] 1:6[5:4]]");

    // Runs of equal items cost one copy each, however long.
    ExpTree tall(Z(4000000000u, {Time(2)}));
    EXPECT_EQ(API::BranchExperiment(tall.get(), 5, s.get(), nullptr, nullptr), 0);
    EXPECT_EQ(Shape(tall.get()), "4:4000000000[1:2*6 1:6*3999999994]");
    // Branches of the old tree keep their turns up to the item.
    ExpTree turns(XY(6, {Repeat(Z(3), 2), Time(4)}));
    EXPECT_EQ(API::BranchExperiment(turns.get(), 2, s.get(), nullptr, nullptr), 0);
    EXPECT_EQ(Shape(turns.get()), "2:6[4:3*2 1:4 1:6*3]");

    ExpTree leaf(XY(3));
    EXPECT_EQ(API::BranchExperiment(leaf.get(), 0, s.get(), nullptr, nullptr), -9);
    EXPECT_EQ(Shape(leaf.get()), "2:3");
    EXPECT_EQ(API::BranchExperiment(nullptr, 0, s.get(), nullptr, nullptr), -9);
    EXPECT_EQ(API::BranchExperiment(leaf.get(), 0, nullptr, nullptr, nullptr), -4);
}

TEST(ExperimentLargeImage, OnTheLastLevelOfBranchZero)
{
    ExpTree root(Time(2, {XY(3, {Z(4)})}));
    int32_t method = 0, xFields = 0, yFields = 0;
    double x = 0, y = 0;
    EXPECT_EQ(API::GetLargeImage(root.get(), &method, &x, &y, &xFields, &yFields), -9);
    EXPECT_EQ(API::GetLargeImage(nullptr, &method, &x, &y, &xFields, &yFields), -9);
    EXPECT_EQ(API::SetLargeImage(root.get(), 1, 2.0, 3.0, 4, 5, false), 0);
    EXPECT_EQ(API::GetLargeImage(root.get(), &method, &x, &y, &xFields, &yFields), -9);
    // A stray descriptor higher up is dropped.
    root->pLargeImage = static_cast<E::SLxLIDesc*>(CLxAlloc::Alloc(0, sizeof(E::SLxLIDesc)));
    *root->pLargeImage = E::SLxLIDesc{9, 9, 9, 9, 9};
    EXPECT_EQ(API::SetLargeImage(root.get(), 1, 2.0, 3.0, 4, 5, true), 0);
    EXPECT_EQ(root->pLargeImage, nullptr);
    ASSERT_NE(root->ppNextLevelEx[0]->ppNextLevelEx[0]->pLargeImage, nullptr);
    EXPECT_EQ(API::GetLargeImage(root.get(), &method, &x, &y, &xFields, &yFields), 0);
    EXPECT_EQ(method, 1);
    EXPECT_EQ(x, 2.0);
    EXPECT_EQ(y, 3.0);
    EXPECT_EQ(xFields, 4);
    EXPECT_EQ(yFields, 5);
    EXPECT_EQ(API::GetLargeImage(root.get(), nullptr, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(API::SetLargeImage(root.get(), 0, 0, 0, 0, 0, false), 0);
    EXPECT_EQ(API::GetLargeImage(root.get(), &method, &x, &y, &xFields, &yFields), -9);
    EXPECT_EQ(API::SetLargeImage(nullptr, 0, 0, 0, 0, 0, true), -9);
}

TEST(ExperimentDuration, LoopsTimesTheirItems)
{
    double d = 0;
    EXPECT_EQ(API::CalcEstimatedDuration(nullptr, 1, &d), -4);

    ExpTree time(Time(10));
    E::SLxExpTimeLoop& t = time->uLoopPars.sTimeLoop;
    t.dStart = 5;
    t.dPeriod = 100;
    t.dDuration = 77;
    EXPECT_EQ(API::CalcEstimatedDuration(time.get(), 1, &d), 0);
    EXPECT_EQ(d, 1005);
    t.dPeriod = 0;
    EXPECT_EQ(API::CalcEstimatedDuration(time.get(), 1, &d), 0);
    EXPECT_EQ(d, 82);

    ExpTree ne(NETime({{3, true, {}}, {4, false, {}}, {0, true, {}}}));
    E::SLxExpTimeLoop* p = ne->uLoopPars.sNETimeLoop.pPeriod;
    p[0] = E::SLxExpTimeLoop{3, 1, 10, 0, 0, 0, 0, {}, {}};
    p[1] = E::SLxExpTimeLoop{4, 1000, 1000, 1000, 0, 0, 0, {}, {}};
    p[2] = E::SLxExpTimeLoop{0, 2, 10, 50, 0, 0, 0, {}, {}};
    EXPECT_EQ(API::CalcEstimatedDuration(ne.get(), 1, &d), 0);
    EXPECT_EQ(d, (1 + 2 * 10) + (2 + 50));

    ExpTree xy(Flags(XY(4, {Z(5)}), {1, 0, 1, 1}));
    EXPECT_EQ(API::CalcEstimatedDuration(xy.get(), 2, &d), 0);
    EXPECT_EQ(d, 3 * 5 * 2);
}

} // namespace
