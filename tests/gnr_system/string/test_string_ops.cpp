// Searching, comparing, extracting and editing, the same table for both kinds.
#include <climits>
#include <functional>

#include "string_test_support.h"

template <class S> class StringOps : public ::testing::Test
{
};
TYPED_TEST_SUITE(StringOps, LxStringKinds, LxStringKindNames);

TYPED_TEST(StringOps, MidLeftRight)
{
    using S = TypeParam;
    const S s = Make<S>("abcdef");
    struct Case {
        const char* call;
        std::function<S(const S&)> run;
        const char* want;
    } cases[] = {
        {"Mid(0)", [](const S& x) { return x.Mid(0); }, "abcdef"},
        {"Mid(2)", [](const S& x) { return x.Mid(2); }, "cdef"},
        {"Mid(2, 2)", [](const S& x) { return x.Mid(2, 2); }, "cd"},
        {"Mid(4, 10)", [](const S& x) { return x.Mid(4, 10); }, "ef"},
        {"Mid(5, 1)", [](const S& x) { return x.Mid(5, 1); }, "f"},
        {"Mid(1, 0)", [](const S& x) { return x.Mid(1, 0); }, ""},
        {"Mid(6, 1)", [](const S& x) { return x.Mid(6, 1); }, ""},
        {"Mid(9)", [](const S& x) { return x.Mid(9); }, ""},
        {"Mid(-1, 3)", [](const S& x) { return x.Mid(-1, 3); }, ""},
        {"Mid(INT_MIN, INT_MAX)", [](const S& x) { return x.Mid(INT_MIN, INT_MAX); }, ""},
        {"Mid(1, INT_MAX)", [](const S& x) { return x.Mid(1, INT_MAX); }, "bcdef"},
        {"Left(3)", [](const S& x) { return x.Left(3); }, "abc"},
        {"Left(0)", [](const S& x) { return x.Left(0); }, ""},
        {"Left(6)", [](const S& x) { return x.Left(6); }, "abcdef"},
        {"Left(99)", [](const S& x) { return x.Left(99); }, "abcdef"},
        {"Left(-1)", [](const S& x) { return x.Left(-1); }, "abcdef"},
        {"Right(2)", [](const S& x) { return x.Right(2); }, "ef"},
        {"Right(0)", [](const S& x) { return x.Right(0); }, ""},
        {"Right(99)", [](const S& x) { return x.Right(99); }, "abcdef"},
        {"Right(-1)", [](const S& x) { return x.Right(-1); }, ""},
        {"Right(INT_MIN)", [](const S& x) { return x.Right(INT_MIN); }, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8(c.run(s)), c.want) << c.call;
    EXPECT_EQ(Utf8(s), "abcdef");

    const S empty;
    EXPECT_TRUE(empty.Mid(0, 3).IsEmpty());
    EXPECT_TRUE(empty.Left(2).IsEmpty());
    EXPECT_TRUE(empty.Right(2).IsEmpty());
}

TYPED_TEST(StringOps, Searching)
{
    using S = TypeParam;
    using T = Txt<S>;
    using C = typename S::XCHAR;
    const C* none = nullptr;
    const S s = Make<S>("abcabc");
    const S mixed = Make<S>("ABCabc");
    const S empty;
    struct Case {
        const char* call;
        std::function<int()> run;
        int want;
    } cases[] = {
        {"Find('b')", [&] { return s.Find(C('b')); }, 1},
        {"Find('b', 2)", [&] { return s.Find(C('b'), 2); }, 4},
        {"Find('b', 5)", [&] { return s.Find(C('b'), 5); }, -1},
        {"Find('b', -1)", [&] { return s.Find(C('b'), -1); }, -1},
        {"Find('b', 6)", [&] { return s.Find(C('b'), 6); }, -1},
        {"Find('z')", [&] { return s.Find(C('z')); }, -1},
        {"Find(0)", [&] { return s.Find(C(0)); }, -1},
        {"FindNoCase('B')", [&] { return s.FindNoCase(C('B')); }, 1},
        {"mixed FindNoCase('b', 2)", [&] { return mixed.FindNoCase(C('b'), 2); }, 4},
        {"ReverseFind('a')", [&] { return s.ReverseFind(C('a')); }, 3},
        {"ReverseFind('a', 2)", [&] { return s.ReverseFind(C('a'), 2); }, 0},
        {"ReverseFind('c', 5)", [&] { return s.ReverseFind(C('c'), 5); }, 5},
        {"ReverseFind('a', 6)", [&] { return s.ReverseFind(C('a'), 6); }, -1},
        {"ReverseFind('z')", [&] { return s.ReverseFind(C('z')); }, -1},
        {"mixed ReverseFindNoCase('c', 4)", [&] { return mixed.ReverseFindNoCase(C('c'), 4); }, 2},
        {"FindOneOf(\"xc\")", [&] { return s.FindOneOf(T("xc")); }, 2},
        {"FindOneOf(\"xc\", 3)", [&] { return s.FindOneOf(T("xc"), 3); }, 5},
        {"FindOneOf(\"\")", [&] { return s.FindOneOf(T("")); }, -1},
        {"FindOneOf(null)", [&] { return s.FindOneOf(none); }, -1},
        {"FindOneOf(\"c\", 6)", [&] { return s.FindOneOf(T("c"), 6); }, -1},
        {"FindOneOf(\"c\", -1)", [&] { return s.FindOneOf(T("c"), -1); }, -1},
        {"Find(\"bc\")", [&] { return s.Find(T("bc")); }, 1},
        {"Find(\"bc\", 2)", [&] { return s.Find(T("bc"), 2); }, 4},
        {"Find(\"bc\", 5)", [&] { return s.Find(T("bc"), 5); }, -1},
        {"Find(\"bc\", -1)", [&] { return s.Find(T("bc"), -1); }, -1},
        {"Find(\"ca\")", [&] { return s.Find(T("ca")); }, 2},
        {"Find(\"c\", 5)", [&] { return s.Find(T("c"), 5); }, 5},
        {"Find(\"abd\")", [&] { return s.Find(T("abd")); }, -1},
        {"Find(\"abcabcx\")", [&] { return s.Find(T("abcabcx")); }, -1},
        {"Find(\"\")", [&] { return s.Find(T("")); }, -1},
        {"Find(null)", [&] { return s.Find(none); }, -1},
        {"Find(\"ab\") restarts after a partial match",
         [&] { return Make<S>("aab").Find(T("ab")); }, 1},
        {"FindNoCase(\"BC\", 2)", [&] { return s.FindNoCase(T("BC"), 2); }, 4},
        {"mixed FindNoCase(\"cA\")", [&] { return mixed.FindNoCase(T("cA")); }, 2},
        {"empty Find('a')", [&] { return empty.Find(C('a')); }, -1},
        {"empty ReverseFind('a')", [&] { return empty.ReverseFind(C('a')); }, -1},
        {"empty Find(\"a\")", [&] { return empty.Find(T("a")); }, -1},
        {"empty FindOneOf(\"a\")", [&] { return empty.FindOneOf(T("a")); }, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.run(), c.want) << c.call;
}

TYPED_TEST(StringOps, Comparing)
{
    using S = TypeParam;
    using T = Txt<S>;
    using C = typename S::XCHAR;
    struct Case {
        const char* a;
        const char* b; // null: a null text
        int compare;
        int compareNoCase;
    } cases[] = {
        {"abc", "abc", 0, 0},
        {"abc", "abd", -1, -1},
        {"abd", "abc", 1, 1},
        {"ab", "abc", -1, -1},
        {"abc", "ab", 1, 1},
        {"", "", 0, 0},
        {"", nullptr, 0, 0},
        {"a", nullptr, 1, 1},
        {"ABC", "abc", -1, 0},
        {"b", "A", 1, 1},
        // Above ASCII: unsigned bytes or units, never negative chars.
        {"\xC3\xA9", "z", 1, 1},
    };
    for (const Case& c : cases) {
        const S s = Make<S>(c.a);
        T other(c.b ? c.b : "");
        const C* text = c.b ? static_cast<const C*>(other) : nullptr;
        EXPECT_EQ(s.Compare(text), c.compare) << c.a << " vs " << (c.b ? c.b : "null");
        EXPECT_EQ(s.CompareNoCase(text), c.compareNoCase) << c.a;
        EXPECT_EQ(s.Equals(text), c.compare == 0) << c.a;
        EXPECT_EQ(s.Less(text), c.compare < 0) << c.a;
        EXPECT_EQ(s.LessEqual(text), c.compare <= 0) << c.a;
        if (!c.b)
            continue;
        const S t = Make<S>(c.b);
        OtherTxt<S> otherKind(c.b);
        EXPECT_EQ(s.Equals(t), c.compare == 0) << c.a;
        EXPECT_EQ(s.Less(t), c.compare < 0) << c.a;
        EXPECT_EQ(s.LessEqual(t), c.compare <= 0) << c.a;
        EXPECT_EQ(s.Equals(otherKind), c.compare == 0) << c.a;
        EXPECT_EQ(s.Less(otherKind), c.compare < 0) << c.a;
        EXPECT_EQ(s.LessEqual(otherKind), c.compare <= 0) << c.a;
        EXPECT_EQ(s == t, c.compare == 0) << c.a;
        EXPECT_EQ(s != t, c.compare != 0) << c.a;
        EXPECT_EQ(s < t, c.compare < 0) << c.a;
        EXPECT_EQ(s <= t, c.compare <= 0) << c.a;
        EXPECT_EQ(s > t, c.compare > 0) << c.a;
        EXPECT_EQ(s >= t, c.compare >= 0) << c.a;
        EXPECT_EQ(s == text, c.compare == 0) << c.a;
        EXPECT_EQ(s < text, c.compare < 0) << c.a;
        EXPECT_EQ(s >= text, c.compare >= 0) << c.a;
        EXPECT_EQ(text == s, c.compare == 0) << c.a;
        EXPECT_EQ(text != s, c.compare != 0) << c.a;
        EXPECT_EQ(text<s, c.compare> 0) << c.a;
        EXPECT_EQ(text <= s, c.compare >= 0) << c.a;
        EXPECT_EQ(text > s, c.compare < 0) << c.a;
        EXPECT_EQ(text >= s, c.compare <= 0) << c.a;
    }
}

// One edit on a fresh string: the text after it and what it returned (0 for
// the members that return the string).
TYPED_TEST(StringOps, Editing)
{
    using S = TypeParam;
    using T = Txt<S>;
    using C = typename S::XCHAR;
    const C* none = nullptr;
    struct Case {
        const char* call;
        const char* before;
        std::function<int(S&)> edit;
        const char* after;
        int result;
    } cases[] = {
        {"SetAt(1, x)", "abc", [](S& s) { return s.SetAt(1, C('x')); }, "axc", 0},
        {"SetAt(1, 0) cuts", "abc", [](S& s) { return s.SetAt(1, C(0)); }, "a", 0},
        {"SetAt(3, x)", "abc", [](S& s) { return s.SetAt(3, C('x')); }, "abc", -6},
        {"SetAt(-1, x)", "abc", [](S& s) { return s.SetAt(-1, C('x')); }, "abc", -6},
        {"TruncateAt(1)", "abc", [](S& s) { return s.TruncateAt(1), 0; }, "a", 0},
        {"TruncateAt(0)", "abc", [](S& s) { return s.TruncateAt(0), 0; }, "", 0},
        {"TruncateAt(3)", "abc", [](S& s) { return s.TruncateAt(3), 0; }, "abc", 0},
        {"TruncateAt(-1)", "abc", [](S& s) { return s.TruncateAt(-1), 0; }, "abc", 0},
        {"Delete(1, 10)", "abc", [](S& s) { return s.Delete(1, 10), 0; }, "a", 0},
        {"Delete(1, 1)", "abc", [](S& s) { return s.Delete(1, 1), 0; }, "ac", 0},
        {"Delete(0, 2)", "abc", [](S& s) { return s.Delete(0, 2), 0; }, "c", 0},
        {"Delete(1, 0)", "abc", [](S& s) { return s.Delete(1, 0), 0; }, "abc", 0},
        {"Delete(1, -1) cuts", "abc", [](S& s) { return s.Delete(1, -1), 0; }, "a", 0},
        {"Delete(1, INT_MAX)", "abc", [](S& s) { return s.Delete(1, INT_MAX), 0; }, "a", 0},
        // Past the end and before the start: nothing (never emptied, never
        // written before the text).
        {"Delete(3, 1)", "abc", [](S& s) { return s.Delete(3, 1), 0; }, "", 0},
        {"Delete(5, 1)", "abc", [](S& s) { return s.Delete(5, 1), 0; }, "", 0},
        {"Delete(-1, 2)", "abc", [](S& s) { return s.Delete(-1, 2), 0; }, "abc", 0},
        {"Delete(INT_MIN, 1)", "abc", [](S& s) { return s.Delete(INT_MIN, 1), 0; }, "abc", 0},
        {"DeleteLeft(2)", "abc", [](S& s) { return s.DeleteLeft(2), 0; }, "c", 0},
        {"DeleteLeft(5)", "abc", [](S& s) { return s.DeleteLeft(5), 0; }, "", 0},
        {"DeleteLeft(0)", "abc", [](S& s) { return s.DeleteLeft(0), 0; }, "abc", 0},
        {"DeleteLeft(-1) cuts", "abc", [](S& s) { return s.DeleteLeft(-1), 0; }, "", 0},
        {"DeleteRight(1)", "abc", [](S& s) { return s.DeleteRight(1), 0; }, "ab", 0},
        {"DeleteRight(3)", "abc", [](S& s) { return s.DeleteRight(3), 0; }, "", 0},
        {"DeleteRight(9)", "abc", [](S& s) { return s.DeleteRight(9), 0; }, "abc", 0},
        {"DeleteRight(INT_MIN)", "abc", [](S& s) { return s.DeleteRight(INT_MIN), 0; }, "abc", 0},
        {"DeleteRight(-2)", "abc", [](S& s) { return s.DeleteRight(-2), 0; }, "abc", 0},
        {"TrimRight() keeps tabs", "ab \t", [](S& s) { return s.TrimRight(), 0; }, "ab \t", 0},
        {"Trim()", "  ab  ", [](S& s) { return s.Trim(), 0; }, "ab", 0},
        {"TrimLeft()", "  ab  ", [](S& s) { return s.TrimLeft(), 0; }, "ab  ", 0},
        {"TrimRight()", "  ab  ", [](S& s) { return s.TrimRight(), 0; }, "  ab", 0},
        {"Trim() of spaces", "   ", [](S& s) { return s.Trim(), 0; }, "", 0},
        {"Trim(xy)", "xyabyx", [](S& s) { return s.Trim(T("xy")), 0; }, "ab", 0},
        {"Trim(\"\")", " a ", [](S& s) { return s.Trim(T("")), 0; }, " a ", 0},
        {"TrimLeft(ab) of all", "abba", [](S& s) { return s.TrimLeft(T("ab")), 0; }, "", 0},
        {"Remove(a)", "banana", [](S& s) { return s.Remove(C('a')); }, "bnn", 3},
        {"Remove(x)", "banana", [](S& s) { return s.Remove(C('x')); }, "banana", 0},
        {"Remove(0)", "banana", [](S& s) { return s.Remove(C(0)); }, "banana", 0},
        {"Replace(aa, b)", "aaaa", [](S& s) { return s.Replace(T("aa"), T("b")); }, "bb", 2},
        {"Replace(x, y)", "abc", [](S& s) { return s.Replace(T("x"), T("y")); }, "abc", 0},
        {"Replace(a, null)", "banana", [&](S& s) { return s.Replace(T("a"), none); }, "bnn", 3},
        {"Replace(\"\", x)", "abc", [](S& s) { return s.Replace(T(""), T("x")); }, "abc", 0},
        {"Replace(null, x)", "abc", [&](S& s) { return s.Replace(none, T("x")); }, "abc", 0},
        {"Replace(a, aa) never rescans", "aa", [](S& s) { return s.Replace(T("a"), T("aa")); },
         "aaaa", 2},
        {"Replace(abc, \"\")", "abc", [](S& s) { return s.Replace(T("abc"), T("")); }, "", 1},
        {"Replace(b, xyz) inside", "abcb", [](S& s) { return s.Replace(T("b"), T("xyz")); },
         "axyzcxyz", 2},
        {"ReplaceNoCase(A, x)", "aAb", [](S& s) { return s.ReplaceNoCase(T("A"), T("x")); }, "xxb",
         2},
        {"Replace(A, x) is exact", "aAb", [](S& s) { return s.Replace(T("A"), T("x")); }, "axb", 1},
        {"ReplaceAt(1, 1, X)", "abc", [](S& s) { return s.ReplaceAt(1, 1, T("X")), 0; }, "aXc", 0},
        {"ReplaceAt(1, 1, XYZ)", "abc", [](S& s) { return s.ReplaceAt(1, 1, T("XYZ")), 0; },
         "aXYZc", 0},
        {"ReplaceAt(0, 3, \"\")", "abc", [](S& s) { return s.ReplaceAt(0, 3, T("")), 0; }, "", 0},
        {"ReplaceAt(1, 2, null)", "abc", [&](S& s) { return s.ReplaceAt(1, 2, none), 0; }, "a", 0},
        {"ReplaceAt(1, 0, x)", "abc", [](S& s) { return s.ReplaceAt(1, 0, T("x")), 0; }, "abc", 0},
        {"ReplaceAt(-1, 1, x)", "abc", [](S& s) { return s.ReplaceAt(-1, 1, T("x")), 0; }, "abc",
         0},
        {"ReplaceAt(2, 2, x)", "abc", [](S& s) { return s.ReplaceAt(2, 2, T("x")), 0; }, "abc", 0},
        {"ReplaceAt(1, INT_MAX, x)", "abc", [](S& s) { return s.ReplaceAt(1, INT_MAX, T("x")), 0; },
         "abc", 0},
        {"Insert(xy, 1, 1)", "abc", [](S& s) { return s.Insert(T("xy"), 1, 1), 0; }, "axbc", 0},
        {"Insert(xy, 1)", "abc", [](S& s) { return s.Insert(T("xy"), 1), 0; }, "axybc", 0},
        {"Insert(xy, 1, 10)", "abc", [](S& s) { return s.Insert(T("xy"), 1, 10), 0; }, "axybc", 0},
        {"Insert(xy, 0)", "abc", [](S& s) { return s.Insert(T("xy"), 0), 0; }, "xyabc", 0},
        {"Insert(xy, 3) appends", "abc", [](S& s) { return s.Insert(T("xy"), 3), 0; }, "abcxy", 0},
        {"Insert(xy, 1, 0)", "abc", [](S& s) { return s.Insert(T("xy"), 1, 0), 0; }, "abc", 0},
        {"Insert(xy, 4)", "abc", [](S& s) { return s.Insert(T("xy"), 4), 0; }, "abc", 0},
        {"Insert(xy, -1)", "abc", [](S& s) { return s.Insert(T("xy"), -1), 0; }, "abc", 0},
        {"Insert(null, 1)", "abc", [&](S& s) { return s.Insert(none, 1), 0; }, "abc", 0},
        {"Insert into empty", "", [](S& s) { return s.Insert(T("xy"), 0), 0; }, "xy", 0},
        {"EndInSlash", "dir", [](S& s) { return s.EndInSlash(), 0; }, "dir/", 0},
        {"EndInSlash after /", "dir/", [](S& s) { return s.EndInSlash(), 0; }, "dir/", 0},
        {"EndInSlash after \\", "dir\\", [](S& s) { return s.EndInSlash(), 0; }, "dir\\", 0},
        {"EndInSlash of empty", "", [](S& s) { return s.EndInSlash(), 0; }, "/", 0},
        {"MakeLower", "AbC1-z", [](S& s) { return s.MakeLower(), 0; }, "abc1-z", 0},
        {"MakeUpper", "AbC1-z", [](S& s) { return s.MakeUpper(), 0; }, "ABC1-Z", 0},
    };
    for (const Case& c : cases) {
        S s = Make<S>(c.before);
        EXPECT_EQ(c.edit(s), c.result) << c.call;
        EXPECT_EQ(Utf8(s), c.after) << c.call;
        EXPECT_EQ(s.GetLength(), int(TextOf<C>(c.after).size())) << c.call;
        EXPECT_EQ(s.GetString()[s.GetLength()], C(0)) << c.call;
    }
}

// Texts that point into the string being edited: the edit reads them before
// the storage moves.
TYPED_TEST(StringOps, EditsWithTheirOwnText)
{
    using S = TypeParam;
    S s = Make<S>("abcdef");
    s.Insert(s.GetString() + 3, 1, 2);
    EXPECT_EQ(Utf8(s), "adebcdef");

    s = Make<S>("abc");
    s.ReplaceAt(0, 1, s.GetString());
    EXPECT_EQ(Utf8(s), "abcbc");

    s = Make<S>("a-b");
    EXPECT_EQ(s.Replace(s.GetString() + 1, s.GetString()), 1);
    EXPECT_EQ(Utf8(s), "aa-b");

    s = Make<S>("  x  ");
    s.Trim(s.GetString());
    EXPECT_EQ(Utf8(s), "");
}
