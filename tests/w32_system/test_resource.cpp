#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gnr_system/LxResource.h"
#include "test_support.h"
#include "w32_system/LxResourceContainer.h"
#include "w32_system/dynlib/LxDynLib.h"

namespace fs = std::filesystem;

namespace
{

using Bytes = std::vector<uint8_t>;

Bytes readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const fs::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::string bytesOf(const CLxByteArrayW32& block)
{
    return std::string(reinterpret_cast<const char*>(block.GetData()), block.GetSize());
}

// A stand-in module file (any readable file will do) in a fresh folder, and
// data files to copy into it.
class LxResource : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        writeFile(m_dir.path() / "libplugin.so", "not really a module");
        m_module = m_dir.u16("libplugin.so");
    }

    // Writes text to a data file and copies it into the resource name.
    int put(const char16_t* name, const std::string& text)
    {
        writeFile(m_dir.path() / "in.dat", text);
        return LX_ResourceToDll(name, m_module.c_str(), m_dir.u16("in.dat").c_str());
    }
    // The resource name copied out through a data file; "<failed>" on -9.
    std::string get(const char16_t* name)
    {
        fs::remove(m_dir.path() / "out.dat");
        if (LX_DllToResource(name, m_module.c_str(), m_dir.u16("out.dat").c_str()) != 0)
            return "<failed>";
        Bytes bytes = readFile(m_dir.path() / "out.dat");
        return std::string(bytes.begin(), bytes.end());
    }
    fs::path container() const { return m_dir.path() / "libplugin.so.rsrc"; }

    ScopedTempDir m_dir;
    std::u16string m_module;
};

TEST_F(LxResource, DataFilesRoundTripThroughTheContainerBesideTheModule)
{
    ASSERT_EQ(put(u"Catalog", std::string("bytes\0with zero", 15)), 0);
    EXPECT_TRUE(fs::exists(container()));
    EXPECT_EQ(get(u"CATALOG"), std::string("bytes\0with zero", 15)); // names ignore case
    ASSERT_EQ(put(u"empty", ""), 0);
    EXPECT_EQ(get(u"empty"), "");

    // No temporary container is left behind.
    int files = 0;
    for (const auto& item : fs::directory_iterator(m_dir.path()))
        files += item.path().extension() == ".tmp";
    EXPECT_EQ(files, 0);
}

TEST_F(LxResource, UpdatesReplaceTheirEntryAndKeepTheOthers)
{
    ASSERT_EQ(put(u"ONE", "first"), 0);
    ASSERT_EQ(put(u"TWO", "second"), 0);
    ASSERT_EQ(put(u"one", "replaced"), 0);
    EXPECT_EQ(get(u"One"), "replaced");
    EXPECT_EQ(get(u"two"), "second");

    std::vector<SLxResourceEntry> entries;
    ASSERT_EQ(LX_ReadResourceContainer(container().string(), &entries), LX_RSRC_OK);
    EXPECT_EQ(entries.size(), 2u);
}

TEST_F(LxResource, NumberNamesAreIntegerIds)
{
    ASSERT_EQ(put(u"#1033", "english"), 0);
    CLxRscData rsc;
    LX_RCDATAToCLxRscDataByID(rsc, m_module.c_str(), 1033, -1);
    LX_RCDATAToCLxRscDataByID(rsc, m_module.c_str(), 1033 + 0x10000, 7); // low 16 bits count
    LX_RCDATAToCLxRscDataByID(rsc, m_module.c_str(), 1036, -1);          // missing: nothing
    ASSERT_EQ(rsc.GetCLxByteArrayW32Count(), 2);
    int id = 0;
    EXPECT_EQ(bytesOf(rsc.GetCLxByteArrayW32(0, &id)), "english");
    EXPECT_EQ(id, 1033);
    rsc.GetCLxByteArrayW32(1, &id);
    EXPECT_EQ(id, 7);
    EXPECT_EQ(rsc.GetModule(), nullptr);
}

TEST(LxResourceKey, NamesAndNumbers)
{
    struct Case {
        const char16_t* name;
        bool isId;
        uint32_t id;
    } cases[] = {
        {u"#123", true, 123},     {u"#0", true, 0},
        {u"#65535", true, 65535}, {u"#65536", false, 0},
        {u"#12a", false, 0},      {u"#", false, 0},
        {u"123", false, 0},       {u"#99999999999", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(U8(c.name));
        SLxResourceKey key = SLxResourceKey::FromName(c.name);
        EXPECT_EQ(key.wsName.empty(), c.isId);
        if (c.isId)
            EXPECT_EQ(key.uiId, c.id);
        else
            EXPECT_EQ(key.wsName, c.name);
    }
}

TEST(LxResourceKey, NeutralLanguageFirstThenAny)
{
    std::vector<SLxResourceEntry> entries(3);
    entries[0].uiType = LX_RT_RCDATA;
    entries[0].uiId = 5;
    entries[0].uiLanguage = 0x409;
    entries[1] = entries[0];
    entries[1].uiLanguage = 0;
    entries[2] = entries[0];
    entries[2].uiType = 6; // another type
    const SLxResourceKey five = SLxResourceKey::FromId(5);
    EXPECT_EQ(LX_FindResource(entries, LX_RT_RCDATA, five, 0, true), &entries[1]);
    EXPECT_EQ(LX_FindResource(entries, 6, five, 0, true), &entries[2]);
    entries.erase(entries.begin() + 1);
    EXPECT_EQ(LX_FindResource(entries, LX_RT_RCDATA, five, 0, true), &entries[0]);
    EXPECT_EQ(LX_FindResource(entries, LX_RT_RCDATA, five, 0, false), nullptr);
    EXPECT_EQ(LX_FindResource(entries, LX_RT_RCDATA, SLxResourceKey::FromName(u"#5"), 0x409, false),
              &entries[0]);
}

TEST_F(LxResource, LanguageBlocksComeInLanguageOrder)
{
    // 0x1009 (English, Canada) is not a default sublanguage: left out.
    for (const char16_t* name : {u"#4105", u"#3082", u"#2052", u"#1033", u"#1031", u"#1024"})
        ASSERT_EQ(put(name, U8(name)), 0);
    ASSERT_EQ(put(u"CATALOG", "named"), 0);
    CLxRscData rsc;
    rsc.AppendData("stale", 5, 1);
    LX_RCDATAToCLxRscData(rsc, m_module.c_str());
    std::vector<int> ids;
    for (int i = 0; i < rsc.GetCLxByteArrayW32Count(); ++i) {
        int id = 0;
        const CLxByteArrayW32& block = rsc.GetCLxByteArrayW32(i, &id);
        EXPECT_EQ(bytesOf(block), "#" + std::to_string(id));
        ids.push_back(id);
    }
    EXPECT_EQ(ids, (std::vector<int>{0x400, 0x407, 0x409, 0x804, 0xC0A}));
}

TEST_F(LxResource, ALoadedModuleIsFoundByItsHandle)
{
    fs::copy_file(LXTEST_SECTIONS_MODULE, m_dir.path() / "liblxres.so");
    std::u16string path = m_dir.u16("liblxres.so");
    writeFile(m_dir.path() / "in.dat", "catalog bytes");
    ASSERT_EQ(LX_ResourceToDll(u"#1036", path.c_str(), m_dir.u16("in.dat").c_str()), 0);

    LX_HMODULE module = LX_LoadLibrary(path.c_str());
    ASSERT_NE(module, nullptr);
    CLxRscData rsc;
    LX_RCDATAToCLxRscData(rsc, module);
    EXPECT_EQ(rsc.GetModule(), module);
    ASSERT_EQ(rsc.GetCLxByteArrayW32Count(), 1);
    int id = 0;
    EXPECT_EQ(bytesOf(rsc.GetCLxByteArrayW32(0, &id)), "catalog bytes");
    EXPECT_EQ(id, 1036);

    CLxRscData one;
    LX_RCDATAToCLxRscDataByID(one, module, 1036, -1);
    EXPECT_EQ(one.GetCLxByteArrayW32Count(), 1);
    EXPECT_EQ(LX_UnloadLibrary(module), 0);
}

TEST_F(LxResource, AModuleWithoutContainerHasNoResources)
{
    CLxRscData rsc;
    LX_RCDATAToCLxRscData(rsc, m_module.c_str());
    EXPECT_EQ(rsc.GetCLxByteArrayW32Count(), 0);
    LX_RCDATAToCLxRscData(rsc, static_cast<LX_HMODULE>(nullptr)); // the program itself
    EXPECT_EQ(rsc.GetCLxByteArrayW32Count(), 0);
    EXPECT_EQ(get(u"anything"), "<failed>");
    EXPECT_STREQ(LX_GetResCopyError(), "Cannot locate resource.");
}

TEST_F(LxResource, FailuresLeaveTheirReason)
{
    ASSERT_EQ(put(u"DATA", "kept"), 0);
    const std::u16string data = m_dir.u16("in.dat");
    const std::u16string missing = m_dir.u16("missing.so");
    const std::u16string nowhere = m_dir.u16("no/such/folder/out.dat");
    struct Case {
        int (*copy)(const char16_t*, const char16_t*, const char16_t*);
        const char16_t* name;
        const char16_t* module;
        const char16_t* dataPath;
        const char* reason;
    } cases[] = {
        {LX_ResourceToDll, u"DATA", missing.c_str(), data.c_str(), "Cannot load the dll file."},
        {LX_ResourceToDll, u"DATA", nullptr, data.c_str(), "Cannot load the dll file."},
        {LX_ResourceToDll, u"DATA", m_module.c_str(), missing.c_str(),
         "Cannot open the data file."},
        {LX_ResourceToDll, u"", m_module.c_str(), data.c_str(), "Updating resource failed."},
        {LX_DllToResource, u"DATA", missing.c_str(), data.c_str(), "Cannot load the dll file."},
        {LX_DllToResource, u"OTHER", m_module.c_str(), data.c_str(), "Cannot locate resource."},
        {LX_DllToResource, nullptr, m_module.c_str(), data.c_str(), "Cannot locate resource."},
        {LX_DllToResource, u"DATA", m_module.c_str(), nowhere.c_str(),
         "Cannot open the data file."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        EXPECT_EQ(c.copy(c.name, c.module, c.dataPath), -9);
        EXPECT_STREQ(LX_GetResCopyError(), c.reason);
    }
    // A missing resource leaves an existing data file alone.
    EXPECT_EQ(readFile(m_dir.path() / "in.dat"), (Bytes{'k', 'e', 'p', 't'}));
    // The reason stays after a success.
    EXPECT_EQ(get(u"DATA"), "kept");
    EXPECT_STREQ(LX_GetResCopyError(), "Cannot open the data file.");
}

TEST_F(LxResource, ADamagedContainerIsNeitherReadNorReplaced)
{
    ASSERT_EQ(put(u"DATA", "payload"), 0);
    Bytes damaged = readFile(container());
    damaged.resize(damaged.size() - 1);
    {
        std::ofstream out(container(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(damaged.data()), std::streamsize(damaged.size()));
    }
    EXPECT_EQ(put(u"DATA", "new"), -9);
    EXPECT_STREQ(LX_GetResCopyError(), "Updating resource failed.");
    EXPECT_EQ(readFile(container()), damaged);
    EXPECT_EQ(get(u"DATA"), "<failed>");
    EXPECT_STREQ(LX_GetResCopyError(), "Cannot load resource.");
    CLxRscData rsc;
    LX_RCDATAToCLxRscData(rsc, m_module.c_str());
    EXPECT_EQ(rsc.GetCLxByteArrayW32Count(), 0);
}

TEST(LxResourceContainer, AFailedWriteLeavesNothing)
{
    ScopedTempDir dir;
    std::vector<SLxResourceEntry> entries(1);
    EXPECT_FALSE(LX_WriteResourceContainer((dir.path() / "none/lib.so.rsrc").string(), entries));
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

// A container of two entries, one known by id and one by a name.
Bytes sampleContainer()
{
    std::vector<SLxResourceEntry> entries(2);
    entries[0].uiType = LX_RT_RCDATA;
    entries[0].uiId = 0x409;
    entries[0].data = {1, 2, 3, 4, 5};
    entries[1].uiType = LX_RT_RCDATA;
    entries[1].uiLanguage = 0x407;
    entries[1].wsName = u"Name\u00e9";
    entries[1].data = {9, 8, 7};
    Bytes bytes;
    EXPECT_TRUE(LX_FormatResourceContainer(entries, &bytes));
    return bytes;
}

TEST(LxResourceContainer, ParsesWhatItFormats)
{
    Bytes bytes = sampleContainer();
    std::vector<SLxResourceEntry> entries;
    ASSERT_EQ(LX_ParseResourceContainer(bytes.data(), bytes.size(), &entries), LX_RSRC_OK);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].uiId, 0x409u);
    EXPECT_EQ(entries[0].data, (Bytes{1, 2, 3, 4, 5}));
    EXPECT_EQ(entries[1].wsName, u"Name\u00e9");
    EXPECT_EQ(entries[1].uiLanguage, 0x407u);
    EXPECT_EQ(entries[1].data, (Bytes{9, 8, 7}));
    // Header, entry header, data: the layout is fixed little-endian words.
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 12),
              (Bytes{'Q', 'R', 'S', 'C', 1, 0, 0, 0, 2, 0, 0, 0}));
}

TEST(LxResourceContainer, TruncatedOrExtendedContainersAreRefused)
{
    Bytes bytes = sampleContainer();
    std::vector<SLxResourceEntry> entries;
    for (size_t size = 0; size < bytes.size(); ++size) {
        Bytes cut(bytes.begin(), bytes.begin() + ptrdiff_t(size));
        EXPECT_EQ(LX_ParseResourceContainer(cut.data(), cut.size(), &entries), LX_RSRC_DAMAGED)
            << size;
    }
    bytes.push_back(0);
    EXPECT_EQ(LX_ParseResourceContainer(bytes.data(), bytes.size(), &entries), LX_RSRC_DAMAGED);
}

TEST(LxResourceContainer, CorruptedFieldsNeverReadPastTheEnd)
{
    // Every byte set to values that make large or odd counts and lengths;
    // the sanitizers watch the reads, the result must be a clean answer.
    const Bytes bytes = sampleContainer();
    for (size_t at = 0; at < bytes.size(); ++at)
        for (uint8_t value : {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF}) {
            Bytes damaged = bytes;
            damaged[at] = value;
            std::vector<SLxResourceEntry> entries;
            int rc = LX_ParseResourceContainer(damaged.data(), damaged.size(), &entries);
            EXPECT_TRUE(rc == LX_RSRC_OK || rc == LX_RSRC_DAMAGED);
        }
}

} // namespace
