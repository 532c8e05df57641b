// Channels of spectral loops across branches: the superset level, planes,
// a channel's plane index, and the frames that hold each component.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "experiment_builder.h"
#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_system/variant/variant_test_support.h"

namespace
{

using namespace exptest;
typedef CLxExperimentAPI API;

struct FreePlanes {
    SLxPicturePlanes planes;
    ~FreePlanes() { SLxPicturePlanes::Free(planes); }
};

std::vector<std::string> Names(const E& spect)
{
    std::vector<std::string> names;
    for (uint32_t i = 0; i < spect.uLoopPars.sSpectLoop.uiCount; ++i)
        names.push_back(U8(spect.uLoopPars.sSpectLoop.pPlaneDesc[i].sDescription.GetString()));
    return names;
}

std::vector<int> ValidOf(const E& spect)
{
    std::vector<int> valid;
    for (uint32_t i = 0; spect.pItemValid && i < spect.uLoopPars.uiCount; ++i)
        valid.push_back(spect.pItemValid[i]);
    return valid;
}

ExpTree Superset(const E* root)
{
    E* superset = nullptr;
    EXPECT_EQ(API::GetSupersetSpectExp(root, &superset), 0);
    return ExpTree(superset);
}

TEST(ExperimentChannels, SupersetTakesEveryBranchsChannelsOnce)
{
    struct SCase {
        const char* name;
        E* (*make)();
        std::vector<std::string> names;
        std::vector<int> valid;
    };
    const std::vector<SCase> table = {
        {"{A, B} and {B, C}",
         [] {
             return XY(2, {Spect({u"A", u"B"}), Spect({u"B", u"C"})});
         },
         {"A", "B", "C"},
         {1, 1, 1}},
        {"valid when valid in any branch",
         [] {
             return XY(2, {Flags(Spect({u"A", u"B"}), {0, 0}), Flags(Spect({u"B", u"C"}), {1, 0})});
         },
         {"A", "B", "C"},
         {0, 1, 0}},
        {"a channel of three branches",
         [] {
             return XY(3, {Spect({u"A"}), Spect({u"A"}), Spect({u"A"})});
         },
         {"A"},
         {1}},
        {"a key twice in one branch keeps two channels",
         [] {
             return XY(2, {Spect({u"A"}), Spect({u"A", u"A"})});
         },
         {"A", "A"},
         {1, 1}},
        {"a spectral root gets flags",
         [] {
             return Spect({u"A", u"B"}, {Z(2)});
         },
         {"A", "B"},
         {1, 1}},
        {"periods of a non-equidistant loop",
         [] {
             return NETime({{2, true, {Time(2, {Spect({u"A"})})}}, {0, false, {Spect({u"B"})}}});
         },
         {"A", "B"},
         {1, 1}},
        {"below a chain",
         [] {
             return Time(2, {Z(3, {Spect({u"A", u"B"})})});
         },
         {"A", "B"},
         {1, 1}},
    };
    for (const SCase& c : table) {
        SCOPED_TRACE(c.name);
        ExpTree root(c.make());
        ExpTree superset = Superset(root.get());
        ASSERT_NE(superset, nullptr);
        EXPECT_EQ(superset->eType, E::eEtSpect);
        EXPECT_EQ(Names(*superset), c.names);
        EXPECT_EQ(ValidOf(*superset), c.valid);
    }
    ExpTree none(Time(2, {Z(2)}));
    EXPECT_EQ(Superset(none.get()), nullptr);
    E* out = nullptr;
    EXPECT_EQ(API::GetSupersetSpectExp(nullptr, &out), -4);
    EXPECT_EQ(API::GetSupersetSpectExp(none.get(), nullptr), -4);
}

TEST(ExperimentChannels, ChannelsAreMatchedByDescriptionConfigurationAndColour)
{
    ExpTree root(XY(2, {Spect({u"A", u"B"}), Spect({u"A", u"B"})}));
    SLxPicturePlaneDesc* second = root->ppNextLevelEx[1]->uLoopPars.sSpectLoop.pPlaneDesc;
    second[0].uiColor = 0x00FF00;        // another colour
    second[1].sOpticalConfigName = u"x"; // another configuration
    ExpTree superset = Superset(root.get());
    EXPECT_EQ(Names(*superset), (std::vector<std::string>{"A", "B", "A", "B"}));
}

TEST(ExperimentChannels, PlanesAndComponentCounts)
{
    ExpTree root(XY(2, {Spect({u"A", u"B"}), Flags(Spect({u"B", u"C"}), {1, 0})}));
    root->ppNextLevelEx[0]->uLoopPars.sSpectLoop.pPlaneDesc[1].uiCompCount = 3;
    root->ppNextLevelEx[1]->uLoopPars.sSpectLoop.pPlaneDesc[0].uiCompCount = 3;
    FreePlanes p;
    ASSERT_EQ(API::GetSpectPlanes(root.get(), p.planes), 0);
    ASSERT_EQ(p.planes.uiCount, 2u); // C is off in its only branch
    EXPECT_EQ(p.planes.uiCompCount, 4u);
    uint32_t comps = 0;
    EXPECT_EQ(API::GetSpectCompCount(root.get(), &comps), 0);
    EXPECT_EQ(comps, 4u);

    ExpTree none(Time(2, {Z(2)}));
    FreePlanes empty;
    EXPECT_EQ(API::GetSpectPlanes(none.get(), empty.planes), -4);
    EXPECT_EQ(API::GetSpectCompCount(none.get(), &comps), -4);
    const uint32_t pos[] = {0, 0};
    uint32_t indexes[4] = {};
    EXPECT_EQ(API::GetCompSeqIndexes(none.get(), pos, 2, indexes), -4);
}

class ExperimentChannelReports : public VariantTest
{
};

TEST_F(ExperimentChannelReports, PlaneIndexOfALevelsChannel)
{
    ExpTree root(XY(2, {Spect({u"A", u"B"}), Flags(Spect({u"B", u"C", u"D"}), {1, 0, 1})}));
    FreePlanes p;
    ASSERT_EQ(API::GetSpectPlanes(root.get(), p.planes), 0);
    ASSERT_EQ(p.planes.uiCount, 3u); // A, B, D
    const E* first = root->ppNextLevelEx[0];
    const E* second = root->ppNextLevelEx[1];
    EXPECT_EQ(API::GetPlaneIdx(p.planes, first, 0), 0u);
    EXPECT_EQ(API::GetPlaneIdx(p.planes, first, 1), 1u);
    EXPECT_EQ(API::GetPlaneIdx(p.planes, second, 0), 1u);
    EXPECT_EQ(API::GetPlaneIdx(p.planes, second, 1), 3u); // switched off
    EXPECT_EQ(API::GetPlaneIdx(p.planes, second, 2), 2u);
    EXPECT_EQ(API::GetPlaneIdx(p.planes, second, 3), 3u); // past the channels
    EXPECT_EQ(API::GetPlaneIdx(p.planes, nullptr, 0), 3u);
    expectNoReport();

    ExpTree stranger(Spect({u"A", u"Q"}));
    EXPECT_EQ(API::GetPlaneIdx(p.planes, stranger.get(), 1), 3u);
    const std::vector<std::string> texts = outputs();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("Found plane, which is not in destination planes 'Q'"),
              std::string::npos);
}

TEST(ExperimentChannels, ComponentsComeFromTheLatestFrameOfEachBranch)
{
    // Time 4 alternating {a, b} and {b, c}; one frame per time point.
    ExpTree root(Time(4, {Spect({u"a", u"b"}), Spect({u"b", u"c"})}));
    struct SCase {
        uint32_t t;
        std::vector<uint32_t> indexes; // a, b, c
    };
    const std::vector<SCase> table = {
        {0, {0, 0, 1}}, // {b, c} not run yet: its first frame
        {1, {0, 1, 1}},
        {2, {2, 2, 1}},
        {3, {2, 3, 3}},
    };
    for (const SCase& c : table) {
        SCOPED_TRACE(testing::Message() << "time point " << c.t);
        const uint32_t pos[] = {c.t, 0};
        std::vector<uint32_t> indexes(3, 0);
        EXPECT_EQ(API::GetCompSeqIndexes(root.get(), pos, 2, indexes.data()), 0);
        EXPECT_EQ(indexes, c.indexes);
    }

    // A channel whose stack is shorter than the tallest takes its home plane
    // (the middle plane of the tallest stack) for planes past its own.
    ExpTree stacks(Time(2, {Spect({u"a", u"b"}, {Z(3), Z(5)})}));
    const uint32_t top[] = {1, 0, 4};
    std::vector<uint32_t> indexes(2, 0);
    EXPECT_EQ(API::GetCompSeqIndexes(stacks.get(), top, 3, indexes.data()), 0);
    EXPECT_EQ(indexes, (std::vector<uint32_t>{7, 9}));

    // Components of a channel no frame holds stay "not acquired".
    ExpTree off(Time(2, {Flags(Spect({u"a", u"b"}), {1, 0}), Spect({u"b"})}));
    const uint32_t start[] = {0, 0};
    std::vector<uint32_t> two(2, 0);
    EXPECT_EQ(API::GetCompSeqIndexes(off.get(), start, 2, two.data()), 0);
    EXPECT_EQ(two, (std::vector<uint32_t>{0, 1}));
    ExpTree once(Time(1, {Spect({u"a"}), Spect({u"b"})}));
    EXPECT_EQ(API::GetCompSeqIndexes(once.get(), start, 2, two.data()), 0);
    EXPECT_EQ(two, (std::vector<uint32_t>{0, 0xFFFFFFFFu}));
    EXPECT_EQ(API::GetCompSeqIndexes(once.get(), start, 0, two.data()), -4);
    EXPECT_EQ(API::GetCompSeqIndexes(once.get(), nullptr, 2, two.data()), -4);
    EXPECT_EQ(API::GetCompSeqIndexes(once.get(), start, 2, nullptr), -4);
}

TEST(ExperimentChannels, ComponentWalkStepsOverHugeCycles)
{
    // Branches of 2^31 items each: the walk takes each run of one branch
    // at once.
    ExpTree root(Time(0xFFFFFFF0u,
                      {Repeat(Spect({u"a"}), 0x80000000u), Repeat(Spect({u"b"}), 0x7FFFFFF0u)}));
    const uint32_t pos[] = {0xFFFFFFEFu, 0};
    std::vector<uint32_t> indexes(2, 0);
    EXPECT_EQ(API::GetCompSeqIndexes(root.get(), pos, 2, indexes.data()), 0);
    EXPECT_EQ(indexes, (std::vector<uint32_t>{0x7FFFFFFFu, 0xFFFFFFEFu}));
}

TEST(ExperimentChannels, ComponentWalkIsLinearInTheDepth)
{
    // 30 Z stacks of 2 planes in a chain: every level has a run before and
    // after the given plane, but only one descent into its child counts.
    E* level = Spect({u"a"});
    for (int i = 0; i < 30; ++i)
        level = Z(2, {level});
    ExpTree root(level);
    std::vector<uint32_t> pos(31, 0);
    uint32_t index = 0;
    EXPECT_EQ(API::GetCompSeqIndexes(root.get(), pos.data(), 31, &index), 0);
    EXPECT_EQ(index, 0u);
    for (int i = 0; i < 30; ++i)
        pos[i] = 1;
    EXPECT_EQ(API::GetCompSeqIndexes(root.get(), pos.data(), 31, &index), 0);
    EXPECT_EQ(index, (1u << 30) - 1);
    pos[3] = 2;
    EXPECT_EQ(API::GetCompSeqIndexes(root.get(), pos.data(), 31, &index), -4);
}

} // namespace
