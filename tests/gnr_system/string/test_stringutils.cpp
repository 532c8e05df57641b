#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <type_traits>

#include "gnr_system/file_test_support.h"
#include "gnr_system/string/LxStringUtils.h"
#include "string_test_support.h"
#include "test_support.h"

namespace
{

std::string ToBytes(const CLxStringA& s)
{
    return std::string(s.GetString(), size_t(s.GetLength()));
}

// Hex of each byte or unit, so a failing comparison shows the code values.
template <class S> std::string Hex(const S& text)
{
    std::string out;
    char part[8];
    for (auto c : text) {
        snprintf(part, sizeof part, "%s%0*X", out.empty() ? "" : " ", int(sizeof(c) * 2),
                 unsigned(std::make_unsigned_t<decltype(c)>(c)));
        out += part;
    }
    return out;
}

std::string Utf16LeBytes(const std::u16string& text)
{
    std::string bytes;
    for (char16_t u : text) {
        bytes += char(u & 0xFF);
        bytes += char(u >> 8);
    }
    return bytes;
}

std::u16string FromUtf16LeBytes(const std::string& bytes)
{
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += char16_t(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8));
    return text;
}

void AppendCodePoint(std::u16string& text, char32_t cp)
{
    if (cp < 0x10000) {
        text += char16_t(cp);
    } else {
        text += char16_t(0xD800 + ((cp - 0x10000) >> 10));
        text += char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
    }
}

// ---- UTF-16 to UTF-8

struct ToUtf8Case {
    const char* name;
    std::u16string text;
    std::string utf8;
    bool wellFormed;
};

class WtoUTF8Table : public ::testing::TestWithParam<ToUtf8Case>
{
};

TEST_P(WtoUTF8Table, EncodesStandardUtf8)
{
    const ToUtf8Case& c = GetParam();
    CLxStringA out("stale");
    EXPECT_EQ(CLxStringUtils::WtoUTF8(c.text.c_str(), out), c.wellFormed);
    EXPECT_EQ(Hex(ToBytes(out)), Hex(c.utf8));
}

INSTANTIATE_TEST_SUITE_P(
    LxStringUtils, WtoUTF8Table,
    ::testing::Values(ToUtf8Case{"empty", u"", "", true}, ToUtf8Case{"ascii", u"aZ~", "aZ~", true},
                      ToUtf8Case{"e_acute", u"\u00E9", "\xC3\xA9", true},
                      ToUtf8Case{"euro", u"\u20AC", "\xE2\x82\xAC", true},
                      ToUtf8Case{"two_and_three_byte_limits", u"\u0080\u07FF\u0800\uFFFF",
                                 "\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF", true},
                      // A pair is one character of four bytes, not two encoded surrogates.
                      ToUtf8Case{"surrogate_pair", u"\U0001F600", "\xF0\x9F\x98\x80", true},
                      ToUtf8Case{"highest", u"\U0010FFFF", "\xF4\x8F\xBF\xBF", true},
                      ToUtf8Case{"lone_high", std::u16string{0xD800, u'z'}, "\xEF\xBF\xBDz", false},
                      ToUtf8Case{"lone_low", std::u16string{u'a', 0xDC00}, "a\xEF\xBF\xBD", false},
                      ToUtf8Case{"high_at_end", std::u16string{0xD83D}, "\xEF\xBF\xBD", false},
                      ToUtf8Case{"two_highs_then_low", std::u16string{0xD83D, 0xD83D, 0xDE00},
                                 "\xEF\xBF\xBD\xF0\x9F\x98\x80", false}),
    [](const ::testing::TestParamInfo<ToUtf8Case>& info) { return info.param.name; });

TEST(LxStringUtils, WtoUTF8OfNullIsEmpty)
{
    CLxStringA out("stale");
    EXPECT_TRUE(CLxStringUtils::WtoUTF8(nullptr, out));
    EXPECT_TRUE(out.IsEmpty());
}

// ---- UTF-8 to UTF-16

struct FromUtf8Case {
    const char* name;
    std::string utf8;
    std::u16string text;
    bool wellFormed;
};

class UTF8toWTable : public ::testing::TestWithParam<FromUtf8Case>
{
};

// One U+FFFD per maximal ill-formed part; the byte that ends a damaged
// sequence is read again as the start of the next.
TEST_P(UTF8toWTable, DecodesAndReplacesIllFormedParts)
{
    const FromUtf8Case& c = GetParam();
    CLxStringW out(u"stale");
    EXPECT_EQ(CLxStringUtils::UTF8toW(c.utf8.c_str(), out), c.wellFormed);
    EXPECT_EQ(Hex(ToU16(out)), Hex(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    LxStringUtils, UTF8toWTable,
    ::testing::Values(
        FromUtf8Case{"empty", "", u"", true}, FromUtf8Case{"e_acute", "\xC3\xA9", u"\u00E9", true},
        FromUtf8Case{"limits", "\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF",
                     u"\u0080\u07FF\u0800\uFFFF", true},
        FromUtf8Case{"four_bytes_to_pair", "\xF0\x9F\x98\x80", u"\U0001F600", true},
        FromUtf8Case{"highest", "\xF4\x8F\xBF\xBF", u"\U0010FFFF", true},
        FromUtf8Case{"lone_continuation", "\x80", u"\uFFFD", false},
        FromUtf8Case{"cut_at_end", "a\xC3", u"a\uFFFD", false},
        FromUtf8Case{"cut_four_byte", "\xF0\x9F\x98", u"\uFFFD", false},
        FromUtf8Case{"cut_before_ascii", "\xE2\x82Z", u"\uFFFDZ", false},
        FromUtf8Case{"cut_by_new_lead", "\xE2\x82\xC3\xA9", u"\uFFFD\u00E9", false},
        FromUtf8Case{"overlong_two", "\xC0\xAF", u"\uFFFD\uFFFD", false},
        FromUtf8Case{"overlong_three", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD", false},
        FromUtf8Case{"encoded_surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD", false},
        FromUtf8Case{"above_10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD", false},
        FromUtf8Case{"byte_F8", "a\xF8z", u"a\uFFFDz", false},
        FromUtf8Case{"byte_FF", "\xFF", u"\uFFFD", false}),
    [](const ::testing::TestParamInfo<FromUtf8Case>& info) { return info.param.name; });

TEST(LxStringUtils, UTF8toWOfNullIsEmpty)
{
    CLxStringW out(u"stale");
    EXPECT_TRUE(CLxStringUtils::UTF8toW(nullptr, out));
    EXPECT_TRUE(out.IsEmpty());
}

TEST(LxStringUtils, UTF8toWnReadsAtMostMaxBytes)
{
    struct Case {
        const char* text;
        unsigned maxBytes;
        std::u16string expected;
        bool wellFormed;
    } cases[] = {
        {"abc", 2, u"ab", true},
        {"abc", 0, u"", true},
        {"abc", 100, u"abc", true}, // stops at the terminator
        {"\xC3\xA9", 1, u"\uFFFD", false},
        {"\xC3\xA9z", 2, u"\u00E9", true},
        {"\xF0\x9F\x98\x80", 3, u"\uFFFD", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " max " + std::to_string(c.maxBytes));
        CLxStringW out(u"stale");
        EXPECT_EQ(CLxStringUtils::UTF8toWn(c.text, out, c.maxBytes), c.wellFormed);
        EXPECT_EQ(ToU16(out), c.expected);
    }
}

TEST(LxStringUtils, UTF8toWnStopsAtZeroByteWithinMax)
{
    const char text[] = {'a', 0, 'b', 0};
    CLxStringW out;
    EXPECT_TRUE(CLxStringUtils::UTF8toWn(text, out, 3));
    EXPECT_EQ(ToU16(out), u"a");
}

// ---- Agreement with iconv

class LxStringUtilsIconv : public ::testing::Test
{
  protected:
    // iconv's UTF-8 for the UTF-16 text.
    std::string IconvUtf8(const std::u16string& text)
    {
        const auto in = m_dir.path() / "in.utf16le";
        const auto out = m_dir.path() / "out.utf8";
        WriteFile(in, Utf16LeBytes(text));
        const std::string command =
            "iconv -f UTF-16LE -t UTF-8 '" + in.string() + "' > '" + out.string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return ReadFile(out);
    }

    // iconv's UTF-16 for the UTF-8 text.
    std::u16string IconvUtf16(const std::string& utf8)
    {
        const auto in = m_dir.path() / "in.utf8";
        const auto out = m_dir.path() / "out.utf16le";
        WriteFile(in, utf8);
        const std::string command =
            "iconv -f UTF-8 -t UTF-16LE '" + in.string() + "' > '" + out.string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return FromUtf16LeBytes(ReadFile(out));
    }

    void ExpectRoundTripAsIconv(const std::u16string& text)
    {
        CLxStringA utf8;
        ASSERT_TRUE(CLxStringUtils::WtoUTF8(text.c_str(), utf8));
        const std::string expected = IconvUtf8(text);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(ToBytes(utf8), expected);

        CLxStringW back;
        EXPECT_TRUE(CLxStringUtils::UTF8toW(expected.c_str(), back));
        EXPECT_EQ(ToU16(back), text);
        EXPECT_EQ(ToU16(back), IconvUtf16(expected));
    }

    ScopedTempDir m_dir;
};

TEST_F(LxStringUtilsIconv, BmpCharacters)
{
    std::u16string text;
    for (char32_t cp : {0x41, 0x7F, 0x80, 0xE9, 0x7FF, 0x800, 0x20AC, 0x4E2D, 0xD7FF, 0xE000,
                        0xFEFF, 0xFFFD, 0xFFFF})
        AppendCodePoint(text, cp);
    ExpectRoundTripAsIconv(text);
}

TEST_F(LxStringUtilsIconv, NonBmpCharacters)
{
    std::u16string text;
    for (char32_t cp : {0x10000, 0x1D11E, 0x1F600, 0x20000, 0xE0001, 0x10FFFF})
        AppendCodePoint(text, cp);
    ExpectRoundTripAsIconv(text);
}

// The private-use characters that symbol fonts use, in the BMP (U+F000 to
// U+F0FF) and in plane 15 (U+F0000 to U+F00FF).
TEST_F(LxStringUtilsIconv, PrivateUseF00xxCharacters)
{
    std::u16string text;
    for (char32_t cp = 0xF000; cp <= 0xF0FF; ++cp)
        AppendCodePoint(text, cp);
    for (char32_t cp = 0xF0000; cp <= 0xF00FF; ++cp)
        AppendCodePoint(text, cp);
    ExpectRoundTripAsIconv(text);
}

TEST_F(LxStringUtilsIconv, RandomCharactersOfAllPlanes)
{
    std::mt19937 random(20240611);
    std::uniform_int_distribution<uint32_t> codePoint(1, 0x10FFFF);
    std::u16string text;
    while (text.size() < 20000) {
        const char32_t cp = codePoint(random);
        if (cp < 0xD800 || cp > 0xDFFF)
            AppendCodePoint(text, cp);
    }
    ExpectRoundTripAsIconv(text);
}

// ---- UTF-16 copies

TEST(LxStringUtils, WtoUTF16ReportsSizeThenCopies)
{
    const char16_t text[] = u"abc";
    int len = 0;
    EXPECT_TRUE(CLxStringUtils::WtoUTF16(text, nullptr, len));
    EXPECT_EQ(len, 4);

    char16_t dst[6] = {u'x', u'x', u'x', u'x', u'x', u'x'};
    len = 3;
    EXPECT_FALSE(CLxStringUtils::WtoUTF16(text, dst, len));
    EXPECT_EQ(dst[0], u'x'); // nothing written

    len = 4;
    EXPECT_TRUE(CLxStringUtils::WtoUTF16(text, dst, len));
    EXPECT_EQ(std::u16string(dst), u"abc");
    EXPECT_EQ(dst[4], u'x');

    len = 0;
    EXPECT_TRUE(CLxStringUtils::WtoUTF16(nullptr, nullptr, len));
    EXPECT_EQ(len, 1);
}

TEST(LxStringUtils, UTF16toWTable)
{
    const char16_t pair[] = {u'a', 0xD83D, 0xDE00, u'b', 0};
    const char16_t loneLow[] = {0xDC00, u'a', 0};
    const char16_t highThenAscii[] = {u'a', 0xD83D, u'b', 0};
    const char16_t withZero[] = {u'a', 0, u'b', 0};
    struct Case {
        const char* name;
        const char16_t* text;
        int n;
        std::u16string expected;
        bool ok;
    } cases[] = {
        {"terminated", u"abc", -1, u"abc", true},
        {"counted", u"abc", 2, u"ab", true},
        {"zero_count", u"abc", 0, u"", true},
        {"negative_count", u"abc", -5, u"", true},
        {"stops_at_zero", withZero, 3, u"a", true},
        {"pair_kept", pair, -1, std::u16string(pair), true},
        {"lone_low_first", loneLow, -1, u"", false},
        {"high_without_low", highThenAscii, -1, u"a", false},
        {"pair_cut_by_count", pair, 2, u"a", false},
        {"null_terminated", nullptr, -1, u"", true},
        {"null_counted", nullptr, 3, u"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CLxStringW out(u"stale");
        EXPECT_EQ(CLxStringUtils::UTF16toW(c.text, c.n, out), c.ok);
        EXPECT_EQ(Hex(ToU16(out)), Hex(c.expected));
    }
}

// ---- Numbers

constexpr int kIntUntouched = 12345;
constexpr unsigned kUnsignedUntouched = 54321;

struct NumberCase {
    const char* text;
    bool intRead;
    int intValue;
    bool unsignedRead;
    unsigned unsignedValue;
};

const NumberCase kNumberCases[] = {
    {"42", true, 42, true, 42},
    {" \t\n42", true, 42, true, 42},
    {"+7", true, 7, true, 7},
    {"-7", true, -7, false, 0},
    {"0", true, 0, true, 0},
    {"12abc", true, 12, true, 12},
    {"0x10", true, 0, true, 0},
    {"1.5", true, 1, true, 1},
    {"", false, 0, false, 0},
    {"abc", false, 0, false, 0},
    {"-", false, 0, false, 0},
    {"+ 1", false, 0, false, 0},
    {"2147483647", true, 2147483647, true, 2147483647u},
    {"-2147483648", true, -2147483647 - 1, false, 0},
    {"2147483648", false, 0, true, 2147483648u},
    {"-2147483649", false, 0, false, 0},
    {"4294967295", false, 0, true, 4294967295u},
    {"4294967296", false, 0, false, 0},
    {"99999999999999999999999", false, 0, false, 0},
};

// The four forms answer the same table; a value is written only when read.
template <class Text> void CheckNumbers(const Text& (*make)(const char*, Text&))
{
    for (const NumberCase& c : kNumberCases) {
        SCOPED_TRACE(c.text);
        Text holder;
        const Text& text = make(c.text, holder);
        int i = kIntUntouched;
        EXPECT_EQ(CLxStringUtils::ToNumber(text, i), c.intRead);
        EXPECT_EQ(i, c.intRead ? c.intValue : kIntUntouched);
        unsigned u = kUnsignedUntouched;
        EXPECT_EQ(CLxStringUtils::ToNumber(text, u), c.unsignedRead);
        EXPECT_EQ(u, c.unsignedRead ? c.unsignedValue : kUnsignedUntouched);
    }
}

TEST(LxStringUtils, ToNumberWide)
{
    CheckNumbers<CLxStringW>([](const char* t, CLxStringW& s) -> const CLxStringW& {
        s = CLxStringW(U16(t).c_str());
        return s;
    });
}

TEST(LxStringUtils, ToNumberNarrow)
{
    CheckNumbers<CLxStringA>([](const char* t, CLxStringA& s) -> const CLxStringA& {
        s = CLxStringA(t);
        return s;
    });
}

TEST(LxStringUtils, NoEncodingServices)
{
    EXPECT_TRUE(CLxStringUtils::GuessEncoding(CLxStringW(u"text")).IsEmpty());
    EXPECT_TRUE(CLxStringUtils::GuessEncoding("text", 4).IsEmpty());

    CLxStringW wide(u"kept");
    EXPECT_FALSE(CLxStringUtils::Binary2Wide("ab", 2, wide, "UTF-8"));
    EXPECT_EQ(ToU16(wide), u"kept");
    CLxStringA narrow("kept");
    EXPECT_FALSE(CLxStringUtils::Wide2Binary(u"ab", narrow, "UTF-8"));
    EXPECT_EQ(ToBytes(narrow), "kept");
}

} // namespace
