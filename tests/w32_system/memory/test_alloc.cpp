#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "test_support.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

bool allBytesAre(const void* block, size_t size, unsigned char value)
{
    const auto* bytes = static_cast<const unsigned char*>(block);
    for (size_t i = 0; i < size; ++i) {
        if (bytes[i] != value)
            return false;
    }
    return true;
}

TEST(LxAllocNull, ZeroSizesAndOverflowGiveNull)
{
    EXPECT_EQ(CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, 0), nullptr);
    EXPECT_EQ(CLxAlloc::Alloc(0, 0), nullptr);
    EXPECT_EQ(CLxAlloc::ReAlloc(nullptr, 0, 0), nullptr);
    // Size plus the block header must not wrap into a tiny allocation.
    EXPECT_EQ(CLxAlloc::Alloc(0, SIZE_MAX), nullptr);
    EXPECT_EQ(CLxAlloc::Alloc(0, SIZE_MAX - 8), nullptr);
}

TEST(LxAllocNull, NullBlockQueries)
{
    EXPECT_FALSE(CLxAlloc::Valid(nullptr));
    EXPECT_EQ(CLxAlloc::Size(nullptr), 0u);
    CLxAlloc::Free(nullptr);
}

TEST(LxAlloc, BlocksKeepTheirExactSizeAndAlignment)
{
    for (size_t size :
         {size_t(1), size_t(15), size_t(16), size_t(17), size_t(4096), size_t(1) << 20}) {
        SCOPED_TRACE(size);
        void* block = CLxAlloc::Alloc(0, size);
        ASSERT_NE(block, nullptr);
        EXPECT_TRUE(CLxAlloc::Valid(block));
        EXPECT_EQ(CLxAlloc::Size(block), size);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 16, 0u);
        memset(block, 0x5A, size);
        CLxAlloc::Free(block);
    }
}

TEST(LxAlloc, ZeroFlagGivesZeroedMemory)
{
    // Dirty the C runtime's free lists first so a recycled block shows.
    void* dirty = CLxAlloc::Alloc(0, 256);
    ASSERT_NE(dirty, nullptr);
    memset(dirty, 0xCD, 256);
    CLxAlloc::Free(dirty);

    void* block = CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, 256);
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(allBytesAre(block, 256, 0));
    CLxAlloc::Free(block);
}

struct ReAllocCase {
    size_t oldSize;
    size_t newSize;
    uint32_t flags;
};

class LxAllocReAlloc : public ::testing::TestWithParam<ReAllocCase>
{
};

TEST_P(LxAllocReAlloc, KeepsContentsAndZeroesOnlyTheNewTail)
{
    const ReAllocCase c = GetParam();
    void* block = CLxAlloc::Alloc(0, c.oldSize);
    ASSERT_NE(block, nullptr);
    memset(block, 0xAB, c.oldSize);

    void* resized = CLxAlloc::ReAlloc(block, c.newSize, c.flags);
    ASSERT_NE(resized, nullptr);
    EXPECT_TRUE(CLxAlloc::Valid(resized));
    EXPECT_EQ(CLxAlloc::Size(resized), c.newSize);
    const size_t kept = std::min(c.oldSize, c.newSize);
    EXPECT_TRUE(allBytesAre(resized, kept, 0xAB));
    if ((c.flags & LX_HEAP_ZERO_MEMORY) && c.newSize > c.oldSize) {
        EXPECT_TRUE(allBytesAre(static_cast<char*>(resized) + kept, c.newSize - kept, 0));
    }
    CLxAlloc::Free(resized);
}

INSTANTIATE_TEST_SUITE_P(LxAlloc, LxAllocReAlloc,
                         ::testing::Values(ReAllocCase{16, 100, LX_HEAP_ZERO_MEMORY},
                                           ReAllocCase{7, 1 << 20, LX_HEAP_ZERO_MEMORY},
                                           ReAllocCase{100, 16, LX_HEAP_ZERO_MEMORY},
                                           ReAllocCase{64, 64, LX_HEAP_ZERO_MEMORY},
                                           ReAllocCase{16, 100, 0}, ReAllocCase{100, 3, 0}));

TEST(LxAlloc, ReAllocOfNullAllocatesWithTheFlags)
{
    void* block = CLxAlloc::ReAlloc(nullptr, 48, LX_HEAP_ZERO_MEMORY);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(CLxAlloc::Size(block), 48u);
    EXPECT_TRUE(allBytesAre(block, 48, 0));
    CLxAlloc::Free(block);
}

TEST(LxAlloc, ReAllocToZeroFreesTheBlock)
{
    // The leak checker of the sanitizer build would report the block if it
    // stayed allocated.
    void* block = CLxAlloc::Alloc(0, 32);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(CLxAlloc::ReAlloc(block, 0, 0), nullptr);
}

TEST(LxAlloc, RefusedReAllocKeepsTheOldBlock)
{
    void* block = CLxAlloc::Alloc(0, 32);
    ASSERT_NE(block, nullptr);
    memset(block, 0x11, 32);
    EXPECT_EQ(CLxAlloc::ReAlloc(block, SIZE_MAX - 4, 0), nullptr);
    EXPECT_TRUE(CLxAlloc::Valid(block));
    EXPECT_EQ(CLxAlloc::Size(block), 32u);
    EXPECT_TRUE(allBytesAre(block, 32, 0x11));
    CLxAlloc::Free(block);
}

TEST(LxAlloc, FreeAndSetNull)
{
    CLxAlloc::FreeAndSetNull(nullptr);
    void* empty = nullptr;
    CLxAlloc::FreeAndSetNull(&empty);
    EXPECT_EQ(empty, nullptr);

    void* block = CLxAlloc::Alloc(0, 10);
    ASSERT_NE(block, nullptr);
    CLxAlloc::FreeAndSetNull(&block);
    EXPECT_EQ(block, nullptr);
}

TEST(LxAlloc, ForeignPointersAreNotValid)
{
    alignas(16) unsigned char buffer[64] = {};
    EXPECT_FALSE(CLxAlloc::Valid(buffer + 16));
    EXPECT_EQ(CLxAlloc::Size(buffer + 16), 0u);
    EXPECT_FALSE(CLxAlloc::Valid(buffer + 17)); // misaligned

    void* block = CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, 64);
    ASSERT_NE(block, nullptr);
    EXPECT_FALSE(CLxAlloc::Valid(static_cast<char*>(block) + 16)); // inside a block
    CLxAlloc::Free(block);
}

TEST(LxAlloc, ForeignPointersAreRefusedByFreeAndReAlloc)
{
    alignas(16) unsigned char buffer[64] = {};
    CLxAlloc::Free(buffer + 16);
    EXPECT_EQ(CLxAlloc::ReAlloc(buffer + 16, 8, 0), nullptr);
    EXPECT_TRUE(allBytesAre(buffer, sizeof buffer, 0));
}

#if !LXTEST_ADDRESS_SANITIZER
// Reading a freed block's header is what this checks, which the address
// sanitizer rightly forbids.
TEST(LxAlloc, FreedBlockIsNotValidAndASecondFreeIsRefused)
{
    void* block = CLxAlloc::Alloc(0, 64);
    ASSERT_NE(block, nullptr);
    CLxAlloc::Free(block);
    EXPECT_FALSE(CLxAlloc::Valid(block));
    CLxAlloc::Free(block);
}
#endif

// Threads allocating, growing, shrinking and freeing at once: every block
// comes zeroed at its exact size, a resize keeps what the thread wrote and
// zeroes only what it adds, and no thread sees another's bytes.
TEST(LxAlloc, ConcurrentUseFromSeveralThreads)
{
    constexpr int kThreads = 4;
    int wrong[kThreads] = {};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &wrong] {
            const unsigned char mark = static_cast<unsigned char>(0xA0 + t);
            for (int i = 0; i < 2000; ++i) {
                const size_t size = size_t(1 + (i * 7 + t) % 300);
                const size_t resized = size_t(1 + (i * 13) % 700);
                void* block = CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, size);
                if (!block || CLxAlloc::Size(block) != size || !allBytesAre(block, size, 0)) {
                    ++wrong[t];
                    CLxAlloc::Free(block);
                    continue;
                }
                std::memset(block, mark, size);
                block = CLxAlloc::ReAlloc(block, resized, LX_HEAP_ZERO_MEMORY);
                const size_t kept = std::min(size, resized);
                if (!block || CLxAlloc::Size(block) != resized || !allBytesAre(block, kept, mark) ||
                    !allBytesAre(static_cast<char*>(block) + kept, resized - kept, 0))
                    ++wrong[t];
                CLxAlloc::FreeAndSetNull(&block);
                if (block)
                    ++wrong[t];
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(wrong[t], 0) << "thread " << t;
}

TEST(LxAllocSystem, LargestFreeAddressRangeIsLarge)
{
    // A 64-bit process has terabytes of unmapped address space.
    EXPECT_GT(CLxAlloc::GetLargestVirtualContiguousBlock(), size_t(1) << 32);
}

TEST(LxAllocSystem, FixedAnswers)
{
    EXPECT_NE(CLxAlloc::CheckAllMemory(), 0);
    EXPECT_FALSE(CLxAlloc::IsBadPtr(nullptr, 10));
    EXPECT_EQ(CLxAlloc::CheckLeakBegin(), 0);
    EXPECT_EQ(CLxAlloc::CheckLeakEnd(), 0);
    EXPECT_FALSE(LX_IsDebug());
    EXPECT_EQ(CLxAlloc::pMemoryStats, nullptr);
    EXPECT_EQ(CLxAlloc::uiMemoryStats, 0u);
    CLxAlloc::Compact();
}

} // namespace
