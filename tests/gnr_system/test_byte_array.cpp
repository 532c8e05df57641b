#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "gnr_system/LxByteArray.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

constexpr uint8_t kOld = 'o'; // bytes already in the array

// 0, 1, 2, ... so a shifted or cut copy shows.
std::vector<uint8_t> pattern(size_t n)
{
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i)
        bytes[i] = uint8_t(i + 1);
    return bytes;
}

// An array with exactly `capacity` bytes of storage, all kOld, `size` in use.
template <class Array> void prepare(Array& array, uint32_t capacity, uint32_t size)
{
    if (capacity > 0) {
        ASSERT_EQ(array.SetData(nullptr, capacity, eLxByteArrayOpFromStart, eLxByteArrayAllocExact),
                  0);
        memset(array.GetData(0u), kOld, capacity);
    }
    array.SetSize(size);
    ASSERT_EQ(array.GetAllocated(), capacity);
    ASSERT_EQ(array.GetSize(), size);
}

template <class Array> class LxByteArrayTyped : public ::testing::Test
{
};

using ByteArrayTypes = ::testing::Types<CLxByteArray, CLxByteArrayW32>;
TYPED_TEST_SUITE(LxByteArrayTyped, ByteArrayTypes);

struct SetDataCase {
    const char* name;
    uint32_t increment;
    uint32_t capacity; // before
    uint32_t size;     // before
    int op;
    int alloc;
    uint32_t n;
    int status;
    uint32_t sizeAfter;
    uint32_t capacityAfter;
};

const SetDataCase kSetDataCases[] = {
    // name, increment, capacity, size, op, alloc, n -> status, size, capacity
    {"append grows by whole increments", 4, 0, 0, 1, 2, 10, 0, 10, 12},
    {"append grows by one more increment", 4, 12, 10, 1, 2, 3, 0, 13, 16},
    {"exact multiple still adds one increment", 4, 0, 0, 1, 2, 8, 0, 8, 12},
    {"increment mode fits without growth", 4, 16, 4, 1, 2, 4, 0, 8, 16},
    {"from start grows by increments", 4, 8, 8, 0, 2, 10, 0, 10, 12},
    {"append grows exactly", 1024, 8, 5, 1, 0, 10, 0, 15, 15},
    {"from start grows exactly", 1024, 0, 0, 0, 0, 10, 0, 10, 10},
    {"from start shortens", 1024, 16, 10, 0, 0, 4, 0, 4, 16},
    {"from start of nothing keeps the size", 1024, 8, 5, 0, 0, 0, 0, 5, 8},
    {"append never grows: cut", 1024, 8, 5, 1, 1, 10, -8, 8, 8},
    {"append never grows: full", 1024, 8, 8, 1, 1, 1, -9, 8, 8},
    {"append of nothing", 1024, 8, 3, 1, 1, 0, 0, 3, 8},
    {"from start never grows: cut", 1024, 8, 0, 0, 1, 10, -8, 8, 8},
    {"never grows without storage", 1024, 0, 0, 0, 1, 10, -9, 0, 0},
    {"unknown op writes from start", 1024, 16, 10, 7, 0, 3, 0, 3, 16},
    {"unknown alloc grows exactly", 4, 0, 0, 1, 9, 5, 0, 5, 5},
};

TYPED_TEST(LxByteArrayTyped, SetDataGrowthAndStatus)
{
    for (const SetDataCase& c : kSetDataCases) {
        SCOPED_TRACE(c.name);
        TypeParam array(c.increment);
        prepare(array, c.capacity, c.size);
        const std::vector<uint8_t> src = pattern(c.n);

        EXPECT_EQ(array.SetData(src.data(), c.n, ELxByteArrayModeOp(c.op),
                                ELxByteArrayModeAlloc(c.alloc)),
                  c.status);
        EXPECT_EQ(array.GetSize(), c.sizeAfter);
        EXPECT_EQ(array.GetAllocated(), c.capacityAfter);

        const uint32_t base = c.op == 1 ? c.size : 0;
        const uint8_t* data = array.GetData();
        for (uint32_t i = 0; i < base; ++i)
            ASSERT_EQ(data[i], kOld) << "byte " << i;
        for (uint32_t i = base; i < c.sizeAfter && c.n > 0; ++i)
            ASSERT_EQ(data[i], src[i - base]) << "byte " << i;
    }
}

TYPED_TEST(LxByteArrayTyped, AppendSequenceFromTheEdgeCases)
{
    TypeParam array(4);
    const std::vector<uint8_t> src = pattern(13);
    EXPECT_EQ(array.SetData(src.data(), 10, eLxByteArrayOpAppend, eLxByteArrayAllocIncrement), 0);
    EXPECT_EQ(array.SetData(src.data() + 10, 3, eLxByteArrayOpAppend, eLxByteArrayAllocIncrement),
              0);
    EXPECT_EQ(array.GetSize(), 13u);
    EXPECT_EQ(array.GetAllocated(), 16u);
    EXPECT_EQ(memcmp(array.GetData(), src.data(), 13), 0);
}

TYPED_TEST(LxByteArrayTyped, ReservationThenWriteAndSetSize)
{
    TypeParam array;
    EXPECT_EQ(array.SetData(nullptr, 100, eLxByteArrayOpAppend, eLxByteArrayAllocExact), 0);
    EXPECT_EQ(array.GetSize(), 0u);
    EXPECT_EQ(array.GetAllocated(), 100u);

    uint8_t* storage = array.GetData(50);
    ASSERT_NE(storage, nullptr);
    EXPECT_EQ(array.GetSize(), 50u);
    memset(storage, 7, 50);

    array.GetData(101u); // past the capacity: size unchanged
    EXPECT_EQ(array.GetSize(), 50u);
    array.GetData(0u);
    EXPECT_EQ(array.GetSize(), 50u);
    array.SetSize(101);
    EXPECT_EQ(array.GetSize(), 50u);
    array.SetSize(100);
    EXPECT_EQ(array.GetSize(), 100u);
}

TYPED_TEST(LxByteArrayTyped, CapacityPast32BitsIsRefusedNotWrapped)
{
    // 2 x 0x80000000 wraps to 0 in 32 bits; it must not shrink the storage.
    TypeParam huge(0x80000000u);
    EXPECT_EQ(huge.SetData(nullptr, 0x80000001u, eLxByteArrayOpAppend, eLxByteArrayAllocIncrement),
              -3);
    EXPECT_EQ(huge.GetAllocated(), 0u);

    // Used size + n wraps to 4: growth refused and nothing of the source read.
    TypeParam full;
    const std::vector<uint8_t> src = pattern(5);
    ASSERT_EQ(full.SetData(src.data(), 5, eLxByteArrayOpFromStart, eLxByteArrayAllocExact), 0);
    EXPECT_EQ(full.SetData(nullptr, UINT32_MAX, eLxByteArrayOpAppend, eLxByteArrayAllocExact), -3);
    EXPECT_EQ(full.SetData(src.data(), UINT32_MAX, eLxByteArrayOpAppend, eLxByteArrayAllocExact),
              -9);
    EXPECT_EQ(full.GetSize(), 5u);
    EXPECT_EQ(full.GetAllocated(), 5u);
}

TYPED_TEST(LxByteArrayTyped, AppendingItsOwnBytesSurvivesTheMove)
{
    const std::vector<uint8_t> src = pattern(64);
    TypeParam array(src.data(), 64, 1);
    // The source is the storage that the growth reallocates.
    EXPECT_EQ(array.SetData(array.GetData(), 64, eLxByteArrayOpAppend, eLxByteArrayAllocExact), 0);
    ASSERT_EQ(array.GetSize(), 128u);
    EXPECT_EQ(memcmp(array.GetData(), src.data(), 64), 0);
    EXPECT_EQ(memcmp(array.GetData() + 64, src.data(), 64), 0);

    // Overlapping write inside the storage.
    EXPECT_EQ(
        array.SetData(array.GetData() + 1, 10, eLxByteArrayOpFromStart, eLxByteArrayAllocExact), 0);
    EXPECT_EQ(memcmp(array.GetData(), src.data() + 1, 10), 0);
}

TYPED_TEST(LxByteArrayTyped, ConstructorsAndIncrement)
{
    TypeParam plain;
    EXPECT_EQ(plain.GetIncrement(), 1024u);
    EXPECT_EQ(plain.GetData(), nullptr);
    EXPECT_EQ(plain.GetSize(), 0u);
    EXPECT_EQ(plain.GetAllocated(), 0u);

    TypeParam zeroStep(0u);
    EXPECT_EQ(zeroStep.GetIncrement(), 1u);
    zeroStep.SetIncrement(16);
    EXPECT_EQ(zeroStep.GetIncrement(), 16u);
    zeroStep.SetIncrement(0);
    EXPECT_EQ(zeroStep.GetIncrement(), 1u);

    const std::vector<uint8_t> src = pattern(20);
    TypeParam filled(src.data(), 20, 8);
    EXPECT_EQ(filled.GetIncrement(), 8u);
    EXPECT_EQ(filled.GetSize(), 20u);
    EXPECT_EQ(filled.GetAllocated(), 20u);
    EXPECT_EQ(memcmp(filled.GetData(), src.data(), 20), 0);
}

TYPED_TEST(LxByteArrayTyped, FreeDataKeepsOnlyTheIncrement)
{
    const std::vector<uint8_t> src = pattern(20);
    TypeParam array(src.data(), 20, 8);
    ASSERT_EQ(array.SetCurrentOffset(5), 0);
    array.FreeData();
    EXPECT_EQ(array.GetData(), nullptr);
    EXPECT_EQ(array.GetSize(), 0u);
    EXPECT_EQ(array.GetAllocated(), 0u);
    EXPECT_EQ(array.GetCurrentOffset(), 0u);
    EXPECT_EQ(array.GetIncrement(), 8u);
}

TYPED_TEST(LxByteArrayTyped, CurrentOffset)
{
    TypeParam array;
    ASSERT_EQ(array.SetData(nullptr, 10, eLxByteArrayOpAppend, eLxByteArrayAllocExact), 0);
    EXPECT_EQ(array.SetCurrentOffset(11), -4);
    EXPECT_EQ(array.GetCurrentOffset(), 0u);
    EXPECT_EQ(array.SetCurrentOffset(10), 0); // the end is a valid position
    EXPECT_EQ(array.GetCurrentOffset(), 10u);
    EXPECT_EQ(array.SetCurrentOffset(3), 0);
    EXPECT_EQ(array.GetCurrentOffsetPtr(), array.GetData() + 3);
}

TYPED_TEST(LxByteArrayTyped, CurrentOffsetPointer)
{
    TypeParam empty;
    uint8_t outside = 0;
    EXPECT_EQ(empty.SetCurrentOffsetPtr(&outside), -4); // no storage
    EXPECT_EQ(empty.GetCurrentOffsetPtr(), nullptr);

    TypeParam array;
    ASSERT_EQ(array.SetData(nullptr, 10, eLxByteArrayOpAppend, eLxByteArrayAllocExact), 0);
    const uintptr_t data = reinterpret_cast<uintptr_t>(array.GetData());
    const struct {
        uintptr_t address;
        int status;
    } cases[] = {
        {0, -4},
        {data - 1, -4},
        {data, 0},
        {data + 7, 0},
        {data + 10, 0},
        {data + 11, -4},
        // 2^32 + 1 past the data: must not wrap to offset 1.
        {data + (uintptr_t(1) << 32) + 1, -4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address - data);
        ASSERT_EQ(array.SetCurrentOffset(2), 0);
        EXPECT_EQ(array.SetCurrentOffsetPtr(reinterpret_cast<const void*>(c.address)), c.status);
        const uintptr_t expected = c.status == 0 ? c.address : data + 2;
        EXPECT_EQ(reinterpret_cast<uintptr_t>(array.GetCurrentOffsetPtr()), expected);
    }
}

TYPED_TEST(LxByteArrayTyped, Equality)
{
    const std::vector<uint8_t> src = pattern(8);
    std::vector<uint8_t> changed = src;
    changed[7] ^= 0xFF;
    TypeParam a(src.data(), 8, 1);
    TypeParam same(src.data(), 8, 64);
    TypeParam different(changed.data(), 8, 1);
    TypeParam prefix(src.data(), 7, 1);
    TypeParam empty1, empty2;
    TypeParam reservedButEmpty;
    ASSERT_EQ(reservedButEmpty.SetData(nullptr, 32, eLxByteArrayOpAppend, eLxByteArrayAllocExact),
              0);
    TypeParam roomier(src.data(), 8, 1);
    ASSERT_EQ(roomier.SetData(nullptr, 100, eLxByteArrayOpAppend, eLxByteArrayAllocExact), 0);

    EXPECT_TRUE(a == same);
    EXPECT_TRUE(a == roomier); // capacity does not count
    EXPECT_TRUE(a != different);
    EXPECT_TRUE(a != prefix);
    EXPECT_TRUE(empty1 == empty2);
    EXPECT_TRUE(empty1 == reservedButEmpty);
    EXPECT_TRUE(a != empty1);
}

TYPED_TEST(LxByteArrayTyped, CopyIsIndependent)
{
    const std::vector<uint8_t> src = pattern(12);
    TypeParam original(src.data(), 12, 8);
    ASSERT_EQ(original.SetData(nullptr, 40, eLxByteArrayOpAppend, eLxByteArrayAllocExact), 0);

    TypeParam copy(original);
    EXPECT_TRUE(copy == original);
    EXPECT_EQ(copy.GetIncrement(), 8u);
    EXPECT_EQ(copy.GetAllocated(), 12u); // exact: only the used bytes
    EXPECT_NE(copy.GetData(), original.GetData());

    copy.GetData(0u)[0] = 0xEE;
    ASSERT_EQ(copy.SetData(src.data(), 5, eLxByteArrayOpAppend, eLxByteArrayAllocExact), 0);
    EXPECT_EQ(original.GetSize(), 12u);
    EXPECT_EQ(memcmp(original.GetData(), src.data(), 12), 0);
}

TYPED_TEST(LxByteArrayTyped, AssignmentIsIndependentAndKeepsTheIncrement)
{
    const std::vector<uint8_t> src = pattern(30);
    TypeParam source(src.data(), 12, 8);
    TypeParam target(src.data(), 30, 3);
    ASSERT_EQ(target.SetCurrentOffset(20), 0);

    target = source;
    EXPECT_TRUE(target == source);
    EXPECT_EQ(target.GetIncrement(), 3u);
    EXPECT_EQ(target.GetAllocated(), 12u);
    EXPECT_EQ(target.GetCurrentOffset(), 0u);

    target.GetData(0u)[0] = 0xEE;
    EXPECT_EQ(source.GetData()[0], src[0]);

    TypeParam emptySource;
    target = emptySource;
    EXPECT_EQ(target.GetSize(), 0u);
    EXPECT_EQ(target.GetData(), nullptr);
}

TYPED_TEST(LxByteArrayTyped, SelfAssignmentKeepsTheBytes)
{
    const std::vector<uint8_t> src = pattern(9);
    TypeParam array(src.data(), 9, 1);
    TypeParam& alias = array;
    array = alias;
    ASSERT_EQ(array.GetSize(), 9u);
    EXPECT_EQ(memcmp(array.GetData(), src.data(), 9), 0);
}

TEST(LxByteArrayStorage, PrivateHeapAndCRuntimeHeap)
{
    const std::vector<uint8_t> src = pattern(24);
    CLxByteArray onHeap(src.data(), 24, 1);
    EXPECT_TRUE(CLxAlloc::Valid(onHeap.GetData()));
    EXPECT_EQ(CLxAlloc::Size(onHeap.GetData()), 24u);
    // The C runtime twin's storage is released with free(); the sanitizer
    // build reports a mismatch or leak if the two are mixed up.
    CLxByteArrayW32 onCrt(src.data(), 24, 1);
    EXPECT_EQ(onCrt.SetData(src.data(), 24, eLxByteArrayOpAppend, eLxByteArrayAllocIncrement), 0);
}

} // namespace
