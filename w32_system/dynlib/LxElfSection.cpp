// Reading one named section of an ELF module file straight from disk: the
// class registry reads the catalog sections of modules it has not loaded.
//
// Only the ELF header, the section header table and the section-name table
// are read, then the wanted section's bytes. Each of them is checked against
// the file's length before anything is allocated for it, and every field is
// read through explicit little-endian helpers, never by laying a struct over
// file bytes.
#include "w32_system/dynlib/LxElfSection.h"

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "w32_system/LxFileInternal.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/dynlib/LxDynLib.h"

namespace {

struct Field {
    unsigned offset;
    unsigned width;
};

// Where the fields we need sit in the ELF header and in a section header.
struct ElfLayout {
    unsigned headerSize;
    Field shoff, shentsize, shnum, shstrndx;
    unsigned entrySize; // smallest section header
    Field name, type, offset, size, link;
};

// Header: size, e_shoff, e_shentsize, e_shnum, e_shstrndx.
// Section header: size, sh_name, sh_type, sh_offset, sh_size, sh_link.
// clang-format off
constexpr ElfLayout kElf32 = {52, {0x20, 4}, {0x2E, 2}, {0x30, 2}, {0x32, 2},
                              40, {0x00, 4}, {0x04, 4}, {0x10, 4}, {0x14, 4}, {0x18, 4}};
constexpr ElfLayout kElf64 = {64, {0x28, 8}, {0x3A, 2}, {0x3C, 2}, {0x3E, 2},
                              64, {0x00, 4}, {0x04, 4}, {0x18, 8}, {0x20, 8}, {0x28, 4}};
// clang-format on

// The block holds at least field.offset + field.width bytes (a whole header
// or a whole table entry).
uint64_t get(const unsigned char* block, Field field)
{
    uint64_t value = 0;
    for (unsigned i = field.width; i--;)
        value = value << 8 | block[field.offset + i];
    return value;
}

unsigned char asciiLower(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

// A name that runs off the end of the table matches nothing.
bool nameEquals(const std::vector<unsigned char>& names, uint64_t at, const char* wanted)
{
    for (; at < names.size(); ++at, ++wanted) {
        unsigned char c = names[at];
        if (asciiLower(c) != asciiLower(static_cast<unsigned char>(*wanted)))
            return false;
        if (!c)
            return true;
    }
    return false;
}

// Reads [offset, offset + size) whole; the size is checked against the file
// before the vector is made.
bool readBlock(const CLxByteSource& source, uint64_t offset, uint64_t size,
               std::vector<unsigned char>& out)
{
    if (!source.Contains(offset, size))
        return false;
    out.resize(size);
    return source.Read(offset, out.data(), out.size());
}

class CLxFileSource : public CLxByteSource
{
public:
    CLxFileSource(int fd, uint64_t size) : CLxByteSource(size), m_fd(fd) {}

protected:
    bool ReadInside(uint64_t offset, void* dst, size_t length) const override
    {
        auto* p = static_cast<char*>(dst);
        while (length) {
            ssize_t n = pread(m_fd, p, length, off_t(offset));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) // the file shrank since it was measured
                return false;
            p += n;
            offset += uint64_t(n);
            length -= size_t(n);
        }
        return true;
    }

private:
    int m_fd;
};

// -7 when the descriptor is not a regular file, else as LX_FindElfSection.
int copySection(int fd, const char* name, void** buffer, size_t* size)
{
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return -7;
    CLxFileSource source(fd, uint64_t(st.st_size));
    SLxElfSpan span;
    int status = LX_FindElfSection(source, name, &span);
    if (status)
        return status;
    // One byte for an empty section, so success always hands over a buffer.
    void* copy = malloc(span.size ? span.size : 1);
    if (!copy)
        return -9;
    if (!source.Read(span.offset, copy, span.size)) {
        free(copy);
        return -9;
    }
    *buffer = copy;
    *size = span.size;
    return 0;
}

} // namespace

int LX_FindElfSection(const CLxByteSource& source, const char* name, SLxElfSpan* span)
{
    unsigned char header[64];
    if (!source.Read(0, header, EI_NIDENT) || memcmp(header, ELFMAG, SELFMAG) != 0)
        return -9;
    const ElfLayout* layout = header[EI_CLASS] == ELFCLASS64   ? &kElf64
                              : header[EI_CLASS] == ELFCLASS32 ? &kElf32
                                                               : nullptr;
    if (!layout || header[EI_DATA] != ELFDATA2LSB || header[EI_VERSION] != EV_CURRENT)
        return -9;
    if (!source.Read(0, header, layout->headerSize))
        return -9;

    uint64_t tableOffset = get(header, layout->shoff);
    uint64_t entrySize = get(header, layout->shentsize);
    uint64_t count = get(header, layout->shnum);
    uint64_t namesIndex = get(header, layout->shstrndx);
    if (tableOffset == 0 || entrySize < layout->entrySize)
        return -9;

    // Extended numbering: counts too large for the header live in entry 0.
    std::vector<unsigned char> table;
    if (!readBlock(source, tableOffset, entrySize, table))
        return -9;
    if (count == 0)
        count = get(table.data(), layout->size);
    if (namesIndex == SHN_XINDEX)
        namesIndex = get(table.data(), layout->link);
    if (namesIndex == SHN_UNDEF || namesIndex >= count || count > source.Size() / entrySize)
        return -9;
    if (!readBlock(source, tableOffset, count * entrySize, table))
        return -9;
    auto entry = [&](uint64_t index) { return table.data() + index * entrySize; };

    const unsigned char* namesEntry = entry(namesIndex);
    std::vector<unsigned char> names;
    if (get(namesEntry, layout->type) != SHT_STRTAB ||
        !readBlock(source, get(namesEntry, layout->offset), get(namesEntry, layout->size), names))
        return -9;

    // Entry 0 is the null section; the first match decides.
    for (uint64_t index = 1; index < count; ++index) {
        const unsigned char* e = entry(index);
        if (!nameEquals(names, get(e, layout->name), name))
            continue;
        SLxElfSpan found = {get(e, layout->offset), get(e, layout->size)};
        if (get(e, layout->type) == SHT_NOBITS || !source.Contains(found.offset, found.size))
            return -9;
        *span = found;
        return 0;
    }
    return -9;
}

int LX_GetDataSeg(const char16_t* path, const char* sectionName, void** buffer, size_t* size)
{
    if (!path || !*path) {
        LX_DIAG_ASSERT_TEXT(u"path==NULL || *path==0",
                            u"LX_GetDataSeg: Module filename must not be empty.");
        return -4;
    }
    if (!sectionName || !*sectionName) {
        LX_DIAG_ASSERT_TEXT(u"sectionName==NULL || *sectionName==0",
                            u"LX_GetDataSeg: Invalid section name.");
        return -4;
    }
    if (!buffer || !size) {
        LX_DIAG_ASSERT_TEXT(u"buffer==NULL || size==NULL",
                            u"LX_GetDataSeg: Missing output address.");
        return -4;
    }
    // Non-blocking so that a FIFO cannot hold the caller; regular files
    // ignore the flag.
    int fd = open(LX_SystemPath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -7;
    int status = copySection(fd, sectionName, buffer, size);
    close(fd);
    return status;
}

int LX_FreeDataSeg(void** buffer)
{
    if (buffer) {
        free(*buffer);
        *buffer = nullptr;
    }
    return 0;
}
