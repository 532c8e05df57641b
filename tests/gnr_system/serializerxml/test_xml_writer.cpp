// The writer: the documents to the byte in both encodings, and xmllint's
// verdict on everything it writes.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "comma_locale.h"
#include "gnr_system/serializerxml/xml_test_support.h"

namespace
{

class XmlWriter : public VariantTest
{
};

// root (list): n = 5, s = "a<b", e = empty list, b = true, d = 0.1
CLxVariant SmallTree()
{
    return ListOf(u"root", {CLxVariant(5, u"n"), CLxVariant(u"a<b", u"s"),
                            CLxVariant(CLxListVariant(), u"e"), CLxVariant(true, u"b"),
                            CLxVariant(0.1, u"d")});
}

TEST_F(XmlWriter, SmallTreeUtf16ToTheByte)
{
    const CLxStringW text = DocumentW(SmallTree());
    EXPECT_EQ(Units(text),
              u"\uFEFF<?xml version=\"1.0\" encoding=\"UTF-16\"?><variant version=\"1.0\">"
              u"<root runtype=\"CLxListVariant\"><n runtype=\"lx_int32\" value=\"5\"/>"
              u"<s runtype=\"CLxStringW\" value=\"a&#x003C;b\"/>"
              u"<e runtype=\"CLxListVariant\"></e><b runtype=\"bool\" value=\"true\"/>"
              u"<d runtype=\"double\" value=\"0.100000000000000\"/></root></variant>");
    // Stored little-endian, the byte-order mark first.
    EXPECT_EQ(BytesOf(text).substr(0, 4), std::string("\xFF\xFE<\0", 4));
    expectNoReport();
}

TEST_F(XmlWriter, SmallTreeUtf8ToTheByte)
{
    EXPECT_EQ(BytesOf(DocumentA(SmallTree())),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><variant version=\"1.0\">"
              "<root runtype=\"CLxListVariant\"><n runtype=\"lx_int32\" value=\"5\"/>"
              "<s runtype=\"CLxStringW\" value=\"a&#x003C;b\"/>"
              "<e runtype=\"CLxListVariant\"></e><b runtype=\"bool\" value=\"true\"/>"
              "<d runtype=\"double\" value=\"0.1\"/></root></variant>");
    expectNoReport();
}

TEST_F(XmlWriter, ElementAloneIsAppended)
{
    CLxStringW w(u"x");
    EXPECT_EQ(CLxXMLAPI::VariantToXML(w, CLxVariant(-3, u"i")), 0);
    EXPECT_EQ(Units(w), u"x<i runtype=\"lx_int32\" value=\"-3\"/>");
    CLxStringA a("x");
    EXPECT_EQ(CLxXMLAPI::VariantToXML_UTF8(a, CLxVariant(CLxListVariant(), u"l")), 0);
    EXPECT_EQ(BytesOf(a), "x<l runtype=\"CLxListVariant\"></l>");
}

// One value element per case: the variant and its exact value text in both
// encodings.
struct SValueCase {
    const char* what;
    CLxVariant value;
    std::u16string utf16;
    std::string utf8;
};

std::vector<SValueCase> ValueCases()
{
    const unsigned char abc[] = {'a', 'b', 'c'};
    return {
        {"every escaped character, > and ' kept", CLxVariant(u"<\"&\r\n\t>'", u"v"),
         u"&#x003C;&#x0022;&#x0026;&#x000d;&#x000a;&#x0009;>'",
         "&#x003C;&#x0022;&#x0026;&#x000d;&#x000a;&#x0009;>'"},
        {"an ampersand before # is escaped too", CLxVariant(u"&#x41;", u"v"), u"&#x0026;#x41;",
         "&#x0026;#x41;"},
        {"a control character becomes U+F0000 + code", CLxVariant(u"a\u0007b", u"v"),
         u"a\xDB80\xDC07"
         u"b",
         "a\xF3\xB0\x80\x87"
         "b"},
        {"non-BMP text keeps its pair, 4 bytes in UTF-8", CLxVariant(u"\U0001F600", u"v"),
         u"\U0001F600", "\xF0\x9F\x98\x80"},
        {"a lone surrogate cannot travel",
         CLxVariant(u"a\xD800"
                    u"b\xDC00",
                    u"v"),
         u"a\uFFFD"
         u"b\uFFFD",
         "a\xEF\xBF\xBD"
         "b\xEF\xBF\xBD"},
        {"U+FFFE is no XML character", CLxVariant(u"\uFFFE", u"v"), u"\uFFFD", "\xEF\xBF\xBD"},
        {"bytes as Base64", CLxVariant(CLxByteArray(abc, 3, 1024), u"v"), u"YWJj", "YWJj"},
        {"an empty byte array", CLxVariant(CLxByteArray(), u"v"), u"", ""},
        {"a null variant", CLxVariant(), u"", ""},
        {"lx_uint32 max", CLxVariant(4294967295u, u"v"), u"4294967295", "4294967295"},
        {"lx_int64 min", CLxVariant(std::numeric_limits<lx_int64>::min(), u"v"),
         u"-9223372036854775808", "-9223372036854775808"},
        {"lx_uint64 max", CLxVariant(std::numeric_limits<lx_uint64>::max(), u"v"),
         u"18446744073709551615", "18446744073709551615"},
        {"false", CLxVariant(false, u"v"), u"false", "false"},
        {"voidPtr in lower-case hex", CLxVariant(reinterpret_cast<void*>(0xBEEF), u"v"), u"beef",
         "beef"},
        {"a double %.15f cannot carry", CLxVariant(1e-20, u"v"), u"1e-20", "1e-20"},
        {"a double with 17 digits", CLxVariant(0.1 + 0.2, u"v"), u"0.30000000000000004",
         "0.30000000000000004"},
        {"1.5", CLxVariant(1.5, u"v"), u"1.500000000000000", "1.5"},
        {"NaN", CLxVariant(std::nan(""), u"v"), u"nan", "nan"},
        {"-inf", CLxVariant(-HUGE_VAL, u"v"), u"-inf", "-inf"},
    };
}

// The value="..." part of a one-element text.
template <class S> S ValueOf(const S& element, const S& head)
{
    const size_t at = element.find(head) + head.size();
    return element.substr(at, element.rfind(typename S::value_type('"')) - at);
}

TEST_F(XmlWriter, ValueTexts)
{
    for (const SValueCase& c : ValueCases()) {
        SCOPED_TRACE(c.what);
        CLxStringW w;
        CLxXMLAPI::VariantToXML(w, c.value);
        EXPECT_EQ(ValueOf(Units(w), std::u16string(u"value=\"")), c.utf16);
        CLxStringA a;
        CLxXMLAPI::VariantToXML_UTF8(a, c.value);
        EXPECT_EQ(ValueOf(BytesOf(a), std::string("value=\"")), c.utf8);
    }
}

TEST_F(XmlWriter, RecordKeepsItsRunTypeName)
{
    CLxVariant record(TestRecordType(), u"rec");
    EXPECT_EQ(BytesOf(DocumentA(record)),
              Doc8("<rec runtype=\"RLxXmlTestRecord\"><uiCount runtype=\"lx_uint32\" value=\"7\"/>"
                   "<wsLabel runtype=\"CLxStringW\" value=\"none\"/></rec>"));
}

TEST_F(XmlWriter, NumbersIgnoreTheLocale)
{
    CLxStringA a;
    CLxStringW w;
    {
        ScopedCommaLocale comma;
        if (!comma.active())
            LXTEST_SKIP_WITHOUT_TOOL() << "no locale with a decimal comma (localedef, locales)";
        CLxXMLAPI::VariantToXML_UTF8(a, CLxVariant(0.25, u"d"));
        CLxXMLAPI::VariantToXML(w, CLxVariant(0.25, u"d"));
    }
    EXPECT_EQ(BytesOf(a), "<d runtype=\"double\" value=\"0.25\"/>");
    EXPECT_EQ(Units(w), u"<d runtype=\"double\" value=\"0.250000000000000\"/>");
}

// Every document the writer makes is well-formed XML to an outside parser.
TEST_F(XmlWriter, XmllintAcceptsEveryDocument)
{
    SKIP_WITHOUT_XMLLINT();
    std::vector<std::string> documents;
    CLxVariant all(CLxListVariant(), u"all");
    for (const SValueCase& c : ValueCases()) {
        documents.push_back(BytesOf(DocumentW(c.value)));
        documents.push_back(BytesOf(DocumentA(c.value)));
        all.Append(c.value);
    }
    CLxStringW controls;
    for (char16_t c = 1; c < 0x20; ++c)
        controls += c;
    all.Append(CLxVariant(controls, u"controls"));
    all.Append(CLxVariant(TestRecordType(), u"rec"));
    all.Append(CLxVariant(CLxListVariant(), u"empty"));
    for (const CLxVariant& tree : {SmallTree(), all, CLxVariant()}) {
        documents.push_back(BytesOf(DocumentW(tree)));
        documents.push_back(BytesOf(DocumentA(tree)));
    }
    EXPECT_EQ(XmllintComplaints(documents), "");
}

} // namespace
