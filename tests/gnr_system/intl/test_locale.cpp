// CLxLocale: languages, catalog lists, the domain order, the key store and
// the exported entry points.
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "gnr_picture/assert_capture.h"
#include "gnr_system/LxResource.h"
#include "gnr_system/LxRscData.h"
#include "gnr_system/intl/LxDomainOrder.h"
#include "intl_test_support.h"
#include "w32_system/debugging/debug_output_capture.h"

namespace
{

using namespace intl_test;

// Handles that only serve as keys of module languages.
LX_HMODULE fakeModule(int n)
{
    static char modules[8];
    return &modules[n];
}

CatalogShape catalogOf(const std::string& name, const std::string& key, const std::string& text)
{
    CatalogShape shape;
    shape.name = name;
    shape.entries = {{key, text, {}}};
    return shape;
}

using Locale = LocaleTest;

TEST_F(Locale, LanguagesAndTheirTraceRecord)
{
    DebugOutputCapture capture;
    EXPECT_EQ(CLxLocale::SetLangID(1033), -1);
    EXPECT_EQ(CLxLocale::SetLangID(1036), 1033);
    EXPECT_NE(U8(capture.last().c_str()).find("CLxLocale::SetLangID(1036) : French"),
              std::string::npos);
    CLxLocale::SetLangID(2057);
    EXPECT_NE(U8(capture.last().c_str()).find("CLxLocale::SetLangID(2057) : Unknown"),
              std::string::npos);
    EXPECT_EQ(CLxLocale::GetLangID(), 2057);

    size_t records = capture.texts().size();
    EXPECT_EQ(CLxLocale::SetSecondaryLangID(1031), -1);
    EXPECT_EQ(CLxLocale::GetSecondaryLangID(), 1031);
    EXPECT_EQ(capture.texts().size(), records);

    LX_HMODULE module = fakeModule(0);
    EXPECT_EQ(CLxLocale::GetModuleLangId(module), 2057); // no entry: the primary
    EXPECT_EQ(CLxLocale::SetModuleLangId(module, 1040), -1);
    EXPECT_EQ(CLxLocale::SetModuleLangId(module, 1045), 1040);
    EXPECT_EQ(CLxLocale::GetModuleLangId(module), 1045);
}

TEST_F(Locale, UntranslatedKeysComeBackAsTheSamePointer)
{
    const char* narrow = CLxLocale::GetStrA("Untranslated text", "qvx\\a\\b");
    EXPECT_STREQ(narrow, "Untranslated text");
    EXPECT_EQ(CLxLocale::GetStrA("Untranslated text", nullptr), narrow);

    const char16_t* wideOfNarrow = CLxLocale::GetStrW("Untranslated \u00e9", nullptr);
    EXPECT_EQ(std::u16string(wideOfNarrow), u"Untranslated \u00e9");
    EXPECT_EQ(CLxLocale::GetStrW("Untranslated \u00e9", nullptr), wideOfNarrow);

    std::u16string key = u"Wide untranslated";
    const char16_t* wide = CLxLocale::GetStrW(key.c_str(), nullptr);
    EXPECT_NE(wide, key.c_str()); // a copy that outlives the caller's text
    EXPECT_EQ(std::u16string(wide), key);
    EXPECT_EQ(CLxLocale::GetStrW(key.c_str(), nullptr), wide);

    EXPECT_EQ(CLxLocale::GetStrA(nullptr, nullptr), nullptr);
    EXPECT_EQ(CLxLocale::GetStrW(static_cast<const char*>(nullptr), nullptr), nullptr);
    EXPECT_EQ(CLxLocale::GetStrW(static_cast<const char16_t*>(nullptr), nullptr), nullptr);
}

TEST_F(Locale, EntryPointsAnswerEmptyKeysWithoutALookup)
{
    ASSERT_TRUE(add(catalogOf("qvx\\t", "Open", "Ouvrir"), nullptr, -1));
    double ms = 0;
    unsigned before = 0, after = 0;
    CLxLocale::GetStatistics(ms, before);
    EXPECT_STREQ(LX_GetTranslation("", "qvx\\t\\x"), "");
    EXPECT_EQ(std::u16string(LX_GetTranslation(u"", "qvx\\t\\x")), u"");
    EXPECT_EQ(std::u16string(LX_GetTranslationEX("", u'\0', "qvx\\t\\x")), u"");
    EXPECT_STREQ(LX_GetTranslationEX("", '\0', "qvx\\t\\x"), "");
    CLxLocale::GetStatistics(ms, after);
    EXPECT_EQ(after, before);

    EXPECT_STREQ(LX_GetTranslation("Open", "qvx\\t\\x"), "Ouvrir");
    EXPECT_EQ(std::u16string(LX_GetTranslation(u"Open", "qvx\\t\\x")), u"Ouvrir");
    EXPECT_EQ(std::u16string(LX_GetTranslationEX("Open", u'\0', "qvx\\t\\x")), u"Ouvrir");
    EXPECT_STREQ(LX_GetTranslationEX("Open", '\0', "qvx\\t\\x"), "Ouvrir");
    EXPECT_EQ(std::u16string(LX_GetTranslationEX(u"Open", u'\0', "qvx\\t\\x")), u"Ouvrir");
    CLxLocale::GetStatistics(ms, after);
    EXPECT_EQ(after, before + 5);
    EXPECT_GE(ms, 0.0);

    AssertCapture asserts;
    EXPECT_STREQ(LX_GetTranslation(static_cast<const char*>(nullptr), "qvx\\t\\x"), "");
    EXPECT_EQ(asserts.count("key == NULL"), 1);
}

TEST_F(Locale, DuplicatesAreRefused)
{
    EXPECT_TRUE(add(catalogOf("qvx\\t", "Open", "Ouvrir"), nullptr, 1036));
    EXPECT_FALSE(add(catalogOf("qvx\\t", "Open", "Autre"), nullptr, 1036));
    EXPECT_TRUE(add(catalogOf("qvx\\t", "Open", "Offnen"), nullptr, 1031)); // another language
    CLxLocale::SetLangID(1036);
    EXPECT_STREQ(CLxLocale::GetStrA("Open", nullptr), "Ouvrir");
}

TEST_F(Locale, InvalidCatalogsAndFilesAreRefused)
{
    const uint8_t shortData[28] = {0xde, 0x12, 0x04, 0x95};
    EXPECT_FALSE(CLxLocale::AddCatalog(shortData, sizeof shortData, nullptr, -1));
    EXPECT_FALSE(CLxLocale::AddCatalog(nullptr, 100, nullptr, -1));
    EXPECT_FALSE(CLxLocale::AddCatalog("/no/such/catalog.mo"));
    EXPECT_FALSE(CLxLocale::AddCatalog(static_cast<const char*>(nullptr)));
    ScopedTempDir dir;
    std::ofstream(dir.path() / "bad.mo") << "not a catalog at all, but long enough";
    EXPECT_FALSE(CLxLocale::AddCatalog((dir.path() / "bad.mo").c_str()));
}

TEST_F(Locale, FileCatalogsAcceptBackslashPaths)
{
    std::string path = fixturePath("messages-le.mo");
    std::replace(path.begin(), path.end(), '/', '\\');
    ASSERT_TRUE(CLxLocale::AddCatalog(path.c_str()));
    EXPECT_STREQ(CLxLocale::GetStrA("Open", "qvx\\gnr_system\\intl\\x"), "Ouvrir");
}

TEST_F(Locale, RemovingCatalogs)
{
    LX_HMODULE module = fakeModule(1);
    ASSERT_TRUE(add(catalogOf("qvx\\a", "Open", "A"), module, 1036));
    ASSERT_TRUE(add(catalogOf("qvx\\b", "Open", "B"), module, 1031));
    ASSERT_TRUE(add(catalogOf("qvx\\c", "Open", "C"), nullptr, 1036));
    CLxLocale::SetLangID(1036);

    EXPECT_TRUE(CLxLocale::RemoveCatalog("QVX\\A")); // names ignore case
    EXPECT_STREQ(CLxLocale::GetStrA("Open", nullptr), "C");
    EXPECT_TRUE(CLxLocale::RemoveCatalog(nullptr, 1036));
    EXPECT_STREQ(CLxLocale::GetStrA("Open", nullptr), "Open");

    CLxLocale::SetLangID(1031);
    EXPECT_STREQ(CLxLocale::GetStrA("Open", nullptr), "B");
    ASSERT_TRUE(add(catalogOf("qvx\\a", "Open", "A"), module, 1036));
    EXPECT_TRUE(CLxLocale::RemoveCatalog(module, -1)); // every language of the module
    EXPECT_STREQ(CLxLocale::GetStrA("Open", nullptr), "Open");
    CLxLocale::SetLangID(1036);
    EXPECT_STREQ(CLxLocale::GetStrA("Open", nullptr), "Open");
}

TEST(DomainOrder, ComparesDepthThenName)
{
    struct Case {
        const char* name;
        const char* text;
        bool domain;
        int sign;
    } cases[] = {
        {"qvx\\gnr_picture", "qvx\\gnr_picture\\lut", false, -1}, // shallower first
        {"qvx\\gnr_picture\\lut", "qvx\\gnr_picture", false, 1},
        {"qvx\\gnr_picture\\lut", "QVX\\GNR_Picture\\LUT", false, 0}, // case
        {"qvx\\gnr_picture\\lut", "qvx/gnr_picture/lut", false, 0},   // '/' counts as '\'
        {"qvx/a/b", "qvx\\a\\c", false, -1},
        {"qvx\\gnr_picture\\lut", "qvx\\gnr_picture\\lut\\SLxLut", true, -1}, // domain: file
        {"qvx\\gnr_picture\\lut", "qvx\\gnr_picture\\aaa\\File", true, 1},
        {"qvx\\gnr_picture\\lut", "src/qvx/gnr_picture/lut/SLxLut.cpp", true, -1}, // prefix
        {"qvx\\gnr_picture\\lut", "qqvx\\gnr_picture\\lut\\x", true, -1},          // match restarts
        {"", "qvx\\a", false, 1},
        {"qvx\\a", "", false, 1},
        {"qvx\\a", "no root here", false, 1},
        {"PACKAGE VERSION", "qvx\\a\\b", true, -1}, // no separators: shallowest
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " / " + c.text);
        int result = LX_CompareDomain(c.name, c.text, c.domain);
        EXPECT_EQ((result > 0) - (result < 0), c.sign);
    }
}

TEST_F(Locale, TheClosestCatalogOfTheDomainAnswersFirst)
{
    // Added in an order that the list must sort.
    ASSERT_TRUE(add(catalogOf("qvx\\gnr_picture\\lut", "Name", "Nom (LUT)"), nullptr, -1));
    ASSERT_TRUE(add(catalogOf("qvx\\gnr_picture", "Name", "Nom (image)"), nullptr, -1));
    ASSERT_TRUE(add(catalogOf("qvx\\gnr_system", "Name", "Nom (systeme)"), nullptr, -1));
    struct Case {
        const char* domain;
        const char* expected;
    } cases[] = {
        {"qvx\\gnr_picture\\lut\\SLxLut", "Nom (LUT)"},
        {"qvx/gnr_picture/lut/SLxLut", "Nom (LUT)"},
        {"/home/build/src/qvx/gnr_picture/lut/LxLut.cpp", "Nom (LUT)"},
        // Shallower catalogs all sort before a domain: the last of them in the
        // order is the closest one here.
        {"qvx\\gnr_picture\\aaa\\File", "Nom (systeme)"},
        {"qvx\\gnr_picture\\LxPicBuf", "Nom (image)"},
        {"qvx\\gnr_system\\LxList", "Nom (systeme)"},
        {"qvx\\Other", "Nom (image)"}, // nothing at or before it: the first in list order
        {nullptr, "Nom (image)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.domain ? c.domain : "(none)");
        EXPECT_STREQ(CLxLocale::GetStrA("Name", c.domain), c.expected);
    }
}

TEST_F(Locale, OtherCatalogsOfTheLanguageAnswerWhatTheClosestLacks)
{
    ASSERT_TRUE(add(catalogOf("qvx\\gnr_picture\\lut", "Name", "Nom"), nullptr, 1036));
    ASSERT_TRUE(add(catalogOf("qvx\\gnr_system", "Open", "Ouvrir"), nullptr, 1036));
    ASSERT_TRUE(add(catalogOf("qvx\\gnr_system", "Open", "Offnen"), nullptr, 1031));
    CLxLocale::SetLangID(1036);
    EXPECT_STREQ(CLxLocale::GetStrA("Open", "qvx\\gnr_picture\\lut\\SLxLut"), "Ouvrir");
}

TEST_F(Locale, SecondaryLanguageAndModuleLanguages)
{
    LX_HMODULE german = fakeModule(2);
    ASSERT_TRUE(add(catalogOf("qvx\\a", "Open", "Offnen"), nullptr, 1031));
    ASSERT_TRUE(add(catalogOf("qvx\\a", "Close", "Fermer"), nullptr, 1036));
    ASSERT_TRUE(add(catalogOf("qvx\\m", "Help", "Hilfe"), german, 1031));
    CLxLocale::SetLangID(1036);
    EXPECT_STREQ(CLxLocale::GetStrA("Close", "qvx\\a\\x"), "Fermer");
    EXPECT_STREQ(CLxLocale::GetStrA("Open", "qvx\\a\\x"), "Open");
    EXPECT_STREQ(CLxLocale::GetStrA("Help", nullptr), "Help");

    CLxLocale::SetSecondaryLangID(1031);
    EXPECT_STREQ(CLxLocale::GetStrA("Open", "qvx\\a\\x"), "Offnen");
    EXPECT_STREQ(CLxLocale::GetStrA("Open", nullptr), "Offnen");

    CLxLocale::SetSecondaryLangID(-1);
    CLxLocale::SetModuleLangId(german, 1031); // the module's catalogs follow its own language
    EXPECT_STREQ(CLxLocale::GetStrA("Help", "qvx\\m\\x"), "Hilfe");
    EXPECT_STREQ(CLxLocale::GetStrA("Open", "qvx\\m\\x"), "Open");
    CLxLocale::SetModuleLangId(german, 1036);
}

TEST_F(Locale, CatalogsFromModuleResources)
{
    ScopedTempDir dir;
    std::ofstream(dir.path() / "libplugin.so") << "module";
    const std::u16string module = dir.u16("libplugin.so");
    CatalogShape german = catalogOf("qvx\\plugin", "Open", "Offnen");
    Bytes bytes = buildCatalog(german);
    std::ofstream(dir.path() / "de.mo", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    ASSERT_EQ(LX_ResourceToDll(u"#1031", module.c_str(), dir.u16("de.mo").c_str()), 0);
    ASSERT_EQ(LX_ResourceToDll(u"#1036", module.c_str(),
                               U16(fixturePath("messages-be.mo").c_str()).c_str()),
              0);

    CLxRscData rsc;
    LX_RCDATAToCLxRscData(rsc, module.c_str());
    ASSERT_EQ(rsc.GetCLxByteArrayW32Count(), 2);
    rsc.AppendData("", 0, 1033); // a block without data adds nothing
    EXPECT_EQ(LX_CLxRscDataToCLxLocale(rsc), 0);

    CLxLocale::SetLangID(1036);
    EXPECT_STREQ(LX_GetTranslation("Open", "qvx\\gnr_system\\intl\\x"), "Ouvrir");
    CLxLocale::SetLangID(1031);
    EXPECT_STREQ(LX_GetTranslation("Open", "qvx\\plugin\\x"), "Offnen");
    CLxLocale::SetLangID(1033);
    EXPECT_STREQ(LX_GetTranslation("Open", "qvx\\plugin\\x"), "Open");
}

TEST_F(Locale, LookupsRunOnManyThreads)
{
    ASSERT_TRUE(CLxLocale::AddCatalog(fixturePath("messages-le.mo").c_str()));
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t, &wrong] {
            for (int i = 0; i < 300; ++i) {
                std::string missing = "missing " + std::to_string((i * 7 + t) % 50);
                wrong += strcmp(CLxLocale::GetStrA(missing.c_str(), nullptr), missing.c_str()) != 0;
                wrong += strcmp(CLxLocale::GetStrA("Open", nullptr), "Ouvrir") != 0;
                wrong += std::u16string(CLxLocale::GetStrW(u"Window", nullptr)) != u"Fen\u00eatre";
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wrong, 0);
}

} // namespace
