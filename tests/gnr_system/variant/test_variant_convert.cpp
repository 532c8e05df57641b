// The typed getters: one table of sources, one of conversions.
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <sstream>
#include <string>

#include "variant_test_support.h"

namespace
{
CLxByteArray Bytes(const std::string& bytes)
{
    return CLxByteArray(bytes.data(), uint32_t(bytes.size()), 1024);
}

std::map<std::string, CLxVariant> Sources()
{
    std::map<std::string, CLxVariant> s;
    s.emplace("i32 -5", CLxVariant(-5, u"v"));
    s.emplace("i32 0", CLxVariant(0, u"v"));
    s.emplace("u32 max", CLxVariant(UINT32_MAX, u"v"));
    s.emplace("i64 2^32+5", CLxVariant(lx_int64(4294967301LL), u"v"));
    s.emplace("i64 min", CLxVariant(INT64_MIN, u"v"));
    s.emplace("u64 max", CLxVariant(UINT64_MAX, u"v"));
    s.emplace("u64 2^32+5", CLxVariant(lx_uint64(4294967301ULL), u"v"));
    s.emplace("dbl -2.7", CLxVariant(-2.7, u"v"));
    s.emplace("dbl 1e300", CLxVariant(1e300, u"v"));
    s.emplace("dbl nan", CLxVariant(std::numeric_limits<double>::quiet_NaN(), u"v"));
    s.emplace("dbl 0", CLxVariant(0.0, u"v"));
    s.emplace("bool true", CLxVariant(true, u"v"));
    s.emplace("ptr ff", CLxVariant(reinterpret_cast<void*>(0xff), u"v"));
    s.emplace("ptr null", CLxVariant(static_cast<void*>(nullptr), u"v"));
    s.emplace("str 42", CLxVariant(u"42", u"v"));
    s.emplace("str -1", CLxVariant(u"-1", u"v"));
    s.emplace("str 2.5", CLxVariant(u"2.5", u"v"));
    s.emplace("str abc", CLxVariant(u"abc", u"v"));
    s.emplace("str true", CLxVariant(u"true", u"v"));
    s.emplace("str TRUE", CLxVariant(u"TRUE", u"v"));
    s.emplace("bytes 3", CLxVariant(Bytes("\x01\x02\x03"), u"v"));
    s.emplace("bytes 8", CLxVariant(Bytes("\x01\x02\x03\x04\x05\x06\x07\x08"), u"v"));
    s.emplace("bytes 0x00", CLxVariant(Bytes(std::string(1, '\0')), u"v"));
    s.emplace("bytes none", CLxVariant(CLxByteArray(), u"v"));
    s.emplace("null", CLxVariant());
    s.emplace("list", ListOf(u"l", {CLxVariant(1, u"a"), CLxVariant(), CLxVariant(2, u"b")}));
    return s;
}

double EightBytesAsDouble()
{
    const uint64_t bits = 0x0807060504030201ULL;
    double d;
    memcpy(&d, &bits, sizeof d);
    return d;
}

std::string Str(double d)
{
    std::ostringstream out;
    out.precision(17);
    out << d;
    return out.str();
}

std::string Hex(const CLxByteArray& a)
{
    std::string out = std::to_string(a.GetIncrement()) + ":";
    for (uint32_t i = 0; i < a.GetSize(); ++i) {
        char byte[4];
        snprintf(byte, sizeof byte, "%02x", a.GetData()[i]);
        out += byte;
    }
    return out;
}

// The getter's result as text.
std::string Get(const CLxVariant& v, const std::string& getter, bool* ok)
{
    if (getter == "int32")
        return std::to_string(v.GetLx_int32(ok));
    if (getter == "uint32")
        return std::to_string(v.GetLx_uint32(ok));
    if (getter == "int64")
        return std::to_string(v.GetLx_int64(ok));
    if (getter == "uint64")
        return std::to_string(v.GetLx_uint64(ok));
    if (getter == "double")
        return Str(v.GetDouble(ok));
    if (getter == "bool")
        return v.GetBool(ok) ? "true" : "false";
    if (getter == "ptr")
        return std::to_string(reinterpret_cast<uintptr_t>(v.GetVoidPtr(ok)));
    if (getter == "bytes")
        return Hex(v.GetCLxByteArray(ok));
    if (getter == "text")
        return U8(v.GetCLxStringW(ok).GetString());
    return "?";
}

struct ConversionCase {
    const char* getter;
    const char* source;
    std::string result;
    bool ok;
    const char* report; // message of the report, null when none
};

class VariantConvert : public VariantTest
{
};

TEST_F(VariantConvert, GettersFollowTheConversionTable)
{
    const char* toI32 = "Can't convert to lx_int32!";
    const char* toU32 = "Can't convert to lx_uint32!";
    const char* toI64 = "Can't convert to lx_int64!";
    const char* toU64 = "Can't convert to lx_uint64!";
    const char* toDbl = "Can't convert to double!";
    const char* toBool = "Can't convert to bool!";
    const char* toPtr = "Can't convert to void*!";
    const char* toBytes = "Can't convert to CLxByteArray!";
    const ConversionCase cases[] = {
        {"int32", "i32 -5", "-5", true, nullptr},
        {"int32", "u32 max", "-1", true, nullptr},
        {"int32", "i64 2^32+5", "5", true, nullptr},
        {"int32", "u64 2^32+5", "5", true, nullptr},
        {"int32", "dbl -2.7", "-2", true, nullptr},
        {"int32", "dbl 1e300", "2147483647", true, nullptr},
        {"int32", "dbl nan", "0", true, nullptr},
        {"int32", "bool true", "1", true, nullptr},
        {"int32", "ptr ff", "255", true, nullptr},
        {"int32", "str 42", "42", true, nullptr},
        {"int32", "str abc", "0", true, nullptr},
        {"int32", "bytes 8", "67305985", true, nullptr},
        {"int32", "bytes 3", "-1", false, nullptr},
        {"int32", "null", "-1", false, toI32},
        {"int32", "list", "-1", false, toI32},

        {"uint32", "i32 -5", "4294967291", true, nullptr},
        {"uint32", "i64 2^32+5", "5", true, nullptr},
        {"uint32", "dbl -2.7", "4294967294", true, nullptr},
        {"uint32", "str -1", "4294967295", true, nullptr},
        {"uint32", "bytes 8", "67305985", true, nullptr},
        {"uint32", "bytes 3", "0", false, nullptr},
        {"uint32", "null", "0", false, toU32},

        {"int64", "i32 -5", "-5", true, nullptr},
        {"int64", "u32 max", "4294967295", true, nullptr},
        {"int64", "u64 max", "-1", true, nullptr},
        {"int64", "dbl 1e300", "9223372036854775807", true, nullptr},
        {"int64", "ptr ff", "255", true, nullptr},
        {"int64", "str -1", "-1", true, nullptr},
        {"int64", "bytes 8", "578437695752307201", true, nullptr},
        {"int64", "bytes 3", "-1", false, nullptr},
        {"int64", "list", "-1", false, toI64},

        {"uint64", "i32 -5", "18446744073709551611", true, nullptr},
        {"uint64", "u32 max", "4294967295", true, nullptr},
        {"uint64", "i64 min", "9223372036854775808", true, nullptr},
        {"uint64", "dbl -2.7", "18446744073709551614", true, nullptr},
        {"uint64", "dbl 1e300", "18446744073709551615", true, nullptr},
        {"uint64", "str -1", "18446744073709551615", true, nullptr},
        {"uint64", "bytes 3", "0", false, nullptr},
        {"uint64", "null", "0", false, toU64},

        {"double", "i32 -5", "-5", true, nullptr},
        {"double", "u64 max", "1.8446744073709552e+19", true, nullptr},
        {"double", "bool true", "1", true, nullptr},
        {"double", "str 2.5", "2.5", true, nullptr},
        {"double", "str abc", "0", true, nullptr},
        {"double", "bytes 8", Str(EightBytesAsDouble()), true, nullptr},
        {"double", "bytes 3", "0", false, nullptr},
        {"double", "ptr ff", "0", false, toDbl},
        {"double", "null", "0", false, toDbl},

        {"bool", "bool true", "true", true, nullptr},
        {"bool", "i32 -5", "true", true, nullptr},
        {"bool", "i32 0", "false", true, nullptr},
        {"bool", "dbl 0", "false", true, nullptr},
        {"bool", "dbl nan", "true", true, nullptr},
        {"bool", "ptr null", "false", true, nullptr},
        {"bool", "ptr ff", "true", true, nullptr},
        {"bool", "str true", "true", true, nullptr},
        {"bool", "str TRUE", "false", true, nullptr},
        {"bool", "bytes 3", "true", true, nullptr},
        {"bool", "bytes 0x00", "false", true, nullptr},
        {"bool", "bytes none", "false", false, nullptr},
        {"bool", "list", "false", false, toBool},

        {"ptr", "ptr ff", "255", true, nullptr},
        {"ptr", "i32 -5", "0", false, toPtr},
        {"ptr", "str 42", "0", false, toPtr},
        {"ptr", "null", "0", false, toPtr},

        {"bytes", "bytes 3", "1024:010203", true, nullptr},
        {"bytes", "i32 -5", "1024:fbffffff", true, nullptr},
        {"bytes", "dbl 0", "1024:", false, toBytes},
        {"bytes", "null", "1024:", false, toBytes},

        {"text", "i32 -5", "-5", true, nullptr},
        {"text", "u64 max", "18446744073709551615", true, nullptr},
        {"text", "dbl -2.7", "-2.700000000000000", true, nullptr},
        {"text", "list", "1  2", true, nullptr},
        {"text", "bytes none", "", false, nullptr},
        {"text", "null", "", false, nullptr},
    };
    std::map<std::string, CLxVariant> sources = Sources();
    for (const ConversionCase& c : cases) {
        SCOPED_TRACE(std::string(c.getter) + " of " + c.source);
        ASSERT_EQ(sources.count(c.source), 1u);
        bool ok = !c.ok;
        EXPECT_EQ(Get(sources.at(c.source), c.getter, &ok), c.result);
        EXPECT_EQ(ok, c.ok);
        if (c.report)
            EXPECT_EQ(report(), (SReport{"true", c.report}));
        else
            expectNoReport();
        // The flag is optional.
        EXPECT_EQ(Get(sources.at(c.source), c.getter, nullptr), c.result);
        reports();
    }
}

TEST_F(VariantConvert, PointerOfAByteArrayIsTheAddressOfItsBytes)
{
    CLxVariant v(Bytes("abc"), u"v");
    bool ok = false;
    void* p = v.GetVoidPtr(&ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(p, static_cast<CLxByteArray*>(v.GetValueVoidPtr())->GetData());
    EXPECT_EQ(std::string(static_cast<const char*>(p), 3), "abc");
}

TEST_F(VariantConvert, ConversionOperatorsUseTheGetters)
{
    CLxVariant v(u"12", u"v");
    int i = v;
    double d = v;
    lx_uint64 u = v;
    CLxStringW text = v;
    EXPECT_EQ(i, 12);
    EXPECT_EQ(d, 12.0);
    EXPECT_EQ(u, 12u);
    EXPECT_EQ(U8(text.GetString()), "12");
    EXPECT_TRUE(bool(CLxVariant(u"true", u"v")));
    expectNoReport();
}

TEST_F(VariantConvert, ListSequenceOfANonListIsAnEmptySequence)
{
    CLxVariant scalar(1, u"v");
    bool ok = true;
    CLxListVariant& empty = scalar.GetCLxListVariant(&ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(empty.Number(), 0);
    empty.Append(CLxVariant(1, u"stray"));
    EXPECT_EQ(scalar.GetCLxListVariant().Number(), 0);
    CLxVariant list = ListOf(u"l", {CLxVariant(1, u"a")});
    EXPECT_EQ(list.GetCLxListVariant(&ok).Number(), 1);
    EXPECT_TRUE(ok);
    expectNoReport();
}

} // namespace
