#include <clocale>
#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "comma_locale.h"
#include "variant_test_support.h"

namespace
{
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

CLxByteArray Bytes(const std::string& bytes)
{
    return CLxByteArray(bytes.data(), uint32_t(bytes.size()), 1024);
}

// A long array whose every byte value occurs.
CLxByteArray LongBytes()
{
    std::string bytes;
    for (int i = 0; i < 100003; ++i)
        bytes += char(i * 7 + i / 256);
    return Bytes(bytes);
}

// ---- Text forms.

struct WriteCase {
    const char* label;
    CLxVariant value;
    const char* runType;
    const char* text;
};

class VariantWrite : public VariantTest
{
};

TEST_F(VariantWrite, EachRunTypeWritesItsTextForm)
{
    const std::u16string nonBmp = U16("a\xf0\x9f\x98\x80z");
    const WriteCase cases[] = {
        {"int32 zero", CLxVariant(0, u"v"), "lx_int32", "0"},
        {"int32 max", CLxVariant(INT32_MAX, u"v"), "lx_int32", "2147483647"},
        {"int32 min", CLxVariant(INT32_MIN, u"v"), "lx_int32", "-2147483648"},
        {"uint32 max", CLxVariant(UINT32_MAX, u"v"), "lx_uint32", "4294967295"},
        {"int64 min", CLxVariant(INT64_MIN, u"v"), "lx_int64", "-9223372036854775808"},
        {"int64 max", CLxVariant(INT64_MAX, u"v"), "lx_int64", "9223372036854775807"},
        {"uint64 max", CLxVariant(UINT64_MAX, u"v"), "lx_uint64", "18446744073709551615"},
        {"double 0.1", CLxVariant(0.1, u"v"), "double", "0.100000000000000"},
        {"double zero", CLxVariant(0.0, u"v"), "double", "0.000000000000000"},
        {"double minus zero", CLxVariant(-0.0, u"v"), "double", "-0.000000000000000"},
        {"double -2.5", CLxVariant(-2.5, u"v"), "double", "-2.500000000000000"},
        {"double third", CLxVariant(1.0 / 3, u"v"), "double", "0.3333333333333333"},
        {"double tiny", CLxVariant(1e-20, u"v"), "double", "1e-20"},
        {"double denormal", CLxVariant(5e-324, u"v"), "double", "5e-324"},
        {"double nan", CLxVariant(kNaN, u"v"), "double", "nan"},
        {"double inf", CLxVariant(kInf, u"v"), "double", "inf"},
        {"double -inf", CLxVariant(-kInf, u"v"), "double", "-inf"},
        {"bool true", CLxVariant(true, u"v"), "bool", "true"},
        {"bool false", CLxVariant(false, u"v"), "bool", "false"},
        {"pointer", CLxVariant(reinterpret_cast<void*>(0xab12), u"v"), "voidPtr", "ab12"},
        {"pointer null", CLxVariant(static_cast<void*>(nullptr), u"v"), "voidPtr", "0"},
        {"pointer max", CLxVariant(reinterpret_cast<void*>(UINTPTR_MAX), u"v"), "voidPtr",
         "ffffffffffffffff"},
        {"text", CLxVariant(u"a<b \"c\"", u"v"), "CLxStringW", "a<b \"c\""},
        {"text empty", CLxVariant(u"", u"v"), "CLxStringW", ""},
        {"text narrow", CLxVariant("caf\xc3\xa9", u"v"), "CLxStringW", "caf\xc3\xa9"},
        {"text non-BMP", CLxVariant(nonBmp.c_str(), u"v"), "CLxStringW", "a\xf0\x9f\x98\x80z"},
        {"bytes", CLxVariant(Bytes("abc"), u"v"), "CLxByteArray", "YWJj"},
        {"bytes with zero", CLxVariant(Bytes(std::string("\0\xff", 2)), u"v"), "CLxByteArray",
         "AP8="},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(RunTypeOf(c.value), c.runType);
        CLxStringW text(u"old");
        EXPECT_TRUE(c.value.Write(text));
        EXPECT_EQ(U8(text.GetString()), c.text);
    }
    expectNoReport();
}

TEST_F(VariantWrite, LargeDoublesKeepTheFixedFormWhenItReadsBack)
{
    CLxStringW text;
    CLxVariant(1e22, u"v").Write(text);
    EXPECT_EQ(U8(text.GetString()), "10000000000000000000000.000000000000000");
    CLxVariant(std::numeric_limits<double>::max(), u"v").Write(text);
    EXPECT_EQ(text.GetLength(), 309 + 16);
}

TEST_F(VariantWrite, NothingToWriteLeavesTheTextAlone)
{
    CLxStringW text(u"kept");
    EXPECT_FALSE(CLxVariant(CLxByteArray(), u"v").Write(text));
    EXPECT_FALSE(CLxVariant().Write(text));
    EXPECT_EQ(U8(text.GetString()), "kept");
    expectNoReport();
}

struct ReadCase {
    const char* runType;
    const char* text;
    const char* written; // the text written back
};

class VariantRead : public VariantTest
{
};

TEST_F(VariantRead, EachRunTypeParsesItsText)
{
    const ReadCase cases[] = {
        {"lx_int32", "12abc", "12"},
        {"lx_int32", "  -7", "-7"},
        {"lx_int32", "abc", "0"},
        {"lx_int32", "99999999999", "2147483647"},
        {"lx_int32", "-99999999999", "-2147483648"},
        {"lx_uint32", "4294967295", "4294967295"},
        {"lx_uint32", "-1", "4294967295"},
        {"lx_uint32", "-4294967295", "1"},
        {"lx_uint32", "+5", "5"},
        {"lx_uint32", "99999999999", "4294967295"},
        {"lx_int64", "-9223372036854775808", "-9223372036854775808"},
        {"lx_int64", "99999999999999999999", "9223372036854775807"},
        {"lx_uint64", "18446744073709551615", "18446744073709551615"},
        {"lx_uint64", "-1", "18446744073709551615"},
        {"lx_uint64", "99999999999999999999", "18446744073709551615"},
        {"double", "0.1", "0.100000000000000"},
        {"double", "1e3", "1000.000000000000000"},
        {"double", "0,5", "0.000000000000000"},
        {"double", "abc", "0.000000000000000"},
        {"double", "nan", "nan"},
        {"double", "inf", "inf"},
        {"double", "-inf", "-inf"},
        {"double", "0.3333333333333333", "0.3333333333333333"},
        {"bool", "true", "true"},
        {"bool", "TRUE", "false"},
        {"bool", "", "false"},
        {"voidPtr", "ff", "ff"},
        {"voidPtr", "0xFF", "ff"},
        {"voidPtr", "zz", "0"},
        {"CLxStringW", "abc", "abc"},
        {"CLxByteArray", "YWJj", "YWJj"},
        {"CLxByteArray", "YQ", "YQ=="},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(std::string(c.runType) + " " + c.text);
        CLxVariant v(CLxVariantRunType(c.runType), u"v");
        EXPECT_TRUE(v.Read(U16(c.text).c_str()));
        EXPECT_EQ(RunTypeOf(v), c.runType);
        EXPECT_EQ(TextOf(v), c.written);
    }
    expectNoReport();
}

TEST_F(VariantRead, TextThatIsNotBase64GivesAnEmptyArray)
{
    CLxVariant v(Bytes("xyz"), u"v");
    EXPECT_TRUE(v.Read(u"!!"));
    EXPECT_EQ(v.GetCLxByteArray().GetSize(), 0u);
}

TEST_F(VariantRead, NullVariantReadsNothing)
{
    CLxVariant v;
    EXPECT_FALSE(v.Read(u"1"));
    EXPECT_TRUE(v.IsNull());
}

TEST_F(VariantRead, ListsDoNotRead)
{
    CLxVariant list = ListOf(u"l", {CLxVariant(1, u"a")});
    EXPECT_FALSE(list.Read(u"1"));
    EXPECT_EQ(report(), (SReport{"true", "TODO implement"}));
    EXPECT_EQ(list.GetCount(), 1);
}

// Every value at the edges comes back equal through its own text.
TEST_F(VariantRead, WriteThenReadGivesTheSameValue)
{
    const std::u16string nonBmp = U16("\xf0\x90\x80\x80 \xf4\x8f\xbf\xbf");
    const std::u16string controls = std::u16string(u"a\tb\r\nc") + char16_t(7);
    const CLxVariant values[] = {
        CLxVariant(0, u"v"),
        CLxVariant(INT32_MIN, u"v"),
        CLxVariant(INT32_MAX, u"v"),
        CLxVariant(0u, u"v"),
        CLxVariant(UINT32_MAX, u"v"),
        CLxVariant(INT64_MIN, u"v"),
        CLxVariant(INT64_MAX, u"v"),
        CLxVariant(UINT64_MAX, u"v"),
        CLxVariant(0.1, u"v"),
        CLxVariant(-0.0, u"v"),
        CLxVariant(1.0 / 3, u"v"),
        CLxVariant(1e-300, u"v"),
        CLxVariant(5e-324, u"v"),
        CLxVariant(-std::numeric_limits<double>::max(), u"v"),
        CLxVariant(123456789.123456789, u"v"),
        CLxVariant(kNaN, u"v"),
        CLxVariant(kInf, u"v"),
        CLxVariant(-kInf, u"v"),
        CLxVariant(true, u"v"),
        CLxVariant(false, u"v"),
        CLxVariant(reinterpret_cast<void*>(UINTPTR_MAX), u"v"),
        CLxVariant(u"", u"v"),
        CLxVariant(nonBmp.c_str(), u"v"),
        CLxVariant(controls.c_str(), u"v"),
        CLxVariant(Bytes("a"), u"v"),
        CLxVariant(LongBytes(), u"v"),
    };
    for (const CLxVariant& value : values) {
        SCOPED_TRACE(RunTypeOf(value) + " " + TextOf(value).substr(0, 40));
        CLxStringW text;
        ASSERT_TRUE(value.Write(text));
        CLxVariant back(value.GetRunType(), u"v");
        back.Read(text);
        EXPECT_TRUE(back == value);
    }
    expectNoReport();
}

// Numbers never take the process locale's decimal comma.
TEST_F(VariantRead, NumbersIgnoreTheProcessLocale)
{
    std::string written;
    double read = 0;
    {
        ScopedCommaLocale comma;
        if (!comma.active())
            LXTEST_SKIP_WITHOUT_TOOL() << "no locale with a decimal comma (localedef, locales)";
        CLxVariant v(0.5, u"v");
        written = TextOf(v);
        v.Read(u"2.25");
        read = v.GetDouble();
    }
    EXPECT_EQ(written, "0.500000000000000");
    EXPECT_EQ(read, 2.25);
}

TEST_F(VariantRead, DoubleTextFormsForOtherWriters)
{
    struct Case {
        double value;
        const char* g;
    } cases[] = {
        {0.1, "0.1"},     {1.0 / 3, "0.3333333333333333"},
        {1e-20, "1e-20"}, {kNaN, "nan"},
        {-kInf, "-inf"},  {123456789012345678.0, "123456789012345680"},
        {0.0, "0"},
    };
    for (const Case& c : cases) {
        CLxStringA text;
        LX_VariantDoubleToTextG(c.value, text);
        EXPECT_EQ(std::string(text.GetString()), c.g);
    }
}

// ---- Assignment.

struct AssignCase {
    const char* label;
    CLxVariant target;
    std::function<void(CLxVariant&)> assign;
    const char* runType; // after the assignment with type change
    const char* text;
    const char* refusal; // the report's message without type change
};

class VariantAssign : public VariantTest
{
};

TEST_F(VariantAssign, OtherRunTypesNeedTypeChange)
{
    const char* plain = "Error: can't do assignment, type change not enabled";
    const AssignCase cases[] = {
        {"int", CLxVariant(0.5, u"v"), [](CLxVariant& v) { v = 3; }, "lx_int32", "3",
         "Error: CLxVariant::operator=, can't do assignment - type change not enabled"},
        {"unsigned", CLxVariant(1, u"v"), [](CLxVariant& v) { v = 3u; }, "lx_uint32", "3", plain},
        {"int64", CLxVariant(1, u"v"), [](CLxVariant& v) { v = lx_int64(-3); }, "lx_int64", "-3",
         "Error: can't do assignment, type change not enabled."},
        {"long long", CLxVariant(1, u"v"), [](CLxVariant& v) { v = -3LL; }, "lx_int64", "-3",
         "Error: can't do assignment, type change not enabled."},
        {"uint64", CLxVariant(1, u"v"), [](CLxVariant& v) { v = UINT64_MAX; }, "lx_uint64",
         "18446744073709551615", plain},
        {"double", CLxVariant(1, u"v"), [](CLxVariant& v) { v = 2.5; }, "double",
         "2.500000000000000", plain},
        {"bool", CLxVariant(1, u"v"), [](CLxVariant& v) { v = true; }, "bool", "true", plain},
        {"pointer", CLxVariant(1, u"v"), [](CLxVariant& v) { v = reinterpret_cast<void*>(0x10); },
         "voidPtr", "10", plain},
        {"string", CLxVariant(1, u"v"), [](CLxVariant& v) { v = CLxStringW(u"s"); }, "CLxStringW",
         "s", plain},
        {"wide text", CLxVariant(1, u"v"), [](CLxVariant& v) { v = u"w"; }, "CLxStringW", "w",
         plain},
        {"narrow text", CLxVariant(1, u"v"), [](CLxVariant& v) { v = "n"; }, "CLxStringW", "n",
         plain},
        {"bytes", CLxVariant(1, u"v"), [](CLxVariant& v) { v = Bytes("abc"); }, "CLxByteArray",
         "YWJj", plain},
        {"list", CLxVariant(1, u"v"),
         [](CLxVariant& v) { v = ListOf(u"l", {CLxVariant(7, u"a")}).GetCLxListVariant(); },
         "CLxListVariant", "7", plain},
        {"int into null", CLxVariant(CLxVariantRunType("unknown"), u"v"),
         [](CLxVariant& v) { v = 3; }, "lx_int32", "3",
         "Error: CLxVariant::operator=, can't do assignment - type change not enabled"},
    };
    for (const AssignCase& c : cases) {
        SCOPED_TRACE(c.label);
        CLxVariant refused(c.target);
        c.assign(refused);
        EXPECT_EQ(report(), (SReport{"!m_enabledTypeChange", c.refusal}));
        EXPECT_TRUE(refused == c.target);

        CLxVariant changed(c.target);
        changed.EnableTypeChange(true);
        c.assign(changed);
        expectNoReport();
        EXPECT_EQ(RunTypeOf(changed), c.runType);
        EXPECT_EQ(TextOf(changed), c.text);
        EXPECT_EQ(NameOf(changed), "v");
        EXPECT_TRUE(changed.IsEnabledTypeChange());
    }
}

TEST_F(VariantAssign, SameRunTypeIsStoredWithoutTypeChange)
{
    CLxVariant v(1, u"v");
    v = INT32_MIN;
    EXPECT_EQ(v.GetLx_int32(), INT32_MIN);
    CLxVariant d(1.0, u"d");
    d = kNaN;
    EXPECT_TRUE(std::isnan(d.GetDouble()));
    CLxVariant list = ListOf(u"l", {CLxVariant(1, u"a")});
    list = ListOf(u"m", {CLxVariant(2, u"b"), CLxVariant(3, u"c")}).GetCLxListVariant();
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(NameOf(list), "l");
    expectNoReport();
}

// A NaN that changes the run type stays a NaN.
TEST_F(VariantAssign, NaNWithTypeChangeIsStoredAsNaN)
{
    CLxVariant v = Changeable(CLxVariant(5, u"v"));
    v = kNaN;
    EXPECT_EQ(RunTypeOf(v), "double");
    EXPECT_TRUE(std::isnan(v.GetDouble()));
    EXPECT_EQ(TextOf(v), "nan");
}

TEST_F(VariantAssign, VariantAssignmentCopiesValueAndRunTypeOnly)
{
    CLxVariant source = Changeable(CLxVariant(2.5, u"source"));
    CLxVariant target(1, u"target");
    target = source;
    EXPECT_EQ(report(), (SReport{"!m_enabledTypeChange",
                                 "Error: can't do assignment from type: double to: lx_int32, type "
                                 "change not enabled!"}));
    EXPECT_EQ(target.GetLx_int32(), 1);

    CLxVariant null;
    null = source;
    EXPECT_EQ(report().message,
              "Error: can't do assignment from type: double to: unknown, type change not enabled!");

    target.EnableTypeChange(true);
    target = source;
    EXPECT_EQ(RunTypeOf(target), "double");
    EXPECT_EQ(NameOf(target), "target");

    CLxVariant same(7.0, u"same");
    same = source;
    EXPECT_EQ(same.GetDouble(), 2.5);
    EXPECT_FALSE(same.IsEnabledTypeChange());
    expectNoReport();
}

TEST_F(VariantAssign, NullSourceNeedsTypeChange)
{
    CLxVariant target(1, u"t");
    target = CLxVariant();
    EXPECT_EQ(report(), (SReport{"m_pData && !m_enabledTypeChange",
                                 "Error: can't do assignment, type change not enabled!"}));
    EXPECT_FALSE(target.IsNull());
    CLxVariant null;
    null = CLxVariant();
    expectNoReport();
    target.EnableTypeChange(true);
    target = CLxVariant();
    EXPECT_TRUE(target.IsNull());
}

TEST_F(VariantAssign, AssigningAMemberToItsOwnTreeIsSafe)
{
    CLxVariant tree =
        Changeable(ListOf(u"root", {ListOf(u"inner", {CLxVariant(1, u"a"), CLxVariant(2, u"b")})}));
    tree = tree[0];
    EXPECT_EQ(tree.GetCount(), 2);
    EXPECT_EQ(tree[u"b"].GetLx_int32(), 2);

    CLxVariant same = ListOf(u"root", {ListOf(u"inner", {CLxVariant(1, u"a")})});
    same = same[0];
    EXPECT_EQ(same.GetCount(), 1);
    EXPECT_EQ(same[0].GetLx_int32(), 1);
    tree = tree;
    EXPECT_EQ(tree.GetCount(), 2);
}

TEST_F(VariantAssign, MakeNullNeedsTypeChange)
{
    CLxVariant v(1, u"v");
    v.MakeNull();
    EXPECT_EQ(report(), (SReport{"!m_enabledTypeChange",
                                 "Error: CLxVariant::MakeNull()), type change not enabled!"}));
    EXPECT_FALSE(v.IsNull());
    v.EnableTypeChange(true);
    v.MakeNull();
    EXPECT_TRUE(v.IsNull());
    EXPECT_EQ(RunTypeOf(v), "unknown");
}

TEST_F(VariantAssign, CopiesAreIndependent)
{
    CLxVariant original = ListOf(u"root", {CLxVariant(u"text", u"s"), CLxVariant(Bytes("ab"), u"b"),
                                           ListOf(u"inner", {CLxVariant(1, u"n")})});
    original.EnableTypeChange(true);
    CLxVariant copy(original);
    EXPECT_TRUE(copy == original);
    EXPECT_TRUE(copy.IsEnabledTypeChange());
    copy[u"s"] = u"changed";
    copy[u"b"] = Bytes("xyz");
    copy[u"inner"][u"n"] = 2;
    copy[u"inner"].Append(CLxVariant(3, u"m"));
    EXPECT_EQ(TextOf(original[u"s"]), "text");
    EXPECT_EQ(TextOf(original[u"b"]), "YWI=");
    EXPECT_EQ(original[u"inner"].GetCount(), 1);
    EXPECT_EQ(original[u"inner"][u"n"].GetLx_int32(), 1);
    EXPECT_FALSE(copy == original);
}

// ---- Holders.

class VariantHolders : public VariantTest
{
};

TEST_F(VariantHolders, CopyBetweenRunTypesIsReportedWithTheHoldersMessage)
{
    CLxVariantDataLx_int32 i32;
    CLxVariantDataLx_uint32 u32;
    CLxVariantDataLx_int64 i64;
    CLxVariantDataLx_uint64 u64;
    CLxVariantDataDouble dbl;
    CLxVariantDataBool bl;
    CLxVariantVoidPtr ptr;
    CLxVariantCLxStringW str;
    CLxVariantCLxByteAray bytes;
    struct Case {
        CLxVariantData* from;
        CLxVariantData* to;
        const char* message;
    } cases[] = {
        {&i32, &u32, "Error: CLxVariantDataLx_int32::GetValueCopy(), incompatible types!"},
        {&u32, &i32, "Error: CLxVariantDataLx_uint32::GetValueCopy, incompatible types!"},
        {&i64, &i32, "Error: CLxVariantDataLx_int64::GetValueCopy, incompatible types!"},
        {&u64, &i32, "Error: CLxVariantDataLx_uint64::GetValueCopy, incompatible types!"},
        {&dbl, &i32, "Error: CLxVariantDataDouble::GetValueCopy, incompatible types!"},
        {&bl, &i32, "Error: CLxVariantDataBool::GetValueCopy, incompatible types!"},
        {&ptr, &i32, "Error: CLxVariantVoidPtr::GetValueCopy, incompatible types!"},
        {&str, &i32, "Error: CLxVariantCLxStringW::GetValueCopy, incompatible types!"},
        {&bytes, &i32, "Error: CLxVariantCLxByteAray::GetValueCopy, incompatible types!"},
    };
    i32.m_value = 9;
    for (const Case& c : cases) {
        c.from->GetValueCopy(*c.to);
        EXPECT_EQ(report(), (SReport{"(data.GetRunType() != GetRunType())", c.message}));
    }
    EXPECT_EQ(i32.m_value, 9);
    CLxVariantDataCLxListVariant list;
    list.GetValueCopy(i32);
    EXPECT_EQ(report(), (SReport{"(GetRunType() != data.GetRunType())",
                                 "Error: CLxVariantDataCLxListVariant::GetValueCopy, can't get to "
                                 "this type of data!"}));
}

TEST_F(VariantHolders, ScalarsKeepTheirRunType)
{
    CLxVariantDataDouble dbl;
    EXPECT_EQ(dbl.SetRunType(CLxVariantRunType("double")), -9);
    expectNoReport();
    EXPECT_EQ(dbl.SetRunType(CLxVariantRunType("lx_int32")), -9);
    EXPECT_EQ(report(), (SReport{"arg != GetRunType()",
                                 "Error: CLxVariantData::SetRunType(), can't set runtype!"}));
    EXPECT_EQ(std::string(dbl.GetRunType().GetName().GetString()), "double");
    EXPECT_FALSE(dbl.IsArray());
    CLxVariantDataCLxListVariant list;
    EXPECT_EQ(list.SetRunType(CLxVariantRunType("RLxAnything")), 0);
    EXPECT_TRUE(list.IsArray());
}

TEST_F(VariantHolders, NewHoldersHoldTheDefault)
{
    CLxVariantDataDouble dbl(2.5);
    CLxVariantData* fresh = dbl.CreateNew();
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(*static_cast<double*>(fresh->GetValuePtr()), 0.0);
    delete fresh;
    CLxVariantCLxByteAray bytes(Bytes("abc"));
    fresh = bytes.CreateNew();
    EXPECT_EQ(static_cast<CLxByteArray*>(fresh->GetValuePtr())->GetSize(), 0u);
    EXPECT_EQ(static_cast<CLxByteArray*>(fresh->GetValuePtr())->GetIncrement(), 1024u);
    delete fresh;
}

// ---- Equality.

class VariantEquality : public VariantTest
{
};

TEST_F(VariantEquality, VariantsOfDifferentRunTypesDiffer)
{
    EXPECT_FALSE(CLxVariant(1, u"a") == CLxVariant(true, u"a"));
    EXPECT_FALSE(CLxVariant(1, u"a") == CLxVariant(1u, u"a"));
    EXPECT_TRUE(CLxVariant(1, u"a") == CLxVariant(1, u"other name"));
    EXPECT_TRUE(CLxVariant() == CLxVariant());
    EXPECT_FALSE(CLxVariant() == CLxVariant(0, u"a"));
    EXPECT_TRUE(CLxVariant(kNaN, u"a") == CLxVariant(kNaN, u"b"));
    EXPECT_TRUE(CLxVariant(0.0, u"a") == CLxVariant(-0.0, u"b"));
    EXPECT_TRUE(CLxVariant(u"x", u"a") != CLxVariant(u"X", u"a"));
    expectNoReport();
}

TEST_F(VariantEquality, DifferingByteArraysAreReported)
{
    EXPECT_TRUE(CLxVariant(Bytes("ab"), u"a") == CLxVariant(Bytes("ab"), u"a"));
    expectNoReport();
    EXPECT_FALSE(CLxVariant(Bytes("ab"), u"a") == CLxVariant(Bytes("ac"), u"a"));
    EXPECT_EQ(report(), (SReport{"otherData.m_value != m_value", ""}));
}

TEST_F(VariantEquality, PlainValuesCompareThroughTheGetter)
{
    EXPECT_TRUE(CLxVariant(1, u"a") == true);
    EXPECT_TRUE(CLxVariant(7, u"a") == u"7");
    EXPECT_TRUE(CLxVariant(7, u"a") == CLxStringW(u"7"));
    EXPECT_TRUE(CLxVariant(u"7", u"a") == 7);
    EXPECT_TRUE(CLxVariant(5.7, u"a") == 5);
    EXPECT_TRUE(CLxVariant(-1, u"a") == UINT32_MAX);
    EXPECT_TRUE(CLxVariant(-1, u"a") == UINT64_MAX);
    EXPECT_TRUE(CLxVariant(kNaN, u"a") == kNaN);
    EXPECT_TRUE(CLxVariant(Bytes("abcd"), u"a") == CLxVariant(Bytes("abcd"), u"b").GetLx_int32());
    EXPECT_TRUE(CLxVariant(5, u"a") != 6);
    expectNoReport();
    EXPECT_FALSE(CLxVariant(reinterpret_cast<void*>(1), u"a") == 1.0);
    EXPECT_EQ(report(), (SReport{"true", "Can't convert to double!"}));
}

TEST_F(VariantEquality, ListValuesCompareWithPlainListsOnly)
{
    CLxVariant list = ListOf(u"l", {CLxVariant(1, u"a"), CLxVariant(2, u"b")});
    CLxListVariant members = list.GetCLxListVariant();
    EXPECT_TRUE(list == members);
    EXPECT_FALSE(CLxVariant(1, u"x") == members);
    EXPECT_EQ(report(), (SReport{"(!m_pData || !m_pData->IsArray())",
                                 "Error: invalid variant type for array operation."}));
}

} // namespace
