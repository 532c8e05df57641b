// Folders: creation, removal, the current folder, free space; file removal.
#include <sys/stat.h>

#include <vector>

#include "test_fileapi_support.h"

namespace {

bool IsFolder(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

using FolderCreate = FileApiTest;

TEST_F(FolderCreate, RecursiveRelativePathWithBackslashes)
{
    ScopedCwd cwd(dir8());
    EXPECT_EQ(LX_CreateDirectory(u"a\\b\\c", true), 0);
    EXPECT_TRUE(IsFolder(p8("a")));
    EXPECT_TRUE(IsFolder(p8("a/b")));
    EXPECT_TRUE(IsFolder(p8("a/b/c")));
    EXPECT_EQ(LX_CreateDirectory(u"a\\b\\c", true), 0);
    EXPECT_EQ(LX_CreateDirectory(u"a/b/c/d/", true), 0);
    EXPECT_TRUE(IsFolder(p8("a/b/c/d")));
}

TEST_F(FolderCreate, SingleFolder)
{
    EXPECT_EQ(LX_CreateDirectory(p16("one").c_str(), false), 0);
    EXPECT_TRUE(IsFolder(p8("one")));
    EXPECT_EQ(LX_CreateDirectory(p16("one").c_str(), false), 0);
    EXPECT_EQ(LX_CreateDirectory(p16("x/y").c_str(), false), -1014);
    EXPECT_FALSE(Exists(p8("x")));
}

TEST_F(FolderCreate, FilesInTheWayFail)
{
    WriteBytes(p8("file"), "x");
    EXPECT_EQ(LX_CreateDirectory(p16("file").c_str(), false), -1014);
    EXPECT_EQ(LX_CreateDirectory(p16("file").c_str(), true), -1014);
    EXPECT_EQ(LX_CreateDirectory(p16("file/sub").c_str(), true), -1014);
    EXPECT_EQ(LX_CreateDirectory(u"", true), -1014);
    EXPECT_EQ(LX_CreateDirectory(nullptr, true), -4);
}

TEST_F(FolderCreate, PathsLongerThan260UnitsAreCreatedInFull)
{
    std::string relative;
    for (int i = 0; i < 30; ++i)
        relative += "/folder_number_" + std::to_string(100 + i);
    std::u16string path = m_dir.u16() + U16(relative.c_str());
    ASSERT_GT(path.size(), 500u);
    EXPECT_EQ(LX_CreateDirectory(path.c_str(), true), 0);
    EXPECT_TRUE(IsFolder(dir8() + relative));
}

using FolderRemove = FileApiTest;

TEST_F(FolderRemove, OnlyEmptyFolders)
{
    ASSERT_EQ(mkdir(p8("full").c_str(), 0777), 0);
    WriteBytes(p8("full/x"), "x");
    ASSERT_EQ(mkdir(p8("empty").c_str(), 0777), 0);
    EXPECT_EQ(LX_RemoveDirectory(p16("full").c_str()), -1015);
    EXPECT_EQ(LX_RemoveDirectory(p16("empty").c_str()), 0);
    EXPECT_FALSE(Exists(p8("empty")));
    EXPECT_EQ(LX_RemoveDirectory(p16("missing").c_str()), -1015);
}

TEST_F(FolderRemove, RecursiveRemovesFilesAndFolders)
{
    ASSERT_EQ(LX_CreateDirectory(p16("tree/a/b").c_str(), true), 0);
    WriteBytes(p8("tree/f"), "1");
    WriteBytes(p8("tree/a/g"), "2");
    WriteBytes(p8("tree/a/b/ro"), "3");
    ASSERT_EQ(chmod(p8("tree/a/b/ro").c_str(), 0444), 0);
    EXPECT_EQ(LX_RemoveDirectoryRecursively(p16("tree").c_str()), 0);
    EXPECT_FALSE(Exists(p8("tree")));
}

TEST_F(FolderRemove, RecursiveKeepsFoldersWithDotEntries)
{
    ASSERT_EQ(LX_CreateDirectory(p16("tree/sub").c_str(), true), 0);
    WriteBytes(p8("tree/sub/.hidden"), "x");
    WriteBytes(p8("tree/sub/plain"), "x");
    EXPECT_EQ(LX_RemoveDirectoryRecursively(p16("tree").c_str()), -1015);
    EXPECT_TRUE(Exists(p8("tree/sub/.hidden")));
    EXPECT_FALSE(Exists(p8("tree/sub/plain")));
}

TEST_F(FolderRemove, RecursiveDoesNotFollowLinks)
{
    ASSERT_EQ(LX_CreateDirectory(p16("outside").c_str(), false), 0);
    WriteBytes(p8("outside/keep"), "x");
    ASSERT_EQ(LX_CreateDirectory(p16("tree").c_str(), false), 0);
    ASSERT_EQ(symlink(p8("outside").c_str(), p8("tree/link").c_str()), 0);
    EXPECT_EQ(LX_RemoveDirectoryRecursively(p16("tree").c_str()), 0);
    EXPECT_FALSE(Exists(p8("tree")));
    EXPECT_TRUE(Exists(p8("outside/keep")));
}

TEST_F(FolderRemove, RecursiveOnMissingFolderFails)
{
    EXPECT_EQ(LX_RemoveDirectoryRecursively(p16("missing").c_str()), -1015);
    EXPECT_EQ(LX_RemoveDirectoryRecursively(nullptr), -4);
}

using FileRemove = FileApiTest;

TEST_F(FileRemove, StrictAndNotStrict)
{
    WriteBytes(p8("ro"), "x");
    ASSERT_EQ(chmod(p8("ro").c_str(), 0444), 0);
    ASSERT_EQ(mkdir(p8("folder").c_str(), 0777), 0);
    struct Case {
        const char* name;
        bool strict;
        int status;
    };
    const Case cases[] = {
        {"missing", false, 0},          {"missing", true, -1019},
        {"nofolder/missing", false, 0}, {"nofolder/missing", true, -1019},
        {"folder", false, -1019},       {"ro", true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << (c.strict ? " strict" : ""));
        EXPECT_EQ(LX_RemoveFile(p16(c.name).c_str(), c.strict), c.status);
    }
    EXPECT_FALSE(Exists(p8("ro")));
}

using CurrentFolder = FileApiTest;

TEST_F(CurrentFolder, SetThenGet)
{
    ScopedCwd restore(dir8());
    ASSERT_EQ(mkdir(p8("sub").c_str(), 0777), 0);
    EXPECT_EQ(LX_SetCurrentDirectory(u"sub"), 0);
    char16_t buffer[1024];
    EXPECT_EQ(LX_GetCurrentDirectory(buffer, 1024), 0);
    EXPECT_EQ(std::u16string(buffer), p16("sub"));
    EXPECT_EQ(LX_SetCurrentDirectory(u"missing"), -1021);
}

TEST_F(CurrentFolder, ShortBufferIsRefusedNotCut)
{
    // A cut path may name another, existing folder ("/tmp" of "/tmp/x").
    ScopedCwd restore(dir8());
    const size_t length = m_dir.u16().size();
    std::vector<char16_t> buffer(length + 2, u'#');
    EXPECT_EQ(LX_GetCurrentDirectory(buffer.data(), uint32_t(length)), -1102);
    EXPECT_EQ(buffer[0], u'\0');
    EXPECT_EQ(buffer[1], u'#');
    EXPECT_EQ(LX_GetCurrentDirectory(buffer.data(), uint32_t(length + 1)), 0);
    EXPECT_EQ(std::u16string(buffer.data()), m_dir.u16());
    EXPECT_EQ(LX_GetCurrentDirectory(nullptr, 5), -4);
    EXPECT_EQ(LX_GetCurrentDirectory(buffer.data(), 0), -4);
}

TEST(FolderDiskSpace, SizesOfTheFileSystem)
{
    uint64_t available = 0, total = 0, free = 0;
    EXPECT_EQ(LX_GetDiskSpaces(u"/", &available, &total, &free), 0);
    EXPECT_GT(total, 0u);
    EXPECT_LE(free, total);
    EXPECT_LE(available, total);
    EXPECT_EQ(LX_GetDiskSpaces(nullptr, nullptr, &total, nullptr), 0);
    EXPECT_EQ(LX_GetDiskSpaces(u"/no/such/folder", &available, &total, &free), -1022);
}

} // namespace
