#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "test_support.h"
#include "w32_system/LxFormat.h"
#include "w32_system/LxUtf.h"

namespace
{

// Formats with the C library and with LX_snprintfA and compares the returned
// length and the text, for a roomy buffer, a count-only call and buffers
// that cut the text. The wide engine must give the same text in UTF-16 for
// numbers.
template <class... Args> testing::AssertionResult SameAsC(const char* format, Args... args)
{
    int expectedLength = snprintf(nullptr, 0, format, args...);
    int length = LX_snprintfA(nullptr, 0, format, args...);
    if (length != expectedLength)
        return testing::AssertionFailure()
               << format << ": length " << length << ", C says " << expectedLength;
    std::vector<char> expected(size_t(expectedLength) + 1), actual(expected.size());
    snprintf(expected.data(), expected.size(), format, args...);
    LX_snprintfA(actual.data(), actual.size(), format, args...);
    if (expected != actual)
        return testing::AssertionFailure()
               << format << ": \"" << actual.data() << "\", C says \"" << expected.data() << "\"";
    for (size_t size : {1, 2, 5}) {
        char cutExpected[8], cutActual[8];
        memset(cutExpected, 'x', sizeof cutExpected);
        memset(cutActual, 'x', sizeof cutActual);
        int r1 = snprintf(cutExpected, size, format, args...);
        int r2 = LX_snprintfA(cutActual, size, format, args...);
        if (r1 != r2 || memcmp(cutExpected, cutActual, sizeof cutExpected) != 0)
            return testing::AssertionFailure() << format << ": differs when cut to " << size;
    }
    if constexpr (!(std::is_arithmetic_v<Args> && ...))
        return testing::AssertionSuccess(); // text arguments differ between the kinds
    std::u16string wideFormat = U16(format);
    std::vector<char16_t> wide(expected.size());
    int wideLength = LX_snwprintf(wide.data(), wide.size(), wideFormat.c_str(), args...);
    if (wideLength != expectedLength || std::u16string(wide.data(), size_t(wideLength)) !=
                                            LX_Utf8ToUtf16(expected.data(), expectedLength))
        return testing::AssertionFailure()
               << format << ": the wide engine gives \"" << U8(wide.data()) << "\"";
    return testing::AssertionSuccess();
}

std::string FormatA(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    char buffer[512];
    memset(buffer, 'x', sizeof buffer);
    int n = LX_vsnprintfA(buffer, sizeof buffer, format, args);
    va_end(args);
    return n < 0 ? "<-1:" + std::string(buffer) + ">" : std::string(buffer, size_t(n));
}

std::u16string FormatW(const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    char16_t buffer[512];
    int n = LX_vsnprintfW(buffer, 512, format, args);
    va_end(args);
    return n < 0 ? u"<-1:" + std::u16string(buffer) + u">" : std::u16string(buffer, size_t(n));
}

const double kInf = HUGE_VAL;
const double kNan = std::nan("");

TEST(LxFormatNarrow, IntegersMatchCRuntime)
{
    const char* formats[] = {"%d",      "%i",    "%5d",    "%-5d|", "%05d",     "%+d", "% d",
                             "%+05d",   "%.3d",  "%.0d",   "%5.0d", "%-+8.3d|", "%u",  "%o",
                             "%#o",     "%#.0o", "%#5o",   "%x",    "%#x",      "%#X", "%#10.4x",
                             "%-#10x|", "%08X",  "%0-8u|", "%hd",   "%hhd",     "%hu", "%hhx",
                             "%+hhi",   "% 05d", "%+u",    "%.0x",  "%#.3o"};
    const int values[] = {0,   1,     -1,    7,          42,      -42,    255,
                          256, 65535, 65536, 0x12345678, INT_MAX, INT_MIN};
    for (const char* format : formats)
        for (int value : values)
            EXPECT_TRUE(SameAsC(format, value)) << value;
}

TEST(LxFormatNarrow, SixtyFourBitIntegersMatchCRuntime)
{
    const char* formats[] = {"%lld",    "%llu", "%llx", "%#llo", "%20lld", "%-+20lld|",
                             "%.25lld", "%jd",  "%zu",  "%tx",   "%020llX"};
    const long long values[] = {0, -1, 42, 1LL << 40, 1234567890123LL, LLONG_MAX, LLONG_MIN};
    for (const char* format : formats)
        for (long long value : values)
            EXPECT_TRUE(SameAsC(format, value)) << value;
}

TEST(LxFormatNarrow, FloatingPointMatchesCRuntime)
{
    const char* formats[] = {
        "%f",     "%.0f",    "%#.0f",     "%.2f",  "%#.2f",  "%10.3f",  "%-10.3f|", "%+f",
        "% f",    "%010.2f", "%-010.2f|", "%F",    "%.20f",  "%.2000f", "%e",       "%.0e",
        "%#.0e",  "%.3E",    "%12.4e",    "%+e",   "%08.3E", "%.1000e", "%g",       "%G",
        "%.0g",   "%#g",     "%#.3g",     "%.15g", "%.17g",  "%10g",    "%-10g|",   "%#.0g",
        "%.800g", "%#.800g", "%a",        "%A",    "%.0a",   "%.1a",    "%#a",      "%#.0a",
        "%.3a",   "%.20a",   "%015a",     "%+a",   "%lf",    "% 012.4G"};
    const double values[] = {
        0.0,       -0.0,       0.5,       1.5,       2.5,   -3.14159, 12.5,    0.1,     1e-5,
        0.0001,    123456.789, 1e15,      1e16,      1e300, -1e-300,  DBL_MAX, DBL_MIN, 4.9e-324,
        9.9999999, 0.95,       9999995.0, 9.9996e-5, kInf,  -kInf,    kNan,    -kNan};
    for (const char* format : formats)
        for (double value : values)
            EXPECT_TRUE(SameAsC(format, value)) << value;
}

TEST(LxFormatNarrow, TextAndStarArgumentsMatchCRuntime)
{
    const char* formats[] = {"%s", "%10s", "%-10s|", "%.3s", "%.0s", "%10.2s", "[%s]"};
    const char* values[] = {"hello", "", "h\xC3\xA9llo", "a longer text than ten"};
    for (const char* format : formats)
        for (const char* value : values)
            EXPECT_TRUE(SameAsC(format, value)) << value;
    EXPECT_TRUE(SameAsC("%*d|%-*d|%*d|%.*d|%*.*f", 5, 42, 5, 42, -5, 42, -1, 42, 10, 3, 3.14159));
    EXPECT_TRUE(SameAsC("%.*s|%.*f", -1, "abc", -3, 2.5));
    EXPECT_TRUE(SameAsC("100%% of %d", 3));
    EXPECT_TRUE(SameAsC("a%cb", 0)); // a NUL character is written and counted
    EXPECT_TRUE(SameAsC("[%c|%5c|%-3c]", 'x', 'y', 'z'));
}

TEST(LxFormat, TraceTimesShowTwoDecimals)
{
    EXPECT_EQ(FormatW(u"%#.2f", 12.5), u"12.50");
    EXPECT_EQ(FormatW(u"%#.2f", 0.0), u"0.00");
    EXPECT_EQ(FormatW(u"%#.0f", 3.0), u"3.");
    EXPECT_EQ(FormatA("%.15g", 0.1), "0.1");
    EXPECT_EQ(FormatA("%e|%E", 1.0, 1e-300), "1.000000e+00|1.000000E-300");
    EXPECT_EQ(FormatA("%F|%E|%G", -kInf, kNan, kInf), "-INF|NAN|INF");
    EXPECT_EQ(FormatA("%Lf", 2.5L), "2.500000");
    // Rounding up into the exponent keeps the zeros that '#' asks for (glibc
    // drops them here and prints "1.e+06").
    EXPECT_EQ(FormatA("%#g|%g", 999999.5, 999999.5), "1.00000e+06|1e+06");
}

TEST(LxFormat, WindowsLengthModifiers)
{
    EXPECT_EQ(FormatA("%I64d|%I64u|%I64X", INT64_MIN, UINT64_MAX, int64_t(0xABCDEF012345)),
              "-9223372036854775808|18446744073709551615|ABCDEF012345");
    EXPECT_EQ(FormatA("%I32d|%I32x", -5, -1), "-5|ffffffff");
    EXPECT_EQ(FormatA("%Id|%Iu", -(intptr_t(1) << 40), uintptr_t(1) << 40),
              "-1099511627776|1099511627776");
    // l is 32-bit as in the Windows runtime.
    EXPECT_EQ(FormatA("%ld|%lu|%lx", -5, -1, -1), "-5|4294967295|ffffffff");
    EXPECT_EQ(FormatA("%hx|%hhu", 0x12345, 0x1FF), "2345|255");
    EXPECT_EQ(FormatW(u"%I64d %lld %I32u", INT64_MAX, -1LL, 7u), u"9223372036854775807 -1 7");
}

TEST(LxFormat, PointerPrintsAllHexDigits)
{
    void* p = reinterpret_cast<void*>(uintptr_t(0xABC123));
    EXPECT_EQ(FormatA("%p", p), "0000000000ABC123");
    EXPECT_EQ(FormatA("%p", nullptr), "0000000000000000");
    EXPECT_EQ(FormatA("[%20p]", p), "[    0000000000ABC123]");
    EXPECT_EQ(FormatW(u"[%-18p]", p), u"[0000000000ABC123  ]");
}

TEST(LxFormat, PercentNIsNeverWritten)
{
    int count = 77;
    EXPECT_EQ(FormatA("ab%ncd%d", &count, 5), "abcd5");
    EXPECT_EQ(count, 77);
    EXPECT_EQ(FormatW(u"ab%ncd%d", &count, 5), u"abcd5");
    EXPECT_EQ(count, 77);
}

TEST(LxFormat, NullStringsPrintNull)
{
    const char* narrow = nullptr;
    const char16_t* wide = nullptr;
    EXPECT_EQ(FormatA("%s|%S|%ls|%8hs|%.3s", narrow, wide, wide, narrow, narrow),
              "(null)|(null)|(null)|  (null)|(nu");
    EXPECT_EQ(FormatW(u"%s|%S|%hs|%-7ws|", wide, narrow, narrow, wide),
              u"(null)|(null)|(null)|(null) |");
}

TEST(LxFormat, StringKindsInNarrowFormat)
{
    EXPECT_EQ(FormatA("%s|%hs|%S|%ls|%ws", "n\xC3\xA9", "h", u"\u00E9\u65E5", u"l", u"w"),
              "n\xC3\xA9|h|\xC3\xA9\xE6\x97\xA5|l|w");
    EXPECT_EQ(FormatA("%c|%hc|%C|%lc|%wc", 'a', 'b', u'\u00E9', u'x', u'y'), "a|b|\xC3\xA9|x|y");
    // Surrogate pairs become one four-byte sequence, lone ones U+FFFD.
    EXPECT_EQ(FormatA("%S|%S|%C", u"\U0001F600", u"a\xD800z", u'\xDC00'),
              "\xF0\x9F\x98\x80|a\xEF\xBF\xBDz|\xEF\xBF\xBD");
}

TEST(LxFormat, StringKindsInWideFormat)
{
    EXPECT_EQ(FormatW(u"%s|%ls|%ws|%S|%hs", u"own", u"l", u"w", "\xC3\xA9", "\xE6\x97\xA5"),
              u"own|l|w|\u00E9|\u65E5");
    EXPECT_EQ(FormatW(u"%c|%lc|%wc|%C|%hc", u'\u03A9', u'l', u'w', 'A', 'h'), u"\u03A9|l|w|A|h");
    EXPECT_EQ(FormatW(u"%S", "\xF0\x9F\x98\x80"), u"\U0001F600");
    // Invalid UTF-8 reads as U+FFFD, one per bad byte; a lone byte as %C too.
    EXPECT_EQ(FormatW(u"%S|%S|%C", "a\xFFz", "\xE0\x80\x80", '\xE9'),
              u"a\uFFFDz|\uFFFD\uFFFD\uFFFD|\uFFFD");
}

TEST(LxFormat, WidthAndPrecisionCountOutputUnits)
{
    // "日本" is 2 UTF-16 units and 6 UTF-8 bytes.
    const char16_t* wideText = u"\u65E5\u672C";
    const char* narrowText = "\xE6\x97\xA5\xE6\x9C\xAC";
    EXPECT_EQ(FormatA("[%.4S]", wideText), "[\xE6\x97\xA5]"); // never half a character
    EXPECT_EQ(FormatA("[%.6S]", wideText), "[\xE6\x97\xA5\xE6\x9C\xAC]");
    EXPECT_EQ(FormatA("[%8S]", wideText), "[  \xE6\x97\xA5\xE6\x9C\xAC]");
    EXPECT_EQ(FormatA("[%-4C]", u'\u00E9'), "[\xC3\xA9  ]");
    EXPECT_EQ(FormatA("[%.3ls]", u"\U0001F600"), "[]");
    EXPECT_EQ(FormatW(u"[%.1S]", narrowText), u"[\u65E5]");
    EXPECT_EQ(FormatW(u"[%4hs]", narrowText), u"[  \u65E5\u672C]");
    EXPECT_EQ(FormatW(u"[%.1S]", "\xF0\x9F\x98\x80"), u"[]"); // the pair needs 2 units
    EXPECT_EQ(FormatW(u"[%.2S]", "\xF0\x9F\x98\x80"), u"[\U0001F600]");
    EXPECT_EQ(FormatW(u"[%-4s]", u"ab"), u"[ab  ]");
}

TEST(LxFormat, PrecisionReadsOnlyWhatItNeeds)
{
    // No terminators: reading past the arrays would be caught by the sanitizer.
    const char narrow[3] = {'a', 'b', 'c'};
    const char16_t wide[3] = {u'x', u'y', u'z'};
    EXPECT_EQ(FormatA("%.2s|%.2S", narrow, wide), "ab|xy");
    EXPECT_EQ(FormatW(u"%.3s|%.3S", wide, narrow), u"xyz|abc");
}

TEST(LxFormat, BadFormatsGiveMinusOneAndEmptyBuffer)
{
    const char* formats[] = {"%",    "abc%", "%y",   "%hhs", "%Lx",           "%1$d",
                             "%ld%", "%qd",  "%w d", "%hf",  "%99999999999d", "%.99999999999f"};
    for (const char* format : formats) {
        char buffer[16];
        memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(LX_snprintfA(buffer, sizeof buffer, format, 1, 2), -1) << format;
        EXPECT_EQ(buffer[0], 0) << format;
        char16_t wide[16];
        std::u16string wideFormat = U16(format);
        EXPECT_EQ(LX_snwprintf(wide, 16, wideFormat.c_str(), 1, 2), -1) << format;
        EXPECT_EQ(wide[0], 0) << format;
    }
    char buffer[4] = "xyz";
    EXPECT_EQ(LX_snprintfA(buffer, sizeof buffer, nullptr), -1);
    EXPECT_EQ(buffer[0], 0);
    // A non-ASCII unit where the conversion belongs.
    EXPECT_EQ(LX_snwprintf(nullptr, 0, u"%\u00E9"), -1);
}

TEST(LxFormat, ResultLengthBeyondIntIsAnError)
{
    // Counting huge widths costs nothing when nothing is stored.
    EXPECT_EQ(LX_snprintfA(nullptr, 0, "%2000000000d", 1), 2000000000);
    EXPECT_EQ(LX_snprintfA(nullptr, 0, "%2000000000d%2000000000d", 1, 2), -1);
    char buffer[8];
    EXPECT_EQ(LX_snprintfA(buffer, sizeof buffer, "%.1500000000f", 1.0), 1500000002);
    EXPECT_STREQ(buffer, "1.00000");
}

TEST(LxFormat, GeneralFormWithTheLargestPrecisions)
{
    // Values from 1e-4 to below 0.1 take the fixed form with precision - 1 -
    // exponent decimals, which passes INT_MAX for the largest precisions.
    // Without '#' the exact expansion ends every such output, as it does for
    // a precision of 1500.
    for (double value : {0.00125, 0.05, 0.0001}) {
        char expected[2048], ours[2048];
        ASSERT_GT(snprintf(expected, sizeof expected, "%.1500g", value), 0);
        for (const char* format :
             {"%.2147483647g", "%.2147483646g", "%.2147483644g", "%.2147483647G"}) {
            EXPECT_EQ(LX_snprintfA(ours, sizeof ours, format, value), int(strlen(expected)))
                << format;
            EXPECT_STREQ(ours, expected) << format;
        }
    }
    // With '#' the zeros stay: "0." and precision + 2 decimals for 0.00125.
    char buffer[16];
    EXPECT_EQ(LX_snprintfA(buffer, sizeof buffer, "%#.2147483643g", 0.00125), INT_MAX);
    EXPECT_STREQ(buffer, "0.0012500000000");
    EXPECT_EQ(LX_snprintfA(buffer, sizeof buffer, "%#.2147483644g", 0.00125), -1);
    EXPECT_EQ(LX_snprintfA(buffer, sizeof buffer, "%#.2147483647g", 0.00125), -1);
}

TEST(LxFormat, WideTruncationKeepsLengthAndTerminator)
{
    char16_t buffer[4] = {u'x', u'x', u'x', u'x'};
    EXPECT_EQ(LX_snwprintf(buffer, 4, u"%d", 123456), 6);
    EXPECT_EQ(std::u16string(buffer), u"123");
    EXPECT_EQ(LX_snwprintf(buffer, 1, u"%s", u"abc"), 3);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(LX_snwprintf(nullptr, 0, u"%S", "\xE6\x97\xA5"), 1);
    // A null buffer with a size only counts.
    EXPECT_EQ(LX_snwprintf(nullptr, 10, u"abc"), 3);
}

} // namespace
