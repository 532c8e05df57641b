// Escaping value texts and undoing the control-character escape.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gnr_system/serializerxml/xml_test_support.h"

namespace
{

struct SEscapeCase {
    std::u16string in;
    std::u16string out;
};

TEST(XmlEscape, Validate)
{
    const std::vector<SEscapeCase> cases = {
        {u"", u""},
        {u"plain > 'text'", u"plain > 'text'"},
        {u"a<b", u"a&#x003C;b"},
        {u"&&", u"&#x0026;&#x0026;"},
        {u"\x01\x1F", u"\xDB80\xDC01\xDB80\xDC1F"},
        {u"\t\n\r", u"&#x0009;&#x000a;&#x000d;"},
        {u"\U0001F600", u"\U0001F600"},
        {u"\xDBFF", u"\uFFFD"},
        {u"\xDC00\xD800", u"\uFFFD\uFFFD"},
        {u"\uFFFF\uFFFE\uFFFD", u"\uFFFD\uFFFD\uFFFD"},
    };
    for (const SEscapeCase& c : cases) {
        CLxStringW text(c.in.c_str());
        CLxXMLAPI::ValidateXML_AttValue(text);
        EXPECT_EQ(Units(text), c.out) << U8(c.in.c_str());
    }
}

TEST(XmlEscape, Revalidate)
{
    const std::vector<SEscapeCase> cases = {
        {u"", u""},
        {u"\xDB80\xDC01x\xDB80\xDC1F", u"\x01x\x1F"},
        // Tab, LF and CR travel as references, never as this escape.
        {u"\xDB80\xDC09\xDB80\xDC0A\xDB80\xDC0D", u"\xDB80\xDC09\xDB80\xDC0A\xDB80\xDC0D"},
        // Outside 1..31: a real private-use character.
        {u"\xDB80\xDC00\xDB80\xDC20", u"\xDB80\xDC00\xDB80\xDC20"},
        {u"\xDB80", u"\xDB80"},
        {u"\xDB80\xDB80\xDC07", u"\xDB80\x07"},
    };
    for (const SEscapeCase& c : cases) {
        CLxStringW text(c.in.c_str());
        CLxXMLAPI::RevalidateXML_AttValue(text);
        EXPECT_EQ(Units(text), c.out);
    }
}

TEST(XmlEscape, RevalidateUndoesValidateForEveryBmpCharacter)
{
    // All characters XML can carry come back; the rest became U+FFFD.
    for (unsigned u = 1; u <= 0xFFFF; ++u) {
        if (u >= 0xD800 && u <= 0xDFFF)
            continue;
        const char16_t unit[2] = {char16_t(u), 0};
        CLxStringW text(unit);
        CLxXMLAPI::ValidateXML_AttValue(text);
        // The parser resolves the references; do what it does.
        text.Replace(u"&#x003C;", u"<");
        text.Replace(u"&#x0022;", u"\"");
        text.Replace(u"&#x000d;", u"\r");
        text.Replace(u"&#x000a;", u"\n");
        text.Replace(u"&#x0009;", u"\t");
        text.Replace(u"&#x0026;", u"&");
        CLxXMLAPI::RevalidateXML_AttValue(text);
        const char16_t expected = (u == 0xFFFE || u == 0xFFFF) ? char16_t(0xFFFD) : char16_t(u);
        ASSERT_EQ(Units(text), std::u16string(1, expected)) << u;
    }
}

} // namespace
