// The diagnostic dump of a tree.
#include <string>
#include <vector>

#include "variant_test_support.h"

namespace
{
class VariantTrace : public VariantTest
{
};

TEST_F(VariantTrace, ListWithOneValueIsFiveLines)
{
    CLxVariant root = ListOf(u"root", {CLxVariant(5, u"n")});
    CLxStringW out(u"old text");
    CLxStringW& result = CLxVariant::Trace(out, root);
    EXPECT_EQ(&result, &out);
    EXPECT_EQ(U8(out.GetString()), "<variant version=\"1.0\">\r\n"
                                   "<root runtype=\"CLxListVariant\">\r\n"
                                   " <n runtype=\"lx_int32\" value=\"5\"/>\r\n"
                                   "</root>\r\n"
                                   "</variant>\r\n");
}

TEST_F(VariantTrace, NestedTreeIsIndentedAndNotEscaped)
{
    CLxByteArray abc("abc", 3, 1024);
    CLxVariant root =
        ListOf(u"r", {CLxVariant(u"a<b&\"c\"", u"s"), CLxVariant(),
                      ListOf(u"inner", {CLxVariant(CLxByteArray(), u"e"), CLxVariant(abc, u"b")}),
                      CLxVariant(CLxListVariant(), u"empty")});
    CLxStringW out;
    CLxVariant::Trace(out, root);
    EXPECT_EQ(U8(out.GetString()), "<variant version=\"1.0\">\r\n"
                                   "<r runtype=\"CLxListVariant\">\r\n"
                                   " <s runtype=\"CLxStringW\" value=\"a<b&\"c\"\"/>\r\n"
                                   " <no_name runtype=\"unknown\" value=\"\"/>\r\n"
                                   " <inner runtype=\"CLxListVariant\">\r\n"
                                   "  <e runtype=\"CLxByteArray\" value=\"\"/>\r\n"
                                   "  <b runtype=\"CLxByteArray\" value=\"YWJj\"/>\r\n"
                                   " </inner>\r\n"
                                   " <empty runtype=\"CLxListVariant\">\r\n"
                                   " </empty>\r\n"
                                   "</r>\r\n"
                                   "</variant>\r\n");
    CLxVariant::Trace(out, CLxVariant(1.5, u"d"));
    EXPECT_EQ(U8(out.GetString()), "<variant version=\"1.0\">\r\n"
                                   "<d runtype=\"double\" value=\"1.500000000000000\"/>\r\n"
                                   "</variant>\r\n");
    expectNoReport();
}

TEST_F(VariantTrace, EachLineBecomesOneTraceRecord)
{
    CLxVariant root = ListOf(u"root", {CLxVariant(5, u"n")});
    outputs();
    CLxVariant::Trace(root);
    std::vector<std::string> records = outputs();
    const char* lines[] = {"<variant version=\"1.0\">", "<root runtype=\"CLxListVariant\">",
                           " <n runtype=\"lx_int32\" value=\"5\"/>", "</root>", "</variant>"};
    ASSERT_EQ(records.size(), 5u);
    for (size_t i = 0; i < 5; ++i) {
        const std::string expected = std::string(lines[i]) + "\r\n";
        ASSERT_GE(records[i].size(), expected.size());
        EXPECT_EQ(records[i].substr(records[i].size() - expected.size()), expected);
        // Only the record's own prefix comes before the line.
        EXPECT_EQ(records[i].find("\r\n"), records[i].size() - 2);
    }
}

} // namespace
