#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include "test_support.h"
#include "w32_system/LxNumberLocale.h"
#include "w32_system/LxStrHelpers.h"

namespace
{

int Sign(int v)
{
    return (v > 0) - (v < 0);
}

TEST(LxStrHelpers, NarrowCaseInsensitiveCompare)
{
    struct Case {
        const char* a;
        const char* b;
        int sign;
    } cases[] = {
        {"abc", "ABC", 0},
        {"abc", "abd", -1},
        {"ABD", "abc", 1},
        {"a", "ab", -1},
        {"", "", 0},
        {"Z", "a", 1},
        {"_", "A", -1},               // folded to lower case: '_' < 'a'
        {"\xC3\x89", "\xC3\xA9", -1}, // non-ASCII bytes are not folded
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Sign(LX_stricmp(c.a, c.b)), c.sign) << c.a << " / " << c.b;
        EXPECT_EQ(Sign(LX_stricmp(c.b, c.a)), -c.sign) << c.b << " / " << c.a;
    }
    EXPECT_EQ(LX_strnicmp("abcX", "ABCy", 3), 0);
    EXPECT_LT(LX_strnicmp("abcX", "ABCy", 4), 0);
    EXPECT_EQ(LX_strnicmp("abc", "xyz", 0), 0);
    EXPECT_EQ(LX_strnicmp("ab", "AB", 10), 0);
    EXPECT_EQ(LX_stricmp(nullptr, nullptr), 0);
    EXPECT_LT(LX_stricmp(nullptr, ""), 0);
    EXPECT_GT(LX_strnicmp("", nullptr, 1), 0);
}

TEST(LxStrHelpers, WideCaseInsensitiveCompare)
{
    EXPECT_EQ(LX_wcsicmp(u"\u00C4bC", u"\u00E4Bc"), 0);
    EXPECT_LT(LX_wcsicmp(u"abc", u"ABD"), 0);
    EXPECT_GT(LX_wcsicmp(u"abcd", u"ABC"), 0);
    EXPECT_EQ(LX_wcsnicmp(u"\u03A9mega", u"\u03C9MEGA-x", 5), 0);
    EXPECT_NE(LX_wcsnicmp(u"\u03A9mega", u"\u03C9MEGA-x", 6), 0);
    EXPECT_EQ(LX_wcsicmp(nullptr, nullptr), 0);
    EXPECT_LT(LX_wcsnicmp(nullptr, u"a", 1), 0);
    EXPECT_GT(LX_wcsicmp(u"", nullptr), 0);
}

TEST(LxStrHelpers, IntegerToTextInAnyRadix)
{
    struct Case {
        int value;
        int radix;
        const char16_t* expected;
    } cases[] = {
        {0, 10, u"0"},
        {-123, 10, u"-123"},
        {INT_MIN, 10, u"-2147483648"},
        {INT_MAX, 10, u"2147483647"},
        {-1, 16, u"ffffffff"},
        {-1, 2, u"11111111111111111111111111111111"},
        {-1, 8, u"37777777777"},
        {255, 2, u"11111111"},
        {35, 36, u"z"},
        {123, 1, u""},
        {123, 37, u""},
    };
    for (const Case& c : cases) {
        char16_t buffer[34];
        std::fill(std::begin(buffer), std::end(buffer), u'x');
        EXPECT_EQ(LX_itow(c.value, buffer, c.radix), buffer);
        EXPECT_EQ(std::u16string(buffer), c.expected) << c.value << " radix " << c.radix;
    }
    EXPECT_EQ(LX_itow(5, nullptr, 10), nullptr);
}

TEST(LxStrHelpers, TextToInteger)
{
    EXPECT_EQ(LX_wtoi(u"  -42abc"), -42);
    EXPECT_EQ(LX_wtoi(u"+7"), 7);
    EXPECT_EQ(LX_wtoi(u"abc"), 0);
    EXPECT_EQ(LX_wtoi(u"99999999999"), INT_MAX);
    EXPECT_EQ(LX_wtoi(nullptr), 0);
}

TEST(LxStrHelpers, TextToDoubleSetsEnd)
{
    struct Case {
        const char16_t* text;
        double value;
        size_t used;
    } cases[] = {
        {u"3.5", 3.5, 3}, {u"  -1e3x", -1000, 6},
        {u"abc", 0, 0},   {u"1,5", 1, 1},
        {u"0x10", 16, 4}, {u".5", 0.5, 2},
        {u"1e", 1, 1},    {u"5\u00E9", 5, 1},
        {u"", 0, 0},      {u"\t+2.25 rest", 2.25, 6},
        {u"-", 0, 0},     {u"1e999", HUGE_VAL, 5},
    };
    for (const Case& c : cases) {
        char16_t* end = nullptr;
        EXPECT_EQ(LX_wstrtod(c.text, &end), c.value) << U8(c.text);
        EXPECT_EQ(end, c.text + c.used) << U8(c.text);
    }
    char16_t* end = nullptr;
    EXPECT_TRUE(std::isinf(LX_wstrtod(u"-inf", &end)));
    EXPECT_TRUE(std::isnan(LX_wstrtod(u"nan(123)", &end)));
    EXPECT_EQ(LX_wstrtod(u"8", nullptr), 8);
    EXPECT_EQ(LX_wstrtod(nullptr, &end), 0);
    EXPECT_EQ(end, nullptr);
}

TEST(LxStrHelpers, UnboundedFormatting)
{
    char16_t buffer[32];
    EXPECT_EQ(LX_swprintf(buffer, u"%s=%d %hs", u"a", 5, "z"), 5);
    EXPECT_EQ(std::u16string(buffer), u"a=5 z");
    EXPECT_EQ(LX_swprintf(nullptr, u"%d", 1), -1);
    EXPECT_EQ(LX_swprintf(buffer, u"%y"), -1);
}

struct Conv64Case {
    const char* format;
    const char* expected;
    int result;
};

const Conv64Case kConv64Cases[] = {
    {"%lld %llu", "%I64d %I64u", 1}, {"%d", "%d", 0},
    {"%I64d", "%I64d", 1},           {"%-10lld|%5.2llx", "%-10I64d|%5.2I64x", 1},
    {"all %lld", "all %I64d", 1}, // literal text keeps its "ll"
    {"100%% ll", "100%% ll", 0},     {"%ld %s", "%ld %s", 0},
    {"%%lld", "%%lld", 0},           {"", "", 0},
};

TEST(LxStrHelpers, Conv64FmtSpecNarrow)
{
    for (const Conv64Case& c : kConv64Cases) {
        char buffer[64];
        strcpy(buffer, c.format);
        EXPECT_EQ(LX_Conv64FmtSpecA(buffer), c.result != 0) << c.format;
        EXPECT_STREQ(buffer, c.expected);

        // Bounded: exactly enough room, then one unit less.
        size_t needed = strlen(c.expected) + 1;
        strcpy(buffer, c.format);
        EXPECT_EQ(LX_Conv64FmtSpecExA(buffer, needed), c.result) << c.format;
        EXPECT_STREQ(buffer, c.expected);
        strcpy(buffer, c.format);
        EXPECT_EQ(LX_Conv64FmtSpecExA(buffer, needed - 1), -4) << c.format;
        EXPECT_STREQ(buffer, c.format);
    }
    EXPECT_EQ(LX_Conv64FmtSpecExA(nullptr, 10), -4);
    EXPECT_FALSE(LX_Conv64FmtSpecA(nullptr));
}

TEST(LxStrHelpers, Conv64FmtSpecWide)
{
    for (const Conv64Case& c : kConv64Cases) {
        std::u16string format = U16(c.format), expected = U16(c.expected);
        char16_t buffer[64];
        std::char_traits<char16_t>::copy(buffer, format.c_str(), format.size() + 1);
        EXPECT_EQ(LX_Conv64FmtSpecW(buffer), c.result != 0) << c.format;
        EXPECT_EQ(std::u16string(buffer), expected);

        std::char_traits<char16_t>::copy(buffer, format.c_str(), format.size() + 1);
        EXPECT_EQ(LX_Conv64FmtSpecExW(buffer, expected.size()), -4) << c.format;
        EXPECT_EQ(std::u16string(buffer), format);
        EXPECT_EQ(LX_Conv64FmtSpecExW(buffer, expected.size() + 1), c.result) << c.format;
        EXPECT_EQ(std::u16string(buffer), expected);
    }
}

// Runs a test under the given separators and restores the real locale's.
class NumberLocale : public testing::Test
{
  protected:
    void Use(const char16_t* decimalSep, const char16_t* thousandsSep = u"")
    {
        LX_SetNumberLocaleOverride(decimalSep, thousandsSep);
    }
    void TearDown() override { LX_SetNumberLocaleOverride(nullptr, nullptr); }
};

TEST_F(NumberLocale, DefaultsToTheCLocale)
{
    // The tests run in the "C" locale.
    SLxNumberLocale locale = LX_GetNumberLocale();
    EXPECT_EQ(locale.wsDecimalSep, u".");
    Use(u",", u".");
    EXPECT_EQ(LX_GetNumberLocale().wsDecimalSep, u",");
    EXPECT_EQ(LX_GetNumberLocale().wsThousandsSep, u".");
    LX_SetNumberLocaleOverride(nullptr, nullptr);
    EXPECT_EQ(LX_GetNumberLocale().wsDecimalSep, u".");
}

TEST_F(NumberLocale, StringToDouble)
{
    struct Case {
        const char16_t* separator;
        const char16_t* text;
        bool ok;
        double value;
    } cases[] = {
        {u",", u"3,5", true, 3.5},
        {u",", u"1.5", true, 1.5}, // no separator in the text: read as it is
        {u",", u"  -2,25xyz", true, -2.25},
        {u",", u"abc", false, 0},
        {u",", u"", false, 0},
        {u".", u"3.5", true, 3.5},
        {u".", u"3,5", true, 3},
        {u"\u066B", u"3\u066B5", true, 3.5}, // a separator that is not ASCII
        {u".", u"1e-3", true, 0.001},
    };
    for (const Case& c : cases) {
        Use(c.separator);
        double value = -99;
        EXPECT_EQ(LX_StringToDouble(c.text, &value), c.ok) << U8(c.text);
        EXPECT_EQ(value, c.ok ? c.value : -99) << U8(c.text);
    }
    double value = 0;
    EXPECT_FALSE(LX_StringToDouble(nullptr, &value));
    EXPECT_FALSE(LX_StringToDouble(u"1", nullptr));
}

struct DoubleTextCase {
    double value;
    int decimals;
    bool trim;
    const char* point;
    const char* comma;
};

const DoubleTextCase kDoubleTextCases[] = {
    {2.5, 3, true, "2.5", "2,5"},
    {2.5, 3, false, "2.500", "2,500"},
    {0.00001, 2, true, "1e-5", "1e-5"}, // shorter than 0.00001
    {0.00001, 2, false, "1e-5", "1e-5"},
    {0.05, 0, true, "0.05", "0,05"}, // 5e-2 is not shorter
    {-0.05, 0, true, "-0.05", "-0,05"},
    {0.05, 0, false, "0.05", "0,05"},
    {0.004, 2, true, "4e-3", "4e-3"},
    {1234567.0, 0, true, "1234567", "1234567"}, // no grouping
    {1234567.26, 1, true, "1234567.3", "1234567,3"},
    {0.0, 3, true, "0", "0"},
    {-0.0, 3, false, "0", "0"},
    {100.0, 2, true, "100", "100"},
    {100.0, 2, false, "100.00", "100,00"},
    {2.0, 3, false, "2.000", "2,000"},
    {-1.1, 1, true, "-1.1", "-1,1"},
    {-1.1, 4, false, "-1.1000", "-1,1000"},
    {1e-300, 2, true, "1e-300", "1e-300"},
    {-1e-300, 2, true, "-1e-300", "-1e-300"},
    {0.5, 0, true, "0.5", "0,5"},
    {1.5, 0, true, "2", "2"},
    {123.456, 2, true, "123.46", "123,46"},
};

TEST_F(NumberLocale, DoubleToString)
{
    for (const DoubleTextCase& c : kDoubleTextCases) {
        for (bool comma : {false, true}) {
            Use(comma ? u"," : u".");
            char16_t buffer[64];
            EXPECT_TRUE(LX_DoubleToStringEx(c.value, c.decimals, buffer, 64, c.trim));
            EXPECT_EQ(U8(buffer), comma ? c.comma : c.point)
                << c.value << " decimals " << c.decimals << " trim " << c.trim;
            if (c.trim) {
                EXPECT_TRUE(LX_DoubleToString(c.value, c.decimals, buffer, 64));
                EXPECT_EQ(U8(buffer), comma ? c.comma : c.point);
            }
        }
    }
}

TEST_F(NumberLocale, DoubleToStringFailures)
{
    char16_t buffer[8];
    auto failsEmpty = [&](double value, int decimals, int size) {
        std::fill(std::begin(buffer), std::end(buffer), u'x');
        bool ok = LX_DoubleToString(value, decimals, buffer, size);
        return !ok && buffer[0] == 0 && buffer[size - 1] == 0;
    };
    EXPECT_TRUE(failsEmpty(2.5, -1, 8));
    EXPECT_TRUE(failsEmpty(HUGE_VAL, 2, 8));
    EXPECT_TRUE(failsEmpty(-HUGE_VAL, 2, 8));
    EXPECT_TRUE(failsEmpty(std::nan(""), 2, 8));
    // "2.500" needs 6 units before trimming, even though "2.5" would fit.
    EXPECT_TRUE(failsEmpty(2.5, 3, 5));
    EXPECT_TRUE(LX_DoubleToString(2.5, 3, buffer, 6));
    EXPECT_EQ(U8(buffer), "2.5");
    EXPECT_TRUE(failsEmpty(0.0, 2, 1));
    EXPECT_TRUE(LX_DoubleToString(0.0, 2, buffer, 2));
    EXPECT_EQ(U8(buffer), "0");
    // Huge decimals with a small buffer fail at once.
    EXPECT_TRUE(failsEmpty(1.0, INT_MAX, 8));
    // The localised text must fit as well.
    Use(u"<s>");
    EXPECT_TRUE(failsEmpty(1.25, 2, 6));
    EXPECT_TRUE(LX_DoubleToString(1.25, 2, buffer, 7));
    EXPECT_EQ(U8(buffer), "1<s>25");
    EXPECT_FALSE(LX_DoubleToString(1.0, 2, nullptr, 8));
    EXPECT_FALSE(LX_DoubleToString(1.0, 2, buffer, 0));
}

TEST(LxCodePage, WideToNarrow)
{
    // "é日😀": 2 + 3 + 4 bytes.
    const char16_t* text = u"\u00E9\u65E5\U0001F600";
    const char* utf8 = "\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80";
    EXPECT_EQ(LX_WChar2Char(text, -1, nullptr, 0), 10); // terminator counted
    EXPECT_EQ(LX_WChar2Char(text, 4, nullptr, 0), 9);
    char buffer[16];
    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(LX_WChar2Char(text, -1, buffer, 10), 10);
    EXPECT_STREQ(buffer, utf8);
    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(LX_WChar2Char(text, 4, buffer, 9), 9);
    EXPECT_EQ(memcmp(buffer, utf8, 9), 0);
    EXPECT_EQ(buffer[9], 'x');                        // a counted length writes no terminator
    EXPECT_EQ(LX_WChar2Char(text, -1, buffer, 9), 0); // too small
    EXPECT_EQ(LX_WChar2Char(text, 1, buffer, 1), 0);
    EXPECT_EQ(LX_WChar2Char(u"", -1, buffer, 1), 1);
    EXPECT_EQ(buffer[0], 0);
}

TEST(LxCodePage, LoneSurrogatesBecomeReplacement)
{
    struct Case {
        std::u16string text;
        const char* expected;
    } cases[] = {
        {u"\xD800", "\xEF\xBF\xBD"},
        {u"\xDC00x", "\xEF\xBF\xBDx"},
        {u"\xD800\xD800", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {u"a\xD83D", "a\xEF\xBF\xBD"},
        {u"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
    };
    for (const Case& c : cases) {
        char buffer[16];
        int n = LX_WChar2Char(c.text.data(), int(c.text.size()), buffer, sizeof buffer);
        EXPECT_EQ(std::string(buffer, size_t(n)), c.expected);
    }
    // A pair cut by the counted length is two halves: the high one alone.
    char buffer[8];
    EXPECT_EQ(LX_WChar2Char(u"\U0001F600", 1, buffer, 8), 3);
}

TEST(LxCodePage, NarrowToWide)
{
    const char* text = "\xC3\xA9\xF0\x9F\x98\x80";
    EXPECT_EQ(LX_Char2WChar(text, -1, nullptr, 0), 4);
    EXPECT_EQ(LX_Char2WChar(text, 6, nullptr, 0), 3);
    char16_t buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), u'x');
    EXPECT_EQ(LX_Char2WChar(text, -1, buffer, 4), 4);
    EXPECT_EQ(std::u16string(buffer), u"\u00E9\U0001F600");
    EXPECT_EQ(LX_Char2WChar(text, -1, buffer, 3), 0);
    std::fill(std::begin(buffer), std::end(buffer), u'x');
    EXPECT_EQ(LX_Char2WChar(text, 2, buffer, 1), 1);
    EXPECT_EQ(buffer[0], u'\u00E9');
    EXPECT_EQ(buffer[1], u'x');
}

TEST(LxCodePage, InvalidUtf8BecomesReplacement)
{
    struct Case {
        const char* text;
        std::u16string expected;
    } cases[] = {
        {"\xFF", u"\uFFFD"},
        {"\xC3", u"\uFFFD"}, // cut sequence
        {"a\xC3(b", u"a\uFFFD(b"},
        {"\xE0\x80\x80", u"\uFFFD\uFFFD\uFFFD"},           // overlong
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                     // overlong '/'
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},           // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, // above U+10FFFF
        {"\x80z", u"\uFFFDz"},                             // stray continuation byte
    };
    for (const Case& c : cases) {
        char16_t buffer[16];
        int n = LX_Char2WChar(c.text, -1, buffer, 16);
        ASSERT_GT(n, 0) << c.text;
        EXPECT_EQ(std::u16string(buffer, size_t(n - 1)), c.expected) << c.text;
    }
}

TEST(LxCodePage, BadArgumentsGiveZero)
{
    char narrow[4];
    char16_t wide[4];
    EXPECT_EQ(LX_WChar2Char(nullptr, -1, narrow, 4), 0);
    EXPECT_EQ(LX_WChar2Char(u"a", -2, narrow, 4), 0);
    EXPECT_EQ(LX_WChar2Char(u"a", -1, narrow, -1), 0);
    EXPECT_EQ(LX_WChar2Char(u"a", -1, nullptr, 4), 0);
    EXPECT_EQ(LX_Char2WChar(nullptr, -1, wide, 4), 0);
    EXPECT_EQ(LX_Char2WChar("a", -5, wide, 4), 0);
    EXPECT_EQ(LX_Char2WChar("a", -1, nullptr, 4), 0);
}

} // namespace
