// The run-type registry, records and names.
#include <atomic>
#include <climits>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "variant_test_support.h"

namespace
{
// Record types registered once for the whole test program (the registry
// lives as long as the process).
const CLxVariantRunType kPoint("RLxVarTestPoint");
const CLxVariantRunType kShape("RLxVarTestShape");

void RegisterTestRecords()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    CLxVariant x(1, u"x"), y(2, u"y");
    CLxVariant::RegisterRunType(CLxVariant::CreateStruct(u"RLxVarTestPoint", &x, &y));
    CLxVariant origin(kPoint, u"origin");
    CLxVariant label(u"none", u"wsLabel");
    CLxVariant::RegisterRunType(CLxVariant::CreateStruct(u"RLxVarTestShape", &label, &origin));
}

class VariantRunTypes : public VariantTest
{
  protected:
    void SetUp() override
    {
        VariantTest::SetUp();
        RegisterTestRecords();
        reports();
    }
};

TEST_F(VariantRunTypes, DefaultVariantIsNull)
{
    CLxVariant v;
    EXPECT_TRUE(v.IsNull());
    EXPECT_EQ(NameOf(v), "no_name");
    EXPECT_EQ(RunTypeOf(v), "unknown");
    EXPECT_FALSE(v.IsEnabledTypeChange());
    EXPECT_EQ(v.GetValueVoidPtr(), nullptr);
    EXPECT_EQ(std::string(CLxVariantRunType().GetName().GetString()), "unknown");
}

TEST_F(VariantRunTypes, BuiltinsHaveFixedIndicesAndSamples)
{
    const char* names[] = {"unknown",    "lx_int32",     "lx_uint32",     "lx_int64",
                           "lx_uint64",  "double",       "bool",          "voidPtr",
                           "CLxStringW", "CLxByteArray", "CLxListVariant"};
    for (unsigned i = 0; i < 11; ++i) {
        SCOPED_TRACE(names[i]);
        CLxVariantRunType runType(names[i]);
        EXPECT_EQ(CLxVariant::GetRunTypeIndex(runType, true), i);
        EXPECT_TRUE(CLxVariantRunType::Builtin(ELxVariantKind(i)) == runType);
        const CLxVariant& sample = CLxVariant::GetRunTypeSample(runType);
        EXPECT_EQ(NameOf(sample), names[i]);
        EXPECT_EQ(RunTypeOf(sample), names[i]);
        CLxVariant made(runType, u"made");
        EXPECT_EQ(RunTypeOf(made), names[i]);
        EXPECT_EQ(made.IsNull(), i == 0);
        EXPECT_TRUE(made == sample);
    }
    EXPECT_EQ(CLxVariant(CLxVariantRunType("double"), u"d").GetDouble(), 0.0);
    EXPECT_EQ(CLxVariant(CLxVariantRunType("CLxListVariant"), u"l").GetCount(), 0);
    expectNoReport();
}

TEST_F(VariantRunTypes, UnregisteredRunTypesAreReported)
{
    CLxVariantRunType missing("RLxVarTestMissing");
    EXPECT_EQ(CLxVariant::GetRunTypeIndex(missing, false), UINT_MAX);
    expectNoReport();
    EXPECT_EQ(CLxVariant::GetRunTypeIndex(missing, true), UINT_MAX);
    EXPECT_EQ(
        report(),
        (SReport{
            "true",
            "Error: CLxVariant::GetRunTypeIndex(), can't find: 'RLxVarTestMissing' runtype!"}));
    EXPECT_TRUE(CLxVariant::GetRunTypeSample(missing).IsNull());
    EXPECT_EQ(
        report(),
        (SReport{
            "true",
            "Error: CLxVariant::GetRunTypeSample(), can't find: 'RLxVarTestMissing' runtype!"}));
    CLxVariant made(missing, u"m");
    EXPECT_TRUE(made.IsNull());
    EXPECT_EQ(report().expression, "true");
}

TEST_F(VariantRunTypes, RecordConstructorCopiesTheSample)
{
    CLxVariant point(kPoint, u"p");
    EXPECT_EQ(RunTypeOf(point), "RLxVarTestPoint");
    EXPECT_EQ(NameOf(point), "p");
    ASSERT_EQ(point.GetCount(), 2);
    EXPECT_EQ(NameOf(point[0]), "x");
    EXPECT_EQ(point[u"y"].GetLx_int32(), 2);
    EXPECT_TRUE(point == CLxVariant::GetRunTypeSample(kPoint));

    CLxVariant shape(kShape, u"s");
    EXPECT_EQ(RunTypeOf(shape[u"origin"]), "RLxVarTestPoint");
    EXPECT_EQ(shape[u"origin"][u"x"].GetLx_int32(), 1);
    EXPECT_EQ(TextOf(shape[u"wsLabel"]), "none");
    expectNoReport();
}

TEST_F(VariantRunTypes, RegistrationKeepsTheFirstDefinition)
{
    unsigned index = CLxVariant::GetRunTypeIndex(kPoint, true);
    CLxVariant a(10, u"a"), b(20, u"b"), c(3, u"c"), d(1.5, u"y");
    // The same shape under other member names is the same definition.
    EXPECT_EQ(CLxVariant::RegisterRunType(CLxVariant::CreateStruct(u"RLxVarTestPoint", &a, &b)), 0);
    expectNoReport();
    const SReport differs{"compareStructure_Special(((*lMapIter).second).first, sample)",
                          "Error: same Runtype already registered with different definition!"};
    EXPECT_EQ(CLxVariant::RegisterRunType(CLxVariant::CreateStruct(u"RLxVarTestPoint", &a, &b, &c)),
              -9);
    EXPECT_EQ(report(), differs);
    EXPECT_EQ(CLxVariant::RegisterRunType(CLxVariant::CreateStruct(u"RLxVarTestPoint", &a, &d)),
              -9);
    EXPECT_EQ(report(), differs);
    EXPECT_EQ(CLxVariant::GetRunTypeIndex(kPoint, true), index);
    CLxVariant point(kPoint, u"p");
    EXPECT_EQ(NameOf(point[1]), "y");
    EXPECT_EQ(point[1].GetLx_int32(), 2);
}

TEST_F(VariantRunTypes, NewRegistrationsTakeTheNextIndex)
{
    CLxVariant m(0, u"m");
    unsigned first = 0, second = 0;
    ASSERT_EQ(CLxVariant::RegisterRunType(CLxVariant::CreateStruct(u"RLxVarTestIndexA", &m)), 0);
    ASSERT_EQ(CLxVariant::RegisterRunType(CLxVariant::CreateStruct(u"RLxVarTestIndexB", &m)), 0);
    first = CLxVariant::GetRunTypeIndex(CLxVariantRunType("RLxVarTestIndexA"), true);
    second = CLxVariant::GetRunTypeIndex(CLxVariantRunType("RLxVarTestIndexB"), true);
    EXPECT_GT(first, 10u);
    EXPECT_EQ(second, first + 1);
}

TEST_F(VariantRunTypes, ScalarSampleKeepsItsRunType)
{
    // Only the first registration labels (and reports); --gtest_repeat runs
    // this again in the same process.
    bool first =
        CLxVariant::GetRunTypeIndex(CLxVariantRunType("RLxVarTestAlias"), false) == UINT_MAX;
    EXPECT_EQ(CLxVariant::RegisterRunType(CLxVariant(5, u"RLxVarTestAlias")), 0);
    if (first)
        EXPECT_EQ(report(), (SReport{"arg != GetRunType()",
                                     "Error: CLxVariantData::SetRunType(), can't set runtype!"}));
    else
        expectNoReport();
    const CLxVariant& sample = CLxVariant::GetRunTypeSample(CLxVariantRunType("RLxVarTestAlias"));
    EXPECT_EQ(RunTypeOf(sample), "lx_int32");
    CLxVariant made(CLxVariantRunType("RLxVarTestAlias"), u"v");
    EXPECT_EQ(RunTypeOf(made), "lx_int32");
    EXPECT_EQ(made.GetLx_int32(), 0);
}

TEST_F(VariantRunTypes, CompareStructureLooksAtCountsAndRunTypes)
{
    CLxVariant plain = ListOf(u"l", {CLxVariant(5, u"p"), CLxVariant(6, u"q")});
    CLxVariant point(kPoint, u"p");
    CLxVariant other = ListOf(u"l", {CLxVariant(5, u"p"), CLxVariant(6.0, u"q")});
    CLxVariant nested = ListOf(u"n", {ListOf(u"i", {CLxVariant(1, u"a")})});
    CLxVariant nested2 = ListOf(u"n", {ListOf(u"i", {CLxVariant(1.0, u"a")})});
    struct Case {
        const CLxVariant& a;
        const CLxVariant& b;
        bool deep;
        int result;
    } cases[] = {
        {plain, point, true, 0},   // members agree; the lists' own run types do not count
        {plain, point, false, -1}, // one level: the run types
        {plain, other, true, -1},  // a member's run type
        {plain, plain, false, 0},
        {CLxVariant(1, u"a"), CLxVariant(2, u"b"), true, 0},
        {CLxVariant(1, u"a"), CLxVariant(2u, u"b"), true, -1},
        {CLxVariant(), CLxVariant(), true, 0},
        {plain, CLxVariant(1, u"a"), true, -1},
        {nested, nested2, true, -1},
        {nested, nested2, false, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CLxVariant::CompareStructure(c.a, c.b, c.deep), c.result);
}

TEST_F(VariantRunTypes, SetRunTypeRelabelsAMatchingList)
{
    CLxVariant list = ListOf(u"mine", {CLxVariant(5, u"p"), CLxVariant(6, u"q")});
    EXPECT_EQ(list.SetRunType(kPoint), -9);
    EXPECT_EQ(RunTypeOf(list), "CLxListVariant");
    list.EnableTypeChange(true);
    EXPECT_EQ(list.SetRunType(kPoint), 0);
    EXPECT_EQ(RunTypeOf(list), "RLxVarTestPoint");
    EXPECT_EQ(NameOf(list), "mine");
    EXPECT_EQ(NameOf(list[0]), "x");
    EXPECT_EQ(list[u"y"].GetLx_int32(), 6);
    EXPECT_EQ(list.SetRunType(kPoint), 0);
    expectNoReport();
}

TEST_F(VariantRunTypes, SetRunTypeRelabelsNestedRecords)
{
    CLxVariant list =
        Changeable(ListOf(u"s", {CLxVariant(u"tri", u"a"),
                                 ListOf(u"b", {CLxVariant(7, u"c"), CLxVariant(8, u"d")})}));
    EXPECT_EQ(list.SetRunType(kShape), 0);
    EXPECT_EQ(RunTypeOf(list[u"origin"]), "RLxVarTestPoint");
    EXPECT_EQ(list[u"origin"][u"y"].GetLx_int32(), 8);
    EXPECT_EQ(TextOf(list[u"wsLabel"]), "tri");
}

TEST_F(VariantRunTypes, SetRunTypeOfAnotherShapeTakesTheDefaults)
{
    CLxVariant list = Changeable(ListOf(u"mine", {CLxVariant(5, u"x")}));
    EXPECT_EQ(list.SetRunType(kPoint), 0);
    EXPECT_EQ(RunTypeOf(list), "RLxVarTestPoint");
    EXPECT_EQ(NameOf(list), "mine");
    EXPECT_EQ(list[u"x"].GetLx_int32(), 1);
    EXPECT_EQ(list[u"y"].GetLx_int32(), 2);

    CLxVariant scalar = Changeable(CLxVariant(3.5, u"s"));
    EXPECT_EQ(scalar.SetRunType(CLxVariantRunType("lx_int32")), 0);
    EXPECT_EQ(RunTypeOf(scalar), "lx_int32");
    EXPECT_EQ(scalar.GetLx_int32(), 0);
    expectNoReport();
}

TEST_F(VariantRunTypes, SetRunTypeToAnUnregisteredTypeFails)
{
    CLxVariant v = Changeable(CLxVariant(1, u"v"));
    EXPECT_EQ(v.SetRunType(CLxVariantRunType("RLxVarTestMissing")), -4);
    EXPECT_EQ(report().expression, "true");
    EXPECT_EQ(v.SetRunType(CLxVariantRunType("unknown")), -4);
    EXPECT_EQ(v.GetLx_int32(), 1);
}

TEST_F(VariantRunTypes, SetRunTypeCompatibleFillsByName)
{
    CLxVariant list = Changeable(
        ListOf(u"mine", {CLxVariant(9, u"y"), CLxVariant(1.5, u"x"), CLxVariant(u"extra", u"z")}));
    EXPECT_EQ(list.SetRunTypeCompatible(kPoint), 0);
    EXPECT_EQ(RunTypeOf(list), "RLxVarTestPoint");
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list[u"x"].GetLx_int32(), 1); // another run type keeps the default
    EXPECT_EQ(list[u"y"].GetLx_int32(), 9);
    EXPECT_EQ(list.SearchFixedOneLevel(u"z"), nullptr);

    CLxVariant shape = Changeable(ListOf(u"s", {ListOf(u"origin", {CLxVariant(4, u"x")})}));
    EXPECT_EQ(shape.SetRunTypeCompatible(kShape), 0);
    EXPECT_EQ(shape[u"origin"][u"x"].GetLx_int32(), 4);
    EXPECT_EQ(shape[u"origin"][u"y"].GetLx_int32(), 2);
    EXPECT_EQ(TextOf(shape[u"wsLabel"]), "none");

    CLxVariant fixed = ListOf(u"f", {});
    EXPECT_EQ(fixed.SetRunTypeCompatible(kPoint), -9);
    expectNoReport();
}

TEST_F(VariantRunTypes, CreateStructCopiesTheMembers)
{
    CLxVariant a(1, u"a"), b(u"t", u"b"), end;
    CLxVariant s = CLxVariant::CreateStruct(u"st", &a, &b, &end);
    EXPECT_EQ(RunTypeOf(s), "CLxListVariant");
    EXPECT_EQ(NameOf(s), "st");
    ASSERT_EQ(s.GetCount(), 2);
    EXPECT_EQ(NameOf(s[1]), "b");
    a = 5;
    EXPECT_EQ(s[0].GetLx_int32(), 1);

    CLxVariant empty = CLxVariant::CreateStruct(u"e", &end, &a);
    EXPECT_EQ(RunTypeOf(empty), "CLxListVariant");
    EXPECT_EQ(empty.GetCount(), 0);
    EXPECT_EQ(CLxVariant::CreateStruct(u"n", &a, nullptr).GetCount(), 1);
}

TEST_F(VariantRunTypes, CreateStructNamedAssignsByName)
{
    CLxVariant y(7, u"y");
    CLxVariant p = CLxVariant::CreateStructNamed(kPoint, u"p", &y, nullptr);
    EXPECT_EQ(RunTypeOf(p), "RLxVarTestPoint");
    EXPECT_EQ(p[u"x"].GetLx_int32(), 1);
    EXPECT_EQ(p[u"y"].GetLx_int32(), 7);
    expectNoReport();

    CLxVariant stray(7, u"w");
    CLxVariant q = CLxVariant::CreateStructNamed(kPoint, u"q", &stray);
    // The missing member is g_UndefVariant, which refuses the value.
    EXPECT_EQ(report(), (SReport{"!m_enabledTypeChange",
                                 "Error: can't do assignment from type: lx_int32 to: unknown, type "
                                 "change not enabled!"}));
    EXPECT_EQ(q.GetCount(), 2);
}

TEST_F(VariantRunTypes, NamesAreMadeValid)
{
    struct Case {
        const char* in;
        const char* out;
        bool changed;
    } cases[] = {
        {"uiWidth", "uiWidth", false},
        {"a.b-c_d9", "a.b-c_d9", false},
        {"_x", "_x", false},
        {"1abc", "_abc", true},
        {".a", "_a", true},
        {"-a", "_a", true},
        {"a b", "a_b", true},
        {"caf\xc3\xa9", "caf_", true},
        {"a\xf0\x9f\x98\x80", "a__", true},
        {"", "no_name", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        CLxStringW name(U16(c.in).c_str());
        EXPECT_EQ(CLxVariant::ValidateName(name), c.changed);
        EXPECT_EQ(U8(name.GetString()), c.out);
        EXPECT_EQ(NameOf(CLxVariant(1, U16(c.in).c_str())), c.out);
        CLxVariant v;
        v.SetName(U16(c.in).c_str());
        EXPECT_EQ(NameOf(v), c.out);
    }
}

TEST_F(VariantRunTypes, RegistryServesSeveralThreads)
{
    std::vector<std::thread> threads;
    std::vector<unsigned> indices(8);
    std::atomic<int> failures{0};
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([t, &indices, &failures] {
            CLxVariant m(t, u"m");
            CLxStringW own;
            own.Format(u"RLxVarTestThread%d", t);
            for (int i = 0; i < 50; ++i) {
                if (CLxVariant::RegisterRunType(CLxVariant::CreateStruct(own, &m)) != 0 ||
                    CLxVariant::RegisterRunType(
                        CLxVariant::CreateStruct(u"RLxVarTestShared", &m)) != 0)
                    ++failures;
                CLxVariant made(CLxVariantRunType("RLxVarTestShared"), u"s");
                if (made.GetCount() != 1)
                    ++failures;
            }
            indices[t] =
                CLxVariant::GetRunTypeIndex(CLxVariantRunType(CLxStringA(own.GetString())), true);
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(std::set<unsigned>(indices.begin(), indices.end()).size(), 8u);
}

} // namespace
