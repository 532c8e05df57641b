// File views at page granularity.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "test_fileapi_support.h"

namespace {

class FileMapping : public FileApiTest
{
  protected:
    void SetUp() override
    {
        m_page = size_t(sysconf(_SC_PAGESIZE));
        m_bytes.resize(m_page * 3 + 100);
        for (size_t i = 0; i < m_bytes.size(); ++i)
            m_bytes[i] = char('a' + i % 23);
        WriteBytes(p8("f"), m_bytes);
        ASSERT_EQ(m_file.open(p16("f"), 3), 0);
    }

    size_t m_page = 0;
    std::string m_bytes;
    ScopedFile m_file;
};

TEST_F(FileMapping, ViewStartsAtThePageOfTheOffset)
{
    const size_t offset = m_page + 368;
    void* address = nullptr;
    ASSERT_EQ(LX_MapFile(m_file.get(), 1, uint32_t(offset), 0, 100, &address), 0);
    EXPECT_EQ(uintptr_t(address) % m_page, 368u);
    EXPECT_EQ(std::memcmp(address, m_bytes.data() + offset, 100), 0);
    // The whole first page of the view is there, from the rounded offset.
    EXPECT_EQ(std::memcmp(static_cast<char*>(address) - 368, m_bytes.data() + m_page, 368), 0);
    EXPECT_EQ(LX_UnmapFile(address), 0);
    EXPECT_EQ(LX_UnmapFile(address), -9);
}

TEST_F(FileMapping, SharedWritesReachTheFileAndPrivateOnesDoNot)
{
    void* shared = nullptr;
    ASSERT_EQ(LX_MapFile(m_file.get(), 2, 10, 0, 5, &shared), 0);
    std::memcpy(shared, "WRITE", 5);
    EXPECT_EQ(LX_UnmapFile(shared), 0);

    void* priv = nullptr;
    ASSERT_EQ(LX_MapFile(m_file.get(), 3, 20, 0, 5, &priv), 0);
    std::memcpy(priv, "PRIVY", 5);
    EXPECT_EQ(std::memcmp(priv, "PRIVY", 5), 0);
    EXPECT_EQ(LX_UnmapFile(priv), 0);

    char back[30];
    uint32_t moved = 0;
    ASSERT_EQ(LX_SeekFile(m_file.get(), 0, 0, 0), 0);
    ASSERT_EQ(LX_ReadFile(m_file.get(), back, 30, &moved, nullptr), 0);
    EXPECT_EQ(std::string(back + 10, 5), "WRITE");
    EXPECT_EQ(std::string(back + 20, 5), m_bytes.substr(20, 5));
}

TEST_F(FileMapping, PastTheEndOfTheFile)
{
    void* address = nullptr;
    // Read-only and private views never reach past the file's end.
    EXPECT_EQ(LX_MapFile(m_file.get(), 1, uint32_t(m_bytes.size() - 10), 0, 20, &address), -9);
    EXPECT_EQ(LX_MapFile(m_file.get(), 3, uint32_t(m_bytes.size() + m_page), 0, 1, &address), -9);
    // A read-write view makes the file long enough.
    ASSERT_EQ(LX_MapFile(m_file.get(), 2, uint32_t(m_bytes.size()), 0, 10, &address), 0);
    std::memcpy(address, "0123456789", 10);
    EXPECT_EQ(LX_UnmapFile(address), 0);
    EXPECT_EQ(ReadBytes(p8("f")), m_bytes + "0123456789");
}

TEST_F(FileMapping, LengthZeroReachesTheEnd)
{
    void* address = nullptr;
    ASSERT_EQ(LX_MapFile(m_file.get(), 1, 7, 0, 0, &address), 0);
    EXPECT_EQ(std::memcmp(address, m_bytes.data() + 7, m_bytes.size() - 7), 0);
    EXPECT_EQ(LX_UnmapFile(address), 0);
    EXPECT_EQ(LX_MapFile(m_file.get(), 1, uint32_t(m_bytes.size()), 0, 0, &address), -9);
}

TEST_F(FileMapping, OffsetsPastFourGiB)
{
    const uint64_t far = (uint64_t(1) << 32) + m_page + 5;
    ASSERT_EQ(LX_SeekFile(m_file.get(), int32_t(far & 0xFFFFFFFF), 1, 0), 0);
    uint32_t moved = 0;
    ASSERT_EQ(LX_WriteFile(m_file.get(), "far", 3, &moved, nullptr), 0);
    void* address = nullptr;
    ASSERT_EQ(LX_MapFile(m_file.get(), 1, uint32_t(far), 1, 3, &address), 0);
    EXPECT_EQ(std::memcmp(address, "far", 3), 0);
    EXPECT_EQ(LX_UnmapFile(address), 0);
}

TEST_F(FileMapping, BadArguments)
{
    void* address = nullptr;
    EXPECT_EQ(LX_MapFile(m_file.get(), 0, 0, 0, 10, &address), -4);
    EXPECT_EQ(LX_MapFile(m_file.get(), 4, 0, 0, 10, &address), -4);
    EXPECT_EQ(LX_MapFile(m_file.get(), 1, 0, 0, 10, nullptr), -4);
    EXPECT_EQ(LX_MapFile(LX_INVALID_HFILE, 1, 0, 0, 10, &address), -9);
    EXPECT_EQ(LX_UnmapFile(nullptr), -4);
    int local = 0;
    EXPECT_EQ(LX_UnmapFile(&local), -9);

    ScopedFile readOnly;
    ASSERT_EQ(readOnly.open(p16("f"), 1), 0);
    EXPECT_EQ(LX_MapFile(readOnly.get(), 2, 0, 0, 10, &address), -9);
}

} // namespace
