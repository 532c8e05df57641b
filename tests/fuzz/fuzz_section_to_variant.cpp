// libFuzzer target for LX_SectionToVariant over the contents of a module's
// catalog section: the input becomes the section "sta9IDX" of a small ELF
// file (an anonymous memory file, reached by its /proc path). Any contents
// give a list with one child per text of the section; a section that is
// missing gives -9 and leaves the variant as it was.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "gnr_system/rtti/LxSectionToVariant.h"
#include "gnr_system/serializerxml/LxSerializerXML.h"
#include "gnr_system/string/LxString.h"
#include "gnr_system/variant/LxVariant.h"

namespace
{

constexpr size_t kMaxSection = 64u << 10;

void Check(bool condition)
{
    if (!condition)
        abort();
}

void Put(std::string& out, size_t at, uint64_t value, int width)
{
    for (int i = 0; i < width; ++i)
        out[at + size_t(i)] = char(value >> (8 * i) & 0xFF);
}

// A little-endian 64-bit ELF file with the null section, "sta9IDX" holding
// the bytes, and the section names.
std::string ModuleWithSection(const uint8_t* data, size_t size)
{
    const std::string names = std::string("\0sta9IDX\0.shstrtab\0", 19);
    const size_t sectionAt = 64, namesAt = sectionAt + size;
    const size_t tableAt = (namesAt + names.size() + 7) / 8 * 8;
    std::string out(tableAt + 3 * 64, '\0');
    const char ident[] = {0x7F, 'E', 'L', 'F', 2 /* 64-bit */, 1 /* little-endian */, 1};
    out.replace(0, sizeof ident, ident, sizeof ident);
    Put(out, 0x10, 3, 2);  // ET_DYN
    Put(out, 0x12, 62, 2); // x86-64
    Put(out, 0x14, 1, 4);  // version
    Put(out, 0x28, tableAt, 8);
    Put(out, 0x34, 64, 2); // header size
    Put(out, 0x3A, 64, 2); // section header size
    Put(out, 0x3C, 3, 2);  // sections
    Put(out, 0x3E, 2, 2);  // names section
    out.replace(sectionAt, size, reinterpret_cast<const char*>(data), size);
    out.replace(namesAt, names.size(), names);
    const auto section = [&](int index, uint32_t name, uint32_t type, size_t at, size_t length) {
        const size_t entry = tableAt + 64 * size_t(index);
        Put(out, entry, name, 4);
        Put(out, entry + 4, type, 4);
        Put(out, entry + 0x18, at, 8);
        Put(out, entry + 0x20, length, 8);
        Put(out, entry + 0x30, 1, 8);
    };
    section(1, 1, 1, sectionAt, size);       // SHT_PROGBITS
    section(2, 9, 3, namesAt, names.size()); // SHT_STRTAB
    return out;
}

// The texts of the section: runs of non-zero little-endian units.
int TextCount(const uint8_t* data, size_t size)
{
    int count = 0;
    bool inText = false;
    for (size_t i = 0; i + 1 < size; i += 2) {
        const bool zero = data[i] == 0 && data[i + 1] == 0;
        if (!zero && !inText)
            ++count;
        inText = !zero;
    }
    return count;
}

// Lists compare their named members by name, so a section's list with
// repeated names is compared as its text.
std::string Xml(const CLxVariant& v)
{
    CLxStringA text;
    CLxXMLAPI::VariantToXMLDocument_UTF8(text, v);
    return text.GetString();
}

int MemoryFile()
{
    static const int fd = memfd_create("fuzz_section_to_variant", 0);
    return fd;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_support::QuietDiagnostics();
    const int fd = MemoryFile();
    if (fd < 0 || size > kMaxSection)
        return 0;
    const std::string module = ModuleWithSection(data, size);
    if (ftruncate(fd, 0) != 0 ||
        pwrite(fd, module.data(), module.size(), 0) != ssize_t(module.size()))
        return 0;
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    const CLxStringW file(std::u16string(path.begin(), path.end()).c_str());

    CLxVariant out;
    Check(LX_SectionToVariant(out, file, "STA9idx") == 0);
    Check(out.GetCount() == TextCount(data, size));

    // A missing section leaves the variant as it was.
    const std::string before = Xml(out);
    Check(LX_SectionToVariant(out, file, "sta9ID") == -9);
    Check(Xml(out) == before);
    return 0;
}
