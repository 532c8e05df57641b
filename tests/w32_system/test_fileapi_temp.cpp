// Temporary folder and names, the search along folders, the storage path.
#include <dirent.h>
#include <sys/stat.h>

#include <regex>
#include <set>
#include <thread>
#include <vector>

#include "test_fileapi_support.h"
#include "w32_system/LxFileInternal.h"
#include "w32_system/LxShellFolders.h"

namespace {

std::vector<std::string> DirectoryEntries(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir))
            if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
                names.push_back(entry->d_name);
        closedir(dir);
    }
    return names;
}

using TempPath = FileApiTest;

TEST_F(TempPath, FromTheEnvironmentWithAClosingSlash)
{
    char16_t buffer[512];
    {
        ScopedEnv tmp("TMPDIR", dir8().c_str());
        EXPECT_EQ(LX_GetTempPath(buffer, 512), 0);
        EXPECT_EQ(std::u16string(buffer), m_dir.u16() + u"/");
    }
    {
        ScopedEnv tmp("TMPDIR", nullptr);
        EXPECT_EQ(LX_GetTempPath(buffer, 512), 0);
        EXPECT_EQ(std::u16string(buffer), u"/tmp/");
        EXPECT_EQ(LX_GetTempPath(buffer, 6), 0);
        EXPECT_EQ(std::u16string(buffer), u"/tmp/");
        EXPECT_EQ(LX_GetTempPath(buffer, 5), -1102);
        EXPECT_EQ(std::u16string(buffer), u"");
    }
    EXPECT_EQ(LX_GetTempPath(nullptr, 512), -4);
}

class TempName : public FileApiTest
{
  protected:
    // The name part of the result, after checking the folder part.
    std::string makeName(const char16_t* pattern, bool create, int expected = 0)
    {
        char16_t buffer[1024] = {};
        EXPECT_EQ(LX_GetTempFileName(m_dir.u16().c_str(), pattern, create, buffer, 1024), expected);
        if (expected != 0)
            return {};
        std::string path = U8(buffer), folder = dir8() + "/";
        EXPECT_EQ(path.compare(0, folder.size(), folder), 0) << path;
        return path.substr(folder.size());
    }
};

TEST_F(TempName, DollarRunsBecomeZeroPaddedNumbers)
{
    std::string name = makeName(u"qx2_unknown$$$$.tmp", false);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(name, match, std::regex("qx2_unknown([0-9]{4,5})\\.tmp"))) << name;
    EXPECT_LE(std::stoi(match[1]), 32767);
    EXPECT_FALSE(Exists(p8(name)));
}

TEST_F(TempName, EveryRunTakesTheSameNumber)
{
    std::string name = makeName(u"a$$b$$$$$$c", false);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(name, match, std::regex("a([0-9]+)b([0-9]+)c"))) << name;
    EXPECT_GE(match[1].length(), 2);
    EXPECT_GE(match[2].length(), 6);
    EXPECT_EQ(std::stoi(match[1]), std::stoi(match[2]));
}

TEST_F(TempName, CreateFlagMakesAnEmptyFile)
{
    std::string name = makeName(u"made$$$$.tmp", true);
    struct stat st;
    ASSERT_EQ(stat(p8(name).c_str(), &st), 0) << name;
    EXPECT_EQ(st.st_size, 0);
}

TEST_F(TempName, PatternsWithoutANumberRun)
{
    EXPECT_EQ(makeName(u"plain.tmp", false), "plain.tmp");
    EXPECT_EQ(makeName(u"tail$$", false), "tail$$");
    WriteBytes(p8("plain.tmp"), "x");
    // The only candidate exists: a failure, not an endless search.
    makeName(u"plain.tmp", false, -1000);
    makeName(u"plain.tmp", true, -1000);
}

TEST_F(TempName, FindsTheLastFreeNumberAndEndsWhenNoneIsLeft)
{
    // A small number space stands in for the 32768 names of the real one.
    const unsigned kNumbers = 16;
    for (unsigned i = 0; i < kNumbers; ++i)
        if (i != 7)
            WriteBytes(p8("z" + std::to_string(i) + ".t"), "");
    std::string folder = dir8() + "/", path;
    for (bool create : {false, true}) {
        EXPECT_EQ(LX_FindTempName(folder, u"z$.t", create, kNumbers, &path), 0);
        EXPECT_EQ(path, p8("z7.t"));
    }
    EXPECT_EQ(LX_FindTempName(folder, u"z$.t", true, kNumbers, &path), -1000);
}

TEST_F(TempName, ConcurrentCallersGetDistinctFiles)
{
    const int kThreads = 8, kEach = 40;
    std::vector<std::vector<std::u16string>> made(kThreads);
    std::vector<std::thread> threads;
    std::u16string folder = m_dir.u16();
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                char16_t buffer[1024];
                if (LX_GetTempFileName(folder.c_str(), u"c$$$$$.tmp", true, buffer, 1024) == 0)
                    made[t].push_back(buffer);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    std::set<std::u16string> distinct;
    for (const auto& list : made) {
        EXPECT_EQ(list.size(), size_t(kEach));
        distinct.insert(list.begin(), list.end());
    }
    EXPECT_EQ(distinct.size(), size_t(kThreads * kEach));
}

TEST_F(TempName, FolderForms)
{
    ScopedEnv tmp("TMPDIR", dir8().c_str());
    char16_t buffer[1024];
    ASSERT_EQ(LX_GetTempFileName(nullptr, u"n$$.x", false, buffer, 1024), 0);
    EXPECT_EQ(U8(buffer).rfind(dir8() + "/n", 0), 0u) << U8(buffer);

    ASSERT_EQ(mkdir(p8("sub").c_str(), 0777), 0);
    std::u16string backslashed = m_dir.u16() + u"\\sub\\";
    ASSERT_EQ(LX_GetTempFileName(backslashed.c_str(), u"n$$.x", true, buffer, 1024), 0);
    EXPECT_EQ(U8(buffer).rfind(p8("sub/n"), 0), 0u) << U8(buffer);
    EXPECT_TRUE(Exists(U8(buffer)));

    EXPECT_EQ(LX_GetTempFileName(p16("missing").c_str(), u"n$$.x", true, buffer, 1024), -1000);
}

TEST_F(TempName, ShortBufferAndBadArguments)
{
    // The buffer must hold the longest name the pattern can give (five
    // digits), or nothing is made: a created file with a cut name would be
    // orphaned.
    const std::u16string folder = m_dir.u16();
    const uint32_t longest = uint32_t(folder.size() + std::u16string(u"/n12345.x").size());
    std::vector<char16_t> buffer(longest + 2, u'#');
    for (bool create : {false, true}) {
        EXPECT_EQ(LX_GetTempFileName(folder.c_str(), u"n$$.x", create, buffer.data(), longest),
                  -1102);
        EXPECT_EQ(buffer[0], u'\0');
        EXPECT_EQ(buffer[1], u'#');
    }
    EXPECT_TRUE(DirectoryEntries(dir8()).empty());
    EXPECT_EQ(LX_GetTempFileName(folder.c_str(), u"n$$.x", true, buffer.data(), longest + 1), 0);
    EXPECT_TRUE(Exists(U8(buffer.data())));
    EXPECT_EQ(LX_GetTempFileName(nullptr, nullptr, false, buffer.data(), 6), -4);
    EXPECT_EQ(LX_GetTempFileName(nullptr, u"n$$.x", false, nullptr, 6), -4);
    EXPECT_EQ(LX_GetTempFileName(nullptr, u"n$$.x", false, buffer.data(), 0), -4);
}

class SearchPath : public FileApiTest
{
  protected:
    void SetUp() override
    {
        ASSERT_EQ(mkdir(p8("one").c_str(), 0777), 0);
        ASSERT_EQ(mkdir(p8("two").c_str(), 0777), 0);
        WriteBytes(p8("two/tool.txt"), "x");
        WriteBytes(p8("two/tool.bin"), "x");
        ASSERT_EQ(mkdir(p8("one/tool.txt").c_str(), 0777), 0);
    }
    std::u16string folders() const { return p16("one") + u":" + p16("two"); }
};

TEST_F(SearchPath, FindsFilesAlongTheFolders)
{
    char16_t buffer[1024];
    EXPECT_EQ(LX_SearchPath(folders().c_str(), u"tool.txt", nullptr, buffer, 1024), 0);
    EXPECT_EQ(std::u16string(buffer), p16("two/tool.txt"));
    EXPECT_EQ(LX_SearchPath(folders().c_str(), u"tool", u".txt", buffer, 1024), 0);
    EXPECT_EQ(std::u16string(buffer), p16("two/tool.txt"));
    // A name with its own extension keeps it.
    EXPECT_EQ(LX_SearchPath(folders().c_str(), u"tool.bin", u".txt", buffer, 1024), 0);
    EXPECT_EQ(std::u16string(buffer), p16("two/tool.bin"));
    EXPECT_EQ(LX_SearchPath(folders().c_str(), u"tool", nullptr, buffer, 1024), -1024);
    EXPECT_EQ(LX_SearchPath(p16("one").c_str(), u"tool.txt", nullptr, buffer, 1024), -1024);
    const uint32_t length = uint32_t(p16("two/tool.txt").size());
    EXPECT_EQ(LX_SearchPath(folders().c_str(), u"tool.txt", nullptr, buffer, length), -1102);
    EXPECT_EQ(buffer[0], u'\0');
    EXPECT_EQ(LX_SearchPath(folders().c_str(), u"tool.txt", nullptr, buffer, length + 1), 0);
}

TEST_F(SearchPath, DefaultFoldersIncludeTheCurrentOne)
{
    ScopedCwd cwd(p8("two"));
    char16_t buffer[1024];
    EXPECT_EQ(LX_SearchPath(nullptr, u"tool", u".bin", buffer, 1024), 0);
    EXPECT_EQ(std::u16string(buffer), p16("two/tool.bin"));
    EXPECT_EQ(LX_SearchPath(nullptr, u"surely-not-there", u".zz", buffer, 1024), -1024);
}

TEST_F(SearchPath, AbsoluteNamesAreOnlyChecked)
{
    char16_t buffer[1024];
    EXPECT_EQ(LX_SearchPath(u"/nowhere", p16("two/tool.txt").c_str(), nullptr, buffer, 1024), 0);
    EXPECT_EQ(std::u16string(buffer), p16("two/tool.txt"));
    EXPECT_EQ(LX_SearchPath(nullptr, p16("two/none").c_str(), nullptr, buffer, 1024), -1024);
    EXPECT_EQ(LX_SearchPath(nullptr, nullptr, nullptr, buffer, 1024), -4);
}

class StoragePath : public ::testing::Test
{
  protected:
    ~StoragePath() override { LX_SetStorageFolder(nullptr); }
    ScopedEnv m_home{"HOME", "/home/someone"};
    ScopedEnv m_data{"XDG_DATA_HOME", "/xdg/data/"};
    ScopedEnv m_dirs{"XDG_DATA_DIRS", "/xdg/common:/usr/share"};
};

TEST_F(StoragePath, JoinsTheDataFolderAndTheStorageFolder)
{
    EXPECT_EQ(LX_SetStorageFolder(u"Veltmar\\Store"), 0);
    char16_t buffer[256];
    EXPECT_EQ(LX_GetStoragePath(buffer, 256, false), 0);
    EXPECT_EQ(std::u16string(buffer), u"/xdg/data/Veltmar/Store");
    EXPECT_EQ(LX_GetStoragePath(buffer, 256, true), 0);
    EXPECT_EQ(std::u16string(buffer), u"/xdg/common/Veltmar/Store");
    EXPECT_EQ(LX_GetStoragePath(buffer, 26, true), 0);
    EXPECT_EQ(LX_GetStoragePath(buffer, 25, true), -1102);
    EXPECT_EQ(std::u16string(buffer), u"");
}

TEST_F(StoragePath, FallbacksOfTheDataFolders)
{
    ScopedEnv data("XDG_DATA_HOME", nullptr);
    ScopedEnv dirs("XDG_DATA_DIRS", "relative/ignored");
    EXPECT_EQ(LX_GetLocalAppDataFolder(), u"/home/someone/.local/share");
    EXPECT_EQ(LX_GetCommonAppDataFolder(), u"/usr/local/share");
    char16_t buffer[256];
    EXPECT_EQ(LX_GetStoragePath(buffer, 256, false), 0);
    EXPECT_EQ(std::u16string(buffer), u"/home/someone/.local/share/");
    ScopedEnv home("HOME", nullptr);
    EXPECT_EQ(LX_GetLocalAppDataFolder(), u"");
    EXPECT_EQ(LX_GetStoragePath(buffer, 256, false), -4);
    EXPECT_EQ(LX_GetStoragePath(nullptr, 256, true), -4);
}

} // namespace
