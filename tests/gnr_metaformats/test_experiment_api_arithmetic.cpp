// Loop arithmetic of experiment trees: worked examples both ways, branch
// choice, levels and sizes, and the malformed trees files can hold.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "experiment_builder.h"
#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxExperimentAPIInternal.h"
#include "gnr_system/variant/variant_test_support.h"
#include "w32_system/debugging/log_sandbox.h"

namespace
{

using namespace exptest;
typedef CLxExperimentAPI API;

// Positions of a frame, sized to hold the deepest path of the test trees.
std::vector<uint32_t> PosOf(const E* root, uint32_t index, int* status = nullptr)
{
    std::vector<uint32_t> pos(8, 0xDEAD);
    uint32_t levels = uint32_t(pos.size());
    const int st = API::CalcPosFromIdx(root, index, pos.data(), &levels);
    if (status)
        *status = st;
    pos.resize(API::GetExperimentCount(root));
    return pos;
}

int IdxOf(const E* root, std::vector<uint32_t> pos, uint32_t* index)
{
    return API::CalcIdxFromPos(root, pos.data(), uint32_t(pos.size()), index);
}

// time 5 over A (repeat 2, 4 frames each) and B (repeat 1, 1 frame).
E* TimeOverAB()
{
    return Time(5, {Repeat(Z(4), 2), Repeat(Z(1), 1)});
}

struct SExample {
    const char* name;
    std::function<E*()> make;
    uint32_t frames;
    std::vector<uint32_t> pos;
    uint32_t index;
};

TEST(ExperimentArithmetic, WorkedExamplesBothWays)
{
    const auto timeZ = [] { return Time(3, {Z(2)}); };
    const auto timeSpect = [] { return Time(3, {Spect({u"a", u"b"})}); };
    const auto timeSpectZ = [] { return Time(3, {Spect({u"a", u"b"}, {Z(4)})}); };
    const auto xyTimeZ = [] { return XY(2, {Time(3, {Z(2)})}); };
    const std::vector<SExample> table = {
        {"time 3 x Z 2", timeZ, 6, {0, 0}, 0},
        {"time 3 x Z 2", timeZ, 6, {0, 1}, 1},
        {"time 3 x Z 2", timeZ, 6, {1, 0}, 2},
        {"time 3 x Z 2", timeZ, 6, {2, 1}, 5},
        {"time 3, spectral 2", timeSpect, 3, {0, 0}, 0},
        {"time 3, spectral 2", timeSpect, 3, {2, 0}, 2},
        {"time 3, spectral 2, Z 4", timeSpectZ, 12, {1, 0, 3}, 7},
        {"time 3, spectral 2, Z 4", timeSpectZ, 12, {2, 0, 2}, 10},
        {"XY 2, time 3, Z 2", xyTimeZ, 12, {1, 2, 1}, 11},
        {"XY 2, time 3, Z 2", xyTimeZ, 12, {1, 0, 1}, 7},
        {"time 5 over A and B", TimeOverAB, 17, {0, 3}, 3},
        {"time 5 over A and B", TimeOverAB, 17, {1, 0}, 4},
        {"time 5 over A and B", TimeOverAB, 17, {2, 0}, 8},
        {"time 5 over A and B", TimeOverAB, 17, {3, 1}, 10},
        {"time 5 over A and B", TimeOverAB, 17, {4, 3}, 16},
    };
    for (const SExample& ex : table) {
        SCOPED_TRACE(testing::Message() << ex.name << " at index " << ex.index);
        ExpTree root(ex.make());
        EXPECT_EQ(API::GetAllImagesCount(root.get()), ex.frames);
        EXPECT_EQ(E::GetPictureCount(*root), ex.frames);
        uint32_t index = 0xDEAD;
        EXPECT_EQ(IdxOf(root.get(), ex.pos, &index), 0);
        EXPECT_EQ(index, ex.index);
        int status = -1;
        EXPECT_EQ(PosOf(root.get(), ex.index, &status), ex.pos);
        EXPECT_EQ(status, 0);
    }
}

TEST(ExperimentArithmetic, BranchesTakeTurnsByRepeatCount)
{
    // XY 6 over A (repeat 2) and B (repeat 1): B runs points 2 and 5.
    ExpTree xy(XY(6, {Repeat(Z(2), 2), Repeat(Z(3), 1)}));
    const E* a = xy->ppNextLevelEx[0];
    const E* b = xy->ppNextLevelEx[1];
    const std::vector<const E*> expected = {a, a, b, a, a, b};
    for (uint32_t p = 0; p < 6; ++p)
        EXPECT_EQ(API::GetNextLevelExperiment(xy.get(), p), expected[p]) << p;
    EXPECT_EQ(API::GetNextLevelPeriodicity(xy.get()), 3u);
    EXPECT_FALSE(API::IsSimpleExperiment(xy.get()));

    // time 5 over A and B: points 0, 1, 3, 4 run A, point 2 runs B.
    ExpTree time(TimeOverAB());
    for (uint32_t p : {0u, 1u, 3u, 4u})
        EXPECT_EQ(API::GetNextLevelExperiment(time.get(), p), time->ppNextLevelEx[0]);
    EXPECT_EQ(API::GetNextLevelExperiment(time.get(), 2), time->ppNextLevelEx[1]);
    // The branch a position runs changes the frames of every later point.
    uint32_t index = 0;
    EXPECT_EQ(IdxOf(time.get(), {3, 0}, &index), 0);
    EXPECT_EQ(index, 9u);

    // A first child of repeat count 0: a time loop runs it at position 0
    // only, other loops at every position.
    ExpTree t0(Time(4, {Repeat(Z(2), 0), Repeat(Z(3), 2)}));
    EXPECT_EQ(API::GetNextLevelExperiment(t0.get(), 0), t0->ppNextLevelEx[0]);
    for (uint32_t p : {1u, 2u, 3u})
        EXPECT_EQ(API::GetNextLevelExperiment(t0.get(), p), t0->ppNextLevelEx[1]) << p;
    ExpTree x0(XY(4, {Repeat(Z(2), 0), Repeat(Z(3), 2)}));
    for (uint32_t p : {0u, 1u, 2u, 3u})
        EXPECT_EQ(API::GetNextLevelExperiment(x0.get(), p), x0->ppNextLevelEx[0]) << p;
    EXPECT_EQ(API::GetNextLevelExperiment(static_cast<const E*>(nullptr), 0), nullptr);
}

TEST(ExperimentArithmetic, NullAndSpectralEdges)
{
    EXPECT_EQ(API::GetAllImagesCount(nullptr), 0u);
    EXPECT_EQ(API::GetExperimentCount(nullptr), 0u);
    EXPECT_TRUE(API::IsSimpleExperiment(nullptr));
    uint32_t index = 7;
    EXPECT_EQ(API::CalcIdxFromPos(nullptr, nullptr, 3, &index), 0);
    EXPECT_EQ(index, 0u);
    EXPECT_EQ(API::GetLoopSize(nullptr), 0u);
    EXPECT_EQ(API::GetLoopSizeForDisplay(nullptr), 0u);

    ExpTree lone(Spect({u"a", u"b", u"c"}));
    EXPECT_EQ(API::GetAllImagesCount(lone.get()), 1u);
    // Each channel its own Z stack: a frame for every plane of the largest.
    ExpTree perChannel(Time(2, {Spect({u"a", u"b"}, {Z(3), Z(5)})}));
    EXPECT_EQ(API::GetAllImagesCount(perChannel.get()), 10u);
    EXPECT_EQ(IdxOf(perChannel.get(), {1, 0, 4}, &index), 0);
    EXPECT_EQ(index, 9u);
    EXPECT_EQ(PosOf(perChannel.get(), 9), (std::vector<uint32_t>{1, 0, 4}));
    // A spectral level with children takes position 0 only.
    EXPECT_EQ(IdxOf(perChannel.get(), {1, 1, 0}, &index), -4);
    EXPECT_EQ(IdxOf(perChannel.get(), {2, 0, 0}, &index), -4);
    EXPECT_EQ(IdxOf(perChannel.get(), {0, 0, 5}, &index), -4);
}

TEST(ExperimentArithmetic, LevelsAlongThePath)
{
    // XY 2 over [time 4 -> Z 3] and [Z 6 -> time 2].
    ExpTree root(XY(2, {Time(4, {Z(3)}), Z(6, {Time(2)})}));
    EXPECT_EQ(API::GetExperimentCount(root.get()), 3u);
    const uint32_t second[] = {1, 0, 0};
    uint32_t depth = 9;
    const E* found = nullptr;
    EXPECT_EQ(API::FindExperiment(root.get(), E::eEtZStack, second, 3, &depth, &found), 0);
    EXPECT_EQ(depth, 1u);
    EXPECT_EQ(found, root->ppNextLevelEx[1]);
    EXPECT_EQ(API::FindExperiment(root.get(), E::eEtZStack, nullptr, 0, &depth, &found), 0);
    EXPECT_EQ(depth, 2u);
    EXPECT_EQ(API::FindExperiment(root.get(), E::eEtPolar, nullptr, 0, nullptr, nullptr), -13);
    EXPECT_EQ(API::FindExperiment(nullptr, E::eEtTime, nullptr, 0, nullptr, nullptr), -4);

    uint32_t size = 0;
    EXPECT_EQ(API::GetLoopSize(root.get(), 1u, second, 3, &size), 0);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(API::GetLoopSize(root.get(), 2u, second, 3, &size), 0);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(API::GetLoopSize(root.get(), 3u, second, 3, &size), -13);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(API::GetLoopSize(root.get(), E::eEtTime, second, 3, &size), 0);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(API::GetAllTimeLoopsSize(root.get(), nullptr, 0), 4u);
    EXPECT_EQ(API::GetAllZStackLoopsSize(root.get(), second, 3), 6u);
    EXPECT_EQ(API::GetAllXYPosLoopsSize(root.get(), nullptr, 0), 2u);
    EXPECT_EQ(API::GetAllCustLoopsSize(root.get(), nullptr, 0), 0u);

    // The same type twice on the path: -100, the first level still given.
    ExpTree twice(Time(3, {Z(2, {Time(5)})}));
    EXPECT_EQ(API::FindExperiment(twice.get(), E::eEtTime, nullptr, 0, &depth, &found), -100);
    EXPECT_EQ(depth, 0u);
    EXPECT_EQ(found, twice.get());
    EXPECT_EQ(API::GetLoopSize(twice.get(), E::eEtTime, nullptr, 0, &size), -100);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(API::GetAllTimeLoopsSize(twice.get(), nullptr, 0), 0u);

    // The loop size through a spectral level follows its largest child.
    ExpTree spect(Time(2, {Spect({u"a", u"b"}, {Z(3), Z(7)})}));
    EXPECT_EQ(API::GetLoopSize(spect.get(), 2u, nullptr, 0, &size), 0);
    EXPECT_EQ(size, 7u);

    uint32_t grabbing = 5;
    EXPECT_EQ(API::CalcGrabbingLoopCount(root.get(), &grabbing), 0);
    EXPECT_EQ(grabbing, 0u);
    EXPECT_EQ(API::CalcGrabbingLoopCount(nullptr, &grabbing), -4);
}

TEST(ExperimentArithmetic, SizesWithFlagsAndPeriods)
{
    ExpTree flagged(Flags(Time(5, {Z(2)}), {1, 0, 1, 1, 0}));
    EXPECT_EQ(API::GetLoopSize(flagged.get()), 3u);
    EXPECT_EQ(API::GetLoopSizeForDisplay(flagged.get()), 5u);
    EXPECT_EQ(API::GetAllImagesCount(flagged.get()), 6u);
    uint32_t index = 0;
    EXPECT_EQ(IdxOf(flagged.get(), {2, 1}, &index), 0);
    EXPECT_EQ(index, 5u);
    EXPECT_EQ(IdxOf(flagged.get(), {3, 0}, &index), -4);

    // Periods of 3, (switched off) 4, 0 (without end) and 2 time points.
    ExpTree ne(NETime({{3, true, {Z(2)}}, {4, false, {Z(3)}}, {0, true, {Z(4)}}, {2, true, {}}}));
    EXPECT_EQ(API::GetLoopSize(ne.get()), 5u);
    EXPECT_EQ(API::GetLoopSizeForDisplay(ne.get()), 0u);
    const E* endless = ne->uLoopPars.sNETimeLoop.pSubLoops[2].ppNextLevelEx[0];
    EXPECT_EQ(API::GetNextLevelExperiment(ne.get(), 2),
              ne->uLoopPars.sNETimeLoop.pSubLoops[0].ppNextLevelEx[0]);
    for (uint32_t p : {3u, 4u, 100u, 0xFFFFFFFFu})
        EXPECT_EQ(API::GetNextLevelExperiment(ne.get(), p), endless) << p;
    ne->uLoopPars.sNETimeLoop.pPeriod[2].uiCount = 1;
    EXPECT_EQ(API::GetLoopSizeForDisplay(ne.get()), 6u);
    EXPECT_EQ(API::GetNextLevelExperiment(ne.get(), 4), nullptr); // the last period has none
    EXPECT_EQ(API::GetNextLevelExperiment(ne.get(), 6), nullptr); // past every period
    // 3 x 2 + 1 x 4 + 2 x 1 frames.
    EXPECT_EQ(API::GetAllImagesCount(ne.get()), 12u);
    EXPECT_EQ(IdxOf(ne.get(), {3, 3}, &index), 0);
    EXPECT_EQ(index, 9u);
    EXPECT_EQ(PosOf(ne.get(), 11), (std::vector<uint32_t>{5, 0}));
    EXPECT_EQ(API::GetExperimentCount(ne.get()), 2u);
    EXPECT_TRUE(API::IsSimpleExperiment(ne.get()));
    // Two branches inside one period make the tree branched.
    ExpTree branched(NETime({{2, true, {Z(2)}}, {4, true, {Z(2), Z(1)}}}));
    EXPECT_FALSE(API::IsSimpleExperiment(branched.get()));
}

TEST(ExperimentArithmetic, CountsAndIndicesIn64Bits)
{
    // 70000 x 70000 frames do not fit 32 bits.
    ExpTree big(Time(70000, {Z(70000)}));
    EXPECT_EQ(lx_experiment::AllImagesCount64(big.get()), 4900000000ull);
    EXPECT_EQ(API::GetAllImagesCount(big.get()), 0xFFFFFFFFu);
    uint32_t index = 0;
    EXPECT_EQ(IdxOf(big.get(), {61356, 47295}, &index), 0);
    EXPECT_EQ(index, 0xFFFFFFFFu);
    EXPECT_EQ(IdxOf(big.get(), {61356, 47296}, &index), -9); // 2^32
    EXPECT_EQ(PosOf(big.get(), 0xFFFFFFFFu), (std::vector<uint32_t>{61356, 47295}));

    // Huge repeat counts and time points: whole cycles are stepped at once.
    ExpTree wide(
        NETime({{0xF0000000u, true, {Repeat(Z(2), 0x70000000u), Repeat(Z(1), 0x7FFFFFFFu)}},
                {5, true, {Z(3)}}}));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(API::GetAllImagesCount(wide.get()), 0xFFFFFFFFu);
    EXPECT_EQ(IdxOf(wide.get(), {0xEFFFFFFFu, 0}, &index), -9);
    EXPECT_EQ(IdxOf(wide.get(), {0x6FFFFFFFu, 1}, &index), 0);
    EXPECT_EQ(index, 0xDFFFFFFFu);
    EXPECT_EQ(PosOf(wide.get(), index), (std::vector<uint32_t>{0x6FFFFFFFu, 1}));
    EXPECT_EQ(PosOf(wide.get(), 0xFFFFFFF0u), (std::vector<uint32_t>{0x8FFFFFF0u, 0}));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST(ExperimentArithmetic, PositionsOfIndicesPastTheFrames)
{
    ExpTree root(Time(3, {Z(2)}));
    std::vector<uint32_t> pos(2, 9);
    uint32_t levels = 0;
    EXPECT_EQ(API::CalcPosFromIdx(root.get(), 6, pos.data(), &levels), -9);
    EXPECT_EQ(levels, 2u);
    levels = 0;
    EXPECT_EQ(API::CalcPosFromIdx(root.get(), 6, nullptr, &levels), 0);
    EXPECT_EQ(levels, 2u);
    EXPECT_EQ(API::CalcPosFromIdx(nullptr, 0, pos.data(), nullptr), -4);
    EXPECT_EQ(API::CalcIdxFromPos(root.get(), nullptr, 2, &levels), -4);
    EXPECT_EQ(API::CalcIdxFromPos(root.get(), pos.data(), 2, nullptr), -4);

    // A path deeper than branch 0 needs the caller's larger array.
    ExpTree uneven(XY(2, {Z(2), Time(2, {Z(3)})}));
    EXPECT_EQ(API::GetExperimentCount(uneven.get()), 2u);
    levels = 2;
    std::vector<uint32_t> two(2);
    EXPECT_EQ(API::CalcPosFromIdx(uneven.get(), 7, two.data(), &levels), -9);
    std::vector<uint32_t> three(3);
    levels = 3;
    EXPECT_EQ(API::CalcPosFromIdx(uneven.get(), 7, three.data(), &levels), 0);
    EXPECT_EQ(levels, 2u);
    EXPECT_EQ(three, (std::vector<uint32_t>{1, 1, 2}));
}

TEST(ExperimentArithmetic, HomePlaneOfTheTallestStack)
{
    struct SCase {
        int32_t iType;
        bool bInverted;
        uint32_t count;
        double low, high, home, step;
        uint32_t plane;
    };
    const SCase table[] = {
        {0, false, 5, 0, 0, 0, -1, 2},   // the middle plane
        {0, false, 4, 0, 0, 0, -1, 1},
        {1, true, 0, 0, 0, 0, -1, 0},    // no planes
        {2, true, 11, 0, 10, 4, -1, 6},  // no step: the share of the range
        {3, false, 11, 0, 10, 4, -1, 4},
        {2, false, 11, 0, 10, 4, 0.5, 8}, // a step: planes from the low end
        {2, true, 11, 0, 10, 4, 3, 2},
        {2, false, 5, 3, 3, 3, -1, 0},   // no range
        {3, false, 3, 0, 10, 100, 1, 0}, // a home far outside the stack
    };
    for (const SCase& c : table) {
        SCOPED_TRACE(testing::Message() << "type " << c.iType << ", " << c.count << " planes");
        E z;
        ASSERT_EQ(E::Init(z, E::eEtZStack, false, c.count, 0, 0), 0);
        E::SLxExpZStackLoop& r = z.uLoopPars.sZStackLoop;
        r.iType = c.iType;
        r.bZInverted = c.bInverted;
        r.dZLow = c.low;
        r.dZHigh = c.high;
        r.dZHome = c.home;
        r.dZStep = c.step;
        EXPECT_EQ(lx_experiment::ZStackHome(r), c.plane);
        uint32_t home = 99;
        EXPECT_EQ(lx_experiment::ZStackSizeMax(&z, &home), c.count);
        EXPECT_EQ(home, c.count ? c.plane : 99u);
    }
}

class ExperimentArithmeticReports : public VariantTest
{
};

TEST_F(ExperimentArithmeticReports, PeriodicityZeroIsNeverADivisor)
{
    // Both children of repeat count 0: counted as run by the first child.
    ExpTree zero(XY(4, {Repeat(Z(2), 0), Repeat(Z(3), 0)}));
    EXPECT_EQ(API::GetNextLevelPeriodicity(zero.get()), 0u);
    EXPECT_EQ(API::GetAllImagesCount(zero.get()), 8u);
    expectNoReport();
    int status = 0;
    PosOf(zero.get(), 3, &status);
    EXPECT_EQ(status, -9);
    const std::vector<SReport> both = reports();
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].expression, "uiNextLevelTotalSize == 0");
    EXPECT_EQ(both[1].expression, "uiPeriodicity == 0");

    // A null branch makes the periodicity 0 as well.
    ExpTree gap(Time(3, {Z(2), Z(2)}));
    E* second = gap->ppNextLevelEx[1];
    gap->ppNextLevelEx[1] = nullptr;
    E::FreeRecursive(second);
    EXPECT_EQ(API::GetNextLevelPeriodicity(gap.get()), 0u);
    EXPECT_EQ(API::GetAllImagesCount(gap.get()), 6u);

    // Z stacks without planes leave no frames to divide.
    ExpTree empty(Time(2, {Spect({u"a"}, {Z(0)})}));
    EXPECT_EQ(API::GetAllImagesCount(empty.get()), 0u);
    PosOf(empty.get(), 0, &status);
    EXPECT_EQ(status, -9);
    expectNoReport();

    // Item flags are not used by a branched non-equidistant loop.
    ExpTree flagged(NETime({{2, true, {Z(2), Z(1)}}}));
    Flags(flagged.get(), {1, 0});
    EXPECT_EQ(API::GetAllImagesCount(flagged.get()), 3u);
    const std::vector<std::string> texts = outputs();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("Expression : pExperiment->pItemValid != NULL"), std::string::npos);
    EXPECT_NE(texts[0].find("File : gnr_metaformats/LxExperimentAPIFrameCount.cpp"),
              std::string::npos);
}

TEST_F(ExperimentArithmeticReports, OutOfRangeIsTracedInDetailModeOnly)
{
    LogSandbox log;
    ExpTree root(Time(3, {Z(2)}));
    uint32_t index = 0;
    EXPECT_EQ(IdxOf(root.get(), {1, 2}, &index), -4);
    EXPECT_EQ(outputs(), std::vector<std::string>());
    std::filesystem::create_directories(log.logFolder());
    std::ofstream(log.logFolder() / "lxappdetail.log").put('\0');
    CLxLogFile::CloseLog();
    ASSERT_TRUE(CLxLogFile::Detail());
    EXPECT_EQ(IdxOf(root.get(), {1, 2}, &index), -4);
    const std::vector<std::string> texts = outputs();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("Position of 4 experiment is out of range."), std::string::npos);
}

} // namespace
