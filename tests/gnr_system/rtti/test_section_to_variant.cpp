// Reading catalog sections of module files into variant lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gnr_system/rtti/LxSectionToVariant.h"
#include "gnr_system/rtti/rtti_test_support.h"
#include "gnr_system/variant/variant_test_support.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace
{

const fs::path kModules = LXTEST_RTTI_MODULES;

CLxStringW PathW(const fs::path& path)
{
    return CLxStringW(path.string().c_str());
}

class SectionToVariant : public VariantTest
{
  protected:
    // The children of the section of a test module.
    CLxVariant Read(const char* module, const char* section)
    {
        CLxVariant out;
        EXPECT_EQ(LX_SectionToVariant(out, PathW(kModules / module), section), 0);
        return out;
    }
};

TEST_F(SectionToVariant, ClassIndexGivesOneChildPerText)
{
    const CLxVariant index = Read("lxtest_rtti_alpha.so", "sta9IDX");
    std::vector<std::string> classes;
    int narrowNames = 0;
    const CLxVariant* rank = nullptr;
    for (int i = 0; i < index.GetCount(); ++i) {
        const CLxVariant& child = index[i];
        if (RunTypeOf(child) == "RLxRttiClass")
            classes.push_back(NameOf(child));
        else if (NameOf(child) == "USER" && RunTypeOf(child) == "CLxStringW")
            ++narrowNames;
        else if (NameOf(child) == "CLxTestShape" && RunTypeOf(child) == "CLxListVariant")
            rank = &child;
        else
            ADD_FAILURE() << "unexpected child " << NameOf(child) << " " << RunTypeOf(child);
    }
    std::sort(classes.begin(), classes.end());
    EXPECT_EQ(classes, (std::vector<std::string>{"CLxTestAlphaOnly", "CLxTestNoConstructor",
                                                 "CLxTestNullObject", "CLxTestShape"}));
    EXPECT_EQ(narrowNames, 4);
    ASSERT_NE(rank, nullptr);
    EXPECT_EQ(TextOf((*rank)[u"m_RTTIpriority"]), "00.89.00.00");
    EXPECT_EQ((*rank)[u"m_version"].GetLx_int32(), 1);

    const CLxVariant* declaration = index.SearchFixedOneLevel(u"CLxTestNoConstructor");
    ASSERT_NE(declaration, nullptr);
    EXPECT_EQ(TextOf((*declaration)[u"m_parent1"]), "ILxTestShape");
    EXPECT_EQ(TextOf((*declaration)[u"m_parent2"]), "ILxTestSecond");
    EXPECT_EQ(TextOf((*declaration)[u"m_parent3"]), "");
    expectNoReport();
}

TEST_F(SectionToVariant, IdentificationGivesTextValues)
{
    const CLxVariant ident = Read("lxtest_rtti_beta.so", "sta9ID");
    EXPECT_EQ(ChildNames(ident), (std::vector<std::string>{"LX_LOCAL_INTERNALNAME", "NDEBUG"}));
    EXPECT_EQ(TextOf(ident[u"LX_LOCAL_INTERNALNAME"]), "beta");
    EXPECT_EQ(RunTypeOf(ident[u"NDEBUG"]), "CLxStringW");
    EXPECT_EQ(ChildNames(Read("lxtest_rtti_hidden.so", "sta9ID")),
              (std::vector<std::string>{"LX_LOCAL_INTERNALNAME"}));
}

TEST_F(SectionToVariant, SectionNameIgnoresCase)
{
    // Compared as dumps: list equality pairs members by name, and a class
    // index repeats names.
    CLxStringW lower, exact;
    CLxVariant::Trace(lower, Read("lxtest_rtti_beta.so", "STA9idx"));
    CLxVariant::Trace(exact, Read("lxtest_rtti_beta.so", "sta9IDX"));
    EXPECT_EQ(Utf8Of(lower), Utf8Of(exact));
    EXPECT_NE(Utf8Of(exact).find("CLxTestShape"), std::string::npos);
}

TEST_F(SectionToVariant, FailuresLeaveOutAsItWas)
{
    ScopedTempDir dir;
    std::ofstream(dir.path() / "text.so") << "no module";
    const struct {
        fs::path file;
        const char* section;
        int result;
    } cases[] = {
        {dir.path() / "missing.so", "sta9IDX", -7},
        {dir.path() / "text.so", "sta9IDX", -9},
        {kModules / "lxtest_rtti_beta.so", "sta9NONE", -9},
        {kModules / "lxtest_rtti_beta.so", nullptr, -4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.string());
        CLxVariant out(5, CLxStringW(u"kept"));
        EXPECT_EQ(LX_SectionToVariant(out, PathW(c.file), c.section), c.result);
        EXPECT_EQ(out, CLxVariant(5, CLxStringW(u"kept")));
        EXPECT_EQ(NameOf(out), "kept");
    }
}

TEST_F(SectionToVariant, KeepsTheCallersTypeChangeSetting)
{
    CLxVariant out(5, CLxStringW(u"out"));
    ASSERT_FALSE(out.IsEnabledTypeChange());
    ASSERT_EQ(LX_SectionToVariant(out, PathW(kModules / "lxtest_rtti_beta.so"), "sta9ID"), 0);
    EXPECT_FALSE(out.IsEnabledTypeChange());
    EXPECT_EQ(out.GetCount(), 2);
}

// Sections of chosen bytes, added to a copy of a module with objcopy.
class CraftedSection : public SectionToVariant
{
  protected:
    void SetUp() override
    {
        SectionToVariant::SetUp();
        if (std::system("objcopy --version > /dev/null 2>&1") != 0)
            LXTEST_SKIP_WITHOUT_TOOL() << "objcopy is not installed";
    }

    // The module with one more section "lxcraft" holding bytes; its path.
    fs::path ModuleWith(const std::string& bytes)
    {
        const fs::path data = m_dir.path() / "section.bin";
        const fs::path module = m_dir.path() / ("crafted" + std::to_string(m_count++) + ".so");
        std::ofstream(data, std::ios::binary) << bytes;
        const std::string command = "objcopy --add-section lxcraft='" + data.string() + "' '" +
                                    (kModules / "lxtest_rtti_beta.so").string() + "' '" +
                                    module.string() + "' 2> /dev/null";
        EXPECT_EQ(std::system(command.c_str()), 0);
        return module;
    }

    // UTF-16 little-endian bytes of ASCII text, without a terminator.
    static std::string Wide(const std::string& ascii)
    {
        std::string bytes;
        for (char c : ascii)
            bytes += std::string{c, '\0'};
        return bytes;
    }

  private:
    ScopedTempDir m_dir;
    int m_count = 0;
};

TEST_F(CraftedSection, TextsBecomeVariantsOrUserChildren)
{
    const std::string zero(2, '\0');
    const struct {
        const char* what;
        std::string bytes;
        std::vector<std::string> children; // "name runtype text" of each child
    } cases[] = {
        {"only zeros", std::string(64, '\0'), {}},
        {"a variant between zeros",
         zero + Wide("<variant version=\"1.0\"><n runtype=\"lx_int32\" value=\"7\"/></variant>") +
             zero + zero,
         {"n lx_int32 7"}},
        {"value before runtype",
         Wide("<variant version=\"1.0\"><p value=\"00.90\" runtype=\"CLxStringW\"/></variant>") +
             zero,
         {"p CLxStringW 00.90"}},
        {"plain text, then a text without terminator and an odd byte",
         Wide("hello") + zero + Wide("tail") + std::string(1, 'x'),
         {"USER CLxStringW hello", "USER CLxStringW tail"}},
        {"a text right at the section start, no terminator", Wide("abc"), {"USER CLxStringW abc"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CLxVariant out;
        ASSERT_EQ(LX_SectionToVariant(out, PathW(ModuleWith(c.bytes)), "lxcraft"), 0);
        EXPECT_EQ(RunTypeOf(out), "CLxListVariant");
        std::vector<std::string> children;
        for (int i = 0; i < out.GetCount(); ++i)
            children.push_back(NameOf(out[i]) + " " + RunTypeOf(out[i]) + " " + TextOf(out[i]));
        EXPECT_EQ(children, c.children);
    }
    expectNoReport();
}

TEST_F(CraftedSection, WrongRootIsKeptAsUserTextWithTheSerializersReport)
{
    CLxVariant out;
    const fs::path module =
        ModuleWith(Wide("<other version=\"1.0\"><a value=\"1\"/></other>") + std::string(2, '\0'));
    ASSERT_EQ(LX_SectionToVariant(out, PathW(module), "lxcraft"), 0);
    ASSERT_EQ(out.GetCount(), 1);
    EXPECT_EQ(NameOf(out[0]), "USER");
    EXPECT_EQ(TextOf(out[0]), "<other version=\"1.0\"><a value=\"1\"/></other>");
    EXPECT_EQ(reports().size(), 1u);
}

} // namespace
