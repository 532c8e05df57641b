#include "gnr_system/intl/LxMsgCatalog.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "w32_system/LxStrHelpers.h"
#include "w32_system/LxUtf.h"
#include "w32_system/debugging/LxDiag.h"

namespace
{

constexpr size_t kHeaderBytes = 28;
constexpr size_t kMaxNameBytes = 4095;
const char kNameTag[] = "Project-Id-Version: ";

bool hostIsBigEndian()
{
    const uint16_t probe = 1;
    uint8_t first;
    memcpy(&first, &probe, 1);
    return first == 0;
}

bool hasHighBytes(const char* text)
{
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
        if (*p >= 0x80)
            return true;
    return false;
}

} // namespace

uint32_t LX_GettextHash(const char* key, bool signedBytes)
{
    uint32_t hash = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(key); *p; ++p) {
        uint32_t c = signedBytes ? uint32_t(int32_t(int8_t(*p))) : *p;
        hash = (hash << 4) + c;
        uint32_t top = hash & 0xF0000000u;
        if (top)
            hash ^= (top >> 24) ^ top;
    }
    return hash;
}

uint32_t CLxMsgCatalog::Word(uint64_t offset) const
{
    if (offset + 4 > m_data.size())
        return 0;
    const uint8_t* p = &m_data[size_t(offset)];
    if (m_bigEndian)
        return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

bool CLxMsgCatalog::Fail(const char* reason)
{
    LX_TRACE(u"Error: CLxMsgCatalog::Load() - Message catalog with handle:'%p:%i' is not valid "
             u"(%hs).",
             m_module, m_language, reason);
    LX_HMODULE module = m_module;
    int language = m_language;
    *this = CLxMsgCatalog();
    m_module = module;
    m_language = language;
    return false;
}

// Checks the string of one table pair: where its narrow text starts and,
// for an entry of the own revision, where its UTF-16 text starts.
bool CLxMsgCatalog::ResolveString(uint64_t pairOffset, uint32_t lastKeyOffset,
                                  SLxCatalogString* string) const
{
    const uint64_t size = m_data.size();
    const uint32_t length = Word(pairOffset);
    const uint32_t offset = Word(pairOffset + 4);
    if (m_ownRevision && offset > lastKeyOffset) {
        if (uint64_t(offset) + 4 > size)
            return false;
        // Any zero byte at or after the start ends the narrow text.
        const int64_t at = int64_t(offset) + int32_t(Word(offset));
        if (at < 0 || at > m_lastZero)
            return false;
        *string = SLxCatalogString{uint32_t(at), int64_t(offset) + 4, 0};
        return true;
    }
    if (uint64_t(offset) + length >= size || m_data[size_t(offset) + length] != 0)
        return false;
    *string = SLxCatalogString{offset, -1, length};
    return true;
}

// Appends a string's UTF-16 text and its terminator to m_wide: the own
// revision's text, else the narrow text converted.
bool CLxMsgCatalog::AppendWideText(const SLxCatalogString& string, size_t limit)
{
    if (string.wide < 0) {
        if (m_wide.size() + string.length + 1 > limit)
            return false;
        m_wide += LX_Utf8ToUtf16(reinterpret_cast<const char*>(&m_data[string.narrow]));
        m_wide += u'\0';
        return true;
    }
    for (uint64_t at = uint64_t(string.wide); at + 2 <= m_data.size() && m_wide.size() < limit;
         at += 2) {
        const uint8_t* p = &m_data[size_t(at)];
        char16_t unit = m_bigEndian ? char16_t(p[0] << 8 | p[1]) : char16_t(p[1] << 8 | p[0]);
        m_wide += unit;
        if (!unit)
            return true;
    }
    return false;
}

bool CLxMsgCatalog::Load(LX_HMODULE module, int language, const void* data, size_t size)
{
    *this = CLxMsgCatalog();
    m_module = module;
    m_language = language;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    static const uint8_t little[4] = {0xde, 0x12, 0x04, 0x95}, big[4] = {0x95, 0x04, 0x12, 0xde};
    if (!bytes || size <= kHeaderBytes || (memcmp(bytes, little, 4) && memcmp(bytes, big, 4)))
        return Fail("too short or bad magic number");
    if (size > UINT32_MAX)
        return Fail("larger than 4 GiB");
    m_data.assign(bytes, bytes + size);
    m_bigEndian = memcmp(bytes, big, 4) == 0;
    m_swapped = m_bigEndian != hostIsBigEndian();

    const uint32_t revision = Word(4);
    m_ownRevision = revision == kOwnRevision;
    if (!m_ownRevision && revision >> 16 > 1)
        return Fail("unknown revision");
    const uint64_t count = Word(8), keyTable = Word(12), textTable = Word(16);
    m_hashSize = Word(20);
    m_hashOffset = Word(24);
    if (keyTable + 8 * count > size || textTable + 8 * count > size)
        return Fail("a string table lies outside the data");
    if (m_hashSize > 2 && m_hashOffset + 4 * uint64_t(m_hashSize) > size)
        return Fail("the hash table lies outside the data");

    const uint32_t lastKeyOffset = count ? Word(keyTable + 8 * (count - 1) + 4) : 0;
    const uint8_t* lastZero = static_cast<const uint8_t*>(memrchr(m_data.data(), 0, size));
    m_lastZero = lastZero ? lastZero - m_data.data() : -1;
    m_keys.resize(count);
    m_texts.resize(count);
    m_wideTexts.resize(count);
    // Translations that share a string share its UTF-16 copy. Strings of a
    // sound catalog hardly overlap otherwise, so copies beyond a few times
    // the catalog's size mean crafted overlaps, refused before they take
    // that much memory and time.
    std::map<int64_t, size_t> shared;
    const size_t wideLimit = 4 * size;
    for (uint64_t i = 0; i < count; ++i) {
        SLxCatalogString key, text;
        if (!ResolveString(keyTable + 8 * i, lastKeyOffset, &key) ||
            !ResolveString(textTable + 8 * i, lastKeyOffset, &text))
            return Fail("a string lies outside the data or has no end");
        m_keys[i] = key.narrow;
        m_texts[i] = text.narrow;
        auto known = shared.emplace(text.wide >= 0 ? -text.wide : text.narrow, m_wide.size());
        m_wideTexts[i] = known.first->second;
        if (known.second && !AppendWideText(text, wideLimit))
            return Fail("a string lies outside the data, has no end or overlaps others");
    }
    for (uint64_t i = 0; m_hashSize > 2 && i < m_hashSize; ++i)
        if (Word(m_hashOffset + 4 * i) > count)
            return Fail("a hash entry names no string");

    // The header is the translation of the empty key, which sorts first.
    if (count && !*KeyText(0)) {
        const char* header = GetText(0);
        if (const char* tag = strstr(header, kNameTag)) {
            const char* value = tag + sizeof kNameTag - 1;
            m_name.assign(value, std::min(strcspn(value, "\n"), kMaxNameBytes));
        }
    }
    return true;
}

const char* CLxMsgCatalog::KeyText(uint32_t entry) const
{
    return reinterpret_cast<const char*>(&m_data[m_keys[entry]]);
}

const char* CLxMsgCatalog::GetText(int entry) const
{
    if (entry < 0 || size_t(entry) >= m_texts.size())
        return nullptr;
    return reinterpret_cast<const char*>(&m_data[m_texts[size_t(entry)]]);
}

const char16_t* CLxMsgCatalog::GetWideText(int entry) const
{
    if (entry < 0 || size_t(entry) >= m_wideTexts.size())
        return nullptr;
    return m_wide.c_str() + m_wideTexts[size_t(entry)];
}

// Open addressing as GNU gettext probes: start at h mod S, step
// 1 + h mod (S - 2). At most S probes, so a table without an empty word
// still ends.
int CLxMsgCatalog::Probe(const char* key, uint32_t hash) const
{
    uint32_t index = hash % m_hashSize;
    const uint32_t step = 1 + hash % (m_hashSize - 2);
    for (uint32_t probes = 0; probes < m_hashSize; ++probes) {
        uint32_t word = Word(m_hashOffset + 4 * uint64_t(index));
        if (!word)
            return -1;
        if (strcmp(KeyText(word - 1), key) == 0)
            return int(word - 1);
        index = index >= m_hashSize - step ? index - (m_hashSize - step) : index + step;
    }
    return -1;
}

int CLxMsgCatalog::Bisect(const char* key) const
{
    size_t bottom = 0, top = m_keys.size();
    while (bottom < top) {
        size_t middle = (bottom + top) / 2;
        int order = strcmp(key, KeyText(uint32_t(middle)));
        if (order < 0)
            top = middle;
        else if (order > 0)
            bottom = middle + 1;
        else
            return int(middle);
    }
    return -1;
}

int CLxMsgCatalog::Find(const char* key) const
{
    if (!key || m_keys.empty())
        return -1;
    if (m_hashSize <= 2)
        return Bisect(key);
    // Standard catalogs hash unsigned bytes, as msgfmt does. Catalogs of the
    // own revision were hashed with signed bytes, which differs only for
    // non-ASCII keys; those get a second probe the standard way.
    if (!m_ownRevision)
        return Probe(key, LX_GettextHash(key, false));
    int entry = Probe(key, LX_GettextHash(key, true));
    if (entry < 0 && hasHighBytes(key))
        entry = Probe(key, LX_GettextHash(key, false));
    return entry;
}
