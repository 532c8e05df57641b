#include "w32_system/LxResourceContainer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <new>

#include "w32_system/LxFileInternal.h"
#include "w32_system/LxWideCrt.h"

namespace
{

constexpr uint32_t kMagic = 0x43535251; // "QRSC" as little-endian bytes
constexpr uint32_t kVersion = 1;
constexpr size_t kHeaderBytes = 12;
constexpr size_t kEntryHeaderBytes = 20;

// Reads little-endian words and byte runs, never past the end.
class CLxLittleEndianReader
{
  public:
    CLxLittleEndianReader(const uint8_t* bytes, size_t size) : m_bytes(bytes), m_left(size) {}

    bool Word(uint32_t* value)
    {
        const uint8_t* p;
        if (!Bytes(4, &p))
            return false;
        *value = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        return true;
    }
    bool Bytes(uint64_t n, const uint8_t** p)
    {
        if (n > m_left)
            return false;
        *p = m_bytes;
        m_bytes += n;
        m_left -= size_t(n);
        return true;
    }
    size_t Left() const { return m_left; }

  private:
    const uint8_t* m_bytes;
    size_t m_left;
};

void putWord(std::vector<uint8_t>* out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out->push_back(uint8_t(value >> shift));
}

bool fitsWord(size_t n)
{
    return n <= UINT32_MAX;
}

bool readEntry(CLxLittleEndianReader& in, SLxResourceEntry* entry)
{
    uint32_t nameUnits = 0, dataBytes = 0;
    const uint8_t* name;
    const uint8_t* data;
    if (!in.Word(&entry->uiType) || !in.Word(&entry->uiLanguage) || !in.Word(&entry->uiId) ||
        !in.Word(&nameUnits) || !in.Word(&dataBytes) || !in.Bytes(uint64_t(nameUnits) * 2, &name) ||
        !in.Bytes(dataBytes, &data))
        return false;
    entry->wsName.resize(nameUnits);
    for (uint32_t i = 0; i < nameUnits; ++i)
        entry->wsName[i] = char16_t(name[2 * i] | name[2 * i + 1] << 8);
    entry->data.assign(data, data + dataBytes);
    return true;
}

bool readWhole(int fd, std::vector<uint8_t>* bytes)
{
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    bytes->resize(size_t(st.st_size));
    size_t done = 0;
    while (done < bytes->size()) {
        ssize_t n = read(fd, bytes->data() + done, bytes->size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

std::string folderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

} // namespace

SLxResourceKey SLxResourceKey::FromId(uint32_t id)
{
    SLxResourceKey key;
    key.uiId = id & 0xFFFF;
    return key;
}

SLxResourceKey SLxResourceKey::FromName(const char16_t* name)
{
    // "#" and a decimal number up to 65535 is how an integer id is written
    // as a name.
    SLxResourceKey key;
    if (name[0] == u'#' && name[1]) {
        uint32_t id = 0;
        const char16_t* p = name + 1;
        for (; *p >= u'0' && *p <= u'9' && id <= 0xFFFF; ++p)
            id = id * 10 + uint32_t(*p - u'0');
        if (!*p && id <= 0xFFFF)
            return FromId(id);
    }
    key.wsName = name;
    return key;
}

bool SLxResourceKey::Matches(const SLxResourceEntry& entry) const
{
    if (wsName.empty())
        return entry.wsName.empty() && entry.uiId == uiId;
    return !entry.wsName.empty() && lx_wcsicmp(entry.wsName.c_str(), wsName.c_str()) == 0;
}

std::string LX_ResourceContainerPath(const std::string& moduleSystemPath)
{
    return moduleSystemPath + ".rsrc";
}

int LX_ParseResourceContainer(const uint8_t* bytes, size_t size,
                              std::vector<SLxResourceEntry>* entries)
{
    CLxLittleEndianReader in(bytes, size);
    uint32_t magic = 0, version = 0, count = 0;
    if (!in.Word(&magic) || !in.Word(&version) || !in.Word(&count) || magic != kMagic ||
        version != kVersion || count > in.Left() / kEntryHeaderBytes)
        return LX_RSRC_DAMAGED;
    entries->clear();
    entries->reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        entries->emplace_back();
        if (!readEntry(in, &entries->back()))
            return LX_RSRC_DAMAGED;
    }
    return in.Left() == 0 ? LX_RSRC_OK : LX_RSRC_DAMAGED;
}

bool LX_FormatResourceContainer(const std::vector<SLxResourceEntry>& entries,
                                std::vector<uint8_t>* bytes)
{
    if (!fitsWord(entries.size()))
        return false;
    bytes->clear();
    putWord(bytes, kMagic);
    putWord(bytes, kVersion);
    putWord(bytes, uint32_t(entries.size()));
    for (const SLxResourceEntry& entry : entries) {
        if (!fitsWord(entry.wsName.size()) || !fitsWord(entry.data.size()))
            return false;
        putWord(bytes, entry.uiType);
        putWord(bytes, entry.uiLanguage);
        putWord(bytes, entry.wsName.empty() ? entry.uiId : 0);
        putWord(bytes, uint32_t(entry.wsName.size()));
        putWord(bytes, uint32_t(entry.data.size()));
        for (char16_t unit : entry.wsName) {
            bytes->push_back(uint8_t(unit));
            bytes->push_back(uint8_t(unit >> 8));
        }
        bytes->insert(bytes->end(), entry.data.begin(), entry.data.end());
    }
    return true;
}

bool LX_ReadFileBytes(const std::string& path, std::vector<uint8_t>* bytes)
{
    int fd = LX_OpenFd(path, O_RDONLY);
    if (fd < 0)
        return false;
    bool read = readWhole(fd, bytes);
    close(fd);
    return read;
}

int LX_WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    int fd = LX_OpenFd(path, O_WRONLY | O_CREAT | O_TRUNC);
    if (fd < 0)
        return -1;
    bool written = LX_WriteAll(fd, bytes.data(), bytes.size());
    written = close(fd) == 0 && written;
    if (written)
        return 0;
    unlink(path.c_str());
    return -2;
}

int LX_ReadResourceContainer(const std::string& path, std::vector<SLxResourceEntry>* entries)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0 && errno == ENOENT)
        return LX_RSRC_MISSING;
    std::vector<uint8_t> bytes;
    if (!LX_ReadFileBytes(path, &bytes))
        return LX_RSRC_DAMAGED;
    return LX_ParseResourceContainer(bytes.data(), bytes.size(), entries);
}

bool LX_WriteResourceContainer(const std::string& path,
                               const std::vector<SLxResourceEntry>& entries)
{
    std::vector<uint8_t> bytes;
    if (!LX_FormatResourceContainer(entries, &bytes))
        return false;
    std::string temporary;
    if (LX_FindTempName(folderOf(path), u"lxrsrc$$$$$.tmp", true, 32768, &temporary) != 0)
        return false;
    int fd = LX_OpenFd(temporary, O_WRONLY | O_TRUNC);
    bool done = fd >= 0;
    if (done) {
        struct stat old;
        if (stat(path.c_str(), &old) == 0)
            fchmod(fd, old.st_mode & 07777);
        done = LX_WriteAll(fd, bytes.data(), bytes.size()) && fsync(fd) == 0;
        done = close(fd) == 0 && done;
    }
    done = done && rename(temporary.c_str(), path.c_str()) == 0;
    if (!done)
        unlink(temporary.c_str());
    return done;
}

const SLxResourceEntry* LX_FindResource(const std::vector<SLxResourceEntry>& entries, uint32_t type,
                                        const SLxResourceKey& key, uint32_t language,
                                        bool anyLanguage)
{
    const SLxResourceEntry* other = nullptr;
    for (const SLxResourceEntry& entry : entries) {
        if (entry.uiType != type || !key.Matches(entry))
            continue;
        if (entry.uiLanguage == language)
            return &entry;
        if (!other)
            other = &entry;
    }
    return anyLanguage ? other : nullptr;
}
