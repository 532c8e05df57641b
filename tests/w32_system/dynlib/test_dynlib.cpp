#include <dlfcn.h>
#include <elf.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "test_support.h"
#include "w32_system/dynlib/LxDynLib.h"
#include "w32_system/dynlib/LxElfSection.h"
#include "w32_system/dynlib/LxModulePath.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;

const char* const kFixture = LXTEST_SECTIONS_MODULE;

// The bytes the fixture places in "sta9IDX": a UTF-16 text with its
// terminator, then every byte value once.
Bytes expectedIndexSection()
{
    Bytes bytes;
    for (char c : std::string("<idx/>"))
        bytes.insert(bytes.end(), {static_cast<unsigned char>(c), 0});
    bytes.insert(bytes.end(), {0, 0});
    for (int value = 0; value < 256; ++value)
        bytes.push_back(static_cast<unsigned char>(value));
    return bytes;
}

Bytes readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const fs::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::u16string withBackslashes(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return U16(path.c_str());
}

bool haveObjcopy()
{
    return std::system("objcopy --version > /dev/null 2>&1") == 0;
}

// Runs objcopy with the given arguments (paths quoted by the caller).
bool objcopy(const std::string& arguments)
{
    return std::system(("objcopy " + arguments + " > /dev/null 2>&1").c_str()) == 0;
}

std::string quoted(const fs::path& path)
{
    return "'" + path.string() + "'";
}

// Exactly the bytes of the image, so AddressSanitizer sees any read beyond.
class MemorySource : public CLxByteSource
{
public:
    explicit MemorySource(const Bytes& bytes) : CLxByteSource(bytes.size()), m_bytes(bytes) {}

protected:
    bool ReadInside(uint64_t offset, void* dst, size_t length) const override
    {
        memcpy(dst, m_bytes.data() + offset, length);
        return true;
    }

private:
    Bytes m_bytes;
};

int findInMemory(const Bytes& image, const char* name, SLxElfSpan* span)
{
    return LX_FindElfSection(MemorySource(image), name, span);
}

// Field positions in the fixture, found with the system's ELF structures
// (independently of the reader under test), for patching copies.
class FixtureElf
{
public:
    explicit FixtureElf(Bytes bytes) : m_bytes(std::move(bytes))
    {
        memcpy(&m_header, m_bytes.data(), sizeof m_header);
    }
    const Bytes& bytes() const { return m_bytes; }
    const Elf64_Ehdr& header() const { return m_header; }
    size_t sectionAt(size_t index) const { return m_header.e_shoff + index * m_header.e_shentsize; }
    Elf64_Shdr section(size_t index) const
    {
        Elf64_Shdr s;
        memcpy(&s, m_bytes.data() + sectionAt(index), sizeof s);
        return s;
    }
    size_t indexOf(const std::string& name) const
    {
        const char* names =
            reinterpret_cast<const char*>(m_bytes.data()) + section(m_header.e_shstrndx).sh_offset;
        for (size_t i = 1; i < m_header.e_shnum; ++i)
            if (name == names + section(i).sh_name)
                return i;
        return 0;
    }
    // Offset of a field of a section header.
    size_t fieldOf(size_t index, size_t fieldOffset) const
    {
        return sectionAt(index) + fieldOffset;
    }

private:
    Bytes m_bytes;
    Elf64_Ehdr m_header;
};

template <class T> void put(Bytes& bytes, size_t offset, T value)
{
    memcpy(bytes.data() + offset, &value, sizeof value);
}

// LX_GetDataSeg on files of a private folder; on failure it checks that the
// out values were left alone.
class DynLibDataSeg : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_elf = std::make_unique<FixtureElf>(readFile(kFixture));
        ASSERT_EQ(m_elf->header().e_ident[EI_CLASS], ELFCLASS64);
        m_index = m_elf->indexOf("sta9IDX");
        ASSERT_NE(m_index, 0u);
    }

    const Bytes& fixture() const { return m_elf->bytes(); }

    std::u16string store(const Bytes& image, const std::string& name = "image.so")
    {
        writeFile(m_dir.path() / name, image);
        return m_dir.u16(name);
    }

    // Status of LX_GetDataSeg; the section's bytes in *out on success.
    int getSeg(const std::u16string& path, const char* name, Bytes* out = nullptr)
    {
        void* const untouched = &m_sentinel;
        void* buffer = untouched;
        size_t size = 12345;
        int status = LX_GetDataSeg(path.c_str(), name, &buffer, &size);
        if (status != 0) {
            EXPECT_EQ(buffer, untouched);
            EXPECT_EQ(size, 12345u);
            return status;
        }
        EXPECT_NE(buffer, nullptr);
        if (out)
            out->assign(static_cast<unsigned char*>(buffer),
                        static_cast<unsigned char*>(buffer) + size);
        EXPECT_EQ(LX_FreeDataSeg(&buffer), 0);
        EXPECT_EQ(buffer, nullptr);
        return status;
    }

    int getSegOfImage(const Bytes& image, const char* name, Bytes* out = nullptr)
    {
        return getSeg(store(image), name, out);
    }

    ScopedTempDir m_dir;
    std::unique_ptr<FixtureElf> m_elf;
    size_t m_index = 0;
    int m_sentinel = 0;
};

// ---------------------------------------------------------------------------
// Loading and symbols

TEST(DynLibLoad, BackslashPathLoadsAndExportWorks)
{
    LX_HMODULE lib = LX_LoadLibrary(withBackslashes(kFixture).c_str());
    ASSERT_NE(lib, nullptr);
    auto sum = reinterpret_cast<unsigned (*)(int)>(LX_GetSymbol(lib, "lxtest_section_sum"));
    ASSERT_NE(sum, nullptr);
    Bytes index = expectedIndexSection();
    EXPECT_EQ(sum(0), std::accumulate(index.begin(), index.end(), 0u));
    EXPECT_EQ(LX_UnloadLibrary(lib), 0);
}

TEST(DynLibLoad, GetSymbolGivesNullForMissingOrInvalidNames)
{
    LX_HMODULE lib = LX_LoadLibrary(U16(kFixture).c_str());
    ASSERT_NE(lib, nullptr);
    EXPECT_EQ(LX_GetSymbol(lib, "lxtest_no_such_function"), nullptr);
    EXPECT_EQ(LX_GetSymbol(lib, "LXTEST_SECTION_SUM"), nullptr); // names are case-sensitive
    EXPECT_EQ(LX_GetSymbol(lib, nullptr), nullptr);
    EXPECT_EQ(LX_GetSymbol(lib, ""), nullptr);
    EXPECT_EQ(LX_GetSymbol(nullptr, "lxtest_section_sum"), nullptr);
    EXPECT_EQ(LX_UnloadLibrary(lib), 0);
}

TEST(DynLibLoad, LoadFailuresGiveNull)
{
    ScopedTempDir dir;
    writeFile(dir.path() / "libtext.so", Bytes{'n', 'o', 't', ' ', 'E', 'L', 'F', '\n'});
    EXPECT_EQ(LX_LoadLibrary(nullptr), nullptr);
    EXPECT_EQ(LX_LoadLibrary(u""), nullptr);
    EXPECT_EQ(LX_LoadLibrary(dir.u16("libmissing.so").c_str()), nullptr);
    EXPECT_EQ(LX_LoadLibrary(dir.u16("libtext.so").c_str()), nullptr);
}

TEST(DynLibLoad, UnloadOfNullHandleIsRefused)
{
    EXPECT_EQ(LX_UnloadLibrary(nullptr), -4);
}

TEST(DynLibLoad, ModuleFileNamesUsePrefixAndExtension)
{
    EXPECT_EQ(std::u16string(LX_GetDllExt()), u".so");
    EXPECT_EQ(std::u16string(LX_GetDllPref()), u"lib");
    // The fixture is named the platform's way: prefix, name, extension.
    std::u16string name = U16(fs::path(kFixture).filename().c_str());
    EXPECT_EQ(name, std::u16string(LX_GetDllPref()) + u"lxtest_sections" + LX_GetDllExt());
}

// ---------------------------------------------------------------------------
// Module file names

std::string moduleFileName(LX_HMODULE module, size_t size = 4096, int* status = nullptr)
{
    std::u16string buffer(size, u'#');
    int result = LX_GetModuleFileName(module, buffer.data(), size);
    if (status)
        *status = result;
    return U8(buffer.c_str());
}

TEST(DynLibModuleFileName, NullHandleAndMainProgramNameTheExecutable)
{
    int status = -1;
    std::string path = moduleFileName(nullptr, 4096, &status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(fs::path(path).is_absolute());
    EXPECT_EQ(fs::path(path).filename(), "w32_system_tests");
    EXPECT_TRUE(fs::equivalent(path, "/proc/self/exe"));

    void* self = dlopen(nullptr, RTLD_NOW);
    ASSERT_NE(self, nullptr);
    EXPECT_EQ(moduleFileName(self, 4096, &status), path);
    EXPECT_EQ(status, 0);
    dlclose(self);
}

TEST(DynLibModuleFileName, LoadedModuleNamesItsFile)
{
    LX_HMODULE lib = LX_LoadLibrary(U16(kFixture).c_str());
    ASSERT_NE(lib, nullptr);
    int status = -1;
    std::string path = moduleFileName(lib, 4096, &status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(fs::path(path).is_absolute());
    EXPECT_TRUE(fs::equivalent(path, kFixture));
    EXPECT_EQ(LX_UnloadLibrary(lib), 0);
}

// A module loaded by a relative path keeps its full path after the current
// folder changes.
TEST(DynLibModuleFileName, RelativeLoadGivesFullPath)
{
    ScopedTempDir dir;
    fs::create_directories(dir.path() / "sub");
    fs::copy_file(kFixture, dir.path() / "sub" / "liblxtest_copy.so");
    fs::path before = fs::current_path();
    fs::current_path(dir.path());
    LX_HMODULE lib = LX_LoadLibrary(u"sub\\liblxtest_copy.so");
    fs::current_path(before);
    ASSERT_NE(lib, nullptr);
    std::string path = moduleFileName(lib);
    EXPECT_TRUE(fs::path(path).is_absolute()) << path;
    EXPECT_TRUE(fs::equivalent(path, dir.path() / "sub" / "liblxtest_copy.so"));
    EXPECT_EQ(LX_UnloadLibrary(lib), 0);
}

TEST(DynLibModuleFileName, ShortBufferIsCutAndTerminated)
{
    std::string full = moduleFileName(nullptr);
    ASSERT_FALSE(full.empty());
    struct Case {
        size_t size;
        int status;
    };
    for (Case c : {Case{1, -9}, Case{2, -9}, Case{6, -9}, Case{full.size(), -9},
                   Case{full.size() + 1, 0}, Case{full.size() + 50, 0}}) {
        int status = 1;
        std::string got = moduleFileName(nullptr, c.size, &status);
        EXPECT_EQ(status, c.status) << c.size;
        EXPECT_EQ(got, full.substr(0, c.size - 1)) << c.size;
    }
}

TEST(DynLibModuleFileName, CutNeverSplitsASurrogatePair)
{
    ScopedTempDir dir;
    fs::path copy = dir.path() / "lib\xF0\x9F\x98\x80.so"; // U+1F600, two UTF-16 units
    fs::copy_file(kFixture, copy);
    LX_HMODULE lib = LX_LoadLibrary(U16(copy.c_str()).c_str());
    ASSERT_NE(lib, nullptr);
    std::u16string full = U16(copy.c_str());
    size_t high = full.find(u'\xD83D');
    ASSERT_NE(high, std::u16string::npos);

    std::u16string buffer(high + 2, u'#'); // room for the high unit but not the low
    EXPECT_EQ(LX_GetModuleFileName(lib, buffer.data(), buffer.size()), -9);
    EXPECT_EQ(std::u16string(buffer.c_str()), full.substr(0, high));
    EXPECT_EQ(LX_UnloadLibrary(lib), 0);
}

TEST(DynLibModuleFileName, MissingBufferIsRefused)
{
    char16_t buffer[4] = {u'#', u'#', u'#', u'#'};
    EXPECT_EQ(LX_GetModuleFileName(nullptr, nullptr, 10), -4);
    EXPECT_EQ(LX_GetModuleFileName(nullptr, buffer, 0), -4);
    EXPECT_EQ(buffer[0], u'#');
}

// The library's objects are linked into this program, so their module is the
// program itself.
TEST(DynLibModuleFileName, OwnModuleIsTheTestProgram)
{
    std::u16string own = LX_GetOwnModulePath();
    std::u16string exe = LX_GetExecutablePath();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ(own, exe);
    EXPECT_EQ(U8(exe.c_str()), moduleFileName(nullptr));
}

// ---------------------------------------------------------------------------
// Data segments

TEST_F(DynLibDataSeg, SectionsMatchObjcopy)
{
    if (!haveObjcopy())
        LXTEST_SKIP_WITHOUT_TOOL() << "objcopy is not installed";
    for (const char* name : {"sta9IDX", "sta9ID"}) {
        fs::path dumped = m_dir.path() / (std::string(name) + ".bin");
        ASSERT_TRUE(objcopy("-O binary --only-section=" + std::string(name) + " " +
                            quoted(kFixture) + " " + quoted(dumped)));
        Bytes got;
        ASSERT_EQ(getSeg(U16(kFixture), name, &got), 0) << name;
        EXPECT_EQ(got, readFile(dumped)) << name;
        EXPECT_FALSE(got.empty()) << name;
    }
}

// The copy read from disk equals what the loaded module sees in memory.
TEST_F(DynLibDataSeg, SectionHoldsTheModulesBytes)
{
    Bytes index;
    ASSERT_EQ(getSeg(U16(kFixture), "sta9IDX", &index), 0);
    EXPECT_EQ(index, expectedIndexSection());

    Bytes ident;
    ASSERT_EQ(getSeg(U16(kFixture), "sta9ID", &ident), 0);
    const char text[] = "lxtest identification";
    EXPECT_EQ(ident, Bytes(text, text + sizeof text));

    LX_HMODULE lib = LX_LoadLibrary(U16(kFixture).c_str());
    ASSERT_NE(lib, nullptr);
    auto sum = reinterpret_cast<unsigned (*)(int)>(LX_GetSymbol(lib, "lxtest_section_sum"));
    ASSERT_NE(sum, nullptr);
    EXPECT_EQ(sum(0), std::accumulate(index.begin(), index.end(), 0u));
    EXPECT_EQ(sum(1), std::accumulate(ident.begin(), ident.end(), 0u));
    EXPECT_EQ(LX_UnloadLibrary(lib), 0);
}

TEST_F(DynLibDataSeg, NameIgnoresCaseAndBackslashPathsWork)
{
    Bytes exact, other;
    ASSERT_EQ(getSeg(U16(kFixture), "sta9IDX", &exact), 0);
    for (const char* name : {"STA9idx", "sta9idx", "STA9IDX"}) {
        EXPECT_EQ(getSeg(U16(kFixture), name, &other), 0) << name;
        EXPECT_EQ(other, exact) << name;
    }
    EXPECT_EQ(getSeg(withBackslashes(kFixture), "sta9IDX", &other), 0);
    EXPECT_EQ(other, exact);
}

TEST_F(DynLibDataSeg, SectionsThatCannotBeReadGiveMinus9)
{
    ASSERT_NE(m_elf->indexOf(".bss"), 0u) << "the fixture should have a .bss section";
    for (const char* name : {"sta9XYZ", "sta9", "sta9IDXX", "sta9IDX ", ".bss"})
        EXPECT_EQ(getSeg(U16(kFixture), name), -9) << name;
}

TEST_F(DynLibDataSeg, FilesThatAreNotModules)
{
    EXPECT_EQ(getSeg(m_dir.u16("missing.so"), "sta9IDX"), -7);
    EXPECT_EQ(getSeg(m_dir.u16(), "sta9IDX"), -7); // a folder
    std::string text = "This is a text file, not a module.\n";
    EXPECT_EQ(getSegOfImage(Bytes(text.begin(), text.end()), "sta9IDX"), -9);
    EXPECT_EQ(getSegOfImage(Bytes(), "sta9IDX"), -9);
}

TEST_F(DynLibDataSeg, ArgumentFaultsGiveMinus4)
{
    void* buffer = &m_sentinel;
    size_t size = 7;
    std::u16string path = U16(kFixture);
    EXPECT_EQ(LX_GetDataSeg(nullptr, "sta9IDX", &buffer, &size), -4);
    EXPECT_EQ(LX_GetDataSeg(u"", "sta9IDX", &buffer, &size), -4);
    EXPECT_EQ(LX_GetDataSeg(path.c_str(), nullptr, &buffer, &size), -4);
    EXPECT_EQ(LX_GetDataSeg(path.c_str(), "", &buffer, &size), -4);
    EXPECT_EQ(LX_GetDataSeg(path.c_str(), "sta9IDX", nullptr, &size), -4);
    EXPECT_EQ(LX_GetDataSeg(path.c_str(), "sta9IDX", &buffer, nullptr), -4);
    EXPECT_EQ(buffer, static_cast<void*>(&m_sentinel));
    EXPECT_EQ(size, 7u);
}

TEST_F(DynLibDataSeg, FreeDataSegOfNull)
{
    void* buffer = nullptr;
    EXPECT_EQ(LX_FreeDataSeg(&buffer), 0);
    EXPECT_EQ(buffer, nullptr);
    EXPECT_EQ(LX_FreeDataSeg(nullptr), 0);
}

TEST_F(DynLibDataSeg, EmptySectionGivesABufferOfSizeZero)
{
    Bytes image = fixture();
    put<uint64_t>(image, m_elf->fieldOf(m_index, offsetof(Elf64_Shdr, sh_size)), 0);
    void* buffer = nullptr;
    size_t size = 99;
    ASSERT_EQ(LX_GetDataSeg(store(image).c_str(), "sta9IDX", &buffer, &size), 0);
    EXPECT_NE(buffer, nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(LX_FreeDataSeg(&buffer), 0);
}

// Every cut of the file loses at least the section table (it sits at the
// end), so every truncated copy is refused.
TEST_F(DynLibDataSeg, TruncatedCopiesAreRefused)
{
    const Bytes& whole = fixture();
    ASSERT_GT(m_elf->header().e_shoff, m_elf->section(m_index).sh_offset);
    SLxElfSpan span;
    ASSERT_EQ(findInMemory(whole, "sta9IDX", &span), 0);
    for (size_t length = 0; length < whole.size(); ++length)
        ASSERT_EQ(findInMemory(Bytes(whole.begin(), whole.begin() + length), "sta9IDX", &span), -9)
            << length;

    // A few cuts through the file reader too: inside the ELF header, inside
    // the section data, inside the section table, one byte short.
    const Elf64_Shdr index = m_elf->section(m_index);
    for (size_t length : {size_t(3), size_t(40), size_t(index.sh_offset + index.sh_size / 2),
                          size_t(m_elf->sectionAt(m_index) + 10), whole.size() - 1})
        EXPECT_EQ(getSegOfImage(Bytes(whole.begin(), whole.begin() + length), "sta9IDX"), -9)
            << length;
}

// A copy of the fixture being damaged: writers for single fields.
struct Damage {
    const FixtureElf& elf;
    size_t target; // index of "sta9IDX"
    Bytes& image;

    uint64_t fileSize() const { return image.size(); }
    size_t names() const { return elf.header().e_shstrndx; }
    Elf64_Shdr section(size_t index) const { return elf.section(index); }
    template <class T> void header(size_t field, T value) { put<T>(image, field, value); }
    template <class T> void entry(size_t index, size_t field, T value)
    {
        put<T>(image, elf.fieldOf(index, field), value);
    }
};

#define EH(field) offsetof(Elf64_Ehdr, field)
#define SH(field) offsetof(Elf64_Shdr, field)

struct Patch {
    const char* what;
    int status;
    void (*apply)(Damage&);
};

const Patch kPatches[] = {
    {"magic", -9, [](Damage& d) { d.header<uint8_t>(EI_MAG1, 'e'); }},
    {"class none", -9, [](Damage& d) { d.header<uint8_t>(EI_CLASS, ELFCLASSNONE); }},
    {"class 3", -9, [](Damage& d) { d.header<uint8_t>(EI_CLASS, 3); }},
    {"big-endian", -9, [](Damage& d) { d.header<uint8_t>(EI_DATA, ELFDATA2MSB); }},
    {"version 0", -9, [](Damage& d) { d.header<uint8_t>(EI_VERSION, EV_NONE); }},
    {"e_shoff 0", -9, [](Damage& d) { d.header<uint64_t>(EH(e_shoff), 0); }},
    {"e_shoff at the end", -9,
     [](Damage& d) { d.header<uint64_t>(EH(e_shoff), d.fileSize() - 8); }},
    {"e_shoff overflows", -9, [](Damage& d) { d.header<uint64_t>(EH(e_shoff), UINT64_MAX - 7); }},
    {"e_shoff one entry late", -9,
     [](Damage& d) {
         d.header<uint64_t>(EH(e_shoff), d.elf.header().e_shoff + d.elf.header().e_shentsize);
     }},
    {"e_shentsize small", -9, [](Damage& d) { d.header<uint16_t>(EH(e_shentsize), 8); }},
    {"e_shentsize huge", -9, [](Damage& d) { d.header<uint16_t>(EH(e_shentsize), 0xFFFF); }},
    {"e_shnum all", -9, [](Damage& d) { d.header<uint16_t>(EH(e_shnum), 0xFFFF); }},
    {"e_shnum extended, entry 0 empty", -9, [](Damage& d) { d.header<uint16_t>(EH(e_shnum), 0); }},
    {"e_shstrndx 0", -9, [](Damage& d) { d.header<uint16_t>(EH(e_shstrndx), 0); }},
    {"e_shstrndx past the table", -9,
     [](Damage& d) { d.header<uint16_t>(EH(e_shstrndx), d.elf.header().e_shnum); }},
    {"e_shstrndx names a data section", -9,
     [](Damage& d) { d.header<uint16_t>(EH(e_shstrndx), d.elf.indexOf("sta9ID")); }},
    {"e_shstrndx extended, entry 0 empty", -9,
     [](Damage& d) { d.header<uint16_t>(EH(e_shstrndx), SHN_XINDEX); }},
    {"names sh_offset past the end", -9,
     [](Damage& d) { d.entry<uint64_t>(d.names(), SH(sh_offset), d.fileSize()); }},
    {"names sh_size huge", -9,
     [](Damage& d) { d.entry<uint64_t>(d.names(), SH(sh_size), UINT64_MAX); }},
    {"names sh_type NOBITS", -9,
     [](Damage& d) { d.entry<uint32_t>(d.names(), SH(sh_type), SHT_NOBITS); }},
    {"name cut by the end of the names table", -9,
     [](Damage& d) { d.entry<uint64_t>(d.names(), SH(sh_size), d.section(d.target).sh_name + 3); }},
    {"sh_name past the names table", -9,
     [](Damage& d) { d.entry<uint32_t>(d.target, SH(sh_name), 0x7FFFFFFF); }},
    {"sh_offset past the end", -9,
     [](Damage& d) { d.entry<uint64_t>(d.target, SH(sh_offset), d.fileSize() - 10); }},
    {"sh_offset overflows", -9,
     [](Damage& d) { d.entry<uint64_t>(d.target, SH(sh_offset), UINT64_MAX - 5); }},
    {"sh_size one past the end", -9,
     [](Damage& d) {
         d.entry<uint64_t>(d.target, SH(sh_size), d.fileSize() - d.section(d.target).sh_offset + 1);
     }},
    {"sh_size up to the end", 0,
     [](Damage& d) {
         d.entry<uint64_t>(d.target, SH(sh_size), d.fileSize() - d.section(d.target).sh_offset);
     }},
    {"sh_size huge", -9, [](Damage& d) { d.entry<uint64_t>(d.target, SH(sh_size), UINT64_MAX); }},
    {"sh_type NOBITS", -9, [](Damage& d) { d.entry<uint32_t>(d.target, SH(sh_type), SHT_NOBITS); }},
    // Extended numbering: the real values move into entry 0.
    {"e_shnum extended", 0,
     [](Damage& d) {
         d.header<uint16_t>(EH(e_shnum), 0);
         d.entry<uint64_t>(0, SH(sh_size), d.elf.header().e_shnum);
     }},
    {"e_shstrndx extended", 0,
     [](Damage& d) {
         d.header<uint16_t>(EH(e_shstrndx), SHN_XINDEX);
         d.entry<uint32_t>(0, SH(sh_link), d.elf.header().e_shstrndx);
     }},
    {"e_shnum extended, table size wraps around", -9,
     [](Damage& d) {
         d.header<uint16_t>(EH(e_shnum), 0);
         d.entry<uint64_t>(0, SH(sh_size), (uint64_t(1) << 58) + d.elf.header().e_shnum);
     }},
    {"e_shnum extended, count too large", -9,
     [](Damage& d) {
         d.header<uint16_t>(EH(e_shnum), 0);
         d.entry<uint64_t>(0, SH(sh_size), UINT64_MAX / 2);
     }},
};

TEST_F(DynLibDataSeg, DamagedFieldsAreRefused)
{
    Bytes original;
    ASSERT_EQ(getSeg(U16(kFixture), "sta9IDX", &original), 0);
    for (const Patch& patch : kPatches) {
        Bytes image = fixture();
        Damage damage{*m_elf, m_index, image};
        patch.apply(damage);
        Bytes got;
        EXPECT_EQ(getSegOfImage(image, "sta9IDX", &got), patch.status) << patch.what;
        SLxElfSpan span;
        EXPECT_EQ(findInMemory(image, "sta9IDX", &span), patch.status) << patch.what;
        if (patch.status == 0) {
            EXPECT_EQ(Bytes(got.begin(), got.begin() + std::min(got.size(), original.size())),
                      original)
                << patch.what;
        }
    }
}

// 32-bit and big-endian ELF files, made by objcopy around known bytes.
TEST_F(DynLibDataSeg, OtherElfKinds)
{
    if (!haveObjcopy())
        LXTEST_SKIP_WITHOUT_TOOL() << "objcopy is not installed";
    Bytes payload = expectedIndexSection();
    writeFile(m_dir.path() / "payload.bin", payload);
    struct Kind {
        const char* target;
        int status;
    };
    for (Kind kind : {Kind{"elf32-i386", 0}, Kind{"elf32-little", 0}, Kind{"elf64-little", 0},
                      Kind{"elf32-big", -9}, Kind{"elf64-big", -9}}) {
        fs::path made = m_dir.path() / (std::string(kind.target) + ".o");
        ASSERT_TRUE(objcopy(std::string("-I binary -O ") + kind.target +
                            " --rename-section .data=sta9IDX " +
                            quoted(m_dir.path() / "payload.bin") + " " + quoted(made)))
            << kind.target;
        Bytes got;
        EXPECT_EQ(getSeg(U16(made.c_str()), "STA9IDX", &got), kind.status) << kind.target;
        if (kind.status == 0) {
            EXPECT_EQ(got, payload) << kind.target;
        }
    }
}

// Deterministic byte flips, mostly in the parts the reader interprets: every
// result is 0 (with the span inside the file) or -9, never a crash or a read
// outside the image.
TEST_F(DynLibDataSeg, RandomDamageIsHandled)
{
    const Bytes& whole = fixture();
    const Elf64_Shdr names = m_elf->section(m_elf->header().e_shstrndx);
    struct Region {
        size_t begin, length;
    };
    const Region regions[] = {
        {0, sizeof(Elf64_Ehdr)},
        {size_t(m_elf->header().e_shoff),
         size_t(m_elf->header().e_shnum) * m_elf->header().e_shentsize},
        {size_t(names.sh_offset), size_t(names.sh_size)},
        {0, whole.size()},
    };
    std::mt19937 random(20240611);
    int succeeded = 0;
    for (int iteration = 0; iteration < 400; ++iteration) {
        Bytes image = whole;
        int flips = 1 + int(random() % 6);
        for (int f = 0; f < flips; ++f) {
            const Region& region = regions[random() % std::size(regions)];
            size_t at = region.begin + random() % region.length;
            image[at] = random() % 3 == 0 ? 0xFF : image[at] ^ (1u << (random() % 8));
        }
        for (const char* name : {"sta9IDX", "sta9ID", ".text"}) {
            SLxElfSpan span = {};
            int status = findInMemory(image, name, &span);
            ASSERT_TRUE(status == 0 || status == -9) << iteration << ' ' << status;
            if (status == 0) {
                ++succeeded;
                EXPECT_LE(span.offset, image.size());
                EXPECT_LE(span.size, image.size() - span.offset);
            }
        }
        if (iteration % 20 == 0) {
            int status = getSegOfImage(image, "sta9IDX");
            EXPECT_TRUE(status == 0 || status == -9) << iteration << ' ' << status;
        }
    }
    EXPECT_GT(succeeded, 0); // harmless flips leave the sections readable
}

} // namespace
