// Catalogs written by GNU msgfmt read exactly as Python's gettext reads them
// (expected.txt, made by make_catalogs.sh).
#include "gnr_system/intl/LxMsgCatalog.h"
#include "intl_test_support.h"

namespace
{

using namespace intl_test;

class MsgfmtCatalog : public LocaleTest, public ::testing::WithParamInterface<const char*>
{
};

TEST_P(MsgfmtCatalog, TranslatesAsPythonGettext)
{
    ASSERT_TRUE(CLxLocale::AddCatalog(fixturePath(GetParam()).c_str()));
    const std::vector<Expected> rows = expectedTranslations(GetParam());
    ASSERT_GT(rows.size(), 20u);
    for (const char* domain : {static_cast<const char*>(nullptr), "qvx\\gnr_system\\intl\\LxLocale",
                               "qvx/gnr_system/intl/test.cpp"}) {
        for (const Expected& row : rows) {
            SCOPED_TRACE(row.key);
            const char* key = row.key.c_str();
            EXPECT_STREQ(CLxLocale::GetStrA(key, domain), row.translation.c_str());
            // Found keys give their translation as UTF-16 too, not an empty
            // text.
            const std::u16string wide = U16(row.translation.c_str());
            EXPECT_EQ(std::u16string(CLxLocale::GetStrW(key, domain)), wide);
            if (!row.key.empty()) { // an empty UTF-16 key is not looked up
                EXPECT_EQ(std::u16string(CLxLocale::GetStrW(U16(key).c_str(), domain)), wide);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ByteOrdersAndLookups, MsgfmtCatalog,
                         ::testing::Values("messages-le.mo", "messages-be.mo",
                                           "messages-nohash.mo"));

// The fixtures must keep exercising what they are there for.
TEST(MsgfmtFixtures, CoverBothByteOrdersHashAndBisection)
{
    struct Case {
        const char* file;
        bool swapped;
        bool hashed;
    } cases[] = {
        {"messages-le.mo", false, true},
        {"messages-be.mo", true, true},
        {"messages-nohash.mo", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Bytes bytes = readBytes(fixturePath(c.file));
        CLxMsgCatalog catalog;
        ASSERT_TRUE(catalog.Load(nullptr, -1, bytes.data(), bytes.size()));
        EXPECT_EQ(catalog.IsSwapped(), c.swapped);
        EXPECT_EQ(catalog.GetHashSize() > 2, c.hashed);
        EXPECT_FALSE(catalog.IsOwnRevision());
        EXPECT_EQ(catalog.GetName(), "qvx\\gnr_system\\intl");
        // Non-ASCII keys hash differently with signed bytes: the lookup must
        // hash them as msgfmt did to find them.
        EXPECT_NE(LX_GettextHash("Gr\u00f6\u00dfe", true),
                  LX_GettextHash("Gr\u00f6\u00dfe", false));
        EXPECT_STREQ(catalog.GetText(catalog.Find("Gr\u00f6\u00dfe")), "Taille");
    }
}

} // namespace
