// Copy on write: shared buffers and the shared empty buffers are never
// written, whatever member changes a string; reference counts; what a string
// does when its storage is refused.
#include <functional>
#include <vector>

#include "gnr_system/string/LxStrStorage.h"
#include "string_test_support.h"

namespace
{

const char kText[] = "Hello, World";

template <class S> void CallFormatV(S& s, const typename S::XCHAR* format, ...)
{
    va_list args;
    va_start(args, format);
    s.FormatV(format, args);
    va_end(args);
}

template <class S> void CallAppendFormatV(S& s, const typename S::XCHAR* format, ...)
{
    va_list args;
    va_start(args, format);
    s.AppendFormatV(format, args);
    va_end(args);
}

template <class S> struct Change {
    const char* name;
    std::function<void(S&)> apply;
};

// Every member that changes a string, each with arguments that change kText.
template <class S> std::vector<Change<S>> EveryChange()
{
    using C = typename S::XCHAR;
    using Y = typename S::YCHAR;
    using T = Txt<S>;
    using O = OtherTxt<S>;
    return {
        {"operator=(string)", [](S& s) { s = Make<S>("other"); }},
        {"operator=(text)", [](S& s) { s = T("other"); }},
        {"operator=(other kind)", [](S& s) { s = O("other"); }},
        {"operator=(char)", [](S& s) { s = C('x'); }},
        {"operator=(other char)", [](S& s) { s = Y('x'); }},
        {"AddChars", [](S& s) { s.AddChars(T("xyz"), 2); }},
        {"AddString(string)", [](S& s) { s.AddString(Make<S>("!")); }},
        {"AddString(text)", [](S& s) { s.AddString(T("!")); }},
        {"AddString(other kind)", [](S& s) { s.AddString(O("!")); }},
        {"AddChar", [](S& s) { s.AddChar(C('!')); }},
        {"AddChar(other kind)", [](S& s) { s.AddChar(Y('!')); }},
        {"AddInt", [](S& s) { s.AddInt(12); }},
        {"AddDouble", [](S& s) { s.AddDouble(1.5, 1); }},
        {"+=(string)", [](S& s) { s += Make<S>("!"); }},
        {"+=(text)", [](S& s) { s += T("!"); }},
        {"+=(other kind)", [](S& s) { s += O("!"); }},
        {"+=(char)", [](S& s) { s += C('!'); }},
        {"+=(other char)", [](S& s) { s += Y('!'); }},
        {"Empty", [](S& s) { s.Empty(); }},
        {"Reset", [](S& s) { s.Reset(); }},
        {"Preallocate", [](S& s) { s.Preallocate(100); }},
        {"Format", [](S& s) { s.Format(T("<%d>"), 1); }},
        {"FormatV", [](S& s) { CallFormatV(s, T("<%d>"), 1); }},
        {"AppendFormat", [](S& s) { s.AppendFormat(T("<%d>"), 1); }},
        {"AppendFormatV", [](S& s) { CallAppendFormatV(s, T("<%d>"), 1); }},
        {"SetAt", [](S& s) { s.SetAt(0, C('J')); }},
        {"TruncateAt", [](S& s) { s.TruncateAt(5); }},
        {"Delete", [](S& s) { s.Delete(0, 7); }},
        {"DeleteLeft", [](S& s) { s.DeleteLeft(7); }},
        {"DeleteRight", [](S& s) { s.DeleteRight(7); }},
        {"TrimLeft", [](S& s) { s.TrimLeft(T("eH")); }},
        {"TrimRight", [](S& s) { s.TrimRight(T("dl")); }},
        {"Trim", [](S& s) { s.Trim(T("Hd")); }},
        {"Remove", [](S& s) { s.Remove(C('l')); }},
        {"Replace", [](S& s) { s.Replace(T("o"), T("0")); }},
        {"ReplaceNoCase", [](S& s) { s.ReplaceNoCase(T("WORLD"), T("x")); }},
        {"ReplaceAt", [](S& s) { s.ReplaceAt(0, 5, T("Howdy")); }},
        {"Insert", [](S& s) { s.Insert(T("!"), 0); }},
        {"EndInSlash", [](S& s) { s.EndInSlash(); }},
        {"MakeLower", [](S& s) { s.MakeLower(); }},
        {"MakeUpper", [](S& s) { s.MakeUpper(); }},
    };
}

template <class S> void ExpectSharedEmptyUntouched(const char* after)
{
    const auto* empty = S::Buffer::SharedEmpty();
    EXPECT_EQ(empty->m_nSize, 0) << after;
    EXPECT_EQ(empty->m_nAllocated, 15) << after;
    for (int i = 0; i <= 15; ++i)
        ASSERT_EQ(empty->m_pData[i], 0) << after << ", unit " << i;
    S fresh;
    EXPECT_TRUE(fresh.IsEmpty()) << after;
}

} // namespace

template <class S> class StringSharing : public ::testing::Test
{
};
TYPED_TEST_SUITE(StringSharing, LxStringKinds, LxStringKindNames);

TYPED_TEST(StringSharing, ChangingACopyLeavesTheOriginal)
{
    using S = TypeParam;
    for (const Change<S>& change : EveryChange<S>()) {
        S original = Make<S>(kText);
        const typename S::XCHAR* text = original.GetString();
        S copy(original);
        ASSERT_EQ(LxStringInspector::Refs(original), 2) << change.name;
        change.apply(copy);
        EXPECT_EQ(Utf8(original), kText) << change.name;
        EXPECT_EQ(original.GetString(), text) << change.name;
        EXPECT_EQ(LxStringInspector::Refs(original), 1) << change.name;
        EXPECT_NE(LxStringInspector::Buffer(copy), LxStringInspector::Buffer(original))
            << change.name;

        // And the other way round: the original changes, the copy keeps.
        S second(original);
        change.apply(original);
        EXPECT_EQ(Utf8(second), kText) << change.name;
        EXPECT_EQ(LxStringInspector::Refs(second), 1) << change.name;
    }
}

TYPED_TEST(StringSharing, ChangingAnEmptyStringNeverWritesTheSharedEmptyBuffer)
{
    using S = TypeParam;
    for (const Change<S>& change : EveryChange<S>()) {
        S empty;
        change.apply(empty);
        ExpectSharedEmptyUntouched<S>(change.name);
    }
    // Operations that find nothing to change on an empty string.
    S empty;
    empty.TruncateAt(0);
    empty.Delete(0, 1);
    empty.DeleteRight(1);
    empty.Trim();
    empty.MakeUpper();
    EXPECT_EQ(empty.Remove(typename S::XCHAR('a')), 0);
    EXPECT_EQ(empty.Replace(Txt<S>("a"), Txt<S>("b")), 0);
    EXPECT_EQ(empty.SetAt(0, typename S::XCHAR('a')), -6);
    EXPECT_EQ(LxStringInspector::Buffer(empty), S::Buffer::SharedEmpty());
    ExpectSharedEmptyUntouched<S>("no-op edits");
}

TYPED_TEST(StringSharing, ReferenceCounts)
{
    using S = TypeParam;
    S original = Make<S>(kText);
    EXPECT_EQ(LxStringInspector::Refs(original), 1);
    {
        S a(original);
        S b = a;
        S c;
        c = b;
        EXPECT_EQ(LxStringInspector::Refs(original), 4);
        c.AddChar(typename S::XCHAR('!'));
        EXPECT_EQ(LxStringInspector::Refs(original), 3);
        EXPECT_EQ(LxStringInspector::Refs(c), 1);
    }
    EXPECT_EQ(LxStringInspector::Refs(original), 1);

    // Whole-string results share instead of copying.
    S whole = original.Mid(0);
    EXPECT_EQ(LxStringInspector::Buffer(whole), LxStringInspector::Buffer(original));
    S left = original.Left(99);
    EXPECT_EQ(LxStringInspector::Refs(original), 3);
}

// Storage refused from the first request on, for the test's lifetime.
class RefusedStorage
{
  public:
    RefusedStorage() { LX_StrStorageFailAfter(0); }
    ~RefusedStorage() { LX_StrStorageFailAfter(-1); }
};

TYPED_TEST(StringSharing, RefusedStorageLeavesStringsAsTheyWere)
{
    using S = TypeParam;
    using C = typename S::XCHAR;
    using T = Txt<S>;
    S full = Make<S>("0123456789abcde"); // capacity 15, all used
    ASSERT_EQ(full.GetBufferLength(), 15);
    S copy(full);
    RefusedStorage refused;

    // Appends that need more room stop; nothing is written anywhere.
    full.AddChar(C('x'));
    full.AddChars(T("xyz"), -1);
    full.AddString(OtherTxt<S>("xyz"));
    full.Insert(T("x"), 0);
    full.AppendFormat(T("%d"), 12345);
    EXPECT_EQ(full.Preallocate(100), -3);
    EXPECT_EQ(Utf8(full), "0123456789abcde");
    EXPECT_EQ(full.GetBufferLength(), 15);

    // A shared string cannot get its private copy: it stays as it is.
    EXPECT_EQ(copy.SetAt(0, C('x')), -3);
    copy.MakeUpper();
    EXPECT_EQ(copy.Replace(T("0"), T("zero")), 0);
    EXPECT_EQ(Utf8(copy), "0123456789abcde");
    EXPECT_EQ(Utf8(full), "0123456789abcde");
    // Emptying needs no storage: it falls back on the shared empty buffer.
    copy.Empty();
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_EQ(LxStringInspector::Buffer(copy), S::Buffer::SharedEmpty());
    EXPECT_EQ(Utf8(full), "0123456789abcde");

    // New strings without storage are empty, never null.
    S reserved(100);
    S fromText(T("abc"));
    S reset = Make<S>("");
    reset.Reset();
    for (const S* s : {&reserved, &fromText, &reset}) {
        EXPECT_TRUE(s->IsEmpty());
        ASSERT_NE(s->GetString(), nullptr);
        EXPECT_EQ(s->GetString()[0], C(0));
    }
    ExpectSharedEmptyUntouched<S>("refused storage");
}

TYPED_TEST(StringSharing, AppendsWorkAgainAfterARefusal)
{
    using S = TypeParam;
    using T = Txt<S>;
    S s = Make<S>("0123456789abcde");
    S copy(s);
    LX_StrStorageFailAfter(0);
    s.AddString(T("more than fifteen characters"));
    LX_StrStorageFailAfter(-1);
    EXPECT_EQ(Utf8(s), "0123456789abcde");
    EXPECT_EQ(LxStringInspector::Refs(copy), 2);
    s.AddString(T("!"));
    EXPECT_EQ(Utf8(s), "0123456789abcde!");
    EXPECT_EQ(Utf8(copy), "0123456789abcde");
}
