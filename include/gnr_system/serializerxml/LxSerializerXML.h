// The variant XML text: a variant tree (CLxVariant) as XML and back.
//
// The text, exactly in this order, without white space anywhere:
//
//   UTF-16: U+FEFF <?xml version="1.0" encoding="UTF-16"?><variant version="1.0">E</variant>
//   UTF-8:         <?xml version="1.0" encoding="UTF-8"?><variant version="1.0">E</variant>
//
// where E is the element of the root variant:
//   - a container (a list or a record, also an empty one):
//       <name runtype="RT">members...</name>   (never the short form <name/>)
//   - a value (a scalar or a null variant):
//       <name runtype="RT" value="V"/>
// name is the variant's name, RT its run-type name ("lx_int32", "CLxStringW",
// "RLxDateTime", "unknown" for a null variant, ...) and V its value text
// (CLxVariant::Write), escaped by ValidateXML_AttValue; byte arrays are Base64
// and written as they are. Doubles: the UTF-16 form writes the variant's own
// text ("%.15f"), the UTF-8 form "%.15g"; either falls back to the shortest
// text that reads back the same value, and writes "nan", "inf", "-inf".
// Numbers never depend on the process locale.
//
// Reading goes through expat and accepts XML written by any tool: attributes
// in any order, white space and comments between elements, UTF-8 or UTF-16
// (either byte order, with or without a byte-order mark). The root element
// must be "variant" with version="1.0" (both compared without regard to case).
// Its first element becomes the output variant; any further element inside
// <variant> is ignored. A missing runtype reads as "CLxStringW", "unknown" as a
// null variant, a run type the registry does not know as "CLxListVariant"
// (members kept). A member that a record does not have is parsed and dropped.
// A value that its run type cannot read is left as the run type's reader
// leaves it.
//
// Status codes: 0 done; -9 the text is not well-formed XML, its root element or
// version is wrong, or it nests deeper than LX_VARIANT_XML_MAX_DEPTH; -4 a
// missing or unusable parameter. A bad root or version is also reported through
// DiagAssertW, and so is a text nested too deeply.
#pragma once

#include <cstddef>

#include "gnr_system/LxInterface.h"
#include "gnr_system/string/LxStringFwd.h"
#include "w32_system/LxExport.h"

class CLxVariant;

// The deepest element nesting the reader accepts below <variant> (the root
// variant's element is level 1). Deeper texts are refused with -9, so that
// hostile input cannot build a tree whose recursive copy or destruction would
// exhaust the stack.
enum : int { LX_VARIANT_XML_MAX_DEPTH = 256 };

// Inner states of the reader: callers of the public functions only ever see
// -9 for them.
enum : int {
    LX_VARIANT_XML_BAD_ROOT = -100,    // the root element is not "variant"
    LX_VARIANT_XML_BAD_VERSION = -101, // "version" missing or not "1.0"
};

// The XML text functions. All static; no state.
class LX_EXPORT CLxXMLAPI
{
  public:
    // Makes a value text fit for an XML attribute value, in place:
    // - the control characters U+0001 to U+001F other than tab, LF and CR
    //   become the private-use character U+F0000 + code (the surrogate pair
    //   0xDB80, 0xDC00 + code), which XML can carry;
    // - "<" becomes "&#x003C;", the double quote "&#x0022;", "&" "&#x0026;",
    //   CR "&#x000d;", LF "&#x000a;" and tab "&#x0009;" (a literal tab, CR or
    //   LF in an attribute value would come back from any parser as a space);
    // - characters that XML cannot carry at all, a lone surrogate, U+FFFE and
    //   U+FFFF, become U+FFFD.
    // ">" and the apostrophe stay as they are.
    static void ValidateXML_AttValue(CLxStringW& text);
    // The reverse of the first rule, in place: U+F0001 to U+F001F (except
    // U+F0009, U+F000A, U+F000D) become U+0001 to U+001F. Character
    // references are already resolved by the parser. A text that really held
    // one of those private-use characters therefore comes back as the
    // control character: the format cannot tell them apart.
    static void RevalidateXML_AttValue(CLxStringW& text);

    // Append the element of v (with all its members) to text; return 0.
    static int VariantToXML(CLxStringW& text, const CLxVariant& v);
    static int VariantToXML_UTF8(CLxStringA& text, const CLxVariant& v);
    // Replace text by the whole document of v (declaration, <variant> and
    // the element of v; the UTF-16 form begins with U+FEFF); return 0.
    static int VariantToXMLDocument(CLxStringW& text, const CLxVariant& v);
    static int VariantToXMLDocument_UTF8(CLxStringA& text, const CLxVariant& v);

    // Read a whole document into out: 0 or -9. The UTF-16 forms read UTF-16
    // units, the _UTF8 forms UTF-8 bytes, either with or without a leading
    // byte-order mark; the encoding that the declaration names is not
    // consulted.
    //
    // out is not cleared first: a document whose <variant> holds no element
    // leaves it untouched. Otherwise out takes the element's name, run type
    // and value, and keeps its own type-change setting. On -9 out is either
    // untouched (the text failed before its root element began: an empty
    // text, no XML at all) or null, never half read. A null text with a
    // count of 0 is an empty text (-9: no root element).
    static int VariantFromXML(CLxVariant& out, const CLxStringW& text);
    static int VariantFromXML(CLxVariant& out, const char16_t* text, size_t units);
    static int VariantFromXML_UTF8(CLxVariant& out, const CLxStringA& text);
    static int VariantFromXML_UTF8(CLxVariant& out, const char* text, size_t bytes);
};

// Reads and writes a variant tree as text; what text is given by parameters.
class LX_EXPORT ILxSerializer : public ILxInterface
{
  public:
    // Fills out from the text that params name; a status code.
    virtual int Load(CLxVariant& out, const CLxVariant& params) = 0;
    // Writes in into the text that params name; a status code.
    virtual int Save(CLxVariant& params, const CLxVariant& in) = 0;
    virtual ~ILxSerializer() = default;
};

// The variant XML text as an ILxSerializer. No state of its own: one object
// may serve any number of calls, also on several threads (as far as the
// variants and strings handed to it are not shared).
//
// Parameters are found in params by name with CLxVariant::Search (params
// itself first, then its members at any depth, so a single "voidPtr"
// variant named "string" also serves). All are "voidPtr" variants except the
// length:
//
//   "string"         a CLxStringW*    Load: the text to read;
//                                     Save: replaced by the UTF-16 document
//   "stringUTF8"     a CLxStringA*    Load, Save: the same in UTF-8
//   "rawString"      const char16_t*  Load: rawStringLen UTF-16 units
//   "rawStringUTF8"  const char*      Load: rawStringLen bytes
//   "rawStringLen"   "lx_uint32"      the length for the two raw keys
//
// Load: the first key found in the order "string", "rawString",
// "stringUTF8", "rawStringUTF8" decides, and the result is that of the
// matching CLxXMLAPI::VariantFromXML call; -9 for a raw key without
// "rawStringLen"; -4 when none of the four is there, or when the key's
// pointer is null or not a pointer.
// Save: "string", else "stringUTF8" receives the whole document; 0, or -4
// when neither is there or the pointer is null or not a pointer.
class LX_EXPORT CLxSerializerXMLString : public ILxSerializer, public CLxClass
{
  public:
    CLxSerializerXMLString() = default;
    // A copy is a new object with a count of 1 (see CLxClass).
    CLxSerializerXMLString(const CLxSerializerXMLString&) = default;
    CLxSerializerXMLString& operator=(const CLxSerializerXMLString&) = default;
    ~CLxSerializerXMLString() override = default;

    int Load(CLxVariant& out, const CLxVariant& params) override;
    int Save(CLxVariant& params, const CLxVariant& in) override;

    CLxClass* GetClass() override { return this; }
    CLxClassInfo* GetCLxClassInfo() override;
    // Answers only "ILxSerializer" (with one more reference).
    ILxInterface* QueryInterface(const char* interfaceName) override;

    // Class name "CLxSerializerXMLString", interface "ILxSerializer",
    // constructor LX_ConstructorForCLxSerializerXMLString.
    static CLxClassInfo sm_classCLxSerializerXMLString;
};

// A new serializer's class part with a count of 1, or null when memory runs
// out. The file and line are accepted for callers that pass them.
extern "C" LX_EXPORT ILxInterface* LX_ConstructorForCLxSerializerXMLString(const char* file,
                                                                           unsigned line);
