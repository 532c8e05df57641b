// The reader's rules: what each element becomes, XML from other hands, and
// bad texts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gnr_system/serializerxml/xml_test_support.h"
#include "w32_system/LxUtf.h"

namespace
{

class XmlReader : public VariantTest
{
};

const char* const kStructureReport = "Error: structure of the data inside XML not valid";

TEST_F(XmlReader, RootAndVersionIgnoreCase)
{
    CLxVariant v =
        ReadA("<VARIANT VERSION=\"1.0\"><n runtype=\"lx_int32\" value=\"5\"/></VARIANT>");
    EXPECT_EQ(RunTypeOf(v), "lx_int32");
    EXPECT_EQ(NameOf(v), "n");
    EXPECT_EQ(v.GetLx_int32(), 5);
    expectNoReport();
}

TEST_F(XmlReader, AttributeNamesIgnoreCase)
{
    CLxVariant v = ReadA(Doc8("<n RUNTYPE=\"lx_int64\" Value=\"-7\"/>"));
    EXPECT_EQ(RunTypeOf(v), "lx_int64");
    EXPECT_EQ(v.GetLx_int64(), -7);
}

TEST_F(XmlReader, MissingRunTypeReadsAsString)
{
    CLxVariant root = ReadA(Doc8("<t value=\"abc\"/>"));
    EXPECT_EQ(RunTypeOf(root), "CLxStringW");
    EXPECT_EQ(TextOf(root), "abc");

    CLxVariant list = ReadA(Doc8("<l runtype=\"CLxListVariant\"><m value=\"x\"/><e/></l>"));
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(RunTypeOf(list[0]), "CLxStringW");
    EXPECT_EQ(TextOf(list[0]), "x");
    EXPECT_EQ(RunTypeOf(list[1]), "CLxStringW");
    EXPECT_EQ(TextOf(list[1]), "");
}

TEST_F(XmlReader, UnknownRunTypeReadsAsNull)
{
    CLxVariant root = ReadA(Doc8("<u runtype=\"unknown\" value=\"\"/>"));
    EXPECT_TRUE(root.IsNull());
    EXPECT_EQ(NameOf(root), "u");

    CLxVariant list = ReadA(Doc8("<l runtype=\"CLxListVariant\"><u runtype=\"unknown\"/></l>"));
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_TRUE(list[0].IsNull());
    EXPECT_EQ(NameOf(list[0]), "u");
    expectNoReport();
}

TEST_F(XmlReader, UnregisteredRunTypeReadsAsPlainListWithItsMembers)
{
    CLxVariant v = ReadA(Doc8("<r runtype=\"RLxNobodyRegisteredThis\"><a runtype=\"lx_int32\" "
                              "value=\"1\"/><b runtype=\"RLxNorThis\"><c value=\"z\"/></b></r>"));
    EXPECT_EQ(RunTypeOf(v), "CLxListVariant");
    ASSERT_EQ(v.GetCount(), 2);
    EXPECT_EQ(v[u"a"].GetLx_int32(), 1);
    EXPECT_EQ(RunTypeOf(v[u"b"]), "CLxListVariant");
    EXPECT_EQ(TextOf(v[u"b"][u"c"]), "z");
    expectNoReport();
}

TEST_F(XmlReader, RecordFillsItsMembersAndDropsUnknownOnes)
{
    TestRecordType();
    CLxVariant v = ReadA(Doc8("<rec runtype=\"RLxXmlTestRecord\">"
                              "<extra runtype=\"CLxListVariant\"><deep runtype=\"lx_int32\" "
                              "value=\"3\"/></extra>"
                              "<wsLabel runtype=\"CLxStringW\" value=\"set\"/>"
                              "<junk runtype=\"lx_int32\" value=\"9\"/></rec>"));
    EXPECT_EQ(RunTypeOf(v), "RLxXmlTestRecord");
    ASSERT_EQ(v.GetCount(), 2);
    EXPECT_EQ(v[u"uiCount"].GetLx_uint32(), 7u); // absent from the text: the default
    EXPECT_EQ(TextOf(v[u"wsLabel"]), "set");
    EXPECT_EQ(v.Search(u"deep"), nullptr);
    expectNoReport();
}

TEST_F(XmlReader, RecordMemberKeepsItsRunType)
{
    TestRecordType();
    // The record's member is "lx_uint32": the text's run type does not change it.
    CLxVariant v = ReadA(Doc8("<rec runtype=\"RLxXmlTestRecord\"><uiCount runtype=\"CLxStringW\" "
                              "value=\"4294967295\"/></rec>"));
    EXPECT_EQ(RunTypeOf(v[u"uiCount"]), "lx_uint32");
    EXPECT_EQ(v[u"uiCount"].GetLx_uint32(), 4294967295u);
}

TEST_F(XmlReader, OnlyTheFirstElementCounts)
{
    CLxVariant v = ReadA(Doc8("<a runtype=\"lx_int32\" value=\"1\"/><b runtype=\"lx_int32\" "
                              "value=\"2\"/>"));
    EXPECT_EQ(NameOf(v), "a");
    EXPECT_EQ(v.GetLx_int32(), 1);
}

TEST_F(XmlReader, EmptyVariantLeavesTheTargetAlone)
{
    CLxVariant out(42, u"keep");
    EXPECT_EQ(CLxXMLAPI::VariantFromXML_UTF8(out, CLxStringA(Doc8("").c_str())), 0);
    EXPECT_EQ(NameOf(out), "keep");
    EXPECT_EQ(out.GetLx_int32(), 42);
}

TEST_F(XmlReader, TargetKeepsItsTypeChangeSetting)
{
    for (bool enabled : {false, true}) {
        CLxVariant out(1.5, u"x");
        out.EnableTypeChange(enabled);
        EXPECT_EQ(CLxXMLAPI::VariantFromXML_UTF8(
                      out, CLxStringA(Doc8("<s runtype=\"CLxStringW\" value=\"t\"/>").c_str())),
                  0);
        EXPECT_EQ(RunTypeOf(out), "CLxStringW");
        EXPECT_EQ(out.IsEnabledTypeChange(), enabled);
        EXPECT_EQ(CLxXMLAPI::VariantFromXML_UTF8(out, CLxStringA("<variant version=\"1.0\"><a")),
                  -9);
        EXPECT_EQ(out.IsEnabledTypeChange(), enabled);
    }
    expectNoReport();
}

TEST_F(XmlReader, PlainListWithDefaultMembersUpdatesThemByName)
{
    // A record whose member is a plain list with default members: the text's
    // members update those by name, new names are appended.
    CLxVariant x(1, u"x");
    CLxVariant defaults = ListOf(u"lMembers", {x});
    CLxVariant end;
    ASSERT_EQ(CLxVariant::RegisterRunType(
                  CLxVariant::CreateStruct(u"RLxXmlTestWithList", &defaults, &end)),
              0);
    CLxVariant v = ReadA(Doc8("<r runtype=\"RLxXmlTestWithList\"><lMembers "
                              "runtype=\"CLxListVariant\"><x runtype=\"lx_int32\" value=\"5\"/>"
                              "<y runtype=\"lx_int32\" value=\"6\"/></lMembers></r>"));
    const CLxVariant& list = v[u"lMembers"];
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list[u"x"].GetLx_int32(), 5);
    EXPECT_EQ(list[u"y"].GetLx_int32(), 6);
}

TEST_F(XmlReader, ControlCharacterEscapeIsUndoneForStringsOnly)
{
    CLxVariant v = ReadA(Doc8("<s runtype=\"CLxStringW\" value=\"a\xF3\xB0\x80\x87&#x0009;b\"/>"));
    EXPECT_EQ(Units(v.GetCLxStringW()), u"a\u0007\tb");
}

// The same tree as written by other tools: attribute order, white space,
// comments, quotes, character references, encodings and byte orders.
TEST_F(XmlReader, XmlFromOtherHandsReadsIntoTheSameTree)
{
    TestRecordType();
    CLxVariant expected =
        ListOf(u"root", {CLxVariant(-5, u"n"), CLxVariant(u"a<b\t\u00E9\U0001F600", u"s"),
                         CLxVariant(CLxListVariant(), u"e")});
    expected.Append(CLxVariant(TestRecordType(), u"rec"))[u"uiCount"] = 3u;

    const std::string pretty =
        "\xEF\xBB\xBF<?xml version='1.0' encoding='UTF-8' standalone='yes'?>\n"
        "<!-- written by hand -->\n"
        "<variant   version = '1.0' >\n"
        "  <root runtype=\"CLxListVariant\">\n"
        "    <n value=\"-5\" runtype=\"lx_int32\" />\n"
        "    <s value='a&lt;b&#9;&#xE9;&#x1F600;' runtype='CLxStringW'/>\n"
        "    <e runtype=\"CLxListVariant\"/>\n"
        "    <rec runtype=\"RLxXmlTestRecord\"><uiCount value=\"3\" runtype=\"lx_uint32\">"
        "</uiCount><!-- c --></rec>\n"
        "  </root>\n"
        "</variant>\n";
    CLxVariant fromUtf8 = ReadA(pretty);
    EXPECT_TRUE(fromUtf8 == expected) << DumpOf(fromUtf8);
    EXPECT_EQ(NameOf(fromUtf8), "root");

    // The same text in UTF-16, little-endian without a byte-order mark and
    // big-endian with one.
    std::u16string little = LX_Utf8ToUtf16(pretty.substr(3).c_str());
    EXPECT_TRUE(ReadW16(little) == expected);
    std::u16string big = u"\uFEFF" + little;
    for (char16_t& u : big)
        u = char16_t((u >> 8) | (u << 8));
    EXPECT_TRUE(ReadW16(big) == expected);
    expectNoReport();
}

TEST_F(XmlReader, XmllintReformattedOutputReadsBack)
{
    SKIP_WITHOUT_XMLLINT();
    CLxVariant tree = ListOf(u"root", {CLxVariant(u"x\"y&z\r\n", u"s"), CLxVariant(2.5, u"d"),
                                       ListOf(u"inner", {CLxVariant(true, u"b")})});
    ScopedTempDir dir;
    const std::string in = (dir.path() / "in.xml").string();
    std::ofstream(in, std::ios::binary) << BytesOf(DocumentA(tree));
    for (const char* options : {"--format", "--format --encode UTF-16", "--c14n"}) {
        SCOPED_TRACE(options);
        const std::string out = (dir.path() / "out.xml").string();
        const std::string command =
            std::string("/usr/bin/xmllint ") + options + " '" + in + "' > '" + out + "'";
        ASSERT_EQ(system(command.c_str()), 0);
        std::ifstream file(out, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(file)),
                                std::istreambuf_iterator<char>());
        const bool utf16 = std::string(options).find("UTF-16") != std::string::npos;
        int status;
        const CLxVariant back =
            utf16 ? ReadW16(std::u16string(reinterpret_cast<const char16_t*>(bytes.data()),
                                           bytes.size() / 2),
                            &status)
                  : ReadA(bytes, &status);
        EXPECT_EQ(status, 0) << bytes;
        EXPECT_TRUE(back == tree) << DumpOf(back);
    }
}

// Bad texts: a status code, no crash, and a target that still works.
struct SBadCase {
    const char* what;
    std::string text;
    bool nulled;   // the target is null afterwards (else untouched)
    bool reported; // the structure report is made
};

TEST_F(XmlReader, BadTextsGiveMinus9)
{
    const std::string good = Doc8("<l runtype=\"CLxListVariant\"><a runtype=\"lx_int32\" "
                                  "value=\"1\"/></l>");
    const std::vector<SBadCase> cases = {
        {"empty text", "", false, false},
        {"no XML at all", "hello", false, false},
        {"truncated", good.substr(0, good.size() - 5), true, false},
        {"wrong root", "<variants version=\"1.0\"><a value=\"1\"/></variants>", true, true},
        {"wrong version", "<variant version=\"2.0\"><a value=\"1\"/></variant>", true, true},
        {"no version", "<variant><a value=\"1\"/></variant>", true, true},
        {"invalid UTF-8", Doc8("<a value=\"\xFF\"/>"), true, false},
        {"mismatched tags", Doc8("<a runtype=\"CLxListVariant\"></b>"), true, false},
        {"junk after the document", good + "<x/>", true, false},
        {"undefined entity", Doc8("<a value=\"&nope;\"/>"), true, false},
    };
    for (const SBadCase& c : cases) {
        SCOPED_TRACE(c.what);
        CLxVariant out(17, u"target");
        EXPECT_EQ(CLxXMLAPI::VariantFromXML_UTF8(out, c.text.data(), c.text.size()), -9);
        if (c.nulled) {
            EXPECT_TRUE(out.IsNull());
        } else {
            EXPECT_EQ(out.GetLx_int32(), 17);
            EXPECT_EQ(NameOf(out), "target");
        }
        EXPECT_FALSE(out.IsEnabledTypeChange());
        if (c.reported)
            EXPECT_EQ(report(), (SReport{"true", kStructureReport}));
        else
            expectNoReport();
        // Still usable: a good text reads into it.
        EXPECT_EQ(CLxXMLAPI::VariantFromXML_UTF8(out, good.data(), good.size()), 0);
        EXPECT_EQ(out[u"a"].GetLx_int32(), 1);
    }
}

TEST_F(XmlReader, EveryTruncationFails)
{
    const std::string good =
        Doc8("<l runtype=\"CLxListVariant\"><a runtype=\"lx_int32\" value=\"1\"/>"
             "<s runtype=\"CLxStringW\" value=\"\xC3\xA9\"/></l>");
    const CLxStringW goodW = LX_Utf8ToUtf16(good.c_str()).c_str();
    for (size_t n = 0; n < good.size(); ++n) {
        CLxVariant out;
        ASSERT_EQ(CLxXMLAPI::VariantFromXML_UTF8(out, good.data(), n), -9) << n;
    }
    for (int n = 0; n < goodW.GetLength(); ++n) {
        CLxVariant out;
        ASSERT_EQ(CLxXMLAPI::VariantFromXML(out, goodW.GetString(), size_t(n)), -9) << n;
    }
    // An odd byte count leaves half a UTF-16 unit.
    CLxVariant out;
    EXPECT_EQ(CLxXMLAPI::VariantFromXML_UTF8(out, reinterpret_cast<const char*>(goodW.GetString()),
                                             size_t(goodW.GetLength()) * 2 - 1),
              -9);
    expectNoReport();
}

TEST_F(XmlReader, InvalidUtf16Fails)
{
    const std::u16string head =
        u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><variant version=\"1.0\"><s value=\"";
    for (const std::u16string& bad :
         {std::u16string(1, char16_t(0xD800)), std::u16string(1, char16_t(0xDC00)),
          std::u16string(u"\uFFFF"), std::u16string(u"\u0001")}) {
        int status;
        ReadW16(head + bad + u"\"/></variant>", &status);
        EXPECT_EQ(status, -9);
    }
    // UTF-8 bytes handed to the UTF-16 reader are no UTF-16.
    const std::string utf8 = Doc8("<s value=\"x\"/>");
    int status;
    ReadW16(std::u16string(reinterpret_cast<const char16_t*>(utf8.data()), utf8.size() / 2),
            &status);
    EXPECT_EQ(status, -9);
}

TEST_F(XmlReader, NestingIsBounded)
{
    const auto nested = [](int levels) {
        std::string body;
        for (int i = 0; i < levels; ++i)
            body += "<l runtype=\"CLxListVariant\">";
        for (int i = 0; i < levels; ++i)
            body += "</l>";
        return Doc8(body);
    };
    CLxVariant out;
    const std::string deepest = nested(LX_VARIANT_XML_MAX_DEPTH);
    EXPECT_EQ(CLxXMLAPI::VariantFromXML_UTF8(out, deepest.data(), deepest.size()), 0);
    expectNoReport();

    for (int levels : {LX_VARIANT_XML_MAX_DEPTH + 1, 100000}) {
        SCOPED_TRACE(levels);
        CLxVariant target(1, u"t");
        const std::string text = nested(levels);
        EXPECT_EQ(CLxXMLAPI::VariantFromXML_UTF8(target, text.data(), text.size()), -9);
        EXPECT_TRUE(target.IsNull());
        EXPECT_EQ(report(), (SReport{"depth < LX_VARIANT_XML_MAX_DEPTH",
                                     "Error: variant XML nested too deeply"}));
    }
}

TEST_F(XmlReader, EntityExpansionIsRefused)
{
    // The "billion laughs": expat's amplification limit stops it.
    std::string text = "<?xml version=\"1.0\"?><!DOCTYPE variant [<!ENTITY a0 \"xxxxxxxxxx\">";
    for (int i = 1; i < 10; ++i) {
        const std::string prev = "&a" + std::to_string(i - 1) + ";";
        std::string body;
        for (int k = 0; k < 10; ++k)
            body += prev;
        text += "<!ENTITY a" + std::to_string(i) + " \"" + body + "\">";
    }
    text += "]><variant version=\"1.0\"><s value=\"&a9;\"/></variant>";
    CLxVariant out;
    EXPECT_EQ(CLxXMLAPI::VariantFromXML_UTF8(out, text.data(), text.size()), -9);
}

TEST_F(XmlReader, NullTextIsEmpty)
{
    CLxVariant out(3, u"t");
    EXPECT_EQ(CLxXMLAPI::VariantFromXML_UTF8(out, nullptr, 0), -9);
    EXPECT_EQ(CLxXMLAPI::VariantFromXML(out, nullptr, 0), -9);
    EXPECT_EQ(out.GetLx_int32(), 3);
}

} // namespace
