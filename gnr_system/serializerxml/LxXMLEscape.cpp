// Escaping of value texts for XML attribute values, and its reverse.
#include <string>

#include "gnr_system/serializerxml/LxSerializerXML.h"
#include "gnr_system/string/LxString.h"

namespace
{

// Control characters travel as U+F0000 + code: the high surrogate of that
// plane and the low surrogate 0xDC00 + code.
constexpr char16_t kControlHigh = 0xDB80;
constexpr char16_t kControlLowBase = 0xDC00;
constexpr char16_t kReplacement = 0xFFFD;

bool IsEscapedControl(unsigned code)
{
    return code >= 1 && code <= 0x1F && code != 0x09 && code != 0x0A && code != 0x0D;
}

bool IsHighSurrogate(char16_t u)
{
    return u >= 0xD800 && u <= 0xDBFF;
}

bool IsLowSurrogate(char16_t u)
{
    return u >= 0xDC00 && u <= 0xDFFF;
}

// The character reference for a character that may not stand as itself in an
// attribute value (the letter case of each form is part of the format); null
// for any other character.
const char16_t* ReferenceFor(char16_t u)
{
    switch (u) {
    case u'<':
        return u"&#x003C;";
    case u'"':
        return u"&#x0022;";
    case u'&':
        return u"&#x0026;";
    case u'\r':
        return u"&#x000d;";
    case u'\n':
        return u"&#x000a;";
    case u'\t':
        return u"&#x0009;";
    default:
        return nullptr;
    }
}

void Store(CLxStringW& text, const std::u16string& result)
{
    text.Empty();
    text.AddChars(result.data(), int(result.size()));
}

} // namespace

void CLxXMLAPI::ValidateXML_AttValue(CLxStringW& text)
{
    const char16_t* in = text.GetString();
    const int length = text.GetLength();
    std::u16string out;
    out.reserve(size_t(length) + 16);
    bool changed = false;
    for (int i = 0; i < length; ++i) {
        const char16_t u = in[i];
        if (IsEscapedControl(u)) {
            out += kControlHigh;
            out += char16_t(kControlLowBase + u);
            changed = true;
        } else if (const char16_t* reference = ReferenceFor(u)) {
            out += reference;
            changed = true;
        } else if (IsHighSurrogate(u) && i + 1 < length && IsLowSurrogate(in[i + 1])) {
            out += u;
            out += in[++i];
        } else if (IsHighSurrogate(u) || IsLowSurrogate(u) || u == 0xFFFE || u == 0xFFFF) {
            out += kReplacement;
            changed = true;
        } else {
            out += u;
        }
    }
    if (changed)
        Store(text, out);
}

void CLxXMLAPI::RevalidateXML_AttValue(CLxStringW& text)
{
    if (text.Find(kControlHigh) < 0)
        return;
    const char16_t* in = text.GetString();
    const int length = text.GetLength();
    std::u16string out;
    out.reserve(size_t(length));
    for (int i = 0; i < length; ++i) {
        if (in[i] == kControlHigh && i + 1 < length && in[i + 1] >= kControlLowBase &&
            IsEscapedControl(unsigned(in[i + 1] - kControlLowBase))) {
            out += char16_t(in[i + 1] - kControlLowBase);
            ++i;
        } else {
            out += in[i];
        }
    }
    Store(text, out);
}
