// Find, drives, volumes, and the services without a counterpart here.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include <set>

#include "test_fileapi_support.h"

namespace {

class FindFile : public FileApiTest
{
  protected:
    void SetUp() override
    {
        WriteBytes(p8("a.txt"), "12345");
        WriteBytes(p8("B.TXT"), "1");
        WriteBytes(p8("c.dat"), "");
        ASSERT_EQ(mkdir(p8("sub").c_str(), 0777), 0);
    }

    // Every name the pattern finds, with the record of each.
    std::set<std::string> names(const std::u16string& pattern, int* status = nullptr)
    {
        std::set<std::string> found;
        SLxFindData record = {};
        LX_HFIND handle = nullptr;
        int rc = LX_FindFileFirst(pattern.c_str(), &handle, &record);
        if (status)
            *status = rc;
        if (rc != 0) {
            EXPECT_EQ(handle, nullptr);
            return found;
        }
        do
            found.insert(U8(record.wsFileName));
        while (LX_FindFileNext(handle, &record) == 0);
        EXPECT_EQ(LX_FindFileNext(handle, &record), -1026);
        EXPECT_EQ(LX_FindFileClose(handle), 0);
        return found;
    }
};

TEST_F(FindFile, MasksMatchWithoutRegardToCase)
{
    using Names = std::set<std::string>;
    std::u16string folder = m_dir.u16() + u"\\";
    EXPECT_EQ(names(folder + u"*.txt"), (Names{"a.txt", "B.TXT"}));
    EXPECT_EQ(names(folder + u"?.dat"), (Names{"c.dat"}));
    EXPECT_EQ(names(folder + u"A.TXT"), (Names{"a.txt"}));
    EXPECT_EQ(names(folder + u"*"), (Names{".", "..", "a.txt", "B.TXT", "c.dat", "sub"}));
    EXPECT_EQ(names(folder + u"*.*"), names(folder + u"*"));
    EXPECT_EQ(names(folder + u"*u*"), (Names{"sub"}));
}

TEST_F(FindFile, RelativePatternsUseTheCurrentFolder)
{
    ScopedCwd cwd(dir8());
    EXPECT_EQ(names(u"*.dat"), (std::set<std::string>{"c.dat"}));
}

TEST_F(FindFile, RecordFields)
{
    ScopedEnv zone("TZ", "UTC0");
    struct tm creation = {}, access = {}, write = {};
    SLxFindData record = {};
    record.ptmCreation = &creation;
    record.ptmLastAccess = &access;
    record.ptmLastWrite = &write;
    const struct timespec times[2] = {{1300000000, 0}, {1400000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, p8("a.txt").c_str(), times, 0), 0);

    LX_HFIND handle = nullptr;
    ASSERT_EQ(LX_FindFileFirst(p16("a.txt").c_str(), &handle, &record), 0);
    EXPECT_EQ(U8(record.wsFileName), "a.txt");
    EXPECT_EQ(record.ui64Size, 5u);
    EXPECT_FALSE(record.bDirectory);
    EXPECT_EQ(access.tm_year, 111); // 2011-03-13
    EXPECT_EQ(write.tm_year, 114);  // 2014-05-13 16:53:20
    EXPECT_EQ(write.tm_mon, 4);
    EXPECT_EQ(write.tm_mday, 13);
    EXPECT_EQ(write.tm_hour, 16);
    EXPECT_EQ(write.tm_yday, 132);
    EXPECT_EQ(write.tm_isdst, -1);
    EXPECT_GT(creation.tm_year, 100);
    EXPECT_EQ(LX_FindFileClose(handle), 0);

    SLxFindData folderRecord = {};
    ASSERT_EQ(LX_FindFileFirst(p16("sub").c_str(), &handle, &folderRecord), 0);
    EXPECT_TRUE(folderRecord.bDirectory);
    EXPECT_EQ(LX_FindFileClose(handle), 0);
}

TEST_F(FindFile, NullRecordOnlyWalks)
{
    LX_HFIND handle = nullptr;
    ASSERT_EQ(LX_FindFileFirst(p16("*.txt").c_str(), &handle, nullptr), 0);
    EXPECT_EQ(LX_FindFileNext(handle, nullptr), 0);
    EXPECT_EQ(LX_FindFileNext(handle, nullptr), -1026);
    EXPECT_EQ(LX_FindFileClose(handle), 0);
}

TEST_F(FindFile, Failures)
{
    int status = 0;
    names(p16("*.none"), &status);
    EXPECT_EQ(status, -1025);
    names(p16("missing/*"), &status);
    EXPECT_EQ(status, -1025);
    names(m_dir.u16() + u"/", &status);
    EXPECT_EQ(status, -1025);
    EXPECT_EQ(LX_FindFileFirst(p16("*").c_str(), nullptr, nullptr), -4);
    LX_HFIND handle;
    EXPECT_EQ(LX_FindFileFirst(nullptr, &handle, nullptr), -4);
    EXPECT_EQ(LX_FindFileNext(nullptr, nullptr), -1026);
    EXPECT_EQ(LX_FindFileClose(nullptr), -1027);
}

TEST(FileDrives, MountPointsEachTerminatedAndTheListEndedTwice)
{
    uint32_t needed = 0;
    char16_t small[4];
    EXPECT_EQ(LX_GetLogicalDriveStrings(small, 4, &needed), -1102);
    ASSERT_GT(needed, 4u);
    std::vector<char16_t> buffer(needed);
    uint32_t again = 0;
    ASSERT_EQ(LX_GetLogicalDriveStrings(buffer.data(), needed, &again), 0);
    EXPECT_EQ(again, needed);
    EXPECT_EQ(buffer[needed - 1], 0);
    EXPECT_EQ(buffer[needed - 2], 0);
    std::set<std::u16string> roots;
    for (size_t at = 0; buffer[at];) {
        std::u16string root(&buffer[at]);
        EXPECT_EQ(root.back(), u'/') << U8(root.c_str());
        EXPECT_TRUE(roots.insert(root).second) << U8(root.c_str());
        at += root.size() + 1;
    }
    EXPECT_EQ(roots.count(u"/"), 1u);
    EXPECT_EQ(LX_GetLogicalDriveStrings(nullptr, 0, nullptr), -1102);
}

TEST(FileVolume, DriveTypeAndName)
{
    char16_t name[128], second[8] = u"junk";
    SLxVolumeInfo info = {99, name, 128, second, 8, 77};
    EXPECT_EQ(LX_GetVolumeInformation(u"/", &info), 0);
    EXPECT_GE(info.uiDriveType, 2u);
    EXPECT_LE(info.uiDriveType, 6u);
    EXPECT_EQ(info.uiReserved, 0u);
    EXPECT_EQ(second[0], 0);

    struct statfs fs;
    if (statfs("/dev/shm", &fs) == 0 && fs.f_type == 0x01021994) {
        ASSERT_EQ(LX_GetVolumeInformation(u"/dev/shm/", &info), 0);
        EXPECT_EQ(info.uiDriveType, 6u);
        std::string text = U8(name);
        EXPECT_EQ(text.size() - text.rfind(" ("), 11u) << text; // " (" 8 digits ")"
    }
}

TEST(FileVolume, MissingRootAndBadArguments)
{
    SLxVolumeInfo info = {};
    EXPECT_EQ(LX_GetVolumeInformation(u"/no/such/root", &info), 0);
    EXPECT_EQ(info.uiDriveType, 1u);
    char16_t name[16];
    info.pwsVolumeName = name;
    info.uiVolumeNameSize = 16;
    EXPECT_EQ(LX_GetVolumeInformation(u"/no/such/root", &info), -1029);
    EXPECT_EQ(LX_GetVolumeInformation(u"/", nullptr), -4);
}

using FileNoCounterpart = FileApiTest;

TEST_F(FileNoCounterpart, UNCPathAndAccessRights)
{
    char16_t buffer[64];
    EXPECT_EQ(LX_GetUNCPath(u"/", buffer, 64), -13);
    WriteBytes(p8("f"), "x");
    ASSERT_EQ(chmod(p8("f").c_str(), 0640), 0);
    EXPECT_EQ(LX_SetAccessRights(p16("f").c_str(), 0x1F01FF), -2);
    struct stat st;
    ASSERT_EQ(stat(p8("f").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(LX_SetAccessRights(p16("missing").c_str(), 0), -1030);
}

} // namespace
