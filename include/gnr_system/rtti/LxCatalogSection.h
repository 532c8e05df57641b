// The two named data sections through which a module offers its classes to
// the class registry (LxRTTI.h), built at compile time:
//
//   "sta9IDX"  class index: one block per creatable class
//   "sta9ID"   identification: one UTF-16 text per 512-byte slot
//
// The registry reads both straight from the module file, without loading
// it, and parses every UTF-16 text in them as variant XML. This header needs
// nothing from the library at link time, so any module can use it:
//
//     LX_DECLARE_CLASS(kShapeClass,
//                      lx_catalog::ClassDecl("CLxShape").Interface("ILxShape"))
//     LX_DECLARE_CLASS(kRankedClass, lx_catalog::ClassDecl("CLxFormatX")
//                                        .Interface("ILxImageFormat")
//                                        .Rank(1, "00.90.00.00"))
//     LX_DECLARE_MODULE_IDENTIFICATION(kIdentification,
//                                      lx_catalog::Identification()
//                                          .Value("LX_LOCAL_INTERNALNAME", "shapes")
//                                          .Flag("NDEBUG"))
//
// The registry only takes modules whose identification has "NDEBUG", and the
// class must export its constructor function (LX_DEFINE_CONSTRUCTOR).
//
// Layout of one class block (every part little-endian; UTF-16 texts start on
// an even offset, end with a zero unit and have a zero unit or the section
// start before them):
//   1. 48 zero bytes: the slot of the class record (twelve 32-bit words);
//   2. the declaration text: <variant version="1.0"><NAME runtype="RLxRttiClass">
//      <m_parent1 runtype="CLxStringW" value="I1"/> ... <m_parent9 .../>
//      [<m_additional runtype="CLxListVariant">...</m_additional>]</NAME></variant>
//   3. the narrow class and interface names, each ending with a zero byte,
//      padded with zeros to an even length, then one zero unit;
//   4. only for ranked classes: <variant version="1.0"><NAME runtype="CLxListVariant">
//      <m_version value="V" runtype="lx_int32"/><m_RTTIpriority value="P"
//      runtype="CLxStringW"/></NAME></variant> and its zero unit.
// Identification slot: <variant version="1.0"><KEY value="VALUE"/></variant>,
// or <variant version="1.0"><KEY/></variant> for a flag, zero-filled to 512
// bytes.
//
// Names and values are ASCII; a name or value that does not fit the layout
// (non-ASCII, more than nine interfaces, a slot text over 512 bytes) stops
// the compilation at the offending declaration.
#pragma once

#include <array>
#include <cstddef>

#define LX_CLASS_INDEX_SECTION "sta9IDX"
#define LX_IDENTIFICATION_SECTION "sta9ID"

// "used" keeps the otherwise unreferenced data from the compiler, "retain"
// keeps it from the linker's --gc-sections. Blocks start on even addresses so
// that their UTF-16 texts stay on even section offsets; the gaps the linker
// leaves between blocks are zero bytes.
#if defined(__has_attribute)
#if __has_attribute(retain)
#define LX_CATALOG_SECTION(name) __attribute__((section(name), used, retain, aligned(2)))
#endif
#endif
#ifndef LX_CATALOG_SECTION
#define LX_CATALOG_SECTION(name) __attribute__((section(name), used, aligned(2)))
#endif

namespace lx_catalog
{

constexpr size_t kClassRecordBytes = 48;
constexpr size_t kIdentificationSlotBytes = 512;
constexpr int kMaxInterfaces = 9;
constexpr int kMaxIdentificationEntries = 24;

// Appends bytes to a buffer, or only counts them when the buffer is null.
// Used in constant evaluation only: a throw there is a compile error.
class CLxSectionWriter
{
  public:
    constexpr CLxSectionWriter(unsigned char* out, size_t capacity)
        : m_out(out), m_capacity(capacity), m_size(0)
    {
    }

    constexpr size_t Size() const { return m_size; }

    constexpr void Byte(unsigned char value)
    {
        if (m_out) {
            if (m_size >= m_capacity)
                throw "catalog block larger than counted";
            m_out[m_size] = value;
        }
        ++m_size;
    }
    constexpr void Zeros(size_t count)
    {
        for (size_t i = 0; i < count; ++i)
            Byte(0);
    }
    constexpr void PadTo(size_t alignment)
    {
        while (m_size % alignment != 0)
            Byte(0);
    }
    // One UTF-16 unit, low byte first.
    constexpr void Unit(unsigned value)
    {
        Byte(static_cast<unsigned char>(value & 0xFFu));
        Byte(static_cast<unsigned char>((value >> 8) & 0xFFu));
    }
    // ASCII text as UTF-16 units, without a terminator.
    constexpr void Wide(const char* text)
    {
        for (; *text; ++text)
            Unit(Ascii(*text));
    }
    // The same, as an XML attribute value.
    constexpr void WideAttribute(const char* text)
    {
        for (; *text; ++text) {
            if (*text == '&')
                Wide("&amp;");
            else if (*text == '<')
                Wide("&lt;");
            else if (*text == '"')
                Wide("&quot;");
            else
                Unit(Ascii(*text));
        }
    }
    constexpr void WideNumber(int value)
    {
        if (value < 0) {
            Unit('-');
            value = -value;
        }
        if (value >= 10)
            WideNumber(value / 10);
        Unit(static_cast<unsigned>('0' + value % 10));
    }
    // ASCII text as bytes, with its zero byte.
    constexpr void Narrow(const char* text)
    {
        for (; *text; ++text)
            Byte(static_cast<unsigned char>(Ascii(*text)));
        Byte(0);
    }

  private:
    static constexpr unsigned Ascii(char c)
    {
        if (static_cast<unsigned char>(c) >= 0x80)
            throw "catalog texts are ASCII";
        return static_cast<unsigned char>(c);
    }

    unsigned char* m_out;
    size_t m_capacity;
    size_t m_size;
};

// The declaration of one creatable class.
struct SLxClassDecl {
    const char* name = "";
    const char* interfaces[kMaxInterfaces] = {};
    int interfaceCount = 0;
    const char* additional = nullptr; // XML members of m_additional
    const char* priority = nullptr;   // ranked classes only
    int version = 1;

    // The next interface name (up to nine, in order).
    constexpr SLxClassDecl Interface(const char* interfaceName) const
    {
        if (interfaceCount >= kMaxInterfaces)
            throw "a class has at most nine interfaces";
        SLxClassDecl decl = *this;
        decl.interfaces[decl.interfaceCount++] = interfaceName;
        return decl;
    }
    // Variant XML elements for m_additional, such as
    // <m_singleton runtype="bool" value="true"/>.
    constexpr SLxClassDecl Additional(const char* xmlMembers) const
    {
        SLxClassDecl decl = *this;
        decl.additional = xmlMembers;
        return decl;
    }
    // A version and a priority text: of two classes of one name the registry
    // takes the greater priority text ("00.90.00.00" before "00.89.00.00").
    constexpr SLxClassDecl Rank(int classVersion, const char* priorityText) const
    {
        SLxClassDecl decl = *this;
        decl.version = classVersion;
        decl.priority = priorityText;
        return decl;
    }
};

constexpr SLxClassDecl ClassDecl(const char* className)
{
    SLxClassDecl decl;
    decl.name = className;
    return decl;
}

// The identification block: keys with a value, or bare flags.
struct SLxIdentification {
    struct SEntry {
        const char* key = "";
        const char* value = nullptr; // null: a bare element
    };
    SEntry entries[kMaxIdentificationEntries] = {};
    int count = 0;

    constexpr SLxIdentification Value(const char* key, const char* value) const
    {
        if (count >= kMaxIdentificationEntries)
            throw "too many identification entries";
        SLxIdentification ident = *this;
        ident.entries[ident.count].key = key;
        ident.entries[ident.count].value = value;
        ++ident.count;
        return ident;
    }
    constexpr SLxIdentification Flag(const char* key) const { return Value(key, nullptr); }
};

constexpr SLxIdentification Identification()
{
    return SLxIdentification();
}

constexpr void WriteBlock(CLxSectionWriter& w, const SLxClassDecl& decl)
{
    w.Zeros(kClassRecordBytes);

    w.Wide("<variant version=\"1.0\"><");
    w.Wide(decl.name);
    w.Wide(" runtype=\"RLxRttiClass\">");
    for (int i = 0; i < kMaxInterfaces; ++i) {
        w.Wide("<m_parent");
        w.WideNumber(i + 1);
        w.Wide(" runtype=\"CLxStringW\" value=\"");
        w.WideAttribute(i < decl.interfaceCount ? decl.interfaces[i] : "");
        w.Wide("\"/>");
    }
    if (decl.additional) {
        w.Wide("<m_additional runtype=\"CLxListVariant\">");
        w.Wide(decl.additional);
        w.Wide("</m_additional>");
    }
    w.Wide("</");
    w.Wide(decl.name);
    w.Wide("></variant>");
    w.Unit(0);

    w.Narrow(decl.name);
    for (int i = 0; i < decl.interfaceCount; ++i)
        w.Narrow(decl.interfaces[i]);
    w.PadTo(2);
    w.Unit(0);

    if (decl.priority) {
        w.Wide("<variant version=\"1.0\"><");
        w.Wide(decl.name);
        w.Wide(" runtype=\"CLxListVariant\"><m_version value=\"");
        w.WideNumber(decl.version);
        w.Wide("\" runtype=\"lx_int32\"/><m_RTTIpriority value=\"");
        w.WideAttribute(decl.priority);
        w.Wide("\" runtype=\"CLxStringW\"/></");
        w.Wide(decl.name);
        w.Wide("></variant>");
        w.Unit(0);
    }
}

constexpr void WriteBlock(CLxSectionWriter& w, const SLxIdentification& ident)
{
    for (int i = 0; i < ident.count; ++i) {
        const size_t slotStart = w.Size();
        w.Wide("<variant version=\"1.0\"><");
        w.Wide(ident.entries[i].key);
        if (ident.entries[i].value) {
            w.Wide(" value=\"");
            w.WideAttribute(ident.entries[i].value);
            w.Wide("\"");
        }
        w.Wide("/></variant>");
        w.Unit(0);
        if (w.Size() - slotStart > kIdentificationSlotBytes)
            throw "identification text longer than its 512-byte slot";
        w.Zeros(slotStart + kIdentificationSlotBytes - w.Size());
    }
}

// The size of a declaration's block, then the block itself.
template <class Decl> constexpr size_t BlockSize(const Decl& decl)
{
    CLxSectionWriter counter(nullptr, 0);
    WriteBlock(counter, decl);
    return counter.Size();
}

template <size_t N, class Decl> constexpr std::array<unsigned char, N> Block(const Decl& decl)
{
    std::array<unsigned char, N> bytes{};
    CLxSectionWriter writer(bytes.data(), N);
    WriteBlock(writer, decl);
    return bytes;
}

} // namespace lx_catalog

// Places the block of a declaration in a section under the name id (a
// namespace-scope name, unique in its source file).
#define LX_CATALOG_BLOCK(section, id, ...)                                                         \
    namespace                                                                                      \
    {                                                                                              \
    constexpr auto id##_declaration = __VA_ARGS__;                                                 \
    LX_CATALOG_SECTION(section)                                                                    \
    constexpr std::array<unsigned char, ::lx_catalog::BlockSize(id##_declaration)> id =            \
        ::lx_catalog::Block<::lx_catalog::BlockSize(id##_declaration)>(id##_declaration);          \
    }

// One class of the module's class index.
#define LX_DECLARE_CLASS(id, ...) LX_CATALOG_BLOCK(LX_CLASS_INDEX_SECTION, id, __VA_ARGS__)
// The module's identification (once per module).
#define LX_DECLARE_MODULE_IDENTIFICATION(id, ...)                                                  \
    LX_CATALOG_BLOCK(LX_IDENTIFICATION_SECTION, id, __VA_ARGS__)
