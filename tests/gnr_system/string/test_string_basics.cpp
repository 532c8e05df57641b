// Construction, assignment, concatenation, access, capacities and copying
// out; conversions between the two kinds.
#include <algorithm>
#include <iterator>

#include "string_test_support.h"

template <class S> class StringBasics : public ::testing::Test
{
};
TYPED_TEST_SUITE(StringBasics, LxStringKinds, LxStringKindNames);

TYPED_TEST(StringBasics, DefaultStringIsEmptyTerminatedAndShared)
{
    using S = TypeParam;
    S a, b;
    EXPECT_EQ(a.GetLength(), 0);
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(a.GetBufferLength(), 15);
    ASSERT_NE(a.GetString(), nullptr);
    EXPECT_EQ(a.GetString()[0], 0);
    // No storage of its own: every empty string shares one buffer.
    EXPECT_EQ(LxStringInspector::Buffer(a), LxStringInspector::Buffer(b));
    EXPECT_EQ(LxStringInspector::Buffer(a), S::Buffer::SharedEmpty());
    EXPECT_EQ(LxStringInspector::Buffer(S(0)), S::Buffer::SharedEmpty());
    EXPECT_EQ(LxStringInspector::Buffer(S(-3)), S::Buffer::SharedEmpty());
}

TYPED_TEST(StringBasics, Construction)
{
    using S = TypeParam;
    using C = typename S::XCHAR;
    using T = Txt<S>;
    EXPECT_EQ(Utf8(S(T("abc"))), "abc");
    // A reservation only sets the starting capacity: the whole text is taken.
    S reserved(T("abcdef"), 2);
    EXPECT_EQ(Utf8(reserved), "abcdef");
    EXPECT_EQ(Utf8(S(T("abc"), 100)), "abc");
    EXPECT_EQ(S(T("abc"), 100).GetBufferLength(), 127);
    EXPECT_EQ(Utf8(S(OtherTxt<S>("h\xC3\xA9llo \xE2\x82\xAC"))), "h\xC3\xA9llo \xE2\x82\xAC");
    EXPECT_TRUE(S(static_cast<const C*>(nullptr)).IsEmpty());
    EXPECT_TRUE(S(static_cast<const typename S::YCHAR*>(nullptr)).IsEmpty());

    S original = Make<S>("abc");
    S copy(original);
    EXPECT_EQ(copy.GetString(), original.GetString());
    EXPECT_EQ(Utf8(copy), "abc");
}

TYPED_TEST(StringBasics, Assignment)
{
    using S = TypeParam;
    using C = typename S::XCHAR;
    using Y = typename S::YCHAR;
    using T = Txt<S>;
    S s = Make<S>("abc");
    S t;
    t = s;
    EXPECT_EQ(t.GetString(), s.GetString());
    t = t;
    EXPECT_EQ(Utf8(t), "abc");

    s = T("xyz");
    EXPECT_EQ(Utf8(s), "xyz");
    s = s.GetString(); // its own text: nothing happens
    EXPECT_EQ(Utf8(s), "xyz");
    s = s.GetString() + 1; // a part of its own text
    EXPECT_EQ(Utf8(s), "yz");
    s = static_cast<const C*>(nullptr);
    EXPECT_TRUE(s.IsEmpty());
    s = OtherTxt<S>("\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(Utf8(s), "\xC3\xA9t\xC3\xA9");
    s = C('q');
    EXPECT_EQ(Utf8(s), "q");
    s = C(0);
    EXPECT_TRUE(s.IsEmpty());
    s = Y('r');
    EXPECT_EQ(Utf8(s), "r");
}

TYPED_TEST(StringBasics, Concatenation)
{
    using S = TypeParam;
    using C = typename S::XCHAR;
    using Y = typename S::YCHAR;
    using T = Txt<S>;
    S s;
    s.AddChars(T("abc"), 5); // beyond the text: the whole text
    EXPECT_EQ(Utf8(s), "abc");
    s.AddChars(T("abc"), 0);
    s.AddChars(static_cast<const C*>(nullptr), -1);
    EXPECT_EQ(Utf8(s), "abc");
    s.AddChars(T("xyz"), 2);
    EXPECT_EQ(Utf8(s), "abcxy");
    // n bounds the read: the array needs no terminator.
    const C unterminated[3] = {C('1'), C('2'), C('3')};
    s.AddChars(unterminated, 3);
    EXPECT_EQ(Utf8(s), "abcxy123");

    s = T("ab");
    s.AddString(s); // itself
    EXPECT_EQ(Utf8(s), "abab");
    s.AddString(T("c")).AddString(OtherTxt<S>("d")).AddChar(C('e')).AddChar(Y('f'));
    EXPECT_EQ(Utf8(s), "ababcdef");
    s.AddChar(C(0));
    EXPECT_EQ(s.GetLength(), 8);
    s += S(T("1"));
    s += T("2");
    s += OtherTxt<S>("3");
    s += C('4');
    s += Y('5');
    EXPECT_EQ(Utf8(s), "ababcdef12345");

    s = T("x");
    s.AddChars(s.GetString(), -1);
    EXPECT_EQ(Utf8(s), "xx");
    // Appending its own text while the storage must grow.
    s = T("0123456789abcde"); // capacity 15, full
    s.AddChars(s.GetString() + 10, -1);
    EXPECT_EQ(Utf8(s), "0123456789abcdeabcde");

    s.Empty();
    s.AddInt(-42).AddChar(C(' ')).AddInt(7);
    EXPECT_EQ(Utf8(s), "-42 7");
    s.Empty();
    s.AddDouble(1.5, 2);
    EXPECT_EQ(Utf8(s), "1.50");
    s.Empty();
    s.AddDouble(2.0, 0).AddChar(C('|')).AddDouble(-0.125, 1).AddChar(C('|')).AddDouble(1.5, -1);
    EXPECT_EQ(Utf8(s), "2|-0.1|1.500000");
}

TYPED_TEST(StringBasics, PlusOperators)
{
    using S = TypeParam;
    using C = typename S::XCHAR;
    using T = Txt<S>;
    const S a = Make<S>("ab"), b = Make<S>("cd");
    EXPECT_EQ(Utf8(a + b), "abcd");
    EXPECT_EQ(Utf8(a + T("x")), "abx");
    EXPECT_EQ(Utf8(T("x") + a), "xab");
    EXPECT_EQ(Utf8(a + C('!')), "ab!");
    EXPECT_EQ(Utf8(C('!') + a), "!ab");
    EXPECT_EQ(Utf8(a + C(0)), "ab");
    EXPECT_EQ(Utf8(S() + S()), "");
    EXPECT_EQ((a + b).GetBufferLength(), 15);
    EXPECT_EQ(Utf8(a), "ab");
}

TYPED_TEST(StringBasics, Access)
{
    using S = TypeParam;
    using C = typename S::XCHAR;
    const S s = Make<S>("abc");
    EXPECT_EQ(s.GetAt(0), C('a'));
    EXPECT_EQ(s[2], C('c'));
    EXPECT_EQ(s.GetAt(3), C(0));
    EXPECT_EQ(s.GetAt(-1), C(0));
    EXPECT_EQ(s.GetLastChar(), C('c'));
    EXPECT_EQ(S().GetLastChar(), C(0));
    const C* text = s;
    EXPECT_EQ(text, s.GetString());
}

TYPED_TEST(StringBasics, CapacitiesGrowByDoublingAndNeverShrink)
{
    using S = TypeParam;
    using C = typename S::XCHAR;
    using T = Txt<S>;
    S s;
    s.AddString(T("0123456789abcdef")); // 16 characters
    EXPECT_EQ(s.GetBufferLength(), 31);
    EXPECT_EQ(S(100).GetBufferLength(), 127);
    EXPECT_EQ(S(15).GetBufferLength(), 15);
    EXPECT_EQ(S(16).GetBufferLength(), 31);
    S p;
    EXPECT_EQ(p.Preallocate(100), 0);
    EXPECT_EQ(p.GetBufferLength(), 127);
    EXPECT_TRUE(p.IsEmpty());

    S grown;
    int last = grown.GetBufferLength();
    for (int i = 0; i < 1000; ++i) {
        grown.AddChar(C('a' + i % 26));
        int capacity = grown.GetBufferLength();
        ASSERT_GE(capacity, grown.GetLength());
        ASSERT_EQ((capacity + 1) & capacity, 0) << capacity; // 2^k - 1
        ASSERT_GE(capacity, last);
        last = capacity;
    }
    EXPECT_EQ(last, 1023);
    grown.TruncateAt(1);
    EXPECT_EQ(grown.GetBufferLength(), 1023);
    grown.Delete(0, 1);
    EXPECT_EQ(grown.GetBufferLength(), 1023);
    grown = T("abc");
    grown.Empty();
    EXPECT_EQ(grown.GetBufferLength(), 1023);
    grown.Format(T("%d"), 5);
    EXPECT_EQ(grown.GetBufferLength(), 1023);
    EXPECT_EQ(grown.Preallocate(10), 0);
    EXPECT_EQ(grown.GetBufferLength(), 1023);
    grown.Reset();
    EXPECT_EQ(grown.GetBufferLength(), 15);
    EXPECT_TRUE(grown.IsEmpty());
    EXPECT_NE(LxStringInspector::Buffer(grown), S::Buffer::SharedEmpty());
}

TYPED_TEST(StringBasics, ReservedStringDoesNotMoveWithinItsReservation)
{
    using S = TypeParam;
    using C = typename S::XCHAR;
    S s(100);
    s.AddChar(C('x'));
    const C* storage = s.GetString();
    for (int i = 1; i < 100; ++i)
        s.AddChar(C('x'));
    EXPECT_EQ(s.GetString(), storage);
    EXPECT_EQ(s.GetLength(), 100);
}

TYPED_TEST(StringBasics, CopyOutOwnKind)
{
    using S = TypeParam;
    using C = typename S::XCHAR;
    const S s = Make<S>("abcdef");
    C dst[8];
    auto copy = [&](int size) {
        std::fill(std::begin(dst), std::end(dst), C('#'));
        if constexpr (std::is_same<C, char>::value)
            return s.CopyToBufferA(dst, size);
        else
            return s.CopyToBufferW(dst, size);
    };
    EXPECT_EQ(copy(4), 3);
    EXPECT_EQ(std::basic_string<C>(dst), TextOf<C>("abc"));
    EXPECT_EQ(copy(7), 6);
    EXPECT_EQ(std::basic_string<C>(dst), TextOf<C>("abcdef"));
    EXPECT_EQ(copy(8), 6);
    EXPECT_EQ(copy(1), 0);
    EXPECT_EQ(dst[0], C(0));
    EXPECT_EQ(copy(0), 0);
    EXPECT_EQ(dst[0], C('#'));
    EXPECT_EQ(copy(-5), 0);
    EXPECT_EQ(dst[0], C('#'));
}

TEST(StringConversion, CopyOutConvertsAndNeverCutsACharacter)
{
    const CLxStringW wide(u"a\u00E9\U0001F600");
    char narrow[16];
    EXPECT_EQ(wide.CopyToBufferA(narrow, 16), 7);
    EXPECT_STREQ(narrow, "a\xC3\xA9\xF0\x9F\x98\x80");
    // Room for 2 bytes: the two-byte e-acute would be cut, so it stays out.
    EXPECT_EQ(wide.CopyToBufferA(narrow, 3), 1);
    EXPECT_STREQ(narrow, "a");
    EXPECT_EQ(wide.CopyToBufferA(narrow, 6), 3);
    EXPECT_STREQ(narrow, "a\xC3\xA9");
    EXPECT_EQ(wide.CopyToBufferA(nullptr, 6), 0);

    const CLxStringA utf8("a\xF0\x9F\x98\x80"
                          "b");
    char16_t units[8];
    EXPECT_EQ(utf8.CopyToBufferW(units, 8), 4);
    EXPECT_EQ(std::u16string(units), u"a\U0001F600b");
    EXPECT_EQ(utf8.CopyToBufferW(units, 3), 1); // never half a surrogate pair
    EXPECT_EQ(std::u16string(units), u"a");
    // The narrow string's own bytes are cut at whole characters as well.
    char bytes[4];
    EXPECT_EQ(utf8.CopyToBufferA(bytes, 4), 1);
    EXPECT_STREQ(bytes, "a");
}

TEST(StringConversion, InvalidInputBecomesReplacementCharacter)
{
    CLxStringW wide("a\xFF"
                    "b");
    EXPECT_EQ(std::u16string(wide.GetString()), u"a\uFFFDb");
    CLxStringA narrow(u"x\xD800y");
    EXPECT_STREQ(narrow.GetString(), "x\xEF\xBF\xBDy");
    CLxStringW w;
    w.AddChar('\xC3'); // half of a UTF-8 character
    EXPECT_EQ(std::u16string(w.GetString()), u"\uFFFD");
    CLxStringA a;
    a.AddChar(u'\u00E9');
    EXPECT_STREQ(a.GetString(), "\xC3\xA9");
    EXPECT_TRUE(a.Equals(u"\u00E9"));
    EXPECT_TRUE(w.Equals("\xEF\xBF\xBD"));
}

TEST(StringCase, WideUsesUnicodeNarrowOnlyAscii)
{
    CLxStringW w(u"\u00C9COLE \u0391");
    w.MakeLower();
    EXPECT_EQ(std::u16string(w.GetString()), u"\u00E9cole \u03B1");
    EXPECT_EQ(w.FindNoCase(u'\u0391'), 6);
    EXPECT_EQ(w.CompareNoCase(u"\u00C9COLE \u0391"), 0);

    CLxStringA a("\xC3\x89"
                 "COLE");
    a.MakeLower();
    EXPECT_STREQ(a.GetString(), "\xC3\x89"
                                "cole");
    a.MakeUpper();
    EXPECT_STREQ(a.GetString(), "\xC3\x89"
                                "COLE");
    EXPECT_NE(a.CompareNoCase("\xC3\xA9"
                              "cole"),
              0);
}
