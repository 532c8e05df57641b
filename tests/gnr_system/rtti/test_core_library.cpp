// The catalog sections of the built shared library, and the library making
// its own classes by name from its own folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "gnr_system/rtti/LxSectionToVariant.h"
#include "gnr_system/rtti/rtti_test_support.h"
#include "gnr_system/variant/variant_test_support.h"
#include "test_support.h"
#include "w32_system/dynlib/LxDynLib.h"

namespace fs = std::filesystem;

namespace
{

const char* const kLibrary = LXTEST_CORE_LIBRARY;

TEST(CoreLibrarySections, ReadelfListsBothSections)
{
    if (std::system("readelf --version > /dev/null 2>&1") != 0)
        LXTEST_SKIP_WITHOUT_TOOL() << "readelf is not installed";
    int status = 0;
    const std::string sections =
        CommandOutput("readelf -SW '" + std::string(kLibrary) + "'", status);
    ASSERT_EQ(status, 0);
    EXPECT_NE(sections.find(" sta9IDX "), std::string::npos) << sections;
    EXPECT_NE(sections.find(" sta9ID "), std::string::npos) << sections;
}

TEST(CoreLibrarySections, DataSegmentsReadBack)
{
    const std::u16string path = U16(kLibrary);
    for (const char* section : {"sta9IDX", "sta9ID"}) {
        SCOPED_TRACE(section);
        void* data = nullptr;
        size_t size = 0;
        ASSERT_EQ(LX_GetDataSeg(path.c_str(), section, &data, &size), 0);
        EXPECT_GT(size, 0u);
        EXPECT_EQ(size % 2, 0u);
        LX_FreeDataSeg(&data);
    }
}

class CoreLibraryCatalog : public VariantTest
{
  protected:
    CLxVariant Read(const char* section)
    {
        CLxVariant out;
        EXPECT_EQ(LX_SectionToVariant(out, CLxStringW(kLibrary), section), 0);
        return out;
    }
};

TEST_F(CoreLibraryCatalog, ClassIndexDeclaresTheModuleObjectAndTheSerializer)
{
    const CLxVariant index = Read("sta9IDX");
    const CLxVariant* module = index.SearchFixedOneLevel(u"CLx_gnr_system");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(RunTypeOf(*module), "RLxRttiClass");
    EXPECT_EQ(TextOf((*module)[u"m_parent1"]), "ILxS9Module");
    EXPECT_EQ(TextOf((*module)[u"m_parent2"]), "");
    const CLxVariant& singleton = (*module)[u"m_additional"][u"m_singleton"];
    EXPECT_EQ(RunTypeOf(singleton), "bool");
    EXPECT_TRUE(singleton.GetBool());

    const CLxVariant* serializer = index.SearchFixedOneLevel(u"CLxSerializerXMLString");
    ASSERT_NE(serializer, nullptr);
    EXPECT_EQ(RunTypeOf(*serializer), "RLxRttiClass");
    EXPECT_EQ(TextOf((*serializer)[u"m_parent1"]), "ILxSerializer");
    expectNoReport();
}

TEST_F(CoreLibraryCatalog, IdentificationDescribesTheLibraryInSlotOrder)
{
    const CLxVariant ident = Read("sta9ID");
    const std::vector<std::pair<const char*, const char*>> expected = {
        {"LX_GLOB_FILEVERSION_WCS", "1, 1, 3, 0"},
        {"LX_GLOB_PRODUCTVERSION_WCS", "0, 0, 0, 0"},
        {"LX_GLOB_COMPANYNAME", "Veltmarshoptronica"},
        {"LX_GLOB_LEGALCOPYRIGHT", "Copyright (C) Veltmarshoptronica"},
        {"LX_GLOB_TRADEMARKS", ""},
        {"LX_LOCAL_COMMENTS", "comments..."},
        {"LX_LOCAL_FILEDESCRIPTION", "strata9 platform independent system library"},
        {"LX_LOCAL_INTERNALNAME", "gnr_system"},
        {"LX_LOCAL_ORIGINALFILENAME", "s9_gnr_system.dll"},
        {"LX_LOCAL_PRODUCTNAME", "gnr_system"},
        {"LX_LOCAL_PRIVATEBUILD", "1"},
        {"LX_LOCAL_SPECIALBUILD", "1"},
        {"NDEBUG", ""},
    };
    ASSERT_EQ(ident.GetCount(), int(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(NameOf(ident[int(i)]), expected[i].first);
        EXPECT_EQ(RunTypeOf(ident[int(i)]), "CLxStringW");
        EXPECT_EQ(TextOf(ident[int(i)]), expected[i].second);
    }
}

// A program linked with the shared library makes the library's classes by
// name: the registry searches the library's real folder there.
TEST(CoreLibraryRegistry, ProgramCreatesTheLibrarysClassesByName)
{
    int status = -1;
    const std::string output = CommandOutput("'" + std::string(LXTEST_RTTI_PROBE) + "'", status);
    EXPECT_EQ(status, 0) << output;

    std::vector<std::string> lines;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    // The library's own module as the loader found it (by its runtime name);
    // the development link "libquelvixcore.so" in the same folder leads to
    // the same file and is not catalogued a second time.
    const std::string libraryFile = "libquelvixcore.so.5";
    const auto has = [&lines](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    };
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) {
                                return line.rfind("class CLxSerializerXMLString ", 0) == 0;
                            }),
              1)
        << output;
    EXPECT_TRUE(has("folder " + fs::path(kLibrary).parent_path().string() + "/")) << output;
    EXPECT_TRUE(has("class CLx_gnr_system " + libraryFile)) << output;
    EXPECT_TRUE(has("class CLxSerializerXMLString " + libraryFile)) << output;
    EXPECT_TRUE(has("serializer \xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-16\"?>"
                    "<variant version=\"1.0\"><answer runtype=\"lx_int32\" value=\"42\"/>"
                    "</variant>"))
        << output;
    EXPECT_TRUE(has("module -2 2")) << output;
}

} // namespace
