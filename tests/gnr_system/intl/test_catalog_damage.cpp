// Truncated and corrupted catalogs, in a deterministic loop: every load
// either refuses the bytes or gives a catalog whose look-ups stay inside
// them (the sanitizers watch every read).
#include "gnr_system/intl/LxMsgCatalog.h"
#include "intl_test_support.h"
#include "w32_system/debugging/LxDiag.h"

namespace
{

using namespace intl_test;

const char* const kKeys[] = {"",    "Open",         "Window", "Gr\u00f6\u00dfe",
                             "Zzz", "menu\x04Open", "\xff",   "Fenetre"};

// Loads the bytes and, when they are taken, looks every key up.
void loadAndLookUp(const Bytes& bytes)
{
    CLxMsgCatalog catalog;
    if (!catalog.Load(nullptr, -1, bytes.data(), bytes.size()))
        return;
    for (const char* key : kKeys) {
        int entry = catalog.Find(key);
        if (entry >= 0) {
            ASSERT_NE(catalog.GetText(entry), nullptr);
            ASSERT_NE(catalog.GetWideText(entry), nullptr);
            (void)strlen(catalog.GetText(entry));
        }
    }
}

struct Seed {
    const char* name;
    Bytes bytes;
};

std::vector<Seed> seeds()
{
    std::vector<Seed> out;
    for (const char* file : {"messages-le.mo", "messages-be.mo", "messages-nohash.mo"})
        out.push_back({file, readBytes(fixturePath(file))});
    CatalogShape shape;
    shape.name = "qvx\\tests";
    shape.entries = {{"Open", "Ouvrir", {}},
                    {"Window", "Fenetre", u"Fen\u00eatre"},
                    {"Gr\u00f6\u00dfe", "Taille", {}}};
    shape.ownRevision = true;
    shape.hash = Hash::Signed;
    out.push_back({"own little", buildCatalog(shape)});
    shape.bigEndian = true;
    out.push_back({"own big", buildCatalog(shape)});
    return out;
}

class CatalogDamage : public ::testing::Test
{
  protected:
    // Trace records of refused catalogs would flood the log file.
    void SetUp() override { m_saved = LX_SetTraceOptions(LX_DIAG_DEBUGOUT); }
    void TearDown() override { LX_SetTraceOptions(unsigned(m_saved)); }
    int m_saved = 0;
};

TEST_F(CatalogDamage, EveryTruncationIsRefused)
{
    for (const Seed& seed : seeds()) {
        SCOPED_TRACE(seed.name);
        ASSERT_GT(seed.bytes.size(), 28u);
        for (size_t size = 0; size < seed.bytes.size(); ++size) {
            CLxMsgCatalog catalog;
            EXPECT_FALSE(catalog.Load(nullptr, -1, seed.bytes.data(), size)) << size;
        }
        CLxMsgCatalog whole;
        EXPECT_TRUE(whole.Load(nullptr, -1, seed.bytes.data(), seed.bytes.size()));
    }
}

TEST_F(CatalogDamage, CorruptedWordsAreRefusedOrReadSafely)
{
    for (const Seed& seed : seeds()) {
        SCOPED_TRACE(seed.name);
        const uint32_t size = uint32_t(seed.bytes.size());
        const uint32_t values[] = {0,          1,        2,    3,        0x7FFFFFFF, 0x80000000,
                                   0xFFFFFFFF, size - 1, size, size + 1, size / 2,   28};
        // Every aligned word: the header, the tables, the hash table and the
        // strings, in both byte orders of each value.
        for (size_t at = 0; at + 4 <= seed.bytes.size(); at += 4)
            for (uint32_t value : values)
                for (bool big : {false, true}) {
                    Bytes damaged = seed.bytes;
                    for (int i = 0; i < 4; ++i)
                        damaged[at + size_t(big ? 3 - i : i)] = uint8_t(value >> (8 * i));
                    loadAndLookUp(damaged);
                    if (HasFatalFailure())
                        return;
                }
    }
}

TEST_F(CatalogDamage, CorruptedBytesAreRefusedOrReadSafely)
{
    for (const Seed& seed : seeds()) {
        SCOPED_TRACE(seed.name);
        for (size_t at = 0; at < seed.bytes.size(); ++at)
            for (uint8_t value : {0x00, 0x01, 0x80, 0xFF}) {
                Bytes damaged = seed.bytes;
                damaged[at] = value;
                loadAndLookUp(damaged);
                if (HasFatalFailure())
                    return;
            }
    }
}

} // namespace
