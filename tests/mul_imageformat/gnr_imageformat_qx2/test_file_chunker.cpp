#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <csignal>
#include <cstring>
#include <vector>

#include "chunk_store.h"
#include "w32_system/debugging/LxDiag.h"

using namespace chunktest;

namespace
{

class ChunkerTest : public ::testing::TestWithParam<ETarget>
{
  protected:
    void SetUp() override { m_previous = LX_SetFailifOptions(LX_DIAG_DEBUGOUT); }
    void TearDown() override { LX_SetFailifOptions(unsigned(m_previous)); }
    int m_previous = 0;
};

std::string TargetLabel(const ::testing::TestParamInfo<ETarget>& info)
{
    return TargetName(info.param);
}

// The example of the layout: signature, "A!" with 10 bytes at 4096, the map
// at 8192 with one 18-byte entry: 12288 bytes.
TEST_P(ChunkerTest, WritesTheDocumentedLayout)
{
    ChunkStore store(GetParam());
    {
        CLxFileChunker chunker;
        ASSERT_EQ(store.OpenWrite(chunker), 0);
        ASSERT_EQ(chunker.WriteChunk("A", "0123456789", 10), 0);
        ASSERT_EQ(chunker.Finalize(), 0);
    }
    const std::string file = store.Contents();
    ASSERT_EQ(file.size(), 12288u);
    // Signature chunk.
    EXPECT_EQ(GetLE32(file, 0), 0x0ABECEDA);
    EXPECT_EQ(GetLE32(file, 4), 32);
    EXPECT_EQ(GetLE64(file, 8), 64u);
    EXPECT_EQ(file.substr(16, 32), "QX2 FILE SIGNATURE CHUNK NAME01!");
    EXPECT_EQ(file.substr(48, 64), std::string("Ver2.1") + std::string(58, '\0'));
    EXPECT_EQ(file.substr(112, 4096 - 112), std::string(4096 - 112, '\0'));
    // Chunk "A!".
    EXPECT_EQ(GetLE32(file, 4096), 0x0ABECEDA);
    EXPECT_EQ(GetLE32(file, 4100), 2);
    EXPECT_EQ(GetLE64(file, 4104), 10u);
    EXPECT_EQ(file.substr(4112, 12), "A!0123456789");
    EXPECT_EQ(file.substr(4124, 8192 - 4124), std::string(8192 - 4124, '\0'));
    // Map chunk.
    EXPECT_EQ(GetLE32(file, 8192), 0x0ABECEDA);
    EXPECT_EQ(GetLE32(file, 8196), 32);
    EXPECT_EQ(GetLE64(file, 8200), 4048u);
    EXPECT_EQ(file.substr(8208, 32), "QX2 FILEMAP SIGNATURE NAME 0001!");
    EXPECT_EQ(file.substr(8240, 2), "A!");
    EXPECT_EQ(GetLE64(file, 8242), 4096u);
    EXPECT_EQ(GetLE64(file, 8250), 10u);
    const std::string endRecord = file.substr(8258, 40);
    EXPECT_EQ(endRecord.substr(0, 32), "QX2 CHUNK MAP SIGNATURE 0000001!");
    EXPECT_EQ(GetLE64(endRecord, 32), 8192u);
    EXPECT_EQ(file.substr(8298, 3950), std::string(3950, '\0'));
    EXPECT_EQ(file.substr(12248), endRecord);
}

struct SLayoutCase {
    const char* label;
    std::vector<std::pair<const char*, uint32_t>> chunks; // name, data size
    uint64_t fileSize;
};

class LayoutSizes : public ::testing::TestWithParam<SLayoutCase>
{
};

TEST_P(LayoutSizes, FileSizeFollowsTheBlocks)
{
    const SLayoutCase& c = GetParam();
    ChunkStore store(eOnFile);
    {
        CLxFileChunker chunker;
        ASSERT_EQ(store.OpenWrite(chunker), 0);
        uint32_t seed = 0;
        for (const auto& chunk : c.chunks) {
            const std::string data = Pattern(chunk.second, ++seed);
            ASSERT_EQ(chunker.WriteChunk(chunk.first, data.data(), chunk.second), 0);
        }
        ASSERT_EQ(chunker.Finalize(), 0);
    }
    EXPECT_EQ(FileSize(store.Path()), c.fileSize);
    CLxFileChunker reader;
    ASSERT_EQ(store.OpenRead(reader), 0);
    uint32_t seed = 0;
    for (const auto& chunk : c.chunks) {
        CLxByteArray data;
        ASSERT_EQ(reader.GetChunk(chunk.first, data), 0);
        EXPECT_EQ(Bytes(data), Pattern(chunk.second, ++seed));
    }
    ExpectIndependentCheckPasses(store.Path());
}

INSTANTIATE_TEST_SUITE_P(
    Table, LayoutSizes,
    ::testing::Values(SLayoutCase{"EmptyMap", {}, 8192},
                      SLayoutCase{"ExactlyOneBlock", {{"AB!", 4096 - 16 - 3}}, 12288},
                      SLayoutCase{"OneByteOver", {{"AB!", 4097 - 16 - 3}}, 16384},
                      SLayoutCase{"EmptyData", {{"Z", 0}}, 12288}),
    [](const ::testing::TestParamInfo<SLayoutCase>& info) { return info.param.label; });

TEST_P(ChunkerTest, RoundTripsDataOfEverySize)
{
    ChunkStore store(GetParam());
    // Names of 4 bytes with the mark: "S0", "S1", "S2", "S3".
    const uint32_t sizes[] = {0, 1, 4096 - 16 - 4, (1u << 20) + 3};
    {
        CLxFileChunker chunker;
        ASSERT_EQ(store.OpenWrite(chunker, "Ver1.0"), 0);
        for (const uint32_t& size : sizes) {
            const std::string data = Pattern(size, size);
            const std::string chunkName = "S" + std::to_string(&size - sizes);
            ASSERT_EQ(chunker.WriteChunk(chunkName.c_str(), data.data(), size), 0);
        }
        ASSERT_EQ(chunker.WriteChunk2("Two", "abc", 3, "defg", 4), 0);
        CLxByteArray bytes("bytes", 5, 16);
        ASSERT_EQ(chunker.WriteChunkBytes("Bytes", bytes), 0);
        ASSERT_EQ(chunker.Finalize(), 0);
    }
    CLxFileChunker reader;
    CLxStringA version;
    ASSERT_EQ(store.OpenRead(reader, &version), 0);
    EXPECT_STREQ(version, "Ver1.0");
    for (const uint32_t& size : sizes) {
        CLxByteArray data;
        const std::string chunkName = "S" + std::to_string(&size - sizes);
        ASSERT_EQ(reader.GetChunk(chunkName.c_str(), data), 0) << size;
        EXPECT_EQ(Bytes(data), Pattern(size, size)) << size;
    }
    CLxByteArray data;
    ASSERT_EQ(reader.GetChunk("Two", data), 0);
    EXPECT_EQ(Bytes(data), "abcdefg");
    ASSERT_EQ(reader.GetChunk("Bytes!", data), 0);
    EXPECT_EQ(Bytes(data), "bytes");
    EXPECT_EQ(reader.GetChunk("Missing", data), -13);
    EXPECT_EQ(reader.GetChunkCount(), 6u);
    EXPECT_EQ(reader.WriteChunk("X", "x", 1), -9) << "a reader does not write";
}

TEST_P(ChunkerTest, NamesWithAndWithoutTheMarkAreOneChunk)
{
    ChunkStore store(GetParam());
    CLxFileChunker chunker;
    ASSERT_EQ(store.OpenWrite(chunker), 0);
    ASSERT_EQ(chunker.WriteChunk("Name", "1", 1), 0);
    ASSERT_EQ(chunker.WriteChunk("Name!", "2", 1), 0);
    EXPECT_EQ(chunker.GetChunkCount(), 1u);
    CLxByteArray data;
    ASSERT_EQ(chunker.GetChunk("Name", data), 0);
    EXPECT_EQ(Bytes(data), "2");
    CLxStringA first;
    ASSERT_EQ(chunker.GetNextChunkName(first, ""), 0);
    EXPECT_STREQ(first, "Name!");
}

TEST_P(ChunkerTest, TheSameNameTwiceGivesTheSecondDataAlsoAfterARescan)
{
    ChunkStore store(GetParam());
    {
        CLxFileChunker chunker;
        ASSERT_EQ(store.OpenWrite(chunker), 0);
        ASSERT_EQ(chunker.WriteChunk("Twice", "first", 5), 0);
        ASSERT_EQ(chunker.WriteChunk("Other", "o", 1), 0);
        ASSERT_EQ(chunker.WriteChunk("Twice", "second", 6), 0);
        CLxByteArray data;
        ASSERT_EQ(chunker.GetChunk("Twice", data), 0);
        EXPECT_EQ(Bytes(data), "second");
        // No Finalize: the file has no map.
    }
    CLxFileChunker reader;
    ASSERT_EQ(store.OpenRead(reader), -13);
    EXPECT_TRUE(reader.IsMapUnreadable());
    ASSERT_EQ(reader.CreateMissingChunkMap(nullptr, nullptr), 0);
    EXPECT_FALSE(reader.IsMapUnreadable());
    const auto chunks = AllChunks(reader);
    EXPECT_EQ(chunks, (std::map<std::string, std::string>{{"Other!", "o"}, {"Twice!", "second"}}));
}

TEST_P(ChunkerTest, NamesWalkInUnsignedByteOrder)
{
    ChunkStore store(GetParam());
    CLxFileChunker chunker;
    ASSERT_EQ(store.OpenWrite(chunker), 0);
    for (const char* name : {"ImageDataSeq|2", "ImageDataSeq|10", "ImageDataSeq|1", "\xe9t\xe9",
                             "Zeta", "ImageDataSeq|"})
        ASSERT_EQ(chunker.WriteChunk(name, "x", 1), 0);
    ASSERT_EQ(chunker.Finalize(), 0);
    CLxFileChunker reader;
    ASSERT_EQ(store.OpenRead(reader), 0);
    std::vector<std::string> names;
    CLxStringA name;
    int rc = reader.GetNextChunkName(name, nullptr);
    while (rc == 0) {
        names.push_back(std::string(name));
        CLxStringA next;
        rc = reader.GetNextChunkName(next, name);
        name = next;
    }
    EXPECT_EQ(rc, -13);
    EXPECT_EQ(names,
              (std::vector<std::string>{"ImageDataSeq|!", "ImageDataSeq|1!", "ImageDataSeq|10!",
                                        "ImageDataSeq|2!", "Zeta!", "\xe9t\xe9!"}));
    CLxStringA out;
    EXPECT_EQ(reader.GetNextChunkName(out, "NotThere"), -13);
}

TEST_P(ChunkerTest, EmptyMapAnswersNotFound)
{
    ChunkStore store(GetParam());
    CLxFileChunker chunker;
    ASSERT_EQ(store.OpenWrite(chunker), 0);
    CLxStringA name;
    EXPECT_EQ(chunker.GetNextChunkName(name, nullptr), -13);
    CLxByteArray data;
    EXPECT_EQ(chunker.GetChunk("A", data), -13);
}

TEST_P(ChunkerTest, NamesAreCheckedBeforeWriting)
{
    ChunkStore store(GetParam());
    CLxFileChunker chunker;
    ASSERT_EQ(store.OpenWrite(chunker), 0);
    const std::string longest(510, 'n');
    EXPECT_EQ(chunker.WriteChunk(longest.c_str(), "x", 1), 0) << "511 bytes with the mark";
    EXPECT_EQ(chunker.WriteChunk((longest + "n").c_str(), "x", 1), -4);
    EXPECT_EQ(chunker.WriteChunk((longest + "!").c_str(), "x", 1), 0);
    EXPECT_EQ(chunker.WriteChunk("in!side", "x", 1), -4);
    EXPECT_EQ(chunker.WriteChunk(nullptr, "x", 1), -4);
    EXPECT_EQ(chunker.WriteChunk("NoData", nullptr, 1), -4);
    for (const char* reserved :
         {"QX2 FILE SIGNATURE CHUNK NAME01!", "QX2 FILEMAP SIGNATURE NAME 0001",
          "QX2 CHUNK MAP SIGNATURE 0000001"})
        EXPECT_EQ(chunker.WriteChunk(reserved, "x", 1), -4) << reserved;
    EXPECT_EQ(chunker.GetChunkCount(), 1u);
    ASSERT_EQ(chunker.Finalize(), 0);
    CLxFileChunker reader;
    ASSERT_EQ(store.OpenRead(reader), 0);
    EXPECT_EQ(reader.GetChunkCount(), 1u);
}

TEST_P(ChunkerTest, AppendingToAFinishedFileKeepsItsChunksAndVersion)
{
    ChunkStore store(GetParam());
    {
        CLxFileChunker chunker;
        ASSERT_EQ(store.OpenWrite(chunker, "Ver1.0"), 0);
        ASSERT_EQ(chunker.WriteChunk("Old", "old", 3), 0);
        ASSERT_EQ(chunker.WriteChunk("Replaced", "before", 6), 0);
        ASSERT_EQ(chunker.Finalize(), 0);
    }
    if (GetParam() == eInMemory) {
        CLxFileChunker chunker;
        const std::string before = store.Contents();
        EXPECT_EQ(store.OpenWrite(chunker, "Ver2.1", true), -4) << "not for memory";
        EXPECT_EQ(store.Contents(), before);
        return;
    }
    {
        CLxFileChunker chunker;
        CLxStringA version("Ver2.1");
        ASSERT_EQ(chunker.Open(store.Wide().c_str(), false, true, version), 0);
        EXPECT_STREQ(version, "Ver1.0");
        ASSERT_EQ(chunker.WriteChunk("New", "new", 3), 0);
        ASSERT_EQ(chunker.WriteChunk("Replaced", "after", 5), 0);
        ASSERT_EQ(chunker.Finalize(), 0);
    }
    CLxFileChunker reader;
    ASSERT_EQ(store.OpenRead(reader), 0);
    EXPECT_EQ(AllChunks(reader), (std::map<std::string, std::string>{
                                     {"New!", "new"}, {"Old!", "old"}, {"Replaced!", "after"}}));
    ExpectIndependentCheckPasses(store.Path());
}

INSTANTIATE_TEST_SUITE_P(Targets, ChunkerTest, ::testing::Values(eOnFile, eInMemory), TargetLabel);

// ---- Bad input: a finished file with one byte range changed.

struct SDamageCase {
    const char* label;
    // Changes the finished two-chunk file (see DamagedFile below).
    void (*damage)(std::string& file);
    int openResult;
    int getResult; // GetChunk("A") when the open succeeded
};

// Signature at 0, "A!" (10 bytes) at 4096, "B!" (5 bytes) at 8192, map at 12288.
std::string FinishedFile()
{
    CLxByteArray block;
    CLxFileChunker chunker;
    CLxStringA version("Ver2.1");
    chunker.OpenMemory(&block, false, false, version);
    chunker.WriteChunk("A", "0123456789", 10);
    chunker.WriteChunk("B", "bbbbb", 5);
    chunker.Finalize();
    return Bytes(block);
}

constexpr size_t kMap = 12288, kMapData = kMap + 48;

class DamagedFile : public ::testing::TestWithParam<SDamageCase>
{
};

TEST_P(DamagedFile, GivesItsStatusWithoutReadingPastTheData)
{
    const SDamageCase& c = GetParam();
    std::string file = FinishedFile();
    ASSERT_EQ(file.size(), 16384u);
    c.damage(file);
    for (ETarget target : {eOnFile, eInMemory}) {
        ChunkStore store(target);
        store.SetContents(file);
        CLxFileChunker reader;
        EXPECT_EQ(store.OpenRead(reader), c.openResult) << TargetName(target);
        EXPECT_EQ(reader.IsMapUnreadable(), c.openResult == -13);
        if (c.openResult == 0) {
            CLxByteArray data;
            EXPECT_EQ(reader.GetChunk("A", data), c.getResult) << TargetName(target);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, DamagedFile,
    ::testing::Values(
        SDamageCase{"Intact", [](std::string&) {}, 0, 0},
        SDamageCase{"SignatureMagic", [](std::string& f) { f[0] = 0; }, -9, 0},
        SDamageCase{"SignatureNameLength", [](std::string& f) { PutLE32(f, 4, 31); }, -9, 0},
        SDamageCase{"SignatureDataLength", [](std::string& f) { PutLE64(f, 8, 65); }, -9, 0},
        SDamageCase{"SignatureHighHalf", [](std::string& f) { f[15] = 1; }, -9, 0},
        SDamageCase{"SignatureName", [](std::string& f) { f[20] = 'x'; }, -9, 0},
        SDamageCase{"ShortFile", [](std::string& f) { f.resize(111); }, -9, 0},
        SDamageCase{"FirstChunkNotSignature",
                    [](std::string& f) { f = f.substr(4096); }, -9, 0},
        SDamageCase{"NoEndRecord", [](std::string& f) { f[f.size() - 40] = 'q'; }, -13, 0},
        SDamageCase{"EndRecordCut", [](std::string& f) { f.resize(f.size() - 1); }, -13, 0},
        SDamageCase{"EndRecordPointsAtItself",
                    [](std::string& f) { PutLE64(f, f.size() - 8, f.size() - 40); }, -13, 0},
        SDamageCase{"EndRecordPointsPastTheFile",
                    [](std::string& f) { PutLE64(f, f.size() - 8, 1ull << 40); }, -13, 0},
        SDamageCase{"MapOffsetAtAnotherChunk",
                    [](std::string& f) { PutLE64(f, f.size() - 8, 8192); }, -13, 0},
        SDamageCase{"MapDataLengthPastTheFile",
                    [](std::string& f) { PutLE64(f, kMap + 8, 1ull << 20); }, -13, 0},
        SDamageCase{"EntryWithoutMark",
                    [](std::string& f) {
                        f.replace(kMapData, 600, std::string(600, 'n'));
                    },
                    -13, 0},
        SDamageCase{"EntryOffsetOutsideTheFile",
                    [](std::string& f) { PutLE64(f, kMapData + 2, 16384 - 15); }, -13, 0},
        SDamageCase{"EntryWithTooFewBytes",
                    [](std::string& f) {
                        // Names run into the end of the map data.
                        const std::string tail(4048 - 36, 'n');
                        f.replace(kMapData, tail.size(), tail);
                        f.replace(kMapData + tail.size(), 35, std::string(34, 'n') + "!");
                        f.replace(kMapData + tail.size() + 35, 1, "x");
                    },
                    -13, 0},
        SDamageCase{"EntryAtAChunkOfAnotherName",
                    [](std::string& f) { PutLE64(f, kMapData + 2, 8192); }, 0, -9},
        SDamageCase{"EntryBeforeItsChunk",
                    [](std::string& f) { PutLE64(f, kMapData + 2, 4000); }, 0, 0},
        SDamageCase{"ChunkNameLengthZero", [](std::string& f) { PutLE32(f, 4096 + 4, 0); }, 0,
                    -9},
        SDamageCase{"ChunkNameLength512", [](std::string& f) { PutLE32(f, 4096 + 4, 512); }, 0,
                    -9},
        SDamageCase{"ChunkHighHalf", [](std::string& f) { f[4096 + 12] = 1; }, 0, -9},
        SDamageCase{"ChunkDataPastTheFile",
                    [](std::string& f) { PutLE64(f, 4096 + 8, 20000); }, 0, -9},
        SDamageCase{"ChunkNameWithoutMark", [](std::string& f) { f[4096 + 17] = 'x'; }, 0, -9},
        SDamageCase{"ChunkNameWithZero",
                    [](std::string& f) {
                        PutLE32(f, 4096 + 4, 3);
                        f.replace(4096 + 16, 3, std::string("A\0!", 3));
                    },
                    0, -9}),
    [](const ::testing::TestParamInfo<SDamageCase>& info) { return info.param.label; });

// ---- Files: locks, failing writes, shared readers, file size.

TEST(ChunkerFile, ASecondWriterOfAHeldFileIsRefused)
{
    ChunkStore store(eOnFile);
    CLxFileChunker writer;
    ASSERT_EQ(store.OpenWrite(writer), 0);
    ASSERT_EQ(writer.WriteChunk("A", "a", 1), 0);
    for (bool append : {false, true}) {
        CLxFileChunker second;
        EXPECT_EQ(store.OpenWrite(second, "Ver2.1", append), -9);
    }
    CLxFileChunker reader;
    EXPECT_EQ(store.OpenRead(reader), -13) << "a reader may look while it is written";
    ASSERT_EQ(writer.Finalize(), 0);
    CLxFileChunker next;
    EXPECT_EQ(store.OpenWrite(next, "Ver2.1", true), 0) << "finalized: the lock is gone";
}

TEST(ChunkerFile, AppendingToSomethingElseIsRefusedAndLeavesIt)
{
    ChunkStore store(eOnFile);
    WriteFileBytes(store.Path(), std::string(5000, 'x'));
    CLxFileChunker writer;
    EXPECT_EQ(store.OpenWrite(writer, "Ver2.1", true), -9);
    EXPECT_EQ(ReadFileBytes(store.Path()), std::string(5000, 'x'));
}

TEST(ChunkerFile, AReaderMadeFromAWriterSharesItsFileWithoutClosingIt)
{
    ChunkStore store(eOnFile);
    CLxFileChunker writer;
    ASSERT_EQ(store.OpenWrite(writer), 0);
    ASSERT_EQ(writer.WriteChunk("A", "a", 1), 0);
    {
        CLxFileChunker reader(writer);
        CLxByteArray data;
        ASSERT_EQ(reader.GetChunk("A", data), 0);
        EXPECT_EQ(Bytes(data), "a");
        EXPECT_EQ(reader.WriteChunk("R", "r", 1), -9);
        EXPECT_EQ(reader.Finalize(), 0);
    }
    ASSERT_EQ(writer.WriteChunk("B", "b", 1), 0);
    CLxFileChunker copied;
    EXPECT_EQ(copied.CopyMapFrom(&writer), 0);
    EXPECT_EQ(copied.CopyMapFrom(nullptr), -4);
    EXPECT_EQ(copied.CopyMapFrom(&copied), 0);
    EXPECT_EQ(copied.GetChunkCount(), 2u);
    ASSERT_EQ(writer.Finalize(), 0);
    EXPECT_EQ(writer.Finalize(), 0) << "once only";
    CLxFileChunker reader;
    ASSERT_EQ(store.OpenRead(reader), 0);
    EXPECT_EQ(AllChunks(reader), (std::map<std::string, std::string>{{"A!", "a"}, {"B!", "b"}}));
}

TEST(ChunkerFile, EnsureFileSizeKeepsThePositionAndFinalizeCutsTheTail)
{
    ChunkStore store(eOnFile);
    CLxFileChunker writer;
    ASSERT_EQ(store.OpenWrite(writer), 0);
    ASSERT_EQ(writer.EnsureFileSize(40960000), 0);
    EXPECT_EQ(FileSize(store.Path()), 40960000u);
    ASSERT_EQ(writer.EnsureFileSize(4096), 0) << "a longer file stays";
    EXPECT_EQ(FileSize(store.Path()), 40960000u);
    ASSERT_EQ(writer.WriteChunk("A", "a", 1), 0);
    ASSERT_EQ(writer.Finalize(), 0);
    EXPECT_EQ(FileSize(store.Path()), 12288u);
    EXPECT_EQ(GetLE32(ReadFileBytes(store.Path()), 4096), 0x0ABECEDA);
}

// A write that fails (the file size limit here) gives -9; the map and the
// chunks written before stay, and the next chunk goes where the failed one
// was meant to go.
TEST(ChunkerFile, AFailedWriteLeavesMapAndEarlierChunks)
{
    ChunkStore store(eOnFile);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        CLxFileChunker writer;
        int failures = store.OpenWrite(writer) != 0;
        failures += writer.WriteChunk("A", "a", 1) != 0;
        struct rlimit limit = {16384, 16384};
        failures += setrlimit(RLIMIT_FSIZE, &limit) != 0;
        const std::string big = Pattern(9000, 1);
        failures += writer.WriteChunk("Big", big.data(), uint32_t(big.size())) != -9;
        failures += writer.GetChunkCount() != 1;
        failures += writer.WriteChunk("B", "b", 1) != 0;
        CLxByteArray data;
        failures += writer.GetChunk("A", data) != 0 || Bytes(data) != "a";
        failures += writer.GetChunk("Big", data) != -13;
        failures += writer.Finalize() != 0;
        _exit(failures);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    CLxFileChunker reader;
    ASSERT_EQ(store.OpenRead(reader), 0);
    EXPECT_EQ(AllChunks(reader), (std::map<std::string, std::string>{{"A!", "a"}, {"B!", "b"}}));
}

TEST(ChunkerFile, OpeningWithoutAFileGivesStatusCodes)
{
    ScopedTempDir dir;
    CLxFileChunker chunker;
    CLxStringA version;
    EXPECT_EQ(chunker.Open(dir.u16("missing.qx2").c_str(), true, false, version), -9);
    EXPECT_EQ(chunker.Open(nullptr, true, false, version), -4);
    EXPECT_EQ(chunker.OpenMemory(nullptr, true, false, version), -4);
    CLxByteArray empty;
    EXPECT_EQ(chunker.OpenMemory(&empty, true, false, version), -9);
    EXPECT_EQ(chunker.WriteChunk("A", "a", 1), -9);
    EXPECT_EQ(chunker.EnsureFileSize(10), -9);
    EXPECT_EQ(chunker.CreateMissingChunkMap(nullptr, nullptr), -9);
}

} // namespace
