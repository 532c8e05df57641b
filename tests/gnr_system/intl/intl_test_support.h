// Helpers of the translation tests: a writer of small catalogs (standard
// or own revision, either byte order, any hash signedness), the fixture
// files made by GNU msgfmt, and the translations Python's gettext read from
// them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "gnr_system/intl/LxLocale.h"
#include "test_support.h"

namespace intl_test
{

using Bytes = std::vector<uint8_t>;

enum class Hash { None, Unsigned, Signed };

struct Entry {
    std::string key;
    std::string text;
    std::u16string wide; // own revision: the UTF-16 text (empty: text converted)
};

struct CatalogShape {
    std::string name; // the Project-Id-Version value; empty: no header entry
    std::vector<Entry> entries;
    bool bigEndian = false;
    bool ownRevision = false;
    Hash hash = Hash::Unsigned;
    uint32_t hashSize = 0; // 0: the size msgfmt would choose
};

// The gettext string hash, written here once more so that the tests do not
// lean on the reader's own.
inline uint32_t hashOf(const std::string& key, bool signedBytes)
{
    uint32_t h = 0;
    for (unsigned char byte : key) {
        h = (h << 4) + (signedBytes ? uint32_t(int32_t(int8_t(byte))) : byte);
        uint32_t g = h & 0xF0000000u;
        if (g)
            h ^= (g >> 24) ^ g;
    }
    return h;
}

inline uint32_t nextPrime(uint32_t n)
{
    for (n |= 1;; n += 2) {
        bool prime = n > 2;
        for (uint32_t d = 3; d * d <= n && prime; d += 2)
            prime = n % d != 0;
        if (prime)
            return n;
    }
}

class CatalogWriter
{
  public:
    explicit CatalogWriter(bool bigEndian) : m_bigEndian(bigEndian) {}

    void word(uint32_t value) { putWord(m_bytes.size(), value, true); }
    void putWord(size_t at, uint32_t value, bool append = false)
    {
        uint8_t b[4];
        for (int i = 0; i < 4; ++i)
            b[m_bigEndian ? 3 - i : i] = uint8_t(value >> (8 * i));
        if (append)
            m_bytes.insert(m_bytes.end(), b, b + 4);
        else
            std::copy(b, b + 4, m_bytes.begin() + ptrdiff_t(at));
    }
    void unit(char16_t value)
    {
        uint8_t hi = uint8_t(value >> 8), lo = uint8_t(value);
        m_bytes.push_back(m_bigEndian ? hi : lo);
        m_bytes.push_back(m_bigEndian ? lo : hi);
    }
    void text(const std::string& s)
    {
        m_bytes.insert(m_bytes.end(), s.begin(), s.end());
        m_bytes.push_back(0);
    }
    size_t size() const { return m_bytes.size(); }
    Bytes& bytes() { return m_bytes; }

  private:
    bool m_bigEndian;
    Bytes m_bytes;
};

inline Bytes buildCatalog(CatalogShape shape)
{
    if (!shape.name.empty())
        shape.entries.push_back(
            {"",
             "Project-Id-Version: " + shape.name + "\nContent-Type: text/plain; charset=UTF-8\n",
             {}});
    std::sort(shape.entries.begin(), shape.entries.end(),
              [](const Entry& a, const Entry& b) { return a.key < b.key; });
    const uint32_t n = uint32_t(shape.entries.size());
    uint32_t s = 0;
    if (shape.hash != Hash::None)
        s = shape.hashSize ? shape.hashSize : nextPrime(std::max(3u, n * 4 / 3));

    CatalogWriter out(shape.bigEndian);
    const uint32_t keyTable = 28, textTable = keyTable + 8 * n, hashTable = textTable + 8 * n;
    for (uint32_t w :
         {0x950412deu, shape.ownRevision ? 0x51565830u : 0u, n, keyTable, textTable, s, hashTable})
        out.word(w);
    out.bytes().resize(hashTable + 4 * size_t(s), 0);

    std::vector<uint32_t> table(s, 0);
    for (uint32_t i = 0; i < n && s; ++i) {
        uint32_t h = hashOf(shape.entries[i].key, shape.hash == Hash::Signed);
        uint32_t index = h % s, step = 1 + h % (s - 2);
        for (uint32_t tries = 0; table[index] && tries < s; ++tries)
            index = (index + step) % s;
        if (!table[index])
            table[index] = i + 1;
    }
    for (uint32_t i = 0; i < s; ++i)
        out.putWord(hashTable + 4 * i, table[i]);

    for (uint32_t i = 0; i < n; ++i) {
        const std::string& key = shape.entries[i].key;
        out.putWord(keyTable + 8 * i, uint32_t(key.size()));
        out.putWord(keyTable + 8 * i + 4, uint32_t(out.size()));
        out.text(key);
    }
    for (uint32_t i = 0; i < n; ++i) {
        const Entry& entry = shape.entries[i];
        const uint32_t at = uint32_t(out.size());
        out.putWord(textTable + 8 * i, uint32_t(entry.text.size()));
        out.putWord(textTable + 8 * i + 4, at);
        if (!shape.ownRevision) {
            out.text(entry.text);
            continue;
        }
        // An entry: displacement to the narrow text, the UTF-16 text, then
        // the narrow text.
        std::u16string wide = entry.wide.empty() ? U16(entry.text.c_str()) : entry.wide;
        out.word(uint32_t(4 + 2 * (wide.size() + 1)));
        for (char16_t c : wide)
            out.unit(c);
        out.unit(0);
        out.text(entry.text);
    }
    return out.bytes();
}

// The fixture folder of the catalogs made by msgfmt.
inline std::string fixturePath(const std::string& name)
{
    return std::string(LXTEST_INTL_FIXTURES) + "/" + name;
}

inline Bytes readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// One line of expected.txt: what Python's gettext answered.
struct Expected {
    std::string catalog;
    std::string key;
    std::string translation;
};

inline std::string fromHex(const std::string& hex)
{
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out += char(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

inline std::vector<Expected> expectedTranslations(const std::string& catalog)
{
    std::ifstream in(fixturePath("expected.txt"));
    std::vector<Expected> rows;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string name, key, text;
        std::getline(fields, name, '\t');
        std::getline(fields, key, '\t');
        std::getline(fields, text, '\t');
        if (name == catalog)
            rows.push_back({name, fromHex(key), fromHex(text)});
    }
    return rows;
}

// Starts and ends every test with no catalogs and no languages.
class LocaleTest : public ::testing::Test
{
  protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset()
    {
        CLxLocale::RemoveAllCatalogs();
        CLxLocale::SetLangID(-1);
        CLxLocale::SetSecondaryLangID(-1);
    }
    static bool add(const CatalogShape& shape, LX_HMODULE module, int language)
    {
        Bytes bytes = buildCatalog(shape);
        return CLxLocale::AddCatalog(bytes.data(), bytes.size(), module, language);
    }
};

} // namespace intl_test
