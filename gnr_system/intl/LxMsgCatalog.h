// One message catalog in the GNU gettext message-object layout, in either
// byte order, optionally with the system's own revision 'QVX0' that adds
// UTF-16 translations.
//
// Header words (in the file's byte order): magic 0x950412de, revision, N
// strings, offset of the key table, offset of the translation table, hash
// table size S, offset of the hash table. Each table holds N pairs (length,
// offset); keys are sorted. Hash words are 0 (empty) or entry index + 1.
//
// Own revision: let L be the offset of the last key pair. A string offset
// greater than L names an entry: a signed 32-bit displacement d, then
// UTF-16 text in the file's byte order; the narrow text lies at offset + d.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "w32_system/LxTypes.h"

// The gettext string hash: h = (h << 4) + byte, folding the top four bits
// back in. GNU msgfmt takes the bytes unsigned; the system's own revision
// was written with signed bytes. Stops at the first zero byte.
uint32_t LX_GettextHash(const char* key, bool signedBytes);

class CLxMsgCatalog
{
  public:
    // The own revision word 'QVX0'.
    static constexpr uint32_t kOwnRevision = 0x51565830;

    // Takes a copy of size bytes and checks all of it: the header, that the
    // tables lie inside the data, every string (NUL-terminated inside the
    // data), every hash word (0 to N). Header-less or damaged data writes a
    // trace record and gives false, leaving the catalog empty.
    bool Load(LX_HMODULE module, int language, const void* data, size_t size);

    // The "Project-Id-Version: " value of the header entry (at most 4095
    // bytes), or empty.
    const std::string& GetName() const { return m_name; }
    LX_HMODULE GetModule() const { return m_module; }
    int GetLanguage() const { return m_language; }
    bool IsOwnRevision() const { return m_ownRevision; }
    // Written in the other byte order than this machine's.
    bool IsSwapped() const { return m_swapped; }
    uint32_t GetCount() const { return uint32_t(m_keys.size()); }
    uint32_t GetHashSize() const { return m_hashSize; }

    // The entry whose key is key, or -1. Uses the hash table when S > 2,
    // else bisection over the sorted keys.
    int Find(const char* key) const;
    // The narrow (UTF-8) translation of an entry.
    const char* GetText(int entry) const;
    // The UTF-16 translation: the own revision's text, else the narrow one
    // converted.
    const char16_t* GetWideText(int entry) const;

  private:
    // Where a string's texts start in m_data.
    struct SLxCatalogString {
        uint32_t narrow;
        int64_t wide;    // the own revision's UTF-16 text, or -1
        uint32_t length; // of a plain narrow string
    };

    uint32_t Word(uint64_t offset) const;
    bool Fail(const char* reason);
    bool ResolveString(uint64_t pairOffset, uint32_t lastKeyOffset, SLxCatalogString* string) const;
    bool AppendWideText(const SLxCatalogString& string, size_t limit);
    int Probe(const char* key, uint32_t hash) const;
    int Bisect(const char* key) const;
    const char* KeyText(uint32_t entry) const;

    std::vector<uint8_t> m_data;
    int64_t m_lastZero = -1; // the last zero byte of m_data
    bool m_bigEndian = false;
    bool m_swapped = false;
    bool m_ownRevision = false;
    uint32_t m_hashSize = 0;
    uint64_t m_hashOffset = 0;
    // Per entry: where its key's and its translation's narrow texts start
    // in m_data, and where its UTF-16 translation starts in m_wide.
    std::vector<uint32_t> m_keys;
    std::vector<uint32_t> m_texts;
    std::vector<size_t> m_wideTexts;
    std::u16string m_wide;
    std::string m_name;
    LX_HMODULE m_module = nullptr;
    int m_language = -1;
};
