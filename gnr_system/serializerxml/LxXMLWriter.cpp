// Writing a variant tree as XML text, in UTF-16 or UTF-8.
#include "gnr_system/serializerxml/LxSerializerXML.h"
#include "gnr_system/string/LxString.h"
#include "gnr_system/variant/LxVariant.h"

namespace
{

bool IsOfKind(const CLxVariant& v, ELxVariantKind kind)
{
    return v.GetData() && v.GetData()->GetKind() == kind;
}

// The value text, escaped unless it is Base64. A value that writes nothing
// (a null variant, an empty byte array) gives an empty text.
CLxStringW EscapedValueText(const CLxVariant& v)
{
    CLxStringW value;
    v.Write(value);
    if (!IsOfKind(v, eLxVariantByteArray))
        CLxXMLAPI::ValidateXML_AttValue(value);
    return value;
}

void AddValueText(CLxStringW& out, const CLxVariant& v)
{
    out += EscapedValueText(v);
}

// Converting to UTF-8 after escaping turns the control-character escapes
// (U+F0000 + code) into proper 4-byte sequences.
void AddValueText(CLxStringA& out, const CLxVariant& v)
{
    if (IsOfKind(v, eLxVariantDouble)) {
        CLxStringA number;
        LX_VariantDoubleToTextG(v.GetDouble(), number);
        out += number;
        return;
    }
    out += EscapedValueText(v).GetString();
}

// Names and run-type names need no escaping: both are restricted to letters,
// digits, '.', '-' and '_'. Narrow literals and names are UTF-8 and UTF-16
// names convert on appending, so one body serves both encodings.
template <class Text> void AddElement(Text& out, const CLxVariant& v)
{
    out += "<";
    out += v.GetName().GetString();
    out += " runtype=\"";
    out += v.GetRunType().GetName().GetString();
    const int count = v.GetCount();
    if (count < 0) {
        out += "\" value=\"";
        AddValueText(out, v);
        out += "\"/>";
        return;
    }
    // Empty containers keep the long form: the short form is how values look.
    out += "\">";
    for (int i = 0; i < count; ++i) {
        if (const CLxVariant* member = v.IndexPtr(i))
            AddElement(out, *member);
    }
    out += "</";
    out += v.GetName().GetString();
    out += ">";
}

template <class Text> int WriteDocument(Text& out, const char* declaration, const CLxVariant& v)
{
    out.Empty();
    out += declaration;
    out += "<variant version=\"1.0\">";
    AddElement(out, v);
    out += "</variant>";
    return 0;
}

} // namespace

int CLxXMLAPI::VariantToXML(CLxStringW& text, const CLxVariant& v)
{
    AddElement(text, v);
    return 0;
}

int CLxXMLAPI::VariantToXML_UTF8(CLxStringA& text, const CLxVariant& v)
{
    AddElement(text, v);
    return 0;
}

int CLxXMLAPI::VariantToXMLDocument(CLxStringW& text, const CLxVariant& v)
{
    // U+FEFF, the byte-order mark, in UTF-8 so that the literal stays narrow.
    return WriteDocument(text, "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-16\"?>", v);
}

int CLxXMLAPI::VariantToXMLDocument_UTF8(CLxStringA& text, const CLxVariant& v)
{
    return WriteDocument(text, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>", v);
}
