// Round trips: a tree of every run type, at the edges of each, written in
// either encoding reads back equal.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "gnr_system/serializerxml/xml_test_support.h"

namespace
{

struct SRoundTripCase {
    const char* what;
    CLxVariant value;
};

CLxByteArray Bytes(size_t n)
{
    std::vector<unsigned char> bytes(n);
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<unsigned char>(i * 7 + i / 251);
    return CLxByteArray(bytes.data(), uint32_t(n), 1024);
}

CLxStringW AllControlCharacters()
{
    CLxStringW text;
    for (char16_t c = 1; c < 0x20; ++c)
        text += c;
    return text;
}

std::vector<SRoundTripCase> Cases()
{
    typedef std::numeric_limits<lx_int32> I32;
    typedef std::numeric_limits<lx_int64> I64;
    typedef std::numeric_limits<double> D;
    CLxVariant nested = ListOf(u"outer", {ListOf(u"inner", {CLxVariant(1, u"deepest")}),
                                          CLxVariant(CLxListVariant(), u"empty")});
    CLxVariant unnamed =
        ListOf(u"unnamed", {CLxVariant(1, u""), CLxVariant(2, u""), CLxVariant(2, u"named")});
    CLxVariant record(TestRecordType(), u"rec");
    record[u"uiCount"] = 0xFFFFFFFFu;
    record[u"wsLabel"] = CLxStringW(u"<&>");
    CLxVariant recordInList = ListOf(u"holder", {record, CLxVariant()});
    return {
        {"lx_int32 0", CLxVariant(0, u"v")},
        {"lx_int32 max", CLxVariant(I32::max(), u"v")},
        {"lx_int32 min", CLxVariant(I32::min(), u"v")},
        {"lx_uint32 0", CLxVariant(0u, u"v")},
        {"lx_uint32 max", CLxVariant(0xFFFFFFFFu, u"v")},
        {"lx_uint32 alpha colour", CLxVariant(0xFF102030u, u"v")},
        {"lx_int64 0", CLxVariant(lx_int64(0), u"v")},
        {"lx_int64 max", CLxVariant(I64::max(), u"v")},
        {"lx_int64 min", CLxVariant(I64::min(), u"v")},
        {"lx_uint64 0", CLxVariant(lx_uint64(0), u"v")},
        {"lx_uint64 max", CLxVariant(std::numeric_limits<lx_uint64>::max(), u"v")},
        {"double 0", CLxVariant(0.0, u"v")},
        {"double -0", CLxVariant(-0.0, u"v")},
        {"double 0.1", CLxVariant(0.1, u"v")},
        {"double 1/3", CLxVariant(1.0 / 3.0, u"v")},
        {"double max", CLxVariant(D::max(), u"v")},
        {"double lowest", CLxVariant(D::lowest(), u"v")},
        {"double min normal", CLxVariant(D::min(), u"v")},
        {"double denormal", CLxVariant(D::denorm_min(), u"v")},
        {"double 1e-20", CLxVariant(1e-20, u"v")},
        {"double 2^53 - 1", CLxVariant(9007199254740991.0, u"v")},
        {"double NaN", CLxVariant(D::quiet_NaN(), u"v")},
        {"double inf", CLxVariant(D::infinity(), u"v")},
        {"double -inf", CLxVariant(-D::infinity(), u"v")},
        {"bool true", CLxVariant(true, u"v")},
        {"bool false", CLxVariant(false, u"v")},
        {"voidPtr null", CLxVariant(static_cast<void*>(nullptr), u"v")},
        {"voidPtr max", CLxVariant(reinterpret_cast<void*>(UINTPTR_MAX), u"v")},
        {"text empty", CLxVariant(u"", u"v")},
        {"text markup", CLxVariant(u"<a href=\"x\">&amp;</a> 'q' &#x0026;", u"v")},
        {"text line ends and tab", CLxVariant(u"\r\n\t\r\r\n\n", u"v")},
        {"text spaces kept", CLxVariant(u"  two  spaces  ", u"v")},
        {"text control characters", CLxVariant(AllControlCharacters(), u"v")},
        {"text non-BMP", CLxVariant(u"\U0001F600\U00010000\U0010FFFF", u"v")},
        {"text BMP edges", CLxVariant(u"\u00E9\u20AC\uFFFD\uFEFF\uE000", u"v")},
        {"bytes empty", CLxVariant(CLxByteArray(), u"v")},
        {"bytes 1", CLxVariant(Bytes(1), u"v")},
        {"bytes 2", CLxVariant(Bytes(2), u"v")},
        {"bytes long", CLxVariant(Bytes(300000), u"v")},
        {"null", CLxVariant()},
        {"empty list", CLxVariant(CLxListVariant(), u"v")},
        {"nested lists", nested},
        {"unnamed members", unnamed},
        {"record", record},
        {"record and null in a list", recordInList},
    };
}

class XmlRoundTrip : public VariantTest
{
  protected:
    void Check(const CLxVariant& tree, const CLxVariant& back, const char* encoding)
    {
        SCOPED_TRACE(encoding);
        EXPECT_TRUE(back == tree) << DumpOf(back);
        EXPECT_EQ(NameOf(back), NameOf(tree));
        EXPECT_EQ(RunTypeOf(back), RunTypeOf(tree));
    }
    void RoundTrip(const CLxVariant& tree)
    {
        Check(tree, ReadW(DocumentW(tree)), "UTF-16");
        Check(tree, ReadA(BytesOf(DocumentA(tree))), "UTF-8");
    }
};

TEST_F(XmlRoundTrip, EachValueAsTheRoot)
{
    for (const SRoundTripCase& c : Cases()) {
        SCOPED_TRACE(c.what);
        RoundTrip(c.value);
    }
    expectNoReport();
}

TEST_F(XmlRoundTrip, AllValuesAsMembersOfOneTree)
{
    CLxVariant tree(CLxListVariant(), u"all");
    int index = 0;
    for (const SRoundTripCase& c : Cases()) {
        CLxVariant member(c.value);
        member.SetName(CLxStringW(("m" + std::to_string(index++)).c_str()));
        tree.Append(member);
    }
    RoundTrip(tree);
    expectNoReport();
}

// List equality pairs named members by their first match, so a list with a
// repeated name never equals itself: the members are compared one by one.
TEST_F(XmlRoundTrip, RepeatedNamesKeepTheirOrder)
{
    const CLxVariant tree = ListOf(u"l", {CLxVariant(1, u"dup"), CLxVariant(u"x", u"dup"),
                                          CLxVariant(3, u"other"), CLxVariant(4, u"dup")});
    for (const CLxVariant& back : {ReadW(DocumentW(tree)), ReadA(BytesOf(DocumentA(tree)))}) {
        ASSERT_EQ(back.GetCount(), 4);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(NameOf(back[i]), NameOf(tree[i]));
            EXPECT_TRUE(back[i] == tree[i]) << i;
        }
    }
}

TEST_F(XmlRoundTrip, IntoRecordTarget)
{
    // A target that is a record without type change still takes any tree.
    CLxVariant record(TestRecordType(), u"rec");
    ASSERT_FALSE(record.IsEnabledTypeChange());
    const CLxVariant tree = ListOf(u"l", {CLxVariant(1, u"a")});
    EXPECT_EQ(CLxXMLAPI::VariantFromXML(record, DocumentW(tree)), 0);
    EXPECT_TRUE(record == tree);
    EXPECT_FALSE(record.IsEnabledTypeChange());
}

} // namespace
