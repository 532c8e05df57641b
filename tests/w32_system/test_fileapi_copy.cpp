// Copying, moving and replacing files.
#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>

#include "test_fileapi_support.h"

namespace {

void IgnoreCopyReport(int, uint32_t, uint32_t, uint32_t, uint32_t, uintptr_t) {}

using FileCopy = FileApiTest;

TEST_F(FileCopy, CopiesContentsModeAndWriteTime)
{
    std::string data(200000, '\0');
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = char(i * 31);
    WriteBytes(p8("src"), data);
    ASSERT_EQ(chmod(p8("src").c_str(), 0640), 0);
    const struct timespec times[2] = {{1000000000, 0}, {1200000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, p8("src").c_str(), times, 0), 0);

    EXPECT_EQ(LX_CopyFile(p16("src").c_str(), p16("dst").c_str(), true, nullptr, nullptr, 0), 0);
    EXPECT_EQ(ReadBytes(p8("dst")), data);
    struct stat st;
    ASSERT_EQ(stat(p8("dst").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_mtime, 1200000000);
}

TEST_F(FileCopy, ExistingTarget)
{
    WriteBytes(p8("src"), "new");
    WriteBytes(p8("dst"), "old contents");
    EXPECT_EQ(LX_CopyFile(p16("src").c_str(), p16("dst").c_str(), true, nullptr, nullptr, 0),
              -1106);
    EXPECT_EQ(ReadBytes(p8("dst")), "old contents");
    EXPECT_EQ(LX_CopyFile(p16("src").c_str(), p16("dst").c_str(), false, nullptr, nullptr, 0), 0);
    EXPECT_EQ(ReadBytes(p8("dst")), "new");
}

TEST_F(FileCopy, OntoItselfLeavesTheFileAlone)
{
    WriteBytes(p8("f"), "precious");
    ASSERT_EQ(link(p8("f").c_str(), p8("hard").c_str()), 0);
    EXPECT_EQ(LX_CopyFile(p16("f").c_str(), p16("f").c_str(), false, nullptr, nullptr, 0), -1016);
    EXPECT_EQ(LX_CopyFile(p16("f").c_str(), p16("hard").c_str(), false, nullptr, nullptr, 0),
              -1016);
    EXPECT_EQ(ReadBytes(p8("f")), "precious");
}

TEST_F(FileCopy, Failures)
{
    ASSERT_EQ(mkdir(p8("folder").c_str(), 0777), 0);
    WriteBytes(p8("src"), "x");
    EXPECT_EQ(LX_CopyFile(p16("missing").c_str(), p16("dst").c_str(), false, nullptr, nullptr, 0),
              -1016);
    EXPECT_EQ(LX_CopyFile(p16("folder").c_str(), p16("dst").c_str(), false, nullptr, nullptr, 0),
              -1016);
    EXPECT_EQ(LX_CopyFile(p16("src").c_str(), p16("no/dst").c_str(), false, nullptr, nullptr, 0),
              -1016);
    EXPECT_EQ(LX_CopyFile(nullptr, p16("dst").c_str(), false, nullptr, nullptr, 0), -4);
    EXPECT_FALSE(Exists(p8("dst")));
}

TEST_F(FileCopy, BackgroundFormOpensBothFiles)
{
    std::atomic<int> keepGoing{1};
    EXPECT_EQ(
        LX_CopyFile(p16("missing").c_str(), p16("dst").c_str(), false, &keepGoing, nullptr, 0),
        -1000);
    WriteBytes(p8("src"), "x");
    WriteBytes(p8("dst"), "y");
    EXPECT_EQ(
        LX_CopyFile(p16("src").c_str(), p16("dst").c_str(), true, nullptr, IgnoreCopyReport, 0),
        -1000);
    EXPECT_EQ(
        LX_CopyFile(p16("src").c_str(), p16("src").c_str(), false, nullptr, IgnoreCopyReport, 0),
        -1016);
    EXPECT_EQ(ReadBytes(p8("src")), "x");
}

using FileMove = FileApiTest;

TEST_F(FileMove, RenamesAndReplaces)
{
    WriteBytes(p8("a"), "A");
    WriteBytes(p8("b"), "B");
    EXPECT_EQ(LX_MoveFile(p16("a").c_str(), p16("b").c_str(), true, nullptr, nullptr, 0), -1017);
    EXPECT_EQ(ReadBytes(p8("a")), "A");
    EXPECT_EQ(ReadBytes(p8("b")), "B");
    EXPECT_EQ(LX_MoveFile(p16("a").c_str(), p16("b").c_str(), false, nullptr, nullptr, 0), 0);
    EXPECT_FALSE(Exists(p8("a")));
    EXPECT_EQ(ReadBytes(p8("b")), "A");
    EXPECT_EQ(LX_MoveFile(p16("b").c_str(), p16("c").c_str(), true, nullptr, nullptr, 0), 0);
    EXPECT_EQ(ReadBytes(p8("c")), "A");
    EXPECT_EQ(LX_MoveFile(p16("missing").c_str(), p16("d").c_str(), false, nullptr, nullptr, 0),
              -1017);
}

TEST_F(FileMove, AcrossFileSystemsCopiesAndKeepsTheSource)
{
    struct stat here, shm;
    if (stat(dir8().c_str(), &here) != 0 || stat("/dev/shm", &shm) != 0 ||
        here.st_dev == shm.st_dev)
        GTEST_SKIP() << "no second file system";
    std::string target = "/dev/shm/quelvix-move-" + std::to_string(getpid());
    WriteBytes(p8("a"), "moved");
    EXPECT_EQ(
        LX_MoveFile(p16("a").c_str(), U16(target.c_str()).c_str(), false, nullptr, nullptr, 0), 0);
    EXPECT_EQ(ReadBytes(target), "moved");
    EXPECT_TRUE(Exists(p8("a")));
    EXPECT_EQ(LX_MoveFile(p16("a").c_str(), U16(target.c_str()).c_str(), true, nullptr, nullptr, 0),
              -1106);
    unlink(target.c_str());
}

TEST_F(FileMove, ReplaceKeepsABackup)
{
    WriteBytes(p8("new"), "new");
    WriteBytes(p8("cur"), "cur");
    WriteBytes(p8("bak"), "stale");
    EXPECT_EQ(LX_ReplaceFile(p16("new").c_str(), p16("cur").c_str(), p16("bak").c_str(), nullptr,
                             nullptr, 0),
              0);
    EXPECT_EQ(ReadBytes(p8("cur")), "new");
    EXPECT_EQ(ReadBytes(p8("bak")), "cur");
    EXPECT_FALSE(Exists(p8("new")));

    WriteBytes(p8("newer"), "newer");
    EXPECT_EQ(
        LX_ReplaceFile(p16("newer").c_str(), p16("cur").c_str(), nullptr, nullptr, nullptr, 0), 0);
    EXPECT_EQ(ReadBytes(p8("cur")), "newer");

    // Without a target the first move fails and nothing else happens.
    WriteBytes(p8("r"), "r");
    EXPECT_EQ(LX_ReplaceFile(p16("r").c_str(), p16("none").c_str(), p16("bak").c_str(), nullptr,
                             nullptr, 0),
              -1017);
    EXPECT_TRUE(Exists(p8("r")));
    EXPECT_EQ(ReadBytes(p8("bak")), "cur");
}

} // namespace
