// Repair of the outermost loop to the stored frames, period statistics from
// frame times, Z stacks and the walk with its size maxima.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "experiment_builder.h"
#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_system/LxByteArray.h"
#include "gnr_system/variant/variant_test_support.h"

namespace
{

using namespace exptest;
typedef CLxExperimentAPI API;

CLxByteArray Times(const std::vector<double>& times)
{
    CLxByteArray bytes;
    for (double t : times) {
        uint64_t bits = 0;
        std::memcpy(&bits, &t, sizeof bits);
        uint8_t le[8];
        for (int b = 0; b < 8; ++b)
            le[b] = uint8_t(bits >> (8 * b));
        bytes.SetData(le, 8, eLxByteArrayOpAppend, eLxByteArrayAllocIncrement);
    }
    return bytes;
}

TEST(ExperimentRepair, TimeOverZIsCutToWholeTimePoints)
{
    ExpTree root(Time(10, {Z(5)}));
    E::SLxExpTimeLoop& t = root->uLoopPars.sTimeLoop;
    t.dStart = 1;
    t.dPeriod = 2;
    t.dDuration = 3;
    t.dMinPeriodDiff = 4;
    t.dMaxPeriodDiff = 5;
    t.dAvgPeriodDiff = 6;
    EXPECT_EQ(API::RepairExperiment(root.get(), 23), 0);
    EXPECT_EQ(t.uiCount, 4u);
    for (double field :
         {t.dStart, t.dPeriod, t.dDuration, t.dMinPeriodDiff, t.dMaxPeriodDiff, t.dAvgPeriodDiff})
        EXPECT_EQ(field, 0.0);
    EXPECT_EQ(API::GetAllImagesCount(root.get()), 20u);
    EXPECT_EQ(root->ppNextLevelEx[0]->uLoopPars.uiCount, 5u); // inner levels stay
}

TEST(ExperimentRepair, ItemsCountedInAcquisitionOrder)
{
    struct SCase {
        const char* name;
        std::function<E*()> make;
        uint32_t frames;
        uint32_t count;
    };
    const std::vector<SCase> table = {
        {"one level takes the frame count", [] { return Time(10); }, 7, 7},
        {"one level grows to the frames", [] { return Time(10); }, 15, 15},
        {"a Z stack alone", [] { return Z(4); }, 9, 9},
        {"positions cannot outgrow their arrays", [] { return XY(4); }, 10, 4},
        {"flags cannot be outgrown",
         [] {
             return Flags(Time(3), {1, 1, 1});
         },
         10, 3},
        {"all repeat counts 0",
         [] {
             return XY(4, {Repeat(Z(2), 0), Repeat(Z(3), 0)});
         },
         100, 0},
        {"more frames than the loop", [] { return Time(3, {Z(2)}); }, 100, 3},
        {"no frames", [] { return Time(3, {Z(2)}); }, 0, 0},
        {"branches: a whole cycle and the last A",
         [] {
             return Time(5, {Repeat(Z(2), 2), Z(1)});
         },
         12, 5},
        {"branches: cut inside A",
         [] {
             return Time(5, {Repeat(Z(2), 2), Z(1)});
         },
         8, 4},
        {"branches: cut at B",
         [] {
             return Time(9, {Repeat(Z(2), 2), Z(1)});
         },
         14, 8},
        {"switched-off items store nothing",
         [] {
             return Flags(Time(4, {Z(5)}), {1, 0, 1, 1});
         },
         15, 4},
        {"switched-off items: cut",
         [] {
             return Flags(Time(4, {Z(5)}), {1, 0, 1, 1});
         },
         12, 3},
        {"without end", [] { return Time(0, {Z(3)}); }, 10, 3},
        {"without end, branched",
         [] {
             return Time(0, {Repeat(Z(2), 2), Z(1)});
         },
         11, 6},
        {"without end over a child of no frames", [] { return Time(0, {Z(0)}); }, 10, 1},
        {"without end over branches of no frames",
         [] {
             return Time(0, {Z(0), Z(0)});
         },
         10, 2},
        {"a child of no frames keeps the count", [] { return Time(6, {Z(0)}); }, 0, 6},
    };
    for (const SCase& c : table) {
        SCOPED_TRACE(c.name);
        ExpTree root(c.make());
        EXPECT_EQ(API::RepairExperiment(root.get(), c.frames), 0);
        EXPECT_EQ(root->uLoopPars.uiCount, c.count);
        EXPECT_LE(API::GetAllImagesCount(root.get()), c.frames);
    }
}

TEST(ExperimentRepair, HugeEndlessLoopsAreCountedArithmetically)
{
    const auto start = std::chrono::steady_clock::now();
    ExpTree root(Time(0, {Repeat(Z(1), 3), Z(2)}));
    EXPECT_EQ(API::RepairExperiment(root.get(), 0xFFFFFFFD), 0);
    // 5 frames per cycle of 4 items: 858993458 cycles and 3 of the next 4.
    EXPECT_EQ(root->uLoopPars.uiCount, 858993458u * 4 + 3);
    ExpTree none(Time(0, {Z(0)}));
    EXPECT_EQ(API::RepairExperiment(none.get(), 0xFFFFFFFF), 0);
    EXPECT_EQ(none->uLoopPars.uiCount, 1u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(ExperimentRepair, PeriodsAreCutInTurn)
{
    ExpTree root(NETime({{3, true, {Z(2)}}, {4, false, {Z(2)}}, {0, true, {Z(2)}}, {5, true, {}}}));
    EXPECT_EQ(API::RepairExperiment(root.get(), 10), 0);
    const E::SLxExpNETimeLoop& ne = root->uLoopPars.sNETimeLoop;
    EXPECT_EQ(ne.pPeriod[0].uiCount, 3u); // 6 frames
    EXPECT_EQ(ne.pPeriod[1].uiCount, 4u); // switched off: untouched
    EXPECT_EQ(ne.pPeriod[2].uiCount, 2u); // without end: the 4 frames left
    EXPECT_EQ(ne.pPeriod[3].uiCount, 0u); // nothing left
    EXPECT_EQ(ne.uiCount, 5u);

    // A period without children stores one frame per time point.
    ExpTree plain(NETime({{3, true, {}}, {10, true, {}}}));
    EXPECT_EQ(API::RepairExperiment(plain.get(), 7), 0);
    EXPECT_EQ(plain->uLoopPars.sNETimeLoop.pPeriod[0].uiCount, 3u);
    EXPECT_EQ(plain->uLoopPars.sNETimeLoop.pPeriod[1].uiCount, 4u);
    EXPECT_EQ(plain->uLoopPars.sNETimeLoop.uiCount, 7u);
}

TEST(ExperimentRepair, NullAndSpectralRoots)
{
    EXPECT_EQ(API::RepairExperiment(nullptr, 3), -4);
    EXPECT_EQ(API::RepairExperimentEx(nullptr, 3, Times({})), -4);
    ExpTree spect(Spect({u"A", u"B"}));
    EXPECT_EQ(API::RepairExperiment(spect.get(), 7), 0);
    EXPECT_EQ(spect->uLoopPars.uiCount, 2u);
}

TEST(ExperimentRepair, PeriodStatisticsFromFrameTimes)
{
    struct SCase {
        const char* name;
        std::function<E*()> make;
        uint32_t frames;
        std::vector<double> times;
        double minimum, maximum, average;
    };
    const std::vector<SCase> table = {
        {"four time points", [] { return Time(4); }, 4, {0, 100, 250, 300}, 50, 150, 100},
        {"first frames of each time point",
         [] { return Time(3, {Z(2)}); },
         6,
         {0, 1, 40, 41, 100, 101},
         40,
         60,
         50},
        {"fewer times than frames",
         [] { return Time(4, {Z(2)}); },
         8,
         {0, 1, 100, 101, 250},
         100,
         150,
         250.0 / 3},
        {"one time point", [] { return Time(1); }, 1, {5}, 0, 0, 0},
        {"no times", [] { return Time(3); }, 3, {}, 0, 0, 0},
    };
    for (const SCase& c : table) {
        SCOPED_TRACE(c.name);
        ExpTree root(c.make());
        EXPECT_EQ(API::RepairExperimentEx(root.get(), c.frames, Times(c.times)), 0);
        const E::SLxExpTimeLoop& t = root->uLoopPars.sTimeLoop;
        EXPECT_EQ(t.dMinPeriodDiff, c.minimum);
        EXPECT_EQ(t.dMaxPeriodDiff, c.maximum);
        EXPECT_DOUBLE_EQ(t.dAvgPeriodDiff, c.average);
    }

    // Other roots keep their fields.
    ExpTree xy(XY(3, {Z(2)}));
    EXPECT_EQ(API::RepairExperimentEx(xy.get(), 4, Times({0, 1, 2, 3})), 0);
    EXPECT_EQ(xy->uLoopPars.uiCount, 2u);
    EXPECT_EQ(xy->uLoopPars.sXYPosLoop.dPosX[0], 0.0);

    // The walk stops at the first time point past the times, whatever the
    // loop size.
    const auto start = std::chrono::steady_clock::now();
    ExpTree endless(Time(0));
    EXPECT_EQ(API::RepairExperimentEx(endless.get(), 0xFFFFFFFF, Times({0, 100})), 0);
    EXPECT_EQ(endless->uLoopPars.uiCount, 0xFFFFFFFFu);
    EXPECT_EQ(endless->uLoopPars.sTimeLoop.dMaxPeriodDiff, 100.0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

// ---- Z stacks

struct SZ {
    int32_t iType;
    bool bInverted;
    uint32_t count;
    double low, high, home, step;
};

ExpTree ZLevel(const SZ& c, bool bAbsolute = true)
{
    ExpTree z(Z(c.count));
    E::SLxExpZStackLoop& r = z->uLoopPars.sZStackLoop;
    r.iType = c.iType;
    r.bZInverted = c.bInverted;
    r.dZLow = c.low;
    r.dZHigh = c.high;
    r.dZHome = c.home;
    r.dZStep = c.step;
    r.bAbsolute = bAbsolute;
    return z;
}

TEST(ExperimentZStack, HomeAndStep)
{
    struct SCase {
        SZ z;
        uint32_t home;
        int stepStatus;
        double step;
    };
    const SCase table[] = {
        {{0, false, 5, 0, 8, 0, -1}, 2, 0, 2.0}, // the middle plane
        {{0, false, 4, 0, 9, 0, -1}, 1, 0, 3.0},
        {{2, true, 11, 0, 10, 4, -1}, 6, 0, 1.0}, // no step: home's share
        {{3, false, 11, 0, 10, 4, -1}, 4, 0, 1.0},
        {{2, false, 11, 0, 10, 4, 0.5}, 8, 0, 0.5}, // a step
        {{2, false, 5, 3, 3, 3, -1}, 0, 0, 0.0},    // low equals high
        {{0, false, 5, 3, 3, 3, -1}, 2, 0, 0.0},
        {{2, false, 0, 0, 10, 4, -1}, 0, 0, 0.0}, // empty stack
        {{0, false, 0, 0, 10, 0, -1}, 0, -9, 0.0},
        {{1, false, 1, 0, 0, 0, -1}, 0, 0, 0.0},
        {{2, false, 5, 0, 10, 0, -1}, 0, 0, 0.0}, // home at low: no planes between
    };
    for (const SCase& c : table) {
        SCOPED_TRACE(testing::Message() << "type " << c.z.iType << ", " << c.z.count << " planes");
        ExpTree z = ZLevel(c.z);
        uint32_t home = 99;
        EXPECT_EQ(API::GetZStackHomePosition(z.get(), &home), 0);
        EXPECT_EQ(home, c.home);
        EXPECT_TRUE(API::IsZStackHomePosition(z.get(), c.home));
        double step = -1;
        EXPECT_EQ(API::GetZStackStepSize(z.get(), &step), c.stepStatus);
        if (c.stepStatus == 0) {
            EXPECT_TRUE(std::isfinite(step));
            EXPECT_DOUBLE_EQ(step, c.step);
        }
    }
}

TEST(ExperimentZStack, FirstMovePosition)
{
    // 5 planes, step 2, low 0, high 10, home 3.
    struct SCase {
        int32_t iType;
        double plain, inverted;
    };
    const SCase table[] = {
        {1, 0, 10},
        {2, -1, 7},  // home -/+ 2 steps
        {3, -1, 11}, // home -/+ the home plane's steps (2; inverted 4)
        {0, 2, 8},   // the far end less the stack
    };
    for (const SCase& c : table) {
        for (bool inverted : {false, true}) {
            SCOPED_TRACE(testing::Message()
                         << "type " << c.iType << (inverted ? ", inverted" : ""));
            const SZ z{c.iType, inverted, 5, 0, 10, 3, 2};
            const double expected = inverted ? c.inverted : c.plain;
            EXPECT_EQ(API::GetZStackFirstMovePosition(ZLevel(z, true).get(), 100), expected);
            EXPECT_EQ(API::GetZStackFirstMovePosition(ZLevel(z, false).get(), 100), expected + 100);
        }
    }
    // Without a step or with one plane: the current Z.
    EXPECT_EQ(API::GetZStackFirstMovePosition(ZLevel({1, false, 5, 0, 10, 3, -1}).get(), 7), 7);
    EXPECT_EQ(API::GetZStackFirstMovePosition(ZLevel({1, false, 1, 0, 10, 3, 2}).get(), 7), 7);
    ExpTree time(Time(3));
    EXPECT_EQ(API::GetZStackFirstMovePosition(time.get(), 7), -4.0);
    EXPECT_EQ(API::GetZStackFirstMovePosition(nullptr, 7), -4.0);
}

TEST(ExperimentZStack, StepCount)
{
    uint32_t count = 0;
    EXPECT_EQ(API::GetZStackStepCount(ZLevel({0, false, 7, 0, 10, 0, 1}).get(), &count, 0), 0);
    EXPECT_EQ(count, 7u);
    EXPECT_EQ(API::GetZStackStepCount(ZLevel({0, false, 0, 0, 10, 0, 1}).get(), &count, 0), 0);
    EXPECT_EQ(count, 11u);
    EXPECT_EQ(API::GetZStackStepCount(ZLevel({0, false, 0, 0, 10, 0, 3}).get(), &count, 0), 0);
    EXPECT_EQ(count, 5u); // ceil(10 / 3) + 1
    EXPECT_EQ(API::GetZStackStepCount(ZLevel({0, false, 0, 0, 10, 0, 1}).get(), &count, 0.5), 0);
    EXPECT_EQ(count, 11u); // ceil(9.5) + 1
    EXPECT_EQ(API::GetZStackStepCount(ZLevel({2, false, 0, 0, 10, 4, 1}).get(), &count, 0), 0);
    EXPECT_EQ(count, 11u); // 6 above home, 4 below, home
    EXPECT_EQ(API::GetZStackStepCount(ZLevel({0, false, 0, 0, 10, 0, -1}).get(), &count, 0), -9);
    EXPECT_EQ(API::GetZStackStepCount(ZLevel({0, false, 0, 0, 10, 0, 1}).get(), &count, 1e300), -9);
}

TEST(ExperimentZStack, WrongLevelsAndNullArguments)
{
    ExpTree time(Time(3));
    uint32_t index = 0;
    double step = 0;
    EXPECT_EQ(API::GetZStackHomePosition(time.get(), &index), -4);
    EXPECT_EQ(API::GetZStackHomePosition(nullptr, &index), -4);
    EXPECT_EQ(API::GetZStackStepSize(time.get(), &step), -4);
    EXPECT_EQ(API::GetZStackStepCount(time.get(), &index, 0), -4);
    ExpTree z(Z(3));
    EXPECT_EQ(API::GetZStackHomePosition(z.get(), nullptr), -4);
    EXPECT_EQ(API::GetZStackStepSize(z.get(), nullptr), -4);
    EXPECT_EQ(API::GetZStackStepCount(z.get(), nullptr, 0), -4);
}

class ExperimentZStackReports : public VariantTest
{
};

TEST_F(ExperimentZStackReports, HomeOfAWrongLevelIsReported)
{
    ExpTree time(Time(3));
    EXPECT_FALSE(API::IsZStackHomePosition(time.get(), 0));
    EXPECT_EQ(report().expression, "true");
    EXPECT_FALSE(API::IsZStackHomePosition(nullptr, 0));
    EXPECT_EQ(report().expression, "true");
}

TEST(ExperimentZStack, FirstHomeFrame)
{
    struct SCase {
        const char* name;
        std::function<E*()> make;
        int status;
        uint32_t index;
    };
    const std::vector<SCase> table = {
        {"time over Z", [] { return Time(3, {Z(5)}); }, 0, 2},
        {"XY over time over Z", [] { return XY(2, {Time(3, {Z(4)})}); }, 0, 1},
        {"Z over time", [] { return Z(5, {Time(3)}); }, 0, 6},
        {"no Z stack", [] { return Time(3, {XY(2)}); }, -9, 0},
        {"the first Z of branch 0",
         [] {
             return XY(2, {Z(3), Z(7)});
         },
         0, 1},
    };
    for (const SCase& c : table) {
        SCOPED_TRACE(c.name);
        ExpTree root(c.make());
        uint32_t index = 99;
        EXPECT_EQ(API::GetFirstZStackHomePosition(root.get(), &index), c.status);
        if (c.status == 0) {
            EXPECT_EQ(index, c.index);
        }
    }
    uint32_t index = 0;
    EXPECT_EQ(API::GetFirstZStackHomePosition(nullptr, &index), -4);
}

// ---- Walk and size maxima

struct SVisit {
    uint32_t type, count, depth;
    bool operator==(const SVisit& o) const
    {
        return type == o.type && count == o.count && depth == o.depth;
    }
};

std::vector<SVisit> Visits(E* root, uint32_t startDepth, int stopAt = -1)
{
    struct SContext {
        std::vector<SVisit> visits;
        int stopAt;
    } context{{}, stopAt};
    const auto callback = [](E* level, uint32_t depth, void* p) {
        SContext& c = *static_cast<SContext*>(p);
        c.visits.push_back({uint32_t(level->eType), level->uLoopPars.uiCount, depth});
        return int(c.visits.size()) == c.stopAt ? 7 : 0;
    };
    const int status = API::WalkExperiment(root, callback, &context, startDepth);
    EXPECT_EQ(status, stopAt > 0 && int(context.visits.size()) == stopAt ? 7 : 0);
    return context.visits;
}

TEST(ExperimentWalk, PreOrderWithDepths)
{
    EXPECT_EQ(API::WalkExperiment(nullptr, nullptr, nullptr, 0), -4);
    ExpTree tree(XY(2, {Time(3, {Z(4)}), Z(6)}));
    EXPECT_EQ(API::WalkExperiment(tree.get(), nullptr, nullptr, 0), -4);
    EXPECT_EQ(Visits(nullptr, 0), std::vector<SVisit>());
    EXPECT_EQ(Visits(tree.get(), 2),
              (std::vector<SVisit>{{2, 2, 2}, {1, 3, 3}, {4, 4, 4}, {4, 6, 3}}));
    EXPECT_EQ(Visits(tree.get(), 0, 2), (std::vector<SVisit>{{2, 2, 0}, {1, 3, 1}}));
    // Below a non-equidistant time loop: every valid period's sub-loops.
    ExpTree ne(NETime({{2, true, {Z(2)}}, {2, false, {Z(3)}}, {1, true, {Z(4), Z(5)}}}));
    EXPECT_EQ(Visits(ne.get(), 0),
              (std::vector<SVisit>{{8, 3, 0}, {4, 2, 1}, {4, 4, 1}, {4, 5, 1}}));
}

TEST(ExperimentWalk, SizeMaxima)
{
    ExpTree tree(XY(2, {Time(3, {Z(4)}), Z(6)}));
    uint32_t home = 99;
    EXPECT_EQ(API::GetZStackSizeMax(tree.get(), &home), 6u);
    EXPECT_EQ(home, 2u);
    EXPECT_EQ(API::GetZStackSizeMax(nullptr, &home), 0u);

    uint32_t sizes[3] = {9, 9, 9};
    home = 99;
    EXPECT_EQ(API::GetSizeMax(tree.get(), sizes, 3, &home), 0);
    EXPECT_EQ(std::vector<uint32_t>(sizes, sizes + 3), (std::vector<uint32_t>{2, 6, 4}));
    EXPECT_EQ(home, 2u); // Z 6 set the last new maximum
    // Levels deeper than the count are not counted.
    uint32_t one = 9;
    EXPECT_EQ(API::GetSizeMax(tree.get(), &one, 1, nullptr), 0);
    EXPECT_EQ(one, 2u);
    EXPECT_EQ(API::GetSizeMax(tree.get(), nullptr, 1, nullptr), -4);
    // More levels than the tree has: the rest are 0.
    std::vector<uint32_t> many(6, 9);
    EXPECT_EQ(API::GetSizeMax(tree.get(), many.data(), 6, nullptr), 0);
    EXPECT_EQ(many, (std::vector<uint32_t>{2, 6, 4, 0, 0, 0}));
}

// ---- Channels of every branch

TEST(ExperimentSameChannels, EveryBranchHoldsTheSuperset)
{
    struct SCase {
        const char* name;
        std::function<E*()> make;
        bool same;
    };
    const std::vector<SCase> table = {
        {"no spectral level", [] { return Time(3, {Z(2)}); }, true},
        {"one spectral level",
         [] {
             return Time(3, {Spect({u"A", u"B"}, {Z(2)})});
         },
         true},
        {"two equal branches",
         [] {
             return XY(2, {Spect({u"A", u"B"}), Spect({u"A", u"B"})});
         },
         true},
        {"a branch without channels",
         [] {
             return XY(2, {Spect({u"A"}), Z(2)});
         },
         false},
        {"a branch with fewer channels",
         [] {
             return XY(2, {Spect({u"A"}), Spect({u"A", u"B"})});
         },
         false},
        {"channels in another order",
         [] {
             return XY(2, {Spect({u"A", u"B"}), Spect({u"B", u"A"})});
         },
         false},
        {"a channel switched off in one branch",
         [] {
             return XY(2, {Spect({u"A", u"B"}), Flags(Spect({u"A", u"B"}), {1, 0})});
         },
         false},
        {"switched off in every branch",
         [] {
             return XY(2, {Flags(Spect({u"A", u"B"}), {1, 0}), Flags(Spect({u"A", u"B"}), {1, 0})});
         },
         true},
        {"a spectral level with two children",
         [] {
             return Spect({u"A"}, {Z(2), Z(3)});
         },
         false},
        {"periods of a non-equidistant loop",
         [] {
             return NETime({{2, true, {Spect({u"A"})}}, {2, true, {Spect({u"A"})}}});
         },
         true},
    };
    for (const SCase& c : table) {
        SCOPED_TRACE(c.name);
        ExpTree root(c.make());
        EXPECT_EQ(API::HasSameLambdaChannels(root.get()), c.same);
    }
    EXPECT_TRUE(API::HasSameLambdaChannels(nullptr));
}

TEST(ExperimentSameChannels, EnableAChannelInEveryBranch)
{
    ExpTree root(XY(3, {Spect({u"A", u"B", u"C"}, {Spect({u"X", u"Y", u"Z"})}), Spect({u"A"}),
                        Time(2, {Spect({u"A", u"B", u"C"})})}));
    EXPECT_EQ(API::EnableChannelInAllBranches(root.get(), 2, false), 0);
    const E& first = *root->ppNextLevelEx[0];
    ASSERT_NE(first.pItemValid, nullptr);
    EXPECT_EQ(std::vector<int>(first.pItemValid, first.pItemValid + 3),
              (std::vector<int>{1, 1, 0}));
    EXPECT_EQ(first.ppNextLevelEx[0]->pItemValid, nullptr); // not below a spectral level
    EXPECT_EQ(root->ppNextLevelEx[1]->pItemValid, nullptr); // channel 2 beyond its count
    const E& deep = *root->ppNextLevelEx[2]->ppNextLevelEx[0];
    ASSERT_NE(deep.pItemValid, nullptr);
    EXPECT_EQ(deep.pItemValid[2], 0);
    EXPECT_EQ(API::EnableChannelInAllBranches(root.get(), 2, true), 0);
    EXPECT_EQ(first.pItemValid[2], 1);
    EXPECT_EQ(API::EnableChannelInAllBranches(nullptr, 0, true), 0);
}

} // namespace
