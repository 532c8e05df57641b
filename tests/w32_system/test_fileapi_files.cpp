// Files: open modes, transfers, 64-bit positions, locks, sizes, access.
#include <sys/stat.h>

#include <cstring>
#include <vector>

#include "test_fileapi_support.h"

namespace {

using FileOpen = FileApiTest;

TEST_F(FileOpen, TemplateMustBeMinusOneAndNothingIsOpened)
{
    LX_HFILE handle = 12345;
    EXPECT_EQ(LX_OpenFile(p16("new").c_str(), 3 | 4, 0, 0, &handle), -2);
    EXPECT_EQ(handle, 12345);
    EXPECT_FALSE(Exists(p8("new")));
}

TEST_F(FileOpen, NullArgumentsAreRefused)
{
    LX_HFILE handle;
    EXPECT_EQ(LX_OpenFile(p16("new").c_str(), 3 | 4, 0, LX_INVALID_HFILE, nullptr), -4);
    EXPECT_EQ(LX_OpenFile(nullptr, 1, 0, LX_INVALID_HFILE, &handle), -4);
    EXPECT_FALSE(Exists(p8("new")));
}

TEST_F(FileOpen, CreationBitsOnExistingAndMissingFiles)
{
    struct Case {
        uint32_t access;
        bool existing;
        int status;
        long sizeAfter; // -1: no file
    };
    const Case cases[] = {
        {3 | 4 | 8, true, 0, 0}, {3 | 4 | 8, false, 0, 0},
        {3 | 4, true, -1000, 5}, {3 | 4, false, 0, 0},
        {3 | 8, true, 0, 5},     {3 | 8, false, 0, 0},
        {3 | 16, true, 0, 0},    {3 | 16, false, -1000, -1},
        {1, true, 0, 5},         {1, false, -1000, -1},
        {2, true, 0, 5},         {1 | 4 | 8, true, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "access " << c.access << " existing " << c.existing);
        std::string path = p8("f");
        unlink(path.c_str());
        if (c.existing)
            WriteBytes(path, "12345");
        LX_HFILE handle = LX_INVALID_HFILE;
        EXPECT_EQ(LX_OpenFile(p16("f").c_str(), c.access, 0, LX_INVALID_HFILE, &handle), c.status);
        if (c.status == 0) {
            EXPECT_EQ(LX_CloseFile(handle), 0);
        } else {
            EXPECT_EQ(handle, LX_INVALID_HFILE);
        }
        struct stat st;
        bool exists = stat(path.c_str(), &st) == 0;
        EXPECT_EQ(exists, c.sizeAfter >= 0);
        if (exists && c.sizeAfter >= 0) {
            EXPECT_EQ(st.st_size, c.sizeAfter);
        }
    }
}

TEST_F(FileOpen, FolderIsRefused)
{
    LX_HFILE handle;
    EXPECT_EQ(LX_OpenFile(m_dir.u16().c_str(), 1, 0, LX_INVALID_HFILE, &handle), -1000);
}

TEST_F(FileOpen, BackslashesSeparateFolders)
{
    ASSERT_EQ(mkdir(p8("sub").c_str(), 0777), 0);
    WriteBytes(p8("sub/x"), "abc");
    std::u16string path = m_dir.u16() + u"\\sub\\x";
    uint64_t size = 0;
    EXPECT_EQ(LX_GetFileSizeFromName(path.c_str(), &size), 0);
    EXPECT_EQ(size, 3u);
}

TEST_F(FileOpen, CloseOfABadHandleFails)
{
    EXPECT_EQ(LX_CloseFile(LX_INVALID_HFILE), -1001);
    LX_HFILE handle;
    ASSERT_EQ(LX_OpenFile(p16("f").c_str(), 3 | 4, 0, LX_INVALID_HFILE, &handle), 0);
    EXPECT_EQ(LX_CloseFile(handle), 0);
    EXPECT_EQ(LX_CloseFile(handle), -1001);
}

using FileTransfer = FileApiTest;

TEST_F(FileTransfer, ReadStopsAtTheEndWithSuccess)
{
    ScopedFile file;
    ASSERT_EQ(file.open(p16("f"), 3 | 4), 0);
    uint32_t moved = 0;
    EXPECT_EQ(LX_WriteFile(file.get(), "hello world", 11, &moved, nullptr), 0);
    EXPECT_EQ(moved, 11u);
    ASSERT_EQ(LX_SeekFile(file.get(), 0, 0, 0), 0);
    char buffer[100] = {};
    EXPECT_EQ(LX_ReadFile(file.get(), buffer, sizeof buffer, &moved, nullptr), 0);
    EXPECT_EQ(moved, 11u);
    EXPECT_STREQ(buffer, "hello world");
    EXPECT_EQ(LX_ReadFile(file.get(), buffer, sizeof buffer, &moved, nullptr), 0);
    EXPECT_EQ(moved, 0u);
}

TEST_F(FileTransfer, LargeTransfersMoveEverything)
{
    std::vector<unsigned char> data(3 << 20);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<unsigned char>(i * 7 + (i >> 13));
    ScopedFile file;
    ASSERT_EQ(file.open(p16("big"), 3 | 4), 0);
    uint32_t moved = 0;
    ASSERT_EQ(LX_WriteFile(file.get(), data.data(), uint32_t(data.size()), &moved, nullptr), 0);
    EXPECT_EQ(moved, data.size());
    ASSERT_EQ(LX_SeekFile(file.get(), 0, 0, 0), 0);
    std::vector<unsigned char> back(data.size());
    ASSERT_EQ(LX_ReadFile(file.get(), back.data(), uint32_t(back.size()), &moved, nullptr), 0);
    EXPECT_EQ(moved, back.size());
    EXPECT_TRUE(back == data);
}

TEST_F(FileTransfer, FailuresHaveTheirOwnCodes)
{
    WriteBytes(p8("f"), "data");
    ScopedFile readOnly;
    ASSERT_EQ(readOnly.open(p16("f"), 1), 0);
    uint32_t moved = 77;
    EXPECT_EQ(LX_WriteFile(readOnly.get(), "x", 1, &moved, nullptr), -1003);
    EXPECT_EQ(moved, 0u);
    moved = 77;
    char buffer[4];
    EXPECT_EQ(LX_ReadFile(LX_INVALID_HFILE, buffer, 4, &moved, nullptr), -1002);
    EXPECT_EQ(moved, 0u);
    EXPECT_EQ(LX_ReadFile(readOnly.get(), nullptr, 4, &moved, nullptr), -4);
    EXPECT_EQ(LX_WriteFile(readOnly.get(), nullptr, 4, &moved, nullptr), -4);
    EXPECT_EQ(LX_ReadFile(readOnly.get(), buffer, 4, nullptr, nullptr), 0);
}

using FilePosition = FileApiTest;

TEST_F(FilePosition, SixtyFourBitPositionsInASparseFile)
{
    const uint64_t kFar = (uint64_t(1) << 32) + 10;
    ScopedFile file;
    ASSERT_EQ(file.open(p16("sparse"), 3 | 4), 0);
    ASSERT_EQ(LX_SeekFile(file.get(), 10, 1, 0), 0);
    uint32_t moved = 0;
    ASSERT_EQ(LX_WriteFile(file.get(), "tail", 4, &moved, nullptr), 0);

    uint64_t value = 0;
    EXPECT_EQ(LX_GetFileSize(file.get(), &value), 0);
    EXPECT_EQ(value, kFar + 4);
    EXPECT_EQ(LX_FilePosition(file.get(), &value), 0);
    EXPECT_EQ(value, kFar + 4);

    // A position whose low word is all ones is a position, not a failure.
    EXPECT_EQ(LX_SeekFile(file.get(), -1, 0, 0), 0);
    EXPECT_EQ(LX_FilePosition(file.get(), &value), 0);
    EXPECT_EQ(value, 0xFFFFFFFFu);

    // Relative moves take the signed 64-bit distance: forward 11 bytes.
    ASSERT_EQ(LX_SeekFile(file.get(), 11, 0, 1), 0);
    char back[5] = {};
    EXPECT_EQ(LX_ReadFile(file.get(), back, 4, &moved, nullptr), 0);
    EXPECT_STREQ(back, "tail");
    // Backward from the end across the 4 GiB line.
    ASSERT_EQ(LX_SeekFile(file.get(), -20, -1, 2), 0);
    EXPECT_EQ(LX_FilePosition(file.get(), &value), 0);
    EXPECT_EQ(value, kFar + 4 - 20);
}

TEST_F(FilePosition, Failures)
{
    ScopedFile file;
    ASSERT_EQ(file.open(p16("f"), 3 | 4), 0);
    EXPECT_EQ(LX_SeekFile(file.get(), 0, 0, 3), -1004);
    EXPECT_EQ(LX_SeekFile(file.get(), -1, -1, 0), -1004);
    EXPECT_EQ(LX_SeekFile(LX_INVALID_HFILE, 0, 0, 0), -1004);
    EXPECT_EQ(LX_FilePosition(file.get(), nullptr), -4);
    uint64_t position = 99;
    EXPECT_EQ(LX_FilePosition(LX_INVALID_HFILE, &position), -1005);
    EXPECT_EQ(position, 0u);
}

TEST_F(FilePosition, SetEOFCutsAtThePosition)
{
    ScopedFile file;
    ASSERT_EQ(file.open(p16("f"), 3 | 4), 0);
    uint32_t moved;
    ASSERT_EQ(LX_WriteFile(file.get(), "0123456789", 10, &moved, nullptr), 0);
    ASSERT_EQ(LX_SeekFile(file.get(), 4, 0, 0), 0);
    EXPECT_EQ(LX_SetEOF(file.get()), 0);
    uint64_t size = 0;
    EXPECT_EQ(LX_GetFileSize(file.get(), &size), 0);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(LX_SetEOF(LX_INVALID_HFILE), -1009);
}

using FileLock = FileApiTest;

TEST_F(FileLock, LocksOfAnotherOpenConflict)
{
    WriteBytes(p8("f"), "data");
    ScopedFile first, second;
    ASSERT_EQ(first.open(p16("f"), 3), 0);
    ASSERT_EQ(second.open(p16("f"), 3), 0);
    EXPECT_EQ(LX_LockFile(first.get(), 0, 0, 100, 0), 0);
    EXPECT_EQ(LX_LockFile(second.get(), 50, 0, 10, 0), -1007);
    EXPECT_EQ(LX_LockFile(second.get(), 100, 0, 10, 0), 0);
    // Past 4 GiB and beyond the end of the file.
    EXPECT_EQ(LX_LockFile(first.get(), 0, 1, 10, 0), 0);
    EXPECT_EQ(LX_LockFile(second.get(), 5, 1, 1, 0), -1007);

    EXPECT_EQ(LX_UnlockFile(first.get(), 0, 0, 100, 0), 0);
    EXPECT_EQ(LX_LockFile(second.get(), 50, 0, 10, 0), 0);
}

TEST_F(FileLock, ReadOnlyHandleStillExcludesWriters)
{
    WriteBytes(p8("f"), "data");
    ScopedFile reader, writer;
    ASSERT_EQ(reader.open(p16("f"), 1), 0);
    ASSERT_EQ(writer.open(p16("f"), 3), 0);
    EXPECT_EQ(LX_LockFile(reader.get(), 0, 0, 4, 0), 0);
    EXPECT_EQ(LX_LockFile(writer.get(), 0, 0, 4, 0), -1007);
}

TEST_F(FileLock, BadHandlesAndRanges)
{
    ScopedFile file;
    ASSERT_EQ(file.open(p16("f"), 3 | 4), 0);
    EXPECT_EQ(LX_LockFile(LX_INVALID_HFILE, 0, 0, 1, 0), -1007);
    EXPECT_EQ(LX_UnlockFile(LX_INVALID_HFILE, 0, 0, 1, 0), -1008);
    // The range must fit signed 64-bit offsets.
    EXPECT_EQ(LX_LockFile(file.get(), 0, 0x80000000u, 1, 0), -1007);
    EXPECT_EQ(LX_LockFile(file.get(), 0, 0x7FFFFFFFu, 0xFFFFFFFFu, 0), 0);
    EXPECT_EQ(LX_LockFile(file.get(), 0, 0x7FFFFFFFu, 0, 1), -1007);
}

using FileSize = FileApiTest;

TEST_F(FileSize, ByHandleAndByName)
{
    WriteBytes(p8("f"), "12345");
    ScopedFile file;
    ASSERT_EQ(file.open(p16("f"), 1), 0);
    uint64_t size = 0;
    EXPECT_EQ(LX_GetFileSize(file.get(), &size), 0);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(LX_GetFileSize(file.get(), nullptr), 0);
    size = 9;
    EXPECT_EQ(LX_GetFileSize(LX_INVALID_HFILE, &size), -1012);
    EXPECT_EQ(size, 0u);

    size = 0;
    EXPECT_EQ(LX_GetFileSizeFromName(p16("f").c_str(), &size), 0);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(LX_GetFileSizeFromName(p16("missing").c_str(), &size), -1000);
    EXPECT_EQ(LX_GetFileSizeFromName(p16("f").c_str(), nullptr), -4);
}

using FileAccess = FileApiTest;

TEST_F(FileAccess, ReadOnlyMissingAndWritable)
{
    WriteBytes(p8("ro"), "x");
    ASSERT_EQ(chmod(p8("ro").c_str(), 0444), 0);
    WriteBytes(p8("rw"), "x");
    ASSERT_EQ(chmod(p8("rw").c_str(), 0200), 0);
    struct Case {
        const char* name;
        uint32_t mode;
        int status;
    };
    const Case cases[] = {
        {"ro", 0, 0}, {"ro", 4, 0}, {"ro", 2, -1101},      {"ro", 6, -1101},
        {"rw", 2, 0}, {"", 2, 0},   {"missing", 0, -1013}, {"missing/x", 0, -1013},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " mode " << c.mode);
        EXPECT_EQ(LX_AccessFile(p16(c.name).c_str(), c.mode), c.status);
    }
    EXPECT_EQ(LX_AccessFile(nullptr, 0), -4);
}

} // namespace
