// Format and AppendFormat: the C library's results for the common
// conversions, and the Windows conventions the library's callers rely on.
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <string>

#include "string_test_support.h"
#include "w32_system/LxUtf.h"

namespace
{

// Both kinds must print exactly what snprintf prints (arguments without
// texts, so that one argument list suits both).
template <class... A> void ExpectAsSnprintf(const char* format, A... args)
{
    char want[512];
    snprintf(want, sizeof want, format, args...);
    CLxStringA narrow;
    narrow.Format(format, args...);
    EXPECT_EQ(Utf8(narrow), want) << format;
    CLxStringW wide;
    wide.Format(LX_Utf8ToUtf16(format).c_str(), args...);
    EXPECT_EQ(Utf8(wide), want) << format;
}

template <class... A> void ExpectNarrowAsSnprintf(const char* format, A... args)
{
    char want[512];
    snprintf(want, sizeof want, format, args...);
    CLxStringA narrow(u"old text");
    narrow.Format(format, args...);
    EXPECT_EQ(Utf8(narrow), want) << format;
}

} // namespace

TEST(StringFormat, MatchesTheCLibrary)
{
    ExpectAsSnprintf("%d|%i|%d", 42, -42, INT_MIN);
    ExpectAsSnprintf("[%5d|%-5d|%05d|%+d|% d]", 42, 42, 42, 42, 42);
    ExpectAsSnprintf("%u|%u", 4000000000u, 0u);
    ExpectAsSnprintf("%x|%X|%#x|%o|%#o", 255u, 255u, 255u, 8u, 8u);
    ExpectAsSnprintf("%lld|%llu|%lli", LLONG_MIN, ULLONG_MAX, 1LL << 40);
    ExpectAsSnprintf("%hd|%hhu", 70000, 300);
    ExpectAsSnprintf("%c%c|%3c|%-3c|", 'o', 'k', 'x', 'y');
    ExpectAsSnprintf("%f|%.3f|%e|%.2E|%g|%G", 3.14159, 2.0 / 3, 12345.678, 0.000123, 1e-5, 1e20);
    ExpectAsSnprintf("[%10.4f|%-10.2f|%+.1f|%.0f|%#.0f]", 3.14159, 2.5, 0.05, 2.5, 2.5);
    ExpectAsSnprintf("%*d|%-*d|%.*f", 6, 7, 6, 7, 2, 1.005);
    ExpectAsSnprintf("100%%");
    ExpectAsSnprintf("no conversions");
    ExpectAsSnprintf("");
    ExpectNarrowAsSnprintf("[%s|%.2s|%-6s|%6s]", "abc", "abc", "abc", "abc");
    ExpectNarrowAsSnprintf("%s", "h\xC3\xA9llo");
}

TEST(StringFormat, TextsLongerThanTheCapacity)
{
    const std::string longText(1000, 'x');
    CLxStringA narrow;
    narrow.Format("<%s>", longText.c_str());
    EXPECT_EQ(Utf8(narrow), "<" + longText + ">");
    EXPECT_EQ(narrow.GetBufferLength(), 1023);

    const std::u16string longWide(5000, u'y');
    CLxStringW wide(u"start:");
    wide.AppendFormat(u"%s|%d", longWide.c_str(), 7);
    EXPECT_EQ(std::u16string(wide.GetString()), u"start:" + longWide + u"|7");
}

TEST(StringFormat, WindowsConventions)
{
    CLxStringA narrow;
    narrow.Format("%s|%S|%hs|%ls|%ws", "n", u"w", "h", u"l", u"ws");
    EXPECT_EQ(Utf8(narrow), "n|w|h|l|ws");
    CLxStringW wide;
    wide.Format(u"%s|%S|%hs|%ls|%ws", u"w", "n", "h", u"l", u"ws");
    EXPECT_EQ(Utf8(wide), "w|n|h|l|ws");

    // Texts of the other kind are converted.
    narrow.Format("%ls", u"\u20AC");
    EXPECT_EQ(Utf8(narrow), "\xE2\x82\xAC");
    wide.Format(u"%S", "\xC3\xA9");
    EXPECT_EQ(std::u16string(wide.GetString()), u"\u00E9");

    // I64 takes 64 bits; l takes 32 bits, as on Windows.
    narrow.Format("%I64d|%I64u|%I64x", INT64_MIN, UINT64_MAX, int64_t(0x123456789));
    EXPECT_EQ(Utf8(narrow), "-9223372036854775808|18446744073709551615|123456789");
    wide.Format(u"%I64d|%lld", -(int64_t(1) << 40), 5LL);
    EXPECT_EQ(Utf8(wide), "-1099511627776|5");
    narrow.Format("%ld|%lu", -5, 4294967295u);
    EXPECT_EQ(Utf8(narrow), "-5|4294967295");

    // Formats the library's callers use.
    narrow.Format("CustomData|%ls!", u"notes");
    EXPECT_EQ(Utf8(narrow), "CustomData|notes!");
    wide.Format(u"Wrong variant runtype('%S'), expected 'RLxPicturePlanes'.", "CLxFoo");
    EXPECT_EQ(Utf8(wide), "Wrong variant runtype('CLxFoo'), expected 'RLxPicturePlanes'.");
}

template <class S> class StringFormatKinds : public ::testing::Test
{
};
TYPED_TEST_SUITE(StringFormatKinds, LxStringKinds, LxStringKindNames);

TYPED_TEST(StringFormatKinds, ArgumentsMayPointIntoTheString)
{
    using S = TypeParam;
    using T = Txt<S>;
    S s = Make<S>("abc");
    s.Format(T("%s-%s"), s.GetString(), s.GetString());
    EXPECT_EQ(Utf8(s), "abc-abc");
    s.AppendFormat(T("%s"), s.GetString());
    EXPECT_EQ(Utf8(s), "abc-abcabc-abc");

    // The same while the text is shared with a copy.
    S copy(s);
    s.Format(T("[%s]"), s.GetString());
    EXPECT_EQ(Utf8(s), "[abc-abcabc-abc]");
    EXPECT_EQ(Utf8(copy), "abc-abcabc-abc");
}

TYPED_TEST(StringFormatKinds, BadFormatsAddNothing)
{
    using S = TypeParam;
    using T = Txt<S>;
    using C = typename S::XCHAR;
    S s = Make<S>("keep");
    s.AppendFormat(T("%"));
    EXPECT_EQ(Utf8(s), "keep");
    s.AppendFormat(T("%y"), 1);
    EXPECT_EQ(Utf8(s), "keep");
    s.AppendFormat(static_cast<const C*>(nullptr));
    EXPECT_EQ(Utf8(s), "keep");
    // Format replaces the text: a bad format leaves it empty.
    s.Format(T("%"));
    EXPECT_EQ(Utf8(s), "");
}
