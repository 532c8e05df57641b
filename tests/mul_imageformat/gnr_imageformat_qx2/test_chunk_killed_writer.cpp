// A real crash: a child process writes chunks and is killed with SIGKILL at
// a random moment; every chunk whose WriteChunk had returned must survive.
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/wait.h>

#include <csignal>
#include <random>
#include <thread>
#include <vector>

#include "chunk_store.h"

using namespace chunktest;

namespace
{

uint32_t ChunkSize(uint32_t seed, uint32_t index)
{
    std::mt19937 rng(seed * 7919u + index);
    return rng() % 30000;
}

std::string ChunkName(uint32_t index)
{
    return "Chunk|" + std::to_string(index);
}

// Writes chunk after chunk, reporting each index on the pipe once written.
[[noreturn]] void WriteUntilKilled(ChunkStore& store, uint32_t seed, int report)
{
    CLxFileChunker writer;
    if (store.OpenWrite(writer) != 0 || writer.EnsureFileSize(40960000) != 0)
        _exit(3);
    for (uint32_t i = 0; i < 100000; ++i) {
        const std::string data = Pattern(ChunkSize(seed, i), seed * 100000 + i);
        if (writer.WriteChunk(ChunkName(i).c_str(), data.data(), uint32_t(data.size())) != 0)
            _exit(4);
        if (write(report, &i, sizeof i) != sizeof i)
            _exit(5);
    }
    _exit(6);
}

class KilledWriter : public ::testing::TestWithParam<uint32_t>
{
};

TEST_P(KilledWriter, EveryReportedChunkSurvivesAndAppendingKeepsThem)
{
    const uint32_t seed = GetParam();
    ChunkStore store(eOnFile);
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipeFds[0]);
        WriteUntilKilled(store, seed, pipeFds[1]);
    }
    close(pipeFds[1]);
    // Wait for the first chunk, then kill at a random moment.
    struct pollfd ready = {pipeFds[0], POLLIN, 0};
    ASSERT_EQ(poll(&ready, 1, 30000), 1);
    std::mt19937 rng(seed);
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 40000));
    ASSERT_EQ(kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped on its own: " << WEXITSTATUS(status);
    std::vector<uint32_t> reported;
    uint32_t index = 0;
    while (read(pipeFds[0], &index, sizeof index) == sizeof index)
        reported.push_back(index);
    close(pipeFds[0]);
    ASSERT_FALSE(reported.empty());

    auto expectReported = [&](CLxFileChunker& reader) {
        for (uint32_t i : reported) {
            CLxByteArray data;
            ASSERT_EQ(reader.GetChunk(ChunkName(i).c_str(), data), 0) << i;
            ASSERT_EQ(Bytes(data), Pattern(ChunkSize(seed, i), seed * 100000 + i)) << i;
        }
    };
    {
        CLxFileChunker reader;
        ASSERT_EQ(store.OpenRead(reader), -13);
        ASSERT_EQ(reader.CreateMissingChunkMap(nullptr, nullptr), 0);
        expectReported(reader);
        EXPECT_LE(reader.GetChunkCount(), reported.size() + 1);
    }
    {
        CLxFileChunker appender;
        ASSERT_EQ(store.OpenWrite(appender, "Ver2.1", true), 0);
        ASSERT_EQ(appender.WriteChunk("After", "after", 5), 0);
        ASSERT_EQ(appender.Finalize(), 0);
    }
    CLxFileChunker reader;
    ASSERT_EQ(store.OpenRead(reader), 0);
    expectReported(reader);
    CLxByteArray after;
    ASSERT_EQ(reader.GetChunk("After", after), 0);
    EXPECT_EQ(Bytes(after), "after");
    ExpectIndependentCheckPasses(store.Path());
}

INSTANTIATE_TEST_SUITE_P(Seeds, KilledWriter, ::testing::Values(1u, 2u, 3u, 4u, 5u, 6u));

// A writer killed after a map was read for appending but before its own
// map: the rescan of the next append keeps the chunks of both sessions.
TEST(KilledWriter, AppendingAfterAnUnfinishedAppendKeepsBothSessions)
{
    ChunkStore store(eOnFile);
    {
        CLxFileChunker writer;
        ASSERT_EQ(store.OpenWrite(writer), 0);
        ASSERT_EQ(writer.WriteChunk("First", "1", 1), 0);
        ASSERT_EQ(writer.Finalize(), 0);
    }
    {
        // Dropped without Finalize: chunks after the old map, no new map.
        CLxFileChunker writer;
        ASSERT_EQ(store.OpenWrite(writer, "Ver2.1", true), 0);
        ASSERT_EQ(writer.EnsureFileSize(1 << 20), 0);
        ASSERT_EQ(writer.WriteChunk("Second", "2", 1), 0);
        ASSERT_EQ(writer.WriteChunk("First", "1b", 2), 0);
    }
    {
        CLxFileChunker writer;
        ASSERT_EQ(store.OpenWrite(writer, "Ver2.1", true), 0);
        ASSERT_EQ(writer.WriteChunk("Third", "3", 1), 0);
        ASSERT_EQ(writer.Finalize(), 0);
    }
    CLxFileChunker reader;
    ASSERT_EQ(store.OpenRead(reader), 0);
    EXPECT_EQ(AllChunks(reader), (std::map<std::string, std::string>{
                                     {"First!", "1b"}, {"Second!", "2"}, {"Third!", "3"}}));
    ExpectIndependentCheckPasses(store.Path());
}

} // namespace
