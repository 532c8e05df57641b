// Own XML box texts: each builder's text is recognised as its record, and
// texts that only look alike are not.
#include "jp2_test_support.h"

#include <cstring>

#include "gnr_system/serializerxml/LxSerializerXML.h"
#include "gnr_system/variant/LxVariant.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"

using namespace jp2test;

namespace
{

SLxJP2OwnText Recognise(const CLxStringA& text)
{
    return LX_Jp2RecogniseText(reinterpret_cast<const uint8_t*>(text.GetString()),
                               size_t(text.GetLength()));
}

std::string Inner(const CLxStringA& text, const SLxJP2OwnText& r)
{
    return std::string(text.GetString() + r.uiInner, r.uiInnerSize);
}

CLxStringA WithComment(const char* rest)
{
    CLxStringA t(jp2_generator_comment);
    t += rest;
    return t;
}

} // namespace

TEST(Jp2OwnTexts, CommentIsFixed)
{
    EXPECT_EQ(strlen(jp2_generator_comment), 58u);
    EXPECT_EQ(strncmp(jp2_generator_comment, "<!--", 4), 0);
    EXPECT_EQ(strcmp(jp2_generator_comment + 55, "-->"), 0);
    EXPECT_EQ(strlen(jp2_box_map_magic), 32u);
}

TEST(Jp2OwnTexts, BuildersAreRecognised)
{
    CLxVariant experiment;
    experiment.Append(CLxVariant(3, CLxStringW(u"uiCount")));
    const CLxStringW texts[14] = {CLxStringW(u"a<b\"c"), CLxStringW(u"\u00e9")};
    const struct {
        const char* name;
        CLxStringA text;
        uint32_t code;
        uint32_t index;
    } cases[] = {
        {"artt", LX_Jp2TextAdvancedAttributes(12, 3), jp2_own_artt, 0},
        {"acal", LX_Jp2TextCalibration(0.5, 2.0), jp2_own_acal, 0},
        {"vcal", LX_Jp2TextCalibrationSeq(17, 0.25, 1, true, CLxStringW(u"Plan 10x")), jp2_own_vcal,
         17},
        {"srob", LX_Jp2TextReportObjects(CLxStringA("<ReportObjects n=\"1\"/>")), jp2_own_srob, 0},
        {"vrob", LX_Jp2TextReportObjectsSeq(4, CLxStringA("<o/>")), jp2_own_vrob, 4},
        {"aim1", LX_Jp2TextExperiment(experiment), jp2_own_aim1, 0},
        {"aimd", LX_Jp2TextExperimentOld(experiment), jp2_own_aimd, 0},
        {"vimd", LX_Jp2TextPictureMetadata(4294967295u, experiment), jp2_own_vimd, 4294967295u},
        {"tinf", LX_Jp2TextTextInfo(2, 1.0, texts, 14), jp2_own_tinf, 0},
        {"ieve", LX_Jp2TextEvents(experiment), jp2_own_ieve, 0},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(memcmp(c.text.GetString(), jp2_generator_comment, 58), 0) << c.name;
        const SLxJP2OwnText r = Recognise(c.text);
        EXPECT_EQ(r.uiCode, c.code) << c.name;
        EXPECT_EQ(r.uiIndex, c.index) << c.name;
        EXPECT_TRUE(r.bIndexFound) << c.name;
        ASSERT_LE(r.uiInner + r.uiInnerSize, size_t(c.text.GetLength())) << c.name;
    }
    // The inner text of the variant records is the serializer's XML.
    const SLxJP2OwnText aim1 = Recognise(cases[5].text);
    CLxVariant back;
    ASSERT_EQ(CLxXMLAPI::VariantFromXML_UTF8(back, cases[5].text.GetString() + aim1.uiInner,
                                             aim1.uiInnerSize),
              0);
    EXPECT_TRUE(back == experiment);
    const std::string acal = Inner(cases[1].text, Recognise(cases[1].text));
    EXPECT_NE(acal.find("Calibration_11=\"0.500000\""), std::string::npos);
    EXPECT_NE(acal.find("Calibration_22=\"1.000000\""), std::string::npos);
    const std::string tinf = Inner(cases[8].text, Recognise(cases[8].text));
    EXPECT_NE(tinf.find("_VERSION=\"1.000000\""), std::string::npos);
    EXPECT_NE(tinf.find("Text=\"a&#x003C;b&#x0022;c\" Index=\"0\""), std::string::npos);
    EXPECT_NE(tinf.find("Text=\"\xc3\xa9\" Index=\"1\""), std::string::npos);
    EXPECT_NE(tinf.find("Index=\"13\"/></TextInfo>"), std::string::npos);
}

TEST(Jp2OwnTexts, LookAlikesAreNotRecognised)
{
    const struct {
        const char* name;
        CLxStringA text;
        uint32_t code;
    } cases[] = {
        {"no_comment", CLxStringA("<Events version=\"1.0\"></Events>"), 0},
        {"junk_after_close", WithComment("<Events version=\"1.0\"></Events>junk"), 0},
        {"white_space_after_close", WithComment("\n\t <Events version=\"1.0\"></Events>\r\n"),
         jp2_own_ieve},
        {"other_close", WithComment("<Events version=\"1.0\"></Event>"), 0},
        {"no_gt", WithComment("<Events version"), 0},
        {"unknown_root", WithComment("<Eventful version=\"1.0\"></Eventful>"), 0},
        {"v11", WithComment("<Metadata_V1.1 version=\"1.0\"><variant/></Metadata_V1.1>"),
         jp2_own_aim1},
        {"v11_closed_as_v12", WithComment("<Metadata_V1.1 version=\"1.0\"></Metadata_V1.2>"), 0},
        {"short", CLxStringA("<!-- short -->"), 0},
        {"comment_only", WithComment(""), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Recognise(c.text).uiCode, c.code) << c.name;

    // A frame record without its index is reported and still taken.
    const SLxJP2OwnText r = Recognise(WithComment("<MetadataSeq x=\"1\"><v/></MetadataSeq>"));
    EXPECT_EQ(r.uiCode, jp2_own_vimd);
    EXPECT_FALSE(r.bIndexFound);
    EXPECT_FALSE(
        Recognise(WithComment("<MetadataSeq _SEQUENCE_INDEX=\"99999999999\"></MetadataSeq>"))
            .bIndexFound);
}

TEST(Jp2OwnTexts, CustomDataRoundTrip)
{
    CLxVariant data(2.5, CLxStringW(u"value"));
    CLxStringA scdv, vcdv;
    ASSERT_TRUE(LX_Jp2TextCustomData(CLxStringW(u"AcqTimesCache"), data, scdv));
    ASSERT_TRUE(LX_Jp2TextCustomDataSeq(CLxStringW(u"BinarySeqV1_0"), 42, data, vcdv));
    const auto* s = reinterpret_cast<const uint8_t*>(scdv.GetString());
    const auto* v = reinterpret_cast<const uint8_t*>(vcdv.GetString());
    const SLxJP2OwnText rs = LX_Jp2RecogniseCustomData(s, size_t(scdv.GetLength()));
    EXPECT_EQ(rs.uiCode, jp2_own_scdv);
    EXPECT_EQ(rs.wsName, CLxStringW(u"AcqTimesCache"));
    const SLxJP2OwnText rv = LX_Jp2RecogniseCustomDataSeq(v, size_t(vcdv.GetLength()));
    EXPECT_EQ(rv.uiCode, jp2_own_vcdv);
    EXPECT_EQ(rv.uiIndex, 42u);
    EXPECT_EQ(rv.wsName, CLxStringW(u"BinarySeqV1_0"));
    CLxVariant back;
    ASSERT_EQ(CLxXMLAPI::VariantFromXML_UTF8(back, vcdv.GetString() + rv.uiInner, rv.uiInnerSize),
              0);
    EXPECT_TRUE(back == data);
    // The frame form is not the plain form and back.
    EXPECT_EQ(LX_Jp2RecogniseCustomDataSeq(s, size_t(scdv.GetLength())).uiCode, 0u);

    CLxStringA refused;
    EXPECT_FALSE(LX_Jp2TextCustomData(CLxStringW(u"two words"), data, refused));
    EXPECT_FALSE(LX_Jp2TextCustomData(CLxStringW(u""), data, refused));
    EXPECT_FALSE(LX_Jp2TextCustomDataSeq(CLxStringW(u"a<b"), 1, data, refused));

    const struct {
        const char* name;
        CLxStringA text;
    } bad[] = {
        {"no_index", WithComment("<Name ><v/></Name>")},
        {"negative", WithComment("<Name -1><v/></Name>")},
        {"overflow", WithComment("<Name 4294967296><v/></Name>")},
        {"other_close", WithComment("<Name 1><v/></Nam>")},
        {"unclosed", WithComment("<Name 1")},
    };
    for (const auto& c : bad)
        EXPECT_EQ(LX_Jp2RecogniseCustomDataSeq(reinterpret_cast<const uint8_t*>(c.text.GetString()),
                                               size_t(c.text.GetLength()))
                      .uiCode,
                  0u)
            << c.name;
}

TEST(Jp2OwnTexts, BinaryBoxes)
{
    const uint8_t payload[] = {9, 8, 7};
    std::vector<uint8_t> scdb, vcdb, binl;
    LX_Jp2UuidCustomBinary(CLxStringW(u"Blk\u00e9"), payload, 3, scdb);
    LX_Jp2UuidCustomBinarySeq(CLxStringW(u"Blk"), 0x01020304, payload, 3, vcdb);
    LX_Jp2UuidImageBinary(payload, 3, binl);
    EXPECT_EQ(memcmp(scdb.data(), jp2_uuid_scdb, 16), 0);
    EXPECT_EQ(memcmp(vcdb.data(), jp2_uuid_vcdb, 16), 0);
    EXPECT_EQ(binl, Cat({Bytes(jp2_uuid_binl, jp2_uuid_binl + 16), Bytes{9, 8, 7}}));
    // The frame index is little-endian after the name.
    EXPECT_EQ(Bytes(vcdb.begin() + 16, vcdb.end()), (Bytes{'B', 'l', 'k', 0, 4, 3, 2, 1, 9, 8, 7}));

    CLxStringW name;
    size_t at = 0;
    uint32_t index = 0;
    ASSERT_TRUE(LX_Jp2ParseCustomBinary(scdb.data() + 16, scdb.size() - 16, name, at));
    EXPECT_EQ(name, CLxStringW(u"Blk\u00e9")); // UTF-8 both ways
    EXPECT_EQ(scdb.size() - 16 - at, 3u);
    ASSERT_TRUE(LX_Jp2ParseCustomBinarySeq(vcdb.data() + 16, vcdb.size() - 16, name, index, at));
    EXPECT_EQ(index, 0x01020304u);
    EXPECT_EQ(vcdb[16 + at], 9);
    EXPECT_FALSE(LX_Jp2ParseCustomBinary(payload, 3, name, at));                    // no zero
    EXPECT_FALSE(LX_Jp2ParseCustomBinarySeq(vcdb.data() + 16, 6, name, index, at)); // index cut
}
