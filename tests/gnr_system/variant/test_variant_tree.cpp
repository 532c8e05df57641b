// Members of lists and records.
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "variant_test_support.h"

namespace
{
const CLxVariantRunType kPair("RLxVarTreePair");

// A record type of two members, "a" and "b".
CLxVariant Pair()
{
    static bool registered = false;
    if (!registered) {
        registered = true;
        CLxVariant a(1, u"a"), b(2, u"b");
        CLxVariant::RegisterRunType(CLxVariant::CreateStruct(u"RLxVarTreePair", &a, &b));
    }
    return CLxVariant(kPair, u"pair");
}

// The members' names, joined by blanks.
std::string Names(const CLxVariant& list)
{
    std::string names;
    for (int i = 0; i < list.GetCount(); ++i)
        names += (i ? " " : "") + NameOf(list[i]);
    return names;
}

class VariantTree : public VariantTest
{
  protected:
    void SetUp() override
    {
        VariantTest::SetUp();
        Pair();
    }
};

TEST_F(VariantTree, CountTellsContainersFromValues)
{
    EXPECT_EQ(CLxVariant().GetCount(), -1);
    EXPECT_EQ(CLxVariant(1, u"a").GetCount(), -1);
    EXPECT_EQ(CLxVariant(CLxListVariant(), u"l").GetCount(), 0);
    EXPECT_EQ(Pair().GetCount(), 2);
    CLxVariant rt;
    CLxVariant m(0, u"m");
    CLxVariant::RegisterRunType(CLxVariant::CreateStruct(u"RLxVarTreeEmpty", &rt));
    EXPECT_EQ(CLxVariant(CLxVariantRunType("RLxVarTreeEmpty"), u"e").GetCount(), 0);
}

TEST_F(VariantTree, AppendToANullVariantMakesAList)
{
    CLxVariant v;
    CLxVariant& added = v.Append(CLxVariant(5, u"n"));
    EXPECT_EQ(RunTypeOf(v), "CLxListVariant");
    EXPECT_EQ(v.GetCount(), 1);
    EXPECT_EQ(&added, v.IndexPtr(0));
    EXPECT_EQ(added.GetLx_int32(), 5);
    expectNoReport();
}

TEST_F(VariantTree, AppendCopiesNameValueAndFlag)
{
    CLxVariant item = Changeable(CLxVariant(5, u"n"));
    CLxVariant list(CLxListVariant(), u"l");
    CLxVariant& added = list.Append(item);
    item = 6;
    EXPECT_EQ(added.GetLx_int32(), 5);
    EXPECT_EQ(NameOf(added), "n");
    EXPECT_TRUE(added.IsEnabledTypeChange());
}

TEST_F(VariantTree, AppendToARecordOrScalarNeedsTypeChange)
{
    CLxVariant pair = Pair();
    CLxVariant& refused = pair.Append(CLxVariant(3, u"c"));
    EXPECT_EQ(&refused, &g_UndefVariant);
    EXPECT_EQ(
        report(),
        (SReport{"true", "Error: invalid variant type (RLxVarTreePair) for array operation."}));
    EXPECT_EQ(pair.GetCount(), 2);

    CLxVariant scalar(1, u"s");
    scalar.Append(CLxVariant(3, u"c"));
    EXPECT_EQ(report().message, "Error: invalid variant type (lx_int32) for array operation.");

    pair.EnableTypeChange(true);
    pair.Append(CLxVariant(3, u"c"));
    EXPECT_EQ(RunTypeOf(pair), "CLxListVariant");
    EXPECT_EQ(Names(pair), "a b c");

    scalar.EnableTypeChange(true);
    scalar.Append(CLxVariant(3, u"c"));
    EXPECT_EQ(RunTypeOf(scalar), "CLxListVariant");
    EXPECT_EQ(Names(scalar), "c");
    expectNoReport();
}

TEST_F(VariantTree, MembersByPositionAndName)
{
    CLxVariant list = ListOf(u"l", {CLxVariant(1, u"a"), CLxVariant(2, u"b"), CLxVariant(3, u"a")});
    EXPECT_EQ(list[2].GetLx_int32(), 3);
    EXPECT_EQ(list[u"a"].GetLx_int32(), 1);
    EXPECT_EQ(list.IndexPtr(3), nullptr);
    EXPECT_EQ(list.IndexPtr(-1), nullptr);
    EXPECT_EQ(&list[3], &g_UndefVariant);
    EXPECT_EQ(list.SearchFixedOneLevel(u"A"), nullptr);
    EXPECT_EQ(list.IndexOf(u"b"), 1);
    EXPECT_EQ(list.IndexOf(u"z"), -9);
    EXPECT_EQ(CLxVariant(1, u"s").IndexOf(u"a"), -1);
    EXPECT_EQ(CLxVariant(1, u"s").SearchFixedOneLevel(u"a"), nullptr);
    expectNoReport();

    EXPECT_EQ(CLxVariant(1, u"s").IndexPtr(0), nullptr);
    EXPECT_EQ(report(), (SReport{"(!m_pData || !m_pData->IsArray())",
                                 "Error: invalid variant runtype for array operation."}));
    const CLxVariant null;
    EXPECT_EQ(&null[0], &g_UndefVariant);
    EXPECT_EQ(report().message, "Error: invalid variant runtype for array operation.");
}

TEST_F(VariantTree, MissingNameGivesTheUndefinedVariantWhichStaysUnchanged)
{
    CLxVariant list = ListOf(u"l", {CLxVariant(1, u"a")});
    CLxVariant& missing = list[u"z"];
    EXPECT_EQ(&missing, &g_UndefVariant);
    missing = 5;
    EXPECT_EQ(report(), (SReport{"!m_enabledTypeChange",
                                 "Error: CLxVariant::operator=, can't do assignment - type change "
                                 "not enabled"}));
    const SReport frozen{"this == &g_UndefVariant", "Error: g_UndefVariant can't be changed!"};
    missing.Append(CLxVariant(1, u"x"));
    EXPECT_EQ(report(), frozen);
    missing.Insert(CLxVariant(1, u"x"), 0);
    EXPECT_EQ(report(), frozen);
    missing.EnableTypeChange(true);
    EXPECT_EQ(report(), frozen);
    missing.SetName(u"renamed");
    EXPECT_EQ(report(), frozen);
    missing = 5;
    reports();
    EXPECT_TRUE(g_UndefVariant.IsNull());
    EXPECT_FALSE(g_UndefVariant.IsEnabledTypeChange());
    EXPECT_EQ(NameOf(g_UndefVariant), "no_name");
    EXPECT_EQ(list.GetCount(), 1);
}

TEST_F(VariantTree, InsertPutsTheCopyBeforeTheIndex)
{
    struct Case {
        int index;
        const char* names;
        bool inserted;
        const char* report;
    } cases[] = {
        {0, "x a b", true, nullptr}, {1, "a x b", true, nullptr},    {2, "a b x", true, nullptr},
        {3, "a b", false, nullptr},  {-1, "a b", false, "iIdx < 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        CLxVariant list = ListOf(u"l", {CLxVariant(1, u"a"), CLxVariant(2, u"b")});
        CLxVariant& added = list.Insert(CLxVariant(9, u"x"), c.index);
        EXPECT_EQ(Names(list), c.names);
        EXPECT_EQ(&added == &g_UndefVariant, !c.inserted);
        if (c.report)
            EXPECT_EQ(report(), (SReport{c.report, ""}));
        else
            expectNoReport();
    }
}

TEST_F(VariantTree, InsertIntoARecordNeedsTypeChange)
{
    CLxVariant pair = Pair();
    pair.Insert(CLxVariant(9, u"x"), 0);
    EXPECT_EQ(report(), (SReport{"(m_pData && !m_enabledTypeChange && GetRunType() != "
                                 "CLxVariantDataCLxListVariant::m_runTypeOrig)",
                                 "Error: invalid variant type for array operation."}));
    pair.EnableTypeChange(true);
    pair.Insert(CLxVariant(9, u"x"), 1);
    EXPECT_EQ(Names(pair), "a x b");
    EXPECT_EQ(RunTypeOf(pair), "CLxListVariant");
    CLxVariant null;
    null.Insert(CLxVariant(9, u"x"), 0);
    EXPECT_EQ(Names(null), "x");
}

TEST_F(VariantTree, SetOrAppendAssignsOrAppends)
{
    CLxVariant list = ListOf(u"l", {CLxVariant(1, u"a")});
    CLxVariant value(7, u"whatever");
    EXPECT_EQ(list.SetOrAppend(u"b", value), -9);
    EXPECT_EQ(NameOf(value), "b");
    EXPECT_EQ(Names(list), "a b");
    CLxVariant other(8, u"other");
    EXPECT_EQ(list.SetOrAppend(u"a", other), 0);
    EXPECT_EQ(list[u"a"].GetLx_int32(), 8);
    EXPECT_EQ(Names(list), "a b");

    CLxVariant null;
    EXPECT_EQ(null.SetOrAppend(u"n", other), -1);
    EXPECT_EQ(Names(null), "n");
    expectNoReport();
}

TEST_F(VariantTree, DeleteRemovesOneMember)
{
    CLxVariant one = ListOf(u"l", {CLxVariant(1, u"a")});
    EXPECT_TRUE(one.Delete(0));
    EXPECT_EQ(one.GetCount(), 0);
    EXPECT_FALSE(one.Delete(0));
    EXPECT_EQ(report(),
              (SReport{"((signed)item >= list.Number())", "Error: invalid index to delete!"}));

    CLxVariant three =
        ListOf(u"l", {CLxVariant(1, u"a"), CLxVariant(2, u"b"), CLxVariant(3, u"c")});
    EXPECT_TRUE(three.Delete(1));
    EXPECT_EQ(Names(three), "a c");
    expectNoReport();
}

TEST_F(VariantTree, DeleteFromARecordNeedsTypeChange)
{
    CLxVariant pair = Pair();
    EXPECT_FALSE(pair.Delete(0));
    EXPECT_EQ(report(), (SReport{"(!m_enabledTypeChange && GetRunType() != "
                                 "CLxVariantDataCLxListVariant::m_runTypeOrig)",
                                 "Error: can't delete member in this runtype."}));
    pair.EnableTypeChange(true);
    // A refused index leaves the record as it was.
    EXPECT_FALSE(pair.Delete(unsigned(-1)));
    EXPECT_EQ(report(), (SReport{"iIdx < 0", ""}));
    EXPECT_EQ(RunTypeOf(pair), "RLxVarTreePair");
    EXPECT_TRUE(pair.Delete(0));
    EXPECT_EQ(RunTypeOf(pair), "CLxListVariant");
    EXPECT_EQ(Names(pair), "b");

    CLxVariant scalar = Changeable(CLxVariant(1, u"s"));
    EXPECT_FALSE(scalar.Delete(0));
    EXPECT_EQ(report().message, "Error: invalid index to delete!");
}

TEST_F(VariantTree, ClearListEmptiesPlainListsAndTurnsOthersWithTypeChange)
{
    CLxVariant list = ListOf(u"l", {CLxVariant(1, u"a"), CLxVariant(2, u"b")});
    list.ClearList();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(NameOf(list), "l");
    expectNoReport();

    CLxVariant pair = Pair();
    pair.ClearList();
    EXPECT_EQ(report(), (SReport{"(!m_enabledTypeChange && GetRunType() != "
                                 "CLxVariantDataCLxListVariant::m_runTypeOrig)",
                                 "Error: can't ClearList in this runtype."}));
    EXPECT_EQ(pair.GetCount(), 2);
    const CLxVariant others[] = {Pair(), CLxVariant(1, u"s"), CLxVariant()};
    for (const CLxVariant& other : others) {
        CLxVariant v = Changeable(other);
        v.ClearList();
        EXPECT_EQ(RunTypeOf(v), "CLxListVariant");
        EXPECT_EQ(v.GetCount(), 0);
    }
    expectNoReport();
}

TEST_F(VariantTree, MemberComparesRunTypeAndValue)
{
    CLxVariant list = ListOf(u"l", {CLxVariant(1, u"a"), CLxVariant(u"t", u"b")});
    EXPECT_TRUE(list.Member(CLxVariant(1, u"other")));
    EXPECT_TRUE(list.Member(CLxVariant(u"t", u"x")));
    EXPECT_FALSE(list.Member(CLxVariant(1u, u"a")));
    expectNoReport();
    EXPECT_FALSE(CLxVariant(1, u"s").Member(CLxVariant(1, u"s")));
    EXPECT_EQ(report(), (SReport{"(!m_pData || !m_pData->IsArray())",
                                 "Error: invalid variant type for array operation."}));
}

// root
//   x
//     a
//       b = 1
//   a
//     c
//       b = 2
//     b = 3
CLxVariant SearchTree()
{
    return ListOf(u"root",
                  {ListOf(u"x", {ListOf(u"a", {CLxVariant(1, u"b")})}),
                   ListOf(u"a", {ListOf(u"c", {CLxVariant(2, u"b")}), CLxVariant(3, u"b")})});
}

TEST_F(VariantTree, SearchGoesBreadthFirst)
{
    CLxVariant tree = SearchTree();
    struct Case {
        std::vector<const char16_t*> path;
        int found; // the value found, 0 for a list, -1 for none
    } cases[] = {
        {{u"b"}, 3},
        {{u"a", u"b"}, 3},
        {{u"x", u"b"}, 1},
        {{u"c", u"b"}, 2},
        {{u"root", u"root", u"x", u"a", u"b"}, 1},
        {{u"a", u"z"}, -1},
        {{u"x", u"c"}, -1},
        {{u"b", nullptr, u"zzz"}, 3},
        {{nullptr}, -1},
    };
    for (const Case& c : cases) {
        CLxVariant* found = tree.SearchPath(c.path.data(), c.path.size());
        EXPECT_EQ(found ? found->GetCount() < 0 ? found->GetLx_int32() : 0 : -1, c.found);
    }
    EXPECT_EQ(tree.Search(u"a", u"b")->GetLx_int32(), 3);
    EXPECT_EQ(tree.Search(u"root"), &tree);
    const CLxVariant& constant = tree;
    EXPECT_EQ(constant.Search(u"c", u"b", nullptr)->GetLx_int32(), 2);
    expectNoReport();
}

TEST_F(VariantTree, SearchFixedGoesOneLevelPerName)
{
    CLxVariant tree = SearchTree();
    EXPECT_EQ(tree.SearchFixed(u"a", u"b")->GetLx_int32(), 3);
    EXPECT_EQ(tree.SearchFixed(u"x", u"a", u"b", nullptr)->GetLx_int32(), 1);
    EXPECT_EQ(tree.SearchFixed(u"b"), nullptr);
    EXPECT_EQ(tree.SearchFixed(u"x", u"b"), nullptr);
    EXPECT_EQ(tree.SearchFixed(nullptr), nullptr);
    const CLxVariant& constant = tree;
    EXPECT_EQ(constant.SearchFixed(u"a", u"c", u"b")->GetLx_int32(), 2);
    EXPECT_EQ(CLxVariant(1, u"s").SearchFixed(u"s"), nullptr);
}

TEST_F(VariantTree, ListsEqualByNameAndUnnamedMembersByPosition)
{
    CLxVariant ab = ListOf(u"l", {CLxVariant(1, u"a"), CLxVariant(2, u"b")});
    CLxVariant ba = ListOf(u"l", {CLxVariant(2, u"b"), CLxVariant(1, u"a")});
    EXPECT_TRUE(ab == ba);
    CLxVariant unnamed12 = ListOf(u"l", {CLxVariant(1, u""), CLxVariant(2, u"")});
    CLxVariant unnamed21 = ListOf(u"l", {CLxVariant(2, u""), CLxVariant(1, u"")});
    EXPECT_FALSE(unnamed12 == unnamed21);
    EXPECT_TRUE(unnamed12 == ListOf(u"m", {CLxVariant(1, u""), CLxVariant(2, u"")}));
    EXPECT_FALSE(ab == ListOf(u"l", {CLxVariant(1, u"a")}));
    EXPECT_FALSE(ab == ListOf(u"l", {CLxVariant(1, u"a"), CLxVariant(2, u"c")}));
    EXPECT_FALSE(ab == ListOf(u"l", {CLxVariant(1, u"a"), CLxVariant(2u, u"b")}));
    // Duplicate names pair with the first of that name.
    CLxVariant dup = ListOf(u"l", {CLxVariant(1, u"a"), CLxVariant(2, u"a")});
    EXPECT_FALSE(dup == ListOf(u"l", {CLxVariant(1, u"a"), CLxVariant(2, u"a")}));
    // A record equals only a record of the same run type.
    CLxVariant pair = Pair();
    CLxVariant plain = ListOf(u"pair", {CLxVariant(1, u"a"), CLxVariant(2, u"b")});
    EXPECT_FALSE(pair == plain);
    EXPECT_TRUE(pair == Pair());
    // Nested lists compare recursively.
    EXPECT_TRUE(ListOf(u"r", {ab}) == ListOf(u"r", {ba}));
    EXPECT_FALSE(ListOf(u"r", {unnamed12}) == ListOf(u"r", {unnamed21}));
    expectNoReport();
}

TEST_F(VariantTree, ListTextJoinsTheMembers)
{
    CLxVariant list =
        ListOf(u"l", {CLxVariant(1, u"a"), CLxVariant(), CLxVariant(CLxByteArray(), u"e"),
                      ListOf(u"n", {CLxVariant(true, u"t"), CLxVariant(u"x y", u"s")})});
    EXPECT_EQ(TextOf(list), "1   true x y");
    EXPECT_EQ(TextOf(CLxVariant(CLxListVariant(), u"l")), "");
}

TEST_F(VariantTree, ListsAreCopiedDeeply)
{
    CLxVariant inner = ListOf(u"i", {CLxVariant(1, u"a")});
    CLxVariant outer = ListOf(u"o", {inner});
    inner[u"a"] = 2;
    inner.Append(CLxVariant(3, u"b"));
    EXPECT_EQ(outer[u"i"].GetCount(), 1);
    EXPECT_EQ(outer[u"i"][u"a"].GetLx_int32(), 1);
    CLxListVariant sequence = outer.GetCLxListVariant();
    sequence.Clear();
    EXPECT_EQ(outer.GetCount(), 1);
}

TEST_F(VariantTree, ManyMembersKeepTheirOrder)
{
    CLxVariant list(CLxListVariant(), u"l");
    for (int i = 0; i < 1000; ++i)
        list.Insert(CLxVariant(i, u"m"), i / 2);
    EXPECT_EQ(list.GetCount(), 1000);
    // 1, 3, ..., 999, 998, ..., 2, 0
    EXPECT_EQ(list[0].GetLx_int32(), 1);
    EXPECT_EQ(list[499].GetLx_int32(), 999);
    EXPECT_EQ(list[500].GetLx_int32(), 998);
    EXPECT_EQ(list[999].GetLx_int32(), 0);
    for (int i = 0; i < 999; ++i)
        ASSERT_TRUE(list.Delete(0));
    EXPECT_EQ(list[0].GetLx_int32(), 0);
}

// Different trees may be built, copied and compared on several threads.
TEST_F(VariantTree, TreesOnSeveralThreads)
{
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t) {
        threads.emplace_back([t, &failures] {
            for (int round = 0; round < 30; ++round) {
                CLxVariant tree(CLxListVariant(), u"t");
                for (int i = 0; i < 20; ++i) {
                    CLxStringW name;
                    name.Format(u"s%d", i);
                    CLxVariant& sub = tree.Append(CLxVariant(CLxListVariant(), name));
                    sub.Append(CLxVariant(t * 1000 + i, u"v"));
                }
                CLxVariant copy(tree);
                if (!(copy == tree) || copy.Search(u"v")->GetLx_int32() != t * 1000)
                    ++failures;
                CLxStringW dump;
                CLxVariant::Trace(dump, copy);
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(failures.load(), 0);
}

} // namespace
