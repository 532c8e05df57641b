// The keeper of foreign QX2 chunks: items, their bytes in the temporary
// file, and the file's lifetime.
#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "mul_imageformat/gnr_imageformat_qx2/LxQX2UnknownData.h"
#include "mul_imageformat/keeper_test_support.h"

namespace
{

class QX2UnknownDataTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_keeper = new CLxQX2UnknownData(CLxStringA("QXIMX"));
        m_keeper->AddRef();
    }
    void TearDown() override
    {
        if (m_keeper)
            m_keeper->Release();
    }

    std::vector<std::string> filesInTemp() const { return m_dir.files(); }

    std::vector<uint8_t> readAll(uint32_t index, uint32_t piece = 4096)
    {
        std::vector<uint8_t> all;
        std::vector<uint8_t> buffer(piece);
        for (;;) {
            uint32_t size = piece;
            EXPECT_EQ(0, m_keeper->ReadChunkData(index, all.size(), buffer.data(), &size));
            if (size == 0)
                return all;
            all.insert(all.end(), buffer.begin(), buffer.begin() + size);
        }
    }

    ScopedTmpdir m_dir;
    CLxQX2UnknownData* m_keeper = nullptr;
};

std::vector<uint8_t> pattern(size_t n, uint8_t seed)
{
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<uint8_t>(seed + i * 7);
    return bytes;
}

TEST_F(QX2UnknownDataTest, EmptyKeeperHasNoFileAndRefusesIndices)
{
    EXPECT_EQ(0u, m_keeper->GetChunkCount());
    CLxStringA name("unchanged");
    EXPECT_EQ(-4, m_keeper->GetChunkName(0, name));
    EXPECT_STREQ("unchanged", name);
    EXPECT_EQ(static_cast<uint32_t>(-4), m_keeper->GetChunkType(0));
    EXPECT_EQ(-4, m_keeper->SetChunkType(0, 1));
    EXPECT_EQ(-4, m_keeper->ClearChunkData(0));
    EXPECT_EQ(-4, m_keeper->RemoveChunk(0));
    uint32_t size = 10;
    uint8_t byte;
    EXPECT_EQ(-4, m_keeper->ReadChunkData(0, 0, &byte, &size));
    EXPECT_TRUE(filesInTemp().empty());

    CLxStringA id;
    EXPECT_EQ(0, m_keeper->GetFormatID(id));
    EXPECT_STREQ("QXIMX", id);
}

TEST_F(QX2UnknownDataTest, ChunkReadsBackInPiecesOfTheBuffer)
{
    const auto data = pattern(10000, 3);
    ASSERT_EQ(0, m_keeper->AppendNamedChunk("Foreign|1!", data.data(), 10000));
    ASSERT_EQ(1u, m_keeper->GetChunkCount());

    std::vector<uint32_t> sizes;
    std::vector<uint8_t> buffer(4096);
    uint64_t offset = 0;
    for (;;) {
        uint32_t size = 4096;
        ASSERT_EQ(0, m_keeper->ReadChunkData(0, offset, buffer.data(), &size));
        sizes.push_back(size);
        if (size == 0)
            break;
        offset += size;
    }
    EXPECT_EQ((std::vector<uint32_t>{4096, 4096, 1808, 0}), sizes);
    EXPECT_EQ(data, readAll(0));

    CLxStringA name;
    EXPECT_EQ(0, m_keeper->GetChunkName(0, name));
    EXPECT_STREQ("Foreign|1!", name);
    EXPECT_EQ(0u, m_keeper->GetChunkType(0));

    const auto files = filesInTemp();
    ASSERT_EQ(1u, files.size());
    EXPECT_EQ(0u, files[0].rfind("qx2_unknown", 0));
    EXPECT_EQ(".tmp", files[0].substr(files[0].size() - 4));
}

TEST_F(QX2UnknownDataTest, ReadAtOrPastTheEndGivesNothing)
{
    const auto data = pattern(100, 1);
    ASSERT_EQ(0, m_keeper->AppendNamedChunk("A!", data.data(), 100));
    uint8_t buffer[16];
    for (uint64_t offset : {100ull, 101ull, ~0ull}) {
        uint32_t size = sizeof buffer;
        EXPECT_EQ(0, m_keeper->ReadChunkData(0, offset, buffer, &size));
        EXPECT_EQ(0u, size);
    }
}

TEST_F(QX2UnknownDataTest, ClearedChunkStartsANewRunAtTheFileEnd)
{
    const auto first = pattern(300, 1), second = pattern(500, 2), third = pattern(40, 9);
    ASSERT_EQ(0, m_keeper->AppendNamedChunk("A!", first.data(), 300));
    ASSERT_EQ(0, m_keeper->AppendNamedChunk("B!", second.data(), 500));
    ASSERT_EQ(0, m_keeper->ClearChunkData(0));
    EXPECT_TRUE(readAll(0).empty());

    ASSERT_EQ(0, m_keeper->AppendChunkData(0, third.data(), 40));
    EXPECT_EQ(third, readAll(0));
    EXPECT_EQ(second, readAll(1));
    // The old run stays in the file unused; the new one follows B's bytes.
    EXPECT_EQ(840u, std::filesystem::file_size(m_dir.path() / filesInTemp()[0]));
}

TEST_F(QX2UnknownDataTest, RemovingMovesLaterChunksDown)
{
    const auto a = pattern(10, 1), b = pattern(20, 2), c = pattern(30, 3);
    ASSERT_EQ(0, m_keeper->AppendNamedChunk("A!", a.data(), 10));
    ASSERT_EQ(0, m_keeper->AppendNamedChunk("B!", b.data(), 20));
    ASSERT_EQ(0, m_keeper->AppendChunk(7, c.data(), 30));
    ASSERT_EQ(0, m_keeper->RemoveChunk(0));

    ASSERT_EQ(2u, m_keeper->GetChunkCount());
    CLxStringA name;
    EXPECT_EQ(0, m_keeper->GetChunkName(0, name));
    EXPECT_STREQ("B!", name);
    EXPECT_EQ(b, readAll(0));
    // A chunk added by type has an empty name.
    EXPECT_EQ(0, m_keeper->GetChunkName(1, name));
    EXPECT_STREQ("", name);
    EXPECT_EQ(7u, m_keeper->GetChunkType(1));
    EXPECT_EQ(c, readAll(1));

    EXPECT_EQ(0, m_keeper->SetChunkType(1, 9));
    EXPECT_EQ(9u, m_keeper->GetChunkType(1));
}

TEST_F(QX2UnknownDataTest, EmptyChunkHasNoBytesAndGrowsByAppends)
{
    ASSERT_EQ(0, m_keeper->AppendNamedChunk("Empty!", nullptr, 0));
    EXPECT_TRUE(readAll(0).empty());
    const auto part = pattern(5, 4);
    ASSERT_EQ(0, m_keeper->AppendChunkData(0, part.data(), 5));
    ASSERT_EQ(0, m_keeper->AppendChunkData(0, part.data(), 5));
    std::vector<uint8_t> twice(part);
    twice.insert(twice.end(), part.begin(), part.end());
    EXPECT_EQ(twice, readAll(0, 3));
}

TEST_F(QX2UnknownDataTest, NullDataWithASizeIsRefused)
{
    EXPECT_EQ(-4, m_keeper->AppendNamedChunk("A!", nullptr, 10));
    EXPECT_EQ(0u, m_keeper->GetChunkCount());
}

TEST_F(QX2UnknownDataTest, LastReleaseRemovesTheFile)
{
    const auto data = pattern(64, 0);
    ASSERT_EQ(0, m_keeper->AppendNamedChunk("A!", data.data(), 64));
    EXPECT_EQ(2u, m_keeper->AddRef());
    EXPECT_EQ(1u, m_keeper->Release());
    EXPECT_EQ(1u, filesInTemp().size());
    EXPECT_EQ(0u, m_keeper->Release());
    m_keeper = nullptr;
    EXPECT_TRUE(filesInTemp().empty());
}

} // namespace
