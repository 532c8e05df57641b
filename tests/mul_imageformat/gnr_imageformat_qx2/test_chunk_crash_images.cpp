// Files left by a writer that stopped: one finished file of 20 chunks (one
// name written twice) cut at every kind of place, with and without the
// 40 MB zero tail a writer leaves after EnsureFileSize. Each reopens with
// every chunk that was complete before the cut.
#include <gtest/gtest.h>

#include <sys/file.h>

#include <vector>

#include "chunk_store.h"

using namespace chunktest;

namespace
{

constexpr uint64_t kTail = 40000000;

struct SWritten {
    std::string name; // with '!'
    std::string data;
    uint64_t offset;
};

// The finished file and where each chunk went.
struct SImage {
    std::string bytes;
    std::vector<SWritten> chunks;
    uint64_t mapOffset = 0;
};

const SImage& FinishedImage()
{
    static const SImage image = [] {
        SImage made;
        const uint32_t sizes[20] = {0,   1,  100,  4077, 4078, 5000,  9000, 20000, 3,    50,
                                    700, 12, 4096, 300,  8191, 70000, 7,    2,     1000, 33};
        ChunkStore store(eOnFile);
        CLxFileChunker writer;
        EXPECT_EQ(store.OpenWrite(writer), 0);
        uint64_t offset = 4096;
        for (uint32_t i = 0; i < 20; ++i) {
            // Chunk 13 rewrites the name of chunk 4.
            const std::string name = "Chunk|" + std::to_string(i == 13 ? 4 : i) + "!";
            SWritten chunk{name, Pattern(sizes[i], i + 1), offset};
            EXPECT_EQ(writer.WriteChunk(name.c_str(), chunk.data.data(), sizes[i]), 0);
            offset += (16 + name.size() + sizes[i] + 4095) / 4096 * 4096;
            made.chunks.push_back(chunk);
        }
        EXPECT_EQ(writer.Finalize(), 0);
        made.mapOffset = offset;
        made.bytes = ReadFileBytes(store.Path());
        return made;
    }();
    return image;
}

enum ECut { eAfterChunk, eInHeader, eInName, eInData, eInPadding, eInMap, eInEndRecord };

const char* CutName(ECut cut)
{
    static const char* names[] = {"AfterChunk", "InHeader", "InName",     "InData",
                                  "InPadding",  "InMap",    "InEndRecord"};
    return names[cut];
}

// Chunk 9 ("Chunk|9!", 50 bytes) for the cuts around a header and padding;
// chunk 7 (20000 bytes) for the data cut: no later chunk rewrites its name.
uint64_t CutAt(const SImage& image, ECut cut)
{
    const SWritten& c9 = image.chunks[9];
    const SWritten& c7 = image.chunks[7];
    switch (cut) {
    case eAfterChunk:
        return c9.offset;
    case eInHeader:
        return c9.offset + 9;
    case eInName:
        return c9.offset + 16 + 3;
    case eInData:
        return c7.offset + 16 + c7.name.size() + c7.data.size() / 2;
    case eInPadding:
        return c9.offset + 16 + c9.name.size() + c9.data.size() + 1000;
    case eInMap:
        return image.mapOffset + 100;
    case eInEndRecord:
        return image.bytes.size() - 20;
    }
    return 0;
}

// What a reader must find: the last complete version of each name; with a
// zero tail a chunk cut inside its data reads at full length with zeros.
std::map<std::string, std::string> Expected(const SImage& image, uint64_t cut, bool tail)
{
    std::map<std::string, std::string> expected;
    for (const SWritten& chunk : image.chunks) {
        const uint64_t dataStart = chunk.offset + 16 + chunk.name.size();
        const uint64_t end = dataStart + chunk.data.size();
        if (end <= cut)
            expected[chunk.name] = chunk.data;
        else if (tail && dataStart <= cut)
            expected[chunk.name] =
                chunk.data.substr(0, cut - dataStart) + std::string(end - cut, '\0');
    }
    return expected;
}

enum EAccess { eWritable, eReadOnly, eLockedByOther };

const char* AccessName(EAccess access)
{
    static const char* names[] = {"Writable", "ReadOnly", "LockedByOther"};
    return names[access];
}

class CrashImage : public ::testing::TestWithParam<std::tuple<ECut, bool, EAccess>>
{
};

TEST_P(CrashImage, ReopensWithEveryCompleteChunk)
{
    const ECut cut = std::get<0>(GetParam());
    const bool tail = std::get<1>(GetParam());
    const EAccess access = std::get<2>(GetParam());
    const SImage& image = FinishedImage();
    ASSERT_EQ(image.chunks.size(), 20u);
    const uint64_t at = CutAt(image, cut);
    const auto expected = Expected(image, at, tail);

    ChunkStore store(eOnFile);
    WriteFileBytes(store.Path(), image.bytes.substr(0, at));
    if (tail) {
        ASSERT_EQ(truncate(store.Path().c_str(), off_t(at + kTail)), 0);
    }
    int holder = -1;
    if (access == eReadOnly) {
        ASSERT_EQ(chmod(store.Path().c_str(), 0444), 0);
    }
    if (access == eLockedByOther) {
        holder = open(store.Path().c_str(), O_RDWR | O_CLOEXEC);
        ASSERT_GE(holder, 0);
        ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    }
    const size_t hashBefore = FileHash(store.Path());

    CLxFileChunker reader;
    CLxStringA version;
    ASSERT_EQ(store.OpenRead(reader, &version), -13);
    EXPECT_STREQ(version, "Ver2.1");
    EXPECT_TRUE(reader.IsMapUnreadable());
    ASSERT_EQ(reader.CreateMissingChunkMap(nullptr, nullptr), 0);
    EXPECT_EQ(AllChunks(reader), expected);
    ASSERT_EQ(reader.Finalize(), 0);

    if (access != eWritable) {
        // Not one byte changes; the next reader rescans again.
        EXPECT_EQ(FileHash(store.Path()), hashBefore);
        CLxFileChunker again;
        EXPECT_EQ(store.OpenRead(again), -13);
        if (holder >= 0)
            close(holder);
        return;
    }
    ExpectIndependentCheckPasses(store.Path());
    const size_t hashRepaired = FileHash(store.Path());
    CLxFileChunker again;
    ASSERT_EQ(store.OpenRead(again), 0);
    EXPECT_EQ(AllChunks(again), expected);
    ASSERT_EQ(again.Finalize(), 0);
    EXPECT_EQ(FileHash(store.Path()), hashRepaired);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CrashImage,
    ::testing::Combine(::testing::Values(eAfterChunk, eInHeader, eInName, eInData, eInPadding,
                                         eInMap, eInEndRecord),
                       ::testing::Bool(), ::testing::Values(eWritable, eReadOnly, eLockedByOther)),
    [](const ::testing::TestParamInfo<std::tuple<ECut, bool, EAccess>>& info) {
        return std::string(CutName(std::get<0>(info.param))) +
               (std::get<1>(info.param) ? "_ZeroTail_" : "_") + AccessName(std::get<2>(info.param));
    });

// The data cut must leave the rewritten name's later version alone, or the
// table would not tell "last complete wins" from "first wins".
TEST(CrashImageTable, CutsFallWhereTheirNamesSay)
{
    const SImage& image = FinishedImage();
    const auto all = Expected(image, image.bytes.size(), false);
    EXPECT_EQ(all.size(), 19u);
    EXPECT_EQ(all.at("Chunk|4!"), image.chunks[13].data);
    EXPECT_LT(CutAt(image, eInData), image.chunks[13].offset);
    const auto cutInData = Expected(image, CutAt(image, eInData), true);
    EXPECT_EQ(cutInData.at("Chunk|4!"), image.chunks[4].data) << "the first version still wins";
    EXPECT_EQ(cutInData.at("Chunk|7!").size(), 20000u);
    EXPECT_EQ(Expected(image, CutAt(image, eInHeader), true).count("Chunk|9!"), 0u);
    EXPECT_EQ(Expected(image, CutAt(image, eInPadding), false).count("Chunk|9!"), 1u);
}

} // namespace
