// The catalog reader on catalogs written by the tests: the own revision,
// byte orders, hash signedness, header names and refusals.
#include <cstring>

#include "gnr_system/intl/LxMsgCatalog.h"
#include "intl_test_support.h"
#include "w32_system/debugging/debug_output_capture.h"

namespace
{

using namespace intl_test;

std::vector<Entry> sampleEntries()
{
    return {
        {"Open", "Ouvrir", {}},
        {"Window", "Fenetre", u"Fen\u00eatre"}, // own revision: a UTF-16 text of its own
        {"Gr\u00f6\u00dfe", "Taille", {}},
        {"\u65e5\u672c", "Japon", {}},
        {"Rainbow", "Arc-en-ciel \U0001F308", {}},
        {"Close", "Fermer", {}},
        {"Cancel", "Annuler", {}},
    };
}

struct Layout {
    bool bigEndian;
    bool ownRevision;
    Hash hash;
};

std::string layoutName(const ::testing::TestParamInfo<Layout>& info)
{
    const Layout& l = info.param;
    const char* hash[] = {"NoHash", "UnsignedHash", "SignedHash"};
    return std::string(l.bigEndian ? "Big" : "Little") + (l.ownRevision ? "Own" : "Standard") +
           hash[int(l.hash)];
}

class CatalogLayout : public ::testing::TestWithParam<Layout>
{
};

// Every layout answers the same table of look-ups. The own revision was
// hashed with signed bytes; a catalog of it with an unsigned hash table
// still finds its non-ASCII keys.
TEST_P(CatalogLayout, AnswersTheSameTable)
{
    CatalogShape shape;
    shape.name = "qvx\\tests";
    shape.entries = sampleEntries();
    shape.bigEndian = GetParam().bigEndian;
    shape.ownRevision = GetParam().ownRevision;
    shape.hash = GetParam().hash;
    Bytes bytes = buildCatalog(shape);
    CLxMsgCatalog catalog;
    ASSERT_TRUE(catalog.Load(nullptr, 1036, bytes.data(), bytes.size()));
    EXPECT_EQ(catalog.IsOwnRevision(), shape.ownRevision);
    EXPECT_EQ(catalog.IsSwapped(), shape.bigEndian);
    EXPECT_EQ(catalog.GetName(), "qvx\\tests");
    EXPECT_EQ(catalog.GetLanguage(), 1036);

    for (const Entry& entry : sampleEntries()) {
        SCOPED_TRACE(entry.key);
        int found = catalog.Find(entry.key.c_str());
        ASSERT_GE(found, 0);
        EXPECT_STREQ(catalog.GetText(found), entry.text.c_str());
        std::u16string wide =
            shape.ownRevision && !entry.wide.empty() ? entry.wide : U16(entry.text.c_str());
        EXPECT_EQ(std::u16string(catalog.GetWideText(found)), wide);
    }
    for (const char* missing : {"open", "Open ", "Gr\u00f6\u00df", "Zzz", "\xff"})
        EXPECT_EQ(catalog.Find(missing), -1) << missing;
}

INSTANTIATE_TEST_SUITE_P(
    AllLayouts, CatalogLayout,
    ::testing::Values(Layout{false, false, Hash::Unsigned}, Layout{true, false, Hash::Unsigned},
                      Layout{false, false, Hash::None}, Layout{true, false, Hash::None},
                      Layout{false, true, Hash::Signed}, Layout{true, true, Hash::Signed},
                      Layout{false, true, Hash::Unsigned}, Layout{false, true, Hash::None}),
    layoutName);

TEST(CatalogReader, AStandardHashTableOfSignedBytesMissesNonAsciiKeys)
{
    // What the signed-byte hash did to msgfmt's catalogs, shown the other
    // way round: a standard catalog is probed the msgfmt way only.
    CatalogShape shape;
    shape.entries = sampleEntries();
    shape.hash = Hash::Signed;
    Bytes bytes = buildCatalog(shape);
    CLxMsgCatalog catalog;
    ASSERT_TRUE(catalog.Load(nullptr, -1, bytes.data(), bytes.size()));
    EXPECT_GE(catalog.Find("Open"), 0);
    EXPECT_EQ(catalog.Find("Gr\u00f6\u00dfe"), -1);
}

TEST(CatalogReader, HeaderNames)
{
    struct Case {
        std::string name;
        std::string expected;
    } cases[] = {
        {"qvx\\gnr_picture\\lut", "qvx\\gnr_picture\\lut"},
        {std::string(5000, 'n'), std::string(4095, 'n')},
        {"", ""},
    };
    for (const Case& c : cases) {
        CatalogShape shape;
        shape.name = c.name;
        shape.entries = sampleEntries();
        Bytes bytes = buildCatalog(shape);
        CLxMsgCatalog catalog;
        ASSERT_TRUE(catalog.Load(nullptr, -1, bytes.data(), bytes.size()));
        EXPECT_EQ(catalog.GetName(), c.expected);
    }
    // Without a header the first translation is not taken for one.
    CatalogShape shape;
    shape.entries = {{"A", "Project-Id-Version: fake\n", {}}};
    Bytes bytes = buildCatalog(shape);
    CLxMsgCatalog catalog;
    ASSERT_TRUE(catalog.Load(nullptr, -1, bytes.data(), bytes.size()));
    EXPECT_EQ(catalog.GetName(), "");
}

TEST(CatalogReader, AFullHashTableEndsTheProbe)
{
    CatalogShape shape;
    shape.entries = {{"a", "1", {}}, {"b", "2", {}}, {"c", "3", {}}};
    shape.hashSize = 3; // every word taken: no empty word ends the probe
    Bytes bytes = buildCatalog(shape);
    CLxMsgCatalog catalog;
    ASSERT_TRUE(catalog.Load(nullptr, -1, bytes.data(), bytes.size()));
    EXPECT_EQ(catalog.Find("missing"), -1);
    EXPECT_STREQ(catalog.GetText(catalog.Find("b")), "2");
}

// Writes word value at byte offset at in the catalog's byte order.
void setWord(Bytes& bytes, size_t at, uint32_t value, bool bigEndian = false)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + size_t(bigEndian ? 3 - i : i)] = uint8_t(value >> (8 * i));
}

uint32_t getWord(const Bytes& bytes, size_t at)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | bytes[at + size_t(i)];
    return value;
}

// A catalog whose translations all point into one long text: at the same
// place (shared, fine) or each one byte further (crafted overlaps whose
// UTF-16 copies would take hundreds of times the catalog's size).
TEST(CatalogReader, SharedStringsAreTakenCraftedOverlapsRefused)
{
    CatalogShape shape;
    const std::string longText(4000, 'x');
    for (int i = 0; i < 200; ++i)
        shape.entries.push_back({"key" + std::to_string(1000 + i), i ? "y" : longText, {}});
    shape.hash = Hash::None;
    const Bytes bytes = buildCatalog(shape);
    const uint32_t textTable = getWord(bytes, 16);
    const uint32_t start = getWord(bytes, textTable + 4);

    Bytes shared = bytes, overlapping = bytes;
    for (uint32_t i = 1; i < 200; ++i) {
        setWord(shared, textTable + 8 * i, 4000);
        setWord(shared, textTable + 8 * i + 4, start);
        setWord(overlapping, textTable + 8 * i, 4000 - i);
        setWord(overlapping, textTable + 8 * i + 4, start + i);
    }
    CLxMsgCatalog catalog;
    ASSERT_TRUE(catalog.Load(nullptr, -1, shared.data(), shared.size()));
    EXPECT_EQ(catalog.GetWideText(catalog.Find("key1000")),
              catalog.GetWideText(catalog.Find("key1199")));
    EXPECT_EQ(strlen(catalog.GetText(catalog.Find("key1199"))), 4000u);

    DebugOutputCapture capture;
    EXPECT_FALSE(catalog.Load(nullptr, -1, overlapping.data(), overlapping.size()));
    EXPECT_NE(U8(capture.last().c_str()).find("overlaps others"), std::string::npos);
}

TEST(CatalogReader, DamagedCatalogsAreRefusedWithATraceRecord)
{
    CatalogShape shape;
    shape.name = "qvx\\tests";
    shape.entries = sampleEntries();
    const Bytes good = buildCatalog(shape);
    shape.ownRevision = true;
    const Bytes own = buildCatalog(shape);
    const uint32_t n = getWord(good, 8);
    const size_t size = good.size();
    const uint32_t firstText = getWord(good, 16);

    struct Case {
        const char* what;
        Bytes bytes;
        const char* reason;
    };
    std::vector<Case> cases;
    auto damaged = [](Bytes bytes, size_t at, uint32_t value) {
        setWord(bytes, at, value);
        return bytes;
    };
    cases.push_back(
        {"28 bytes", Bytes(good.begin(), good.begin() + 28), "too short or bad magic number"});
    cases.push_back({"bad magic", damaged(good, 0, 0x950412df), "too short or bad magic number"});
    cases.push_back({"unknown revision", damaged(good, 4, 0x00020000), "unknown revision"});
    cases.push_back({"own revision swapped", damaged(good, 4, 0x30585651), "unknown revision"});
    cases.push_back({"key table outside", damaged(good, 12, uint32_t(size - 8 * n + 1)),
                     "a string table lies outside the data"});
    cases.push_back({"text table outside", damaged(good, 16, 0xFFFFFFF8),
                     "a string table lies outside the data"});
    cases.push_back(
        {"count too large", damaged(good, 8, 0x20000000), "a string table lies outside the data"});
    cases.push_back({"hash table outside", damaged(good, 20, 0x40000000),
                     "the hash table lies outside the data"});
    cases.push_back({"string outside", damaged(good, firstText + 4, uint32_t(size)),
                     "a string lies outside the data or has no end"});
    cases.push_back({"string length past its end", damaged(good, firstText, 0xFFFFFFFF),
                     "a string lies outside the data or has no end"});
    cases.push_back({"hash word past the count", damaged(good, getWord(good, 24), n + 1),
                     "a hash entry names no string"});
    // The own revision's entries: the displacement and the UTF-16 text.
    const uint32_t ownEntry = getWord(own, getWord(own, 16) + 4);
    cases.push_back({"displacement outside", damaged(own, ownEntry, 0x7FFFFFFF),
                     "a string lies outside the data or has no end"});
    cases.push_back({"displacement before the start", damaged(own, ownEntry, 0x80000000),
                     "a string lies outside the data or has no end"});
    Bytes unended = own;
    unended.resize(own.size() - 1); // the last narrow text loses its end
    cases.push_back(
        {"last text without end", unended, "a string lies outside the data or has no end"});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DebugOutputCapture capture;
        CLxMsgCatalog catalog;
        EXPECT_FALSE(catalog.Load(reinterpret_cast<LX_HMODULE>(0x1234), 1036, c.bytes.data(),
                                  c.bytes.size()));
        EXPECT_EQ(catalog.GetCount(), 0u);
        EXPECT_EQ(catalog.Find("Open"), -1);
        const std::string expected =
            std::string("Error: CLxMsgCatalog::Load() - Message catalog with handle:'") +
            "0000000000001234:1036' is not valid (" + c.reason + ").";
        ASSERT_FALSE(capture.texts().empty());
        EXPECT_NE(U8(capture.last().c_str()).find(expected), std::string::npos)
            << U8(capture.last().c_str());
    }
}

} // namespace
