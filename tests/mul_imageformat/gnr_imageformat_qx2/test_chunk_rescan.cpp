// The rescan's callback: told of every chunk during the walk, then asked for
// the "##ADD_NEW_CHUNKS##%i" series, whose chunks are written in place or,
// when the file may not change, held in memory and served as if written.
#include <gtest/gtest.h>

#include <vector>

#include "chunk_store.h"

using namespace chunktest;

namespace
{

struct SRescanLog {
    std::vector<std::string> walked;
    std::vector<std::string> asked;
};

int Callback(const uint8_t* header, CLxStringA& name, CLxByteArray& data, void* context)
{
    auto* log = static_cast<SRescanLog*>(context);
    if (header) {
        EXPECT_EQ(GetLE32(std::string(reinterpret_cast<const char*>(header), 16), 0), 0x0ABECEDA);
        log->walked.push_back(std::string(name));
        return -5; // ignored during the walk
    }
    log->asked.push_back(std::string(name));
    EXPECT_EQ(data.GetSize(), 0u);
    switch (log->asked.size()) {
    case 1:
        name = "Added0";
        data.SetData("zero", 4, eLxByteArrayOpFromStart, eLxByteArrayAllocExact);
        return 0;
    case 2:
        name = "Skipped";
        return 1;
    case 3:
        name = "A!"; // replaces the walked chunk
        return 0;
    default:
        return -8;
    }
}

enum EPlace { eWritableFile, eReadOnlyFile, eMemory };

class RescanCallback : public ::testing::TestWithParam<EPlace>
{
};

TEST_P(RescanCallback, WalksEveryChunkThenAddsTheSeries)
{
    const EPlace place = GetParam();
    ChunkStore store(place == eMemory ? eInMemory : eOnFile);
    {
        CLxFileChunker writer;
        ASSERT_EQ(store.OpenWrite(writer), 0);
        ASSERT_EQ(writer.WriteChunk("A", "a", 1), 0);
        ASSERT_EQ(writer.WriteChunk("B", "bb", 2), 0);
    }
    if (place == eReadOnlyFile) {
        ASSERT_EQ(chmod(store.Path().c_str(), 0444), 0);
    }
    const std::string before = store.Contents();

    SRescanLog log;
    CLxFileChunker reader;
    ASSERT_EQ(store.OpenRead(reader), -13);
    ASSERT_EQ(reader.CreateMissingChunkMap(Callback, &log), 0);
    EXPECT_EQ(log.walked,
              (std::vector<std::string>{"QX2 FILE SIGNATURE CHUNK NAME01!", "A!", "B!"}));
    EXPECT_EQ(log.asked, (std::vector<std::string>{"##ADD_NEW_CHUNKS##0", "##ADD_NEW_CHUNKS##1",
                                                   "##ADD_NEW_CHUNKS##2", "##ADD_NEW_CHUNKS##3"}));
    const std::map<std::string, std::string> expected{
        {"A!", ""}, {"Added0!", "zero"}, {"B!", "bb"}};
    EXPECT_EQ(AllChunks(reader), expected);

    CLxFileChunker again;
    if (place == eWritableFile) {
        ASSERT_EQ(store.OpenRead(again), 0);
        EXPECT_EQ(AllChunks(again), expected);
        ExpectIndependentCheckPasses(store.Path());
    } else {
        EXPECT_EQ(store.Contents(), before) << "not one byte changes";
        EXPECT_EQ(store.OpenRead(again), -13);
    }
}

std::string PlaceName(const ::testing::TestParamInfo<EPlace>& info)
{
    static const char* names[] = {"WritableFile", "ReadOnlyFile", "Memory"};
    return names[info.param];
}

INSTANTIATE_TEST_SUITE_P(Places, RescanCallback,
                         ::testing::Values(eWritableFile, eReadOnlyFile, eMemory), PlaceName);

int AddBadName(const uint8_t* header, CLxStringA& name, CLxByteArray&, void* context)
{
    if (header)
        return 0;
    int& calls = *static_cast<int*>(context);
    if (calls++)
        return -8;
    name = "bad!name";
    return 0;
}

TEST(RescanCallback, ABadNameFromTheCallbackIsRefused)
{
    for (ETarget target : {eOnFile, eInMemory}) {
        ChunkStore store(target);
        {
            CLxFileChunker writer;
            ASSERT_EQ(store.OpenWrite(writer), 0);
            ASSERT_EQ(writer.WriteChunk("A", "a", 1), 0);
        }
        CLxFileChunker reader;
        ASSERT_EQ(store.OpenRead(reader), -13);
        int calls = 0;
        EXPECT_EQ(reader.CreateMissingChunkMap(AddBadName, &calls), -4) << TargetName(target);
        CLxByteArray data;
        EXPECT_EQ(reader.GetChunk("A", data), 0) << "the walked chunks stay readable";
    }
}

} // namespace

namespace
{

// 256 KiB of magic numbers with nothing valid behind them: each is a
// damaged header, and the walk passes them in one sweep, not one read each,
// to find the chunk behind them.
TEST(RescanWalk, ARunOfDamagedHeadersIsPassedInOneSweep)
{
    std::string file;
    {
        CLxByteArray block;
        CLxFileChunker writer;
        CLxStringA version("Ver2.1");
        ASSERT_EQ(writer.OpenMemory(&block, false, false, version), 0);
        ASSERT_EQ(writer.WriteChunk("A", "a", 1), 0);
        file = Bytes(block);
    }
    std::string magics;
    for (int i = 0; i < (1 << 16); ++i)
        magics += "\xda\xce\xbe\x0a";
    CLxByteArray tailBlock;
    {
        CLxFileChunker writer;
        CLxStringA version("Ver2.1");
        ASSERT_EQ(writer.OpenMemory(&tailBlock, false, false, version), 0);
        ASSERT_EQ(writer.WriteChunk("B", "b", 1), 0);
    }
    file += magics + Bytes(tailBlock).substr(4096);
    for (ETarget target : {eOnFile, eInMemory}) {
        ChunkStore store(target);
        store.SetContents(file);
        CLxFileChunker reader;
        ASSERT_EQ(store.OpenRead(reader), -13);
        ASSERT_EQ(reader.CreateMissingChunkMap(nullptr, nullptr), 0);
        EXPECT_EQ(AllChunks(reader), (std::map<std::string, std::string>{{"A!", "a"}, {"B!", "b"}}))
            << TargetName(target);
    }
}

} // namespace
