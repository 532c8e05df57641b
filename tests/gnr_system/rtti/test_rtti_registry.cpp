// The class registry over folders of test modules. Each test copies the
// modules it needs into a folder of its own, so no module is loaded before
// the test asks for it.
#include <dlfcn.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "fixtures/rtti/lxtest_rtti_shape.h"
#include "gnr_system/rtti/LxRTTI.h"
#include "gnr_system/rtti/LxRTTICatalog.h"
#include "gnr_system/rtti/LxRttiRecords.h"
#include "gnr_system/rtti/rtti_test_support.h"
#include "gnr_system/variant/variant_test_support.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace
{

const fs::path kModules = LXTEST_RTTI_MODULES;

class RttiRegistry : public VariantTest
{
  protected:
    void SetUp() override
    {
        VariantTest::SetUp();
        CLxRTTI::SetFolderForTesting(m_dir.u16().c_str());
    }
    void TearDown() override
    {
        CLxRTTI::SetFolderForTesting(nullptr);
        VariantTest::TearDown();
    }

    // Copies the test module "lxtest_rtti_<module>.so" into the folder as file.
    void Add(const char* module, const std::string& file)
    {
        fs::copy_file(kModules / ("lxtest_rtti_" + std::string(module) + ".so"),
                      m_dir.path() / file);
    }
    std::string PathOf(const std::string& file) const { return (m_dir.path() / file).string(); }
    std::string Folder() const { return m_dir.path().string() + "/"; }

    bool IsLoaded(const std::string& file) const
    {
        void* handle = dlopen(PathOf(file).c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (handle)
            dlclose(handle);
        return handle != nullptr;
    }
    // An export of a loaded module of the folder.
    int Count(const std::string& file, const char* function) const
    {
        void* handle = dlopen(PathOf(file).c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (!handle)
            return -100;
        auto count = reinterpret_cast<LxTestCountFn>(dlsym(handle, function));
        const int result = count ? count() : -200;
        dlclose(handle);
        return result;
    }

    // The interface of an object made by the registry, or null.
    static ILxTestShape* Shape(ILxInterface* object)
    {
        ILxInterface* shape = CLxRTTI::QueryInterface(object, "ILxTestShape");
        CLxRTTI::Release(object);
        return static_cast<ILxTestShape*>(shape);
    }
    static std::string ModuleOf(ILxInterface* object)
    {
        ILxTestShape* shape = Shape(object);
        if (!shape)
            return "<none>";
        const std::string module = shape->Module();
        CLxRTTI::Release(shape);
        return module;
    }

    // "class@file" of each entry, in order.
    static std::vector<std::string> Entries(const CLxVariant& found)
    {
        std::vector<std::string> entries;
        for (int i = 0; i < found.GetCount(); ++i) {
            const std::string library = Utf8Of(found[i][eLxRttiEntryLibrary].GetCLxStringW());
            entries.push_back(NameOf(found[i][eLxRttiEntryClass]) + "@" +
                              fs::path(library).filename().string());
        }
        return entries;
    }

  private:
    ScopedTempDir m_dir;
};

TEST_F(RttiRegistry, CreatesTheHighestPriorityClassLoadingOnlyItsModule)
{
    Add("alpha", "alpha.so");
    Add("beta", "beta.plugin");
    ASSERT_FALSE(IsLoaded("beta.plugin"));

    ILxInterface* object = CLxRTTI::Create("CLxTestShape", SLxFileLine{"caller.cpp", 42});
    ILxTestShape* shape = Shape(object);
    ASSERT_NE(shape, nullptr);
    EXPECT_STREQ(shape->Module(), "beta");
    EXPECT_STREQ(shape->CreatedInFile(), "caller.cpp");
    EXPECT_EQ(shape->CreatedAtLine(), 42u);
    EXPECT_TRUE(IsLoaded("beta.plugin"));
    EXPECT_FALSE(IsLoaded("alpha.so"));
    EXPECT_EQ(Count("beta.plugin", "lxtest_rtti_live_objects"), 1);
    EXPECT_EQ(CLxRTTI::Release(shape), 0u);
    EXPECT_EQ(Count("beta.plugin", "lxtest_rtti_live_objects"), 0);

    shape = Shape(CLxRTTI::Create("CLxTestShape", "other.cpp", 7));
    ASSERT_NE(shape, nullptr);
    EXPECT_STREQ(shape->CreatedInFile(), "other.cpp");
    EXPECT_EQ(shape->CreatedAtLine(), 7u);
    CLxRTTI::Release(shape);
    EXPECT_FALSE(IsLoaded("alpha.so"));
    expectNoReport();
}

TEST_F(RttiRegistry, UnrankedClassWinsOverRankedOnes)
{
    Add("alpha", "alpha.so");
    Add("beta", "beta.so");
    Add("gamma", "gamma.so");
    EXPECT_EQ(ModuleOf(CLxRTTI::Create("CLxTestShape")), "gamma");
    expectNoReport();
}

TEST_F(RttiRegistry, SearchByNameLoadsEveryModuleOfTheNameAndKeepsTheirConstructors)
{
    Add("alpha", "alpha.so");
    Add("beta", "beta.so");
    CLxVariant found;
    ASSERT_EQ(CLxRTTI::FindClassImpl(found, "CLxTestShape", "", ""), 0);
    EXPECT_EQ(Entries(found),
              (std::vector<std::string>{"CLxTestShape@beta.so", "CLxTestShape@alpha.so"}));
    EXPECT_TRUE(IsLoaded("alpha.so"));
    EXPECT_TRUE(IsLoaded("beta.so"));
    for (int i = 0; i < found.GetCount(); ++i)
        EXPECT_NE(found[i][eLxRttiEntryCreator].GetVoidPtr(), nullptr);

    // The interface search resolves nothing itself but shows the kept ones.
    CLxVariant all;
    ASSERT_EQ(CLxRTTI::FindClassImpl(all, nullptr, "ILxTestShape", nullptr), 0);
    for (int i = 0; i < all.GetCount(); ++i) {
        const bool isShape = NameOf(all[i][eLxRttiEntryClass]) == "CLxTestShape";
        EXPECT_EQ(all[i][eLxRttiEntryCreator].GetVoidPtr() != nullptr, isShape) << i;
    }
    expectNoReport();
}

TEST_F(RttiRegistry, SearchByInterfacesListsInPriorityOrderWithoutLoading)
{
    Add("alpha", "alpha.so");
    Add("beta", "beta.so");
    CLxVariant found;
    ASSERT_EQ(CLxRTTI::FindClassImpl(found, "", "ILxTestShape", ""), 0);
    const std::vector<std::string> entries = Entries(found);
    ASSERT_EQ(entries.size(), 5u);
    // Unranked first (in the module's own order), then from the highest rank.
    const std::set<std::string> unranked(entries.begin(), entries.begin() + 3);
    EXPECT_EQ(unranked,
              (std::set<std::string>{"CLxTestAlphaOnly@alpha.so", "CLxTestNoConstructor@alpha.so",
                                     "CLxTestNullObject@alpha.so"}));
    EXPECT_EQ(entries[3], "CLxTestShape@beta.so");
    EXPECT_EQ(entries[4], "CLxTestShape@alpha.so");
    EXPECT_FALSE(IsLoaded("alpha.so"));
    EXPECT_FALSE(IsLoaded("beta.so"));

    ASSERT_EQ(CLxRTTI::FindClassImpl(found, "", "ILxTestShape", "ILxTestSecond"), 0);
    EXPECT_EQ(Entries(found), (std::vector<std::string>{"CLxTestNoConstructor@alpha.so"}));
    ASSERT_EQ(CLxRTTI::FindClassImpl(found, "", "", "ILxTestSecond"), 0);
    EXPECT_EQ(found.GetCount(), 1);
    EXPECT_EQ(CLxRTTI::FindClassImpl(found, "", "ILxTestSecond", ""), -9);
    EXPECT_EQ(found.GetCount(), 0);
    expectNoReport();
}

TEST_F(RttiRegistry, ListFormCopiesTheEntries)
{
    Add("alpha", "alpha.so");
    CLxList_specI<SLxRTTICacheEntry> entries;
    ASSERT_EQ(CLxRTTI::FindClassImpl(entries, "CLxTestShape", nullptr, nullptr), 0);
    ASSERT_EQ(entries.GetCount(), 1u);
    const SLxRTTICacheEntry& entry = *entries[0];
    EXPECT_EQ(Utf8Of(entry.m_class.m_className), "CLxTestShape");
    EXPECT_EQ(Utf8Of(entry.m_class.m_parents[0]), "ILxTestShape");
    EXPECT_EQ(Utf8Of(entry.m_class.m_parents[8]), "");
    EXPECT_EQ(Utf8Of(entry.m_library), PathOf("alpha.so"));
    EXPECT_TRUE(entry.m_key.IsEmpty());
    ASSERT_NE(entry.m_creator, nullptr);
    ASSERT_EQ(entry.m_addInfo.GetCount(), 1);
    EXPECT_EQ(TextOf(entry.m_addInfo[0][u"m_RTTIpriority"]), "00.89.00.00");

    ILxTestShape* shape = Shape(entry.m_creator("list.cpp", 7));
    ASSERT_NE(shape, nullptr);
    EXPECT_STREQ(shape->Module(), "alpha");
    CLxRTTI::Release(shape);
    CLxRTTI::DeleteEntries(entries);
    EXPECT_EQ(entries.GetCount(), 0u);

    EXPECT_EQ(CLxRTTI::FindClassImpl(entries, "CLxTestMissing", nullptr, nullptr), -9);
    EXPECT_EQ(entries.GetCount(), 0u);
}

TEST_F(RttiRegistry, FailuresAreReportedAndGiveNull)
{
    Add("alpha", "alpha.so");
    Add("hidden", "hidden.so");
    const std::string library = PathOf("alpha.so");
    const struct {
        const char* className;
        std::vector<SReport> reports;
    } cases[] = {
        {"CLxTestMissing",
         {{"true",
           "Error: CLxRTTI, can't find class 'CLxTestMissing' on directory '" + Folder() + "'."}}},
        {"", {{"true", "Error: CLxRTTI, can't find class '' on directory '" + Folder() + "'."}}},
        // A module without "NDEBUG" in its identification is not in the catalog.
        {"CLxTestHidden",
         {{"true",
           "Error: CLxRTTI, can't find class 'CLxTestHidden' on directory '" + Folder() + "'."}}},
        {"CLxTestNoConstructor",
         {{"true", "Error: CLxRTTI, can't find function 'LX_ConstructorForCLxTestNoConstructor' "
                   "in library '" +
                       library + "'."},
          {"true", "Error: CLxRTTI, can't find class 'CLxTestNoConstructor' on directory '" +
                       Folder() + "'."}}},
        {"CLxTestNullObject",
         {{"NULL == retObject", "Error: CLxRTTI, ObjectConstructorFn returned NULL."}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.className);
        EXPECT_EQ(CLxRTTI::Create(c.className), nullptr);
        EXPECT_EQ(reports(), c.reports);
    }
    EXPECT_EQ(CLxRTTI::Create(nullptr), nullptr);
    EXPECT_EQ(reports().size(), 1u);
}

TEST_F(RttiRegistry, ModuleThatCannotBeLoadedIsReportedAndSkipped)
{
    if (std::system("objcopy --version > /dev/null 2>&1") != 0)
        LXTEST_SKIP_WITHOUT_TOOL() << "objcopy is not installed";
    // Only the catalog sections of beta: read like a module, but no module
    // to load. The next module of the class name serves.
    Add("alpha", "alpha.so");
    const std::string command = "objcopy --only-section=sta9IDX --only-section=sta9ID '" +
                                (kModules / "lxtest_rtti_beta.so").string() + "' '" +
                                PathOf("sections.so") + "' 2> /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);

    EXPECT_EQ(ModuleOf(CLxRTTI::Create("CLxTestShape")), "alpha");
    EXPECT_EQ(reports(), (std::vector<SReport>{{"true", "Error: CLxRTTI, can't load library '" +
                                                            PathOf("sections.so") + "'."}}));
    CLxVariant found;
    ASSERT_EQ(CLxRTTI::FindClassImpl(found, "CLxTestShape", "", ""), 0);
    EXPECT_EQ(Entries(found), (std::vector<std::string>{"CLxTestShape@alpha.so"}));
    reports();
}

TEST_F(RttiRegistry, CreateAndQueryReleasesAnObjectWithoutTheInterface)
{
    Add("alpha", "alpha.so");
    EXPECT_EQ(CLxRTTI::CreateAndQuery("CLxTestAlphaOnly", "ILxOther", SLxFileLine{"f.cpp", 3}),
              nullptr);
    EXPECT_EQ(Count("alpha.so", "lxtest_rtti_live_objects"), 0);

    auto* shape = static_cast<ILxTestShape*>(
        CLxRTTI::CreateAndQuery("CLxTestAlphaOnly", "ILxTestShape", SLxFileLine{"f.cpp", 3}));
    ASSERT_NE(shape, nullptr);
    EXPECT_STREQ(shape->CreatedInFile(), "no file");
    EXPECT_EQ(shape->CreatedAtLine(), 0xFFFFFFFFu);
    EXPECT_EQ(Count("alpha.so", "lxtest_rtti_live_objects"), 1);
    EXPECT_EQ(CLxRTTI::Release(shape), 0u);
    EXPECT_EQ(Count("alpha.so", "lxtest_rtti_live_objects"), 0);
    expectNoReport();
}

TEST_F(RttiRegistry, QuickRoadFindsOnlyWhatASearchResolvedBefore)
{
    Add("alpha", "alpha.so");
    Add("beta", "beta.so");
    EXPECT_EQ(CLxRTTI::Create_Fx("CLxTestShape"), nullptr); // catalog not read yet
    EXPECT_EQ(ModuleOf(CLxRTTI::Create("CLxTestShape")), "beta");

    EXPECT_EQ(ModuleOf(CLxRTTI::Create_Fx("CLxTestShape", SLxFileLine{"fx.cpp", 9})), "beta");
    EXPECT_EQ(CLxRTTI::Create_Fx("CLxTestAlphaOnly"), nullptr); // its module is not loaded
    EXPECT_EQ(CLxRTTI::Create_Fx("CLxTestMissing"), nullptr);
    EXPECT_EQ(CLxRTTI::Create_Fx(nullptr), nullptr);
    EXPECT_FALSE(IsLoaded("alpha.so"));
    expectNoReport();

    auto* shape = static_cast<ILxTestShape*>(
        CLxRTTI::CreateAndQuery_Fx("CLxTestShape", "ILxTestShape", SLxFileLine{"fx.cpp", 9}));
    ASSERT_NE(shape, nullptr);
    EXPECT_STREQ(shape->CreatedInFile(), "no file");
    CLxRTTI::Release(shape);
}

TEST_F(RttiRegistry, NameMapKeepsTheFirstEntryOfEachName)
{
    Add("alpha", "alpha.so");
    Add("beta", "beta.so");
    // Both constructors known: the quick road still takes the first entry.
    CLxVariant found;
    ASSERT_EQ(CLxRTTI::FindClassImpl(found, "CLxTestShape", "", ""), 0);
    ASSERT_EQ(found.GetCount(), 2);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ModuleOf(CLxRTTI::Create_Fx("CLxTestShape")), "beta");
}

TEST_F(RttiRegistry, ModuleCallingTheRegistryWhileLoadedFailsInsteadOfDeadlocking)
{
    Add("alpha", "alpha.so");
    Add("delta", "delta.so");
    EXPECT_EQ(ModuleOf(CLxRTTI::Create("CLxTestShape")), "delta");
    EXPECT_EQ(Count("delta.so", "lxtest_rtti_start_result"), 0);
    const std::vector<SReport> all = reports();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.front(), (SReport{"EDEADLK == mres",
                                    "Error: RTTI - recursion on catalog cache not allowed."}));
    // Outside the loading the same call works.
    EXPECT_EQ(ModuleOf(CLxRTTI::Create("CLxTestAlphaOnly")), "alpha");
}

TEST_F(RttiRegistry, TakesOnlyFilesEndingExactlyInTheModuleEndings)
{
    Add("alpha", "upper.SO");
    Add("beta", "versioned.so.1");
    Add("gamma", "gamma.plugin");
    std::ofstream(PathOf("broken.so")) << "not a module";
    fs::create_directory(PathOf("folder.so"));
    CLxVariant found;
    ASSERT_EQ(CLxRTTI::FindClassImpl(found, "", "", ""), 0);
    EXPECT_EQ(Entries(found), (std::vector<std::string>{"CLxTestShape@gamma.plugin"}));
    expectNoReport();
}

TEST_F(RttiRegistry, UpdateCatalogSeesModulesAddedLater)
{
    Add("beta", "beta.so");
    EXPECT_EQ(ModuleOf(CLxRTTI::Create("CLxTestShape")), "beta");
    EXPECT_EQ(CLxRTTI::Create("CLxTestAlphaOnly"), nullptr);
    reports();
    Add("alpha", "alpha.so");
    EXPECT_EQ(CLxRTTI::Create("CLxTestAlphaOnly"), nullptr) << "catalog read once";
    reports();
    EXPECT_EQ(CLxRTTI::UpdateCatalog(), 0);
    EXPECT_EQ(ModuleOf(CLxRTTI::Create("CLxTestAlphaOnly")), "alpha");
    // beta stayed loaded and its constructor is known without a search.
    EXPECT_EQ(ModuleOf(CLxRTTI::Create_Fx("CLxTestShape")), "beta");
}

TEST_F(RttiRegistry, CreatesFromSeveralThreadsAtOnce)
{
    Add("alpha", "alpha.so");
    Add("beta", "beta.so");
    std::atomic<int> made{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&made] {
            for (int i = 0; i < 25; ++i) {
                ILxInterface* object = CLxRTTI::Create(i % 2 ? "CLxTestShape" : "CLxTestAlphaOnly");
                if (object)
                    ++made;
                CLxRTTI::Release(object);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(made.load(), 100);
    EXPECT_EQ(Count("alpha.so", "lxtest_rtti_live_objects"), 0);
    expectNoReport();
}

TEST(RttiRegistryHelpers, NullObjectsAndForEachObject)
{
    EXPECT_EQ(CLxRTTI::QueryInterface(nullptr, "ILxSerializer"), nullptr);
    EXPECT_EQ(CLxRTTI::AddRef(nullptr), 0u);
    EXPECT_EQ(CLxRTTI::Release(nullptr), 0u);
    EXPECT_EQ(CLxRTTI::GetCLxClassInfo(nullptr), nullptr);
    int calls = 0;
    EXPECT_EQ(CLxRTTI::ForEachObject(nullptr, &calls), -4);
    EXPECT_EQ(CLxRTTI::ForEachObject([](ILxInterface*, void* c) { return ++*static_cast<int*>(c); },
                                     &calls),
              -2);
    EXPECT_EQ(calls, 0);
}

TEST(RttiRegistryHelpers, OwnFolderIsThatOfTheModuleHoldingTheLibrary)
{
    // Linked into this program, the library's module is the program.
    const std::string folder = Utf8Of(CLxRTTI::getInstance()->GetFolder());
    char self[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
    EXPECT_EQ(folder, fs::path(self).parent_path().string() + "/");
}

TEST(RttiCatalogOrder, ModuleFilesAreSortedByEndingThenName)
{
    ScopedTempDir dir;
    for (const char* name : {"b.so", "a.plugin", "c.so", "A.so", "x.SO", "y.so.1", ".so", "z.txt"})
        std::ofstream(dir.path() / name) << "x";
    fs::create_directory(dir.path() / "d.so");
    EXPECT_EQ(LX_RttiModuleFileNames(dir.path().string()),
              (std::vector<std::string>{"A.so", "b.so", "c.so", "a.plugin"}));
    EXPECT_TRUE(LX_RttiModuleFileNames((dir.path() / "missing").string()).empty());
}

// The library's own module is read whatever its file name (a runtime
// install has only "lib….so.5"), and a development link to it in the folder
// does not add its classes a second time.
TEST(RttiCatalogOrder, OwnModuleIsReadOnceWhateverItsName)
{
    ScopedTempDir dir;
    const fs::path runtime = dir.path() / "lxtest_rtti_gamma.so.5";
    fs::copy_file(fs::path(LXTEST_RTTI_MODULES) / "lxtest_rtti_gamma.so", runtime);
    const CLxStringW folder((U16(dir.path().string().c_str()) + u"/").c_str());
    const CLxStringW own(U16(runtime.string().c_str()).c_str());
    const auto none = [](const CLxStringW&) -> LX_HMODULE { return nullptr; };
    const auto libraries = [](const CLxVariant& catalog) {
        std::vector<std::string> out;
        for (int i = 0; i < catalog.GetCount(); ++i)
            out.push_back(
                fs::path(Utf8Of(catalog[i][eLxRttiEntryLibrary].GetCLxStringW())).filename());
        return out;
    };

    CLxVariant catalog;
    LX_ReadRttiCatalog(catalog, folder, CLxStringW(), none);
    EXPECT_EQ(catalog.GetCount(), 0); // no pattern finds the runtime name
    LX_ReadRttiCatalog(catalog, folder, own, none);
    const int classes = catalog.GetCount();
    ASSERT_GT(classes, 0);

    fs::create_symlink(runtime.filename(), dir.path() / "lxtest_rtti_gamma.so");
    LX_ReadRttiCatalog(catalog, folder, own, none);
    EXPECT_EQ(catalog.GetCount(), classes);
    for (const std::string& library : libraries(catalog))
        EXPECT_EQ(library, "lxtest_rtti_gamma.so.5");
    LX_ReadRttiCatalog(catalog, folder, CLxStringW(), none);
    EXPECT_EQ(catalog.GetCount(), classes);
    for (const std::string& library : libraries(catalog))
        EXPECT_EQ(library, "lxtest_rtti_gamma.so");
}

// An entry with an optional priority member in its m_addInfo.
CLxVariant EntryWith(const CLxVariant* priority)
{
    CLxVariant entry(CLxVariantRunType("RLxRTTICacheEntry"), CLxStringW(u"e"));
    if (priority) {
        CLxVariant rank(CLxListVariant(), CLxStringW(u"CLxX"));
        rank.Append(CLxVariant(1, CLxStringW(u"m_version")));
        rank.Append(*priority);
        entry[eLxRttiEntryAddInfo].Append(rank);
    }
    return entry;
}

TEST(RttiCatalogOrder, PriorityComparator)
{
    const CLxVariant p90(u"00.90.00.00", CLxStringW(u"m_RTTIpriority"));
    const CLxVariant p89(u"00.89.00.00", CLxStringW(u"m_RTTIpriority"));
    const CLxVariant notText(90, CLxStringW(u"m_RTTIpriority"));
    const struct {
        const CLxVariant* a;
        const CLxVariant* b;
        int result;
    } cases[] = {
        {nullptr, nullptr, 0}, {&p90, nullptr, 1}, {nullptr, &p90, -1},    {&p90, &p89, -1},
        {&p89, &p90, 1},       {&p90, &p90, 0},    {&notText, nullptr, 0}, {&notText, &p89, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LX_RttiComparePriority(EntryWith(c.a), EntryWith(c.b)), c.result)
            << (c.a ? TextOf(*c.a) : "none") << " vs " << (c.b ? TextOf(*c.b) : "none");
    }
}

} // namespace
