// Catalog sections as variant lists: every UTF-16 text of a section parsed
// as variant XML.
#include "gnr_system/rtti/LxSectionToVariant.h"

#include <cstddef>
#include <string>

#include "gnr_system/serializerxml/LxSerializerXML.h"
#include "gnr_system/string/LxString.h"
#include "gnr_system/variant/LxVariant.h"
#include "w32_system/dynlib/LxDynLib.h"

namespace
{

enum : int { kFailed = -9 };

// One serializer for the life of the process: it keeps no state, and the
// section reader runs for every module file of every catalog read.
ILxSerializer* Serializer()
{
    static ILxSerializer* const serializer = [] {
        ILxInterface* object = LX_ConstructorForCLxSerializerXMLString("no file", 0xFFFFFFFFu);
        if (!object)
            return static_cast<ILxSerializer*>(nullptr);
        CLxClass* part = object->GetClass();
        auto* found = static_cast<ILxSerializer*>(part->QueryInterface("ILxSerializer"));
        part->Release();
        return found;
    }();
    return serializer;
}

// The section's bytes, read as little-endian 16-bit units without casting the
// buffer (its address need not be even).
class CLxUnitView
{
  public:
    CLxUnitView(const void* bytes, size_t size)
        : m_bytes(static_cast<const unsigned char*>(bytes)), m_units(size / 2)
    {
    }
    size_t Count() const { return m_units; }
    char16_t operator[](size_t i) const
    {
        return static_cast<char16_t>(m_bytes[2 * i] | (m_bytes[2 * i + 1] << 8));
    }

  private:
    const unsigned char* m_bytes;
    size_t m_units;
};

// The text at first up to its zero unit or the end of the section; end
// becomes the position after it.
CLxStringW TextAt(const CLxUnitView& units, size_t first, size_t& end)
{
    std::u16string text;
    for (end = first; end < units.Count() && units[end] != 0; ++end)
        text += units[end];
    return CLxStringW(text.c_str());
}

// The text as variant XML, or a "USER" text child when it is none.
CLxVariant ParseText(ILxSerializer& serializer, CLxStringW& text)
{
    CLxVariant child;
    child.EnableTypeChange(true);
    const CLxVariant params(static_cast<void*>(&text), CLxStringW(u"string"));
    if (serializer.Load(child, params) != 0) {
        child = text;
        child.SetName(CLxStringW(u"USER"));
    }
    child.EnableTypeChange(false);
    return child;
}

} // namespace

int LX_SectionToVariant(CLxVariant& out, const CLxStringW& moduleFile, const char* sectionName)
{
    void* data = nullptr;
    size_t size = 0;
    const int read = LX_GetDataSeg(moduleFile.GetString(), sectionName, &data, &size);
    if (read != 0)
        return read;
    ILxSerializer* serializer = Serializer();
    if (!serializer) {
        LX_FreeDataSeg(&data);
        return kFailed;
    }

    const bool typeChange = out.EnableTypeChange(true);
    out.MakeNull();
    out.ClearList(); // an empty section still gives a list
    const CLxUnitView units(data, size);
    for (size_t i = 0; i < units.Count(); ++i) {
        if (units[i] == 0)
            continue;
        size_t end = i;
        CLxStringW text = TextAt(units, i, end);
        out.Append(ParseText(*serializer, text));
        i = end;
    }
    out.EnableTypeChange(typeChange);
    LX_FreeDataSeg(&data);
    return 0;
}
