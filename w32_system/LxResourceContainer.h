// The resource container beside a module file: reading, writing, and
// finding entries.
//
// Layout, every field an unsigned 32-bit little-endian word:
//   header   magic 0x43535251 (the bytes "QRSC"), version 1, entry count;
//   entries  type, language, id, name length in UTF-16 units (0: the entry
//            is known by its id, which is then the only key), data length;
//            then the name (UTF-16 little-endian, no terminator), then the
//            data bytes.
// Nothing follows the last entry. A reader checks every count and length
// against the bytes left in the file before using it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SLxResourceEntry {
    uint32_t uiType = 0;
    uint32_t uiLanguage = 0;
    uint32_t uiId = 0;     // the key when wsName is empty
    std::u16string wsName; // else the key
    std::vector<uint8_t> data;
};

// What a caller asks for: an integer id, or a name ("#123" is the id 123).
struct SLxResourceKey {
    uint32_t uiId = 0;
    std::u16string wsName;

    static SLxResourceKey FromId(uint32_t id);
    static SLxResourceKey FromName(const char16_t* name);
    // Same id, or names equal without regard to case.
    bool Matches(const SLxResourceEntry& entry) const;
};

enum : int {
    LX_RSRC_OK = 0,
    LX_RSRC_DAMAGED = -9, // the container is not readable as one
    LX_RSRC_MISSING = -13,
};

// "<module file>.rsrc" for the module file's system path.
std::string LX_ResourceContainerPath(const std::string& moduleSystemPath);

// Parses container bytes. LX_RSRC_OK or LX_RSRC_DAMAGED.
int LX_ParseResourceContainer(const uint8_t* bytes, size_t size,
                              std::vector<SLxResourceEntry>* entries);
// The container bytes of entries; false when a length does not fit its word.
bool LX_FormatResourceContainer(const std::vector<SLxResourceEntry>& entries,
                                std::vector<uint8_t>* bytes);

// The whole regular file at path. False when it cannot be opened or read
// whole.
bool LX_ReadFileBytes(const std::string& path, std::vector<uint8_t>* bytes);
// Creates or empties the file at path and writes bytes into it. 0; -1 the
// file cannot be created; -2 writing failed (the file is removed).
int LX_WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// Reads the container at path. LX_RSRC_OK; LX_RSRC_MISSING when there is no
// file; LX_RSRC_DAMAGED when it cannot be read or parsed.
int LX_ReadResourceContainer(const std::string& path, std::vector<SLxResourceEntry>* entries);
// Writes a new container into path's folder and renames it over path (the
// old file keeps its place until then, and lends its permissions). True
// when done; on failure nothing is left behind and path is untouched.
bool LX_WriteResourceContainer(const std::string& path,
                               const std::vector<SLxResourceEntry>& entries);

// The entry of that type and key: the one in language when one matches,
// else (anyLanguage) the first of any language. Null when none.
const SLxResourceEntry* LX_FindResource(const std::vector<SLxResourceEntry>& entries, uint32_t type,
                                        const SLxResourceKey& key, uint32_t language,
                                        bool anyLanguage);
