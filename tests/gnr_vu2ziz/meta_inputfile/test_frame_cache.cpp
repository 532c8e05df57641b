// The process-wide frame cache: its limits, the order it drops frames in,
// pinning, failures and several threads at once. The machine (physical
// memory, clock, memory probe, allocator) is replaced through the seams.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "gnr_vu2ziz/meta_inputfile/LxFrameCache.h"
#include "w32_system/LxSysInfo.h"

namespace fc = lx_frame_cache;

namespace
{

constexpr uint64_t kKiB = 1024;
constexpr uint64_t kMiB = 1024 * kKiB;
constexpr uint64_t kGiB = 1024 * kMiB;

// The machine the seams show; seams are plain functions, so this is global.
std::atomic<uint64_t> g_physical;
std::atomic<int64_t> g_ticks;
std::atomic<bool> g_clockFrozen;
std::atomic<bool> g_overflow;
std::atomic<int> g_failuresLeft; // allocations still to refuse; -1 refuses all
std::atomic<int> g_allocations;

uint64_t testPhysical()
{
    return g_physical;
}

double testClock()
{
    return double(g_clockFrozen ? g_ticks.load() : ++g_ticks);
}

bool testOverflow()
{
    return g_overflow;
}

bool testAllocationFails(uint64_t)
{
    ++g_allocations;
    int left = g_failuresLeft;
    while (left > 0 && !g_failuresLeft.compare_exchange_weak(left, left - 1)) {
    }
    return left != 0;
}

constexpr fc::SLxFrameCacheSeams kTestSeams = {testPhysical, testClock, testOverflow,
                                               testAllocationFails};

// The physical memory whose 33 percent is exactly `budget`.
uint64_t physicalForBudget(uint64_t budget)
{
    return (budget * 100 + 32) / 33;
}

uint8_t markOf(size_t index)
{
    return uint8_t(index * 37 + 1);
}

bool holds(const fc::SLxFrameItem* item, uint8_t mark)
{
    const uint8_t* data = fc::Data(item);
    return std::all_of(data, data + fc::Size(item), [mark](uint8_t v) { return v == mark; });
}

class FrameCache : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_EQ(fc::Count(), 0u);
        ASSERT_EQ(fc::Total(), 0u);
        g_physical = physicalForBudget(1 * kGiB);
        g_ticks = 1000;
        g_clockFrozen = false;
        g_overflow = false;
        g_failuresLeft = 0;
        g_allocations = 0;
        fc::SetSeams(&kTestSeams);
    }

    void TearDown() override
    {
        for (fc::FrameSlot& slot : m_slots)
            fc::Discard(slot);
        fc::SetSeams(nullptr);
        EXPECT_EQ(fc::Count(), 0u);
        EXPECT_EQ(fc::Total(), 0u);
    }

    // The slots of one document; owners point into it, so it is sized once.
    void makeSlots(size_t count) { m_slots.assign(count, nullptr); }

    void setBudget(uint64_t budget)
    {
        g_physical = physicalForBudget(budget);
        fc::SetSeams(&kTestSeams);
        ASSERT_EQ(fc::Budget(), budget);
    }

    // Loads frame `index` as a document does: allocate pinned, fill, unpin.
    fc::SLxFrameItem* load(size_t index, uint64_t size)
    {
        fc::SLxFrameItem* item = fc::AllocatePinned(m_slots[index], size);
        if (item) {
            std::memset(fc::Data(item), markOf(index), size_t(size));
            fc::Unpin(item);
        }
        return item;
    }

    // Frames (by index) that are in the cache.
    std::vector<size_t> resident() const
    {
        std::vector<size_t> held;
        for (size_t i = 0; i < m_slots.size(); ++i)
            if (m_slots[i])
                held.push_back(i);
        return held;
    }

    std::vector<fc::FrameSlot> m_slots;
};

using Frames = std::vector<size_t>;

TEST_F(FrameCache, EmptyTableAdmitsAFrameBeyondTheBudget)
{
    setBudget(1 * kMiB);
    makeSlots(2);
    ASSERT_NE(load(0, 4 * kMiB), nullptr);
    EXPECT_EQ(fc::Count(), 1u);
    EXPECT_EQ(fc::Total(), 4 * kMiB);
    ASSERT_NE(load(1, 1), nullptr);
    EXPECT_EQ(resident(), Frames({1}));
}

TEST_F(FrameCache, HoldsAtMost7999Frames)
{
    makeSlots(8000);
    for (size_t i = 0; i < 7999; ++i)
        ASSERT_NE(load(i, 1), nullptr) << i;
    EXPECT_EQ(fc::Count(), 7999u);
    ASSERT_NE(load(7999, 1), nullptr);
    EXPECT_EQ(fc::Count(), 7999u);
    EXPECT_EQ(m_slots[0], nullptr);
    EXPECT_NE(m_slots[1], nullptr);
    EXPECT_NE(m_slots[7999], nullptr);
}

TEST_F(FrameCache, FourthFrameOverTheBudgetDropsTheFirst)
{
    setBudget(1 * kMiB);
    makeSlots(4);
    for (size_t i = 0; i < 3; ++i)
        ASSERT_NE(load(i, 300 * kKiB), nullptr);
    EXPECT_EQ(resident(), Frames({0, 1, 2}));
    ASSERT_NE(load(3, 300 * kKiB), nullptr);
    EXPECT_EQ(resident(), Frames({1, 2, 3}));
    EXPECT_EQ(fc::Total(), 900 * kKiB);
}

TEST_F(FrameCache, ReadingAFrameDoesNotKeepItLonger)
{
    setBudget(1 * kMiB);
    makeSlots(4);
    for (size_t i = 0; i < 3; ++i)
        ASSERT_NE(load(i, 300 * kKiB), nullptr);
    fc::SLxFrameItem* a = fc::PinCached(m_slots[0]);
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(holds(a, markOf(0)));
    fc::Unpin(a);
    ASSERT_NE(load(3, 300 * kKiB), nullptr);
    EXPECT_EQ(resident(), Frames({1, 2, 3}));
}

TEST_F(FrameCache, FramesOfTheSameTickLeaveInTableOrder)
{
    setBudget(1 * kMiB);
    g_clockFrozen = true;
    makeSlots(5);
    for (size_t i = 0; i < 3; ++i)
        ASSERT_NE(load(i, 300 * kKiB), nullptr);
    ASSERT_NE(load(3, 300 * kKiB), nullptr);
    EXPECT_EQ(resident(), Frames({1, 2, 3}));
    ASSERT_NE(load(4, 300 * kKiB), nullptr);
    EXPECT_EQ(resident(), Frames({2, 3, 4}));
}

TEST_F(FrameCache, MemoryProbeInOverflowKeepsOneFrame)
{
    g_overflow = true;
    makeSlots(5);
    for (size_t i = 0; i < 5; ++i) {
        ASSERT_NE(load(i, 64 * kKiB), nullptr);
        EXPECT_EQ(resident(), Frames({i}));
    }
    fc::SLxFrameItem* last = fc::PinCached(m_slots[4]);
    ASSERT_NE(last, nullptr);
    EXPECT_TRUE(holds(last, markOf(4)));
    fc::Unpin(last);
}

TEST_F(FrameCache, FailedAllocationDropsFramesAndTriesAgain)
{
    makeSlots(4);
    for (size_t i = 0; i < 3; ++i)
        ASSERT_NE(load(i, 1 * kKiB), nullptr);
    g_failuresLeft = 2;
    fc::SLxFrameItem* item = load(3, 1 * kKiB);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(holds(item, markOf(3)));
    EXPECT_EQ(resident(), Frames({2, 3}));

    g_failuresLeft = -1;
    fc::SLxFrameItem* none = nullptr;
    EXPECT_EQ(fc::AllocatePinned(m_slots[0], 1 * kKiB), none);
    EXPECT_EQ(m_slots[0], nullptr);
    EXPECT_EQ(resident(), Frames());
    EXPECT_EQ(fc::Count(), 0u);
    EXPECT_EQ(fc::Total(), 0u);
}

TEST_F(FrameCache, DroppedFrameIsLoadedAgainWithANewTime)
{
    setBudget(1 * kMiB);
    makeSlots(5);
    for (size_t i = 0; i < 3; ++i)
        ASSERT_NE(load(i, 300 * kKiB), nullptr);
    const double firstTime = fc::LoadTime(m_slots[0]);
    ASSERT_NE(load(3, 300 * kKiB), nullptr);
    ASSERT_EQ(m_slots[0], nullptr);

    fc::SLxFrameItem* again = load(0, 300 * kKiB);
    ASSERT_NE(again, nullptr);
    EXPECT_GT(fc::LoadTime(again), firstTime);
    EXPECT_EQ(resident(), Frames({0, 2, 3}));
    // Reloaded last, it now leaves last.
    ASSERT_NE(load(4, 300 * kKiB), nullptr);
    EXPECT_EQ(resident(), Frames({0, 3, 4}));
}

// Walking a document through a full cache allocates nothing: each dropped
// frame lends its block to the next frame of its size. A frame of another
// size gets a block of its own.
TEST_F(FrameCache, DroppedFramesLendTheirBlocksToFramesOfTheirSize)
{
    constexpr uint64_t kFrame = 300 * kKiB;
    setBudget(1 * kMiB);
    makeSlots(11);
    for (size_t i = 0; i < 3; ++i)
        ASSERT_NE(load(i, kFrame), nullptr);
    const int allocationsBefore = g_allocations;
    for (size_t i = 3; i < 10; ++i)
        ASSERT_NE(load(i, kFrame), nullptr);
    EXPECT_EQ(g_allocations, allocationsBefore);
    EXPECT_EQ(resident(), Frames({7, 8, 9}));
    EXPECT_EQ(fc::Total(), 3 * kFrame);
    for (size_t i = 7; i < 10; ++i) {
        fc::SLxFrameItem* item = fc::PinCached(m_slots[i]);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(fc::Size(item), kFrame);
        EXPECT_TRUE(holds(item, markOf(i))) << i;
        fc::Unpin(item);
    }

    ASSERT_NE(load(10, kFrame - 1), nullptr);
    EXPECT_EQ(g_allocations, allocationsBefore + 1);
    EXPECT_EQ(resident(), Frames({8, 9, 10}));
    EXPECT_EQ(fc::Total(), 3 * kFrame - 1);
}

TEST_F(FrameCache, ClosingOneDocumentLeavesTheOthersFrames)
{
    std::vector<fc::FrameSlot> x(4, nullptr), y(4, nullptr);
    for (size_t i = 0; i < 4; ++i) {
        for (auto* slots : {&x, &y}) {
            fc::SLxFrameItem* item = fc::AllocatePinned((*slots)[i], 4 * kKiB);
            ASSERT_NE(item, nullptr);
            std::memset(fc::Data(item), markOf(slots == &x ? i : i + 10), 4 * kKiB);
            fc::Unpin(item);
        }
    }
    for (fc::FrameSlot& slot : x)
        fc::Discard(slot);
    EXPECT_EQ(fc::Count(), 4u);
    EXPECT_EQ(fc::Total(), 16 * kKiB);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(x[i], nullptr);
        fc::SLxFrameItem* item = fc::PinCached(y[i]);
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(holds(item, markOf(i + 10)));
        fc::Unpin(item);
    }
    for (fc::FrameSlot& slot : y)
        fc::Discard(slot);
}

TEST_F(FrameCache, BudgetIsAThirdOfPhysicalMemoryIn64Bits)
{
    const struct {
        uint64_t physical;
        uint64_t budget;
    } cases[] = {
        {24 * kGiB, 8504035246ull}, // 4,209,067,950 once wrapped to 32 bits
        {100, 33},
        {99, 32},
        {UINT64_MAX, uint64_t((unsigned __int128)UINT64_MAX * 33 / 100)},
    };
    for (const auto& c : cases) {
        g_physical = c.physical;
        fc::SetSeams(&kTestSeams);
        EXPECT_EQ(fc::Budget(), c.budget) << c.physical;
    }
}

TEST_F(FrameCache, PinnedFramesStayAndAllPinnedAdmitsOverTheBudget)
{
    setBudget(1 * kMiB);
    makeSlots(6);
    fc::SLxFrameItem* pinned[2];
    for (size_t i = 0; i < 2; ++i) {
        pinned[i] = fc::AllocatePinned(m_slots[i], 300 * kKiB);
        ASSERT_NE(pinned[i], nullptr);
    }
    ASSERT_NE(load(2, 300 * kKiB), nullptr);
    ASSERT_NE(load(3, 300 * kKiB), nullptr);
    EXPECT_EQ(resident(), Frames({0, 1, 3}));

    fc::SLxFrameItem* third = fc::PinCached(m_slots[3]);
    ASSERT_NE(third, nullptr);
    fc::SLxFrameItem* over = fc::AllocatePinned(m_slots[4], 300 * kKiB);
    ASSERT_NE(over, nullptr);
    EXPECT_EQ(resident(), Frames({0, 1, 3, 4}));
    EXPECT_GT(fc::Total(), fc::Budget());

    for (fc::SLxFrameItem* item : {pinned[0], pinned[1], third, over})
        fc::Unpin(item);
    ASSERT_NE(load(5, 300 * kKiB), nullptr);
    EXPECT_EQ(resident(), Frames({3, 4, 5}));
}

TEST_F(FrameCache, DiscardingAPinnedFrameFreesItAtTheLastUnpin)
{
    makeSlots(1);
    fc::SLxFrameItem* item = fc::AllocatePinned(m_slots[0], 1 * kKiB);
    ASSERT_NE(item, nullptr);
    fc::Discard(m_slots[0]);
    EXPECT_EQ(m_slots[0], nullptr);
    EXPECT_EQ(fc::Count(), 1u);
    std::memset(fc::Data(item), 7, 1 * kKiB); // still ours while pinned
    fc::Unpin(item);
    EXPECT_EQ(fc::Count(), 0u);
}

TEST_F(FrameCache, HopelessRequestsAreRefusedWithoutDroppingFrames)
{
    makeSlots(3);
    ASSERT_NE(load(0, 1 * kKiB), nullptr);
    ASSERT_NE(load(1, 1 * kKiB), nullptr);
    const int allocationsBefore = g_allocations;
    fc::SLxFrameItem* none = nullptr;
    // Larger than any machine's memory.
    EXPECT_EQ(fc::AllocatePinned(m_slots[2], uint64_t(1) << 62), none);
    EXPECT_EQ(fc::AllocatePinned(m_slots[2], UINT64_MAX), none);
    // A slot that already holds a frame.
    fc::FrameSlot before = m_slots[0];
    EXPECT_EQ(fc::AllocatePinned(m_slots[0], 1 * kKiB), none);
    EXPECT_EQ(m_slots[0], before);
    EXPECT_EQ(resident(), Frames({0, 1}));
    EXPECT_EQ(g_allocations, allocationsBefore);
}

// The machine's own figures: the memory probe is quiet in an idle process
// (also under the sanitizers, whose shadow is not resident use), so a second
// pass over the frames finds every one.
TEST_F(FrameCache, MachineFiguresKeepAHundredMegabytes)
{
    EXPECT_FALSE(LX_CheckSingleDocumentSizeOverflow(0, nullptr, false));
    fc::SetSeams(nullptr);
    uint64_t physical = 0;
    LX_GetMemoryStatus(&physical, nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_GT(physical, 0u);
    EXPECT_EQ(fc::Budget(), uint64_t((unsigned __int128)physical * 33 / 100));

    makeSlots(100);
    for (size_t i = 0; i < 100; ++i)
        ASSERT_NE(load(i, 1 * kMiB), nullptr);
    for (size_t i = 0; i < 100; ++i) {
        fc::SLxFrameItem* hit = fc::PinCached(m_slots[i]);
        ASSERT_NE(hit, nullptr) << i;
        EXPECT_EQ(fc::Data(hit)[0], markOf(i));
        fc::Unpin(hit);
    }
}

// A probe that waits (5 s at most) for another thread to use the cache, and
// tells whether it did.
std::atomic<bool> g_probeWaiting, g_otherUsedCache, g_probeSawOther;

bool probeWaitingForOtherThread()
{
    g_probeWaiting = true;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!g_otherUsedCache && std::chrono::steady_clock::now() < until)
        std::this_thread::yield();
    g_probeSawOther = g_otherUsedCache.load();
    return false;
}

// The memory probe reads the system's figures from files: other threads
// pin their frames meanwhile, without waiting for it.
TEST_F(FrameCache, OtherThreadsUseTheCacheWhileTheMemoryProbeRuns)
{
    makeSlots(2);
    ASSERT_NE(load(0, 1 * kKiB), nullptr);
    g_probeWaiting = g_otherUsedCache = g_probeSawOther = false;
    fc::SLxFrameCacheSeams seams = kTestSeams;
    seams.memoryOverflow = probeWaitingForOtherThread;
    fc::SetSeams(&seams);
    std::thread other([this] {
        while (!g_probeWaiting)
            std::this_thread::yield();
        if (fc::SLxFrameItem* hit = fc::PinCached(m_slots[0]))
            fc::Unpin(hit);
        g_otherUsedCache = true;
    });
    EXPECT_NE(load(1, 1 * kKiB), nullptr);
    other.join();
    EXPECT_TRUE(g_probeSawOther);
}

// Threads with documents of their own share a cache of a few frames: every
// frame read holds what its thread wrote, whoever dropped it meanwhile.
TEST_F(FrameCache, ThreadsShareATinyCache)
{
    constexpr int kThreads = 4;
    constexpr size_t kFrames = 16;
    constexpr uint64_t kSize = 4 * kKiB;
    constexpr int kRounds = 10000;
    setBudget(6 * kSize);
    std::atomic<int> wrong{0}, refused{0};
    auto document = [&](int thread) {
        std::vector<fc::FrameSlot> slots(kFrames, nullptr);
        uint32_t random = 12345u + uint32_t(thread);
        for (int round = 0; round < kRounds; ++round) {
            random = random * 1103515245u + 12345u;
            const size_t a = (random >> 8) % kFrames, b = (random >> 16) % kFrames;
            const uint8_t markA = uint8_t(thread * kFrames + a);
            fc::SLxFrameItem* item = fc::PinCached(slots[a]);
            if (item) {
                wrong += !holds(item, markA);
            } else if ((item = fc::AllocatePinned(slots[a], kSize)) != nullptr) {
                std::memset(fc::Data(item), markA, kSize);
            } else {
                ++refused;
                continue;
            }
            // A second frame pinned at the same time, now and then.
            fc::SLxFrameItem* other = (random & 3) == 0 ? fc::PinCached(slots[b]) : nullptr;
            if (other && other != item)
                wrong += !holds(other, uint8_t(thread * kFrames + b));
            if (other)
                fc::Unpin(other);
            fc::Unpin(item);
            if (round % 7 == 0)
                fc::Discard(slots[b]);
        }
        for (fc::FrameSlot& slot : slots)
            fc::Discard(slot);
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back(document, t);
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(refused, 0);
}

} // namespace
