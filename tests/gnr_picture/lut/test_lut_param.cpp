// The stored contrast and ratio settings: fractions, effective windows,
// comparisons and the variant form, also through the variant XML text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "gnr_picture/assert_capture.h"
#include "gnr_picture/lut/LxLutParam.h"
#include "gnr_system/serializerxml/LxSerializerXML.h"
#include "gnr_system/variant/LxVariant.h"

namespace
{

std::vector<std::string> memberNames(const CLxVariant& v)
{
    std::vector<std::string> names;
    for (int i = 0; i < v.GetCount(); ++i)
        names.push_back(U8(v[i].GetName().GetString()));
    return names;
}

std::string runTypeOf(const CLxVariant& v)
{
    return v.GetRunType().GetName().GetString();
}

// A record with every field away from its default.
SLxLutParam changedParam()
{
    SLxLutParam p;
    p.uiGradient = 3;
    p.uiOutside = 2;
    p.uiMinSrc = 100;
    p.uiMaxSrc = 60000;
    p.dGammaSrc = 0.45;
    p.uiMinDst = 7;
    p.uiMaxDst = 65000;
    for (uint32_t c = 0; c < SLxLutParam::kComponents; ++c) {
        SLxCompLutParam& b = p.sCompLutParam[c];
        b.uiMinSrc = uint16_t(c * 11);
        b.uiMaxSrc = uint16_t(65535 - c * 13);
        b.dGammaSrc = 1.0 + c / 64.0;
        b.uiMinDst = uint16_t(c);
        b.uiMaxDst = uint16_t(65000 + c);
    }
    p.bColorOverExp = true;
    p.uiOverExpColor = 0x00FF00;
    return p;
}

void expectSameFields(const SLxLutParam& a, const SLxLutParam& b)
{
    EXPECT_EQ(a.uiGradient, b.uiGradient);
    EXPECT_EQ(a.uiOutside, b.uiOutside);
    EXPECT_EQ(a.uiMinSrc, b.uiMinSrc);
    EXPECT_EQ(a.uiMaxSrc, b.uiMaxSrc);
    EXPECT_EQ(a.dGammaSrc, b.dGammaSrc);
    EXPECT_EQ(a.uiMinDst, b.uiMinDst);
    EXPECT_EQ(a.uiMaxDst, b.uiMaxDst);
    for (uint32_t c = 0; c < SLxLutParam::kComponents; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(a.sCompLutParam[c].uiMinSrc, b.sCompLutParam[c].uiMinSrc);
        EXPECT_EQ(a.sCompLutParam[c].uiMaxSrc, b.sCompLutParam[c].uiMaxSrc);
        EXPECT_EQ(a.sCompLutParam[c].dGammaSrc, b.sCompLutParam[c].dGammaSrc);
        EXPECT_EQ(a.sCompLutParam[c].uiMinDst, b.sCompLutParam[c].uiMinDst);
        EXPECT_EQ(a.sCompLutParam[c].uiMaxDst, b.sCompLutParam[c].uiMaxDst);
    }
    EXPECT_EQ(a.bColorOverExp, b.bColorOverExp);
    EXPECT_EQ(a.uiOverExpColor, b.uiOverExpColor);
}

// ---- Fractions and sample values ----------------------------------------------

TEST(LutParam, FractionsInSixteenBitFixedPoint)
{
    SLxLutParam p;
    p.SetMinSrcDbl(0.5);
    EXPECT_EQ(p.uiMinSrc, 32767);
    EXPECT_DOUBLE_EQ(p.GetMinSrcDbl(), 32767 / 65535.0);
    EXPECT_EQ(p.GetMinSrc(8), 127u); // trunc(127.498 + 0.5)
    EXPECT_EQ(p.GetMaxSrc(8), 255u);
    EXPECT_EQ(p.GetMaxSrc(16), 65535u);
    EXPECT_EQ(p.GetMaxDst(12), 4095u);
    p.SetCompMaxDstDbl(5, 0.25);
    EXPECT_EQ(p.sCompLutParam[5].uiMaxDst, 16383);
    EXPECT_EQ(p.GetCompMaxDst(5, 8), 64u);
}

TEST(LutParam, FractionsOutsideTheRangeStopAtItsEnds)
{
    // Wrapping in 16 bits would turn 1.5 into 0.5 and -0.25 into 0.75.
    const struct {
        double v;
        uint16_t stored;
    } cases[] = {{1.5, 65535},
                 {1.0, 65535},
                 {-0.25, 0},
                 {std::numeric_limits<double>::quiet_NaN(), 0},
                 {1e300, 65535}};
    for (const auto& c : cases) {
        SLxLutParam p;
        p.SetMaxSrcDbl(c.v);
        p.SetCompMinDstDbl(0, c.v);
        EXPECT_EQ(p.uiMaxSrc, c.stored) << c.v;
        EXPECT_EQ(p.sCompLutParam[0].uiMinDst, c.stored) << c.v;
    }
}

TEST(LutParam, ComponentWindowIsPlacedInsideTheGlobalWindow)
{
    SLxLutParam p;
    p.SetMinSrcDbl(0.25);
    p.SetMaxSrcDbl(0.75);
    p.SetCompMinSrcDbl(2, 0.5);
    p.SetCompMaxSrcDbl(2, 1.0);
    p.SetGammaSrc(2.0);
    p.SetCompGammaSrc(2, 0.5);
    EXPECT_NEAR(p.GetMinSrcDbl(2), 0.5, 1e-4);
    EXPECT_NEAR(p.GetMaxSrcDbl(2), 0.75, 1e-4);
    EXPECT_EQ(p.GetMinSrc(2, 8), 127u);
    EXPECT_EQ(p.GetMaxSrc(2, 8), 191u);
    EXPECT_DOUBLE_EQ(p.GetGammaSrc(2), 1.0);
    // Component 3 keeps the whole global window.
    EXPECT_NEAR(p.GetMinSrcDbl(3), 0.25, 1e-4);
    EXPECT_NEAR(p.GetMaxSrcDbl(3), 0.75, 1e-4);

    p.SetMinDstDbl(0.0);
    p.SetMaxDstDbl(0.5);
    p.SetCompMaxDstDbl(1, 0.5);
    EXPECT_NEAR(p.GetMaxDstDbl(1), 0.25, 1e-4);
}

TEST(LutParam, ComponentIndexesBeyondTheBlocksAreReported)
{
    AssertCapture capture;
    SLxLutParam p = changedParam();
    const SLxLutParam before = p;
    p.SetCompMinSrcDbl(64, 0.5);
    p.SetCompGammaSrc(1000, 3.0);
    EXPECT_EQ(p.GetCompMaxSrc(64, 8), 255u); // a default block
    EXPECT_DOUBLE_EQ(p.GetCompGammaSrc(64), 1.0);
    EXPECT_TRUE(p.CompareWith(before));
    EXPECT_EQ(capture.count("c < SLxLutParam::kComponents"), 4);
}

// ---- Unit record and comparison ---------------------------------------------------

TEST(LutParam, UnitRecordToleratesTinyGammaChanges)
{
    SLxLutParam p;
    EXPECT_TRUE(p.IsUnit());
    p.dGammaSrc = 1.0005;
    EXPECT_TRUE(p.IsUnit());
    p.dGammaSrc = 1.01;
    EXPECT_FALSE(p.IsUnit());
    p.dGammaSrc = 1.0;
    p.sCompLutParam[63].dGammaSrc = 0.99;
    EXPECT_FALSE(p.IsUnit());
}

TEST(LutParam, UnitRecordIgnoresOutsideAndTheOverExposureColour)
{
    const struct {
        const char* field;
        void (*change)(SLxLutParam&);
        bool unit;
    } cases[] = {
        {"uiOutside", [](SLxLutParam& p) { p.uiOutside = 1; }, true},
        {"uiOverExpColor", [](SLxLutParam& p) { p.uiOverExpColor = 0; }, true},
        {"uiGradient", [](SLxLutParam& p) { p.uiGradient = 1; }, false},
        {"bColorOverExp", [](SLxLutParam& p) { p.bColorOverExp = true; }, false},
        {"uiMaxDst", [](SLxLutParam& p) { p.uiMaxDst = 65534; }, false},
        {"a17 uiMinSrc", [](SLxLutParam& p) { p.sCompLutParam[17].uiMinSrc = 1; }, false},
    };
    for (const auto& c : cases) {
        SLxLutParam p;
        c.change(p);
        EXPECT_EQ(p.IsUnit(), c.unit) << c.field;
    }
}

TEST(LutParam, SetUnitKeepsOutside)
{
    SLxLutParam p = changedParam();
    p.SetUnit();
    EXPECT_TRUE(p.IsUnit());
    EXPECT_EQ(p.uiOutside, 2u);
    EXPECT_EQ(p.uiOverExpColor, 255u);
}

TEST(LutParam, CompareWithLooksAtEveryField)
{
    const SLxLutParam a = changedParam();
    SLxLutParam b = a;
    EXPECT_TRUE(a.CompareWith(b));
    b.sCompLutParam[40].dGammaSrc += 0.0009;
    b.dGammaSrc += 0.0009;
    EXPECT_TRUE(a.CompareWith(b));
    const struct {
        const char* field;
        void (*change)(SLxLutParam&);
    } cases[] = {
        {"uiOutside", [](SLxLutParam& p) { p.uiOutside++; }},
        {"uiOverExpColor", [](SLxLutParam& p) { p.uiOverExpColor++; }},
        {"bColorOverExp", [](SLxLutParam& p) { p.bColorOverExp = false; }},
        {"uiGradient", [](SLxLutParam& p) { p.uiGradient++; }},
        {"dGammaSrc", [](SLxLutParam& p) { p.dGammaSrc += 0.01; }},
        {"a63 uiMaxDst", [](SLxLutParam& p) { p.sCompLutParam[63].uiMaxDst++; }},
    };
    for (const auto& c : cases) {
        SLxLutParam changed = a;
        c.change(changed);
        EXPECT_FALSE(a.CompareWith(changed)) << c.field;
    }
}

// ---- Variants -------------------------------------------------------------------

TEST(LutParamVariant, MembersInTheirOrderWithTheirRunTypes)
{
    CLxVariant v(7, u"contrast");
    ASSERT_EQ(SLxLutParam::SaveToVariant(v, changedParam()), 0);
    EXPECT_EQ(U8(v.GetName().GetString()), "contrast");
    EXPECT_EQ(memberNames(v),
              (std::vector<std::string>{"uiGradient", "uiOutside", "uiMinSrc", "uiMaxSrc",
                                        "dGammaSrc", "uiMinDst", "uiMaxDst", "sCompLutParam",
                                        "bColorOverExp", "uiOverExpColor"}));
    EXPECT_EQ(runTypeOf(v[u"uiMinSrc"]), "lx_uint32");
    EXPECT_EQ(runTypeOf(v[u"dGammaSrc"]), "double");
    EXPECT_EQ(runTypeOf(v[u"bColorOverExp"]), "bool");
    EXPECT_EQ(runTypeOf(v[u"uiOverExpColor"]), "lx_uint32");
    EXPECT_EQ(v[u"uiMaxSrc"].GetLx_uint32(), 60000u);

    const CLxVariant& blocks = v[u"sCompLutParam"];
    ASSERT_EQ(blocks.GetCount(), 64);
    for (int c = 0; c < 64; ++c) {
        char name[4];
        snprintf(name, sizeof name, "a%02i", c);
        ASSERT_EQ(U8(blocks[c].GetName().GetString()), name);
        ASSERT_EQ(memberNames(blocks[c]),
                  (std::vector<std::string>{"uiMinSrc", "uiMaxSrc", "dGammaSrc", "uiMinDst",
                                            "uiMaxDst"}));
    }
    EXPECT_EQ(blocks[9][u"uiMinSrc"].GetLx_uint32(), 99u);
    EXPECT_EQ(runTypeOf(blocks[9][u"dGammaSrc"]), "double");
}

TEST(LutParamVariant, TargetKeepsItsTypeChangeSetting)
{
    CLxVariant v(7, u"contrast"); // type change off after construction
    ASSERT_FALSE(v.IsEnabledTypeChange());
    ASSERT_EQ(SLxLutParam::SaveToVariant(v, SLxLutParam()), 0);
    EXPECT_FALSE(v.IsEnabledTypeChange());
    EXPECT_EQ(v.GetCount(), 10);

    // Saving again empties the list first.
    v.EnableTypeChange(true);
    ASSERT_EQ(SLxLutParam::SaveToVariant(v, SLxLutParam()), 0);
    EXPECT_TRUE(v.IsEnabledTypeChange());
    EXPECT_EQ(v.GetCount(), 10);
}

TEST(LutParamVariant, RoundTripThroughTheVariantXmlText)
{
    const SLxLutParam saved = changedParam();
    CLxVariant v;
    ASSERT_EQ(SLxLutParam::SaveToVariant(v, saved), 0);

    CLxStringW text;
    ASSERT_EQ(CLxXMLAPI::VariantToXMLDocument(text, v), 0);
    CLxVariant back;
    ASSERT_EQ(CLxXMLAPI::VariantFromXML(back, text), 0);
    SLxLutParam loaded;
    ASSERT_EQ(SLxLutParam::LoadFromVariant(loaded, back), 0);
    expectSameFields(loaded, saved);

    CLxStringA utf8;
    ASSERT_EQ(CLxXMLAPI::VariantToXMLDocument_UTF8(utf8, v), 0);
    CLxVariant back8;
    ASSERT_EQ(CLxXMLAPI::VariantFromXML_UTF8(back8, utf8), 0);
    SLxLutParam loaded8;
    ASSERT_EQ(SLxLutParam::LoadFromVariant(loaded8, back8), 0);
    expectSameFields(loaded8, saved);
}

TEST(LutParamVariant, MissingMembersLeaveTheirFields)
{
    const SLxLutParam before = changedParam();
    SLxLutParam p = before;
    ASSERT_EQ(SLxLutParam::LoadFromVariant(p, CLxVariant()), 0);
    expectSameFields(p, before);

    // Only some members, one component block.
    CLxVariant v;
    v.Append(CLxVariant(12345u, u"uiMinDst"));
    CLxVariant blocks;
    blocks.SetName(u"sCompLutParam");
    CLxVariant a05;
    a05.SetName(u"a05");
    a05.Append(CLxVariant(2.5, u"dGammaSrc"));
    blocks.Append(a05);
    v.Append(blocks);
    ASSERT_EQ(SLxLutParam::LoadFromVariant(p, v), 0);
    SLxLutParam expected = before;
    expected.uiMinDst = 12345;
    expected.sCompLutParam[5].dGammaSrc = 2.5;
    expectSameFields(p, expected);
}

TEST(LutParamVariant, WideValuesAreHeldAtTheFieldMaximum)
{
    CLxVariant v;
    v.Append(CLxVariant(70000u, u"uiMinSrc"));
    v.Append(CLxVariant(-1, u"uiMaxSrc"));
    // A list where a value belongs is passed over.
    CLxVariant list;
    list.SetName(u"uiMinDst");
    list.Append(CLxVariant(1u, u"x"));
    v.Append(list);
    SLxLutParam p;
    p.uiMinDst = 9;
    ASSERT_EQ(SLxLutParam::LoadFromVariant(p, v), 0);
    EXPECT_EQ(p.uiMinSrc, 65535);
    EXPECT_EQ(p.uiMaxSrc, 65535);
    EXPECT_EQ(p.uiMinDst, 9);
}

TEST(RatioDesc, DefaultsAndVariantForm)
{
    SLxRatioDesc d;
    EXPECT_EQ(d.uiNumer, 0);
    EXPECT_EQ(d.uiDenom, 0);
    EXPECT_EQ(d.dMin, 0.0);
    EXPECT_EQ(d.dMax, 2.0);

    d.uiNumer = 2;
    d.uiDenom = 1;
    d.uiNumOffset = 10;
    d.uiDenOffset = 20;
    d.dMin = 0.25;
    d.dMax = 4.5;
    CLxVariant v;
    ASSERT_EQ(SLxRatioDesc::SaveToVariant(v, d), 0);
    EXPECT_EQ(memberNames(v), (std::vector<std::string>{"uiNumer", "uiDenom", "uiNumOffset",
                                                        "uiDenOffset", "dMin", "dMax"}));
    EXPECT_EQ(runTypeOf(v[u"uiNumer"]), "lx_uint32");
    EXPECT_EQ(v[u"uiDenOffset"].GetLx_uint32(), 20u);
    EXPECT_EQ(runTypeOf(v[u"dMax"]), "double");

    SLxRatioDesc loaded;
    loaded.uiNumOffset = 5;
    ASSERT_EQ(SLxRatioDesc::LoadFromVariant(loaded, v), 0);
    EXPECT_EQ(loaded.uiNumer, 2);
    EXPECT_EQ(loaded.uiDenom, 1);
    EXPECT_EQ(loaded.dMin, 0.25);
    EXPECT_EQ(loaded.dMax, 4.5);
    // Offsets are never taken over.
    EXPECT_EQ(loaded.uiNumOffset, 0);
    EXPECT_EQ(loaded.uiDenOffset, 0);
}

TEST(RatioDesc, MissingMembersLeaveTheirFields)
{
    SLxRatioDesc d;
    d.uiNumer = 3;
    d.dMax = 9.0;
    CLxVariant v;
    v.Append(CLxVariant(300u, u"uiDenom"));
    ASSERT_EQ(SLxRatioDesc::LoadFromVariant(d, v), 0);
    EXPECT_EQ(d.uiNumer, 3);
    EXPECT_EQ(d.uiDenom, 255); // held at the field's maximum
    EXPECT_EQ(d.dMax, 9.0);
}

} // namespace
