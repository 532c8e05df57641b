#include <gtest/gtest.h>

#include <sys/file.h>

#include <cstring>

#include "chunk_test_support.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxFileMemoWrapper.h"
#include "w32_system/debugging/LxDiag.h"

using namespace chunktest;

namespace
{

class QuietAssertions : public ::testing::Test
{
  protected:
    void SetUp() override { m_previous = LX_SetFailifOptions(LX_DIAG_DEBUGOUT); }
    void TearDown() override { LX_SetFailifOptions(unsigned(m_previous)); }
    int m_previous = 0;
};

struct SMemorySeekCase {
    uint64_t start;
    int origin;
    int64_t distance;
    int expected;
    uint64_t position; // after the call (the start when it fails)
};

class MemorySeek : public QuietAssertions, public ::testing::WithParamInterface<SMemorySeekCase>
{
};

TEST_P(MemorySeek, TakesSignedDistancesWithinTheBlock)
{
    const SMemorySeekCase& c = GetParam();
    CLxByteArray block(std::string(100, 'm').data(), 100, 16);
    CLxFileMemoWrapper memory;
    ASSERT_EQ(memory.OpenMemory(&block, true), 0);
    ASSERT_EQ(memory.SeekFile(int64_t(c.start), 0), 0);
    EXPECT_EQ(memory.SeekFile(c.distance, c.origin), c.expected);
    uint64_t position = 0;
    ASSERT_EQ(memory.GetPosition(&position), 0);
    EXPECT_EQ(position, c.position);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MemorySeek,
    ::testing::Values(SMemorySeekCase{50, 0, 0, 0, 0}, SMemorySeekCase{0, 0, 100, 0, 100},
                      SMemorySeekCase{7, 0, 101, -9, 7}, SMemorySeekCase{7, 0, -1, -9, 7},
                      SMemorySeekCase{7, 0, 0x100000000ll, -4, 7},
                      SMemorySeekCase{50, 1, -16, 0, 34}, SMemorySeekCase{50, 1, 50, 0, 100},
                      SMemorySeekCase{50, 1, -51, -9, 50}, SMemorySeekCase{50, 1, 51, -9, 50},
                      SMemorySeekCase{50, 1, 0xffffffffll, -4, 50},
                      SMemorySeekCase{50, 1, INT64_MIN, -9, 50},
                      SMemorySeekCase{50, 1, INT64_MAX, -4, 50}, SMemorySeekCase{0, 2, -40, 0, 60},
                      SMemorySeekCase{0, 2, 0, 0, 100}, SMemorySeekCase{0, 2, -100, 0, 0},
                      SMemorySeekCase{0, 2, 1, -9, 0}, SMemorySeekCase{0, 2, -101, -9, 0},
                      SMemorySeekCase{0, 2, INT64_MIN, -9, 0}, SMemorySeekCase{3, 3, 0, -9, 3}));

TEST_F(QuietAssertions, MemoryReadsStopAtTheEndOfTheBlock)
{
    CLxByteArray block("0123456789", 10, 16);
    CLxFileMemoWrapper memory;
    ASSERT_EQ(memory.OpenMemory(&block, true), 0);
    char buffer[8];
    uint32_t got = 99;
    ASSERT_EQ(memory.SeekFile(7, 0), 0);
    EXPECT_EQ(memory.Read(buffer, 8, &got), 0);
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(std::string(buffer, 3), "789");
    EXPECT_EQ(memory.Read(buffer, 8, &got), 0);
    EXPECT_EQ(got, 0u);

    EXPECT_EQ(memory.Read(nullptr, 8, &got), -4);
    EXPECT_EQ(memory.Read(buffer, 0, &got), -4);
    EXPECT_EQ(memory.Read(buffer, 8, nullptr), -4);
    EXPECT_EQ(memory.Write("x", 1, nullptr), -9) << "read-only block";
    EXPECT_EQ(memory.Write(nullptr, 0, nullptr), 0);
}

TEST_F(QuietAssertions, MemoryWritesGrowTheBlockAndOverwriteInside)
{
    CLxByteArray block;
    CLxFileMemoWrapper memory;
    ASSERT_EQ(memory.OpenMemory(&block, false), 0);
    uint32_t written = 0;
    ASSERT_EQ(memory.Write("abcdef", 6, &written), 0);
    EXPECT_EQ(written, 6u);
    ASSERT_EQ(memory.SeekFile(-4, 1), 0);
    ASSERT_EQ(memory.Write("XY", 2, nullptr), 0);
    EXPECT_EQ(Bytes(block), "abXYef");
    EXPECT_EQ(memory.Write(nullptr, 1, nullptr), -4);
    ASSERT_EQ(memory.SeekFile(10, 0), -9) << "past the block";
    ASSERT_EQ(memory.SeekFile(0, 2), 0);
    ASSERT_EQ(memory.Write("g", 1, nullptr), 0);
    EXPECT_EQ(Bytes(block), "abXYefg");
    ASSERT_EQ(memory.SeekFile(2, 0), 0);
    ASSERT_EQ(memory.SetEndOfFile(), 0);
    EXPECT_EQ(Bytes(block), "ab");
}

TEST(FileMemoWrapper, CopiesShareTheFileAndTheLastHolderClosesIt)
{
    ScopedTempDir dir;
    const std::string path = (dir.path() / "f.bin").string();
    WriteFileBytes(path, "0123456789");
    CLxFileMemoWrapper first;
    ASSERT_EQ(first.OpenFile(U16(path.c_str()).c_str(), eLxFileMemoRead), 0);
    EXPECT_TRUE(first.IsReadOnly());
    char buffer[4];
    uint32_t got = 0;
    ASSERT_EQ(first.Read(buffer, 4, &got), 0);
    CLxFileMemoWrapper second(first);
    EXPECT_EQ(first.CloseFile(), 0);
    ASSERT_EQ(second.Read(buffer, 4, &got), 0) << "the copy keeps the file and the position";
    EXPECT_EQ(std::string(buffer, got), "4567");
    ASSERT_EQ(second.Read(buffer, 4, &got), 0);
    EXPECT_EQ(std::string(buffer, got), "89") << "a short read at the end is no error";
    EXPECT_EQ(second.Write("x", 1, nullptr), -9);
    EXPECT_EQ(second.SeekFile(-11, 2), -9);
    EXPECT_EQ(second.SeekFile(-10, 2), 0);
}

TEST(FileMemoWrapper, AHeldFileIsNeitherLockedNorEmptiedBySecondWriter)
{
    ScopedTempDir dir;
    const std::string path = (dir.path() / "held.bin").string();
    WriteFileBytes(path, "keep me");
    const std::u16string wide = U16(path.c_str());
    CLxFileMemoWrapper writer;
    ASSERT_EQ(writer.OpenFile(wide.c_str(), eLxFileMemoAppend), 0);
    for (ELxFileMemoOpen mode : {eLxFileMemoCreate, eLxFileMemoAppend, eLxFileMemoReadWrite}) {
        CLxFileMemoWrapper second;
        EXPECT_EQ(second.OpenFile(wide.c_str(), mode), -9) << mode;
    }
    EXPECT_EQ(ReadFileBytes(path), "keep me");
    CLxFileMemoWrapper reader;
    EXPECT_EQ(reader.OpenFile(wide.c_str(), eLxFileMemoRead), 0);
    EXPECT_EQ(writer.OpenFile(wide.c_str(), eLxFileMemoRead), -9) << "already open";

    writer.Unlock();
    CLxFileMemoWrapper next;
    EXPECT_EQ(next.OpenFile(wide.c_str(), eLxFileMemoCreate), 0);
    EXPECT_EQ(FileSize(path), 0u);
}

TEST(FileMemoWrapper, SetEndOfFileCutsAndExtendsSparse)
{
    ScopedTempDir dir;
    const std::string path = (dir.path() / "end.bin").string();
    CLxFileMemoWrapper file;
    ASSERT_EQ(file.OpenFile(U16(path.c_str()).c_str(), eLxFileMemoCreate), 0);
    ASSERT_EQ(file.Write("abcdef", 6, nullptr), 0);
    ASSERT_EQ(file.SeekFile(40960000, 0), 0);
    ASSERT_EQ(file.SetEndOfFile(), 0);
    uint64_t size = 0;
    ASSERT_EQ(file.GetSize(&size), 0);
    EXPECT_EQ(size, 40960000u);
    ASSERT_EQ(file.SeekFile(3, 0), 0);
    ASSERT_EQ(file.SetEndOfFile(), 0);
    EXPECT_EQ(ReadFileBytes(path), "abc");
    EXPECT_EQ(file.SeekFile(-1, 0), -9);
    EXPECT_EQ(file.SeekFile(0, 7), -9);
}

TEST(FileMemoWrapper, MissingFilesAndFoldersAreRefused)
{
    ScopedTempDir dir;
    CLxFileMemoWrapper file;
    EXPECT_EQ(file.OpenFile(dir.u16("missing.bin").c_str(), eLxFileMemoRead), -9);
    EXPECT_EQ(file.OpenFile(dir.u16().c_str(), eLxFileMemoRead), -9);
    EXPECT_EQ(file.OpenFile(nullptr, eLxFileMemoRead), -4);
    const std::string fifo = (dir.path() / "fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    EXPECT_EQ(file.OpenFile(U16(fifo.c_str()).c_str(), eLxFileMemoRead), -9) << "no wait";
    EXPECT_FALSE(file.IsOpen());
}

} // namespace
